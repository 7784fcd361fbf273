// Field limits and the text rules of numeric inputs, enumeration texts and bar-size texts.
#include "model/fieldlimits.h"
#include "model/lpclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct FieldLimitTest : ::testing::Test {
    TLPData m; // owns the current tables; starts in US units
};

const Extended NaN = std::numeric_limits<Extended>::quiet_NaN();

} // namespace

TEST_F(FieldLimitTest, PileLengthIsClampedAndShownPerSystem)
{
    auto r = ReadFieldText(1, "500");
    EXPECT_EQ(r.Value, 450);
    EXPECT_TRUE(r.Rewrite);
    EXPECT_EQ(r.Text, "450.00");

    m.SetUnits(kUnitsSI);
    r = ReadFieldText(1, "0.5");
    EXPECT_EQ(r.Value, 1.5L);
    EXPECT_TRUE(r.Rewrite);
    EXPECT_EQ(r.Text, "1.500");

    r = ReadFieldText(1, "12.25");
    EXPECT_EQ(r.Value, 12.25L);
    EXPECT_FALSE(r.Rewrite);
    EXPECT_EQ(FormatFieldValue(1, 12.25L, true), "12.250");
}

TEST_F(FieldLimitTest, TagsWithoutRangeAcceptAnythingAndRangesClamp)
{
    EXPECT_EQ(ReadFieldText(63, "-2.5").Value, -2.5L); // clear cover
    EXPECT_FALSE(ReadFieldText(63, "-2.5").Rewrite);
    EXPECT_EQ(FormatFieldValue(63, -2.5L, true), "-2.5");
    const auto lateral = ReadFieldText(4, "-15");
    EXPECT_EQ(lateral.Value, 0);
    EXPECT_EQ(lateral.Text, "0.00");
    EXPECT_EQ(ReadFieldText(4, "abc").Value, 0); // not a number reads 0
    EXPECT_EQ(ReadFieldText(3, "abc").Value, 2500); // then the row clamps
    EXPECT_EQ(ReadFieldText(3, "").Value, 2500);
    // A Tag outside the table: 2 decimals, never clamped.
    EXPECT_EQ(ReadFieldText(0, "-1e6").Value, -1e6L);
    EXPECT_EQ(FormatFieldValue(78, 3.14159L, true), "3.14");
    EXPECT_EQ(FormatFieldValue(-3, 1e5L, true), "100000.00");
}

TEST_F(FieldLimitTest, ShowingAValueClampsOnlyWhenAsked)
{
    EXPECT_EQ(FormatFieldValue(1, 1000, true), "450.00");
    EXPECT_EQ(FormatFieldValue(1, 1000, false), "1000.00"); // read-only or told not to
    EXPECT_EQ(FormatFieldValue(1, 1, true), "5.00");
    EXPECT_EQ(FormatFieldValue(58, NaN, true), "N.A.");
    EXPECT_EQ(FormatFieldValue(1, NaN, false), "N.A.");
}

TEST_F(FieldLimitTest, OverridesReplaceTheRowLimits)
{
    // Cohesion of a very hard clay: 0.2 c0 .. c0 with c0 = 4.5 ksf, beyond the row's 3 ksf.
    auto r = ReadFieldText(25, "6", 0.9, 4.5);
    EXPECT_EQ(r.Value, 4.5L);
    EXPECT_EQ(r.Text, "4.50"); // shows the value returned, not the row's maximum
    r = ReadFieldText(25, "0.1", 0.9, 4.5);
    EXPECT_EQ(r.Value, Extended(0.9));
    r = ReadFieldText(25, "4", 0.9, 4.5);
    EXPECT_EQ(r.Value, 4);
    EXPECT_FALSE(r.Rewrite);
    // Only a minimum: no maximum at all.
    EXPECT_EQ(ClampFieldValue(25, 99, 1, 0), 99);
    // A value below the minimum override is not tested against the maximum.
    EXPECT_EQ(ClampFieldValue(25, -1, 2, 1), 2);
}

