#pragma once
// The pile properties of one soil layer: its own interface, pile type, width, areas, concrete
// strength or modulus and moment of inertia, or "Same as Global" for the project's.
#include "ui/dialogs/formdialog.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QRadioButton;
class TLayer;
class TLPData;

class TfrmPierMaterial : public TFormDialog {
    Q_OBJECT
public:
    TfrmPierMaterial(TLayer& layer, TLPData& data, QWidget* owner = nullptr);

    QCheckBox* CheckBox1 = nullptr; // "Same as Global"
    QFrame* Panel1 = nullptr;
    QComboBox* ComboBox1 = nullptr; // pile and soil interface
    QComboBox* ComboBox2 = nullptr; // pile type
    QLabel* Label2 = nullptr; // "Width" or "Diameter"
    QLineEdit* Edit1 = nullptr; // width
    QLineEdit* Edit3 = nullptr; // cross-section area
    QLineEdit* Edit2 = nullptr; // perimeter
    QLineEdit* Edit7 = nullptr; // tip area
    QRadioButton* RadioButton1 = nullptr; // E derived from f'c
    QRadioButton* RadioButton2 = nullptr; // E entered
    QLineEdit* Edit6 = nullptr; // f'c
    QLineEdit* Edit4 = nullptr; // E
    QLineEdit* Edit5 = nullptr; // moment of inertia
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Cancel

    void LoadFromLayer();
    void LoadValues();
    void UpdateControls();
    void SaveToLayer();

    void ComboBox1Exit();
    void Edit6Exit(QLineEdit* sender);
    void Edit1Exit(QLineEdit* sender);

private:
    void setUnitLabels();
    void setRadioChecked(QRadioButton* radio);

    TLayer& m_layer;
    TLPData& m_data;
    int m_lastInterface = -1;
    QLabel* m_fcCaption = nullptr;
    QLabel* m_fcUnit = nullptr;
    QLabel* m_eCaption = nullptr;
    QLabel* m_eUnit = nullptr;
    QLabel* m_widthUnit = nullptr;
    QLabel* m_areaUnit = nullptr;
    QLabel* m_inertiaUnit = nullptr;
    QLabel* m_perimeterUnit = nullptr;
    QLabel* m_tipAreaUnit = nullptr;
};

// Opens the dialog on the layer; on OK the layer takes the values shown. True on OK. The caller
// redraws the soil profile and marks the project modified.
bool EditLayerMaterial(TLayer& Layer, TLPData& Data, QWidget* owner = nullptr);
