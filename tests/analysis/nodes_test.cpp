// Node placement: equal steps down the pile, the nearest node moved onto each layer bottom.
#include "model/analysis.h"
#include "model/lpclasses.h"
#include "projectbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

using testproject::addLayer;
using testproject::depth;

namespace {

// Depth of node k on an unsnapped pile of length L.
Extended plain(Extended L, int k)
{
    return static_cast<Extended>(k - 1) * L / 40;
}

class NodePlacement : public ::testing::Test {
protected:
    void SetUp() override { testproject::setUp(d, kUnitsUS); }
    // Every node but the ones listed keeps its plain depth.
    void expectPlainExcept(std::initializer_list<int> moved)
    {
        for (int k = 1; k <= kNodeCount; ++k) {
            if (std::find(moved.begin(), moved.end(), k) != moved.end())
                continue;
            EXPECT_EQ(depth(d, k), plain(d.PileLength, k)) << "node " << k;
        }
    }
    TLPData d;
};

} // namespace

TEST_F(NodePlacement, NearestNodeMovesOntoTheBottom)
{
    d.PileLength = 30; // nodes every 0.75 ft
    addLayer(d, 10.0L);
    addLayer(d, 40);
    d.Calculate();
    EXPECT_EQ(depth(d, 2), 0.75L);
    EXPECT_EQ(depth(d, 15), 10.5L);
    // 10.0 lies between node 14 (9.75) and node 15 (10.5); node 14 is nearer.
    EXPECT_EQ(depth(d, 14), 10.0L);
    expectPlainExcept({ 14 });
}

TEST_F(NodePlacement, TieMovesTheDeeperNodeUp)
{
    d.PileLength = 30;
    addLayer(d, 10.125L); // midway between 9.75 and 10.5, exact in binary
    addLayer(d, 40);
    d.Calculate();
    EXPECT_EQ(depth(d, 15), 10.125L);
    expectPlainExcept({ 15 });
}

TEST_F(NodePlacement, BottomOnANodeMovesNothing)
{
    d.PileLength = 30;
    addLayer(d, 9.75L); // node 14 exactly
    addLayer(d, 40);
    d.Calculate();
    expectPlainExcept({});
}

TEST_F(NodePlacement, SecondBottomBetweenTheSameNodesCanTakeTheFirstOnesNode)
{
    d.PileLength = 30;
    TLayer* first = addLayer(d, 10.2L); // nearer node 15 (10.5), which moves up to it
    TLayer* second = addLayer(d, 0.1L); // 10.3: nearer the moved node 15 than node 16 (11.25)
    addLayer(d, 40);
    d.Calculate();
    EXPECT_EQ(depth(d, 15), second->Bottom());
    EXPECT_NE(depth(d, 15), first->Bottom());
    expectPlainExcept({ 15 });

    // Two bottoms, each nearer a different node: both nodes move.
    d.Layers.Clear();
    addLayer(d, 9.8L); // node 14 (9.75) is nearer
    addLayer(d, 0.6L); // 10.4: node 15 (10.5) is nearer
    addLayer(d, 40);
    d.Calculate();
    EXPECT_EQ(depth(d, 14), d.Layers[0]->Bottom());
    EXPECT_EQ(depth(d, 15), d.Layers[1]->Bottom());
    expectPlainExcept({ 14, 15 });
}

TEST_F(NodePlacement, LastBottomIsNeverUsed)
{
    d.PileLength = 30;
    addLayer(d, 5);
    addLayer(d, 15.1L); // the last layer ends at 20.1, between nodes 27 and 28
    d.Calculate();
    EXPECT_EQ(depth(d, 8), 5.0L); // 5.0 is nearer node 8 (5.25) than node 7 (4.5)
    // 20.1 is much nearer node 28 (20.25) than node 27 (19.5), yet neither moves
    expectPlainExcept({ 8 });
}

TEST_F(NodePlacement, HeadNodeMovesWhenTheFirstBottomIsNearer)
{
    d.PileLength = 30;
    addLayer(d, 0.3L); // nearer node 1 (0) than node 2 (0.75)
    addLayer(d, 40);
    d.Calculate();
    EXPECT_EQ(depth(d, 1), 0.3L);
    expectPlainExcept({ 1 });
}

TEST_F(NodePlacement, SnappingDoesNotAccumulateOverRuns)
{
    d.PileLength = 30;
    addLayer(d, 10);
    addLayer(d, 40);
    d.Calculate();
    d.Layers[0]->Thickness = 20;
    d.Calculate();
    EXPECT_EQ(depth(d, 14), plain(30, 14));
    EXPECT_EQ(depth(d, 28), 20.0L); // 19.5 / 20.25: node 28 is nearer
    expectPlainExcept({ 28 });
}

