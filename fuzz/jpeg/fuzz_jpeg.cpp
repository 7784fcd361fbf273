// Loads arbitrary bytes as a JPEG picture, once as a single image and once through the
// multi-image protocol (LoadAllImages). Bad input may only raise the library's exceptions; a
// picture that loads must save and load again with the same size.
#include "imaging/jpeggraphic.h"
#include "platform/core/stream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::TMemoryStream stream;
    if (size > 0)
        stream.WriteBuffer(data, static_cast<int64_t>(size));
    for (bool all : { false, true }) {
        stream.SetPosition(0);
        TJpegGraphic picture;
        picture.SetLoadAllImages(all);
        try {
            TJpegGraphic::CanLoad(stream);
            picture.LoadFromStream(stream);
        } catch (const platform::Exception&) {
            if (!picture.Empty())
                __builtin_trap(); // a failed load must not leave a half-made picture
            continue;
        }
        if (picture.Empty() || picture.FrameCount() != 0)
            __builtin_trap();
        platform::TMemoryStream saved;
        picture.SaveToStream(saved);
        saved.SetPosition(0);
        TJpegGraphic again;
        again.LoadFromStream(saved);
        if (again.Width() != picture.Width() || again.Height() != picture.Height())
            __builtin_trap();
    }
    return 0;
}
