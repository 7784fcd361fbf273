// Timber pile check: size, wet service and treatment factors, the stresses of a known section,
// the breadth rule, a fixed-head pile whose largest moment is negative, and the same pile in SI.
#include "model/lpclasses.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;

// Node results of a pile: a moment and a shear at one node, zero elsewhere.
void setNodes(TLPData& d, long double moment, long double shear)
{
    for (TNodeResult& n : d.Nodes)
        n = TNodeResult {};
    d.Node(5).Moment = moment;
    d.Node(1).Shear = shear;
}

// A 12 in square timber pile (US) with plain reference values.
struct TimberPile : TLPData {
    explicit TimberPile(TPileShape shape = psSquare);
};

TimberPile::TimberPile(TPileShape shape)
{
    TLPData& d = *this;
    d.SetUnits(kUnitsUS);
    d.Interface = piTimber;
    d.Shape = shape;
    d.Width = d.Width2 = 1;
    d.StructuralDesign = true;
    d.DownwardLoad = 40;
    d.TimberInput.CD = 1.0L;
    d.TimberInput.Fb = 2400;
    d.TimberInput.Fv = 110;
    d.TimberInput.Fc = 1200;
    d.TimberInput.Treatment = 0;
    setNodes(d, 20, 5);
}

} // namespace

TEST(TimberFactors, SizeFactorOfRectangularPiles)
{
    TimberPile d;
    d.CheckTimberPile(); // 12 in deep, 11.5 in dressed
    EXPECT_EQ(d.TimberResult.d, 11.5L);
    EXPECT_EQ(d.TimberResult.CF, 1.0L);

    d.Width = d.Width2 = 14.0L / 12; // 13.5 in dressed
    d.CheckTimberPile();
    ASSERT_EQ(d.TimberResult.d, 13.5L);
    EXPECT_NEAR(double(d.TimberResult.CF), double(std::pow(12 / 13.5L, 1 / 9.0L)), 1e-15);
}

TEST(TimberFactors, SizeFactorOfRoundPilesUsesTheSquareOfEqualArea)
{
    TimberPile d(psCircle);
    d.Width = d.Width2 = 14.0L / 12;
    d.CheckTimberPile();
    ASSERT_EQ(d.TimberResult.d, 13.5L);
    EXPECT_EQ(d.TimberResult.CF, 1.0L);

    d.Width = d.Width2 = 14.5L / 12; // 14 in dressed: side of the equal square 12.41 in
    d.CheckTimberPile();
    ASSERT_EQ(d.TimberResult.d, 14.0L);
    const long double side = 14 * std::sqrt(kPi) / 2;
    EXPECT_NEAR(double(d.TimberResult.CF), double(std::pow(12 / side, 1 / 9.0L)), 1e-15);
    EXPECT_LT(d.TimberResult.CF, 1);

    d.Shape = psOctagon; // octagons follow the round rules
    d.CheckTimberPile();
    EXPECT_NEAR(double(d.TimberResult.CF), double(std::pow(12 / side, 1 / 9.0L)), 1e-15);
    EXPECT_EQ(d.TimberResult.Cwet, 0.91L);
}

TEST(TimberFactors, TreatmentChangesOnlyRoundPiles)
{
    const long double expected[] = { 1.0L, 0.90L, 0.95L, 0.80L, 0.74L };
    for (int code = 0; code < 5; ++code) {
        SCOPED_TRACE(code);
        TimberPile round(psCircle);
        round.TimberInput.Treatment = code;
        round.CheckTimberPile();
        EXPECT_EQ(round.TimberResult.Cct, expected[code]);
        EXPECT_EQ(round.TimberResult.Cwet, 0.91L);
        EXPECT_NEAR(double(round.TimberResult.FcPrime), double(1200 * expected[code] * 0.91L), 1e-12);
        EXPECT_NEAR(double(round.TimberResult.FvPrime), double(110 * expected[code]), 1e-12);

        TimberPile square(psSquare);
        square.TimberInput.Treatment = code;
        square.CheckTimberPile();
        EXPECT_EQ(square.TimberResult.Cct, 1.0L);
        EXPECT_EQ(square.TimberResult.Cwet, 1.0L);
        EXPECT_EQ(square.TimberResult.FcPrime, 1200);
    }
}

TEST(TimberFactors, UnknownTreatmentIsNotApplicable)
{
    TimberPile d(psCircle);
    d.TimberInput.Treatment = -1; // no choice made
    d.CheckTimberPile();
    EXPECT_TRUE(std::isnan(d.TimberResult.Cct));
    EXPECT_TRUE(std::isnan(d.TimberResult.CombinedRatio));
}

