#pragma once
// The bitmap role: a picture held as a device-independent bitmap in memory, with a pixel
// format, a palette for the paletted formats and a canvas. GetObjectInfo and GetDIBits give
// its description and its pixels the way the window system hands them out.
#include "platform/core/canvas.h"
#include "platform/core/graphic.h"

#include <vector>

namespace platform {

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TBitmapHandleType { bmDIB, bmDDB };

// What GetObject tells about a bitmap: always the plain description; the header only for a
// device-independent section.
struct TBitmapObject {
    int width = 0;
    int height = 0;
    int planes = 1;
    int bitsPixel = 0;
    bool isDibSection = false;
    TBitmapInfoHeader dibHeader;
};

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap&) = delete;

    std::string ClassName() const override { return "TBitmap"; }
    const TGraphicClass& GraphicClass() const override;
    static const TGraphicClass& Class();

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool GetEmpty() const override { return Width() <= 0 || Height() <= 0; }
    int GetWidth() const override { return m_info.bmiHeader.biWidth; }
    int GetHeight() const override { return m_info.bmiHeader.biHeight; }
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    // Keeps the pixels of the part that both sizes share; new pixels are black.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return m_pixelFormat; }
    // Converts the pixels to the new format (the nearest palette entry for paletted formats).
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return m_handleType; }
    void SetHandleType(TBitmapHandleType type) { m_handleType = type; }

    // The palette of a paletted bitmap (its colour table); none for the others.
    HPALETTE Palette() const;
    void SetPalette(const HPALETTE& palette);

    TDibCanvas& Canvas() { return m_canvas; }
    // Row y counted from the top.
    uint8_t* ScanLine(int y);
    const TBitmapInfo& Info() const { return m_info; }
    const uint8_t* Bits() const { return m_bits.data(); }
    int BitCount() const { return m_info.bmiHeader.biBitCount; }

    bool GetObjectInfo(TBitmapObject& object) const;
    // Writes the pixels as a bottom-up bitmap of bitCount bits (the bitmap's own count, or 24
    // for 16- and 32-bit bitmaps) into bits, with the colour table into colors; false when the
    // conversion is not available.
    bool GetDIBits(int bitCount, TRgbQuad* colors, uint8_t* bits) const;

private:
    void Reallocate(int width, int height, int bitCount, bool keepPixels);
    static int BitCountOf(TPixelFormat format);

    TBitmapInfo m_info;
    std::vector<uint8_t> m_bits;
    TPixelFormat m_pixelFormat = TPixelFormat::pfDevice;
    TBitmapHandleType m_handleType = TBitmapHandleType::bmDIB;
    TDibCanvas m_canvas;
};

} // namespace platform
