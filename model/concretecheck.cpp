// Reinforced-concrete pile section: reinforcement, tie or spiral spacing, concrete shear capacity,
// axial limits, a nine-point axial-moment interaction curve by strain compatibility (three bar
// rows, rectangular stress block, crushing strain 0.003) and the allowable moment of each load case.
//
// The section is worked in inches, kips and ksi (US) or millimetres, newtons and MPa (SI); forces
// are reported in kips or kN and moments in kip-ft or kN.m.
//
// Sign convention for the interaction points: compression positive, lever arms measured from the
// section's centroid towards the compression face. The top bar row lies y1 above the centroid,
// the middle row on it and the bottom row y1 below it.
#include "model/analysis.h"
#include "model/lpclasses.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using analysis::kPi;

constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended kInfinity = std::numeric_limits<Extended>::infinity();
constexpr Extended kCrushingStrain = 0.003L;

// The pure-bending search moves c by 0.5 % a round; 5000 rounds span a factor of about e^25,
// far beyond any neutral-axis depth of a real section, yet take well under a millisecond.
constexpr int kPoint0MaxRounds = 5000;
// The maximum-axial search halves its step from b/2 while the step is at least b/100: six moves.
constexpr int kPoint8MaxMoves = 6;

// Section geometry and material in working units.
struct Section {
    bool si = false;
    bool round = false;
    bool spiral = false;
    Extended b = 0; // width (diameter of a round section)
    Extended h = 0; // depth
    Extended r = 0; // half depth
    Extended fc = 0; // ksi | MPa
    Extended toForce = 1; // working force to reported force: N to kN in SI
};

Section sectionOf(const TLPData& m)
{
    Section s;
    s.si = m.Units == kUnitsSI;
    s.round = m.IsRoundShape();
    s.spiral = m.TieType == kTieTypeSpiral;
    const Extended toWorking = m.SubUnitFactor();
    s.b = m.Width * toWorking;
    s.h = m.Width2 * toWorking;
    s.r = s.h / 2;
    s.fc = s.si ? m.Fc : m.Fc / 1000;
    s.toForce = s.si ? 1000 : 1;
    return s;
}

// Elastic-perfectly plastic bar: Es * eps limited to +-fy.
Extended barStress(Extended eps, Extended Es, Extended fy)
{
    const Extended f = Es * eps;
    if (eps > 0)
        return f > fy ? fy : f;
    return f < -fy ? -fy : f;
}

// Concrete area a pure-bending point needs so that the bars' forces balance at zero axial load.
Extended balancingArea(const TInteractionPoint& p, Extended rowArea, Extended fc)
{
    Extended tension = 0;
    Extended compression = 0;
    const Extended eps[3] = { p.Eps1, p.Eps2, p.Eps3 };
    const Extended fs[3] = { p.Fs1, p.Fs2, p.Fs3 };
    for (int i = 0; i < 3; ++i) {
        if (eps[i] < 0)
            tension += fs[i] * rowArea;
        else if (eps[i] > 0)
            compression += fs[i] * rowArea;
    }
    return (-tension - compression) / (0.85L * fc);
}

TInteractionPoint notApplicablePoint()
{
    TInteractionPoint p;
    for (Extended* f : { &p.c, &p.Eps1, &p.Fs1, &p.Eps2, &p.Fs2, &p.Eps3, &p.Fs3, &p.Theta, &p.a, &p.Ac,
             &p.Fc, &p.yc, &p.Ft, &p.yt, &p.Phi, &p.PhiPn, &p.PhiMn })
        *f = kNaN;
    return p;
}

// Strains, bar stresses, stress block and net concrete area of a point from its c: all that the
// pure-bending search looks at, and the first half of every point's evaluation.
void evaluateStrains(const TLPData& m, const Section& s, TInteractionPoint& p, Extended& sinTheta)
{
    const Extended c = p.c;
    p.Eps1 = kCrushingStrain * (c - m.TopRowDepth) / c;
    p.Eps2 = kCrushingStrain * (c - s.r) / c;
    p.Eps3 = kCrushingStrain * (c - s.r - m.RowOffset) / c;
    p.Fs1 = barStress(p.Eps1, m.Es, m.Fy);
    p.Fs2 = barStress(p.Eps2, m.Es, m.Fy);
    p.Fs3 = barStress(p.Eps3, m.Es, m.Fy);

    const Extended block = m.Beta1 * c;
    p.a = block < s.h ? block : s.h;
    const int compressed = int(p.Eps1 > 0) + int(p.Eps2 > 0) + int(p.Eps3 > 0);
    if (s.round) {
        const Extended cosTheta = (s.r - p.a) / s.r;
        p.Theta = std::acos(cosTheta);
        sinTheta = std::sqrt((1 - cosTheta) * (1 + cosTheta));
        p.Ac = (p.Theta - sinTheta * cosTheta) * s.b * s.b / 4 - compressed * m.RowArea;
    } else {
        p.Theta = 0;
        sinTheta = 0;
        p.Ac = block * s.b - compressed * m.RowArea;
    }
}

