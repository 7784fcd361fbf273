// OS/2 1.1, 1.2, 2.0 and Windows 3.0 bitmaps (BMP).
#pragma once

#include "imaging/bmc/bmcutil.h"

namespace bmc {
extern const Format bmpFormat;
} // namespace bmc
