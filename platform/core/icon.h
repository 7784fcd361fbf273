#pragma once
// The icon role: a picture read from and written to the window system's icon file layout (an
// icon directory followed by device-independent bitmaps, each with a colour image and a 1-bit
// transparency mask). Of a file with several images the one nearest the system icon size is
// shown; the file's bytes are kept, so saving writes back what was loaded.
#include "platform/core/graphic.h"

#include <cstdint>
#include <vector>

namespace platform {

class TBitmap;

// The size the window system gives an icon (its SM_CXICON x SM_CYICON).
int SystemIconWidth();
int SystemIconHeight();

class TIcon : public TGraphic {
public:
    TIcon() = default;

    std::string ClassName() const override { return "TIcon"; }
    const TGraphicClass& GraphicClass() const override;
    static const TGraphicClass& Class();

    void Assign(const TPersistent* source) override;
    // Draws the icon stretched onto rect: where the mask is set the canvas shows through, and a
    // colour image with an alpha channel is blended onto what the canvas holds (on canvases that
    // can be read back; others get the pixels whose alpha is at least half).
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool GetEmpty() const override { return m_width == 0; }
    int GetWidth() const override { return m_width; }
    int GetHeight() const override { return m_height; }
    // An icon's size comes from its image: both raise EInvalidGraphic.
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    // Reads an icon file from the stream's position. Anything that is not a well-formed icon
    // with at least one bitmap image raises EInvalidGraphic "Invalid icon" (the icon is then
    // left as it was); an icon whose images are all PNG-compressed raises EInvalidGraphic too.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // Builds a one-image icon from a colour bitmap and a mask bitmap of the same size (a mask
    // pixel that is not black is transparent), as the window system builds an icon from an
    // icon-information record (hot spot 0, 0).
    void LoadFromBitmaps(const TBitmap& color, const TBitmap& mask);

    // The shown image, for callers that read it: pixels top-down as 0xAARRGGBB (alpha only
    // meaningful when HasAlpha), and one byte per pixel that is 1 where the mask is set.
    const std::vector<uint32_t>& Pixels() const { return m_pixels; }
    const std::vector<uint8_t>& Mask() const { return m_mask; }
    bool HasAlpha() const { return m_hasAlpha; }
    // Number of images in the loaded file.
    int ImageCount() const { return m_imageCount; }

private:
    std::vector<uint8_t> m_data; // the icon file
    int m_width = 0;
    int m_height = 0;
    int m_imageCount = 0;
    bool m_hasAlpha = false;
    std::vector<uint32_t> m_pixels;
    std::vector<uint8_t> m_mask;
};

} // namespace platform
