#include "ui/dialogs/userdefined.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "platform/qt/messages.h"
#include "ui/dialogs/editvalue.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kSectionTag = 59;
constexpr int kRowHeight = 28;
constexpr int kFirstRow = 10;
constexpr int kEditWidth = 62;
constexpr int kUnitGap = 4;
constexpr int kUnitWidth = 62;

// SI units of the section tables' columns.
const QString kMm = QStringLiteral("mm");
const QString kMm2 = QStringLiteral("mm^2");
const QString kMm3 = QStringLiteral("10^3 mm^3");
const QString kMm4 = QStringLiteral("10^6 mm^4");
const QString kTorsion = QStringLiteral("10^3 mm^4");
const QString kWarping = QStringLiteral("10^9 mm^6");
const QString kMass = QStringLiteral("kg/m");

} // namespace

// ---- shared grid ------------------------------------------------------------------------------

TSectionDialog::TSectionDialog(
    QWidget* owner, const QString& objectName, const QString& caption, QSize clientSize)
    : TFormDialog(owner)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(clientSize);
}

QLineEdit* TSectionDialog::addField(const QString& caption, const QString& editName, const QString& usUnit,
    const QString& siUnit, Extended* value, int left, int top, int captionWidth)
{
    addLabel(nullptr, QStringLiteral("lbl") + editName, caption, left, top + 3, captionWidth);
    QLineEdit* edit = addEdit(nullptr, editName, kSectionTag, left + captionWidth + 2, top, kEditWidth);
    QLabel* unit = addLabel(nullptr, QStringLiteral("lbl") + editName + QStringLiteral("Unit"), usUnit,
        left + captionWidth + 2 + kEditWidth + kUnitGap, top + 3, kUnitWidth);
    unit->setMinimumWidth(kUnitWidth);
    m_fields.push_back(Field { edit, unit, value, siUnit });
    const std::size_t index = m_fields.size() - 1;
    platform::controlEvents(edit).onExit = [this, index](QObject*) {
        commitField(m_fields[index]);
        fieldLeft();
    };
    return edit;
}

void TSectionDialog::finishLayout(QSize clientSize)
{
    addOkCancel(
        Button1, Button2, clientSize.width() - 166, clientSize.width() - 83, clientSize.height() - 36);
    enableEnterKeyPreview();
}

QLabel* TSectionDialog::UnitLabel(const QLineEdit* Edit) const
{
    for (const Field& field : m_fields) {
        if (field.edit == Edit)
            return field.unit;
    }
    return nullptr;
}

void TSectionDialog::SetSIUnitLabels()
{
    // The numbers are held in the section tables' SI units, so the labels name those units (a
    // label in centimetres would invite numbers 10 to 10^6 times off).
    for (Field& field : m_fields)
        field.unit->setText(field.siUnit);
}

void TSectionDialog::writeFields()
{
    for (Field& field : m_fields) {
        if (field.value)
            SetEditValue(field.edit, false, *field.value);
    }
}

void TSectionDialog::commitField(Field& field)
{
    if (!field.value)
        return;
    if (field.edit->isModified())
        *field.value = GetEditValue(field.edit);
    SetEditValue(field.edit, false, *field.value);
    field.edit->setModified(false);
}

void TSectionDialog::commitAllFields()
{
    for (Field& field : m_fields)
        commitField(field);
}

void TSectionDialog::accept()
{
    commitAllFields();
    const Fault wrong = fault();
    if (wrong.reason.empty()) {
        TFormDialog::accept();
        return;
    }
    platform::messageDlg(
        QString::fromStdString(wrong.reason), platform::MessageKind::Warning, QMessageBox::Ok, this);
    for (const Field& field : m_fields) {
        if (wrong.value && field.value == wrong.value) {
            field.edit->setFocus(Qt::OtherFocusReason);
            field.edit->selectAll();
            break;
        }
    }
}

