#include "platform/core/icon.h"

#include "platform/core/bitmap.h"
#include "platform/core/canvas.h"
#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace platform {

namespace {

constexpr int kDirectoryHeaderSize = 6;
constexpr int kDirectoryEntrySize = 16;
constexpr int kInfoHeaderSize = 40;
// Icon images are at most 256 pixels a side; an icon file holds a few dozen images at most.
constexpr int kMaxIconSide = 256;
constexpr int kMaxImages = 512;

[[noreturn]] void invalidIcon()
{
    throw EInvalidGraphic("Invalid icon");
}

uint16_t get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t get32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

struct DirectoryEntry {
    int width = 0; // from the entry bytes; 0 there means 256
    int height = 0;
    int bitCount = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
};

struct DecodedImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;
};

bool isPng(const uint8_t* p, std::size_t available)
{
    static const uint8_t signature[8] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    return available >= 8 && std::memcmp(p, signature, 8) == 0;
}

// Decodes one bitmap image of the file; nothing when its bytes are not a usable bitmap.
// directoryHeight is the height its directory entry gives.
std::optional<DecodedImage> decodeImage(const uint8_t* p, std::size_t available, int directoryHeight)
{
    if (available < kInfoHeaderSize)
        return std::nullopt;
    const uint32_t headerSize = get32(p);
    const auto width = static_cast<int32_t>(get32(p + 4));
    const auto dibHeight = static_cast<int32_t>(get32(p + 8));
    const uint16_t planes = get16(p + 12);
    const uint16_t bitCount = get16(p + 14);
    const uint32_t compression = get32(p + 16);
    const uint32_t colorsUsed = get32(p + 32);
    if (headerSize < kInfoHeaderSize || headerSize > available || planes != 1 || compression != 0)
        return std::nullopt;
    // A height twice the entry's counts the colour rows and the mask rows. Any other height
    // is the colour rows alone (some writers leave the mask out of 32-bit images and say so);
    // halving it would silently drop half the picture.
    const bool maskRowsCounted = directoryHeight > 0 && int64_t(dibHeight) == 2 * int64_t(directoryHeight);
    const int height = maskRowsCounted ? directoryHeight : dibHeight;
    if (width < 1 || width > kMaxIconSide || height < 1 || height > kMaxIconSide)
        return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return std::nullopt;

    std::size_t offset = headerSize;
    TRgbQuad colors[256] = {};
    if (bitCount <= 8) {
        const uint32_t maxColors = 1u << bitCount;
        const uint32_t count = colorsUsed == 0 ? maxColors : colorsUsed;
        if (count > maxColors || offset + 4u * count > available)
            return std::nullopt;
        for (uint32_t i = 0; i < count; ++i) {
            colors[i].rgbBlue = p[offset + 4 * i];
            colors[i].rgbGreen = p[offset + 4 * i + 1];
            colors[i].rgbRed = p[offset + 4 * i + 2];
        }
        offset += 4u * count;
    }
    const auto colorStride = static_cast<std::size_t>(DibBytesPerRow(width, bitCount));
    const auto maskStride = static_cast<std::size_t>(DibBytesPerRow(width, 1));
    const std::size_t colorBytes = colorStride * static_cast<std::size_t>(height);
    const std::size_t maskBytes = maskStride * static_cast<std::size_t>(height);
    if (offset + colorBytes > available)
        return std::nullopt;
    const uint8_t* colorRows = p + offset;
    // 32-bit images carry their transparency in the alpha channel; some writers leave the mask
    // out, which then counts as all opaque.
    const bool maskPresent = maskRowsCounted && offset + colorBytes + maskBytes <= available;
    if (maskRowsCounted && !maskPresent && bitCount != 32)
        return std::nullopt;
    const uint8_t* maskRows = maskPresent ? colorRows + colorBytes : nullptr;

    DecodedImage image;
    image.width = width;
    image.height = height;
    image.bitCount = bitCount;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    image.mask.assign(static_cast<std::size_t>(width) * height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const uint8_t* row = colorRows + colorStride * static_cast<std::size_t>(height - 1 - y);
        const uint8_t* maskRow
            = maskRows ? maskRows + maskStride * static_cast<std::size_t>(height - 1 - y) : nullptr;
        for (int x = 0; x < width; ++x) {
            uint32_t argb = 0;
            auto fromQuad = [](const TRgbQuad& q) {
                return 0xFF000000u | uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
            };
            switch (bitCount) {
            case 1:
                argb = fromQuad(colors[(row[x >> 3] >> (7 - (x & 7))) & 1]);
                break;
            case 4:
                argb = fromQuad(colors[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)]);
                break;
            case 8:
                argb = fromQuad(colors[row[x]]);
                break;
            case 16: {
                const unsigned v = get16(row + 2 * x);
                const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                argb = 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
                break;
            }
            case 24:
                argb = 0xFF000000u | uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8
                    | row[3 * x];
                break;
            case 32:
                argb = get32(row + 4 * x);
                anyAlpha = anyAlpha || (argb >> 24) != 0;
                break;
            }
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            image.pixels[i] = argb;
            if (maskRow)
                image.mask[i] = (maskRow[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
    // A 32-bit image whose alpha is zero everywhere is an old-style image: the mask rules.
    image.hasAlpha = anyAlpha;
    if (bitCount == 32 && !anyAlpha)
        for (auto& px : image.pixels)
            px |= 0xFF000000u;
    return image;
}

uint8_t blend(uint32_t top, uint32_t bottom, uint32_t alpha)
{
    return static_cast<uint8_t>((top * alpha + bottom * (255 - alpha) + 127) / 255);
}

} // namespace

int SystemIconWidth()
{
    return 32;
}

int SystemIconHeight()
{
    return 32;
}

const TGraphicClass& TIcon::Class()
{
    static const TGraphicClass cls { "TIcon", [] { return std::unique_ptr<TGraphic>(new TIcon()); } };
    return cls;
}

const TGraphicClass& TIcon::GraphicClass() const
{
    return Class();
}

void TIcon::SetWidth(int /*value*/)
{
    throw EInvalidGraphic("Cannot change the size of an icon");
}

void TIcon::SetHeight(int /*value*/)
{
    throw EInvalidGraphic("Cannot change the size of an icon");
}

void TIcon::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TIcon*>(source)) {
        if (other != this) {
            m_data = other->m_data;
            m_width = other->m_width;
            m_height = other->m_height;
            m_imageCount = other->m_imageCount;
            m_hasAlpha = other->m_hasAlpha;
            m_pixels = other->m_pixels;
            m_mask = other->m_mask;
            Changed(this);
        }
        return;
    }
    if (source == nullptr) {
        m_data.clear();
        m_width = m_height = m_imageCount = 0;
        m_hasAlpha = false;
        m_pixels.clear();
        m_mask.clear();
        Changed(this);
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const int64_t available = stream.Size() - start;
    if (available < kDirectoryHeaderSize)
        invalidIcon();
    uint8_t header[kDirectoryHeaderSize];
    stream.ReadBuffer(header, sizeof header);
    const uint16_t type = get16(header + 2);
    const int count = get16(header + 4);
    if (get16(header) != 0 || type != 1 || count < 1 || count > kMaxImages)
        invalidIcon();
    const int64_t directorySize = kDirectoryHeaderSize + int64_t(count) * kDirectoryEntrySize;
    if (directorySize > available)
        invalidIcon();
    std::vector<uint8_t> directory(static_cast<std::size_t>(count) * kDirectoryEntrySize);
    stream.ReadBuffer(directory.data(), static_cast<int64_t>(directory.size()));

    std::vector<DirectoryEntry> entries;
    int64_t end = directorySize;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = directory.data() + static_cast<std::size_t>(i) * kDirectoryEntrySize;
        DirectoryEntry entry;
        entry.width = e[0] == 0 ? 256 : e[0];
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.bitCount = get16(e + 6);
        entry.size = get32(e + 8);
        entry.offset = get32(e + 12);
        if (entry.offset < directorySize || int64_t(entry.offset) + entry.size > available)
            invalidIcon();
        end = std::max<int64_t>(end, int64_t(entry.offset) + entry.size);
        entries.push_back(entry);
    }

    std::vector<uint8_t> data(static_cast<std::size_t>(end));
    std::copy(header, header + kDirectoryHeaderSize, data.begin());
    std::copy(directory.begin(), directory.end(), data.begin() + kDirectoryHeaderSize);
    stream.ReadBuffer(data.data() + directorySize, end - directorySize);

    // The image nearest the system icon size wins; among equals the one with most colours.
    const int wantWidth = SystemIconWidth(), wantHeight = SystemIconHeight();
    std::optional<DecodedImage> best;
    int bestDistance = std::numeric_limits<int>::max();
    bool sawPng = false;
    for (const auto& entry : entries) {
        const uint8_t* p = data.data() + entry.offset;
        if (isPng(p, entry.size)) {
            sawPng = true;
            continue;
        }
        auto image = decodeImage(p, entry.size, entry.height);
        if (!image)
            invalidIcon();
        const int distance = std::abs(image->width - wantWidth) + std::abs(image->height - wantHeight);
        if (!best || distance < bestDistance
            || (distance == bestDistance && image->bitCount > best->bitCount)) {
            bestDistance = distance;
            best = std::move(image);
        }
    }
    if (!best) {
        if (sawPng)
            throw EInvalidGraphic("Icons with PNG-compressed images are not supported");
        invalidIcon();
    }

    m_data = std::move(data);
    m_width = best->width;
    m_height = best->height;
    m_imageCount = count;
    m_hasAlpha = best->hasAlpha;
    m_pixels = std::move(best->pixels);
    m_mask = std::move(best->mask);
    Changed(this);
}

