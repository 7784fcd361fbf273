// Allowable-stress check of a timber pile: bending, shear parallel to grain and compression
// parallel to grain against reference values adjusted for load duration, size, wet service and
// condition treatment, and the combined bending and axial compression ratio.
//
// Units. US: section in inches, stresses in psi, loads in kips and kip-ft. SI: section in
// millimetres, stresses in MPa, loads in kN and kN.m. Both systems run the same formulas with one
// scale per quantity: model widths to section units (12 | 1000, the length sub-unit factor),
// shear and axial load to pounds or newtons (1000 in both), moment to lb-in or N.mm
// (12000 | 10^6). The section modulus stays in in^3 or mm^3, the units the timber page shows.
// The size factor compares depths in inches, so SI depths are divided by 25.4 there.
#include "model/analysis.h"
#include "model/lpclasses.h"

#include <cmath>
#include <limits>

namespace {

using analysis::kPi;

constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();

// Condition treatment factor of a round pile by its treatment code; NaN ("N.A.") for a code the
// timber page does not offer, rather than a factor nobody chose.
Extended treatmentFactor(std::int32_t code)
{
    switch (code) {
    case 0: // air dried
        return 1.0L;
    case 1: // kiln dried
        return 0.90L;
    case 2: // Boulton process
        return 0.95L;
    case 3: // normal steaming
        return 0.80L;
    case 4: // marine steaming
        return 0.74L;
    default:
        return kNaN;
    }
}

} // namespace

void TLPData::CheckTimberPile()
{
    TTimberResult& t = TimberResult;
    const TTimberInput& in = TimberInput;
    const bool round = IsRoundShape();
    const bool rectangular = IsRectangularShape();
    const Extended u = UnitValue(25.4, 1); // one inch in section units
    const Extended toSection = SubUnitFactor();
    const Extended D1 = Width * toSection;
    const Extended D2 = Width2 * toSection;

    t.P = DownwardLoad;
    MaxShearNode(t.V);
    MaxMomentNode(t.M);
    // A fixed head's largest moment is negative: the stresses and the ratio take magnitudes, the
    // record keeps the signed values for display.
    const Extended V = std::fabs(t.V);
    const Extended M = std::fabs(t.M);

    // Dressing allowance of half an inch.
    t.d = D2 - 0.5L * u;
    if (round)
        t.b = t.d;
    else if (D1 - D2 <= 0.01L * u) // a hundredth of an inch in either system
        t.b = D1 - 0.5L * u;
    else
        t.b = kNaN; // breadth greater than depth: not applicable

    t.S = round ? kPi * t.d * t.d * t.d / 32 : t.d * t.d * t.b / 6;

    t.CF = 1.0L;
    if (rectangular) {
        if (t.d / u > 12)
            t.CF = std::pow(12 / (t.d / u), 1.0L / 9.0L);
    } else if (round) {
        if (t.d / u > 13.5L) {
            const Extended side = std::sqrt(kPi * t.d * t.d / 4); // square of equal area
            t.CF = std::pow(12 / (side / u), 1.0L / 9.0L);
        }
    }
    t.Cwet = round ? 0.91L : 1.0L;
    t.Cct = round ? treatmentFactor(in.Treatment) : 1.0L;

    t.FbPrime = in.Fb * in.CD * t.CF * t.Cct;
    t.fb = UnitValue(1e6, 12000) * M / t.S;

    t.FvPrime = in.Fv * in.CD * t.Cct;
    t.fv = round ? 1000 * V * 16 / (3 * kPi * t.d * t.d) : 1000 * V * 3 / (2 * t.b * t.d);

    t.FcPrime = in.Fc * in.CD * t.Cct * t.Cwet;
    const Extended A = round ? kPi * t.d * t.d / 4 : t.d * t.b;
    t.fc = 1000 * t.P / A;

    // A factor or reference value of 0 or less (a file may bring one) leaves the stresses nothing
    // to be measured against: no ratio, rather than an infinite or a negative one.
    const Extended axial = analysis::capacityRatio(t.fc, t.FcPrime);
    t.CombinedRatio = axial * axial + analysis::capacityRatio(t.fb, t.FbPrime);
    CombinedRatio = t.CombinedRatio;
}