// A layer other than the last that ends at or below the tip has no node beneath it. The search
// must stop at the tip instead of running past node 41, and no node may move onto such a bottom.
TEST_F(NodePlacement, BottomAtOrBelowTheTipMovesNoNode)
{
    d.PileLength = 30;
    addLayer(d, 10);
    addLayer(d, 30); // ends at 40, below the tip
    addLayer(d, 5); // the last layer
    d.Calculate();
    EXPECT_EQ(depth(d, 14), 10.0L);
    EXPECT_EQ(depth(d, 41), 30.0L);
    expectPlainExcept({ 14 });

    d.Layers[1]->Thickness = 20; // ends exactly at the tip
    d.Calculate();
    EXPECT_EQ(depth(d, 41), 30.0L);
    expectPlainExcept({ 14 });

    // Every bottom below the tip: nothing moves, and the analysis still fills every node.
    d.Layers.Clear();
    addLayer(d, 35);
    addLayer(d, 10);
    addLayer(d, 10);
    d.Calculate();
    expectPlainExcept({});
    for (int k = 1; k <= kNodeCount; ++k)
        EXPECT_TRUE(std::isfinite(d.Node(k).Shear)) << "node " << k;
}

TEST_F(NodePlacement, NodeOnABottomBelongsToTheUpperLayer)
{
    d.PileLength = 30;
    TLayer* upper = addLayer(d, 10);
    upper->SGReactTop = 50;
    upper->SGReactBottom = 150;
    upper->Kp = 2;
    upper->FSonKp = 1;
    upper->Gamma = 100;
    upper->Cohesion = 0.5L;
    TLayer* lower = addLayer(d, 40);
    lower->SGReactTop = 400;
    lower->SGReactBottom = 400;
    lower->Kp = 4;
    lower->FSonKp = 2;
    lower->Gamma = 130;
    lower->Cohesion = 0;
    lower->UsePileDefaults = false;
    lower->OwnE = 29000;
    lower->OwnI = 2000;
    lower->OwnWidth = 1;
    d.LateralLoad = 10;
    d.MomentLoad = 20;
    d.Calculate();

    const TNodeResult& n = d.Node(14); // moved onto 10.0
    ASSERT_EQ(n.Depth, 10.0L);
    EXPECT_EQ(n.K, 150); // the upper layer's value at its bottom
    EXPECT_EQ(n.E, d.E);
    EXPECT_EQ(n.I, d.I);
    // width of the upper layer (the project's 1.5 ft) in the soil pressure
    const Extended lambda = n.Lambda;
    const Extended e = n.ExpLZ, c = n.CosLZ;
    EXPECT_NEAR(n.SoilPressure, (2 * 10 * lambda * e * c + 2 * 20 * lambda * lambda * e * c) / 1.5L, 1e-12L);
    // strength of the upper layer: Pw (gamma Kp z / (FSKp 1000) + 2 cu sqrt(Kp / FSKp))
    EXPECT_NEAR(
        n.AllowSoilPressure, 2.5L * (100 * 2 * 10.0L / (1 * 1000) + 2 * 0.5L * std::sqrt(2.0L)), 1e-15L);

    const TNodeResult& below = d.Node(15);
    EXPECT_EQ(below.K, 400);
    EXPECT_EQ(below.E, 29000);
    EXPECT_EQ(below.I, 2000);
}

TEST(LayerLookup, AgreesWithTheModelEverywhere)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    for (Extended t : { 0.1L, 2.35L, 0.0L, 7.0005L, 3.3333L, 12.0L })
        addLayer(d, t);
    const int count = d.Layers.Count();
    std::vector<Extended> probes = { 0, -0.0004L, -0.0006L, 1e6L };
    for (int j = 0; j < count; ++j) {
        const Extended b = d.Layers[j]->Bottom();
        for (Extended delta : { 0.0L, 0.0004L, -0.0004L, 0.0005L, -0.0005L, 0.0006L, -0.0006L, 0.01L })
            probes.push_back(b + delta);
    }
    for (Extended z : probes) {
        const analysis::LayerHit hit = analysis::layerAtDepth(d, z);
        ASSERT_EQ(hit.layer, d.LayerAtDepth(z)) << "depth " << static_cast<double>(z);
        EXPECT_EQ(hit.top, hit.layer->Top()) << "depth " << static_cast<double>(z);
    }

    d.Layers.Clear();
    EXPECT_EQ(analysis::layerAtDepth(d, 1).layer, nullptr);
}

