#pragma once
// The 10-byte extended-precision real of project files: a 64-bit mantissa with an explicit
// integer bit, then a 15-bit exponent biased by 16383 and the sign bit, little-endian. Converted
// arithmetically, so files read the same whatever `long double` is on the machine.
#include "model/lptypes.h"

#include <array>
#include <cstdint>

using TExtended80 = std::array<std::uint8_t, 10>;

// Exact where `long double` has a 64-bit mantissa; rounded to nearest otherwise. Infinities and
// NaNs keep their kind and sign; values beyond the format's range become infinities.
TExtended80 EncodeExtended80(Extended value);
Extended DecodeExtended80(const std::uint8_t* bytes);
