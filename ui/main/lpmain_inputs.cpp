// The handlers between the user's keystrokes and the binding: the numeric key filter, the field
// hint, the common change and exit handlers, the material defaults, the f'c / E pair, the section
// and bar-size lists, the load-case capacity mark, the unit captions and the logo's size.
#include "ui/main/lpmain.h"

#include "imaging/jpeggraphic.h"
#include "model/lpclasses.h"
#include "platform/qt/messages.h"
#include "ui/dialogs/editvalue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QWidget>

#include <cmath>

namespace {

bool isConcreteIndex(int index)
{
    return index == piRoughConcrete || index == piSmoothConcrete;
}

// A list refilled from code: its handlers are detached meanwhile and the common ones attached
// afterwards.
class DetachedList {
public:
    explicit DetachedList(QComboBox* combo)
        : m_events(platform::controlEvents(combo))
    {
        m_events.onChange = {};
        m_events.onExit = {};
    }
    void attach(platform::NotifyEvent change, platform::NotifyEvent exit)
    {
        m_events.onChange = std::move(change);
        m_events.onExit = std::move(exit);
    }

private:
    platform::ControlEvents& m_events;
};

} // namespace

void TfrmLPMain::Edit1KeyPress(QObject* Sender, QChar& Key)
{
    TypeNumberKey(Key);
    if (Key == QChar(8) || Key.isDigit())
        return;
    const QString separator = QLocale().decimalPoint();
    auto* edit = qobject_cast<QLineEdit*>(Sender);
    if (Key == separator.at(0) && edit && !edit->text().contains(separator))
        return;
    Key = QChar();
}

void TfrmLPMain::EditEnter(QObject* Sender)
{
    auto* control = qobject_cast<QWidget*>(Sender);
    if (control && !control->toolTip().isEmpty())
        ShowFieldHint(control, control->toolTip());
}

void TfrmLPMain::ShowFieldHint(QWidget* Control, const QString& Text)
{
    if (Text.isEmpty() || !Control) {
        m_hintWindow->hide();
        return;
    }
    // As wide as the text needs up to 370 pixels, and as many lines as that takes.
    m_hintWindow->setText(Text);
    const QMargins margins = m_hintWindow->contentsMargins();
    const int extra = 2 * m_hintWindow->margin() + margins.left() + margins.right() + 2;
    const QRect text = m_hintWindow->fontMetrics().boundingRect(
        QRect(0, 0, 370 - extra, 10000), Qt::AlignLeft | Qt::TextWordWrap, Text);
    m_hintWindow->resize(text.width() + extra,
        text.height() + 2 * m_hintWindow->margin() + margins.top() + margins.bottom() + 2);
    m_hintWindow->move(Control->mapToGlobal(QPoint(Control->width(), 0)));
    m_hintWindow->show();
}

void TfrmLPMain::ComboBox1Change(QObject* Sender)
{
    SetModified(true);
    if (Sender == ComboBox1 || Sender == ComboBox2) {
        if (ComboBox2->currentIndex() == kFixedHead)
            SetEditValue(Edit5, false, 0);
        Edit5->setEnabled(ComboBox2->currentIndex() == kFreeHead);
    }
    // A choice in a list or of a button is committed at once; an edit when the focus leaves it.
    if (qobject_cast<QComboBox*>(Sender) || qobject_cast<QAbstractButton*>(Sender))
        platform::fireExit(static_cast<QWidget*>(Sender));
}

void TfrmLPMain::ComboBox1Exit(QObject* Sender)
{
    // Focus moves caused by a pass itself (rows rebuilt, tabs hidden) commit nothing.
    if (passRunning())
        return;
    // The list shows the model's standard after every refresh: the user's choice is taken before
    // the commit's refresh writes the standard in force back into it.
    const int standard = ComboBox12->currentIndex();
    FormToData();
    if (Sender == ComboBox12) {
        LPData->RebarStandard = static_cast<TRebarStandard>(std::max(standard, 0));
        showAndCommit();
    }
}

void TfrmLPMain::Edit58Exit(QObject* Sender)
{
    if (passRunning())
        return;
    const TLPData& d = *LPData;
    const Extended cover = GetShownEditValue(Edit58);
    if (cover != d.Cover && !d.BarsFit(cover, d.BarCount)) {
        SetEditValue(Edit58, false, d.Cover);
        platform::messageDlg(barsDoNotFitText(cover, d.BarCount, BarFitInput::Cover),
            platform::MessageKind::Warning, QMessageBox::Ok, this);
    }
    ComboBox1Exit(Sender);
}

void TfrmLPMain::Edit59Exit(QObject* Sender)
{
    if (passRunning())
        return;
    const TLPData& d = *LPData;
    // Read as the commit reads it: no more than the bars' circle holds limits the count.
    const auto count = static_cast<std::int32_t>(RoundHalfEven(GetShownEditValue(Edit59, d.FewestBars(), 0)));
    if (count != d.BarCount && !d.BarsFit(d.Cover, count)) {
        SetEditValue(Edit59, false, d.BarCount);
        platform::messageDlg(barsDoNotFitText(d.Cover, count, BarFitInput::Count),
            platform::MessageKind::Warning, QMessageBox::Ok, this);
    }
    ComboBox1Exit(Sender);
}

