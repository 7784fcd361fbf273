// The project model: reset, units, sections, bars, predicates and the node and layer accessors.
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "model/tables.h"
#include "platform/core/versionblock.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

// A fresh model in its built-in defaults (no demo project lies beside the test program).
struct ModelTest : ::testing::Test {
    TLPData m;
};

} // namespace

TEST_F(ModelTest, ResetGivesTheBuiltInDefaults)
{
    EXPECT_EQ(m.Units, kUnitsUS);
    EXPECT_EQ(m.Fc, 2500);
    EXPECT_EQ(m.Layers.Count(), 2);
    EXPECT_EQ(m.Layers[0]->Model, &m);
    EXPECT_EQ(m.Layers[0]->List, &m.Layers);
    // Fields the reset does not name start at zero in a fresh model.
    EXPECT_EQ(m.DownwardLoad, 0);
    EXPECT_EQ(m.LoadCaseCount, 0);
    EXPECT_EQ(m.Shape, psSquare);
    // Today, in whole days since 30 Dec 1899 (after 1 Jan 2024 = 45292).
    EXPECT_EQ(m.ProjectDate, std::floor(m.ProjectDate));
    EXPECT_GT(m.ProjectDate, 45292);
}

TEST_F(ModelTest, ResetKeepsFieldsItDoesNotNameAndReplacesTheLayers)
{
    m.DownwardLoad = 123;
    m.Groundwater = 7;
    m.ProjectName = "Pier 4";
    m.Fc = 4000;
    m.Layers.AddLayer();
    m.Layers[0]->Thickness = 12;
    m.Reset(true);
    EXPECT_EQ(m.DownwardLoad, 123);
    EXPECT_EQ(m.Groundwater, 7);
    EXPECT_EQ(m.ProjectName, "");
    EXPECT_EQ(m.Fc, 2500);
    ASSERT_EQ(m.Layers.Count(), 2);
    EXPECT_EQ(m.Layers[0]->Thickness, 0);
}

TEST_F(ModelTest, ResetFromAnotherFamilyLeavesTheNorthAmericanTablesCurrent)
{
    m.SetShapeFamily(2);
    EXPECT_EQ(m.GetIShapes().size(), 174u);
    m.Reset(true);
    EXPECT_EQ(m.ShapeFamily, 0);
    EXPECT_EQ(m.GetIShapes().size(), 340u);
    EXPECT_EQ(m.GetPipeShapes().size(), 165u);
}

TEST_F(ModelTest, SetUnitsConvertsNothingAndSwitchesTheTables)
{
    m.PileLength = 30;
    m.Width = 1.5L;
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(m.Units, kUnitsSI);
    EXPECT_EQ(m.PileLength, 30);
    EXPECT_EQ(m.Width, 1.5L);
    EXPECT_EQ(FieldLimitOf(1).MaxValue, FieldLimitsSI()[0].MaxValue);
    EXPECT_EQ(CurrentSoilDefaults()[0].SubgradeReaction, SoilDefaultsSI()[0].SubgradeReaction);
    EXPECT_EQ(m.GetIShapes().front().Name, "W1100X499");
    m.SetUnits(kUnitsUS);
    EXPECT_EQ(FieldLimitOf(1).MaxValue, FieldLimitsUS()[0].MaxValue);
    EXPECT_EQ(CurrentSoilDefaults()[0].SubgradeReaction, SoilDefaultsUS()[0].SubgradeReaction);
}

TEST_F(ModelTest, UnitValueAndUnitTextChooseBySystemThroughDoublePrecision)
{
    EXPECT_EQ(m.UnitValue(1000, 12), 12);
    EXPECT_EQ(m.UnitText(" KN", " kips"), " kips");
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(m.UnitValue(1000, 12), 1000);
    EXPECT_EQ(m.UnitText(" KN", " kips"), " KN");
    const long double tenth = 0.1L;
    EXPECT_EQ(m.UnitValue(tenth, 0), static_cast<long double>(0.1));
    EXPECT_NE(m.UnitValue(tenth, 0), tenth);
}

TEST_F(ModelTest, SectionIndexKeepsTheSectionAcrossUnitSystems)
{
    m.Interface = piRoughSteel;
    m.Shape = psSquare;
    m.SelectSection(0);
    EXPECT_EQ(m.IShape.Name, "W44X335");
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(m.SectionIndex, 0);
    EXPECT_EQ(m.IShape.Name, "W1100X499");
    EXPECT_EQ(m.IShape.W, 499);

    m.Shape = psCircle;
    m.SelectSection(128);
    EXPECT_EQ(m.PipeShape.Name, "Pipe305STD");
    m.SetUnits(kUnitsUS);
    EXPECT_EQ(m.PipeShape.Name, "Pipe12STD");
}

