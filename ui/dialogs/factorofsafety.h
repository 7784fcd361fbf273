#pragma once
// Suggests the factor of safety of the vertical capacity from the design life and the quality of
// construction control, and on OK makes it the factor on side friction and on end bearing.
#include "ui/dialogs/formdialog.h"

class QComboBox;
class QSpinBox;
class TLPData;

class TfrmFactorOfSafetyCalc : public TFormDialog {
    Q_OBJECT
public:
    TfrmFactorOfSafetyCalc(TLPData& data, QWidget* owner = nullptr);

    QSpinBox* SpinEdit1 = nullptr; // design life, years
    QComboBox* ComboBox1 = nullptr; // construction control
    QLineEdit* Edit1 = nullptr; // suggested factor of safety
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Cancel

    void FillControls();
    void SpinEdit1Change();
    void ApplyFactorOfSafety();

private:
    TLPData& m_data;
};

// Design life and construction control go into the project as they are changed (they stay after
// Cancel); the two factors of safety only on OK. True on OK; the caller then refreshes the form
// from the model.
bool ShowFactorOfSafetyCalc(TLPData& Data, QWidget* owner = nullptr);
