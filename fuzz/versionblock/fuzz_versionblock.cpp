// Scans arbitrary bytes for a version block: any file can be asked for its version.
#include "platform/core/versionblock.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (auto info = platform::findVersionBlock(data, size)) {
        // A block found must survive re-encoding unchanged.
        const auto again = platform::encodeVersionBlock(*info);
        const auto back = platform::findVersionBlock(again.data(), again.size());
        if (!back || back->major != info->major || back->build != info->build)
            __builtin_trap();
    }
    return 0;
}
