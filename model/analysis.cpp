// The pile analysis: node placement, lateral response of a beam on an elastic foundation, vertical
// stresses, capacities and settlement, then the structural check of the chosen material.
//
// Everything is closed form over a fixed set of 41 nodes, in one pass, with no allocation: the
// main window reruns it after every committed edit.
#include "model/analysis.h"

#include "model/lpclasses.h"
#include "model/tables.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace analysis {

void sinCos(Extended x, Extended& sinX, Extended& cosX)
{
    // pi/2 = kHalfPi1 + kHalfPi2 + kHalfPi3; the first two have 32 significant bits, so n times
    // them is exact for |n| < 2^32.
    constexpr Extended kHalfPi1 = 0x1.921fb544p+0L;
    constexpr Extended kHalfPi2 = 0x1.0b4611a6p-34L;
    constexpr Extended kHalfPi3 = 0x1.3198a2e03707344ap-69L;
    constexpr Extended kTwoOverPi = 2 / analysis::kPi;
    if (!(std::fabs(x) < 0x1p30L)) { // huge, infinite or NaN: the library's own reduction
        sinX = std::sin(x);
        cosX = std::cos(x);
        return;
    }
    const auto n = std::llrint(x * kTwoOverPi);
    const auto nx = static_cast<Extended>(n);
    const Extended r = ((x - nx * kHalfPi1) - nx * kHalfPi2) - nx * kHalfPi3;
    const Extended s = std::sin(r);
    const Extended c = std::cos(r);
    switch (n & 3) {
    case 0:
        sinX = s;
        cosX = c;
        break;
    case 1:
        sinX = c;
        cosX = -s;
        break;
    case 2:
        sinX = -s;
        cosX = -c;
        break;
    default:
        sinX = -c;
        cosX = s;
        break;
    }
}

Extended ratio(Extended a, Extended b)
{
    if (b == 0)
        return std::numeric_limits<Extended>::quiet_NaN();
    return a / b;
}

int bearingFactorAngle(Extended phi)
{
    if (std::isnan(phi))
        return -1;
    // Limiting before rounding gives the same row and keeps huge angles in range.
    Extended x = phi - 0.01L;
    if (x > kNqLastAngle)
        x = kNqLastAngle;
    if (x < kNqFirstAngle)
        x = kNqFirstAngle;
    return static_cast<int>(RoundHalfEven(x));
}

LayerScan::LayerScan(const TLPData& data)
    : m_data(data)
    , m_count(data.Layers.Count())
{
    Extended top = 0;
    for (; m_cached < m_count && m_cached < kCached; ++m_cached) {
        const TLayer* layer = data.Layers[m_cached];
        const Extended bottom = top + layer->Thickness;
        m_entries[m_cached] = { layer, top, RoundHalfEven(bottom * 1000) };
        top = bottom;
    }
}

LayerHit LayerScan::at(Extended depth) const
{
    if (m_count == 0)
        return {};
    const std::int64_t d = RoundHalfEven(depth * 1000);
    std::int64_t topMilli = 0;
    int j = 0;
    for (; j < m_cached; ++j) {
        const Entry& entry = m_entries[j];
        // the last layer also takes every depth below the profile
        if (j == m_count - 1 || (topMilli <= d && d <= entry.bottomMilli))
            return { entry.layer, entry.top };
        topMilli = entry.bottomMilli;
    }
    const Entry& lastCached = m_entries[m_cached - 1];
    Extended top = lastCached.top + lastCached.layer->Thickness;
    for (;; ++j) {
        const TLayer* layer = m_data.Layers[j];
        if (j == m_count - 1)
            return { layer, top };
        const Extended bottom = top + layer->Thickness;
        const std::int64_t bottomMilli = RoundHalfEven(bottom * 1000);
        if (topMilli <= d && d <= bottomMilli)
            return { layer, top };
        top = bottom;
        topMilli = bottomMilli;
    }
}

LayerHit layerAtDepth(const TLPData& data, Extended depth)
{
    return LayerScan(data).at(depth);
}

} // namespace analysis

