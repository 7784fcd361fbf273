#pragma once
// Editors of the project's user-defined steel sections: the I/H record and the hollow (pipe or
// tube) record, standing as the section when "User Defined" is chosen. The numbers are in the
// project's unit system and are not converted.
#include "model/tables.h"
#include "ui/dialogs/formdialog.h"

#include <string>
#include <vector>

class TLPData;

// What the two editors share: a grid of labelled numeric edits, each bound to one number of the
// record being edited.
class TSectionDialog : public TFormDialog {
    Q_OBJECT
public:
    // The unit labels, by the edit they stand beside.
    QLabel* UnitLabel(const QLineEdit* Edit) const;
    // The SI units of the section tables (mm, mm^2, 10^3 mm^3, 10^6 mm^4, kg/m) in place of the
    // English ones.
    void SetSIUnitLabels();

protected:
    struct Field {
        QLineEdit* edit = nullptr;
        QLabel* unit = nullptr;
        Extended* value = nullptr; // in the dialog's copy of the record; null for a computed field
        QString siUnit;
    };

    TSectionDialog(QWidget* owner, const QString& objectName, const QString& caption, QSize clientSize);

    // A row of the grid: caption, edit (Tag 59) and unit label.
    QLineEdit* addField(const QString& caption, const QString& editName, const QString& usUnit,
        const QString& siUnit, Extended* value, int left, int top, int captionWidth);
    void finishLayout(QSize clientSize);

    // Every bound edit shows its number.
    void writeFields();
    // A typed number goes into the record at full precision; the edit shows it in its format.
    // Numbers not typed over keep their full precision too, although the edits show two decimals.
    void commitField(Field& field);
    void commitAllFields();
    virtual void fieldLeft() { }

    // Why the record as edited cannot describe a section, and its value at fault.
    struct Fault {
        std::string reason; // empty when it can
        const Extended* value = nullptr;
    };
    virtual Fault fault() const = 0;
    template <class Shape> static Fault faultOf(const Shape& shape)
    {
        const TSectionFault<Shape> fault = SectionFault(shape);
        return { fault.Reason, fault.Field ? &(shape.*fault.Field) : nullptr };
    }
    // OK keeps the window open with a warning, and the value at fault in focus, while the record
    // cannot describe a section.
    void accept() override;

    std::vector<Field> m_fields;

public:
    QPushButton* Button1 = nullptr; // OK
    QPushButton* Button2 = nullptr; // Cancel
};

class TfrmUserDefinedI : public TSectionDialog {
    Q_OBJECT
public:
    explicit TfrmUserDefinedI(const TIShape& shape, QWidget* owner = nullptr);

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLineEdit* Edit16 = nullptr;
    QLineEdit* Edit17 = nullptr;
    QLineEdit* Edit18 = nullptr;

    void WriteSection();
    void ReadSection();
    const TIShape& Section() const { return m_shape; }

private:
    Fault fault() const override;

    TIShape m_shape;
};

class TfrmUserDefinedO : public TSectionDialog {
    Q_OBJECT
public:
    explicit TfrmUserDefinedO(const TPipeShape& shape, QWidget* owner = nullptr);

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr; // inside diameter, computed
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit18 = nullptr;

    void WriteSection();
    void ReadSection();
    const TPipeShape& Section() const { return m_shape; }

private:
    void fieldLeft() override;
    Fault fault() const override;
    void showInsideDiameter();

    TPipeShape m_shape;
};

// Edit the project's I/H (respectively hollow) section record; on OK the record is replaced
// whole. True on OK; the caller then runs the form-to-model pass, which recalculates.
bool ShowUserDefinedI(TLPData& Data, QWidget* owner = nullptr);
bool ShowUserDefinedO(TLPData& Data, QWidget* owner = nullptr);
