// Vertical stresses, capacities of a pile tipped at each node, settlement and the load line.
#include "model/analysis.h"
#include "model/lpclasses.h"
#include "projectbuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using testproject::addLayer;

namespace {

const Extended kPiRef = std::acos(-1.0L);
Extended sinDeg(Extended deg)
{
    return std::sin(deg * kPiRef / 180);
}
Extended tanDeg(Extended deg)
{
    return std::tan(deg * kPiRef / 180);
}
Extended k0(Extended phiDeg, Extended ocr)
{
    return (1 - sinDeg(phiDeg)) * std::pow(ocr, sinDeg(phiDeg));
}

// 1 ft*ksi in m*kPa, and the inputs of one pile in SI units.
constexpr Extended kFootKsi = 0.3048L * 6894.757293168361L;
constexpr Extended kKsiToMPa = 6.894757293168361L;
constexpr Extended kPcfToKNm3 = 0.1570874638462462L;
constexpr Extended kKipToKN = 4.4482216152605L;

#define EXPECT_REL(actual, expected)                                                                         \
    EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected),                                  \
        1e-12 * std::fabs(static_cast<double>(expected)) + 1e-15)

// Two layers, the water table inside the first (US units).
//   L = 20 ft, square B = 1.5 ft, E = 3122 ksi, perimeter P = 6 ft, tip area A = 2.25 ft^2,
//   FSs = 2, FSe = 3, OCR = 1.5, water table at 5 ft, static loading.
//   Layer 1: granular, 8.2 ft, 120 pcf, N = 10, negative skin friction: phi = 28 + 10/4 = 30.5,
//            Nq row Round(30.49) = 30 -> 32.5.
//   Layer 2: cohesive, very stiff (alpha 0.8, su 2000 psf), 15 ft, 125 pcf, N = 20:
//            phi = 24 + 20/4 = 29, Nq row 29 -> 28.
//   Nodes every 0.5 ft; 8.2 ft is nearer node 17 (8.0) than node 18 (8.5), so node 17 moves there.
class HandExampleUS : public ::testing::Test {
protected:
    void SetUp() override
    {
        testproject::setUp(d, kUnitsUS);
        d.PileLength = 20;
        d.Width = d.Width2 = 1.5L;
        d.E = 3122;
        d.Perimeter = 6;
        d.TipArea = 2.25L;
        d.FSSide = 2;
        d.FSEnd = 3;
        d.OCR = 1.5L;
        d.Groundwater = 5;
        TLayer* sand = addLayer(d, 8.2L);
        sand->Gamma = 120;
        sand->SPTFieldN = 10;
        sand->NSF = true;
        TLayer* clay = addLayer(d, 15);
        clay->MatType = lpmtCohesiveSoil;
        clay->USCS = lpusCL;
        clay->Consistency = lpconVeryStiff;
        clay->Gamma = 125;
        clay->SPTFieldN = 20;
        d.Calculate();
    }

    // Displayed set and settlement of a node from its effective stress.
    struct Displayed {
        Extended qSideUlt, qEndUlt, capacity, settlement;
    };
    static Displayed displayed(Extended z, Extended sigmaEff, Extended phi, Extended nq, Extended n)
    {
        Displayed r {};
        r.qSideUlt = 0.001L * z * tanDeg(phi) * sigmaEff * k0(phi, 1.5L) * 6;
        const Extended bearing = 0.001L * nq * sigmaEff * 2.25L;
        r.qEndUlt = bearing < 10 * 2.25L ? bearing : 10 * 2.25L;
        r.capacity = r.qSideUlt / 2 + r.qEndUlt / 3;
        const Extended Q = r.capacity;
        // the tip term in ft*ksi, as m*kPa over 8 it is millimetres: taken to inches
        const Extended tip = (1.5L * Q / (144 * 2.25L)) * (1 - (n + 15) * 0.35L * 0.35L / 500)
            * std::sqrt(1.5L) * 0.33L * 0.1L;
        r.settlement = 20 * Q * 12 / (3122 * 144 * 2.25L) + tip * kFootKsi / 8 / 25.4L;
        return r;
    }

    TLPData d;
};

} // namespace