namespace {

using analysis::kPi;
using analysis::ratio;

constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();

// a < b ? a : b, but NaN when either is NaN (a plain comparison would hide it).
Extended smallerOf(Extended a, Extended b)
{
    if (std::isnan(a) || std::isnan(b))
        return kNaN;
    return a < b ? a : b;
}

// A divisor made ready for plain division: zero becomes NaN, so that x / d is NaN exactly where
// ratio(x, divisor) is, with no test per node.
Extended divisorOrNaN(Extended divisor)
{
    return divisor == 0 ? kNaN : divisor;
}

// With structural design on, a steel pile is the rolled section chosen for it, not the solid
// outline that section fills; without it no section is chosen.
bool isSteelSection(const TLPData& d)
{
    return d.StructuralDesign && (d.UsesIShape() || d.UsesPipeSection());
}

// The area of a steel pile's section that carries its axial load, in in^2 (US) or m^2 (SI; the
// tables hold mm^2). A concrete fill carries its share at Ec/E of its area, with Ec as the pipe
// check takes it.
Extended steelAxialArea(const TLPData& d)
{
    const Extended toModel = d.UnitValue(1e-6L, 1);
    if (d.UsesIShape())
        return d.IShape.A * toModel;
    const TPipeShape& s = d.PipeShape;
    Extended area = s.A;
    if (d.SteelInput.ConcreteFilled) {
        const Extended core = s.OD - 2 * s.tdes;
        area += ratio(analysis::filledPipeStiffness(d).Ec, d.E) * kPi * core * core / 4;
    }
    return area * toModel;
}

// What one run reads of the project, and the unit constants of its formulas, read once: a node
// result is an Extended inside the project itself, so every store to one would otherwise force
// the inputs to be read again.
struct RunConstants {
    bool si = false;
    bool freeHead = true;
    bool cyclic = false;
    Extended H = 0, M0 = 0; // lateral load and moment at the head
    Extended L = 0, B = 0; // pile length and width
    Extended pileE = 0; // the project's, for the elastic shortening
    bool steelSection = false; // a steel pile designed with a rolled section
    Extended steelAxialArea = 0; // its area that carries the load, in^2 | m^2
    Extended FSs = 0, FSe = 0; // factors of safety, as divisors (see divisorOrNaN)
    Extended Pw = 0; // passive wedge factor
    Extended groundwater = 0;
    Extended deflectionFactor = 0;
    Extended poundsToKipsDivisor = 0; // D of the allowable soil pressure
    Extended poundsToKips = 0;
    Extended waterUnitWeight = 0;
    Extended endBearingLimit = 0;
    Extended feetToInches = 0;
    Extended squareFeetToInches = 0;
    Extended settlementDivisor = 0;
    Extended sqrtOCR = 0, logOCR = 0;
    Extended lambdaNumerator = 0;
};

RunConstants runConstants(const TLPData& d)
{
    RunConstants run;
    run.si = d.Units == kUnitsSI;
    run.freeHead = d.HeadCondition == kFreeHead;
    run.cyclic = d.CyclicAnalysis;
    run.H = d.LateralLoad;
    run.M0 = d.MomentLoad;
    run.L = d.PileLength;
    run.B = d.Width;
    run.pileE = d.E;
    run.steelSection = isSteelSection(d);
    if (run.steelSection)
        run.steelAxialArea = steelAxialArea(d);
    // A factor of safety of 0 or less (a file may bring one) leaves no allowable capacity.
    run.FSs = d.FSSide > 0 ? d.FSSide : kNaN;
    run.FSe = d.FSEnd > 0 ? d.FSEnd : kNaN;
    run.Pw = d.PassiveWedge;
    run.groundwater = d.Groundwater;
    run.deflectionFactor = d.UnitValue(1, 1728);
    run.poundsToKipsDivisor = d.UnitValue(1, 1000);
    run.poundsToKips = d.UnitValue(1, 0.001);
    run.waterUnitWeight = d.UnitValue(9.81, 62.42);
    run.endBearingLimit = d.UnitValue(480, 10);
    run.feetToInches = d.UnitValue(1, 12);
    run.squareFeetToInches = d.UnitValue(1, 144);
    // The tip term comes out in m.kPa (SI) or ft.ksi (US). The SI divisor 8 takes it to mm; the
    // US one gives the same movement in inches: 1 ft.ksi = 0.3048 m x 6894.757 kPa, 1 in = 25.4 mm.
    constexpr Extended kFootKsiInMetreKPa = 0.3048L * 6894.757293168361L;
    run.settlementDivisor = d.UnitValue(8, 8 * 25.4L / kFootKsiInMetreKPa);
    run.sqrtOCR = std::sqrt(d.OCR);
    run.logOCR = std::log(d.OCR);
    run.lambdaNumerator = run.si ? 1000 : 144;
    return run;
}

// What a node needs of its layer. Nodes come in runs of the same layer, so this is worked out
// once per run of nodes instead of once per node; each value is computed exactly as the node
// formulas write it, so the results do not depend on the caching.
struct LayerConstants {
    const TLayer* layer = nullptr;
    Extended top = 0;
    // lateral
    Extended kTop = 0, kRise = 0; // subgrade modulus at the top, and bottom minus top
    Extended thicknessDivisor = 0;
    Extended E = 0, I = 0, EI = 0;
    Extended lambdaDivisor = 0; // E I 4 (US) or E I 4 000 000 (SI)
    Extended widthDivisor = 0;
    Extended passive = 0; // gamma Kp, times z per node
    Extended passiveDivisor = 0; // FSKp D
    Extended cohesionTerm = 0; // 2 cu sqrt(Kp / FSKp)
    // vertical
    Extended phi = 0, tanPhi = 0, k0 = 0, nq = 0;
    bool cohesive = false;
    Extended alpha = 0, su = 0;
    Extended perimeter = 0, tipArea = 0;
    Extended tipAreaDivisor = 0; // A in in^2 (US) or m^2 (SI)
    Extended shorteningDivisor = 0; // E A of the elastic shortening
    Extended sptFactor = 0; // 1 - (N + 15) 0.35^2 / 500
};

void fillLayerConstants(const TLayer* layer, Extended top, const RunConstants& run, LayerConstants& lc)
{
    lc.layer = layer;
    lc.top = top;
    lc.kTop = layer->SGReactTop;
    lc.kRise = layer->SGReactBottom - layer->SGReactTop;
    lc.thicknessDivisor = divisorOrNaN(layer->Thickness);
    lc.E = layer->PileE();
    lc.I = layer->PileI();
    lc.EI = lc.I * lc.E;
    lc.lambdaDivisor = divisorOrNaN(run.si ? lc.EI * 4000000 : lc.EI * 4);
    lc.widthDivisor = divisorOrNaN(layer->PileWidth());
    lc.passive = layer->Gamma * layer->Kp;
    lc.passiveDivisor = divisorOrNaN(layer->FSonKp * run.poundsToKipsDivisor);
    lc.cohesionTerm = 2 * layer->Cohesion * std::sqrt(ratio(layer->Kp, layer->FSonKp));

    lc.phi = layer->EstimatedFrictionAngle();
    const Extended r = kPi * lc.phi / 180;
    const Extended sinR = std::sin(r);
    // OCR^sin(r) as exp(sin(r) ln OCR), the logarithm taken once per run
    lc.k0 = (1 - sinR) * std::exp(sinR * run.logOCR);
    lc.tanPhi = std::tan(r);
    const int angle = analysis::bearingFactorAngle(lc.phi);
    lc.nq = angle < 0 ? kNaN : NqFor(angle);
    lc.cohesive = layer->IsCohesive();
    lc.alpha = layer->CohesionDefaults().Alpha;
    lc.su = layer->DefaultCohesion();
    lc.perimeter = layer->PilePerimeter();
    lc.tipArea = layer->PileTipArea();
    lc.tipAreaDivisor = divisorOrNaN(run.squareFeetToInches * lc.tipArea);
    // The pile shortens as the area that carries its load: a steel section's own area when the
    // layer is on the project's pile, else the solid outline of the tip.
    lc.shorteningDivisor = run.steelSection && layer->UsePileDefaults
        ? divisorOrNaN(run.pileE * run.steelAxialArea)
        : divisorOrNaN(run.pileE * run.squareFeetToInches * lc.tipArea);
    lc.sptFactor = 1 - (layer->SPTFieldN + 15) * (0.35L * 0.35L) / 500;
}

// Results of a node the run could not reach: nothing there belongs to this analysis any more.
void markNotComputed(TNodeResult& n)
{
    for (Extended* field : { &n.KB, &n.K, &n.E, &n.I, &n.Lambda, &n.SinLZ, &n.CosLZ, &n.ExpLZ, &n.Shear,
             &n.Moment, &n.Deflection, &n.SoilPressure, &n.AllowSoilPressure, &n.SigmaV, &n.GammaW,
             &n.PorePressure, &n.SigmaVEff, &n.Phi, &n.K0, &n.NSF, &n.UltSide, &n.UltEnd, &n.UltTotal,
             &n.AllowSide, &n.AllowEnd, &n.AllowTotal, &n.TanPhi, &n.QSideUlt, &n.QSideAllow, &n.QEndUlt,
             &n.QEndAllow, &n.Capacity, &n.Settlement, &n.EffSideUlt, &n.EffEndUlt, &n.EffTotalUlt,
             &n.EffSideAllow, &n.EffEndAllow, &n.EffTotalAllow, &n.PileLoad, &n.EffPileLoad })
        *field = kNaN;
}

// Nodes at equal steps, then the node nearest to each layer bottom (but the last) is moved onto
// it so that no node straddles two layers.
void placeNodes(TLPData& d)
{
    for (int k = 1; k <= kNodeCount; ++k)
        d.Node(k).Depth = static_cast<Extended>(k - 1) * d.PileLength / 40;
    int k = 1;
    Extended bottom = 0;
    for (int j = 0; j + 1 < d.Layers.Count(); ++j) {
        bottom += d.Layers[j]->Thickness;
        if (!std::isfinite(bottom))
            break;
        const std::int64_t bottomMilli = RoundHalfEven(bottom * 1000);
        while (k <= kNodeCount && RoundHalfEven(d.Node(k).Depth * 1000) <= bottomMilli)
            ++k;
        // A bottom at or below the tip has no node beneath it; moving the tip onto it would
        // change the pile's length, so it and every deeper bottom are left alone.
        if (k > kNodeCount)
            break;
        // Only a bottom above the head (a negative thickness) leaves no node above it.
        if (k == 1)
            continue;
        const Extended below = std::fabs(bottom - d.Node(k).Depth);
        const Extended above = std::fabs(bottom - d.Node(k - 1).Depth);
        if (below > above)
            d.Node(k - 1).Depth = bottom;
        else
            d.Node(k).Depth = bottom; // ties go to the deeper node
    }
}

void setLayerSoilProperties(TLPData& d)
{
    for (int j = 0; j < d.Layers.Count(); ++j) {
        TLayer* layer = d.Layers[j];
        const TConsistencyProps& row = ConsistencyPropsFor(layer->Consistency);
        layer->PoissonRatio = row.PoissonRatio;
        layer->SoilModulus = d.UnitValue(row.ModulusSI, row.ModulusUS);
    }
}

// The pile's moment of inertia, in in^4 (US) or m^4 (SI). A steel pile designed with a rolled
// section bends as that section, not as the solid outline it fills (several times stiffer): an
// I/H shape about its strong axis, a pipe as its section, a concrete-filled pipe with the
// composite stiffness of the pipe check divided by the steel's E. SI tables hold 10^6 mm^4.
Extended sectionInertia(const TLPData& d)
{
    if (isSteelSection(d)) {
        if (d.UsesIShape())
            return d.IShape.Ix * d.UnitValue(1e-6L, 1);
        return d.SteelInput.ConcreteFilled
            ? ratio(analysis::filledPipeStiffness(d).EIeff, d.E) * d.UnitValue(1e-12L, 1) // mm^4 to m^4
            : d.PipeShape.I * d.UnitValue(1e-6L, 1);
    }
    const Extended f = d.UnitValue(1, 12);
    const Extended b = d.Width * f;
    if (d.IsRectangularShape()) {
        const Extended b2 = d.Width2 * f;
        return b * (b2 * b2 * b2) / 12;
    }
    if (d.Shape == psCircle)
        return kPi * (b * b * b * b) / 64;
    if (d.Shape == psOctagon) {
        // a regular octagon across flats b, as its area and perimeter take it: side b / (1 + sqrt 2)
        const Extended sqrt2 = std::numbers::sqrt2_v<Extended>;
        const Extended side = b / (1 + sqrt2);
        return (11 + 8 * sqrt2) / 12 * (side * side * side * side);
    }
    return kNaN; // no section formula for an unknown shape
}

// Shear, moment, deflection and soil pressures at a node, from the closed-form solution of a beam
// on an elastic foundation.
void lateralResponse(TNodeResult& n, const LayerConstants& lc, const RunConstants& run)
{
    const Extended z = n.Depth;
    // (divisors of layer and run constants are made NaN when zero, see divisorOrNaN)
    // A layer of no thickness can only hold a node at its top, where its modulus is k_top;
    // interpolating would divide zero by zero and lose the head of a new project, whose first
    // layer has no thickness yet.
    const Extended K
        = std::isnan(lc.thicknessDivisor) ? lc.kTop : lc.kTop + lc.kRise * (z - lc.top) / lc.thicknessDivisor;
    const Extended KB = run.B * K;
    const Extended EI = lc.EI;
    const Extended x = run.lambdaNumerator * KB / lc.lambdaDivisor;
    const Extended lambda = std::sqrt(std::sqrt(x));
    Extended s, c;
    analysis::sinCos(lambda * z, s, c);
    const Extended e = std::exp(-lambda * z);
    const Extended lambda2 = lambda * lambda;
    const Extended H = run.H, M0 = run.M0;
    Extended shear, moment, deflection;
    if (run.freeHead) {
        shear = -2 * M0 * lambda * e * s + H * e * (c - s);
        moment = M0 * e * (c + s) + ratio(H, lambda) * e * s;
        deflection = run.deflectionFactor
            * (ratio(H * e * c, 2 * EI * lambda2 * lambda) - ratio(M0 * e * (s - c), 2 * EI * lambda2));
    } else {
        shear = H * e * c;
        moment = -ratio(H, 2 * lambda) * e * (c - s);
        deflection = run.deflectionFactor * ratio(H * lambda * e * (c + s), 4 * lambda2 * lambda2 * EI);
    }
    n.K = K;
    n.KB = KB;
    n.E = lc.E;
    n.I = lc.I;
    n.Lambda = lambda;
    n.SinLZ = s;
    n.CosLZ = c;
    n.ExpLZ = e;
    n.Shear = shear;
    n.Moment = moment;
    n.Deflection = deflection;
    n.SoilPressure = (2 * H * lambda * e * c + 2 * M0 * lambda2 * e * c) / lc.widthDivisor;
    n.AllowSoilPressure = run.Pw * (lc.passive * z / lc.passiveDivisor + lc.cohesionTerm);
}

// What the vertical work of a node carries down to the next one.
struct VerticalState {
    Extended depth = 0, sigmaV = 0, pore = 0, ultSide = 0, ultEnd = 0;
    Extended totalNSF = 0;
};

// Stresses, the three capacity sets of a pile whose tip would be at this node (all 0 at the head)
// and its settlement under the capacity.
void verticalResponse(
    TNodeResult& n, bool head, const LayerConstants& lc, const RunConstants& run, VerticalState& above)
{
    const TLayer& layer = *lc.layer;
    const Extended z = n.Depth;
    Extended sigmaV = 0, gammaW = 0, pore = 0;
    if (!head) {
        const Extended dz = z - above.depth;
        sigmaV = above.sigmaV + layer.Gamma * dz;
        gammaW = run.groundwater <= z ? run.waterUnitWeight : 0;
        pore = above.pore + gammaW * dz;
    }
    const Extended sigmaEff = sigmaV - pore;
    n.SigmaV = sigmaV;
    n.GammaW = gammaW;
    n.PorePressure = pore;
    n.SigmaVEff = sigmaEff;
    n.Phi = lc.phi;
    n.K0 = lc.k0;
    n.TanPhi = lc.tanPhi;

    Extended ultSide = 0, ultEnd = 0, effSideUlt = 0, effEndUlt = 0;
    Extended qSideUlt = 0, qSideAllow = 0, qEndUlt = 0, qEndAllow = 0, capacity = 0, settlement = 0, nsf = 0;
    if (!head) {
        const Extended P = lc.perimeter;
        const Extended A = lc.tipArea;
        const Extended friction = sigmaEff * lc.k0 * lc.tanPhi * P;
        const Extended bearing = lc.nq * sigmaEff * A;

        // The first set is pound-based; its cohesive sums add one step per node passed.
        if (lc.cohesive) {
            ultSide = above.ultSide + lc.alpha * lc.su * P;
            ultEnd = above.ultEnd + 9 * lc.su * A;
        } else {
            ultSide = friction;
            ultEnd = bearing;
        }

        // a force, as the displayed set makes its own: z times the friction per length at z
        effSideUlt = z * friction * (lc.cohesive ? 1.1L : 1.3L);
        effEndUlt = bearing;

        qSideUlt = run.poundsToKips * z * lc.tanPhi * sigmaEff * lc.k0 * P;
        if (run.cyclic)
            qSideUlt *= kCyclicFactor;
        qSideAllow = qSideUlt / run.FSs;
        const Extended rockFactor = layer.MatType >= lpmtSandstoneBedrock ? 2 : 1;
        qEndUlt = smallerOf(run.poundsToKips * lc.nq * sigmaEff * A, rockFactor * run.endBearingLimit * A);
        qEndAllow = qEndUlt / run.FSe;
        capacity = qEndAllow + qSideAllow;

        const Extended Q = capacity;
        const Extended shortening = run.L * Q * run.feetToInches / lc.shorteningDivisor;
        const Extended tipMovement = run.B * Q / lc.tipAreaDivisor * lc.sptFactor * run.sqrtOCR * 0.33L * 0.1L
            / run.settlementDivisor;
        settlement = shortening + tipMovement;

        // The side friction gained since the node above, in this layer's own terms: the total is
        // then the friction of the flagged layers, whatever the number of nodes in them, and a
        // layer under a more frictional one does not start by giving back the jump between them
        // (which would make its drag small or negative).
        if (layer.NSF) {
            Extended aboveInLayer
                = run.poundsToKips * above.depth * lc.tanPhi * (above.sigmaV - above.pore) * lc.k0 * P;
            if (run.cyclic)
                aboveInLayer *= kCyclicFactor;
            nsf = qSideAllow - aboveInLayer / run.FSs;
        }
        above.totalNSF += nsf;
    }
    n.UltSide = ultSide;
    n.UltEnd = ultEnd;
    n.QSideUlt = qSideUlt;
    n.QSideAllow = qSideAllow;
    n.QEndUlt = qEndUlt;
    n.QEndAllow = qEndAllow;
    n.Capacity = capacity;
    n.Settlement = settlement;
    n.NSF = nsf;
    n.EffSideUlt = effSideUlt;
    n.EffEndUlt = effEndUlt;

    const Extended allowSide = ultSide / run.FSs;
    const Extended allowEnd = ultEnd / run.FSe;
    n.UltTotal = ultEnd + ultSide;
    n.AllowSide = allowSide;
    n.AllowEnd = allowEnd;
    // The first and the effective-stress sets are pound-based in US units while NSF is in kips:
    // it is taken off them in their own unit (as written, a US pile's effective allowable
    // capacity came out about 0.999 NSF too high).
    const Extended nsfInSetUnits = nsf * run.poundsToKipsDivisor;
    n.AllowTotal = allowEnd + allowSide - nsfInSetUnits;
    const Extended effSideAllow = effSideUlt / run.FSs;
    const Extended effEndAllow = effEndUlt / run.FSe;
    n.EffTotalUlt = effEndUlt + effSideUlt;
    n.EffSideAllow = effSideAllow;
    n.EffEndAllow = effEndAllow;
    n.EffTotalAllow = effEndAllow + effSideAllow - nsfInSetUnits;

    above.depth = z;
    above.sigmaV = sigmaV;
    above.pore = pore;
    above.ultSide = ultSide;
    above.ultEnd = ultEnd;
}

// One pass down the nodes, the lateral and then the vertical work of each.
void analyseNodes(TLPData& d)
{
    const RunConstants run = runConstants(d);
    const analysis::LayerScan layers(d);
    LayerConstants lc;
    VerticalState above;
    for (int k = 1; k <= kNodeCount; ++k) {
        TNodeResult& n = d.Node(k);
        const analysis::LayerHit hit = layers.at(n.Depth);
        if (hit.layer == nullptr) {
            // No soil to stand in (an empty layer list): what is left would be the previous run's.
            for (; k <= kNodeCount; ++k)
                markNotComputed(d.Node(k));
            d.TotalNSF = kNaN;
            return;
        }
        if (lc.layer != hit.layer)
            fillLayerConstants(hit.layer, hit.top, run, lc);
        lateralResponse(n, lc, run);
        verticalResponse(n, k == 1, lc, run, above);
    }
    d.TotalNSF = above.totalNSF;
}

// The capacities of the whole pile, and the load it carries at each depth: the capacity enters
// at the head and the end bearing remains at the tip, in equal steps by node number. The
// effective-stress line is built the same way.
void fillLoadLine(TLPData& d)
{
    d.DownwardCapacity = d.Node(kNodeCount).Capacity;
    d.EffDownwardCapacity = d.Node(kNodeCount).EffTotalAllow;
    d.UpliftCapacity = 0.5L * d.DownwardCapacity;

    const Extended head = d.Node(kNodeCount).Capacity;
    const Extended tip = d.Node(kNodeCount).QEndAllow;
    const Extended effHead = d.Node(kNodeCount).EffTotalAllow;
    const Extended effTip = d.Node(kNodeCount).EffEndAllow;
    d.Node(1).PileLoad = head;
    d.Node(kNodeCount).PileLoad = tip;
    d.Node(1).EffPileLoad = effHead;
    d.Node(kNodeCount).EffPileLoad = effTip;
    for (int k = 2; k < kNodeCount; ++k) {
        d.Node(k).PileLoad = head - (head - tip) * (k - 1) / 40;
        d.Node(k).EffPileLoad = effHead - (effHead - effTip) * (k - 1) / 40;
    }
}

} // namespace

