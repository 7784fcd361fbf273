#include "platform/core/bitmap.h"

#include "platform/core/exceptions.h"
#include "platform/core/picturelimits.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace platform {

namespace {
void fillDefaultColors(TBitmapInfo& info)
{
    const int bits = info.bmiHeader.biBitCount;
    if (bits > 8) {
        info.bmiHeader.biClrUsed = 0;
        return;
    }
    const int entries = 1 << bits;
    for (int i = 0; i < entries; ++i) {
        TRgbQuad& q = info.bmiColors[i];
        if (bits == 1) {
            q.rgbRed = q.rgbGreen = q.rgbBlue = static_cast<uint8_t>(i * 255);
        } else if (bits == 4) {
            // The sixteen colours of the standard display palette.
            static const uint8_t table[16][3] = { { 0, 0, 0 }, { 128, 0, 0 }, { 0, 128, 0 }, { 128, 128, 0 },
                { 0, 0, 128 }, { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 }, { 128, 128, 128 },
                { 255, 0, 0 }, { 0, 255, 0 }, { 255, 255, 0 }, { 0, 0, 255 }, { 255, 0, 255 },
                { 0, 255, 255 }, { 255, 255, 255 } };
            q.rgbRed = table[i][0];
            q.rgbGreen = table[i][1];
            q.rgbBlue = table[i][2];
        } else {
            // 3-3-2 colour cube.
            q.rgbRed = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7);
            q.rgbGreen = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
            q.rgbBlue = static_cast<uint8_t>((i & 3) * 255 / 3);
        }
        q.rgbReserved = 0;
    }
    info.bmiHeader.biClrUsed = static_cast<uint32_t>(entries);
}
} // namespace

TBitmap::TBitmap()
{
    m_info = TBitmapInfo {};
    Reallocate(0, 0, BitCountOf(m_pixelFormat), false);
}

TBitmap::TBitmap(const TBitmap& other)
    : TGraphic()
    , m_info(other.m_info)
    , m_bits(other.m_bits)
    , m_pixelFormat(other.m_pixelFormat)
    , m_handleType(other.m_handleType)
{
    m_canvas.Attach(&m_info, m_bits.data());
}

const TGraphicClass& TBitmap::Class()
{
    static const TGraphicClass cls { "TBitmap", [] { return std::unique_ptr<TGraphic>(new TBitmap()); } };
    return cls;
}

const TGraphicClass& TBitmap::GraphicClass() const
{
    return Class();
}

int TBitmap::BitCountOf(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit:
        return 1;
    case TPixelFormat::pf4bit:
        return 4;
    case TPixelFormat::pf8bit:
        return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        return 16;
    case TPixelFormat::pf24bit:
        return 24;
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
        return 32;
    }
    return 32;
}

void TBitmap::Reallocate(int width, int height, int bitCount, bool keepPixels)
{
    if (width < 0 || height < 0 || int64_t(width) * height > kMaxPicturePixels)
        RaiseOutOfResources(ENOMEM);
    TBitmapInfo info = m_info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biCompression = BI_RGB;
    const int oldBits = m_info.bmiHeader.biBitCount;
    info.bmiHeader.biBitCount = static_cast<uint16_t>(bitCount);
    if (bitCount != oldBits)
        fillDefaultColors(info);
    const int64_t stride = DibBytesPerRow(width, bitCount);
    info.bmiHeader.biSizeImage = static_cast<uint32_t>(stride * height);
    std::vector<uint8_t> bits;
    try {
        bits.assign(static_cast<std::size_t>(stride * height), 0);
    } catch (const std::bad_alloc&) {
        RaiseOutOfResources(ENOMEM);
    }
    if (keepPixels && !m_bits.empty() && width > 0 && height > 0) {
        TDibCanvas target(&info, bits.data());
        const int w = std::min(width, Width()), h = std::min(height, Height());
        if (bitCount == oldBits) {
            const int64_t oldStride = DibBytesPerRow(Width(), oldBits);
            for (int y = 0; y < h; ++y)
                std::memcpy(bits.data() + (height - 1 - y) * stride,
                    m_bits.data() + (Height() - 1 - y) * oldStride,
                    static_cast<std::size_t>(std::min(stride, oldStride)));
        } else {
            target.StretchDIBits(Rect(0, 0, w, h), Rect(0, 0, w, h), m_info, m_bits.data());
        }
    }
    m_info = info;
    m_bits.swap(bits);
    m_canvas.Attach(&m_info, m_bits.data());
}

