// Lateral response: the pile as a beam on an elastic foundation.
#include "model/lpclasses.h"
#include "projectbuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using testproject::addLayer;

namespace {

const Extended kPiRef = std::acos(-1.0L);

// Semi-infinite beam on a Winkler foundation (Hetenyi), loaded at its end x = 0 by a shear H and
// a moment M0 that bend it the same way. Consistent units: force and length (kips and ft, or kN
// and m); kB is the foundation modulus per unit length of beam (force/length^2), EI the flexural
// rigidity (force*length^2).
//   beta = (kB / 4EI)^(1/4)
//   A = e^-bx (cos bx + sin bx), B = e^-bx sin bx, C = e^-bx (cos bx - sin bx), D = e^-bx cos bx
//   free end:                y = 2 H beta / kB D + 2 M0 beta^2 / kB C
//                            M = H / beta B + M0 A
//                            V = H C - 2 M0 beta B
//   end held against turning: y = H beta / kB A,  M = -H / (2 beta) C,  V = H D
struct Beam {
    Extended H, M0, kB, EI;

    Extended beta() const { return std::pow(kB / (4 * EI), 0.25L); }
    Extended A(Extended x) const
    {
        return std::exp(-beta() * x) * (std::cos(beta() * x) + std::sin(beta() * x));
    }
    Extended B(Extended x) const { return std::exp(-beta() * x) * std::sin(beta() * x); }
    Extended C(Extended x) const
    {
        return std::exp(-beta() * x) * (std::cos(beta() * x) - std::sin(beta() * x));
    }
    Extended D(Extended x) const { return std::exp(-beta() * x) * std::cos(beta() * x); }

    Extended freeY(Extended x) const
    {
        return 2 * H * beta() / kB * D(x) + 2 * M0 * beta() * beta() / kB * C(x);
    }
    Extended freeM(Extended x) const { return H / beta() * B(x) + M0 * A(x); }
    Extended freeV(Extended x) const { return H * C(x) - 2 * M0 * beta() * B(x); }
    Extended fixedY(Extended x) const { return H * beta() / kB * A(x); }
    Extended fixedM(Extended x) const { return -H / (2 * beta()) * C(x); }
    Extended fixedV(Extended x) const { return H * D(x); }
};

// Compares all 41 nodes with the beam; `toDeflectionUnit` turns beam lengths into in or mm.
void expectMatchesBeam(const TLPData& d, const Beam& beam, Extended toDeflectionUnit)
{
    const bool free = d.HeadCondition == kFreeHead;
    const Extended b = beam.beta();
    const Extended shearScale = std::fabs(beam.H) + 2 * std::fabs(beam.M0) * b;
    const Extended momentScale = std::fabs(beam.H) / b + std::fabs(beam.M0);
    const Extended deflectionScale
        = (2 * std::fabs(beam.H) * b + 2 * std::fabs(beam.M0) * b * b) / beam.kB * toDeflectionUnit;
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = d.Node(k);
        const Extended x = n.Depth;
        EXPECT_NEAR(n.Lambda, b, 1e-14L * b) << "node " << k;
        const Extended V = free ? beam.freeV(x) : beam.fixedV(x);
        const Extended M = free ? beam.freeM(x) : beam.fixedM(x);
        const Extended y = (free ? beam.freeY(x) : beam.fixedY(x)) * toDeflectionUnit;
        EXPECT_NEAR(n.Shear, V, 1e-12L * shearScale) << "node " << k;
        EXPECT_NEAR(n.Moment, M, 1e-12L * momentScale) << "node " << k;
        EXPECT_NEAR(n.Deflection, y, 1e-12L * deflectionScale) << "node " << k;
    }
}

// A regular octagon measured across flats D, about an axis through two opposite flats: the D x D
// square less its four corners, right isosceles triangles whose legs c = (D - side) / 2 with the
// side D / (1 + sqrt 2). A corner has area c^2 / 2, its own I c^4 / 36 and its centroid
// D/2 - c/3 from the axis.
Extended octagonInertia(Extended D)
{
    const Extended side = D / (1 + std::sqrt(2.0L));
    const Extended c = (D - side) / 2;
    const Extended arm = D / 2 - c / 3;
    const Extended corner = c * c * c * c / 36 + c * c / 2 * arm * arm;
    return D * D * D * D / 12 - 4 * corner; // 0.0547 D^4
}

} // namespace