TEST(TimberStresses, SquarePileByHand)
{
    // 12 x 12 in dressed to 11.5 x 11.5: S = bd^2/6, fb = M/S, fv = 3V/2A, fc = P/A.
    TimberPile d;
    d.TimberInput.CD = 1.15L;
    d.CheckTimberPile();
    const TTimberResult& t = d.TimberResult;
    const long double S = 11.5L * 11.5L * 11.5L / 6, A = 11.5L * 11.5L;
    EXPECT_NEAR(double(t.S), double(S), 1e-12);
    EXPECT_NEAR(double(t.fb), double(20 * 12000 / S), 1e-9);
    EXPECT_NEAR(double(t.fv), double(1.5L * 5000 / A), 1e-9);
    EXPECT_NEAR(double(t.fc), double(40000 / A), 1e-9);
    EXPECT_NEAR(double(t.FbPrime), 2400 * 1.15, 1e-9);
    EXPECT_NEAR(double(t.FvPrime), 110 * 1.15, 1e-9);
    EXPECT_NEAR(double(t.FcPrime), 1200 * 1.15, 1e-9);
    const long double ratio = std::pow(40000 / A / (1200 * 1.15L), 2) + 20 * 12000 / S / (2400 * 1.15L);
    EXPECT_NEAR(double(t.CombinedRatio), double(ratio), 1e-12);
    EXPECT_EQ(d.CombinedRatio, t.CombinedRatio);
    EXPECT_EQ(t.P, 40);
    EXPECT_EQ(t.M, 20);
    EXPECT_EQ(t.V, 5);
}

TEST(TimberStresses, RoundPileByHand)
{
    // Solid circle: S = pi d^3/32, largest shear stress 4V/3A.
    TimberPile d(psCircle);
    d.CheckTimberPile();
    const TTimberResult& t = d.TimberResult;
    const long double A = kPi * 11.5L * 11.5L / 4, S = kPi * std::pow(11.5L, 3) / 32;
    EXPECT_EQ(t.b, t.d);
    EXPECT_NEAR(double(t.S), double(S), 1e-12);
    EXPECT_NEAR(double(t.fv), double(4 * 5000 / (3 * A)), 1e-9);
    EXPECT_NEAR(double(t.fc), double(40000 / A), 1e-9);
    EXPECT_NEAR(double(t.fb), double(240000 / S), 1e-9);
}

TEST(TimberStresses, BreadthGreaterThanDepthIsNotApplicable)
{
    TimberPile d(psRectangle);
    d.Width = 1; // 12 in broad
    d.Width2 = 10.0L / 12; // 10 in deep
    d.CheckTimberPile();
    const TTimberResult& t = d.TimberResult;
    for (long double v : { t.b, t.S, t.fb, t.fv, t.fc, t.CombinedRatio })
        EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(t.d, 9.5L);
    EXPECT_EQ(t.CF, 1.0L);
    EXPECT_EQ(t.FbPrime, 2400);

    d.Width = 10.0L / 12; // 10 in broad, 12 in deep: checked
    d.Width2 = 1;
    d.CheckTimberPile();
    for (long double v : { t.b, t.S, t.fb, t.fv, t.fc, t.CombinedRatio })
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(t.b, 9.5L);

    // A breadth over the depth by up to a hundredth of an inch still counts as square.
    struct Case {
        std::uint8_t units;
        long double broad, deep; // ft | m
        bool checked;
    };
    for (const Case& c : { Case { kUnitsUS, 12.005L / 12, 1, true }, Case { kUnitsUS, 12.02L / 12, 1, false },
             Case { kUnitsSI, 0.3541L, 0.354L, true }, Case { kUnitsSI, 0.3543L, 0.354L, false } }) {
        SCOPED_TRACE(double(c.broad));
        d.SetUnits(c.units);
        d.Width = c.broad;
        d.Width2 = c.deep;
        d.CheckTimberPile();
        EXPECT_EQ(std::isfinite(t.b), c.checked);
        EXPECT_EQ(std::isfinite(t.CombinedRatio), c.checked);
    }
}