TEST_F(HandExampleUS, StressesAboveAndBelowTheWaterTable)
{
    ASSERT_EQ(d.Node(17).Depth, 8.2L);
    // node 5, 2 ft: dry
    EXPECT_REL(d.Node(5).SigmaV, 120 * 2.0L);
    EXPECT_EQ(d.Node(5).GammaW, 0);
    EXPECT_EQ(d.Node(5).PorePressure, 0);
    EXPECT_EQ(d.Node(5).SigmaVEff, d.Node(5).SigmaV);
    // node 11, 5 ft: the first node at or below the water table carries water over its step
    EXPECT_REL(d.Node(11).SigmaV, 600);
    EXPECT_REL(d.Node(11).GammaW, 62.42);
    EXPECT_REL(d.Node(11).PorePressure, 62.42 * 0.5L); // 31.21 psf
    EXPECT_REL(d.Node(11).SigmaVEff, 568.79L);
    // node 17 on the layer bottom, 8.2 ft
    EXPECT_REL(d.Node(17).SigmaV, 120 * 8.2L); // 984 psf
    EXPECT_REL(d.Node(17).PorePressure, 62.42 * (8.2L - 4.5L)); // 230.954 psf
    // node 18 in the clay: 0.3 ft of clay over the moved node
    EXPECT_REL(d.Node(18).SigmaV, 120 * 8.2L + 125 * 0.3L); // 1021.5 psf
    EXPECT_REL(d.Node(18).SigmaVEff, 1021.5L - 62.42 * 4.0L); // 771.82 psf
    // tip, 20 ft
    EXPECT_REL(d.Node(41).SigmaV, 120 * 8.2L + 125 * 11.8L); // 2459 psf
    EXPECT_REL(d.Node(41).PorePressure, 62.42 * 15.5L); // 967.51 psf
    EXPECT_REL(d.Node(41).SigmaVEff, 1491.49L);
    // head node: nothing above it
    EXPECT_EQ(d.Node(1).SigmaV, 0);
    EXPECT_EQ(d.Node(1).SigmaVEff, 0);
}

TEST_F(HandExampleUS, FrictionAngleAndAtRestCoefficient)
{
    EXPECT_EQ(d.Node(17).Phi, 30.5L);
    EXPECT_EQ(d.Node(18).Phi, 29);
    EXPECT_REL(d.Node(17).K0, k0(30.5L, 1.5L)); // 0.6049862076
    EXPECT_REL(d.Node(41).K0, 0.627102426451191);
    EXPECT_REL(d.Node(17).TanPhi, tanDeg(30.5L));
}

TEST_F(HandExampleUS, FirstSetIsPoundBasedAndSumsPerNodeInClay)
{
    const Extended K0s = k0(30.5L, 1.5L);
    // sand: effective stress times K0 tan(phi) P, and Nq sigma' A
    const Extended side17 = 753.046L * K0s * tanDeg(30.5L) * 6;
    const Extended end17 = 32.5L * 753.046L * 2.25L;
    EXPECT_REL(d.Node(17).UltSide, side17); // 1610.151 lb
    EXPECT_REL(d.Node(17).UltEnd, end17); // 55066.489 lb
    // clay: one alpha su P (0.8 * 2000 * 6) and one 9 su A (9 * 2000 * 2.25) per node passed
    EXPECT_REL(d.Node(18).UltSide, side17 + 9600);
    EXPECT_REL(d.Node(18).UltEnd, end17 + 40500);
    EXPECT_REL(d.Node(41).UltSide, side17 + 24 * 9600L); // 232010.151 lb
    EXPECT_REL(d.Node(41).UltEnd, end17 + 24 * 40500L); // 1027066.489 lb
    EXPECT_REL(d.Node(41).UltTotal, d.Node(41).UltSide + d.Node(41).UltEnd);
    // allowable, less the negative skin friction of the node (none in the clay)
    EXPECT_REL(d.Node(41).AllowTotal, (end17 + 24 * 40500L) / 3 + (side17 + 24 * 9600L) / 2);
    // the node's negative skin friction, the side friction gained since node 16, is in kips:
    // 1000 lb of the set per kip
    EXPECT_REL(d.Node(17).AllowTotal,
        end17 / 3 + side17 / 2 - 1000 * (d.Node(17).QSideAllow - d.Node(16).QSideAllow));
}

TEST_F(HandExampleUS, EffectiveStressSet)
{
    // the side friction is a force like the displayed set's: z times the friction per foot at z
    EXPECT_REL(d.Node(17).EffSideUlt, 8.2L * 753.046L * k0(30.5L, 1.5L) * tanDeg(30.5L) * 6 * 1.3L);
    EXPECT_REL(d.Node(41).EffSideUlt, 20 * 1491.49L * k0(29, 1.5L) * tanDeg(29) * 6 * 1.1L); // 68436.0 lb
    EXPECT_REL(d.Node(41).EffEndUlt, 28 * 1491.49L * 2.25L); // 93963.87 lb
    EXPECT_REL(d.Node(41).EffTotalAllow, 28 * 1491.49L * 2.25L / 3 + d.Node(41).EffSideUlt / 2);
    EXPECT_EQ(d.EffDownwardCapacity, d.Node(41).EffTotalAllow);
}

