#include "platform/core/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace platform {

HPALETTE TCanvas::SelectPalette(HPALETTE palette, bool /*forceBackground*/)
{
    HPALETTE previous = m_palette;
    m_palette = std::move(palette);
    return previous;
}

void TDibCanvas::Attach(TBitmapInfo* info, uint8_t* bits)
{
    m_info = info;
    m_bits = bits;
    m_nearest.clear();
}

uint8_t TDibCanvas::NearestIndex(TColorRef color)
{
    if (auto it = m_nearest.find(color); it != m_nearest.end())
        return it->second;
    const auto& h = m_info->bmiHeader;
    int entries = static_cast<int>(h.biClrUsed);
    if (entries <= 0 || entries > (1 << h.biBitCount))
        entries = 1 << h.biBitCount;
    const int r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < entries; ++i) {
        const TRgbQuad& q = m_info->bmiColors[i];
        const long dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0)
                break;
        }
    }
    if (m_nearest.size() > 4096)
        m_nearest.clear();
    m_nearest.emplace(color, static_cast<uint8_t>(best));
    return static_cast<uint8_t>(best);
}

void TDibCanvas::SetPixel(int x, int y, TColorRef color)
{
    if (m_info == nullptr || m_bits == nullptr)
        return;
    const auto& h = m_info->bmiHeader;
    const int height = std::abs(h.biHeight);
    if (x < 0 || y < 0 || x >= h.biWidth || y >= height)
        return;
    const int64_t stride = DibBytesPerRow(h.biWidth, h.biBitCount);
    uint8_t* p = m_bits + (h.biHeight < 0 ? y : height - 1 - y) * stride;
    const uint8_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    switch (h.biBitCount) {
    case 1: {
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        if (NearestIndex(color))
            p[x >> 3] |= mask;
        else
            p[x >> 3] &= static_cast<uint8_t>(~mask);
        break;
    }
    case 4: {
        const uint8_t index = NearestIndex(color) & 0x0F;
        uint8_t& byte = p[x >> 1];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | index)
                       : static_cast<uint8_t>((byte & 0x0F) | index << 4);
        break;
    }
    case 8:
        p[x] = NearestIndex(color);
        break;
    case 16: {
        const unsigned v = unsigned(r >> 3) << 10 | unsigned(g >> 3) << 5 | unsigned(b >> 3);
        p[2 * x] = static_cast<uint8_t>(v);
        p[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
    }
    case 24:
        p[3 * x] = b;
        p[3 * x + 1] = g;
        p[3 * x + 2] = r;
        break;
    case 32:
        p[4 * x] = b;
        p[4 * x + 1] = g;
        p[4 * x + 2] = r;
        p[4 * x + 3] = 0;
        break;
    default:
        break;
    }
}

TColorRef TDibCanvas::GetPixel(int x, int y) const
{
    if (m_info == nullptr || m_bits == nullptr)
        return 0;
    const auto& h = m_info->bmiHeader;
    if (x < 0 || y < 0 || x >= h.biWidth || y >= std::abs(h.biHeight))
        return 0;
    return DibPixelColorRef(*m_info, m_bits, x, y);
}

void TDibCanvas::StretchDIBits(
    const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits)
{
    Stretch(dest, source, info, bits, false, 0);
}

void TDibCanvas::TransparentStretchDIBits(const TRect& dest, const TRect& source, const TBitmapInfo& info,
    const uint8_t* bits, TColorRef transparent)
{
    Stretch(dest, source, info, bits, true, transparent & 0x00FFFFFF);
}

void TDibCanvas::Stretch(const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits,
    bool transparent, TColorRef key)
{
    if (m_info == nullptr || m_bits == nullptr || bits == nullptr)
        return;
    const int srcWidth = info.bmiHeader.biWidth;
    const int srcHeight = std::abs(info.bmiHeader.biHeight);
    // Only the part of the source rectangle that lies inside the bitmap can be read.
    const int sw = source.Width(), sh = source.Height();
    const int dw = dest.Width(), dh = dest.Height();
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return;
    const int targetWidth = m_info->bmiHeader.biWidth;
    const int targetHeight = std::abs(m_info->bmiHeader.biHeight);
    const int x0 = std::max(dest.Left, 0), x1 = std::min(dest.Right, targetWidth);
    const int y0 = std::max(dest.Top, 0), y1 = std::min(dest.Bottom, targetHeight);
    if (x0 >= x1 || y0 >= y1)
        return;
    std::vector<int> columns(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[static_cast<std::size_t>(x - x0)]
            = source.Left + static_cast<int>(int64_t(x - dest.Left) * sw / dw);
    for (int y = y0; y < y1; ++y) {
        const int sy = source.Top + static_cast<int>(int64_t(y - dest.Top) * sh / dh);
        if (sy < 0 || sy >= srcHeight)
            continue;
        for (int x = x0; x < x1; ++x) {
            const int sx = columns[static_cast<std::size_t>(x - x0)];
            if (sx < 0 || sx >= srcWidth)
                continue;
            const TColorRef color = DibPixelColorRef(info, bits, sx, sy);
            if (transparent && color == key)
                continue;
            SetPixel(x, y, color);
        }
    }
}

} // namespace platform
