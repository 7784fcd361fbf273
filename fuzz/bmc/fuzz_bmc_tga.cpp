// The TGA reader on arbitrary bytes (the first byte picks the read options).
#include "fuzz/bmc/fuzz_bmc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return bmcfuzz::run(BMC_FT_TGA, data, size);
}
