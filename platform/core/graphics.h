#pragma once
// The device-independent picture data of the platform: rectangles, colour references,
// device-independent bitmap headers and colour tables, logical palettes and palette handles,
// and what the screen reports about itself.
#include <cstdint>
#include <memory>

namespace platform {

// A window-system colour: 0x00BBGGRR.
using TColorRef = uint32_t;

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect { left, top, right, bottom };
}

struct TRgbQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

struct TBitmapInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: rows bottom-up; negative: top-down
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(TBitmapInfoHeader) == 40, "the bitmap header is 40 bytes");

constexpr uint32_t BI_RGB = 0;

struct TBitmapInfo {
    TBitmapInfoHeader bmiHeader;
    TRgbQuad bmiColors[256];
};

struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
};

struct TLogPalette {
    uint16_t palVersion = 0x300;
    uint16_t palNumEntries = 0;
    TPaletteEntry palPalEntry[256];
};

// A realized palette object. Immutable once created, so several owners may share it.
using HPALETTE = std::shared_ptr<const TLogPalette>;

// Copies the logical palette (at most 256 entries) into a new palette object.
HPALETTE CreatePalette(const TLogPalette& logPalette);

// Bytes of one row of a device-independent bitmap: rows are padded to 32 bits.
constexpr int64_t DibBytesPerRow(int64_t width, int bitCount)
{
    return ((width * bitCount + 31) & ~int64_t(31)) / 8;
}

// Colour of pixel (x, y), y counted from the top, of a device-independent bitmap of 1, 4, 8, 16
// (5-5-5), 24 or 32 bits per pixel, as 0x00BBGGRR. The caller keeps x and y inside the bitmap.
TColorRef DibPixelColorRef(const TBitmapInfo& info, const uint8_t* bits, int x, int y);

// What the screen reports; the window-system layer fills it in at start-up.
struct TScreenCaps {
    bool paletted = false; // the display works through a hardware palette
    int dpiX = 96;
    int dpiY = 96;
};
TScreenCaps& ScreenCaps();

} // namespace platform