TEST_F(HandExampleUS, DisplayedCapacityAndSettlement)
{
    struct Case {
        int node;
        Extended z, sigmaEff, phi, nq, n;
        double capacity; // computed separately, in kips
    };
    for (const Case& c : { Case { 5, 2.0L, 240, 30.5L, 32.5L, 10, 6.363164319266494 },
             Case { 11, 5.0L, 568.79L, 30.5L, 32.5L, 10, 10.540445137037384 },
             Case { 17, 8.2L, 753.046L, 30.5L, 32.5L, 10, 14.101620773591915 },
             Case { 41, 20.0L, 1491.49L, 29, 28, 20, 38.6072806790627 } }) {
        SCOPED_TRACE(c.node);
        const TNodeResult& n = d.Node(c.node);
        const Displayed e = displayed(c.z, c.sigmaEff, c.phi, c.nq, c.n);
        EXPECT_REL(n.QSideUlt, e.qSideUlt);
        EXPECT_REL(n.QSideAllow, e.qSideUlt / 2);
        EXPECT_REL(n.QEndUlt, e.qEndUlt);
        EXPECT_REL(n.QEndAllow, e.qEndUlt / 3);
        EXPECT_REL(n.Capacity, e.capacity);
        EXPECT_REL(n.Capacity, c.capacity);
        EXPECT_REL(n.Settlement, e.settlement);
    }
    // 0.001 * 32.5 * 240 * 2.25 = 17.55 kips stays under the 10 ksf limit; deeper nodes hit it
    EXPECT_REL(d.Node(5).QEndUlt, 17.55L);
    EXPECT_REL(d.Node(11).QEndUlt, 22.5L);
    EXPECT_REL(d.Node(41).Settlement, 0.08323062577569541);
    EXPECT_EQ(d.Node(1).Capacity, 0);
    EXPECT_EQ(d.Node(1).Settlement, 0);
}

TEST_F(HandExampleUS, NegativeSkinFrictionOnlyInFlaggedLayerFromNode2)
{
    // A node's negative skin friction is the side friction gained since the node above it, so the
    // sand's total is the allowable side friction at its bottom (node 17, 8.2 ft).
    Extended sum = 0;
    EXPECT_EQ(d.Node(1).NSF, 0); // in the flagged layer, but never counted
    for (int k = 2; k <= 17; ++k) {
        EXPECT_EQ(d.Node(k).NSF, d.Node(k).QSideAllow - d.Node(k - 1).QSideAllow) << "node " << k;
        sum += d.Node(k).NSF;
    }
    for (int k = 18; k <= kNodeCount; ++k)
        EXPECT_EQ(d.Node(k).NSF, 0) << "node " << k;
    EXPECT_REL(d.TotalNSF, sum);
    EXPECT_REL(d.TotalNSF, displayed(8.2L, 753.046L, 30.5L, 32.5L, 10).qSideUlt / 2); // 6.6016 kips

    // flagging the last layer brings the tip node in; the clay's total is what its own side
    // friction gains from the sand's bottom to the tip
    d.Layers[0]->NSF = false;
    d.Layers[1]->NSF = true;
    d.Calculate();
    const Extended tipNSF = d.Node(41).QSideAllow - d.Node(40).QSideAllow;
    EXPECT_EQ(d.Node(41).NSF, tipNSF);
    EXPECT_EQ(d.Node(17).NSF, 0);
    EXPECT_REL(d.TotalNSF,
        (displayed(20, 1491.49L, 29, 28, 20).qSideUlt - displayed(8.2L, 753.046L, 29, 28, 20).qSideUlt) / 2);
    EXPECT_REL(d.Node(41).AllowTotal, d.Node(41).AllowEnd + d.Node(41).AllowSide - 1000 * tipNSF);
    EXPECT_REL(d.Node(41).EffTotalAllow, d.Node(41).EffEndAllow + d.Node(41).EffSideAllow - 1000 * tipNSF);
}

TEST_F(HandExampleUS, WholePileCapacitiesAndLoadLine)
{
    EXPECT_REL(d.DownwardCapacity, 38.6072806790627);
    EXPECT_EQ(d.DownwardCapacity, d.Node(41).Capacity);
    EXPECT_EQ(d.UpliftCapacity, d.DownwardCapacity / 2);

    // straight by node number, although node 17 sits off its step
    const Extended head = d.Node(41).Capacity;
    const Extended tip = d.Node(41).QEndAllow; // 7.5 kips
    EXPECT_EQ(d.Node(1).PileLoad, head);
    EXPECT_EQ(d.Node(41).PileLoad, tip);
    EXPECT_REL(tip, 7.5L);
    for (int k = 2; k <= 40; ++k)
        EXPECT_REL(d.Node(k).PileLoad, head - (head - tip) * (k - 1) / 40);
    EXPECT_REL(d.Node(17).PileLoad - d.Node(18).PileLoad, (head - tip) / 40);
    // the effective-stress line, built the same way
    EXPECT_EQ(d.Node(1).EffPileLoad, d.Node(41).EffTotalAllow);
    EXPECT_EQ(d.Node(41).EffPileLoad, d.Node(41).EffEndAllow);
    EXPECT_REL(d.Node(21).EffPileLoad, (d.Node(1).EffPileLoad + d.Node(41).EffPileLoad) / 2);
}

