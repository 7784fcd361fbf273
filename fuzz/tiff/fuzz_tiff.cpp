// Loads arbitrary bytes as a TIFF stream, page by page and all pages at once. Refusals are
// exceptions of the platform's family; anything else (a crash, a hang, another exception) is a
// fault. A picture that loads must also survive being written and read back.
#include "imaging/registration.h"
#include "imaging/tiffgraphic.h"
#include "platform/core/stream.h"

#include <cstdint>
#include <cstring>

namespace {

void roundTrip(TTiffGraphic& picture)
{
    if (picture.Empty() || int64_t(picture.Width()) * picture.Height() > (1 << 20))
        return;
    platform::TMemoryStream stream;
    picture.SaveToStream(stream);
    stream.SetPosition(0);
    TTiffGraphic back;
    back.LoadFromStream(stream);
    if (back.Width() != picture.Width() || back.Height() != picture.Height()
        || back.ImageFormat() != picture.ImageFormat())
        __builtin_trap();
}

} // namespace

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
    if (!TTiffGraphic::CanLoad(stream))
        return 0;
    try {
        TTiffGraphic picture;
        picture.LoadFromStream(stream);
        roundTrip(picture);
    } catch (const platform::Exception&) {
    }
    try {
        stream.SetPosition(0);
        TTiffGraphic all;
        all.SetLoadAllImages(true);
        all.LoadFromStream(stream);
    } catch (const platform::Exception&) {
    }
    return 0;
}
