// The pile analysis: node placement, lateral response of a beam on an elastic foundation, vertical
// stresses, capacities and settlement, then the structural check of the chosen material.
//
// Everything is closed form over a fixed set of 41 nodes, in one pass, with no allocation: the
// main window reruns it after every committed edit.
#include "model/analysis.h"

#include "model/lpclasses.h"
#include "model/tables.h"

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// std::llrint for Extended without the library call: the x87 unit converts in its current
// rounding mode, which is all the library's version does.
inline std::int64_t fpuRound(Extended x)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    std::int64_t r;
    __asm__("fistpll %0" : "=m"(r) : "t"(x) : "st");
    return r;
#else
    return std::llrint(x);
#endif
}

// roundHalfEven once the rounding mode is known to be to-nearest: there the unit itself rounds
// halves to even, in one instruction; NaN and the ends of the range take the model's general way.
inline std::int64_t roundHalfEvenNearest(Extended x)
{
    if (std::fabs(x) < 0x1p62L)
        return fpuRound(x);
    return RoundHalfEven(x);
}

bool roundsToNearest()
{
    return std::fegetround() == FE_TONEAREST;
}

// Depth in thousandths, by the rule of roundHalfEven; `nearest` is roundsToNearest() of this run.
inline std::int64_t toMilli(Extended depth, bool nearest)
{
    return nearest ? roundHalfEvenNearest(depth * 1000) : RoundHalfEven(depth * 1000);
}

// sinCos, inlined into the node loop so that both results stay in registers.
inline void reducedSinCos(Extended x, Extended& sinX, Extended& cosX)
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
    const auto n = fpuRound(x * kTwoOverPi);
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

} // namespace

