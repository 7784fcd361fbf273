// The handlers between the user's keystrokes and the binding: the numeric key filter, the common
// change and exit handlers, the material defaults, and the f'c / E pair.
#include "ui/main/lpmain.h"

#include "model/lpclasses.h"
#include "ui/dialogs/editvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>

#include <cmath>

namespace {

bool isConcreteIndex(int index)
{
    return index == piRoughConcrete || index == piSmoothConcrete;
}

} // namespace

void TfrmLPMain::Edit1KeyPress(QObject* Sender, QChar& Key)
{
    if (Key == QChar(8) || Key.isDigit())
        return;
    const QString separator = QLocale().decimalPoint();
    auto* edit = qobject_cast<QLineEdit*>(Sender);
    if (Key == separator.at(0) && edit && !edit->text().contains(separator))
        return;
    Key = QChar();
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
    if (qobject_cast<QComboBox*>(Sender) || qobject_cast<QAbstractButton*>(Sender)) {
        if (const platform::ControlEvents* events = platform::findControlEvents(Sender))
            platform::fireEvent(events->onExit, Sender);
    }
}

void TfrmLPMain::ComboBox1Exit(QObject* /*Sender*/)
{
    m_hintWindow->hide();
    FormToData();
}

void TfrmLPMain::ComboBox3Exit(QObject* Sender)
{
    const int index = ComboBox3->currentIndex();
    if (index != m_lastInterface) {
        const bool si = LPData->Units == kUnitsSI;
        if (isConcreteIndex(index)) {
            SetEditValue(Edit3, false, si ? 18 : 2500);
            Edit3Exit(Edit3);
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
    UpdateStrengthModulus(Sender);
    ComboBox1Exit(Sender);
}

void TfrmLPMain::UpdateStrengthModulus(QObject* Source)
{
    const bool concrete = isConcreteIndex(ComboBox3->currentIndex());
    for (QWidget* w : std::initializer_list<QWidget*> { Edit3, Label8, Label7, RadioButton1, RadioButton2 })
        w->setVisible(concrete);
    if (!concrete) {
        platform::ControlEvents* events = platform::findControlEvents(RadioButton2);
        platform::NotifyEvent saved = events ? std::exchange(events->onClick, {}) : platform::NotifyEvent {};
        RadioButton2->setChecked(true);
        if (events)
            events->onClick = std::move(saved);
        RadioButton1Click(nullptr);
    }
    const bool si = LPData->Units == kUnitsSI;
    if (Source == Edit8) {
        const Extended e = GetEditValue(Edit8);
        const Extended fc = si ? std::pow(e / 4700.0L, 2.0L) : std::pow(e * 1000.0L / 57000.0L, 2.0L);
        SetEditValue(Edit3, false, fc);
        Source = Edit3;
    }
    if (Source == Edit3 && !Edit3->isHidden()) {
        const Extended fc = GetEditValue(Edit3);
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
    DataToForm();
    FormToData();
}
