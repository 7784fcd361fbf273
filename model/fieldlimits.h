#pragma once
// Limits and decimals of every numeric input (by its Tag), and the text rules with which a
// number is read from an input and written into one. Pure functions on strings: the windows
// read and write their edits through them.
#include "model/lptypes.h"
#include "platform/core/numberformat.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class TLayer;

struct TFieldLimit {
    Extended MinValue = 0;
    Extended MaxValue = 0;
    std::int32_t Decimals = 0;
    // A row whose limits are both 0 has no range: the value is only formatted.
    bool HasRange() const { return MinValue != 0 || MaxValue != 0; }
};

constexpr int kFieldLimitCount = 77;
// Decimals of a Tag outside 1..77.
constexpr int kDefaultDecimals = 2;

using TFieldLimitTable = std::array<TFieldLimit, kFieldLimitCount>; // [n - 1] is Tag n

const TFieldLimitTable& FieldLimitsUS();
const TFieldLimitTable& FieldLimitsSI();
// The current table, switched by `TLPData::SetUnits`.
const TFieldLimitTable& FieldLimits();
void SetCurrentFieldLimits(bool si);

bool IsFieldTag(int tag);
// Row of a Tag 1..77 in the current table; a Tag outside has no range and 2 decimals.
TFieldLimit FieldLimitOf(int tag);

// A value in fixed notation with 10 significant digits and the given decimals: no thousands
// separators, the format's decimal separator; NaN gives "N.A.".
std::string FormatFixed(Extended value, int decimals, const TNumberFormat& format = {});

// A value in the shortest general notation with up to 15 significant digits: no trailing zeros,
// no thousands separators, the format's decimal separator ("12.5", "40"); NaN gives "N.A.".
std::string FormatGeneral(Extended value, const TNumberFormat& format = {});

// The text of a value shown in an input with this Tag: clamped to the Tag's range when `clamp`
// is true and the range exists, with the Tag's decimals (2 outside 1..77); NaN gives "N.A.".
// `clamp` is false for read-only inputs and when the caller asks for no clamping.
std::string FormatFieldValue(int tag, Extended value, bool clamp, const TNumberFormat& format = {});

// The number an input with this Tag shows for a value: clamped as FormatFieldValue clamps, and
// rounded to the Tag's decimals; NaN stays NaN.
Extended ShownFieldValue(int tag, Extended value, bool clamp);

// The number an input shows for a value read from it (clamped as ClampFieldValue clamps with the
// same overrides): rounded to the Tag's decimals, and still within the range it was clamped to
// where rounding would take it past a bound that has more decimals than the input shows (a pile
// of 12.355 m allows no unbraced length of 12.36).
Extended ShownFieldReading(int tag, Extended value, double minOverride = 0, double maxOverride = 0);

// Reads a number: the decimal separator honoured, blanks around it ignored, thousands
// separators accepted only where they group the digits before the decimal separator by three
// ("1,250.5", not "1,5"). Blank text is 0; text that is not a number gives nothing.
std::optional<Extended> TryParseFieldText(const std::string& text, const TNumberFormat& format = {});
// The same, with 0 for text that is not a number.
Extended ParseFieldText(const std::string& text, const TNumberFormat& format = {});

// Clamps a value read from an input: to the Tag's range when both overrides are 0 and the range
// exists; then a non-zero MinOverride raises a lower value to it, or else a non-zero MaxOverride
// lowers a higher value to it.
Extended ClampFieldValue(int tag, Extended value, double minOverride = 0, double maxOverride = 0);

// The whole reading of an input's text: the value, and whether it differs from the number typed
// (then the caller rewrites the input with `Text`). Text that is not a number reads as 0 (then
// clamped) and is flagged, so that an input can refuse it instead.
struct TFieldReading {
    Extended Value = 0;
    bool Rewrite = false;
    bool NotANumber = false;
    std::string Text; // the value as the input then shows it (set when Rewrite)
};
TFieldReading ReadFieldText(int tag, const std::string& text, double minOverride = 0, double maxOverride = 0,
    const TNumberFormat& format = {});

// ---- soil enumerations ----------------------------------------------------------------------

enum class TLayerEnum { MaterialType, USCS, Consistency };

// Display text of an enumeration value: "" for ordinal 0 (and for an ordinal out of range),
// otherwise the value's name spelt out ("Medium Dense", "Bedrock3").
std::string EnumToDisplayText(TLayerEnum type, int ordinal);

// Ordinals a layer row's combo offers, in order: the seven materials; the USCS classes 1..14 in
// the layer's `AllowedUSCS`; the consistencies 1..12 in its `AllowedConsistencies`.
std::vector<int> LayerComboOrdinals(TLayerEnum type, const TLayer& layer);

// ---- bar sizes ------------------------------------------------------------------------------

// The item to select in a bar combo for a bar number: "#n", else "nM", else item 0.
int FindBarSizeItem(const std::vector<std::string>& items, int barNo);
// The bar number of a bar combo item's text ("#5" or "15M"); when that is not a number or is 0,
// the first bar number of the current bar table.
int BarSizeFromText(const std::string& text);