void TBitmap::SetSize(int width, int height)
{
    if (width == Width() && height == Height())
        return;
    Reallocate(width, height, BitCount(), true);
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == m_pixelFormat || format == TPixelFormat::pfCustom)
        return;
    const int bits = BitCountOf(format);
    m_pixelFormat = format;
    if (bits != BitCount())
        Reallocate(Width(), Height(), bits, true);
    Changed(this);
}

HPALETTE TBitmap::Palette() const
{
    if (BitCount() > 8)
        return nullptr;
    TLogPalette log;
    log.palNumEntries
        = static_cast<uint16_t>(m_info.bmiHeader.biClrUsed ? m_info.bmiHeader.biClrUsed : 1u << BitCount());
    for (int i = 0; i < log.palNumEntries; ++i) {
        log.palPalEntry[i].peRed = m_info.bmiColors[i].rgbRed;
        log.palPalEntry[i].peGreen = m_info.bmiColors[i].rgbGreen;
        log.palPalEntry[i].peBlue = m_info.bmiColors[i].rgbBlue;
    }
    return CreatePalette(log);
}

void TBitmap::SetPalette(const HPALETTE& palette)
{
    if (!palette || BitCount() > 8)
        return;
    const int entries = std::min<int>(palette->palNumEntries, 1 << BitCount());
    for (int i = 0; i < entries; ++i) {
        m_info.bmiColors[i].rgbRed = palette->palPalEntry[i].peRed;
        m_info.bmiColors[i].rgbGreen = palette->palPalEntry[i].peGreen;
        m_info.bmiColors[i].rgbBlue = palette->palPalEntry[i].peBlue;
        m_info.bmiColors[i].rgbReserved = 0;
    }
    m_info.bmiHeader.biClrUsed = static_cast<uint32_t>(entries);
    m_canvas.Attach(&m_info, m_bits.data());
    Changed(this);
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= Height())
        throw EInvalidGraphic(Format("Scan line index out of range"));
    return m_bits.data() + (Height() - 1 - y) * DibBytesPerRow(Width(), BitCount());
}

void TBitmap::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        Reallocate(0, 0, BitCount(), false);
        Changed(this);
        return;
    }
    if (const auto* other = dynamic_cast<const TBitmap*>(source)) {
        m_info = other->m_info;
        m_bits = other->m_bits;
        m_pixelFormat = other->m_pixelFormat;
        m_handleType = other->m_handleType;
        m_canvas.Attach(&m_info, m_bits.data());
        Changed(this);
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (!GetEmpty())
        canvas.StretchDIBits(rect, Rect(0, 0, Width(), Height()), m_info, m_bits.data());
}

bool TBitmap::GetObjectInfo(TBitmapObject& object) const
{
    object = TBitmapObject {};
    object.width = Width();
    object.height = Height();
    object.planes = 1;
    object.bitsPixel = BitCount();
    object.isDibSection = m_handleType == TBitmapHandleType::bmDIB;
    if (object.isDibSection)
        object.dibHeader = m_info.bmiHeader;
    return true;
}

bool TBitmap::GetDIBits(int bitCount, TRgbQuad* colors, uint8_t* bits) const
{
    if (GetEmpty() || bits == nullptr)
        return false;
    const int own = BitCount();
    if (bitCount == own) {
        std::memcpy(bits, m_bits.data(), m_bits.size());
        if (own <= 8 && colors != nullptr)
            std::copy(m_info.bmiColors, m_info.bmiColors + (1 << own), colors);
        return true;
    }
    if (bitCount != 24)
        return false;
    TBitmapInfo target {};
    target.bmiHeader = m_info.bmiHeader;
    target.bmiHeader.biBitCount = 24;
    target.bmiHeader.biClrUsed = 0;
    TDibCanvas canvas(&target, bits);
    canvas.StretchDIBits(Rect(0, 0, Width(), Height()), Rect(0, 0, Width(), Height()), m_info, m_bits.data());
    return true;
}

} // namespace platform