TEST_F(FieldLimitTest, ParsingHonoursTheLocaleSeparators)
{
    EXPECT_EQ(ParseFieldText("1,250.5"), 1250.5L);
    EXPECT_EQ(ParseFieldText("1,000,000"), 1000000);
    EXPECT_EQ(ParseFieldText("  42 "), 42);
    EXPECT_EQ(ParseFieldText("-.5"), -0.5L);
    EXPECT_EQ(ParseFieldText("+3."), 3);
    EXPECT_EQ(ParseFieldText("1.5e3"), 1500);
    EXPECT_EQ(ParseFieldText("1.2.3"), 0);
    EXPECT_EQ(ParseFieldText("12abc"), 0);
    EXPECT_EQ(ParseFieldText("nan"), 0);
    EXPECT_EQ(ParseFieldText("inf"), 0);
    EXPECT_EQ(ParseFieldText("1e99999"), 0);
    EXPECT_EQ(ParseFieldText("-"), 0);

    const TNumberFormat german { ",", "." };
    EXPECT_EQ(ParseFieldText("1.250,5", german), 1250.5L);
    EXPECT_EQ(ParseFieldText("-12.345.678", german), -12345678);
    EXPECT_EQ(FormatFixed(1250.5L, 2, german), "1250,50");
    // A thousands separator that does not group three digits is no number at all: "1.5" pasted
    // from elsewhere must not read as 15, nor "1,5" as 15 where "," groups.
    for (const char* text : { "1.5", "1.25", "1.2345", ".500", "1.250.5", "1.250,5.0", "1.5e3" })
        EXPECT_FALSE(TryParseFieldText(text, german).has_value()) << text;
    for (const char* text : { "1,5", "1,25", "12,34,567", ",250", "1,250,5", "1.5,0" })
        EXPECT_FALSE(TryParseFieldText(text).has_value()) << text;
    EXPECT_EQ(TryParseFieldText("12,345,678.5"), 12345678.5L);
    EXPECT_EQ(TryParseFieldText(" "), 0); // an emptied input is 0
    EXPECT_TRUE(ReadFieldText(1, "1,5").NotANumber);
    EXPECT_EQ(ReadFieldText(1, "1,5").Value, 5); // read as 0 and clamped where nobody refuses it
    EXPECT_FALSE(ReadFieldText(1, "").NotANumber);
    const TNumberFormat french { ",", "\u00a0" };
    EXPECT_EQ(ParseFieldText("12\u00a0345,25", french), 12345.25L);
    EXPECT_EQ(ParseFieldText("3.5", french), 0);
}

TEST_F(FieldLimitTest, FixedNotationWithTenSignificantDigits)
{
    EXPECT_EQ(FormatFixed(0, 2), "0.00");
    EXPECT_EQ(FormatFixed(2.5L, 0), "2"); // halves to even
    EXPECT_EQ(FormatFixed(3.5L, 0), "4");
    EXPECT_EQ(FormatFixed(0.125L, 2), "0.12");
    EXPECT_EQ(FormatFixed(0.375L, 2), "0.38");
    EXPECT_EQ(FormatFixed(9.999L, 2), "10.00");
    EXPECT_EQ(FormatFixed(-0.001L, 2), "0.00"); // no sign on a zero
    EXPECT_EQ(FormatFixed(-12.345678L, 3), "-12.346");
    EXPECT_EQ(FormatFixed(1234567.891234L, 4), "1234567.8910");
    EXPECT_EQ(FormatFixed(0.000123L, 4), "0.0001");
    EXPECT_EQ(FormatFixed(2147483647.0L, 0), "2147483647");
    EXPECT_EQ(FormatFixed(1e12L, 2), "1.000000000E+12");
    EXPECT_EQ(FormatFixed(NaN, 2), "N.A.");
}

TEST(EnumToDisplayText, NamesOfTheSoilEnumerations)
{
    EXPECT_EQ(EnumToDisplayText(TLayerEnum::USCS, lpusBedrock3), "Bedrock3");
    EXPECT_EQ(EnumToDisplayText(TLayerEnum::Consistency, lpconMediumDense), "Medium Dense");
    EXPECT_EQ(EnumToDisplayText(TLayerEnum::MaterialType, lpmtLimeStoneBedrock), "Lime Stone Bedrock");
    // No value, or one past the list: no text.
    EXPECT_EQ(EnumToDisplayText(TLayerEnum::MaterialType, lpmtNone), "");
    EXPECT_EQ(EnumToDisplayText(TLayerEnum::USCS, 99), "");
}