// A whole interaction point from its c.
void evaluatePoint(const TLPData& m, const Section& s, TInteractionPoint& p)
{
    Extended sinTheta = 0;
    evaluateStrains(m, s, p, sinTheta);
    const Extended y1 = m.RowOffset;
    const Extended ra = m.RowArea;
    const Extended block = m.Beta1 * p.c;

    const bool top = p.Eps1 > 0, middle = p.Eps2 > 0, bottom = p.Eps3 > 0; // compressed rows
    const Extended rowCompression
        = (top ? p.Fs1 * ra : 0) + (middle ? p.Fs2 * ra : 0) + (bottom ? p.Fs3 * ra : 0);
    // Moment of the compressed rows about the centroid: the top row acts y1 above it, the bottom
    // row y1 below it.
    const Extended rowMoment = (top ? y1 * p.Fs1 * ra : 0) - (bottom ? y1 * p.Fs3 * ra : 0);

    const Extended concrete = p.Ac * 0.85L * s.fc;
    p.Fc = (concrete + rowCompression) / s.toForce;
    if (!s.round) {
        p.yc = (concrete * std::fabs(s.r - block / 2) + rowMoment) / p.Fc / s.toForce;
    } else if (p.a >= s.b) {
        // The whole circle is compressed: the concrete acts at the centroid.
        p.yc = rowMoment / p.Fc / s.toForce;
    } else {
        // Moment of a circular segment of half-angle Theta about the circle's centre: b^3 sin^3/12.
        const Extended segmentMoment = s.fc * 0.85L * s.b * s.b * s.b * sinTheta * sinTheta * sinTheta / 12;
        p.yc = (segmentMoment + rowMoment) / (s.fc * 0.85L * p.Ac + rowCompression);
    }

    const bool topT = p.Eps1 < 0, middleT = p.Eps2 < 0, bottomT = p.Eps3 < 0; // rows in tension
    p.Ft = ((topT ? p.Fs1 * ra : 0) + (middleT ? p.Fs2 * ra : 0) + (bottomT ? p.Fs3 * ra : 0)) / s.toForce;
    if (p.Ft == 0) {
        p.yt = 0;
    } else {
        // Signed so that yt * Ft is the tension rows' moment about the centroid with the sign of
        // the bottom row's: when the top row is in tension too (shallow neutral axis), its pull
        // above the centroid reduces the moment instead of adding to it.
        const Extended tensionMoment = (bottomT ? y1 * p.Fs3 * ra : 0) - (topT ? y1 * p.Fs1 * ra : 0);
        p.yt = tensionMoment / p.Ft / s.toForce;
    }

    if (p.Eps3 < -0.005L) {
        p.Phi = 0.9L;
    } else {
        const Extended transition = s.spiral ? 0.57L - 67 * p.Eps3 : 0.48L - 83 * p.Eps3;
        p.Phi = transition > m.PhiCompression ? transition : m.PhiCompression;
    }
    p.PhiPn = p.Phi * (p.Ft + p.Fc);
    p.PhiMn = p.Phi * (p.yc * p.Fc + std::fabs(p.yt * p.Ft)) / (s.si ? 1000 : 12);
}

} // namespace

void TLPData::CalcConcreteSteelStresses(TInteractionPoint& Point)
{
    evaluatePoint(*this, sectionOf(*this), Point);
}