void TfrmLPMain::DivisorExit(QObject* Sender)
{
    if (passRunning())
        return;
    TLPData& d = *LPData;
    const struct {
        QLineEdit* edit;
        Extended value; // as the project holds it
        const char* name;
    } divisors[] = {
        { Edit14, d.FSSide, "The factor of safety on side friction" },
        { Edit17, d.FSEnd, "The factor of safety on end bearing" },
        { Edit54, d.Es, "The bars' modulus of elasticity Es" },
        { Edit40, d.SteelInput.Cb, "The bending coefficient Cb" },
        { Edit61, d.TimberInput.CD, "The load duration factor" },
        { Edit62, d.TimberInput.Fb, "The bending value Fb" },
        { Edit63, d.TimberInput.Fv, "The shear value Fv" },
        { Edit64, d.TimberInput.Fc, "The compression value Fc" },
    };
    for (const auto& divisor : divisors) {
        if (divisor.edit != Sender)
            continue;
        // A 0 the project already holds (a file brought it) is left to show N.A.
        if (GetShownEditValue(divisor.edit) == 0 && divisor.value != 0) {
            SetEditValue(divisor.edit, false, divisor.value);
            platform::messageDlg(QStringLiteral("%1 must be greater than 0").arg(QLatin1String(divisor.name)),
                platform::MessageKind::Warning, QMessageBox::Ok, this);
        }
    }
    ComboBox1Exit(Sender);
}

void TfrmLPMain::ComboBox3Exit(QObject* Sender)
{
    if (passRunning())
        return;
    const int index = ComboBox3->currentIndex();
    if (index != m_lastInterface) {
        const bool si = LPData->Units == kUnitsSI;
        if (isConcreteIndex(index)) {
            SetEditValue(Edit3, false, si ? 18 : 2500);
            UpdateStrengthModulus(Edit3);
        } else if (index == piRoughSteel || index == piSmoothSteel) {
            SetEditValue(Edit8, false, si ? 200000 : 29000);
        } else if (index == piTimber) {
            SetEditValue(Edit8, false, si ? 10000 : 1500);
        }
        m_lastInterface = index;
    }
    ComboBox1Exit(Sender);
}

void TfrmLPMain::Edit3Exit(QObject* Sender)
{
    if (passRunning())
        return;
    UpdateStrengthModulus(Sender);
    ComboBox1Exit(Sender);
}

void TfrmLPMain::UpdateStrengthModulus(QObject* Source)
{
    const bool concrete = isConcreteIndex(ComboBox3->currentIndex());
    for (QWidget* w : std::initializer_list<QWidget*> { Edit3, Label8, Label7, RadioButton1, RadioButton2 })
        w->setVisible(concrete);
    if (!concrete) {
        RadioButton2->setChecked(true);
        RadioButton1Click(nullptr);
    }
    const bool si = LPData->Units == kUnitsSI;
    if (Source == Edit8) {
        const Extended e = GetShownEditValue(Edit8);
        const Extended fc = si ? std::pow(e / 4700.0L, 2.0L) : std::pow(e * 1000.0L / 57000.0L, 2.0L);
        SetEditValue(Edit3, false, fc);
        Source = Edit3;
    }
    if (Source == Edit3 && !Edit3->isHidden()) {
        const Extended fc = GetShownEditValue(Edit3);
        const Extended e = si ? 4700.0L * std::sqrt(fc) : 57000.0L * std::sqrt(fc) / 1000.0L;
        SetEditValue(Edit8, false, e);
    }
}

void TfrmLPMain::RadioButton1Click(QObject* Sender)
{
    const bool fromFc = RadioButton1->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*> { Label8, Label7, Edit3 })
        w->setEnabled(fromFc);
    for (QWidget* w : std::initializer_list<QWidget*> { Label18, Label64, Edit8 })
        w->setEnabled(!fromFc);
    if (Sender == RadioButton1 || Sender == RadioButton2)
        (fromFc ? Edit3 : Edit8)->setFocus();
}

void TfrmLPMain::chkUseReinforcementClick(QObject* /*Sender*/)
{
    SetModified(true);
    LPData->StructuralDesign = chkUseReinforcement->isChecked();
    showAndCommit();
}

void TfrmLPMain::FillIShapeCombo(QComboBox* Combo)
{
    QStringList names;
    for (const TIShape& shape : LPData->GetIShapes())
        names << QString::fromStdString(shape.Name);
    FillSectionList(Combo, names);
}

void TfrmLPMain::FillPipeShapeCombo(QComboBox* Combo)
{
    QStringList names;
    for (const TPipeShape& shape : LPData->GetPipeShapes())
        names << QString::fromStdString(shape.Name);
    FillSectionList(Combo, names);
}