// The same kind of profile in SI units: dense sand over sandstone, water table at 2 m.
//   L = 10 m, square B = 0.5 m, E = 25000 MPa, P = 2 m, A = 0.25 m^2, FSs = 2.5, FSe = 3, OCR = 1.
//   Sand 4 m, 18 kN/m^3, N = 20: phi = 33, Nq 51. Sandstone, 22 kN/m^3, N = 50: phi = 40.5, Nq(40) 195.
TEST(HandExampleSI, StressesCapacitiesAndSettlement)
{
    TLPData d;
    testproject::setUp(d, kUnitsSI);
    d.PileLength = 10;
    d.Width = d.Width2 = 0.5L;
    d.E = 25000;
    d.Perimeter = 2;
    d.TipArea = 0.25L;
    d.FSSide = 2.5L;
    d.FSEnd = 3;
    d.OCR = 1;
    d.Groundwater = 2;
    TLayer* sand = addLayer(d, 4);
    sand->Gamma = 18;
    sand->SPTFieldN = 20;
    TLayer* rock = addLayer(d, 10);
    rock->MatType = lpmtSandstoneBedrock;
    rock->USCS = lpusBedrock1;
    rock->Consistency = lpconDense;
    rock->Gamma = 22;
    rock->SPTFieldN = 50;
    d.Calculate();

    struct Case {
        int node;
        double sigmaV, pore, qSideUlt, qEndUlt, capacity, settlement;
    };
    // Computed separately from the formulas, in kPa, kN and mm.
    for (const Case& c :
        { Case { 2, 4.5, 0.0, 0.6653584536907211, 57.375, 19.39114338147629, 0.18963096010794817 },
            Case { 9, 36.0, 2.4525, 39.68197817811461, 120.0, 55.872791271245845, 0.5463943432442764 },
            Case { 17, 72.0, 22.0725, 118.1144326991768, 120.0, 87.24577307967073, 0.8531987716754518 },
            Case { 18, 77.5, 24.525, 134.8159204274329, 240.0, 133.92636817097315, 1.301579312825823 },
            Case { 41, 204.0, 80.9325, 736.9273314139565, 240.0, 374.7709325655826, 3.6422558121868573 } }) {
        SCOPED_TRACE(c.node);
        const TNodeResult& n = d.Node(c.node);
        EXPECT_REL(n.SigmaV, c.sigmaV);
        EXPECT_REL(n.PorePressure, c.pore);
        EXPECT_REL(n.QSideUlt, c.qSideUlt);
        EXPECT_REL(n.QEndUlt, c.qEndUlt); // 480 kPa * A in sand, twice that in rock
        EXPECT_REL(n.Capacity, c.capacity);
        EXPECT_REL(n.Settlement, c.settlement);
    }
    EXPECT_REL(d.Node(9).GammaW, 9.81);
    EXPECT_EQ(d.Node(8).GammaW, 0);
    EXPECT_REL(d.Node(41).EffEndUlt, 195 * 123.0675L * 0.25L);
    EXPECT_EQ(d.UpliftCapacity, d.DownwardCapacity / 2);
}

// One pile in one submerged sand, entered in US units and again in SI: capacity and settlement
// agree at every node once converted. Water and unit weights are chosen so that the effective
// stress is the same (the two systems round the unit weight of water differently) and the end
// bearing stays under its limit (10 ksf and 480 kPa are not the same either).
TEST(Settlement, SameMovementInBothUnitSystems)
{
    TLPData us, si;
    for (TLPData* p : { &us, &si }) {
        const bool metric = p == &si;
        const Extended ft = metric ? 0.3048L : 1;
        testproject::setUp(*p, metric ? kUnitsSI : kUnitsUS);
        p->PileLength = 30 * ft;
        p->Width = p->Width2 = 1.5L * ft;
        p->Perimeter = 6 * ft;
        p->TipArea = 2.25L * ft * ft;
        p->E = 3600 * (metric ? kKsiToMPa : 1);
        p->OCR = 2;
        p->Groundwater = 0;
        TLayer* sand = addLayer(*p, 40 * ft);
        sand->Gamma = metric ? 9.81L + (70 - 62.42L) * kPcfToKNm3 : 70;
        sand->SPTFieldN = 10;
        p->Calculate();
    }
    ASSERT_LT(us.Node(41).QEndUlt, 10 * 2.25L);
    for (int k = 1; k <= kNodeCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(double(si.Node(k).Capacity), double(us.Node(k).Capacity * kKipToKN),
            1e-9 * double(si.Node(k).Capacity));
        EXPECT_NEAR(double(si.Node(k).Settlement), double(us.Node(k).Settlement * 25.4L),
            1e-9 * double(si.Node(k).Settlement));
    }
}