// The lookup and the snapping round to thousandths with halves to even whatever rounding mode
// the floating-point unit is left in.
TEST(LayerLookup, SameRuleInEveryRoundingMode)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    d.PileLength = 30;
    for (Extended t : { 10.0L, 2.35L, 0.0L, 7.0005L, 3.3333L, 40.0L })
        addLayer(d, t);
    d.Calculate();
    std::vector<Extended> nearestDepths;
    for (int k = 1; k <= kNodeCount; ++k)
        nearestDepths.push_back(depth(d, k));

    for (int mode : { FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO }) {
        std::vector<Extended> probes;
        for (int j = 0; j < d.Layers.Count(); ++j) {
            const Extended b = d.Layers[j]->Bottom();
            for (Extended delta : { 0.0L, 0.0004L, -0.0004L, 0.0005L, -0.0005L, 0.0006L, -0.0006L })
                probes.push_back(b + delta);
        }
        std::fesetround(mode);
        const analysis::LayerScan scan(d);
        std::vector<const TLayer*> scanned, model;
        for (Extended z : probes) {
            scanned.push_back(scan.at(z).layer);
            model.push_back(d.LayerAtDepth(z));
        }
        d.Calculate();
        std::vector<Extended> bottoms;
        for (int j = 0; j < d.Layers.Count(); ++j)
            bottoms.push_back(d.Layers[j]->Bottom()); // summed in this mode, as the analysis did
        std::fesetround(FE_TONEAREST);

        EXPECT_EQ(scanned, model) << "mode " << mode;
        // 10.0 is nearest node 14 (9.75), 12.35 node 17 (12.0, twice: the empty layer ends there
        // too), 19.3505 node 27 (19.5) and 22.6838 node 31 (22.5), whatever the mode.
        EXPECT_EQ(depth(d, 14), bottoms[0]) << "mode " << mode;
        EXPECT_EQ(depth(d, 17), bottoms[2]) << "mode " << mode;
        EXPECT_EQ(depth(d, 27), bottoms[3]) << "mode " << mode;
        EXPECT_EQ(depth(d, 31), bottoms[4]) << "mode " << mode;
        for (int k = 1; k <= kNodeCount; ++k)
            EXPECT_NEAR(static_cast<double>(depth(d, k)),
                static_cast<double>(nearestDepths[static_cast<std::size_t>(k - 1)]), 1e-12)
                << "mode " << mode << " node " << k;
    }
}

TEST(LayerLookup, LongListFromAProjectFile)
{
    // more layers than the scan keeps on the stack: the rest is scanned on from there
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    d.PileLength = 45;
    const int count = analysis::LayerScan::kCached + 9;
    for (int j = 0; j < count; ++j)
        addLayer(d, j % 7 == 3 ? 0 : 0.9L + 0.05L * (j % 5), 50 + 10 * j);
    const analysis::LayerScan scan(d);
    for (int j = 0; j < count; ++j) {
        const Extended b = d.Layers[j]->Bottom();
        for (Extended z : { b - 0.3L, b - 0.0004L, b, b + 0.0004L, b + 0.0006L }) {
            const analysis::LayerHit hit = scan.at(z);
            ASSERT_EQ(hit.layer, d.LayerAtDepth(z)) << "depth " << static_cast<double>(z);
            EXPECT_EQ(hit.top, hit.layer->Top()) << "depth " << static_cast<double>(z);
        }
    }
    EXPECT_EQ(scan.at(1e4L).layer, d.Layers[count - 1]);
    d.Calculate(); // nodes in the deep layers take their own subgrade reaction
    const TNodeResult& tip = d.Node(41);
    const TLayer* tipLayer = d.LayerAtDepth(tip.Depth);
    EXPECT_GE(d.Layers.IndexOf(tipLayer), analysis::LayerScan::kCached);
    EXPECT_EQ(tip.K, tipLayer->SGReactTop);
}

TEST(Trigonometry, ReducedSineAndCosineMatchTheLibrary)
{
    // arguments of the analysis reach a few tens of radians; check far beyond, across quadrants,
    // in extended precision (EXPECT_NEAR would compare doubles)
    for (Extended x = -200; x <= 200; x += 0.0137L) {
        Extended s, c;
        analysis::sinCos(x, s, c);
        EXPECT_LE(std::fabs(s - std::sin(x)), 1e-18L) << static_cast<double>(x);
        EXPECT_LE(std::fabs(c - std::cos(x)), 1e-18L) << static_cast<double>(x);
    }
    const Extended halfPi = std::acos(-1.0L) / 2;
    for (int q = -8; q <= 8; ++q) { // on and next to the quadrant boundaries
        for (Extended d : { -1e-12L, 0.0L, 1e-12L }) {
            Extended s, c;
            analysis::sinCos(q * halfPi + d, s, c);
            EXPECT_LE(std::fabs(s - std::sin(q * halfPi + d)), 1e-18L) << q;
            EXPECT_LE(std::fabs(c - std::cos(q * halfPi + d)), 1e-18L) << q;
        }
    }
    Extended s, c;
    analysis::sinCos(1e40L, s, c);
    EXPECT_EQ(s, std::sin(1e40L));
    analysis::sinCos(std::numeric_limits<Extended>::quiet_NaN(), s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

TEST(EmptyProfile, NoLayerLeavesNoStaleResult)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    addLayer(d, 40);
    d.Calculate();
    ASSERT_TRUE(std::isfinite(d.Node(20).Moment));

    d.Layers.Clear();
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k) {
        EXPECT_EQ(depth(d, k), plain(d.PileLength, k));
        EXPECT_TRUE(std::isnan(d.Node(k).Moment)) << "node " << k;
        EXPECT_TRUE(std::isnan(d.Node(k).Capacity)) << "node " << k;
        EXPECT_TRUE(std::isnan(d.Node(k).PileLoad)) << "node " << k;
    }
    EXPECT_TRUE(std::isnan(d.DownwardCapacity));
    EXPECT_TRUE(std::isnan(d.UpliftCapacity));
    EXPECT_TRUE(std::isnan(d.TotalNSF));
    EXPECT_FALSE(testproject::anyInfinite(d));
}