TEST_F(ModelTest, SelectSectionKeepsAUserDefinedRecord)
{
    m.Interface = piSmoothSteel;
    m.Shape = psRectangle;
    m.SelectSection(5);
    const std::string fifth = m.IShape.Name;
    m.IShape.Name = "My section";
    m.IShape.A = 42;
    m.SelectSection(-1);
    EXPECT_EQ(m.SectionIndex, -1);
    EXPECT_EQ(m.IShape.Name, "My section");
    m.SelectSection(340);
    EXPECT_EQ(m.SectionIndex, 340);
    EXPECT_EQ(m.IShape.A, 42);
    // A concrete pile takes no section record at all.
    m.Interface = piRoughConcrete;
    m.SelectSection(5);
    EXPECT_EQ(m.IShape.Name, "My section");
    m.Interface = piRoughSteel;
    m.SelectSection(5);
    EXPECT_EQ(m.IShape.Name, fifth);
    EXPECT_EQ(m.PipeShape.Name, "");
}

TEST_F(ModelTest, SetShapeFamilyReloadsOnlyOnChange)
{
    m.Interface = piRoughSteel;
    m.Shape = psSquare;
    m.SelectSection(0);
    m.SetShapeFamily(1); // the Australian list is the North American one
    EXPECT_EQ(m.ShapeFamily, 1);
    EXPECT_EQ(m.GetIShapes().size(), 340u);
    EXPECT_EQ(m.IShape.Name, "W44X335");
    m.SetShapeFamily(3);
    EXPECT_EQ(m.GetIShapes().size(), 111u);
    EXPECT_EQ(m.IShape.Name, "1016x305x487");
    m.SetShapeFamily(2);
    EXPECT_EQ(m.GetPipeShapes().size(), 829u);
    m.IShape.Name = "edited";
    m.SetShapeFamily(2);
    EXPECT_EQ(m.IShape.Name, "edited");
}

TEST_F(ModelTest, RebarTablesInEitherUnitSystem)
{
    TRebar bar;
    m.RebarStandard = rsUS;
    m.LoadRebarTable();
    m.GetRebar(5, bar);
    EXPECT_DOUBLE_EQ(bar.Diameter, 0.625);
    EXPECT_DOUBLE_EQ(bar.Area, 0.31);

    // US bars in an SI project take their metric numbers and sizes.
    m.SetUnits(kUnitsSI);
    m.LoadRebarTable();
    EXPECT_EQ(CurrentRebars()[2].BarNo, 16);
    m.GetRebar(16, bar);
    EXPECT_DOUBLE_EQ(bar.Diameter, 15.875);
    EXPECT_DOUBLE_EQ(bar.Area, 0.31 * 645.16);
    EXPECT_EQ(CurrentRebars()[11].BarNo, 0);

    // Canadian bars in a US project keep their numbers, sizes in inches.
    m.SetUnits(kUnitsUS);
    m.RebarStandard = rsCanadian;
    m.LoadRebarTable();
    m.GetRebar(15, bar);
    EXPECT_EQ(bar.BarNo, 15);
    EXPECT_DOUBLE_EQ(bar.Diameter, 16 / 25.4);
    EXPECT_DOUBLE_EQ(bar.Area, 200 / 645.16);

    // An unknown bar number leaves the record as it was.
    TRebar untouched { 99, 1, 2.5, 3.5 };
    m.GetRebar(17, untouched);
    EXPECT_EQ(untouched.BarNo, 99);
    EXPECT_EQ(untouched.Area, 3.5);
}

TEST_F(ModelTest, BarNameByStandard)
{
    for (const auto& [standard, bar, name] :
        { std::tuple { rsUS, 5, "#5" }, { rsEuropean, 5, "5M" }, { rsCanadian, 16, "16M" } }) {
        m.RebarStandard = standard;
        EXPECT_EQ(m.BarName(bar), name);
    }
}