// The elastic shortening of the pile, L Q / (E A), takes the area that carries the load: a steel
// section its own area, a filled pipe adding its concrete core at Ec/E (Ec = 1802 sqrt(f'c) ksi or
// 5055 sqrt(f'c) MPa), a concrete or a timber pile its solid outline. The tip's own movement keeps
// the tip area At:
//   US: s = Q * [ L * 12 / (E * A) + B / (144 * At) * f / (8 * 25.4 / 2101.52) ]   in; A in^2, At ft^2
//   SI: s = Q * [ L / (E * A) + B / At * f / 8 ]                                   mm; A and At m^2
// with f = (1 - (N + 15) * 0.35^2 / 500) * sqrt(OCR) * 0.33 * 0.1. A W44X335 (98.5 in^2 of steel in
// a 15.9 x 44 in outline of 699.6 in^2) shortens seven times more than its outline would.
TEST(Settlement, PileShortensAsTheAreaThatCarriesItsLoad)
{
    enum class Pile { IShape, Pipe, FilledPipe, Concrete, Timber };
    struct Case {
        const char* section;
        std::uint8_t units;
        Pile pile;
    };
    for (const Case& c :
        { Case { "W44X335", kUnitsUS, Pile::IShape }, Case { "W1100X499", kUnitsSI, Pile::IShape },
            Case { "HSS8.625X.250", kUnitsUS, Pile::Pipe }, Case { "HSS219.1X6.4", kUnitsSI, Pile::Pipe },
            Case { "HSS8.625X.250", kUnitsUS, Pile::FilledPipe },
            Case { "HSS219.1X6.4", kUnitsSI, Pile::FilledPipe },
            Case { "concrete", kUnitsUS, Pile::Concrete }, Case { "concrete", kUnitsSI, Pile::Concrete },
            Case { "timber", kUnitsUS, Pile::Timber }, Case { "timber", kUnitsSI, Pile::Timber } }) {
        const bool si = c.units == kUnitsSI;
        SCOPED_TRACE(
            std::string(c.section) + (c.pile == Pile::FilledPipe ? " filled" : "") + (si ? " SI" : " US"));
        TLPData d;
        testproject::setUp(d, c.units);
        d.PileLength = si ? 12 : 40;
        d.StructuralDesign = true; // for every material: only a steel section has an area of its own
        d.SectionIndex = -1;
        d.SteelInput.Fc = si ? 28 : 4;
        addLayer(d, si ? 20 : 60);
        const Extended toSection = si ? 1000 : 12; // model lengths to mm | in
        const Extended sectionToModel = si ? 1e-6L : 1; // section areas to m^2 | in^2
        const Extended tipToModel = si ? 1 : 144; // tip areas to m^2 | in^2
        Extended A = 0; // the area that carries the load, m^2 | in^2
        switch (c.pile) {
        case Pile::IShape: {
            const TIShape s = testproject::iShape(c.section, si);
            d.Interface = piRoughSteel;
            d.E = si ? 200000 : 29000;
            d.IShape = s;
            d.Shape = psRectangle;
            d.Width = s.bf / toSection;
            d.Width2 = s.d / toSection;
            d.TipArea = d.Width * d.Width2;
            A = s.A * sectionToModel;
            break;
        }
        case Pile::Pipe:
        case Pile::FilledPipe: {
            const TPipeShape s = testproject::pipeShape(c.section, si);
            d.Interface = piRoughSteel;
            d.E = si ? 200000 : 29000;
            d.PipeShape = s;
            d.SteelInput.ConcreteFilled = c.pile == Pile::FilledPipe;
            d.Shape = psCircle;
            d.Width = d.Width2 = s.OD / toSection;
            d.TipArea = kPiRef * d.Width * d.Width / 4;
            A = s.A;
            if (c.pile == Pile::FilledPipe) {
                const Extended Ec = (si ? 5055 : 1802) * std::sqrt(d.SteelInput.Fc);
                const Extended core = s.OD - 2 * s.tdes;
                A += Ec / d.E * kPiRef * core * core / 4; // HSS8.625X.250: 6.14 + 0.1243 * 52.35 = 12.65 in^2
            }
            A *= sectionToModel;
            break;
        }
        case Pile::Concrete:
            d.TipArea = d.Width * d.Width; // the square concrete pile of the set-up
            A = d.TipArea * tipToModel;
            break;
        case Pile::Timber:
            d.Interface = piTimber;
            d.E = si ? 11000 : 1600;
            d.Shape = psCircle;
            d.Width = d.Width2 = si ? 0.3L : 1;
            d.TipArea = kPiRef * d.Width * d.Width / 4;
            A = d.TipArea * tipToModel;
            break;
        }
        d.Perimeter = 4 * d.Width;
        d.Calculate();

        const Extended f = (1 - (10 + 15) * 0.35L * 0.35L / 500) * 0.33L * 0.1L; // N = 10, OCR = 1
        const auto perLoad = [&](Extended area) {
            return si
                ? d.PileLength / (d.E * area) + d.Width / d.TipArea * f / 8
                : d.PileLength * 12 / (d.E * area) + d.Width / (144 * d.TipArea) * f / (8 * 25.4L / kFootKsi);
        };
        for (int k : { 2, 21, 41 }) {
            const TNodeResult& n = d.Node(k);
            ASSERT_GT(n.Capacity, 0);
            EXPECT_REL(n.Settlement, n.Capacity * perLoad(A)) << "node " << k;
        }
        if (c.pile == Pile::Concrete || c.pile == Pile::Timber)
            continue;

        // A layer with a pile of its own shortens as its own outline, and so does a steel pile
        // without structural design (no section is chosen).
        const Extended outline = d.TipArea * tipToModel;
        TLayer* layer = d.Layers[0];
        layer->UsePileDefaults = false;
        layer->OwnE = d.E;
        layer->OwnI = d.I;
        layer->OwnWidth = layer->OwnWidth2 = d.Width;
        layer->OwnPerimeter = d.Perimeter;
        layer->OwnTipArea = d.TipArea;
        d.Calculate();
        EXPECT_REL(d.Node(41).Settlement, d.Node(41).Capacity * perLoad(outline));
        layer->UsePileDefaults = true;
        d.StructuralDesign = false;
        d.Calculate();
        EXPECT_REL(d.Node(41).Settlement, d.Node(41).Capacity * perLoad(outline));
    }
}