TEST(BeamOnElasticFoundation, UsUnitsFreeAndFixedHead)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    d.PileLength = 40;
    d.Width = d.Width2 = 2; // ft, square
    d.E = 3600; // ksi
    d.LateralLoad = 15; // kips
    d.MomentLoad = 40; // kip-ft
    addLayer(d, 50, 150); // kcf, uniform

    // kB in kips/ft^2; EI in kip*ft^2 from E in ksf and I = B^4/12 in ft^4
    Beam beam { 15, 40, 150 * 2, 3600 * 144 * (2.0L * 2 * 2 * 2) / 12 };
    d.HeadCondition = kFreeHead;
    d.Calculate();
    expectMatchesBeam(d, beam, 12);

    d.HeadCondition = kFixedHead;
    d.Calculate();
    expectMatchesBeam(d, beam, 12);
}

TEST(BeamOnElasticFoundation, SiUnitsFreeAndFixedHead)
{
    TLPData d;
    testproject::setUp(d, kUnitsSI);
    d.PileLength = 12;
    d.Shape = psCircle;
    d.Width = d.Width2 = 0.6L; // m, diameter
    d.E = 25000; // MPa
    d.LateralLoad = 60; // kN
    d.MomentLoad = 80; // kN*m
    addLayer(d, 20, 30000); // kN/m^3, uniform

    // kB in kN/m^2; EI in kN*m^2 from E in kPa and I = pi D^4 / 64 in m^4
    const Extended D4 = 0.6L * 0.6L * 0.6L * 0.6L;
    Beam beam { 60, 80, 30000 * 0.6L, 25000 * 1000 * kPiRef * D4 / 64 };
    d.HeadCondition = kFreeHead;
    d.Calculate();
    expectMatchesBeam(d, beam, 1000);

    d.HeadCondition = kFixedHead;
    d.Calculate();
    expectMatchesBeam(d, beam, 1000);
}

TEST(HeadValues, FreeAndFixedHead)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        TLPData d;
        testproject::setUp(d, units);
        d.LateralLoad = 12;
        d.MomentLoad = 30;
        addLayer(d, 100, units == kUnitsSI ? 20000 : 120);
        const Extended F = units == kUnitsSI ? 1 : 1728;

        d.HeadCondition = kFreeHead;
        d.Calculate();
        const TNodeResult& head = d.Node(1);
        ASSERT_EQ(head.Depth, 0);
        const Extended lambda = head.Lambda;
        const Extended EI = head.E * head.I;
        EXPECT_EQ(head.Shear, 12);
        EXPECT_EQ(head.Moment, 30);
        EXPECT_NEAR(head.Deflection,
            F * (12 / (2 * EI * lambda * lambda * lambda) + 30 / (2 * EI * lambda * lambda)),
            1e-15L * std::fabs(head.Deflection));

        d.HeadCondition = kFixedHead;
        d.Calculate();
        EXPECT_EQ(head.Shear, 12);
        EXPECT_NEAR(head.Moment, -12 / (2 * lambda), 1e-15L * std::fabs(head.Moment));
        EXPECT_NEAR(head.Deflection, F * 12 / (4 * EI * lambda * lambda * lambda),
            1e-15L * std::fabs(head.Deflection));

        // A fixed head takes no moment load: only the soil pressure still sees it.
        const Extended shear = d.Node(9).Shear, moment = d.Node(9).Moment, deflection = d.Node(9).Deflection;
        d.MomentLoad = 0;
        d.Calculate();
        EXPECT_EQ(d.Node(9).Shear, shear);
        EXPECT_EQ(d.Node(9).Moment, moment);
        EXPECT_EQ(d.Node(9).Deflection, deflection);
    }
}

