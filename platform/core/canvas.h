#pragma once
// The drawing surface role that pictures draw themselves onto. Only the operations pictures
// need are here: stretching a device-independent bitmap onto a rectangle (nearest pixel, so
// colours are never blended), the same with one colour left out, and palette selection.
// TDibCanvas draws into a device-independent bitmap in memory; the window-system layer has a
// canvas on its own painter.
#include "platform/core/graphics.h"

#include <unordered_map>

namespace platform {

class TCanvas {
public:
    virtual ~TCanvas() = default;

    // Copies the source rectangle of the bitmap onto the destination rectangle, stretching
    // or shrinking by repeating or dropping whole pixels.
    virtual void StretchDIBits(
        const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits)
        = 0;
    // The same, leaving the destination untouched wherever the source pixel has the colour
    // transparent (0x00BBGGRR).
    virtual void TransparentStretchDIBits(const TRect& dest, const TRect& source, const TBitmapInfo& info,
        const uint8_t* bits, TColorRef transparent)
        = 0;

    // Selects a palette for the next drawing and returns the one selected before.
    virtual HPALETTE SelectPalette(HPALETTE palette, bool forceBackground);
    virtual void RealizePalette() { }
    const HPALETTE& Palette() const { return m_palette; }

private:
    HPALETTE m_palette;
};

// A canvas over a device-independent bitmap in memory (1, 4, 8, 16, 24 or 32 bits per pixel).
// The owner attaches the bitmap again whenever its memory moves.
class TDibCanvas : public TCanvas {
public:
    TDibCanvas() = default;
    TDibCanvas(TBitmapInfo* info, uint8_t* bits) { Attach(info, bits); }
    void Attach(TBitmapInfo* info, uint8_t* bits);

    void StretchDIBits(
        const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits) override;
    void TransparentStretchDIBits(const TRect& dest, const TRect& source, const TBitmapInfo& info,
        const uint8_t* bits, TColorRef transparent) override;

    // Sets one pixel to a colour (0x00BBGGRR); paletted targets take the nearest entry.
    void SetPixel(int x, int y, TColorRef color);
    TColorRef GetPixel(int x, int y) const;

private:
    void Stretch(const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits,
        bool transparent, TColorRef key);
    uint8_t NearestIndex(TColorRef color);

    TBitmapInfo* m_info = nullptr;
    uint8_t* m_bits = nullptr;
    std::unordered_map<TColorRef, uint8_t> m_nearest;
};

} // namespace platform