// The effective-stress side friction is a force like the displayed set's, z times the friction
// per length at z: one pile in one submerged sand (as above, the same effective stress in both
// systems) carries the same effective-stress capacities in both once converted. At the tip,
// z = 30 ft, sigma'_v = (70 - 62.42) * 30 = 227.4 psf, phi = 30.5, OCR = 2, P = 6 ft:
//   Q_side = z * sigma'_v * K0 * tan(phi) * P * 1.3 = 30 * 227.4 * 0.7001 * 0.5890 * 6 * 1.3 = 21 944 lb
TEST(EffectiveStressSet, SideFrictionIsAForceInBothUnitSystems)
{
    TLPData us, si;
    for (TLPData* p : { &us, &si }) {
        const bool metric = p == &si;
        const Extended ft = metric ? 0.3048L : 1;
        testproject::setUp(*p, metric ? kUnitsSI : kUnitsUS);
        p->PileLength = 30 * ft;
        p->Width = p->Width2 = 1.5L * ft;
        p->Perimeter = 6 * ft;
        p->TipArea = 2.25L * ft * ft;
        p->OCR = 2;
        p->Groundwater = 0;
        TLayer* sand = addLayer(*p, 40 * ft);
        sand->Gamma = metric ? 9.81L + (70 - 62.42L) * kPcfToKNm3 : 70;
        sand->SPTFieldN = 10;
        p->Calculate();
    }
    const Extended sideLb = 30 * (70 - 62.42L) * 30 * k0(30.5L, 2) * tanDeg(30.5L) * 6 * 1.3L;
    const Extended kNPerLb = kKipToKN / 1000;
    EXPECT_REL(us.Node(41).EffSideUlt, sideLb);
    for (int k = 1; k <= kNodeCount; ++k) {
        SCOPED_TRACE(k);
        for (auto field :
            { &TNodeResult::EffSideUlt, &TNodeResult::EffTotalUlt, &TNodeResult::EffTotalAllow }) {
            const Extended converted = us.Node(k).*field * kNPerLb;
            EXPECT_NEAR(double(si.Node(k).*field), double(converted), 1e-9 * double(converted));
        }
    }
}

namespace {

// An SI pile 0.4 m square (P = 1.6 m, FSs = 2), the water table at the surface.
void setUpNsfPile(TLPData& d, Extended length)
{
    testproject::setUp(d, kUnitsSI);
    d.PileLength = length;
    d.Width = d.Width2 = 0.4L;
    d.Perimeter = 1.6L;
    d.TipArea = 0.16L;
    d.FSSide = 2;
    d.Groundwater = 0;
}

// 15 m of soft clay (N = 3) at 16 kN/m^3, flagged for negative skin friction.
void addSoftClay(TLPData& d)
{
    TLayer* clay = addLayer(d, 15);
    clay->MatType = lpmtCohesiveSoil;
    clay->USCS = lpusCL;
    clay->Consistency = lpconSoft;
    clay->SPTFieldN = 3;
    clay->Gamma = 16;
    clay->NSF = true;
}

} // namespace

// One flagged layer, 15 m of soft clay (N = 3: phi = 24 + 3/4 = 24.75 degrees, K0 = 1 - sin(phi))
// at 16 kN/m^3 under water from the surface, over sand, with P = 1.6 m and FSs = 2: its negative
// skin friction is the allowable side friction it adds, whatever the pile length below it and
// so the number of nodes in it,
//   NSF = 15 * tan(phi) * (16 - 9.81) * 15 * K0 * 1.6 / 2 = 298.6 kN.
TEST(NegativeSkinFriction, OneLayerGivesOneTotalWhateverThePileLength)
{
    const Extended phi = 24.75L;
    const Extended expected = 15 * tanDeg(phi) * (16 - 9.81L) * 15 * (1 - sinDeg(phi)) * 1.6L / 2;
    for (Extended length : { 20.0L, 30.0L, 40.0L }) {
        SCOPED_TRACE(static_cast<double>(length));
        TLPData d;
        setUpNsfPile(d, length);
        addSoftClay(d);
        addLayer(d, 50);
        d.Calculate();
        EXPECT_REL(d.TotalNSF, expected);
        Extended sum = 0;
        for (int k = 2; k <= kNodeCount; ++k)
            sum += d.Node(k).NSF;
        EXPECT_REL(sum, expected);
    }
}

