#include "platform/core/graphics.h"

#include <algorithm>

namespace platform {

HPALETTE CreatePalette(const TLogPalette& logPalette)
{
    auto copy = std::make_shared<TLogPalette>();
    copy->palVersion = logPalette.palVersion;
    copy->palNumEntries = std::min<uint16_t>(logPalette.palNumEntries, 256);
    std::copy(logPalette.palPalEntry, logPalette.palPalEntry + copy->palNumEntries, copy->palPalEntry);
    return copy;
}

TColorRef DibPixelColorRef(const TBitmapInfo& info, const uint8_t* bits, int x, int y)
{
    const auto& h = info.bmiHeader;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const int64_t stride = DibBytesPerRow(h.biWidth, h.biBitCount);
    const int64_t row = h.biHeight < 0 ? y : height - 1 - y;
    const uint8_t* p = bits + row * stride;
    auto fromTable = [&](unsigned index) -> TColorRef {
        const TRgbQuad& q = info.bmiColors[index & 0xFF];
        return TColorRef(q.rgbRed) | TColorRef(q.rgbGreen) << 8 | TColorRef(q.rgbBlue) << 16;
    };
    switch (h.biBitCount) {
    case 1:
        return fromTable((p[x >> 3] >> (7 - (x & 7))) & 1);
    case 4:
        return fromTable((x & 1) ? (p[x >> 1] & 0x0F) : (p[x >> 1] >> 4));
    case 8:
        return fromTable(p[x]);
    case 16: {
        const unsigned v = unsigned(p[2 * x]) | unsigned(p[2 * x + 1]) << 8;
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return TColorRef((r << 3) | (r >> 2)) | TColorRef((g << 3) | (g >> 2)) << 8
            | TColorRef((b << 3) | (b >> 2)) << 16;
    }
    case 24:
        return TColorRef(p[3 * x + 2]) | TColorRef(p[3 * x + 1]) << 8 | TColorRef(p[3 * x]) << 16;
    case 32:
        return TColorRef(p[4 * x + 2]) | TColorRef(p[4 * x + 1]) << 8 | TColorRef(p[4 * x]) << 16;
    default:
        return 0;
    }
}

TScreenCaps& ScreenCaps()
{
    static TScreenCaps caps;
    return caps;
}

} // namespace platform
