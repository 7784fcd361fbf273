#include "model/extended80.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;
constexpr std::uint64_t kIntegerBit = std::uint64_t(1) << 63;
constexpr std::uint64_t kQuietNaN = std::uint64_t(3) << 62;
// A mantissa m with biased exponent e stands for m * 2^(e - kBias - 63); e = 0 is read as 1.
constexpr int kMantissaShift = kBias + 63;

TExtended80 pack(bool negative, int exponent, std::uint64_t mantissa)
{
    TExtended80 out {};
    for (int i = 0; i < 8; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    const unsigned top = static_cast<unsigned>(exponent) | (negative ? 0x8000u : 0u);
    out[8] = static_cast<std::uint8_t>(top);
    out[9] = static_cast<std::uint8_t>(top >> 8);
    return out;
}

// Nearest integer of a non-negative value below 2^64 (halves to even, the default rounding).
std::uint64_t toMantissa(Extended scaled, bool& carried)
{
    const Extended rounded = std::nearbyint(scaled);
    constexpr Extended two64 = 18446744073709551616.0L;
    carried = rounded >= two64;
    return carried ? kIntegerBit : static_cast<std::uint64_t>(rounded);
}

} // namespace

TExtended80 EncodeExtended80(Extended value)
{
    const bool negative = std::signbit(value);
    if (std::isnan(value))
        return pack(negative, kMaxExponent, kQuietNaN);
    if (std::isinf(value))
        return pack(negative, kMaxExponent, kIntegerBit);
    if (value == 0)
        return pack(negative, 0, 0);

    const Extended magnitude = std::fabs(value);
    int binaryExponent = 0;
    const Extended fraction
        = std::frexp(magnitude, &binaryExponent); // magnitude = fraction * 2^e, fraction in [0.5, 1)
    int exponent = binaryExponent - 1 + kBias;
    if (exponent >= kMaxExponent)
        return pack(negative, kMaxExponent, kIntegerBit);
    bool carried = false;
    if (exponent <= 0) {
        // Below the smallest normal value: a denormal with exponent field 0.
        const std::uint64_t mantissa = toMantissa(std::ldexp(magnitude, kMantissaShift - 1), carried);
        if (mantissa >= kIntegerBit)
            return pack(negative, 1, mantissa); // rounded up to the smallest normal value
        return pack(negative, 0, mantissa);
    }
    std::uint64_t mantissa = toMantissa(std::ldexp(fraction, 64), carried);
    if (carried) {
        ++exponent;
        if (exponent >= kMaxExponent)
            return pack(negative, kMaxExponent, kIntegerBit);
    }
    return pack(negative, exponent, mantissa);
}

Extended DecodeExtended80(const std::uint8_t* bytes)
{
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const unsigned top = bytes[8] | (unsigned(bytes[9]) << 8);
    const bool negative = (top & 0x8000u) != 0;
    const int exponent = static_cast<int>(top & 0x7FFFu);
    Extended magnitude;
    if (exponent == kMaxExponent) {
        magnitude = (mantissa & ~kIntegerBit) == 0 ? std::numeric_limits<Extended>::infinity()
                                                   : std::numeric_limits<Extended>::quiet_NaN();
    } else {
        // Denormals (exponent 0) share the scale of exponent 1.
        const int scale = (exponent == 0 ? 1 : exponent) - kMantissaShift;
        magnitude = std::ldexp(static_cast<Extended>(mantissa), scale);
    }
    return std::copysign(magnitude, negative ? Extended(-1) : Extended(1));
}