TEST(TimberStresses, FixedHeadPileWithNegativeMomentFails)
{
    // Fixed head, H = 10 kips, lambda = 0.3 /ft: M(z) = -(H / 2 lambda) e^-lz (cos lz - sin lz),
    // largest at the head and negative.
    TimberPile d(psCircle);
    d.HeadCondition = kFixedHead;
    d.TimberInput.Fb = 1000;
    const long double H = 10, lambda = 0.3L;
    for (int k = 1; k <= kNodeCount; ++k) {
        const long double z = (k - 1) * 0.75L, e = std::exp(-lambda * z);
        d.Node(k).Depth = z;
        d.Node(k).Moment = -(H / (2 * lambda)) * e * (std::cos(lambda * z) - std::sin(lambda * z));
        d.Node(k).Shear = H * e * std::cos(lambda * z);
    }
    d.CheckTimberPile();
    const TTimberResult& t = d.TimberResult;
    const long double M = H / (2 * lambda);
    EXPECT_NEAR(double(t.M), double(-M), 1e-12); // the record keeps the sign
    const long double S = kPi * std::pow(11.5L, 3) / 32, A = kPi * 11.5L * 11.5L / 4;
    const long double ratio = std::pow(40000 / A / (1200 * 0.91L), 2) + 12000 * M / S / 1000;
    EXPECT_GT(t.fb, 0);
    EXPECT_GT(t.fv, 0);
    EXPECT_NEAR(double(t.CombinedRatio), double(ratio), 1e-12);
    EXPECT_GT(t.CombinedRatio, 1);
}

TEST(TimberStresses, FixedHeadPileThroughTheAnalysis)
{
    TimberPile d(psCircle);
    d.Layers.Clear();
    TLayer* layer = d.Layers.AddLayer();
    layer->MatType = lpmtGranularSoil;
    layer->USCS = lpusSP;
    layer->Consistency = lpconMediumDense;
    layer->Thickness = 40;
    layer->SGReactTop = layer->SGReactBottom = 100;
    layer->Kp = 3;
    layer->FSonKp = 1.5L;
    layer->Gamma = 115;
    d.HeadCondition = kFixedHead;
    d.PileLength = 30;
    d.LateralLoad = 15;
    d.E = 1500;
    d.PassiveWedge = 2.5L;
    d.Perimeter = kPi;
    d.TipArea = kPi / 4;
    d.FSSide = 2;
    d.FSEnd = 3;
    d.OCR = 1;
    d.Groundwater = 100;
    d.TimberInput.Fb = 1000;
    d.Calculate();
    const TTimberResult& t = d.TimberResult;
    ASSERT_LT(t.M, 0);
    EXPECT_EQ(t.M, d.Node(1).Moment);
    const long double S = kPi * std::pow(11.5L, 3) / 32, A = kPi * 11.5L * 11.5L / 4;
    const long double ratio = std::pow(40000 / A / (1200 * 0.91L), 2) - 12000 * t.M / S / 1000;
    EXPECT_NEAR(double(t.CombinedRatio), double(ratio), 1e-9);
    EXPECT_GT(t.CombinedRatio, 1);
}

TEST(TimberUnits, MetricPileGivesTheSameCheck)
{
    TimberPile us;
    us.Width = us.Width2 = 14.0L / 12;
    us.CheckTimberPile();

    const long double psi = 0.006894757293168361L; // MPa
    TimberPile si;
    si.SetUnits(kUnitsSI);
    si.Width = si.Width2 = 14 * 0.0254L;
    si.DownwardLoad = 40 * 4.4482216152605L;
    setNodes(si, 20 * 1.3558179483314004L, 5 * 4.4482216152605L);
    si.TimberInput.Fb = 2400 * psi;
    si.TimberInput.Fv = 110 * psi;
    si.TimberInput.Fc = 1200 * psi;
    si.CheckTimberPile();

    const TTimberResult& a = us.TimberResult;
    const TTimberResult& b = si.TimberResult;
    EXPECT_NEAR(double(b.d / 25.4L), double(a.d), 1e-12);
    EXPECT_NEAR(double(b.b / 25.4L), double(a.b), 1e-12);
    EXPECT_NEAR(double(b.S / std::pow(25.4L, 3)), double(a.S), 1e-9);
    EXPECT_NEAR(double(b.CF), double(a.CF), 1e-12);
    for (auto [metric, us_] : { std::pair { b.fb, a.fb }, std::pair { b.fv, a.fv }, std::pair { b.fc, a.fc },
             std::pair { b.FbPrime, a.FbPrime }, std::pair { b.FvPrime, a.FvPrime },
             std::pair { b.FcPrime, a.FcPrime } })
        EXPECT_NEAR(double(metric / psi / us_), 1, 1e-12);
    EXPECT_NEAR(double(b.CombinedRatio), double(a.CombinedRatio), 1e-12);
}