TEST_F(FieldLimitTest, BarSizeItemsAndTexts)
{
    std::vector<std::string> us, canadian;
    m.RebarStandard = rsUS;
    m.LoadRebarTable();
    for (const TRebar& b : CurrentRebars())
        if (b.BarNo)
            us.push_back(m.BarName(b.BarNo));
    ASSERT_EQ(us.size(), 11u);
    EXPECT_EQ(us.front(), "#3");
    EXPECT_EQ(us.back(), "#18");
    EXPECT_EQ(FindBarSizeItem(us, 5), 2);
    EXPECT_EQ(BarSizeFromText(us[2]), 5);

    m.RebarStandard = rsCanadian;
    m.LoadRebarTable();
    for (const TRebar& b : CurrentRebars())
        if (b.BarNo)
            canadian.push_back(m.BarName(b.BarNo));
    ASSERT_EQ(canadian.size(), 8u);
    EXPECT_EQ(FindBarSizeItem(canadian, 15), 1);
    EXPECT_EQ(FindBarSizeItem(canadian, 5), 0);
    EXPECT_EQ(BarSizeFromText(" 55M"), 55);
    // Not a number, or 0: the first bar of the current table.
    EXPECT_EQ(BarSizeFromText(""), 10);
    EXPECT_EQ(BarSizeFromText("#0"), 10);
    EXPECT_EQ(BarSizeFromText("big"), 10);
}

TEST_F(FieldLimitTest, LayerCombosOfferWhatTheSoilDefaultsHoldForTheMaterial)
{
    TLayer* l = m.Layers[0];
    EXPECT_EQ(LayerComboOrdinals(TLayerEnum::MaterialType, *l), (std::vector<int> { 1, 2, 3, 4, 5, 6, 7 }));
    l->MatType = lpmtCohesiveSoil;
    EXPECT_EQ(
        LayerComboOrdinals(TLayerEnum::USCS, *l), (std::vector<int> { lpusML, lpusCL, lpusCH, lpusMH }));
    EXPECT_EQ(LayerComboOrdinals(TLayerEnum::Consistency, *l).size(), 7u);
    l->MatType = lpmtLimeStoneBedrock;
    EXPECT_EQ(LayerComboOrdinals(TLayerEnum::USCS, *l), (std::vector<int> { lpusBedrock5 }));
    EXPECT_EQ(LayerComboOrdinals(TLayerEnum::Consistency, *l), (std::vector<int> { lpconDense }));
    l->MatType = lpmtNone;
    EXPECT_TRUE(LayerComboOrdinals(TLayerEnum::USCS, *l).empty());
}

TEST_F(FieldLimitTest, AShownReadingStaysWithinTheRangeItWasClampedTo)
{
    // A pile of 12.355 m: unbraced lengths from 0.2 L = 2.471 to L, shown with two decimals.
    const double length = 12.355, shortest = 0.2 * length;
    EXPECT_EQ(ShownFieldReading(55, ClampFieldValue(55, 20, shortest, length), shortest, length), 12.35L);
    EXPECT_EQ(ShownFieldReading(55, ClampFieldValue(55, 0.1L, shortest, length), shortest, length), 2.48L);
    EXPECT_EQ(ShownFieldReading(55, ClampFieldValue(55, 20, 0, length), 0, length), 12.35L);
    // Inside the range the shown value is the rounded one, halves to even as the edit shows them.
    EXPECT_EQ(ShownFieldReading(55, 7.125L, shortest, length), 7.12L);
    // A bound given in double precision is met by the decimal it stands for.
    EXPECT_EQ(ShownFieldReading(25, ClampFieldValue(25, 2.9L, 0.06, 0.3), 0.06, 0.3), 0.3L);
    // A range narrower than a shown step keeps the value read.
    EXPECT_EQ(ShownFieldReading(55, 2.4715L, 2.471, 2.479), 2.4715L);
    // The rows' own limits are multiples of their decimals: rounding keeps them.
    EXPECT_EQ(ShownFieldReading(1, ClampFieldValue(1, 500)), 450);
    EXPECT_TRUE(std::isnan(ShownFieldReading(55, NaN, shortest, length)));
}

TEST_F(FieldLimitTest, TimberValuesKeepTheirMeaningfulDecimals)
{
    // Load duration factors of 1.15 and 1.25 in both systems; reference stresses whole in psi and
    // to two decimals in MPa.
    for (const auto units : { kUnitsUS, kUnitsSI }) {
        m.SetUnits(units);
        EXPECT_EQ(FormatFieldValue(71, 1.15L, true), "1.15");
        EXPECT_EQ(ShownFieldValue(71, 1.25L, true), 1.25L);
    }
    m.SetUnits(kUnitsUS);
    for (const int tag : { 72, 73, 74 })
        EXPECT_EQ(FormatFieldValue(tag, 1200.4L, true), "1200");
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(ShownFieldValue(73, 0.76L, true), 0.76L);
    EXPECT_EQ(FormatFieldValue(72, 11.5L, true), "11.50");
    EXPECT_EQ(FormatFieldValue(74, 8.3L, true), "8.30");
}