namespace analysis {

std::int64_t roundHalfEven(Extended x)
{
    return roundsToNearest() ? roundHalfEvenNearest(x) : RoundHalfEven(x);
}

void sinCos(Extended x, Extended& sinX, Extended& cosX)
{
    reducedSinCos(x, sinX, cosX);
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
    return static_cast<int>(roundHalfEven(x));
}

LayerScan::LayerScan(const TLPData& data)
    : m_data(data)
    , m_count(data.Layers.Count())
    , m_nearest(roundsToNearest())
{
    Extended top = 0;
    for (; m_cached < m_count && m_cached < kCached; ++m_cached) {
        const TLayer* layer = data.Layers[m_cached];
        const Extended bottom = top + layer->Thickness;
        m_entries[m_cached] = { layer, top, toMilli(bottom, m_nearest) };
        top = bottom;
    }
}

LayerHit LayerScan::at(Extended depth) const
{
    if (m_count == 0)
        return {};
    const std::int64_t d = toMilli(depth, m_nearest);
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
        const std::int64_t bottomMilli = toMilli(bottom, m_nearest);
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

// to = from for a value already in memory, as a plain 16-byte move: through the FPU it would
// take an 80-bit store, several times dearer, and a node stores dozens of values.
inline void copyValue(Extended& to, const Extended& from)
{
    std::memcpy(&to, &from, sizeof(Extended));
}

// A divisor made ready for plain division: zero becomes NaN, so that x / d is NaN exactly where
// ratio(x, divisor) is, with no test per node.
Extended divisorOrNaN(Extended divisor)
{
    return divisor == 0 ? kNaN : divisor;
}

// Constants of one run that the layer constants depend on.
struct RunConstants {
    bool si = false;
    Extended poundsToKipsDivisor = 0; // D of the allowable soil pressure
    Extended logOCR = 0;
    Extended pileE = 0; // the project's, for the elastic shortening
    Extended squareFeetToInches = 0;
};

// What a node needs of its layer. Nodes come in runs of the same layer, so this is worked out
// once per run of nodes instead of once per node; each value is computed exactly as the node
// formulas write it, so the results do not depend on the caching.
struct LayerConstants {
    const TLayer* layer = nullptr;
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

void fillLayerConstants(const TLayer* layer, const RunConstants& run, LayerConstants& lc)
{
    lc.layer = layer;
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
    lc.shorteningDivisor = divisorOrNaN(run.pileE * run.squareFeetToInches * lc.tipArea);
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

} // namespace

Extended TLPData::SubUnitFactor() const
{
    return UnitValue(1000, 12);
}

// flatten: the helpers of this file (layer lookup, rounding, layer constants) are inlined into the
// node loop, where a call would force every live Extended out to memory and back.
[[gnu::flatten]] void TLPData::Calculate()
{
    const bool si = Units == kUnitsSI;
    const int layerCount = Layers.Count();

    // Nodes at equal steps, then the node nearest to each layer bottom (but the last) is moved
    // onto it so that no node straddles two layers.
    for (int k = 1; k <= kNodeCount; ++k)
        Node(k).Depth = static_cast<Extended>(k - 1) * PileLength / 40;
    {
        const bool nearest = roundsToNearest();
        int k = 1;
        Extended bottom = 0;
        for (int j = 0; j + 1 < layerCount; ++j) {
            bottom += Layers[j]->Thickness;
            if (!std::isfinite(bottom))
                break;
            const std::int64_t bottomMilli = toMilli(bottom, nearest);
            while (k <= kNodeCount && toMilli(Node(k).Depth, nearest) <= bottomMilli)
                ++k;
            // A bottom at or below the tip has no node beneath it; moving the tip onto it would
            // change the pile's length, so it and every deeper bottom are left alone.
            if (k > kNodeCount)
                break;
            // Only a bottom above the head (a negative thickness) leaves no node above it.
            if (k == 1)
                continue;
            const Extended below = std::fabs(bottom - Node(k).Depth);
            const Extended above = std::fabs(bottom - Node(k - 1).Depth);
            if (below > above)
                Node(k - 1).Depth = bottom;
            else
                Node(k).Depth = bottom; // ties go to the deeper node
        }
    }

    for (int j = 0; j < layerCount; ++j) {
        TLayer* layer = Layers[j];
        const TConsistencyProps& row = ConsistencyPropsFor(layer->Consistency);
        layer->PoissonRatio = row.PoissonRatio;
        layer->SoilModulus = UnitValue(row.ModulusSI, row.ModulusUS);
    }

    // The pile's moment of inertia, in in^4 (US) or m^4 (SI). A steel pile designed with a rolled
    // section bends as that section, not as the solid outline it fills (several times stiffer):
    // an I/H shape about its strong axis, a pipe as its section, a concrete-filled pipe with the
    // composite stiffness of the pipe check divided by the steel's E. SI tables hold 10^6 mm^4.
    if (StructuralDesign && UsesIShape()) {
        I = IShape.Ix * UnitValue(1e-6L, 1);
    } else if (StructuralDesign && UsesPipeSection()) {
        I = SteelInput.ConcreteFilled
            ? ratio(analysis::filledPipeStiffness(*this).EIeff, E) * UnitValue(1e-12L, 1) // mm^4 to m^4
            : PipeShape.I * UnitValue(1e-6L, 1);
    } else {
        const Extended f = UnitValue(1, 12);
        const Extended b = Width * f;
        if (IsRectangularShape()) {
            const Extended b2 = Width2 * f;
            I = b * (b2 * b2 * b2) / 12;
        } else if (Shape == psCircle) {
            I = kPi * (b * b * b * b) / 64;
        } else if (Shape == psOctagon) {
            I = 1.2762L * (b * b * b * b);
        } else {
            I = kNaN; // no section formula for an unknown shape
        }
    }

    // Inputs are read into locals once: a node result is an Extended inside this very object, so
    // every store to one would otherwise force the inputs to be read again.
    const Extended H = LateralLoad;
    const Extended M0 = MomentLoad;
    const Extended L = PileLength;
    const Extended B = Width;
    const Extended pileE = E;
    const Extended FSs = divisorOrNaN(FSSide);
    const Extended FSe = divisorOrNaN(FSEnd);
    const Extended Pw = PassiveWedge;
    const Extended groundwater = Groundwater;
    const bool freeHead = HeadCondition == kFreeHead;
    const bool cyclic = CyclicAnalysis;
    const Extended deflectionFactor = UnitValue(1, 1728);
    const Extended poundsToKipsDivisor = UnitValue(1, 1000);
    const Extended poundsToKips = UnitValue(1, 0.001);
    const Extended waterUnitWeight = UnitValue(9.81, 62.42);
    const Extended endBearingLimit = UnitValue(480, 10);
    const Extended feetToInches = UnitValue(1, 12);
    const Extended squareFeetToInches = UnitValue(1, 144);
    // The tip term comes out in m.kPa (SI) or ft.ksi (US). The SI divisor 8 takes it to mm; the
    // US one gives the same movement in inches: 1 ft.ksi = 0.3048 m x 6894.757 kPa, 1 in = 25.4 mm.
    constexpr Extended kFootKsiInMetreKPa = 0.3048L * 6894.757293168361L;
    const Extended settlementDivisor = UnitValue(8, 8 * 25.4L / kFootKsiInMetreKPa);
    const Extended sqrtOCR = std::sqrt(OCR);
    const Extended lambdaNumerator = si ? 1000 : 144;
    RunConstants run;
    run.si = si;
    run.poundsToKipsDivisor = poundsToKipsDivisor;
    run.logOCR = std::log(OCR);
    run.pileE = pileE;
    run.squareFeetToInches = squareFeetToInches;
    const analysis::LayerScan layers(*this);

    // running values of the node above
    Extended prevDepth = 0, prevSigmaV = 0, prevPore = 0, prevUltSide = 0, prevUltEnd = 0;
    Extended totalNSF = 0;
    LayerConstants lc;
    int reached = kNodeCount + 1;
    for (int k = 1; k <= kNodeCount; ++k) {
        TNodeResult& n = Node(k);
        const Extended z = n.Depth;
        const analysis::LayerHit hit = layers.at(z);
        if (hit.layer == nullptr) {
            reached = k;
            break;
        }
        const TLayer& layer = *hit.layer;
        if (lc.layer != hit.layer)
            fillLayerConstants(hit.layer, run, lc);

        // ---- lateral response
        // (divisors of layer and run constants are made NaN when zero, see divisorOrNaN)
        // A layer of no thickness can only hold a node at its top, where its modulus is k_top;
        // interpolating would divide zero by zero and lose the head of a new project, whose
        // first layer has no thickness yet.
        const Extended K = std::isnan(lc.thicknessDivisor)
            ? lc.kTop
            : lc.kTop + lc.kRise * (z - hit.top) / lc.thicknessDivisor;
        const Extended KB = B * K;
        const Extended EI = lc.EI;
        const Extended x = lambdaNumerator * KB / lc.lambdaDivisor;
        const Extended lambda = std::sqrt(std::sqrt(x));
        Extended s, c;
        reducedSinCos(lambda * z, s, c);
        const Extended e = std::exp(-lambda * z);
        const Extended lambda2 = lambda * lambda;
        Extended shear, moment, deflection;
        if (freeHead) {
            shear = -2 * M0 * lambda * e * s + H * e * (c - s);
            moment = M0 * e * (c + s) + ratio(H, lambda) * e * s;
            deflection = deflectionFactor
                * (ratio(H * e * c, 2 * EI * lambda2 * lambda) - ratio(M0 * e * (s - c), 2 * EI * lambda2));
        } else {
            shear = H * e * c;
            moment = -ratio(H, 2 * lambda) * e * (c - s);
            deflection = deflectionFactor * ratio(H * lambda * e * (c + s), 4 * lambda2 * lambda2 * EI);
        }
        n.K = K;
        n.KB = KB;
        copyValue(n.E, lc.E);
        copyValue(n.I, lc.I);
        n.Lambda = lambda;
        n.SinLZ = s;
        n.CosLZ = c;
        n.ExpLZ = e;
        n.Shear = shear;
        n.Moment = moment;
        n.Deflection = deflection;
        n.SoilPressure = (2 * H * lambda * e * c + 2 * M0 * lambda2 * e * c) / lc.widthDivisor;
        n.AllowSoilPressure = Pw * (lc.passive * z / lc.passiveDivisor + lc.cohesionTerm);

        // ---- vertical stresses
        Extended sigmaV = 0, gammaW = 0, pore = 0;
        if (k > 1) {
            const Extended dz = z - prevDepth;
            sigmaV = prevSigmaV + layer.Gamma * dz;
            gammaW = groundwater <= z ? waterUnitWeight : 0;
            pore = prevPore + gammaW * dz;
        }
        const Extended sigmaEff = sigmaV - pore;
        n.SigmaV = sigmaV;
        n.GammaW = gammaW;
        n.PorePressure = pore;
        n.SigmaVEff = sigmaEff;
        copyValue(n.Phi, lc.phi);
        copyValue(n.K0, lc.k0);
        copyValue(n.TanPhi, lc.tanPhi);

        // ---- capacity of a pile whose tip would be at this node (all 0 at the head)
        Extended ultSide = 0, ultEnd = 0, effSideUlt = 0, effEndUlt = 0;
        Extended qSideUlt = 0, qSideAllow = 0, qEndUlt = 0, qEndAllow = 0, capacity = 0, settlement = 0,
                 nsf = 0;
        if (k > 1) {
            const Extended P = lc.perimeter;
            const Extended A = lc.tipArea;
            const Extended friction = sigmaEff * lc.k0 * lc.tanPhi * P;
            const Extended bearing = lc.nq * sigmaEff * A;

            // The first set is pound-based; its cohesive sums add one step per node passed.
            if (lc.cohesive) {
                ultSide = prevUltSide + lc.alpha * lc.su * P;
                ultEnd = prevUltEnd + 9 * lc.su * A;
            } else {
                ultSide = friction;
                ultEnd = bearing;
            }

            effSideUlt = friction * (lc.cohesive ? 1.1L : 1.3L);
            effEndUlt = bearing;

            qSideUlt = poundsToKips * z * lc.tanPhi * sigmaEff * lc.k0 * P;
            if (cyclic)
                qSideUlt *= 0.6L;
            qSideAllow = qSideUlt / FSs;
            const Extended rockFactor = layer.MatType >= lpmtSandstoneBedrock ? 2 : 1;
            qEndUlt = smallerOf(poundsToKips * lc.nq * sigmaEff * A, rockFactor * endBearingLimit * A);
            qEndAllow = qEndUlt / FSe;
            capacity = qEndAllow + qSideAllow;

            const Extended Q = capacity;
            const Extended shortening = L * Q * feetToInches / lc.shorteningDivisor;
            const Extended tipMovement
                = B * Q / lc.tipAreaDivisor * lc.sptFactor * sqrtOCR * 0.33L * 0.1L / settlementDivisor;
            settlement = shortening + tipMovement;

            nsf = layer.NSF ? qSideAllow : 0;
            totalNSF += nsf;
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

        const Extended allowSide = ultSide / FSs;
        const Extended allowEnd = ultEnd / FSe;
        n.UltTotal = ultEnd + ultSide;
        n.AllowSide = allowSide;
        n.AllowEnd = allowEnd;
        // The first and the effective-stress sets are pound-based in US units while NSF is in
        // kips: it is taken off them in their own unit (as written, a US pile's effective
        // allowable capacity came out about 0.999 NSF too high).
        const Extended nsfInSetUnits = nsf * poundsToKipsDivisor;
        n.AllowTotal = allowEnd + allowSide - nsfInSetUnits;
        const Extended effSideAllow = effSideUlt / FSs;
        const Extended effEndAllow = effEndUlt / FSe;
        n.EffTotalUlt = effEndUlt + effSideUlt;
        n.EffSideAllow = effSideAllow;
        n.EffEndAllow = effEndAllow;
        n.EffTotalAllow = effEndAllow + effSideAllow - nsfInSetUnits;

        prevDepth = z;
        prevSigmaV = sigmaV;
        prevPore = pore;
        prevUltSide = ultSide;
        prevUltEnd = ultEnd;
    }
    TotalNSF = totalNSF;

    if (reached <= kNodeCount) {
        // No soil to stand in (an empty layer list): what is left would be the previous run's.
        for (int k = reached; k <= kNodeCount; ++k)
            markNotComputed(Node(k));
        TotalNSF = kNaN;
    }

    DownwardCapacity = Node(kNodeCount).Capacity;
    EffDownwardCapacity = Node(kNodeCount).EffTotalAllow;
    UpliftCapacity = 0.5L * DownwardCapacity;

    // Load carried by the pile: the capacity enters at the head and the end bearing remains at
    // the tip, in equal steps by node number. The effective-stress line is built the same way.
    {
        const Extended head = Node(kNodeCount).Capacity;
        const Extended tip = Node(kNodeCount).QEndAllow;
        const Extended effHead = Node(kNodeCount).EffTotalAllow;
        const Extended effTip = Node(kNodeCount).EffEndAllow;
        Node(1).PileLoad = head;
        Node(kNodeCount).PileLoad = tip;
        Node(1).EffPileLoad = effHead;
        Node(kNodeCount).EffPileLoad = effTip;
        for (int k = 2; k < kNodeCount; ++k) {
            Node(k).PileLoad = head - (head - tip) * (k - 1) / 40;
            Node(k).EffPileLoad = effHead - (effHead - effTip) * (k - 1) / 40;
        }
    }

    if (StructuralDesign) {
        if (UsesIShape() || UsesPipeSection())
            CheckSteelPile();
        if (IsConcreteNow())
            CalcReinforcedConcrete();
        if (IsTimber())
            CheckTimberPile();
    }
}
