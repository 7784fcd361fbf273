// Truevision Targa bitmaps.
#pragma once

#include "imaging/bmc/bmcutil.h"

namespace bmc {
extern const Format tgaFormat;
} // namespace bmc