// ---- I/H section --------------------------------------------------------------------------------

TfrmUserDefinedI::TfrmUserDefinedI(const TIShape& shape, QWidget* owner)
    : TSectionDialog(
        owner, QStringLiteral("frmUserDefinedI"), QStringLiteral("User Defined I-Shape"), QSize(508, 218))
    , m_shape(shape)
{
    struct Spec {
        const char* caption;
        const char* editName;
        QLineEdit* TfrmUserDefinedI::*edit;
        const char* usUnit;
        QString siUnit;
        Extended TIShape::*value;
    };
    const Spec specs[] = {
        { "W", "Edit18", &TfrmUserDefinedI::Edit18, "plf", kMass, &TIShape::W },
        { "A", "Edit1", &TfrmUserDefinedI::Edit1, "in^2", kMm2, &TIShape::A },
        { "d", "Edit2", &TfrmUserDefinedI::Edit2, "in", kMm, &TIShape::d },
        { "tw", "Edit3", &TfrmUserDefinedI::Edit3, "in", kMm, &TIShape::tw },
        { "bf", "Edit4", &TfrmUserDefinedI::Edit4, "in", kMm, &TIShape::bf },
        { "tf", "Edit5", &TfrmUserDefinedI::Edit5, "in", kMm, &TIShape::tf },
        { "r_ts", "Edit6", &TfrmUserDefinedI::Edit6, "in", kMm, &TIShape::rts },
        { "Zx", "Edit7", &TfrmUserDefinedI::Edit7, "in^3", kMm3, &TIShape::Zx },
        { "Ix", "Edit8", &TfrmUserDefinedI::Edit8, "in^4", kMm4, &TIShape::Ix },
        { "Sx", "Edit9", &TfrmUserDefinedI::Edit9, "in^3", kMm3, &TIShape::Sx },
        { "rx", "Edit10", &TfrmUserDefinedI::Edit10, "in", kMm, &TIShape::rx },
        { "ly", "Edit11", &TfrmUserDefinedI::Edit11, "in^4", kMm4, &TIShape::Iy },
        { "Sy", "Edit12", &TfrmUserDefinedI::Edit12, "in^3", kMm3, &TIShape::Sy },
        { "ry", "Edit13", &TfrmUserDefinedI::Edit13, "in", kMm, &TIShape::ry },
        { "Zy", "Edit14", &TfrmUserDefinedI::Edit14, "in^3", kMm3, &TIShape::Zy },
        { "J", "Edit15", &TfrmUserDefinedI::Edit15, "in^4", kTorsion, &TIShape::J },
        { "Cw", "Edit16", &TfrmUserDefinedI::Edit16, "in^6", kWarping, &TIShape::Cw },
        { "h0", "Edit17", &TfrmUserDefinedI::Edit17, "in", kMm, &TIShape::ho },
    };
    constexpr int kRows = 6;
    constexpr int kColumnWidth = 166;
    int i = 0;
    for (const Spec& spec : specs) {
        this->*spec.edit = addField(QString::fromLatin1(spec.caption), QString::fromLatin1(spec.editName),
            QString::fromLatin1(spec.usUnit), spec.siUnit, &(m_shape.*spec.value),
            6 + (i / kRows) * kColumnWidth, kFirstRow + (i % kRows) * kRowHeight, 28);
        ++i;
    }
    finishLayout(size());
}

void TfrmUserDefinedI::WriteSection()
{
    writeFields();
}

void TfrmUserDefinedI::ReadSection()
{
    commitAllFields();
}

TSectionDialog::Fault TfrmUserDefinedI::fault() const
{
    return faultOf(m_shape);
}

// ---- hollow section -----------------------------------------------------------------------------