void TLPData::CalcReinforcedConcrete()
{
    const Section s = sectionOf(*this);
    const Extended fc = s.fc;

    const Extended Ag = s.round ? kPi * s.r * s.r : s.b * s.h;
    // Stress-block depth factor: 0.85 up to 4000 psi (28 MPa), 0.05 less per 1000 psi (7 MPa)
    // above, never below 0.65. US strengths are in ksi here, hence the explicit psi form.
    Beta1 = s.si ? 0.85L - 0.05L * (fc - 28) / 7 : 0.85L - 0.05L * (1000 * fc - 4000) / 1000;
    if (Beta1 < 0.65L)
        Beta1 = 0.65L;
    if (Beta1 > 0.85L)
        Beta1 = 0.85L;

    TRebar bar;
    TRebar tie;
    GetRebar(BarSize, bar);
    GetRebar(TieBarSize, tie);
    const Extended db = bar.Diameter;
    const Extended dt = tie.Diameter;

    SteelArea = BarCount * static_cast<Extended>(bar.Area);
    SteelPercent = 100 * SteelArea / Ag;
    BarCircle = kPi * (s.b - 2 * Cover - dt);

    // Tie or spiral spacing. A spacing the user left at the previous limit follows the new one.
    const Extended previousLimit = SpacingLimit;
    if (s.spiral) {
        SpacingLimit = UnitValue(75, 3.0);
    } else {
        Extended limit = 16 * db < 48 * dt ? 16 * db : 48 * dt;
        Extended dimension = s.b;
        if (IsRectangularShape() && !s.si && s.h < s.b)
            dimension = s.h;
        if (dimension < limit)
            limit = dimension;
        SpacingLimit = limit;
    }
    if (RoundHalfEven(10 * previousLimit) == RoundHalfEven(10 * SpacingOverride) || SpacingOverride == 0)
        SpacingOverride = SpacingLimit;

    // Each case's shear acts with its own axial load; the capacity kept and printed is case 1's.
    for (int i = 0; i < kLoadCaseCount; ++i)
        CaseShearCapacity[static_cast<std::size_t>(i)] = ConcreteShearCapacity(LoadCases[i].Pu);
    ShearCapacity = CaseShearCapacity[0];
    {
        const Extended t = std::tan(kPi / 4);
        // A zero spacing has no steel per length: "N.A." rather than an infinity.
        TieSteelPerLength = BarCircle * analysis::ratio(tie.Area, SpacingOverride) / (t * t);
    }

    const Extended k = s.spiral ? 0.6375L : 0.52L;
    P0 = k * (Fy * SteelArea + 0.85L * fc * (Ag - SteelArea)) / s.toForce;
    TensionLimit = -0.9L * Fy * SteelArea / s.toForce;

    RowOffset = s.r - Cover - dt - 0.5L * db;
    if (s.round || s.spiral)
        RowOffset *= std::cos(kPi / 6);
    TopRowDepth = s.r - RowOffset;
    RowArea = SteelArea / 3;
    PhiCompression = s.spiral ? 0.75L : 0.65L;

    auto& pts = InteractionPoints;

    if (!(s.b > 0 && s.h > 0) || !(RowOffset > 0) || !BarsFit(Cover, BarCount) || !(Es > 0)) {
        // No concrete, bar rows that would lie on or past the centre (the cover, tie and bar
        // leave them no room), more bars than their circle holds side by side, or bars without
        // stiffness: the section cannot exist, and nothing of its check is a number (the
        // searches below would only turn garbage into plausible-looking ones).
        for (TInteractionPoint& p : pts)
            p = notApplicablePoint();
        M0 = P0 = TensionLimit = ShearCapacity = kNaN;
        CaseShearCapacity.fill(kNaN);
        for (int i = 1; i <= kLoadCaseCount; ++i)
            LoadCases[i - 1].Mall = i <= LoadCaseCount ? kNaN : 0;
        SteelResult.PRatio = SteelResult.MxRatio = CombinedRatio = kNaN;
        return;
    }

    // Point 0, pure bending: the neutral-axis depth at which the concrete balances the bars.
    {
        TInteractionPoint& p = pts[0];
        if (!(RowArea > 0 && Fy > 0 && Es > 0)) {
            // Without bars nothing can balance the concrete: the section carries no moment at
            // zero axial load (the search would otherwise shrink c for ever).
            p = TInteractionPoint {};
            p.Phi = 0.9L;
        } else {
            Extended c = s.h / 3;
            Extended bestC = c;
            Extended bestError = kInfinity;
            bool balanced = false;
            Extended sinTheta = 0;
            for (int round = 0; round < kPoint0MaxRounds; ++round) {
                p.c = c;
                evaluateStrains(*this, s, p, sinTheta);
                const Extended F = balancingArea(p, RowArea, fc);
                if (F != 0) {
                    const Extended error = std::fabs(p.Ac / F - 1);
                    if (error < 0.005L) {
                        balanced = true;
                        break;
                    }
                    if (error < bestError) {
                        bestError = error;
                        bestC = c;
                    }
                }
                if (F <= p.Ac)
                    c -= 0.005L * c;
                else
                    c += 0.005L * c;
            }
            // The 0.5 % steps can straddle the balance for ever; then keep the nearest depth seen.
            p.c = balanced ? c : bestC;
            evaluatePoint(*this, s, p);
        }
    }

    // Point 8, maximum axial load: bisection on c towards PhiPn = P0, seven evaluations.
    {
        TInteractionPoint& p = pts[8];
        Extended c = s.b;
        Extended step = s.b / 2;
        for (int moves = 0;; ++moves) {
            p.c = c;
            evaluatePoint(*this, s, p);
            if (!(step >= s.b / 100) || moves >= kPoint8MaxMoves)
                break;
            if (P0 <= p.PhiPn)
                c -= step;
            else
                c += step;
            step /= 2;
        }
    }

    // Point 3, balanced: the bottom row yields as the concrete crushes.
    pts[3].c = kCrushingStrain * (s.r + RowOffset) / (kCrushingStrain + Fy / Es);
    evaluatePoint(*this, s, pts[3]);

    const Extended c0 = pts[0].c, c3 = pts[3].c, c8 = pts[8].c;
    for (int i = 1; i <= 7; ++i) {
        if (i == 3)
            continue;
        pts[i].c = i < 3 ? c0 + i * (c3 - c0) / 3 : c3 + (i - 3) * (c8 - c3) / 5;
        evaluatePoint(*this, s, pts[i]);
    }
    M0 = pts[0].PhiMn;

    for (TLoadCase& lc : LoadCases)
        lc.Mall = 0;
    for (int i = 1; i <= kLoadCaseCount && i <= LoadCaseCount; ++i)
        LoadCases[i - 1].Mall = InterpolateAllowableMoment(LoadCases[i - 1].Pu);

    // The section is symmetric: a moment's sign does not change its capacity, so the ratio takes
    // its magnitude and a negative moment cannot pass as a small one.
    const TLoadCase& first = LoadCases[0];
    SteelResult.PRatio = first.Pu / P0;
    SteelResult.MxRatio = std::isinf(first.Mall) && first.Mall > 0 ? kNaN : std::fabs(first.Mu) / first.Mall;
    const Extended pr = SteelResult.PRatio;
    const Extended mr = SteelResult.MxRatio;
    CombinedRatio = pr > 0.2L ? pr + 8.0L / 9.0L * mr : pr / 2 + mr;
}

