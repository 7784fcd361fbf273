#pragma once
// The largest picture any reader or bitmap accepts, in pixels. Every buffer size derived from it
// stays far from overflow, and a header that would make the caller allocate gigabytes is refused
// before any memory is taken. Header-only and free of dependencies so that the stand-alone codec
// module can share it.
#include <cstdint>

namespace platform {

inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 28;

} // namespace platform