TEST(NodeSoil, SubgradeModulusIsInterpolatedInTheLayer)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    d.PileLength = 30;
    addLayer(d, 5, 50);
    TLayer* layer = addLayer(d, 10);
    layer->SGReactTop = 100;
    layer->SGReactBottom = 300;
    addLayer(d, 40, 500);
    d.Calculate();
    // node 12 at 8.25 ft: 3.25 ft into the layer that starts at 5 ft
    ASSERT_EQ(d.Node(12).Depth, 8.25L);
    EXPECT_NEAR(d.Node(12).K, 100 + 200 * 3.25L / 10, 1e-15L);
    EXPECT_NEAR(d.Node(12).KB, 1.5L * d.Node(12).K, 1e-15L);
    // the soil pressure at a node, with the layer's own pile width
    const TNodeResult& n = d.Node(12);
    EXPECT_NEAR(n.SoilPressure, 2 * d.LateralLoad * n.Lambda * n.ExpLZ * n.CosLZ / 1.5L, 1e-15L);
}

TEST(NodeSoil, AllowableSoilPressureInBothUnitSystems)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        TLPData d;
        testproject::setUp(d, units);
        d.PassiveWedge = 3;
        TLayer* layer = addLayer(d, 100);
        layer->Gamma = units == kUnitsSI ? 19 : 120;
        layer->Kp = 3.5L;
        layer->FSonKp = 1.4L;
        layer->Cohesion = units == kUnitsSI ? 25 : 0.5L;
        d.Calculate();
        const Extended poundsToKips = units == kUnitsSI ? 1 : 1000;
        for (int k : { 1, 17, 41 }) {
            const Extended z = d.Node(k).Depth;
            const Extended expected = 3
                * (layer->Gamma * 3.5L * z / (1.4L * poundsToKips)
                    + 2 * layer->Cohesion * std::sqrt(3.5L / 1.4L));
            EXPECT_NEAR(d.Node(k).AllowSoilPressure, expected, 1e-15L * expected) << "node " << k;
        }
    }
}

TEST(SectionStiffness, MomentOfInertiaOfEachShape)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    addLayer(d, 100);
    d.I = 123; // whatever was entered is replaced

    d.Shape = psSquare;
    d.Width = d.Width2 = 1.5L;
    d.Calculate();
    EXPECT_NEAR(d.I, 18.0L * 18 * 18 * 18 / 12, 1e-12L);

    d.Shape = psRectangle;
    d.Width = 1;
    d.Width2 = 2;
    d.Calculate();
    EXPECT_NEAR(d.I, 12.0L * 24 * 24 * 24 / 12, 1e-12L); // B (B2)^3 / 12

    d.Shape = psCircle;
    d.Width = 2;
    d.Calculate();
    EXPECT_NEAR(d.I, kPiRef * 24 * 24 * 24 * 24 / 64, 1e-11L);

    d.Shape = psOctagon;
    d.Width = 1;
    d.Calculate();
    EXPECT_NEAR(d.I, octagonInertia(12), 1e-12L); // D converted to inches: 1135.05 in^4
    EXPECT_EQ(d.Node(5).I, d.I); // layers on the project's pile see the new value

    d.SetUnits(kUnitsSI);
    d.Width = 0.5L;
    d.Calculate();
    EXPECT_NEAR(d.I, octagonInertia(0.5L), 1e-18L); // metres kept: 0.00342 m^4
}

