#pragma once
// Building blocks of the pile analysis (TLPData::Calculate) that are worth checking on their own.
#include "model/lptypes.h"

#include <cstdint>
#include <limits>

class TLPData;
class TLayer;

namespace analysis {

// pi to the full precision of Extended.
inline constexpr Extended kPi = 3.14159265358979324L;

// sin x and cos x. The arguments of the analysis (lambda times depth) reach a few tens of
// radians, where the library's general reduction dominates the cost; they are reduced here by
// multiples of pi/2 held in three parts (Cody-Waite), exact to the precision of Extended.
void sinCos(Extended x, Extended& sinX, Extended& cosX);

// a / b, or NaN when b is zero: a result that cannot be computed shows as "N.A." and never as an
// infinity that would spread into sums, minima and the load line.
Extended ratio(Extended a, Extended b);

// A demand over a capacity, or NaN when the capacity is not above 0: a check against nothing (a
// factor of 0 or less that a file brought) has no ratio, rather than an infinite one or a
// negative one that would pass.
inline Extended capacityRatio(Extended demand, Extended capacity)
{
    return capacity > 0 ? demand / capacity : std::numeric_limits<Extended>::quiet_NaN();
}

// Friction angle (degrees) to the row of the Nq table: nearest whole degree below x.5, limited to
// 25..45. NaN gives -1 (no row).
int bearingFactorAngle(Extended phi);

// The layer at a depth and where it starts, found with the same rule as TLPData::LayerAtDepth
// (first layer whose top and bottom, in thousandths, enclose the depth in thousandths; the last
// layer when none does). Tops are summed the way TLayer::Top sums them.
struct LayerHit {
    const TLayer* layer = nullptr; // null only for an empty list
    Extended top = 0;
};

// The layer boundaries of one analysis run, summed and rounded once so that each of the 41 node
// lookups is a plain integer scan. The first kCached layers are kept on the stack (no allocation);
// a longer list, which only a project file can hold, is scanned on from there.
class LayerScan {
public:
    static constexpr int kCached = 32;

    explicit LayerScan(const TLPData& data);
    LayerHit at(Extended depth) const;

private:
    struct Entry {
        const TLayer* layer;
        Extended top;
        std::int64_t bottomMilli;
    };
    const TLPData& m_data;
    int m_count = 0;
    int m_cached = 0;
    Entry m_entries[kCached];
};

// One lookup without a prepared scan.
LayerHit layerAtDepth(const TLPData& data, Extended depth);

// A concrete-filled pipe of the model's pipe section and fill strength: the fill's modulus Ec
// (ksi | MPa) and moment of inertia Ic (in^4 | mm^4), and the composite flexural stiffness
// EIeff = Ec Ic C3 + E Is (kip-in^2 | N-mm^2), C3 the share of the fill that is counted.
struct FilledPipeStiffness {
    Extended Ec = 0;
    Extended Ic = 0;
    Extended EIeff = 0;
};
FilledPipeStiffness filledPipeStiffness(const TLPData& data);

} // namespace analysis
