// Field limits, number texts, enumeration texts and bar-size texts.
#include "model/fieldlimits.h"

#include "model/lpclasses.h"
#include "model/tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace {

struct LimitRow {
    Extended usMin, usMax;
    std::int32_t usDec;
    Extended siMin, siMax;
    std::int32_t siDec;
};

// Tag n is row n - 1.
constexpr LimitRow kLimitRows[kFieldLimitCount] = {
    { 5, 450, 2, 1.5L, 150, 3 }, // 1 pile length
    { 0.25L, 15, 2, 0.075L, 5, 3 }, // 2 width, diameter, rectangle length
    { 2500, 12000, 0, 17, 85, 1 }, // 3 f'c
    { 0, 2500, 2, 0, 10000, 1 }, // 4 lateral load
    { 0, 2500, 2, 0, 10000, 1 }, // 5 moment load
    { 0, 11000, 1, 0, 50000, 1 }, // 6
    { 0, 5000, 1, 0, 22000, 1 }, // 7
    { 2, 5, 1, 2, 5, 1 }, // 8
    { 0, 150, 1, 0, 50, 3 }, // 9 layer thickness
    { 0, 0, 1, 0, 0, 1 }, // 10 layer subgrade reaction
    { 0, 0, 2, 0, 0, 2 }, // 11
    { 0, 0, 4, 0, 0, 2 }, // 12
    { 0, 0, 4, 0, 0, 2 }, // 13
    { 0, 0, 4, 0, 0, 2 }, // 14
    { 0, 0, 4, 0, 0, 2 }, // 15
    { 0, 0, 1, 0, 0, 1 }, // 16
    { 0, 0, 1, 0, 0, 1 }, // 17 capacity result lines
    { 0, 0, 1, 0, 0, 1 }, // 18
    { 0, 0, 0, 0, 0, 0 }, // 19 soil modulus column
    { 0, 0, 0, 0, 0, 0 }, // 20
    { 0, 0, 2, 0, 0, 2 }, // 21 depths
    { 0, 0, 2, 0, 0, 2 }, // 22 shears
    { 0, 0, 2, 0, 0, 2 }, // 23 moments
    { 0, 0, 2, 0, 0, 2 }, // 24 deflections
    { 0, 3, 2, 0, 150, 2 }, // 25 layer cohesion
    { 0, 0, 2, 1, 10, 2 }, // 26 layer Kp
    { 1.25L, 2, 2, 1, 2, 2 }, // 27 layer F.S. on Kp
    { 60, 140, 1, 9.8L, 22, 1 }, // 28 layer unit weight
    { 2500, 12000, 0, 17, 85, 1 }, // 29
    { 0.01L, 1000000, 2, 0.01L, 1000000, 4 }, // 30 cross-section area
    { 1000, 30000, 0, 9000, 210000, 1 }, // 31 modulus of elasticity
    { 0, 0, 1, 0, 0, 4 }, // 32 report format
    { 0, 0, 1, 0, 0, 4 }, // 33 moment of inertia
    { 2, 3, 1, 2, 3, 1 }, // 34 passive wedge
    { 0, 0, 2, 0, 0, 2 }, // 35
    { 0, 0, 2, 0, 0, 2 }, // 36
    { 0, 0, 2, 0, 0, 2 }, // 37 soil-pressure columns
    { 0, 10000, 2, 0, 45000, 1 }, // 38 downward load
    { 1.5L, 4, 1, 0, 0, 2 }, // 39
    { 0, 5000, 0, 0, 250, 1 }, // 40
    { 0, 150, 2, 0, 7000, 2 }, // 41
    { 0, 0, 0, 0, 0, 0 }, // 42 layer SPT N
    { 0, 0, 3, 0, 0, 3 }, // 43 perimeter
    { 0, 0, 3, 0, 0, 3 }, // 44 tip area
    { 0, 0, 2, 0, 0, 2 }, // 45 groundwater depth
    { 1, 25, 2, 1, 25, 2 }, // 46 O.C. ratio
    { 0.3L, 3, 2, 0.3L, 3, 2 }, // 47 Su/SigmaV ratio
    { 2, 4, 1, 0, 0, 1 }, // 48 F.S. side friction
    { 2, 4, 1, 0, 0, 1 }, // 49 F.S. end bearing
    { 0.1L, 12, 2, 2, 300, 2 }, // 50 allowable lateral deflection
    { 0, 0, 2, 0, 0, 2 }, // 51 steel P
    { 0, 0, 2, 0, 0, 2 }, // 52 steel moments
    { 36, 75, 2, 300, 500, 2 }, // 53 steel Fy
    { 0.65L, 2.1L, 2, 0.65L, 2.1L, 2 }, // 54 effective length factors
    { 0, 0, 2, 0, 0, 2 }, // 55 unbraced lengths
    { 0, 0, 2, 0, 0, 2 }, // 56 Cb
    { 0.5L, 1, 2, 0.5L, 1, 2 }, // 57 Cmx
    { 0, 0, 3, 0, 0, 3 }, // 58 steel utilisation results
    { 0, 0, 2, 0, 0, 2 }, // 59 user-defined section properties
    { 4, 100, 0, 4, 100, 0 }, // 60 number of bars
    { 40, 150, 0, 280, 1000, 0 }, // 61 rebar yield strength
    { 0, 0, 0, 0, 0, 0 }, // 62 rebar modulus
    { 0, 0, 1, 0, 0, 1 }, // 63 clear cover
    { 0, 0, 1, 0, 0, 1 }, // 64 tie spacing override
    { 1, 4, 0, 1, 4, 0 }, // 65 number of load cases
    { 0, 0, 0, 0, 0, 0 }, // 66 load-case Pu, Vu, Mall
    { 0, 0, 0, 0, 0, 0 }, // 67 load-case Mu
    { 0, 2147483647, 0, 0, 0, 0 }, // 68
    { 0, 0, 1, 0, 0, 1 }, // 69 calculated tie spacing
    { 0, 0, 2, 0, 0, 2 }, // 70 reinforcement percentage
    // The load duration factors are 0.9, 1.0, 1.15, 1.25, 1.6 and 2.0: two decimals keep them.
    // Reference stresses in MPa are tabled to two decimals (a shear value of 0.76 MPa is not 1);
    // those in psi are whole.
    { 0, 0, 2, 0, 0, 2 }, // 71 load duration factor
    { 0, 0, 0, 0, 0, 2 }, // 72 timber bending value
    { 0, 0, 0, 0, 0, 2 }, // 73 timber shear value
    { 0, 0, 0, 0, 0, 2 }, // 74 timber compression value
    { 0, 0, 3, 0, 0, 3 }, // 75 timber results
    { 0, 7000, 2, 0, 30000, 2 }, // 76 uplift load
    { 2.5L, 12, 1, 15, 110, 1 }, // 77 concrete-fill f'c
};