// An 18 in octagonal pile of 6000 psi concrete (E = 57 sqrt(6000) = 4415 ksi) in soil of 200 kcf,
// 10 kips at its free head. I = 0.0547 * 18^4 = 5746.2 in^4 = 0.27711 ft^4, so
//   EI   = 4415.2 * 144 * 0.27711 = 176 185 kip ft^2,  kB = 200 * 1.5 = 300 kip/ft^2
//   beta = (300 / (4 * 176 185))^(1/4) = 0.14365 / ft
//   y(0) = 2 H beta / kB = 2 * 10 * 0.14365 / 300 = 0.009577 ft = 0.1149 in
// (an octagon taken as 1.2762 D^4, 23 times stiffer, moves 0.052 in).
TEST(SectionStiffness, OctagonBendsAsARegularOctagonAcrossFlats)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    d.PileLength = 40;
    d.Shape = psOctagon;
    d.Width = d.Width2 = 1.5L;
    d.E = 57 * std::sqrt(6000.0L);
    d.LateralLoad = 10;
    d.MomentLoad = 0;
    addLayer(d, 50, 200);
    d.Calculate();

    const Extended Ift4 = octagonInertia(18) / 20736;
    const Beam beam { 10, 0, 200 * 1.5L, d.E * 144 * Ift4 };
    EXPECT_NEAR(d.Node(1).Deflection, 12 * 2 * 10 * beam.beta() / beam.kB, 1e-12L);
    EXPECT_NEAR(d.Node(1).Deflection, 0.1149L, 0.0001L);
    expectMatchesBeam(d, beam, 12);
}

// A steel pile designed with a rolled section bends as that section, whatever outline it fills:
// an HP pile about its strong axis, an empty pipe, and a pipe filled with concrete whose
// composite stiffness is Ec Ic C3 + Es Is (Ec = 1802 sqrt(f'c) ksi or 5055 sqrt(f'c) MPa, Ic the
// fill's circle, C3 = 0.6 + As / (pi OD^2 / 4), at most 0.9).
TEST(SectionStiffness, SteelPileBendsAsItsSection)
{
    struct Case {
        const char* name;
        std::uint8_t units;
        bool pipe, filled;
    };
    for (const Case& c :
        { Case { "HP14X117", kUnitsUS, false, false }, Case { "HP360X174", kUnitsSI, false, false },
            Case { "HSS8.625X.250", kUnitsUS, true, false }, Case { "HSS219.1X6.4", kUnitsSI, true, false },
            Case { "HSS8.625X.250", kUnitsUS, true, true }, Case { "HSS219.1X6.4", kUnitsSI, true, true } }) {
        SCOPED_TRACE(std::string(c.name) + (c.filled ? " filled" : ""));
        const bool si = c.units == kUnitsSI;
        TLPData d;
        testproject::setUp(d, c.units);
        d.PileLength = si ? 12 : 40;
        d.Interface = piRoughSteel;
        d.StructuralDesign = true;
        d.SectionIndex = -1;
        d.E = si ? 200000 : 29000;
        d.MomentLoad = si ? 30 : 20;
        d.SteelInput.ConcreteFilled = c.filled;
        d.SteelInput.Fc = si ? 28 : 4;
        const Extended subgrade = si ? 20000 : 120;
        addLayer(d, si ? 20 : 60, subgrade);

        // Section size in model lengths (ft | m) and Is in in^4 | mm^4.
        const Extended toSection = si ? 1000 : 12;
        Extended Is = 0;
        if (c.pipe) {
            const TPipeShape s = testproject::pipeShape(c.name, si);
            ASSERT_EQ(s.Name, c.name);
            d.PipeShape = s;
            d.Shape = psCircle;
            d.Width = d.Width2 = s.OD / toSection;
            Is = s.I * (si ? 1e6L : 1);
            if (c.filled) {
                const Extended Ec = (si ? 5055 : 1802) * std::sqrt(d.SteelInput.Fc);
                const Extended inner = s.OD - 2 * s.tdes;
                const Extended Ic = kPiRef * inner * inner * inner * inner / 64;
                const Extended C3 = std::min(0.9L, 0.6L + s.A / (kPiRef * s.OD * s.OD / 4));
                Is += Ec * Ic * C3 / d.E; // the same stiffness with the steel's E
            }
        } else {
            const TIShape s = testproject::iShape(c.name, si);
            ASSERT_EQ(s.Name, c.name);
            d.IShape = s;
            d.Shape = psRectangle;
            d.Width = s.bf / toSection;
            d.Width2 = s.d / toSection;
            Is = s.Ix * (si ? 1e6L : 1);
        }

        // EI in kip*ft^2 or kN*m^2
        const Extended EI = si ? d.E * 1000 * Is * 1e-12L : d.E * Is / 144;
        const Beam beam { d.LateralLoad, d.MomentLoad, subgrade * d.Width, EI };
        for (std::uint8_t head : { kFreeHead, kFixedHead }) {
            d.HeadCondition = head;
            d.Calculate();
            EXPECT_NEAR(d.I, si ? Is * 1e-12L : Is, 1e-15L * d.I); // in^4 | m^4
            expectMatchesBeam(d, beam, si ? 1000 : 12);
        }
        if (c.filled) {
            EXPECT_NEAR(d.SteelResult.EIeff, Is * d.E, 1e-15L * Is * d.E); // the pipe check's own
        }

        // Without structural design no section is chosen: the pile is its outline.
        d.StructuralDesign = false;
        d.Calculate();
        const Extended outline
            = (c.pipe ? kPiRef / 64 * std::pow(d.Width, 4.0L) : d.Width * std::pow(d.Width2, 3.0L) / 12)
            * std::pow(si ? 1.0L : 12.0L, 4.0L);
        EXPECT_NEAR(d.I, outline, 1e-14L * outline);
    }
}

