// Allowable-stress member check of a steel pile (Omega = 1.67): axial compression with flexural
// buckling and slender-element reduction, strong- and weak-axis flexure with flange local and
// lateral-torsional buckling, and the combined axial-bending ratio. Two variants: a rolled I or H
// section (square or rectangular pile) and a round hollow section, optionally filled with concrete.
//
// Units follow the project: US ksi, kips, kip-ft, ft and the tables' inches; SI MPa, kN, kN.m, m
// and the tables' mm, 10^3 mm^3 and 10^6 mm^4. Model lengths meet section properties through
// SubUnitFactor (ft to in, m to mm); forces and moments in SI leave newtons through UV = 1000.
//
// "Not applicable" is NaN and shows as "N.A.". It is set explicitly rather than left to NaN
// arithmetic: min() and comparisons silently drop a NaN operand (min(Fy, NaN) is Fy), so an
// allowable load would come out as a plausible number for a pile in tension.
#include "model/analysis.h"
#include "model/lpclasses.h"

#include <cmath>
#include <limits>

namespace {

using analysis::capacityRatio;
using analysis::kPi;

constexpr Extended kOmega = 1.67L;
constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();

enum class ElementClass { Compact, Noncompact, Slender };

// The limits themselves fall in the weaker class.
ElementClass classify(Extended lambda, Extended lambdaP, Extended lambdaR)
{
    if (lambda < lambdaP)
        return ElementClass::Compact;
    if (lambda < lambdaR)
        return ElementClass::Noncompact;
    return ElementClass::Slender;
}

// Short literals: the assignment stays within the string's own buffer and allocates nothing.
const char* className(ElementClass c)
{
    switch (c) {
    case ElementClass::Compact:
        return "Compact";
    case ElementClass::Noncompact:
        return "Noncompact";
    case ElementClass::Slender:
        break;
    }
    return "Slender";
}

// A length entered at 1 ft (1 m) or less counts as exactly 1.
Extended atLeastOne(Extended length)
{
    return length <= 1 ? 1 : length;
}

// Flexural buckling: elastic stress Fe and critical stress Fcr of a slenderness KL/r.
Extended criticalStress(Extended klr, Extended E, Extended Fy, Extended rEF, Extended& Fe)
{
    Fe = kPi * kPi * E / (klr * klr);
    if (klr <= 4.71L * rEF)
        return std::pow(0.658L, Fy / Fe) * Fy;
    return 0.877L * Fe;
}

// Effective-width ratio b_e/b of a plate element of width-to-thickness `ratio` at the stress Fcr.
// `limitFactor` times r_EF is its slenderness limit at Fy, `elasticFactor` times r_EF the one that
// sets its elastic local buckling stress.
Extended effectiveWidthRatio(
    Extended ratio, Extended limitFactor, Extended elasticFactor, Extended rEF, Extended Fy, Extended Fcr)
{
    if (ratio <= limitFactor * rEF * std::sqrt(Fy / Fcr))
        return 1;
    const Extended x = elasticFactor * rEF / ratio;
    const Extended Fel = Fy * x * x;
    const Extended t = std::sqrt(Fel / Fcr);
    return (1 - 0.22L * t) * t;
}

Extended combined(Extended pRatio, Extended bendingRatios)
{
    if (pRatio > 0.2L)
        return pRatio + 8.0L / 9.0L * bendingRatios;
    return pRatio / 2 + bendingRatios;
}

// A record no section can have, typed by the user or read from a file, has no strength to check:
// every result is "not applicable", never a number that could read as a pass.
void noSection(TLPData& m)
{
    TSteelResult& r = m.SteelResult;
    for (Extended* v : { &r.Kc, &r.Rpg, &r.HOverTw, &r.Aw, &r.WebDepth, &r.KLrX, &r.KLrY, &r.KLr, &r.Fe,
             &r.Fcr, &r.Q, &r.FlangeFactor, &r.WebFactor, &r.PnOmega, &r.Lambda, &r.LambdaP, &r.LambdaR,
             &r.PRatio, &r.Lp, &r.Lr, &r.LbOverRts, &r.Fbx, &r.MnFLB, &r.MnLTB, &r.MnLTBw, &r.MnFLBw, &r.MpY,
             &r.MnY, &r.Ec, &r.Ic, &r.EIeff, &r.Pno, &r.Pe, &r.MnxOmega, &r.MxRatio, &r.Fby, &r.MnyOmega,
             &r.MyRatio, &m.CombinedRatio })
        *v = kNaN;
    r.FlangeClass.clear();
}

void checkIShape(TLPData& m)
{
    const TIShape& s = m.IShape;
    if (SectionFault(s)) {
        noSection(m);
        return;
    }
    const TSteelInput& in = m.SteelInput;
    TSteelResult& r = m.SteelResult;
    const Extended E = m.E;
    const Extended Fy = in.Fy;
    const Extended rEF = std::sqrt(E / Fy);
    const Extended suf = m.SubUnitFactor();
    const Extended uv = m.UnitValue(1000, 1);
    const Extended perFoot = m.UnitValue(1, 12); // kip-in to kip-ft

    // Web and the bending strength reduction of a slender web.
    const Extended h = s.d - 2 * s.tf;
    r.WebDepth = h;
    r.HOverTw = h / s.tw;
    r.Kc = 4 / std::pow(r.HOverTw, 0.4L);
    if (r.Kc < 0.35L)
        r.Kc = 0.35L;
    if (r.Kc > 0.76L)
        r.Kc = 0.76L;
    r.Aw = h * s.tw / (s.bf * s.tf);
    if (r.Aw > 10)
        r.Aw = 10;
    r.Rpg = 1 - r.Aw / (1200 + 300 * r.Aw) * (r.HOverTw - 5.7L * rEF);
    if (r.Rpg > 1)
        r.Rpg = 1;

    const Extended lamf = s.bf / (2 * s.tf);
    if (in.P >= 0) {
        r.KLrX = in.Kx * atLeastOne(in.Lx) * suf / s.rx;
        r.KLrY = in.Ky * atLeastOne(in.Ly) * suf / s.ry;
        r.KLr = r.KLrX > r.KLrY ? r.KLrX : r.KLrY;
        r.Fcr = criticalStress(r.KLr, E, Fy, rEF, r.Fe);
        r.FlangeFactor = effectiveWidthRatio(lamf, 0.56L, 0.8344L, rEF, Fy, r.Fcr);
        r.WebFactor = effectiveWidthRatio(r.HOverTw, 1.49L, 2.2201L, rEF, Fy, r.Fcr);
        // Effective area: the flange ratio applies to each of the four flange outstands, whose
        // width is bf/2, so both flanges lose 4 * (1 - FlangeFactor) * (bf/2) * tf together.
        const Extended Ae = s.A - (1 - r.WebFactor) * h * s.tw - 2 * (1 - r.FlangeFactor) * s.bf * s.tf;
        const Extended F = Fy < r.Fcr ? Fy : r.Fcr;
        r.PnOmega = F * Ae / kOmega / uv;
    } else {
        r.KLrX = r.KLrY = r.KLr = r.Fe = r.Fcr = kNaN;
        r.FlangeFactor = r.WebFactor = r.PnOmega = kNaN;
    }

    // Flange class and flange local buckling.
    r.Lambda = lamf;
    r.LambdaP = 0.38L * rEF;
    r.LambdaR = rEF;
    const ElementClass flange = classify(r.Lambda, r.LambdaP, r.LambdaR);
    r.FlangeClass = className(flange);
    const Extended Mp = Fy * s.Zx / uv;
    const Extended My = 0.7L * Fy * s.Sx / uv; // moment at the onset of yielding, residual stress included
    switch (flange) {
    case ElementClass::Compact:
        r.MnFLB = Mp;
        break;
    case ElementClass::Noncompact:
        r.MnFLB = Mp - (r.Lambda - r.LambdaP) * (Mp - My) / (r.LambdaR - r.LambdaP);
        break;
    case ElementClass::Slender:
        r.MnFLB = 0.9L * E * r.Kc * s.Sx / (r.Lambda * r.Lambda) / uv;
        break;
    }

    // Limiting unbraced lengths, in feet or metres.
    r.Lp = 1.76L * s.ry * rEF / suf;
    {
        const Extended jc = s.J / (s.Sx * s.ho);
        const Extended x = 0.7L * Fy * s.Sx * s.ho / (E * s.J);
        r.Lr = 1.95L * s.rts * E / (0.7L * Fy) * std::sqrt(jc) * std::sqrt(1 + std::sqrt(1 + 6.7L * x * x))
            / suf;
    }

    // Lateral-torsional buckling.
    const Extended Lb = in.Lb;
    const Extended Cb = in.Cb;
    const Extended lbRts = Lb * suf / s.rts;
    const Extended elasticLTB = Cb * kPi * kPi * E / (lbRts * lbRts);
    if (Lb <= r.Lp) {
        r.MnLTB = Mp;
    } else if (Lb <= r.Lr) {
        r.MnLTB = Cb * (Mp - (Mp - My) * (Lb - r.Lp) / (r.Lr - r.Lp));
    } else {
        const Extended fcrLTB = elasticLTB * std::sqrt(1 + 0.078L * s.J / (s.Sx * s.ho) * lbRts * lbRts);
        r.MnLTB = fcrLTB * s.Sx / uv;
    }
    if (r.MnLTB > Mp)
        r.MnLTB = Mp;

    // The same limit states with the bending strength reduction Rpg of a slender web.
    const Extended rpgSx = r.Rpg * s.Sx / uv;
    const Extended rpgMy = rpgSx * Fy;
    if (Lb <= r.Lp)
        r.MnLTBw = rpgSx * Fy;
    else if (Lb <= r.Lr)
        r.MnLTBw = rpgSx * Cb * (Fy - 0.3L * Fy * (Lb - r.Lp) / (r.Lr - r.Lp));
    else
        r.MnLTBw = rpgSx * elasticLTB;
    if (r.MnLTBw > rpgMy)
        r.MnLTBw = rpgMy;
    if (flange == ElementClass::Noncompact)
        r.MnFLBw = (Fy - 0.3L * Fy * (r.Lambda - r.LambdaP) / (r.LambdaR - r.LambdaP)) * rpgSx;
    else
        r.MnFLBw = 0.9L * E * r.Kc * rpgSx / (r.Lambda * r.Lambda);
    if (r.MnFLBw > rpgMy)
        r.MnFLBw = rpgMy;

    // Strong-axis allowable moment. A web that is compact in flexure (h/tw within 3.76 r_EF, which
    // every rolled W and HP shape meets) reaches the plastic moment: yielding, lateral-torsional
    // buckling and flange local buckling as for compact-web members. Any other web takes the
    // Rpg-reduced strengths above, which never exceed the yield moment and stay on the safe side
    // for noncompact webs as well.
    Extended mnx;
    if (r.HOverTw <= 3.76L * rEF)
        mnx = r.MnFLB < r.MnLTB ? r.MnFLB : r.MnLTB;
    else
        mnx = r.MnFLBw < r.MnLTBw ? r.MnFLBw : r.MnLTBw;
    r.MnxOmega = mnx / kOmega / perFoot;

    // Weak axis.
    {
        const Extended zy = Fy * s.Zy;
        const Extended sy = 1.6L * Fy * s.Sy;
        r.MpY = (zy < sy ? zy : sy) / uv;
    }
    switch (flange) {
    case ElementClass::Compact:
        r.MnY = r.MpY;
        break;
    case ElementClass::Noncompact:
        r.MnY = r.MpY - (r.Lambda - r.LambdaP) * (r.MpY - 0.7L * Fy * s.Sy / uv) / (r.LambdaR - r.LambdaP);
        break;
    case ElementClass::Slender:
        r.MnY = s.Sy * 0.69L * E / (r.Lambda * r.Lambda) / uv;
        break;
    }
    r.MnyOmega = r.MnY / kOmega / perFoot;

    // Ratios. The section is doubly symmetric, so a moment's sign does not change its capacity:
    // the ratios take magnitudes and a negative moment cannot offset the axial ratio.
    r.PRatio = in.P >= 0 ? capacityRatio(in.P, r.PnOmega) : kNaN;
    r.LbOverRts = atLeastOne(Lb) * suf / s.rts;
    {
        const Extended fbx = in.Mx * suf / s.Sx;
        const Extended fby = in.My * suf / s.Sy;
        r.Fbx = Fy < fbx ? Fy : fbx;
        r.Fby = Fy < fby ? Fy : fby;
    }
    r.MxRatio = capacityRatio(std::fabs(in.Mx), r.MnxOmega);
    r.MyRatio = capacityRatio(std::fabs(in.My), r.MnyOmega);
    m.CombinedRatio = in.P >= 0 ? combined(r.PRatio, r.MxRatio + r.MyRatio) : kNaN;
}

void checkPipe(TLPData& m)
{
    const TPipeShape& s = m.PipeShape;
    if (SectionFault(s)) {
        noSection(m);
        return;
    }
    const TSteelInput& in = m.SteelInput;
    TSteelResult& r = m.SteelResult;
    const Extended E = m.E;
    const Extended Fy = in.Fy;
    const Extended rEF = std::sqrt(E / Fy);
    const Extended suf = m.SubUnitFactor();
    const Extended uv = m.UnitValue(1000, 1);
    const Extended perFoot = m.UnitValue(1, 12);
    const Extended Dt = s.Dt;

    if (in.P >= 0) {
        r.KLrX = in.Kx * atLeastOne(in.Lx) * suf / s.r;
        r.Fcr = criticalStress(r.KLrX, E, Fy, rEF, r.Fe);
    } else {
        r.KLrX = r.Fe = r.Fcr = kNaN;
    }

    // Local buckling of the wall.
    r.Q = Dt < 0.11L * E / Fy ? 1 : 0.036L * E / (Fy * Dt) + 2.0L / 3.0L;
    r.Lambda = Dt;
    r.LambdaP = 0.07L * E / Fy;
    r.LambdaR = 0.31L * E / Fy;
    const ElementClass wall = classify(r.Lambda, r.LambdaP, r.LambdaR);
    r.FlangeClass = className(wall);
    switch (wall) {
    case ElementClass::Compact:
        r.MnFLB = Fy * s.Z / uv;
        break;
    case ElementClass::Noncompact:
        r.MnFLB = s.S * (Fy + 0.021L * E / Dt) / uv;
        break;
    case ElementClass::Slender:
        r.MnFLB = s.S * 0.33L * E / Dt / uv;
        break;
    }
    // The fill braces the wall against local buckling: a filled pipe reaches its plastic moment.
    const Extended mnx = in.ConcreteFilled ? Fy * s.Z / uv : r.MnFLB;
    r.MnxOmega = mnx / kOmega / perFoot;

    // Concrete fill, computed whether or not the pipe is filled.
    {
        const Extended fc = in.Fc;
        const Extended inner = s.OD - 2 * s.tdes;
        const analysis::FilledPipeStiffness fill = analysis::filledPipeStiffness(m);
        r.Ec = fill.Ec;
        r.Ic = fill.Ic;
        r.EIeff = fill.EIeff;
        r.Pno = Fy * s.A + kPi * fc * 0.95L * inner * inner / 4;
        const Extended kl = in.Kx * in.Lx * suf;
        r.Pe = r.EIeff * kPi * kPi / (kl * kl);
    }

    if (in.P < 0) {
        r.PnOmega = kNaN;
    } else if (in.ConcreteFilled) {
        if (r.Pe >= 0.4L * r.Pno)
            r.PnOmega = r.Pno / uv * std::pow(0.658L, r.Pno / r.Pe) / 2;
        else
            r.PnOmega = 0.877L * r.Pe / uv / 2;
    } else {
        const Extended F = Fy < r.Fcr ? Fy : r.Fcr;
        r.PnOmega = F * s.A * r.Q / kOmega / uv;
    }

    r.PRatio = in.P >= 0 ? capacityRatio(in.P, r.PnOmega) : kNaN;
    {
        const Extended fbx = in.Mx * suf / s.S;
        r.Fbx = Fy < fbx ? Fy : fbx;
    }
    r.MxRatio = capacityRatio(std::fabs(in.Mx), r.MnxOmega);
    m.CombinedRatio = in.P >= 0 ? combined(r.PRatio, r.MxRatio) : kNaN;
}

} // namespace

analysis::FilledPipeStiffness analysis::filledPipeStiffness(const TLPData& m)
{
    const TPipeShape& s = m.PipeShape;
    FilledPipeStiffness f;
    const Extended radius = (s.OD - 2 * s.tdes) / 2;
    f.Ec = m.UnitValue(5055, 1802) * std::sqrt(m.SteelInput.Fc);
    f.Ic = kPi * radius * radius * radius * radius / 4;
    Extended c3 = 0.6L + s.A / (kPi * s.OD * s.OD / 4);
    if (c3 > 0.9L)
        c3 = 0.9L;
    f.EIeff = f.Ic * f.Ec * c3 + m.E * s.I * m.UnitValue(1e6, 1);
    return f;
}

void TLPData::CheckSteelPile()
{
    if (UsesIShape())
        checkIShape(*this);
    else if (UsesPipeSection())
        checkPipe(*this);
}
