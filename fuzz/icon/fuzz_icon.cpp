// Loads arbitrary bytes as an icon stream. Refusals are exceptions of the platform's family;
// anything else is a fault. An icon that loads must draw within its size and be written again.
#include "imaging/icongraphic.h"
#include "imaging/registration.h"
#include "platform/core/stream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        InitializeImaging();
        return true;
    }();
    (void)ready;

    platform::TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    (void)TIconGraphic::CanLoad(stream);
    try {
        TIconGraphic picture;
        picture.LoadFromStream(stream);
        if (picture.Width() < 1 || picture.Width() > 256 || picture.Height() < 1 || picture.Height() > 256)
            __builtin_trap();
        platform::TMemoryStream saved;
        picture.SaveToStream(saved);
        saved.SetPosition(0);
        TIconGraphic back;
        back.LoadFromStream(saved);
    } catch (const platform::Exception&) {
    }
    return 0;
}