TFieldLimitTable makeLimits(bool si)
{
    TFieldLimitTable table {};
    for (int i = 0; i < kFieldLimitCount; ++i) {
        const LimitRow& r = kLimitRows[i];
        table[i] = si ? TFieldLimit { r.siMin, r.siMax, r.siDec } : TFieldLimit { r.usMin, r.usMax, r.usDec };
    }
    return table;
}

const TFieldLimitTable kLimitsUS = makeLimits(false);
const TFieldLimitTable kLimitsSI = makeLimits(true);
TFieldLimitTable g_fieldLimits = kLimitsUS;

constexpr int kSignificantDigits = 10;

std::string trimmed(const std::string& s)
{
    const char* blanks = " \t\r\n";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

void replaceAll(std::string& s, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    for (std::size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

// Sign, digits with at most one point (at least one digit), optional exponent.
bool isNumberText(const std::string& s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            digits = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        bool expDigits = false;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            expDigits = true;
        if (!expDigits)
            return false;
    }
    return i == s.size();
}

// Removes the thousands separators of a trimmed number text. They may only group the digits
// before the decimal separator by three ("1,250,000.5"); anywhere else the separator is most
// likely a decimal separator of another locale ("1.5" pasted into a German desktop), and the
// text is not read at all rather than read as a number ten or a thousand times too large.
bool removeDigitGrouping(std::string& s, const TNumberFormat& format)
{
    const std::string& sep = format.ThousandsSeparator;
    if (sep.empty() || s.find(sep) == std::string::npos)
        return true;
    const std::size_t begin = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    std::size_t end
        = format.DecimalSeparator.empty() ? std::string::npos : s.find(format.DecimalSeparator, begin);
    end = std::min({ end, s.find_first_of("eE", begin), s.size() });
    if (s.find(sep, end) != std::string::npos)
        return false;
    std::string digits;
    std::size_t groupStart = begin;
    for (bool first = true;; first = false) {
        std::size_t next = s.find(sep, groupStart);
        if (next == std::string::npos || next > end)
            next = end;
        const std::size_t length = next - groupStart;
        if (first ? (length < 1 || length > 3) : length != 3)
            return false;
        for (std::size_t i = groupStart; i < next; ++i)
            if (s[i] < '0' || s[i] > '9')
                return false;
        digits.append(s, groupStart, length);
        if (next == end)
            break;
        groupStart = next + sep.size();
    }
    s = s.substr(0, begin) + digits + s.substr(end);
    return true;
}

// Declared names of the soil enumerations, in ordinal order.
constexpr const char* kMaterialNames[kMaterialTypeCount]
    = { "lpmtNone", "lpmtGranularSoil", "lpmtCohesiveSoil", "lpmtSandstoneBedrock", "lpmtSiltstoneBedrock",
          "lpmtSoftRockBedrock", "lpmtHardRockBedrock", "lpmtLimeStoneBedrock" };
constexpr const char* kUSCSNames[kUSCSCount]
    = { "lpusNone", "lpusGwGpGc", "lpusSW", "lpusSP", "lpusSC", "lpusSM", "lpusML", "lpusCL", "lpusCH",
          "lpusMH", "lpusBedrock1", "lpusBedrock2", "lpusBedrock3", "lpusBedrock4", "lpusBedrock5" };
constexpr const char* kConsistencyNames[kConsistencyCount] = { "lpconNone", "lpconVeryLoose", "lpconLoose",
    "lpconMediumDense", "lpconDense", "lpconVeryDense", "lpconVerySoft", "lpconSoft", "lpconFirm",
    "lpconStiff", "lpconVeryStiff", "lpconHard", "lpconVeryHard" };

} // namespace

const TFieldLimitTable& FieldLimitsUS()
{
    return kLimitsUS;
}
const TFieldLimitTable& FieldLimitsSI()
{
    return kLimitsSI;
}
const TFieldLimitTable& FieldLimits()
{
    return g_fieldLimits;
}
void SetCurrentFieldLimits(bool si)
{
    g_fieldLimits = si ? kLimitsSI : kLimitsUS;
}

bool IsFieldTag(int tag)
{
    return tag >= 1 && tag <= kFieldLimitCount;
}

TFieldLimit FieldLimitOf(int tag)
{
    if (!IsFieldTag(tag))
        return TFieldLimit { 0, 0, kDefaultDecimals };
    return g_fieldLimits[static_cast<std::size_t>(tag - 1)];
}

std::string FormatFixed(Extended value, int decimals, const TNumberFormat& format)
{
    if (std::isnan(value))
        return "N.A.";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (decimals < 0)
        decimals = 0;
    const bool negative = std::signbit(value);
    // Round to ten significant digits first, as the fixed format does.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kSignificantDigits - 1, std::fabs(value));
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exponent = std::atoi(*p ? p + 1 : "0");
    if (digits.find_first_not_of('0') == std::string::npos)
        exponent = 0;

    std::string text;
    if (exponent >= kSignificantDigits) {
        // More integer digits than the precision: scientific notation.
        text = digits.substr(0, 1) + format.DecimalSeparator + digits.substr(1) + "E+";
        std::string exp = std::to_string(exponent);
        while (static_cast<int>(exp.size()) < std::min(decimals, 4))
            exp.insert(exp.begin(), '0');
        text += exp;
        return negative ? "-" + text : text;
    }

    std::string intPart, fracPart;
    if (exponent >= 0) {
        intPart = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
        fracPart = digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        intPart = "0";
        fracPart = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    // Round the decimal digits to the shown decimals, halves to even.
    if (static_cast<int>(fracPart.size()) > decimals) {
        const std::string rest = fracPart.substr(static_cast<std::size_t>(decimals));
        fracPart.resize(static_cast<std::size_t>(decimals));
        bool up = false;
        if (rest[0] > '5') {
            up = true;
        } else if (rest[0] == '5') {
            if (rest.find_first_not_of('0', 1) != std::string::npos) {
                up = true;
            } else {
                const char last = fracPart.empty() ? intPart.back() : fracPart.back();
                up = ((last - '0') % 2) == 1;
            }
        }
        if (up) {
            std::string all = intPart + fracPart;
            int i = static_cast<int>(all.size()) - 1;
            for (; i >= 0; --i) {
                if (all[static_cast<std::size_t>(i)] == '9') {
                    all[static_cast<std::size_t>(i)] = '0';
                } else {
                    ++all[static_cast<std::size_t>(i)];
                    break;
                }
            }
            if (i < 0)
                all.insert(all.begin(), '1');
            intPart = all.substr(0, all.size() - fracPart.size());
            fracPart = all.substr(all.size() - fracPart.size());
        }
    }
    while (static_cast<int>(fracPart.size()) < decimals)
        fracPart += '0';
    text = intPart;
    if (decimals > 0)
        text += format.DecimalSeparator + fracPart;
    // A value that rounds to zero shows no sign.
    const bool allZero = (intPart + fracPart).find_first_not_of('0') == std::string::npos;
    return (negative && !allZero) ? "-" + text : text;
}

std::string FormatGeneral(Extended value, const TNumberFormat& format)
{
    if (std::isnan(value))
        return "N.A.";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string text(buf, result.ptr);
    replaceAll(text, ".", format.DecimalSeparator);
    return text;
}

std::string FormatFieldValue(int tag, Extended value, bool clamp, const TNumberFormat& format)
{
    if (std::isnan(value))
        return "N.A.";
    const TFieldLimit row = FieldLimitOf(tag);
    if (clamp && IsFieldTag(tag) && row.HasRange()) {
        if (value < row.MinValue)
            value = row.MinValue;
        else if (value > row.MaxValue)
            value = row.MaxValue;
    }
    return FormatFixed(value, row.Decimals, format);
}

std::optional<Extended> TryParseFieldText(const std::string& text, const TNumberFormat& format)
{
    std::string s = trimmed(text);
    if (s.empty())
        return Extended(0);
    if (!removeDigitGrouping(s, format))
        return std::nullopt;
    if (format.DecimalSeparator != ".") {
        // A point is not the decimal separator here: it makes the text unreadable.
        if (s.find('.') != std::string::npos)
            return std::nullopt;
        replaceAll(s, format.DecimalSeparator, ".");
    }
    if (!isNumberText(s))
        return std::nullopt;
    const char* first = s.data();
    if (*first == '+')
        ++first;
    Extended value = 0;
    const auto result = std::from_chars(first, s.data() + s.size(), value);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Extended ParseFieldText(const std::string& text, const TNumberFormat& format)
{
    return TryParseFieldText(text, format).value_or(0);
}

Extended ShownFieldValue(int tag, Extended value, bool clamp)
{
    if (std::isnan(value))
        return value;
    // A value too large for fixed notation is shown in full precision: it stands as it is.
    return TryParseFieldText(FormatFieldValue(tag, value, clamp)).value_or(value);
}

Extended ShownFieldReading(int tag, Extended value, double minOverride, double maxOverride)
{
    const Extended shown = ShownFieldValue(tag, value, false);
    if (std::isnan(value) || shown == value)
        return shown;
    // The range the reading was clamped to.
    Extended low = -std::numeric_limits<Extended>::infinity();
    Extended high = std::numeric_limits<Extended>::infinity();
    if (minOverride == 0 && maxOverride == 0) {
        const TFieldLimit row = FieldLimitOf(tag);
        if (IsFieldTag(tag) && row.HasRange()) {
            low = row.MinValue;
            high = row.MaxValue;
        }
    } else {
        if (minOverride != 0)
            low = minOverride;
        if (maxOverride != 0)
            high = maxOverride;
    }
    // A bound is met when it differs only by the representation of its decimals (a bound of 0.3
    // passed in double precision is not the 0.3 an input shows).
    const int decimals = FieldLimitOf(tag).Decimals;
    const Extended step = std::pow(Extended(10), -Extended(decimals));
    const Extended tolerance = step * 1e-6L;
    const auto within = [&](Extended x) { return x >= low - tolerance && x <= high + tolerance; };
    if (within(shown))
        return shown;
    // Rounding crossed a bound that is no multiple of the last shown decimal: the next shown value
    // inside it, or, in a range too narrow for any, the value itself.
    const Extended inside
        = TryParseFieldText(FormatFixed(shown > high ? shown - step : shown + step, decimals))
              .value_or(value);
    return within(inside) ? inside : value;
}

Extended ClampFieldValue(int tag, Extended value, double minOverride, double maxOverride)
{
    if (IsFieldTag(tag) && minOverride == 0 && maxOverride == 0) {
        const TFieldLimit row = FieldLimitOf(tag);
        if (row.HasRange()) {
            if (value < row.MinValue)
                value = row.MinValue;
            else if (value > row.MaxValue)
                value = row.MaxValue;
        }
    }
    if (minOverride != 0 && value < minOverride)
        value = minOverride;
    else if (maxOverride != 0 && value > maxOverride)
        value = maxOverride;
    return value;
}

TFieldReading ReadFieldText(
    int tag, const std::string& text, double minOverride, double maxOverride, const TNumberFormat& format)
{
    TFieldReading reading;
    const std::optional<Extended> number = TryParseFieldText(text, format);
    reading.NotANumber = !number;
    const Extended typed = number.value_or(0);
    reading.Value = ClampFieldValue(tag, typed, minOverride, maxOverride);
    reading.Rewrite = reading.Value != typed;
    // The value is final here: clamping it again to the Tag's row would show a different number
    // from the one returned when overrides widened the range.
    if (reading.Rewrite)
        reading.Text = FormatFieldValue(tag, reading.Value, false, format);
    return reading;
}

std::string EnumToDisplayText(TLayerEnum type, int ordinal)
{
    const char* name = nullptr;
    switch (type) {
    case TLayerEnum::MaterialType:
        if (ordinal > 0 && ordinal < kMaterialTypeCount)
            name = kMaterialNames[ordinal];
        break;
    case TLayerEnum::USCS:
        if (ordinal > 0 && ordinal < kUSCSCount)
            name = kUSCSNames[ordinal];
        break;
    case TLayerEnum::Consistency:
        if (ordinal > 0 && ordinal < kConsistencyCount)
            name = kConsistencyNames[ordinal];
        break;
    }
    if (!name)
        return {};
    // A blank before every capital and digit, then the lower-case prefix goes.
    std::string spaced;
    for (const char* p = name; *p; ++p) {
        if ((*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9'))
            spaced += ' ';
        spaced += *p;
    }
    const auto blank = spaced.find(' ');
    std::string text = blank == std::string::npos ? spaced : spaced.substr(blank + 1);
    if (type == TLayerEnum::USCS)
        replaceAll(text, " ", "");
    return text;
}

std::vector<int> LayerComboOrdinals(TLayerEnum type, const TLayer& layer)
{
    std::vector<int> ordinals;
    switch (type) {
    case TLayerEnum::MaterialType:
        for (int i = 1; i < kMaterialTypeCount; ++i)
            ordinals.push_back(i);
        break;
    case TLayerEnum::USCS: {
        const TOrdinalSet allowed = layer.AllowedUSCS();
        for (int i = 1; i < kUSCSCount; ++i)
            if (allowed.test(static_cast<std::size_t>(i)))
                ordinals.push_back(i);
        break;
    }
    case TLayerEnum::Consistency: {
        const TOrdinalSet allowed = layer.AllowedConsistencies();
        for (int i = 1; i < kConsistencyCount; ++i)
            if (allowed.test(static_cast<std::size_t>(i)))
                ordinals.push_back(i);
        break;
    }
    }
    return ordinals;
}

int FindBarSizeItem(const std::vector<std::string>& items, int barNo)
{
    for (const std::string& wanted : { "#" + std::to_string(barNo), std::to_string(barNo) + "M" })
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == wanted)
                return static_cast<int>(i);
    return 0;
}

int BarSizeFromText(const std::string& text)
{
    std::string s = text;
    if (const auto hash = s.find('#'); hash != std::string::npos)
        s.erase(hash, 1);
    if (const auto m = s.find('M'); m != std::string::npos)
        s.erase(m, 1);
    s = trimmed(s);
    int value = 0;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    const bool number = !s.empty() && result.ec == std::errc() && result.ptr == s.data() + s.size();
    if (!number || value == 0)
        return CurrentRebars()[0].BarNo;
    return value;
}