// The section names of the current table and "User Defined" last. A refill keeps the section
// shown when the new table has it, else the model's row ("User Defined" for none).
void TfrmLPMain::FillSectionList(QComboBox* Combo, const QStringList& names)
{
    DetachedList detached(Combo);
    const int before = Combo->count();
    const QString selected = Combo->currentIndex() >= 0 ? Combo->currentText() : QString();
    Combo->clear();
    Combo->addItems(names);
    Combo->addItem(QString::fromLatin1(kUserDefinedSection));
    if (before > 0) {
        int index = selected.isEmpty() ? -1 : Combo->findText(selected);
        if (index < 0) {
            const int section = LPData->SectionIndex;
            index = section < 0 || section >= Combo->count() ? Combo->count() - 1 : section;
        }
        Combo->setCurrentIndex(index);
    } else {
        Combo->setCurrentIndex(0);
    }
    detached.attach([this](QObject* s) { ComboBox1Change(s); }, [this](QObject* s) { ComboBox1Exit(s); });
}

void TfrmLPMain::FillSectionCombos()
{
    FillIShapeCombo(ComboBox8);
    FillPipeShapeCombo(ComboBox11);
}

void TfrmLPMain::FillRebarCombo(QComboBox* Combo)
{
    DetachedList detached(Combo);
    const QString selected = Combo->currentText();
    Combo->clear();
    for (const TRebar& bar : CurrentRebars()) {
        if (bar.BarNo != 0)
            Combo->addItem(QString::fromStdString(LPData->BarName(bar.BarNo)));
    }
    const int index = Combo->findText(selected);
    Combo->setCurrentIndex(index >= 0 ? index : (Combo->count() > 0 ? 0 : -1));
    detached.attach([this](QObject* s) { ComboBox1Change(s); }, [this](QObject* s) { ComboBox1Exit(s); });
}

void TfrmLPMain::FillRebarCombos()
{
    FillRebarCombo(ComboBox14);
    FillRebarCombo(ComboBox15);
}

void TfrmLPMain::CheckPuCapacity(QLineEdit* MallEdit, QLineEdit* PuEdit)
{
    const bool carried = !MallEdit->text().isEmpty();
    platform::setFontColor(
        PuEdit, carried ? platform::windowTextColor() : platform::colorFromBgr(platform::clRed));
    const QWidget* active = QApplication::focusWidget();
    if (!carried && active && active->parentWidget() == MallEdit->parentWidget())
        ShowFieldHint(PuEdit, QStringLiteral("Pu value is too high for this section"));
    else
        ShowFieldHint(nullptr, QString());
}

void TfrmLPMain::SetUnitCaptions()
{
    const bool si = LPData->Units == kUnitsSI;
    const auto unit = [si](QLabel* l, const char* us, const char* metric) {
        l->setText(QString::fromUtf8(si ? metric : us));
    };
    for (QLabel* l : { Label5, Label3, Label86, Label81, Label74, Label76 })
        unit(l, "ft", "m");
    unit(Label7, "psi", "MPa");
    unit(Label15, "in", "m");
    unit(Label64, "ksi", "MPa");
    unit(Label65, "in", "m");
    unit(Label11, "kips", "KN");
    unit(Label13, "kip-ft", "KN.m");
    unit(Label88, "in", "mm");
    unit(Label31, "Layer Thickness, ft", "Layer Thickness, m");
    unit(Label27, "Lat. S.G, kcf", "Lat. S.G, KN/m^3");
    unit(Label58, "Cohesion, ksf", "Cohesion, KPa");
    unit(Label62, "Gamma, pcf", "Gamma, KN/m^3");
    for (QLabel* l : { Label70, Label208, Label98, Label118 })
        unit(l, "kips", "KN");
    for (QLabel* l : { Label91, Label93, Label111 })
        unit(l, "kips-ft", "KN.m");
    for (QLabel* l : { Label95, Label116, Label218, Label132, Label138 })
        unit(l, "ksi", "MPa");
    for (QLabel* l : { Label105, Label107, Label109, Label123 })
        unit(l, "ft", "m");
    for (QLabel* l : { Label145, Label135, Label137 })
        unit(l, "in", "mm");
    unit(Label149, "Pu\nkip", "Pu\nKN");
    unit(Label150, "Mu\nk-ft", "Mu\nKN.m");
    unit(Label163, "Vu\nkip", "Vu\nKN");
    unit(Label160, "M all\nk-ft", "M all\nKN.m");
    for (QLabel* l : { Label172, Label174, Label176, Label187, Label191, Label193 })
        unit(l, "psi", "MPa");
    for (QLabel* l : { Label178, Label180 })
        unit(l, "in", "mm");
    unit(Label182, "in^3", "mm^3");
}

void TfrmLPMain::SizeLogo()
{
    constexpr int kLogoSpace = 173;
    if (m_logoPicture && !m_logoPicture->Empty() && m_logoPicture->Height() > 0) {
        const Extended exact = Extended(Logo->height()) * m_logoPicture->Width() / m_logoPicture->Height();
        const int width = static_cast<int>(std::min<std::int64_t>(RoundHalfEven(exact), kLogoSpace));
        const int left = LogoBox->width() - width - 4 - (kLogoSpace - width) / 2;
        Logo->setGeometry(left, Logo->y(), width, Logo->height());
    } else {
        Logo->resize(0, Logo->height());
    }
}