TEST(SoilModulus, EveryLayerTakesItsConsistencyRow)
{
    TLPData d;
    testproject::setUp(d, kUnitsUS);
    TLayer* sand = addLayer(d, 5);
    TLayer* clay = addLayer(d, 5);
    TLayer* none = addLayer(d, 50);
    sand->Consistency = lpconMediumDense;
    clay->MatType = lpmtCohesiveSoil;
    clay->Consistency = lpconVeryStiff;
    none->Consistency = lpconNone;
    none->PoissonRatio = 9;
    d.Calculate();
    EXPECT_EQ(sand->PoissonRatio, 0.25L);
    EXPECT_EQ(sand->SoilModulus, 333);
    EXPECT_EQ(clay->PoissonRatio, 0.34L);
    EXPECT_EQ(clay->SoilModulus, 415);
    EXPECT_EQ(none->PoissonRatio, 0);
    EXPECT_EQ(none->SoilModulus, 0);

    d.SetUnits(kUnitsSI);
    d.Calculate();
    EXPECT_EQ(sand->SoilModulus, 16);
    EXPECT_EQ(clay->SoilModulus, 20);
}

// A divisor of zero (layer thickness, E*I, pile width, factor of safety on Kp) makes only the
// results that divide by it not computable (NaN, shown "N.A."); nothing becomes infinite and no
// other node changes.
class ZeroDivisor : public ::testing::Test {
protected:
    void SetUp() override
    {
        testproject::setUp(reference, kUnitsUS);
        testproject::setUp(d, kUnitsUS);
        for (TLPData* p : { &reference, &d }) {
            p->MomentLoad = 25;
            addLayer(*p, 10, 80);
            addLayer(*p, 50, 200);
        }
        reference.Calculate();
    }
    void expectSameAsReference(int k)
    {
        const TNodeResult& a = d.Node(k);
        const TNodeResult& b = reference.Node(k);
        EXPECT_EQ(a.Depth, b.Depth) << "node " << k;
        EXPECT_EQ(a.Shear, b.Shear) << "node " << k;
        EXPECT_EQ(a.Moment, b.Moment) << "node " << k;
        EXPECT_EQ(a.Deflection, b.Deflection) << "node " << k;
        EXPECT_EQ(a.SoilPressure, b.SoilPressure) << "node " << k;
        EXPECT_EQ(a.AllowSoilPressure, b.AllowSoilPressure) << "node " << k;
        EXPECT_EQ(a.Capacity, b.Capacity) << "node " << k;
    }
    TLPData reference;
    TLPData d;
};