TfrmUserDefinedO::TfrmUserDefinedO(const TPipeShape& shape, QWidget* owner)
    : TSectionDialog(owner, QStringLiteral("frmUserDefinedO"), QStringLiteral("User Defined Hollow Shape"),
        QSize(335, 218))
    , m_shape(shape)
{
    struct Spec {
        const char* caption;
        const char* editName;
        QLineEdit* TfrmUserDefinedO::*edit;
        const char* usUnit;
        QString siUnit;
        Extended TPipeShape::*value; // null: the inside diameter, computed
    };
    const Spec specs[] = {
        { "W", "Edit18", &TfrmUserDefinedO::Edit18, "plf", kMass, &TPipeShape::W },
        { "A", "Edit1", &TfrmUserDefinedO::Edit1, "in^2", kMm2, &TPipeShape::A },
        { "OD", "Edit2", &TfrmUserDefinedO::Edit2, "in", kMm, &TPipeShape::OD },
        { "ID", "Edit3", &TfrmUserDefinedO::Edit3, "in", kMm, nullptr },
        { "t", "Edit4", &TfrmUserDefinedO::Edit4, "in", kMm, &TPipeShape::tdes },
        { "Ix=Iy", "Edit5", &TfrmUserDefinedO::Edit5, "in^4", kMm4, &TPipeShape::I },
        { "Sx=Sy", "Edit6", &TfrmUserDefinedO::Edit6, "in^3", kMm3, &TPipeShape::S },
        { "Zx=Zy", "Edit7", &TfrmUserDefinedO::Edit7, "in^3", kMm3, &TPipeShape::Z },
        { "rx=ry", "Edit8", &TfrmUserDefinedO::Edit8, "in", kMm, &TPipeShape::r },
        { "J", "Edit9", &TfrmUserDefinedO::Edit9, "in^4", kTorsion, &TPipeShape::J },
        { "D/t", "Edit10", &TfrmUserDefinedO::Edit10, "", QString(), &TPipeShape::Dt },
    };
    constexpr int kRows = 6;
    constexpr int kColumnWidth = 166;
    int i = 0;
    for (const Spec& spec : specs) {
        this->*spec.edit = addField(QString::fromLatin1(spec.caption), QString::fromLatin1(spec.editName),
            QString::fromLatin1(spec.usUnit), spec.siUnit, spec.value ? &(m_shape.*spec.value) : nullptr,
            4 + (i / kRows) * kColumnWidth, kFirstRow + (i % kRows) * kRowHeight, 34);
        ++i;
    }
    Edit3->setReadOnly(true);
    Edit3->setFocusPolicy(Qt::NoFocus);
    platform::setControlColor(Edit3, platform::colorFromBgr(platform::clSkyBlue));
    finishLayout(size());
}

void TfrmUserDefinedO::showInsideDiameter()
{
    SetEditValue(Edit3, false, m_shape.OD - 2 * m_shape.tdes);
}

void TfrmUserDefinedO::WriteSection()
{
    writeFields();
    showInsideDiameter();
}

void TfrmUserDefinedO::ReadSection()
{
    commitAllFields();
}

void TfrmUserDefinedO::fieldLeft()
{
    showInsideDiameter();
}

TSectionDialog::Fault TfrmUserDefinedO::fault() const
{
    return faultOf(m_shape);
}

// ---- entry points -------------------------------------------------------------------------------

bool ShowUserDefinedI(TLPData& Data, QWidget* owner)
{
    TfrmUserDefinedI dialog(Data.IShape, owner);
    if (Data.Units == kUnitsSI)
        dialog.SetSIUnitLabels();
    dialog.WriteSection();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.ReadSection();
    Data.IShape = dialog.Section();
    return true;
}

bool ShowUserDefinedO(TLPData& Data, QWidget* owner)
{
    TfrmUserDefinedO dialog(Data.PipeShape, owner);
    if (Data.Units == kUnitsSI)
        dialog.SetSIUnitLabels();
    dialog.WriteSection();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.ReadSection();
    Data.PipeShape = dialog.Section();
    return true;
}