TEST_F(ModelTest, MaterialAndShapePredicates)
{
    // Octagons count as round; a steel pile takes an I-shape when rectangular, a pipe when round.
    const struct {
        TPileInterface interface;
        TPileShape shape;
        bool concrete, steel, timber, round, iShape, pipe;
    } cases[] = {
        { piSmoothConcrete, psOctagon, true, false, false, true, false, false },
        { piRoughConcrete, psRectangle, true, false, false, false, false, false },
        { piSmoothSteel, psOctagon, false, true, false, true, false, true },
        { piRoughSteel, psSquare, false, true, false, false, true, false },
        { piTimber, psCircle, false, false, true, true, false, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "interface " << c.interface << " shape " << c.shape);
        m.Interface = c.interface;
        m.Shape = c.shape;
        EXPECT_EQ(m.IsConcreteNow(), c.concrete);
        EXPECT_EQ(m.IsSteel(), c.steel);
        EXPECT_EQ(m.IsTimber(), c.timber);
        EXPECT_EQ(m.IsRoundShape(), c.round);
        EXPECT_EQ(m.IsRectangularShape(), !c.round);
        EXPECT_EQ(m.UsesIShape(), c.iShape);
        EXPECT_EQ(m.UsesPipeSection(), c.pipe);
    }
    EXPECT_TRUE(m.IsConcrete(0)); // by ordinal, whatever the project's pile
    EXPECT_TRUE(m.IsSteel(3));
    EXPECT_FALSE(m.IsSteel(4));
}

TEST_F(ModelTest, LayerAtDepthPrefersTheUpperLayerOnABoundary)
{
    m.Layers[0]->Thickness = 10;
    m.Layers[1]->Thickness = 5.5L;
    EXPECT_EQ(m.LayerAtDepth(0), m.Layers[0]);
    EXPECT_EQ(m.LayerAtDepth(10), m.Layers[0]);
    EXPECT_EQ(m.LayerAtDepth(10.0004L), m.Layers[0]); // rounds to the boundary
    EXPECT_EQ(m.LayerAtDepth(10.001L), m.Layers[1]);
    EXPECT_EQ(m.LayerAtDepth(15.5L), m.Layers[1]);
    EXPECT_EQ(m.LayerAtDepth(40), m.Layers[1]); // below the last bottom
    EXPECT_EQ(m.LayerAtDepth(-1), m.Layers[1]); // above the surface: no layer holds it
    // With no layer at all there is nothing to return, and no crash.
    m.Layers.Clear();
    EXPECT_EQ(m.LayerAtDepth(3), nullptr);
}

TEST_F(ModelTest, MaximumNodesTakeTheUpperNodeOnTies)
{
    Extended v = 99;
    EXPECT_EQ(m.MaxMomentNode(v), 0);
    EXPECT_EQ(v, 0);

    m.Node(5).Moment = 12.5L;
    m.Node(9).Moment = -12.5L;
    EXPECT_EQ(m.MaxMomentNode(v), 5);
    EXPECT_EQ(v, 12.5L);
    m.Node(3).Moment = -12.5L;
    EXPECT_EQ(m.MaxMomentNode(v), 3);
    EXPECT_EQ(v, -12.5L);

    m.Node(41).Shear = -3;
    m.Node(40).Shear = 2.99L;
    EXPECT_EQ(m.MaxShearNode(v), 41);
    EXPECT_EQ(v, -3);

    m.Node(1).Deflection = 0.25L;
    m.Node(2).Deflection = 0.5L;
    EXPECT_EQ(m.MaxDeflectionNode(v), 2);
    EXPECT_EQ(v, 0.5L);
}

TEST_F(ModelTest, MaximumIsUnknownWhenANodeCouldNotBeComputed)
{
    // The head's deflection is "N.A." (no soil stiffness there): the largest of the other nodes
    // is not the pile's largest deflection, so no maximum is reported.
    m.Node(1).Deflection = std::numeric_limits<Extended>::quiet_NaN();
    m.Node(2).Deflection = 0.25L;
    m.Node(30).Deflection = std::numeric_limits<Extended>::quiet_NaN();
    Extended v = 0;
    EXPECT_EQ(m.MaxDeflectionNode(v), 1);
    EXPECT_TRUE(std::isnan(v));
}

TEST_F(ModelTest, SuggestedFactorOfSafetyByLifeAndControl)
{
    m.ConstructionControl = 1;
    m.DesignLife = 24;
    EXPECT_EQ(double(m.SuggestedFactorOfSafety()), 2.0);
    m.DesignLife = 100;
    EXPECT_EQ(double(m.SuggestedFactorOfSafety()), 3.0);
}

TEST_F(ModelTest, CustomLayerCountCountsLayersWithTheirOwnPile)
{
    EXPECT_EQ(m.CustomLayerCount(), 0);
    m.Layers.AddLayer()->UsePileDefaults = false;
    m.Layers[0]->UsePileDefaults = false;
    EXPECT_EQ(m.CustomLayerCount(), 2);
}

