// Engineering rules the main window applies to what is typed: the cyclic share of the subgrade
// reactions and their accepted range, f'c after a unit switch, the factored first load case.
#include "model/lpclasses.h"
#include "projectbuilder.h"

#include <gtest/gtest.h>

#include <cmath>

using testproject::addLayer;

TEST(InputRules, SubgradeReactionRangeOfADenseWellGradedSand)
{
    TLPData d;
    for (const auto& c :
        { // 0.7 and 1.3 of the default to whole tens; cyclic 0.6 of each bound
            std::tuple { kUnitsUS, false, 310.0L, 580.0L }, // default 450 kcf
            std::tuple { kUnitsUS, true, 186.0L, 348.0L }, std::tuple { kUnitsSI, false, 49470.0L, 91880.0L },
            std::tuple { kUnitsSI, true, 29682.0L, 55128.0L } }) { // default 70680 kN/m^3
        const auto [units, cyclic, low, high] = c;
        testproject::setUp(d, units);
        d.CyclicAnalysis = cyclic;
        TLayer* layer = addLayer(d, 5);
        layer->USCS = lpusSW;
        layer->Consistency = lpconDense;
        Extended gotLow = -1, gotHigh = -1;
        layer->subgradeReactionRange(gotLow, gotHigh);
        EXPECT_EQ(gotLow, low) << int(units) << cyclic;
        EXPECT_EQ(gotHigh, high) << int(units) << cyclic;
    }
    // a soil the table does not know accepts nothing but 0
    TLayer* unknown = addLayer(d, 5);
    unknown->MatType = lpmtNone;
    Extended low = -1, high = -1;
    unknown->subgradeReactionRange(low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0);
}

TEST(InputRules, CyclicSwitchScalesEveryLayersReactionsAndBack)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    TLayer* first = addLayer(d, 5, 100);
    first->SGReactBottom = 250;
    TLayer* second = addLayer(d, 20, 400);
    d.scaleSubgradeReactionsFor(true);
    EXPECT_NEAR(first->SGReactTop, 60, 1e-15L);
    EXPECT_NEAR(first->SGReactBottom, 150, 1e-15L);
    EXPECT_NEAR(second->SGReactBottom, 240, 1e-15L);
    d.scaleSubgradeReactionsFor(false);
    EXPECT_NEAR(first->SGReactTop, 100, 1e-15L);
    EXPECT_NEAR(first->SGReactBottom, 250, 1e-15L);
    EXPECT_NEAR(second->SGReactTop, 400, 1e-15L);
}

TEST(InputRules, FcStartsOverAtTheDefaultOfTheNewUnits)
{
    TLPData d;
    d.SetUnits(kUnitsUS);
    d.Fc = 4000;
    d.SetUnits(kUnitsSI);
    d.resetFcForUnits();
    EXPECT_EQ(d.Fc, 18); // MPa
    d.SetUnits(kUnitsUS);
    d.resetFcForUnits();
    EXPECT_EQ(d.Fc, 2500); // psi
}

// The largest moment of a fixed head is the negative one at the head; the factored case takes
// magnitudes, so that a symmetric section is checked against the larger of the two faces.
TEST(InputRules, FirstLoadCaseFactorsTheLargestMagnitudes)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    addLayer(d, 40);
    d.DownwardLoad = 50;
    for (std::uint8_t head : { kFreeHead, kFixedHead }) {
        d.HeadCondition = head;
        d.MomentLoad = head == kFreeHead ? 30 : 0;
        d.Calculate();
        Extended moment = 0, shear = 0;
        for (const TNodeResult& n : d.Nodes) {
            moment = std::max(moment, std::fabs(n.Moment));
            shear = std::max(shear, std::fabs(n.Shear));
        }
        const TLoadCase c = d.factoredLoadCase();
        EXPECT_EQ(c.Pu, 1.2L * 50) << int(head);
        EXPECT_EQ(c.Mu, 1.6L * moment) << int(head);
        EXPECT_EQ(c.Vu, 1.6L * shear) << int(head);
        EXPECT_GT(c.Mu, 0) << int(head);
    }
    EXPECT_LT(d.Node(1).Moment, 0); // fixed head: the head's moment is the largest and negative
}