void TIcon::SaveToStream(TStream& stream)
{
    if (m_data.empty())
        throw EInvalidGraphic("The icon is empty");
    stream.WriteBuffer(m_data.data(), static_cast<int64_t>(m_data.size()));
}

void TIcon::LoadFromBitmaps(const TBitmap& color, const TBitmap& mask)
{
    const int width = color.Width(), height = color.Height();
    if (width < 1 || height < 1 || width > kMaxIconSide || height > kMaxIconSide || mask.Width() != width
        || mask.Height() != height)
        throw EInvalidGraphic("Invalid icon");
    const auto stride24 = static_cast<std::size_t>(DibBytesPerRow(width, 24));
    std::vector<uint8_t> colorBits(stride24 * static_cast<std::size_t>(height));
    std::vector<uint8_t> maskBits(colorBits.size());
    if (!color.GetDIBits(24, nullptr, colorBits.data()) || !mask.GetDIBits(24, nullptr, maskBits.data()))
        throw EInvalidGraphic("Invalid icon");

    // One image: a 24-bit colour bitmap followed by its 1-bit mask, rows bottom-up.
    const auto maskStride = static_cast<std::size_t>(DibBytesPerRow(width, 1));
    const std::size_t imageSize
        = kInfoHeaderSize + colorBits.size() + maskStride * static_cast<std::size_t>(height);
    std::vector<uint8_t> out;
    out.reserve(kDirectoryHeaderSize + kDirectoryEntrySize + imageSize);
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.push_back(static_cast<uint8_t>(width == 256 ? 0 : width));
    out.push_back(static_cast<uint8_t>(height == 256 ? 0 : height));
    out.push_back(0); // colour count: none for more than 8 bits
    out.push_back(0);
    put16(out, 1); // planes
    put16(out, 24); // bits
    put32(out, static_cast<uint32_t>(imageSize));
    put32(out, kDirectoryHeaderSize + kDirectoryEntrySize);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(2 * height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0); // BI_RGB
    put32(out, static_cast<uint32_t>(imageSize - kInfoHeaderSize));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    out.insert(out.end(), colorBits.begin(), colorBits.end());
    const std::size_t maskStart = out.size();
    out.resize(out.size() + maskStride * static_cast<std::size_t>(height), 0);
    for (int row = 0; row < height; ++row) {
        const uint8_t* m = maskBits.data() + stride24 * static_cast<std::size_t>(row);
        uint8_t* target = out.data() + maskStart + maskStride * static_cast<std::size_t>(row);
        for (int x = 0; x < width; ++x)
            if (m[3 * x] | m[3 * x + 1] | m[3 * x + 2])
                target[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }

    TMemoryStream stream;
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
    stream.SetPosition(0);
    LoadFromStream(stream);
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty() || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    auto sourceIndex = [&](int x, int y) {
        const int sx = static_cast<int>(int64_t(x - rect.Left) * m_width / rect.Width());
        const int sy = static_cast<int>(int64_t(y - rect.Top) * m_height / rect.Height());
        return static_cast<std::size_t>(sy) * m_width + sx;
    };
    if (auto* dib = dynamic_cast<TDibCanvas*>(&canvas)) {
        // Compose pixel by pixel: the canvas can be read back, so alpha blends. Where the mask
        // is set the canvas shows through whatever colour lies under the mask: many writers
        // leave the pixel's colour there, and inverting the canvas with it would show fringes.
        for (int y = rect.Top; y < rect.Bottom; ++y) {
            for (int x = rect.Left; x < rect.Right; ++x) {
                const std::size_t i = sourceIndex(x, y);
                const uint32_t argb = m_pixels[i];
                const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
                TColorRef out;
                if (m_hasAlpha) {
                    const uint32_t alpha = argb >> 24;
                    if (alpha == 0)
                        continue;
                    if (alpha == 255) {
                        out = r | g << 8 | b << 16;
                    } else {
                        const TColorRef under = dib->GetPixel(x, y);
                        out = blend(r, under & 0xFF, alpha) | blend(g, (under >> 8) & 0xFF, alpha) << 8
                            | blend(b, (under >> 16) & 0xFF, alpha) << 16;
                    }
                } else if (m_mask[i]) {
                    continue;
                } else {
                    out = r | g << 8 | b << 16;
                }
                dib->SetPixel(x, y, out);
            }
        }
        return;
    }

    // Other canvases cannot be read back: draw the opaque pixels through a key colour that no
    // opaque pixel has.
    std::vector<bool> opaque(m_pixels.size());
    std::vector<bool> used(1 << 12);
    for (std::size_t i = 0; i < m_pixels.size(); ++i) {
        opaque[i] = m_hasAlpha ? (m_pixels[i] >> 24) >= 128 : !m_mask[i];
        if (opaque[i])
            used[(m_pixels[i] & 0xFFF)] = true; // low bits are enough to find a free colour
    }
    uint32_t key = 0xFF00FF;
    for (uint32_t low = 0; low < used.size(); ++low)
        if (!used[low]) {
            key = 0xFF0000 | low;
            break;
        }
    TBitmapInfo info {};
    info.bmiHeader.biSize = kInfoHeaderSize;
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const auto stride = static_cast<std::size_t>(DibBytesPerRow(m_width, 24));
    std::vector<uint8_t> bits(stride * static_cast<std::size_t>(m_height));
    for (int y = 0; y < m_height; ++y) {
        uint8_t* row = bits.data() + stride * static_cast<std::size_t>(m_height - 1 - y);
        for (int x = 0; x < m_width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
            const uint32_t c = opaque[i] ? (m_pixels[i] & 0xFFFFFF) : key;
            row[3 * x] = static_cast<uint8_t>(c);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        }
    }
    const TColorRef keyRef = ((key >> 16) & 0xFF) | (key & 0xFF00) | ((key & 0xFF) << 16);
    canvas.TransparentStretchDIBits(rect, Rect(0, 0, m_width, m_height), info, bits.data(), keyRef);
}

} // namespace platform