// The same clay under 5 m of dense sand: its drag is the friction it adds itself, from the sand's
// bottom to its own, not less by the jump down from the sand's larger friction at the boundary,
//   NSF = tan(phi) * K0 * 1.6 / 2 * (20 * s'(20) - 5 * s'(5)),
//   s'(5) = (20 - 9.81) * 5,  s'(20) = s'(5) + (16 - 9.81) * 15.
TEST(NegativeSkinFriction, ABuriedLayerDragsWithItsOwnFriction)
{
    const Extended phi = 24.75L;
    const Extended top = (20 - 9.81L) * 5, bottom = top + (16 - 9.81L) * 15;
    const Extended expected = tanDeg(phi) * (1 - sinDeg(phi)) * 1.6L / 2 * (20 * bottom - 5 * top);
    for (Extended length : { 30.0L, 40.0L }) {
        SCOPED_TRACE(static_cast<double>(length));
        TLPData d;
        setUpNsfPile(d, length);
        TLayer* sand = addLayer(d, 5);
        sand->SPTFieldN = 40;
        sand->Gamma = 20;
        addSoftClay(d);
        addLayer(d, 50);
        d.Calculate();
        EXPECT_REL(d.TotalNSF, expected);
    }
}

TEST(Stresses, WaterTableAtTheSurface)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        TLPData d;
        testproject::setUp(d, units);
        addLayer(d, 100);
        d.Groundwater = 0;
        d.Calculate();
        const double water = units == kUnitsSI ? 9.81 : 62.42;
        EXPECT_EQ(d.Node(1).GammaW, 0);
        for (int k = 2; k <= kNodeCount; ++k) {
            EXPECT_EQ(d.Node(k).GammaW, static_cast<Extended>(water)) << "node " << k;
            EXPECT_REL(d.Node(k).PorePressure, water * d.Node(k).Depth);
        }

        d.Groundwater = 1000; // below the pile: effective equals total
        d.Calculate();
        for (int k = 1; k <= kNodeCount; ++k)
            EXPECT_EQ(d.Node(k).SigmaVEff, d.Node(k).SigmaV) << "node " << k;
    }
}

TEST(Friction, AngleFromSptAndMaterial)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    TLayer* sand = addLayer(d, 10);
    TLayer* clay = addLayer(d, 50);
    clay->MatType = lpmtCohesiveSoil;
    clay->Consistency = lpconFirm;
    sand->SPTFieldN = clay->SPTFieldN = 10;
    d.Calculate();
    EXPECT_EQ(d.Node(5).Phi, 30.5L);
    EXPECT_EQ(d.Node(30).Phi, 26.5L);
}

TEST(Friction, BearingFactorRow)
{
    using analysis::bearingFactorAngle;
    EXPECT_EQ(bearingFactorAngle(30.5L), 30);
    EXPECT_EQ(bearingFactorAngle(29.5L), 29);
    EXPECT_EQ(bearingFactorAngle(30.6L), 31);
    EXPECT_EQ(bearingFactorAngle(24.9L), 25);
    EXPECT_EQ(bearingFactorAngle(47), 45);
    EXPECT_EQ(bearingFactorAngle(1e300L), 45);
    EXPECT_EQ(bearingFactorAngle(-5), 25);

    // Through the analysis: Nq = EffEndUlt / (sigma' A) at the tip.
    struct Case {
        TMaterialType material;
        Extended n;
        Extended phi;
        Extended nq;
    };
    for (const Case& c : { Case { lpmtGranularSoil, 10, 30.5L, 32.5L },
             Case { lpmtCohesiveSoil, 3.6L, 24.9L, 18 }, Case { lpmtGranularSoil, 76, 47, 490 } }) {
        TLPData d;
        testproject::setUp(d, kUnitsUS);
        TLayer* layer = addLayer(d, 100);
        layer->MatType = c.material;
        layer->Consistency = c.material == lpmtCohesiveSoil ? lpconSoft : lpconMediumDense;
        layer->SPTFieldN = c.n;
        d.Calculate();
        const TNodeResult& tip = d.Node(41);
        EXPECT_NEAR(static_cast<double>(tip.Phi), static_cast<double>(c.phi), 1e-15);
        EXPECT_REL(tip.EffEndUlt / (tip.SigmaVEff * d.TipArea), c.nq);
    }
}