TEST_F(ModelTest, AreaAndPerimeterOfTheFourShapes)
{
    const long double pi = std::numbers::pi_v<long double>;
    m.Width = 1;
    m.Width2 = 2;
    m.Shape = psOctagon;
    m.CalcAreaAndPerimeter();
    // A regular octagon 1 ft across flats: side tan(22.5 deg), area 2(sqrt2 - 1) ft^2.
    const long double side = std::tan(pi / 8);
    EXPECT_NEAR(double(m.Area), double(144 * 2 * (std::numbers::sqrt2_v<long double> - 1)), 1e-12);
    EXPECT_NEAR(double(m.Perimeter), double(8 * side), 1e-15);

    for (const auto& [shape, area, perimeter] :
        { std::tuple { psSquare, 144, 4 }, { psRectangle, 288, 6 } }) {
        m.Shape = shape;
        m.CalcAreaAndPerimeter();
        EXPECT_EQ(m.Area, area);
        EXPECT_EQ(m.Perimeter, perimeter);
    }
    m.Shape = psCircle;
    m.CalcAreaAndPerimeter();
    EXPECT_NEAR(double(m.Area), double(144 * pi / 4), 1e-12);
    EXPECT_NEAR(double(m.Perimeter), double(pi), 1e-15);

    // SI: square metres, no conversion; the tip area is never touched.
    m.SetUnits(kUnitsSI);
    m.TipArea = 7;
    m.Width = 0.5L;
    m.Shape = psSquare;
    m.CalcAreaAndPerimeter();
    EXPECT_EQ(m.Area, 0.25L);
    EXPECT_EQ(m.Perimeter, 2);
    EXPECT_EQ(m.TipArea, 7);
}

// The conversion rounds halves to even by itself only in the default mode; the others must give
// the same integers.
TEST(Rounding, HalvesGoToTheEvenNeighbourInEveryRoundingMode)
{
    constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
    constexpr Extended kInf = std::numeric_limits<Extended>::infinity();
    const struct {
        Extended x;
        std::int64_t rounded;
    } cases[] = { { 0.5L, 0 }, { 1.5L, 2 }, { 2.5L, 2 }, { 2.5000001L, 3 }, { 3.2L, 3 }, { -0.5L, 0 },
        { -1.5L, -2 }, { -2.4L, -2 }, { -2.5L, -2 }, { -3.5L, -4 }, { -3.7L, -4 }, { -0.4L, 0 },
        { 10000.5L, 10000 }, { 10125.0L, 10125 }, { 0x1p62L + 0.5L, std::int64_t { 1 } << 62 },
        { 0x1p62L + 1.5L, (std::int64_t { 1 } << 62) + 2 }, { kNaN, 0 }, { 1e30L, INT64_MAX },
        { -1e30L, INT64_MIN }, { -kInf, INT64_MIN } };
    for (int mode : { FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO }) {
        std::vector<std::int64_t> got;
        std::fesetround(mode);
        for (const auto& c : cases)
            got.push_back(RoundHalfEven(c.x));
        std::fesetround(FE_TONEAREST);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], cases[i].rounded)
                << "mode " << mode << " x " << static_cast<double>(cases[i].x);
    }
}

TEST(DateToday, CountsDaysFromTheEndOf1899)
{
    // The date-time value of a day is whole and agrees with the system clock's day count.
    const double today = DateToday();
    const double unixDays = std::floor(static_cast<double>(std::time(nullptr)) / 86400.0);
    EXPECT_EQ(today, std::floor(today));
    EXPECT_NEAR(today, unixDays + 25569, 1.0); // local time may differ from UTC by a day
}

TEST(ModelReset, AnUnreadableDemoProjectFallsBackToTheBuiltInDefaults)
{
    namespace fs = std::filesystem;
    const fs::path demo
        = fs::path(platform::runningExecutablePath()).parent_path() / "SI UNITS DEMO EXAMPLE.fdx";
    {
        std::ofstream out(demo, std::ios::binary);
        out << "not a project";
    }
    struct Remove {
        fs::path p;
        ~Remove() { fs::remove(p); }
    } cleanup { demo };

    TLPData m;
    m.SetUnits(kUnitsSI); // the unit system before the reset picks the SI demo
    m.Fc = 40;
    m.ProjectName = "kept?";
    EXPECT_NO_THROW(m.Reset(false));
    EXPECT_EQ(m.Units, kUnitsUS);
    EXPECT_EQ(m.Fc, 2500);
    EXPECT_EQ(m.ProjectName, "");
    EXPECT_EQ(m.Layers.Count(), 2);
}
