#include "ui/dialogs/editvalue.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QVariant>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// The text SetEditValue last wrote into an edit: what a refused text gives way to.
constexpr const char* kShownValue = "fendrixShownValue";
// What an edit shows for a value that could not be computed.
constexpr const char* kNotAvailable = "N.A.";

// Items of a soil list: the ordinals 1..count-1 that `allowed` accepts, with their display texts.
void fillEnumCombo(QComboBox* combo, TLayerEnum type, int count, const TOrdinalSet* allowed, int selected,
    bool selectFirstWhenDisabled)
{
    combo->setUpdatesEnabled(false);
    combo->clear();
    for (int ordinal = 1; ordinal < count; ++ordinal) {
        if (allowed && !allowed->test(static_cast<std::size_t>(ordinal)))
            continue;
        combo->addItem(QString::fromStdString(EnumToDisplayText(type, ordinal)), ordinal);
    }
    // Adding the first item selects it: the selection is set explicitly, none included.
    int index = combo->findData(selected);
    if (selectFirstWhenDisabled) {
        combo->setEnabled(combo->count() > 1);
        if (!combo->isEnabled())
            index = combo->count() > 0 ? 0 : -1;
    }
    combo->setCurrentIndex(index);
    combo->setUpdatesEnabled(true);
    if (const platform::ControlEvents* events = platform::findControlEvents(combo))
        platform::fireEvent(events->onChange, combo);
}

} // namespace

void SetEditValue(QLineEdit* Edit, bool NoClamp, Extended Value)
{
    if (std::isnan(Value)) {
        platform::setEditText(Edit, QLatin1String(kNotAvailable));
        Edit->setProperty(kShownValue, Edit->text());
        return;
    }
    const bool clamp = !NoClamp && !Edit->isReadOnly();
    const std::string text = FormatFieldValue(platform::controlTag(Edit), Value, clamp, LocaleNumberFormat());
    platform::setEditText(Edit, QString::fromStdString(text));
    Edit->setProperty(kShownValue, Edit->text());
}

void TypeNumberKey(QChar& Key)
{
    if (Key == QLatin1Char('.') && QLocale().decimalPoint() == QLatin1String(","))
        Key = QLatin1Char(',');
}

Extended GetEditValue(QLineEdit* Edit, double MinOverride, double MaxOverride)
{
    const int tag = platform::controlTag(Edit);
    TFieldReading reading
        = ReadFieldText(tag, Edit->text().toStdString(), MinOverride, MaxOverride, LocaleNumberFormat());
    const QVariant shown = Edit->property(kShownValue);
    if (reading.NotANumber && shown.isValid()) {
        // Text that is no number (pasted or dropped in) is refused: the edit shows its value again
        // and nothing changes.
        platform::setEditText(Edit, shown.toString());
        reading
            = ReadFieldText(tag, Edit->text().toStdString(), MinOverride, MaxOverride, LocaleNumberFormat());
    }
    // An edit that shows its value could not be computed holds that value, not a 0 read from it.
    if (reading.NotANumber && shown.isValid() && shown.toString() == QLatin1String(kNotAvailable))
        return std::numeric_limits<Extended>::quiet_NaN();
    if (reading.Rewrite)
        SetEditValue(Edit, false, reading.Value);
    return reading.Value;
}

Extended GetShownEditValue(QLineEdit* Edit, double MinOverride, double MaxOverride)
{
    const Extended value = GetEditValue(Edit, MinOverride, MaxOverride);
    const Extended shown = ShownFieldReading(platform::controlTag(Edit), value, MinOverride, MaxOverride);
    if (shown != value && !std::isnan(value))
        SetEditValue(Edit, true, shown);
    return shown;
}

void FillMaterialTypeCombo(QComboBox* Combo, const TLayer& Layer)
{
    fillEnumCombo(Combo, TLayerEnum::MaterialType, kMaterialTypeCount, nullptr,
        Layer.MatType == lpmtNone ? -1 : int(Layer.MatType), false);
}

void FillUSCSCombo(QComboBox* Combo, const TLayer& Layer)
{
    const TOrdinalSet allowed = Layer.AllowedUSCS();
    fillEnumCombo(Combo, TLayerEnum::USCS, kUSCSCount, &allowed, int(Layer.USCS), true);
}

void FillConsistencyCombo(QComboBox* Combo, const TLayer& Layer)
{
    const TOrdinalSet allowed = Layer.AllowedConsistencies();
    fillEnumCombo(Combo, TLayerEnum::Consistency, kConsistencyCount, &allowed, int(Layer.Consistency), true);
}

void SelectBarSize(QComboBox* Combo, int BarNo)
{
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(Combo->count()));
    for (int i = 0; i < Combo->count(); ++i)
        items.push_back(Combo->itemText(i).toStdString());
    Combo->setCurrentIndex(items.empty() ? -1 : FindBarSizeItem(items, BarNo));
}

int GetSelectedBarSize(QComboBox* Combo)
{
    return BarSizeFromText(Combo->currentText().toStdString());
}