Extended TLPData::SubUnitFactor() const
{
    return UnitValue(1000, 12);
}

void TLPData::Calculate()
{
    AnalysePile();
    CheckSection();
}

void TLPData::AnalysePile()
{
    placeNodes(*this);
    setLayerSoilProperties(*this);
    if (!PileSectionFault().empty()) {
        // A section that cannot exist gives the pile no stiffness, size or capacity.
        I = kNaN;
        for (TNodeResult& n : Nodes)
            markNotComputed(n);
        TotalNSF = kNaN;
    } else {
        I = sectionInertia(*this);
        analyseNodes(*this);
    }
    fillLoadLine(*this);
}

void TLPData::CheckSection()
{
    // Each check writes its own results only: a check that does not run now must not leave those
    // of other inputs (a pile turned from concrete to timber keeps no allowable moments). The
    // spacing limit stays: it is the concrete check's memory of the limit it last set, which tells
    // a spacing left at that limit (and so following it) from one the user typed.
    SteelResult = {};
    TimberResult = {};
    CombinedRatio = 0;
    for (Extended* result :
        { &Beta1, &SteelArea, &SteelPercent, &BarCircle, &ShearCapacity, &TieSteelPerLength, &P0,
            &TensionLimit, &RowOffset, &TopRowDepth, &RowArea, &PhiCompression, &M0 })
        *result = 0;
    CaseShearCapacity = {};
    InteractionPoints = {};
    for (TLoadCase& c : LoadCases)
        c.Mall = 0;
    if (!StructuralDesign)
        return;
    if (UsesIShape() || UsesPipeSection())
        CheckSteelPile();
    if (IsConcreteNow())
        CalcReinforcedConcrete();
    if (IsTimber())
        CheckTimberPile();
}