TEST_F(ZeroDivisor, LayerThickness)
{
    // A first layer of no thickness (a new project's first row before its thickness is typed)
    // holds the head node only, at its top: the head takes that layer's top modulus and keeps a
    // computed response, the same as without the empty layer when both moduli agree.
    TLayer* empty = d.Layers.AddLayer();
    d.Layers.Move(d.Layers.Count() - 1, 0);
    *empty = *d.Layers[1];
    empty->Thickness = 0;
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k)
        expectSameAsReference(k);
    EXPECT_EQ(d.Node(1).K, empty->SGReactTop);

    // With moduli of its own, the empty layer's top value is the head's.
    empty->SGReactTop = 40;
    empty->SGReactBottom = 400;
    d.Calculate();
    EXPECT_EQ(d.Node(1).K, 40);
    EXPECT_TRUE(std::isfinite(d.Node(1).Deflection));
    for (int k = 2; k <= kNodeCount; ++k)
        EXPECT_EQ(d.Node(k).Deflection, reference.Node(k).Deflection) << "node " << k;
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(ZeroDivisor, StiffnessOfOneLayersPile)
{
    TLayer* lower = d.Layers[1];
    lower->UsePileDefaults = false;
    lower->OwnE = 0;
    lower->OwnI = 5000;
    lower->OwnWidth = d.Width;
    lower->OwnPerimeter = d.Perimeter;
    lower->OwnTipArea = d.TipArea;
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = d.Node(k);
        if (d.LayerAtDepth(n.Depth) == lower) {
            EXPECT_TRUE(std::isnan(n.Lambda)) << "node " << k;
            EXPECT_TRUE(std::isnan(n.Shear)) << "node " << k;
            EXPECT_TRUE(std::isnan(n.Moment)) << "node " << k;
            EXPECT_TRUE(std::isnan(n.Deflection)) << "node " << k;
            EXPECT_TRUE(std::isnan(n.SoilPressure)) << "node " << k;
            EXPECT_EQ(n.AllowSoilPressure, reference.Node(k).AllowSoilPressure) << "node " << k;
            EXPECT_EQ(n.Capacity, reference.Node(k).Capacity) << "node " << k;
        } else {
            expectSameAsReference(k);
        }
    }
    EXPECT_TRUE(std::isnan(d.Node(41).Moment));
    EXPECT_TRUE(std::isfinite(d.Node(14).Moment));
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(ZeroDivisor, PileWidthOfOneLayer)
{
    TLayer* lower = d.Layers[1];
    lower->UsePileDefaults = false;
    lower->OwnE = d.E;
    lower->OwnI = 8748; // the project's square 1.5 ft pile
    lower->OwnWidth = 0;
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = d.Node(k);
        if (d.LayerAtDepth(n.Depth) == lower) {
            EXPECT_TRUE(std::isnan(n.SoilPressure)) << "node " << k;
            EXPECT_EQ(n.Moment, reference.Node(k).Moment) << "node " << k;
        } else {
            expectSameAsReference(k);
        }
    }
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(ZeroDivisor, ProjectPileWidth)
{
    d.Width = d.Width2 = 0; // no section at all: no stiffness, no response
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k) {
        EXPECT_TRUE(std::isnan(d.Node(k).Moment)) << "node " << k;
        EXPECT_TRUE(std::isnan(d.Node(k).Deflection)) << "node " << k;
    }
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST_F(ZeroDivisor, FactorOfSafetyOnKp)
{
    d.Layers[0]->FSonKp = 0;
    d.Calculate();
    for (int k = 1; k <= kNodeCount; ++k) {
        if (d.LayerAtDepth(d.Node(k).Depth) == d.Layers[0])
            EXPECT_TRUE(std::isnan(d.Node(k).AllowSoilPressure)) << "node " << k;
        else
            EXPECT_EQ(d.Node(k).AllowSoilPressure, reference.Node(k).AllowSoilPressure) << "node " << k;
        EXPECT_EQ(d.Node(k).Moment, reference.Node(k).Moment) << "node " << k;
    }
    EXPECT_FALSE(testproject::anyInfinite(d));
}

TEST(UnitFactors, SubUnitFactorTakesModelLengthsToInchesOrMillimetres)
{
    TLPData d;
    d.SetUnits(kUnitsUS);
    EXPECT_EQ(d.SubUnitFactor(), 12); // ft to in
    d.SetUnits(kUnitsSI);
    EXPECT_EQ(d.SubUnitFactor(), 1000); // m to mm
}