TEST(DisplayedSet, CyclicLoadingReducesSideFrictionOnly)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    addLayer(d, 100);
    d.Calculate();
    Extended side[kNodeCount + 1], end[kNodeCount + 1];
    for (int k = 1; k <= kNodeCount; ++k) {
        side[k] = d.Node(k).QSideUlt;
        end[k] = d.Node(k).QEndUlt;
    }
    d.CyclicAnalysis = true;
    d.Calculate();
    for (int k = 2; k <= kNodeCount; ++k) {
        EXPECT_REL(d.Node(k).QSideUlt, 0.6L * side[k]);
        EXPECT_EQ(d.Node(k).QEndUlt, end[k]) << "node " << k;
    }
}

TEST(DisplayedSet, EndBearingLimitDoublesInRock)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        for (int m = lpmtNone; m <= lpmtLimeStoneBedrock; ++m) {
            TLPData d;
            testproject::setUp(d, units);
            TLayer* layer = addLayer(d, 100);
            layer->MatType = static_cast<TMaterialType>(m);
            layer->SPTFieldN = 60; // phi 43: the stress term is far above either limit at the tip
            d.Calculate();
            const Extended unitLimit = units == kUnitsSI ? 480 : 10;
            const Extended factor = m >= lpmtSandstoneBedrock ? 2 : 1;
            EXPECT_REL(d.Node(41).QEndUlt, factor * unitLimit * d.TipArea) << "material " << m;
        }
    }
}

TEST(DisplayedSet, UpliftIsExactlyHalfTheDownwardCapacity)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        for (Extended length : { 7.3L, 25.0L, 41.7L }) {
            TLPData d;
            testproject::setUp(d, units);
            d.PileLength = length;
            addLayer(d, 3.3L)->SPTFieldN = 7;
            addLayer(d, 100)->SPTFieldN = 31;
            d.Calculate();
            EXPECT_EQ(d.UpliftCapacity, d.DownwardCapacity / 2);
            EXPECT_GT(d.UpliftCapacity, 0);
        }
    }
}

// A zero factor of safety, tip area or pile E: the results that divide by it are NaN ("N.A."),
// nothing is infinite, and results that do not depend on it keep their values.
class VerticalZeroDivisor : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (TLPData* p : { &reference, &d }) {
            testproject::setUp(*p, kUnitsUS);
            addLayer(*p, 10)->NSF = true;
            addLayer(*p, 50);
        }
        reference.Calculate();
    }
    TLPData reference;
    TLPData d;
};

TEST_F(VerticalZeroDivisor, SideFactorOfSafety)
{
    d.FSSide = 0;
    d.Calculate();
    for (int k = 2; k <= kNodeCount; ++k) {
        EXPECT_TRUE(std::isnan(d.Node(k).QSideAllow)) << "node " << k;
        EXPECT_TRUE(std::isnan(d.Node(k).Capacity)) << "node " << k;
        EXPECT_EQ(d.Node(k).QEndAllow, reference.Node(k).QEndAllow) << "node " << k;
        EXPECT_EQ(d.Node(k).Moment, reference.Node(k).Moment) << "node " << k;
        EXPECT_EQ(d.Node(k).SigmaVEff, reference.Node(k).SigmaVEff) << "node " << k;
    }
    EXPECT_TRUE(std::isnan(d.DownwardCapacity));
    EXPECT_TRUE(std::isnan(d.UpliftCapacity));
    EXPECT_TRUE(std::isnan(d.TotalNSF));
    EXPECT_TRUE(std::isnan(d.Node(20).PileLoad));
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(VerticalZeroDivisor, EndFactorOfSafety)
{
    d.FSEnd = 0;
    d.Calculate();
    for (int k = 2; k <= kNodeCount; ++k) {
        EXPECT_TRUE(std::isnan(d.Node(k).QEndAllow)) << "node " << k;
        EXPECT_TRUE(std::isnan(d.Node(k).AllowEnd)) << "node " << k;
        EXPECT_EQ(d.Node(k).QSideAllow, reference.Node(k).QSideAllow) << "node " << k;
    }
    EXPECT_EQ(d.TotalNSF, reference.TotalNSF);
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(VerticalZeroDivisor, TipAreaAndPileModulus)
{
    d.TipArea = 0;
    d.Calculate();
    for (int k = 2; k <= kNodeCount; ++k) {
        EXPECT_TRUE(std::isnan(d.Node(k).Settlement)) << "node " << k;
        EXPECT_EQ(d.Node(k).QEndUlt, 0) << "node " << k;
        EXPECT_EQ(d.Node(k).QSideAllow, reference.Node(k).QSideAllow) << "node " << k;
    }
    EXPECT_FALSE(testproject::anyInfinite(d));

    d.TipArea = reference.TipArea;
    d.E = 0;
    d.Calculate();
    for (int k = 2; k <= kNodeCount; ++k) {
        EXPECT_TRUE(std::isnan(d.Node(k).Settlement)) << "node " << k;
        EXPECT_EQ(d.Node(k).Capacity, reference.Node(k).Capacity) << "node " << k;
    }
    EXPECT_EQ(d.DownwardCapacity, reference.DownwardCapacity);
    EXPECT_FALSE(testproject::anyInfinite(d));
}