Extended TLPData::ConcreteShearCapacity(Extended Pu) const
{
    const Section s = sectionOf(*this);
    const Extended fc = s.fc;
    if (s.round) {
        return s.si ? 0.8L * s.b * s.b * 0.1275L * std::sqrt(fc) / 1000
                    : 0.8L * s.b * s.b * 1.5L * std::sqrt(1000 * fc) / 1000;
    }
    const Extended Ag = s.b * s.h;
    return s.si ? 0.1275L * Ag * (1 + 1000 * Pu / (14 * Ag)) * std::sqrt(fc) / 1000
                : 1.5L * Ag * (1 + Pu / (2 * Ag)) * std::sqrt(1000 * fc) / 1000;
}

Extended TLPData::ClearCoverLimit() const
{
    TRebar bar;
    TRebar tie;
    GetRebar(BarSize, bar);
    GetRebar(TieBarSize, tie);
    return sectionOf(*this).r - tie.Diameter - 0.5L * bar.Diameter;
}

bool TLPData::BarsOnCircle() const
{
    return IsRoundShape() || TieType == kTieTypeSpiral;
}

std::int32_t TLPData::FewestBars() const
{
    return TieType == kTieTypeSpiral ? 6 : 4;
}

bool TLPData::BarsFit(Extended cover, std::int32_t count) const
{
    const Extended room = ClearCoverLimit() - cover; // the radius of the bars' circle
    if (!(room > 0))
        return false;
    if (!BarsOnCircle())
        return true;
    TRebar bar;
    GetRebar(BarSize, bar);
    return !(count * bar.Diameter > 2 * kPi * room);
}

Extended TLPData::CoverLimitForBars(std::int32_t count) const
{
    if (!BarsOnCircle())
        return ClearCoverLimit();
    TRebar bar;
    GetRebar(BarSize, bar);
    return ClearCoverLimit() - count * bar.Diameter / (2 * kPi);
}

std::int32_t TLPData::MostBarsOnCircle(Extended cover) const
{
    TRebar bar;
    GetRebar(BarSize, bar);
    const Extended most = std::floor(2 * kPi * (ClearCoverLimit() - cover) / bar.Diameter);
    return most > 0 ? static_cast<std::int32_t>(std::min<Extended>(most, INT32_MAX)) : 0;
}

Extended TLPData::InterpolateAllowableMoment(Extended Pu) const
{
    const auto& pts = InteractionPoints;
    Extended result = kInfinity;
    if (TensionLimit <= Pu && Pu < pts[0].PhiPn) {
        // Straight line from zero moment at the tension limit to M0 at zero load. A section
        // without bars has no tension limit to draw it from.
        if (TensionLimit < 0)
            result = M0 * (TensionLimit - Pu) / TensionLimit;
        return result;
    }
    for (int i = 0; i < kInteractionPointCount - 1 && result == kInfinity; ++i) {
        const TInteractionPoint& lo = pts[i];
        const TInteractionPoint& hi = pts[i + 1];
        if (lo.PhiPn <= Pu && Pu < hi.PhiPn)
            result = lo.PhiMn + (hi.PhiMn - lo.PhiMn) * (Pu - lo.PhiPn) / (hi.PhiPn - lo.PhiPn);
    }
    return result;
}
