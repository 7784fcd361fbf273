#include "imaging/dibgraphic.h"

#include "imaging/quantize.h"
#include "platform/core/clipboard.h"
#include "platform/core/messageloop.h"
#include "platform/core/picture.h"
#include "platform/core/scopeexit.h"
#include "platform/core/stream.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#ifdef __linux__
#include <sys/mman.h>
#endif

using platform::HPALETTE;
using platform::TLogPalette;

namespace {

constexpr double kPixelsPerMetrePerDpi = 39.37007874015748;

// ---- pixel getters and setters by bit count ----
uint32_t get1(const uint8_t* row, int x)
{
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
void set1(uint8_t* row, int x, uint32_t v)
{
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
    if (v < 1)
        row[x >> 3] &= static_cast<uint8_t>(~mask);
    else
        row[x >> 3] |= mask;
}
uint32_t get4(const uint8_t* row, int x)
{
    return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}
void set4(uint8_t* row, int x, uint32_t v)
{
    uint8_t& b = row[x >> 1];
    if (x & 1)
        b = static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
    else
        b = static_cast<uint8_t>((b & 0x0F) | ((v & 0x0F) << 4));
}
uint32_t get8(const uint8_t* row, int x)
{
    return row[x];
}
void set8(uint8_t* row, int x, uint32_t v)
{
    row[x] = static_cast<uint8_t>(v);
}
uint32_t get24(const uint8_t* row, int x)
{
    const uint8_t* p = row + 3 * x;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}
void set24(uint8_t* row, int x, uint32_t v)
{
    uint8_t* p = row + 3 * x;
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

struct UnitState {
    std::mutex mutex;
    bool registered = false;
    bool screenIsPaletted = false;
    HPALETTE halftone;
    std::vector<TExtensionEntry> extensions;
    std::vector<TDibAssignToHook> assignToHooks;
};

UnitState& unit()
{
    static UnitState s;
    return s;
}

TLogPalette makeDefaultPalette(TImageFormat format)
{
    TLogPalette p {};
    p.palVersion = 0x300;
    auto set = [&](int i, int r, int g, int b) {
        p.palPalEntry[i].peRed = static_cast<uint8_t>(r);
        p.palPalEntry[i].peGreen = static_cast<uint8_t>(g);
        p.palPalEntry[i].peBlue = static_cast<uint8_t>(b);
        p.palPalEntry[i].peFlags = 0;
    };
    static const uint8_t standard16[16][3]
        = { { 0, 0, 0 }, { 0, 0, 170 }, { 0, 170, 0 }, { 0, 170, 170 }, { 170, 0, 0 }, { 170, 0, 170 },
              { 170, 85, 0 }, { 170, 170, 170 }, { 85, 85, 85 }, { 85, 85, 255 }, { 85, 255, 85 },
              { 85, 255, 255 }, { 255, 85, 85 }, { 255, 85, 255 }, { 255, 255, 85 }, { 255, 255, 255 } };
    switch (format) {
    case ifBlackWhite:
        p.palNumEntries = 2;
        set(0, 0, 0, 0);
        set(1, 255, 255, 255);
        break;
    case ifGray16:
        p.palNumEntries = 16;
        for (int i = 0; i < 16; ++i)
            set(i, i * 17, i * 17, i * 17);
        break;
    case ifGray256:
        p.palNumEntries = 256;
        for (int i = 0; i < 256; ++i)
            set(i, i, i, i);
        break;
    case ifColor16:
        p.palNumEntries = 16;
        for (int i = 0; i < 16; ++i)
            set(i, standard16[i][0], standard16[i][1], standard16[i][2]);
        break;
    case ifColor256: {
        p.palNumEntries = 256;
        auto widen = [](int v) { return 4 * v + v / 16; };
        for (int i = 0; i < 16; ++i)
            set(i, standard16[i][0], standard16[i][1], standard16[i][2]);
        static const int grays[16] = { 0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63 };
        for (int i = 0; i < 16; ++i)
            set(16 + i, widen(grays[i]), widen(grays[i]), widen(grays[i]));
        // Nine hue rings: three intensities by three saturations, each ring of 24 steps from
        // blue through magenta, red, yellow, green and cyan back toward blue.
        static const int levels[9][5] = { { 0, 16, 31, 47, 63 }, { 31, 39, 47, 55, 63 },
            { 45, 49, 54, 58, 63 }, { 0, 7, 14, 21, 28 }, { 14, 17, 21, 24, 28 }, { 20, 22, 24, 26, 28 },
            { 0, 4, 8, 12, 16 }, { 8, 10, 12, 14, 16 }, { 11, 12, 13, 15, 16 } };
        int index = 32;
        for (const auto& l : levels) {
            const int lo = l[0], hi = l[4];
            int ring[24][3];
            for (int k = 0; k < 4; ++k) {
                ring[k][0] = l[k], ring[k][1] = lo, ring[k][2] = hi; // blue -> magenta
                ring[4 + k][0] = hi, ring[4 + k][1] = lo, ring[4 + k][2] = l[4 - k]; // magenta -> red
                ring[8 + k][0] = hi, ring[8 + k][1] = l[k], ring[8 + k][2] = lo; // red -> yellow
                ring[12 + k][0] = l[4 - k], ring[12 + k][1] = hi, ring[12 + k][2] = lo; // yellow -> green
                ring[16 + k][0] = lo, ring[16 + k][1] = hi, ring[16 + k][2] = l[k]; // green -> cyan
                ring[20 + k][0] = lo, ring[20 + k][1] = l[4 - k], ring[20 + k][2] = hi; // cyan -> blue
            }
            for (auto& c : ring)
                set(index++, widen(c[0]), widen(c[1]), widen(c[2]));
        }
        for (; index < 256; ++index)
            set(index, 0, 0, 0);
        break;
    }
    default:
        throw EPictorelError("Internal error: Invalid image format");
    }
    return p;
}

HPALETTE makeHalftonePalette()
{
    // A 6 x 6 x 6 colour cube followed by a ramp of grays.
    TLogPalette p {};
    p.palVersion = 0x300;
    p.palNumEntries = 256;
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b, ++i) {
                p.palPalEntry[i].peRed = static_cast<uint8_t>(r * 51);
                p.palPalEntry[i].peGreen = static_cast<uint8_t>(g * 51);
                p.palPalEntry[i].peBlue = static_cast<uint8_t>(b * 51);
            }
    for (int k = 0; i < 256; ++i, ++k) {
        const auto v = static_cast<uint8_t>(8 + k * 6);
        p.palPalEntry[i].peRed = p.palPalEntry[i].peGreen = p.palPalEntry[i].peBlue = v;
    }
    return platform::CreatePalette(p);
}

#ifdef __linux__
constexpr std::size_t kHugePage = std::size_t(2) << 20;
#endif

} // namespace

// Zeroed pixel memory of the given size; empty when there is none to be had. A large picture
// is mapped on its own, aligned to huge pages and asking for them: a decoder writes it once
// from top to bottom, and faulting in and clearing it page by small page cost more than the
// decoding itself. Fresh mappings read as zero, so no pass clears them.
std::unique_ptr<uint8_t, TDibGraphic::PixelDeleter> TDibGraphic::allocatePixels(std::size_t size)
{
#ifdef __linux__
    if (size >= 2 * kHugePage) {
        const std::size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* mapped
            = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return {};
        // Keep the huge-page aligned part and give back what lies before and after it.
        auto* start = static_cast<uint8_t*>(mapped);
        const auto address = reinterpret_cast<std::uintptr_t>(start);
        const std::size_t lead = (kHugePage - address % kHugePage) % kHugePage;
        if (lead != 0)
            munmap(start, lead);
        munmap(start + lead + length, kHugePage - lead);
        madvise(start + lead, length, MADV_HUGEPAGE);
        return { start + lead, PixelDeleter { length } };
    }
#endif
    return { static_cast<uint8_t*>(std::calloc(size, 1)), PixelDeleter {} };
}

namespace {

uint16_t dpiFromPixelsPerMetre(int32_t ppm)
{
    const double dpi = std::nearbyint(ppm / kPixelsPerMetrePerDpi);
    return (dpi < 0 || dpi > 65535) ? 0 : static_cast<uint16_t>(dpi);
}

int32_t pixelsPerMetreFromDpi(uint16_t dpi)
{
    return static_cast<int32_t>(std::nearbyint(dpi * kPixelsPerMetrePerDpi));
}

} // namespace

// ---- free routines ----

int ImageFormatBitCount(TImageFormat format)
{
    switch (format) {
    case ifBlackWhite:
        return 1;
    case ifGray16:
    case ifColor16:
        return 4;
    case ifGray256:
    case ifColor256:
        return 8;
    case ifTrueColor:
        return 24;
    }
    throw EPictorelError("Internal error: Invalid image format");
}

std::string ImageFormatName(TImageFormat format)
{
    switch (format) {
    case ifBlackWhite:
        return "Black and white";
    case ifGray16:
        return "16 shades of gray";
    case ifGray256:
        return "256 shades of gray";
    case ifColor16:
        return "16 color";
    case ifColor256:
        return "256 color";
    case ifTrueColor:
        return "True color";
    }
    throw EPictorelError("Internal error: Invalid image format");
}

TImageFormat BitCountToImageFormat(int bitCount)
{
    switch (bitCount) {
    case 1:
        return ifBlackWhite;
    case 4:
        return ifColor16;
    case 8:
        return ifColor256;
    case 24:
        return ifTrueColor;
    default:
        throw EPictorelError("Unsupported bit count");
    }
}

uint32_t MakeRgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

platform::TColorRef RgbToColorRef(uint32_t color)
{
    return ((color >> 16) & 0xFF) | (color & 0xFF00) | ((color & 0xFF) << 16);
}

void SwapRedBlue(uint8_t* buffer, int64_t byteCount)
{
    for (int64_t i = 0; i + 3 <= byteCount; i += 3)
        std::swap(buffer[i], buffer[i + 2]);
}

void CheckImageSize(int64_t width, int64_t height)
{
    if (width < 1 || height < 1)
        platform::RaiseOutOfResources(EINVAL);
    using platform::kMaxPicturePixels;
    if (width > kMaxPicturePixels || height > kMaxPicturePixels || width * height > kMaxPicturePixels)
        platform::RaiseOutOfResources(ENOMEM);
}

const TLogPalette& DefaultPalette(TImageFormat format)
{
    static const TLogPalette palettes[5] = { makeDefaultPalette(ifBlackWhite), makeDefaultPalette(ifGray16),
        makeDefaultPalette(ifGray256), makeDefaultPalette(ifColor16), makeDefaultPalette(ifColor256) };
    if (format > ifColor256)
        throw EPictorelError("Internal error: Invalid image format");
    return palettes[format];
}

bool ScreenIsPaletted()
{
    auto& u = unit();
    std::lock_guard lock(u.mutex);
    return u.screenIsPaletted;
}

HPALETTE HalftonePalette()
{
    auto& u = unit();
    std::lock_guard lock(u.mutex);
    return u.halftone;
}

void RegisterDibAssignToHook(TDibAssignToHook hook)
{
    auto& u = unit();
    std::lock_guard lock(u.mutex);
    u.assignToHooks.push_back(std::move(hook));
}

void RegisterDibGraphic(
    const std::string& extension, const std::string& description, const platform::TGraphicClass* pictureClass)
{
    platform::TPicture::RegisterFileFormat(extension, description, pictureClass);
    std::string upper = extension;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto& u = unit();
    std::lock_guard lock(u.mutex);
    u.extensions.push_back({ upper, pictureClass });
}

std::vector<TExtensionEntry> ExtensionList()
{
    auto& u = unit();
    std::lock_guard lock(u.mutex);
    return u.extensions;
}

void InitializeDibGraphicUnit()
{
    DefaultPalette(ifBlackWhite); // builds the default palettes
    auto& u = unit();
    bool registerNow = false;
    {
        std::lock_guard lock(u.mutex);
        registerNow = !u.registered;
        u.registered = true;
        if (!u.halftone)
            u.halftone = makeHalftonePalette();
        u.screenIsPaletted = platform::ScreenCaps().paletted;
    }
    if (registerNow)
        platform::TPicture::RegisterClipboardFormat(platform::CF_BITMAP, &TDibGraphic::Class());
}

void FinalizeDibGraphicUnit()
{
    // No quantizer thread may outlive the unit.
    platform::TThread::WaitForFreeOnTerminateThreads();
    auto& u = unit();
    std::vector<TExtensionEntry> extensions;
    {
        std::lock_guard lock(u.mutex);
        extensions.swap(u.extensions);
        u.halftone.reset();
        u.registered = false;
    }
    for (const auto& e : extensions)
        platform::TPicture::UnregisterGraphicClass(e.pictureClass);
    platform::TPicture::UnregisterGraphicClass(&TDibGraphic::Class());
}

// ---- TDibGraphic ----

void TDibGraphic::PixelDeleter::operator()(uint8_t* p) const
{
#ifdef __linux__
    if (mappedLength != 0) {
        munmap(p, mappedLength);
        return;
    }
#endif
    std::free(p);
}

TDibGraphic::TDibGraphic() = default;

TDibGraphic::~TDibGraphic()
{
    if (m_timer)
        m_timer->SetEnabled(false);
    m_timer.reset();
    m_frames.clear();
    if (m_quantizer)
        m_quantizer->owner = nullptr;
    FreeImage();
}

const platform::TGraphicClass& TDibGraphic::Class()
{
    static const platform::TGraphicClass cls { "TDibGraphic",
        [] { return std::unique_ptr<platform::TGraphic>(new TDibGraphic()); } };
    return cls;
}

const platform::TGraphicClass& TDibGraphic::GraphicClass() const
{
    return Class();
}

void TDibGraphic::SetWidth(int /*value*/)
{
    throw EPictorelError("Dimensions must be change with the NewImage method");
}

void TDibGraphic::SetHeight(int /*value*/)
{
    throw EPictorelError("Dimensions must be change with the NewImage method");
}

void TDibGraphic::FreeImage()
{
    m_canvas.reset();
    m_converter.reset();
    m_palette.reset();
    m_bits.reset();
    m_bitmapInfo = platform::TBitmapInfo {};
    m_bytesPerRow = 0;
    m_getter = nullptr;
    m_setter = nullptr;
    ++m_imageGeneration;
}

void TDibGraphic::AttachCanvas()
{
    if (m_bits)
        m_canvas = std::make_unique<platform::TDibCanvas>(&m_bitmapInfo, m_bits.get());
    else
        m_canvas.reset();
}

void TDibGraphic::NewImage(int width, int height, TImageFormat format, const TLogPalette* palette,
    uint16_t xDotsPerInch, uint16_t yDotsPerInch)
{
    FreeImage();
    const int bits = ImageFormatBitCount(format);
    if (format != ifTrueColor && palette == nullptr)
        palette = &DefaultPalette(format);
    CheckImageSize(width, height);
    const int64_t bytesPerRow = platform::DibBytesPerRow(width, bits);
    const int64_t imageSize = bytesPerRow * height;

    // Fill a local copy first: palette may point into this picture's own logical palette.
    TLogPalette logPalette {};
    logPalette.palVersion = 0x300;
    if (format != ifTrueColor) {
        // Entries past what the bit count can address could only be chosen by the nearest-colour
        // search and then land on the wrong pixel value.
        logPalette.palNumEntries = std::min<uint16_t>(palette->palNumEntries, uint16_t(1u << bits));
        std::copy(
            palette->palPalEntry, palette->palPalEntry + logPalette.palNumEntries, logPalette.palPalEntry);
    }

    m_imageFormat = format;
    auto& h = m_bitmapInfo.bmiHeader;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biCompression = platform::BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(imageSize);
    h.biClrImportant = 0;
    if (format != ifTrueColor) {
        for (int i = 0; i < logPalette.palNumEntries; ++i) {
            m_bitmapInfo.bmiColors[i].rgbRed = logPalette.palPalEntry[i].peRed;
            m_bitmapInfo.bmiColors[i].rgbGreen = logPalette.palPalEntry[i].peGreen;
            m_bitmapInfo.bmiColors[i].rgbBlue = logPalette.palPalEntry[i].peBlue;
            m_bitmapInfo.bmiColors[i].rgbReserved = 0;
        }
        h.biClrUsed = logPalette.palNumEntries;
    } else {
        h.biClrUsed = 0;
    }
    h.biXPelsPerMeter = pixelsPerMetreFromDpi(
        xDotsPerInch != 0 ? xDotsPerInch : static_cast<uint16_t>(platform::ScreenCaps().dpiX));
    h.biYPelsPerMeter = pixelsPerMetreFromDpi(
        yDotsPerInch != 0 ? yDotsPerInch : static_cast<uint16_t>(platform::ScreenCaps().dpiY));

    // Fresh pixels are black (zero), like a new bitmap section.
    m_bits = allocatePixels(static_cast<std::size_t>(imageSize));
    if (!m_bits) {
        m_bitmapInfo = platform::TBitmapInfo {};
        platform::RaiseOutOfResources(ENOMEM);
    }
    m_bytesPerRow = static_cast<int>(bytesPerRow);

    switch (bits) {
    case 1:
        m_getter = get1, m_setter = set1;
        break;
    case 4:
        m_getter = get4, m_setter = set4;
        break;
    case 8:
        m_getter = get8, m_setter = set8;
        break;
    default:
        m_getter = get24, m_setter = set24;
        break;
    }

    m_logPalette = logPalette;
    if (format != ifTrueColor)
        m_converter = std::make_unique<TRgbToPaletteConverter>(&m_logPalette);
    AttachCanvas();
}

void TDibGraphic::TakeImageFrom(TDibGraphic& source)
{
    if (&source == this)
        return;
    FreeImage();
    m_bits = std::move(source.m_bits);
    m_bitmapInfo = source.m_bitmapInfo;
    m_logPalette = source.m_logPalette;
    m_imageFormat = source.m_imageFormat;
    m_bytesPerRow = source.m_bytesPerRow;
    m_getter = source.m_getter;
    m_setter = source.m_setter;
    if (m_bits && m_imageFormat != ifTrueColor)
        m_converter = std::make_unique<TRgbToPaletteConverter>(&m_logPalette);
    AttachCanvas();
    source.FreeImage();
}

void TDibGraphic::CheckPixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= Width() || y >= Height())
        throw EPictorelError(platform::Format("Pixel (%d, %d) is outside the image", x, y));
}

uint8_t* TDibGraphic::ScanLine(int y)
{
    if (!m_bits || y < 0 || y >= Height())
        throw EPictorelError(platform::Format("Row %d is outside the image", y));
    return m_bits.get() + int64_t(Height() - y - 1) * m_bytesPerRow;
}

const uint8_t* TDibGraphic::ScanLine(int y) const
{
    return const_cast<TDibGraphic*>(this)->ScanLine(y);
}

uint32_t TDibGraphic::GetPixelColor(int x, int y) const
{
    CheckPixel(x, y);
    if (m_imageFormat == ifTrueColor)
        return get24(ScanLine(y), x);
    const auto& e = m_logPalette.palPalEntry[m_getter(ScanLine(y), x) & 0xFF];
    return MakeRgb(e.peRed, e.peGreen, e.peBlue);
}

void TDibGraphic::SetPixelColor(int x, int y, uint32_t color)
{
    CheckPixel(x, y);
    if (m_imageFormat == ifTrueColor)
        set24(ScanLine(y), x, color);
    else
        m_setter(ScanLine(y), x, m_converter->GetIndex(color));
}

int TDibGraphic::GetPixelIndex(int x, int y) const
{
    CheckPixel(x, y);
    if (m_imageFormat == ifTrueColor)
        throw EPictorelError("The image does not have a palette");
    return static_cast<int>(m_getter(ScanLine(y), x));
}

void TDibGraphic::SetPixelIndex(int x, int y, int index)
{
    CheckPixel(x, y);
    if (m_imageFormat == ifTrueColor)
        throw EPictorelError("The image does not have a palette");
    m_setter(ScanLine(y), x, static_cast<uint32_t>(index));
}

void TDibGraphic::Fill(uint32_t color)
{
    if (Empty())
        return;
    for (int x = 0; x < Width(); ++x)
        SetPixelColor(x, 0, color);
    const uint8_t* top = ScanLine(0);
    for (int y = 1; y < Height(); ++y)
        std::memcpy(ScanLine(y), top, static_cast<std::size_t>(m_bytesPerRow));
}

platform::TDibCanvas& TDibGraphic::Canvas()
{
    if (!m_canvas)
        throw EPictorelError("The image is empty");
    return *m_canvas;
}

uint16_t TDibGraphic::XDotsPerInch() const
{
    return dpiFromPixelsPerMetre(m_bitmapInfo.bmiHeader.biXPelsPerMeter);
}

uint16_t TDibGraphic::YDotsPerInch() const
{
    return dpiFromPixelsPerMetre(m_bitmapInfo.bmiHeader.biYPelsPerMeter);
}

void TDibGraphic::SetXDotsPerInch(uint16_t value)
{
    m_bitmapInfo.bmiHeader.biXPelsPerMeter = pixelsPerMetreFromDpi(value);
}

void TDibGraphic::SetYDotsPerInch(uint16_t value)
{
    m_bitmapInfo.bmiHeader.biYPelsPerMeter = pixelsPerMetreFromDpi(value);
}

HPALETTE TDibGraphic::GetPaletteHandle()
{
    InstallQuantizedPalette();
    if (!m_palette && m_bits && m_imageFormat != ifTrueColor)
        m_palette = platform::CreatePalette(m_logPalette);
    return m_palette;
}

void TDibGraphic::SetPaletteHandle(const HPALETTE& palette)
{
    if (m_palette)
        m_palette = palette ? platform::CreatePalette(*palette) : nullptr;
}

// ---- drawing ----

platform::TColorRef TDibGraphic::GetTransparentColorRef() const
{
    switch (m_transparentPixel) {
    case tpTopLeft:
        return RgbToColorRef(GetPixelColor(0, 0));
    case tpTopRight:
        return RgbToColorRef(GetPixelColor(Width() - 1, 0));
    case tpBottomLeft:
        return RgbToColorRef(GetPixelColor(0, Height() - 1));
    case tpBottomRight:
        return RgbToColorRef(GetPixelColor(Width() - 1, Height() - 1));
    case tpTransparentColor:
        return RgbToColorRef(m_transparentColor);
    }
    throw platform::Exception("Invalid TransparentPixel");
}

void TDibGraphic::Draw(platform::TCanvas& canvas, const platform::TRect& rect)
{
    InstallQuantizedPalette();
    if (m_bits) {
        HPALETTE previous;
        bool selected = false;
        if (::ScreenIsPaletted()) {
            StartQuantizeThread();
            HPALETTE palette = GetPaletteHandle();
            if (!palette)
                palette = HalftonePalette();
            previous = canvas.SelectPalette(palette, false);
            canvas.RealizePalette();
            selected = true;
        }
        const platform::TRect source = platform::Rect(0, 0, Width(), Height());
        if (!GetTransparent())
            canvas.StretchDIBits(rect, source, m_bitmapInfo, m_bits.get());
        else
            canvas.TransparentStretchDIBits(
                rect, source, m_bitmapInfo, m_bits.get(), GetTransparentColorRef());
        if (selected)
            canvas.SelectPalette(previous, true);
    }
    if (OnAfterDraw)
        OnAfterDraw(this);
}

void TDibGraphic::StartQuantizeThread()
{
    if (!::ScreenIsPaletted() || m_palette || m_imageFormat != ifTrueColor || m_quantizer || !m_bits)
        return;
    // The thread gets its own copy of the pixels: the picture may be drawn, changed or freed
    // while it counts colours.
    auto pixels = std::make_unique<TDibGraphic>();
    pixels->CopyImage(*this);
    auto handOver = std::make_shared<TQuantizeHandOver>();
    handOver->owner = this;
    handOver->generation = m_imageGeneration;
    m_quantizer = handOver;
    auto* thread = new TQuantizeThread(std::move(pixels), handOver);
    thread->Resume();
}

void TDibGraphic::InstallQuantizedPalette()
{
    if (!m_quantizer)
        return;
    TLogPalette palette;
    bool current = false;
    {
        std::lock_guard lock(m_quantizer->mutex);
        if (!m_quantizer->ready)
            return;
        m_quantizer->ready = false;
        current = m_quantizer->generation == m_imageGeneration;
        if (current)
            palette = m_quantizer->palette;
    }
    if (!current) {
        // Built for an image this picture no longer holds: let a new one be built when needed.
        m_quantizer->owner = nullptr;
        m_quantizer.reset();
        return;
    }
    m_logPalette = palette;
    m_palette = platform::CreatePalette(m_logPalette);
    Changed(this);
}

// ---- assignment ----

void TDibGraphic::CopyImage(const TDibGraphic& source)
{
    if (&source == this || source.Width() <= 0 || source.Height() <= 0 || !source.m_bits)
        return;
    NewImage(source.Width(), source.Height(), source.ImageFormat(), &source.m_logPalette,
        source.XDotsPerInch(), source.YDotsPerInch());
    m_frameDelay = source.m_frameDelay;
    std::memcpy(
        m_bits.get(), source.m_bits.get(), static_cast<std::size_t>(int64_t(Height()) * m_bytesPerRow));
}

void TDibGraphic::ClearFrames()
{
    m_frames.clear();
}

void TDibGraphic::CopyFrames(const TDibGraphic& source)
{
    if (&source == this)
        return;
    ClearFrames();
    for (const auto& frame : source.m_frames) {
        auto copy = std::make_unique<TDibGraphic>();
        copy->CopyImage(*frame);
        m_frames.push_back(std::move(copy));
    }
}

void TDibGraphic::Assign(const platform::TPersistent* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        FreeImage();
        ClearFrames();
        Changed(this);
        return;
    }
    if (const auto* dib = dynamic_cast<const TDibGraphic*>(source)) {
        CopyImage(*dib);
        CopyFrames(*dib);
        Changed(this);
        return;
    }
    if (auto* clipboard = dynamic_cast<platform::TClipboard*>(const_cast<platform::TPersistent*>(source))) {
        ClearFrames();
        clipboard->Open();
        {
            const platform::ScopeExit close([clipboard] { clipboard->Close(); });
            const auto bitmap = clipboard->GetBitmap();
            LoadFromClipboardFormat(platform::CF_BITMAP, bitmap.get(), clipboard->GetPalette());
        }
        Changed(this);
        return;
    }
    if (const auto* bitmap = dynamic_cast<const platform::TBitmap*>(source)) {
        ClearFrames();
        LoadFromBitmapHandle(*bitmap, bitmap->PixelFormat() == platform::TPixelFormat::pfCustom);
        Changed(this);
        return;
    }
    if (const auto* graphic = dynamic_cast<const platform::TGraphic*>(source)) {
        ClearFrames();
        NewImage(graphic->Width(), graphic->Height(), ifTrueColor, nullptr, 0, 0);
        std::memset(m_bits.get(), 0, static_cast<std::size_t>(int64_t(Height()) * m_bytesPerRow));
        const_cast<platform::TGraphic*>(graphic)->Draw(Canvas(), platform::Rect(0, 0, Width(), Height()));
        Changed(this);
        return;
    }
    TGraphic::Assign(source);
}

void TDibGraphic::AssignTo(platform::TPersistent* dest) const
{
    if (auto* dib = dynamic_cast<TDibGraphic*>(dest)) {
        dib->Assign(this);
        return;
    }
    if (auto* bitmap = dynamic_cast<platform::TBitmap*>(dest)) {
        bitmap->SetPixelFormat(platform::TPixelFormat::pf24bit);
        bitmap->SetSize(Width(), Height());
        const_cast<TDibGraphic*>(this)->Draw(bitmap->Canvas(), platform::Rect(0, 0, Width(), Height()));
        return;
    }
    std::vector<TDibAssignToHook> hooks;
    {
        auto& u = unit();
        std::lock_guard lock(u.mutex);
        hooks = u.assignToHooks;
    }
    for (const auto& hook : hooks)
        if (hook(*this, dest))
            return;
    throw EPictorelError(platform::Format(
        "Cannot assign a %s to a %s", "TDibGraphic", dest != nullptr ? dest->ClassName().c_str() : "nil"));
}

void TDibGraphic::LoadFromBitmapHandle(const platform::TBitmap& bitmap, bool deviceDependent)
{
    platform::TBitmapObject object;
    if (!bitmap.GetObjectInfo(object) || object.width <= 0 || object.height <= 0)
        throw platform::EInvalidGraphic("Invalid bitmap");
    platform::TBitmapInfoHeader header {};
    if (!object.isDibSection || deviceDependent || object.dibHeader.biSize < 40) {
        header.biSize = 40;
        header.biWidth = object.width;
        header.biHeight = object.height;
        header.biBitCount = static_cast<uint16_t>(object.planes * object.bitsPixel);
    } else {
        header = object.dibHeader;
    }
    const int width = header.biWidth;
    const int height = std::abs(header.biHeight);
    int bits = header.biBitCount;
    if (bits == 16 || bits == 32) {
        bits = 24;
        header.biSizeImage = 0;
    }
    header.biBitCount = static_cast<uint16_t>(bits);
    header.biPlanes = 1;
    const TImageFormat format = BitCountToImageFormat(bits);
    CheckImageSize(width, height);
    const int64_t needed = platform::DibBytesPerRow(width, bits) * height;
    // The size the header claims is kept, but never less than the rows need.
    const int64_t imageSize = std::max<int64_t>(header.biSizeImage, needed);

    std::vector<uint8_t> pixels;
    try {
        pixels.resize(static_cast<std::size_t>(imageSize));
    } catch (const std::bad_alloc&) {
        throw EPictorelError("GlobalAlloc failed");
    }
    platform::TRgbQuad colors[256] = {};
    if (!bitmap.GetDIBits(bits, colors, pixels.data()))
        throw EPictorelError("GetDIB failed");

    TLogPalette palette {};
    const TLogPalette* usePalette = nullptr;
    if (header.biClrUsed >= 1 && header.biClrUsed <= 256) {
        palette.palVersion = 0x300;
        palette.palNumEntries = static_cast<uint16_t>(header.biClrUsed);
        for (uint32_t i = 0; i < header.biClrUsed; ++i) {
            palette.palPalEntry[i].peRed = colors[i].rgbRed;
            palette.palPalEntry[i].peGreen = colors[i].rgbGreen;
            palette.palPalEntry[i].peBlue = colors[i].rgbBlue;
        }
        usePalette = &palette;
    }
    NewImage(width, height, format, usePalette, dpiFromPixelsPerMetre(header.biXPelsPerMeter),
        dpiFromPixelsPerMetre(header.biYPelsPerMeter));
    std::memcpy(m_bits.get(), pixels.data(), static_cast<std::size_t>(std::min(imageSize, needed)));
}

void TDibGraphic::LoadFromClipboardFormat(uint16_t format, const platform::TBitmap* data, HPALETTE palette)
{
    if (format != platform::CF_BITMAP || data == nullptr)
        throw platform::EInvalidGraphic(platform::Format("Unknown clipboard format, %d", format));
    if (::ScreenIsPaletted()) {
        platform::TBitmap temporary(*data);
        temporary.SetPalette(palette);
        NewImage(temporary.Width(), temporary.Height(), ifTrueColor, nullptr, 0, 0);
        temporary.Draw(Canvas(), platform::Rect(0, 0, Width(), Height()));
    } else {
        LoadFromBitmapHandle(*data);
    }
}

void TDibGraphic::SaveToClipboardFormat(
    uint16_t& format, std::shared_ptr<platform::TBitmap>& data, HPALETTE& /*palette*/)
{
    format = platform::CF_BITMAP;
    auto bitmap = std::make_shared<platform::TBitmap>();
    try {
        bitmap->SetPixelFormat(m_imageFormat == ifBlackWhite ? platform::TPixelFormat::pf1bit
                                                             : platform::TPixelFormat::pfDevice);
        bitmap->SetSize(Width(), Height());
    } catch (const platform::Exception&) {
        throw EPictorelError("CopyBitmap: CreateBitmap failed");
    }
    if (m_bits)
        bitmap->Canvas().StretchDIBits(platform::Rect(0, 0, Width(), Height()),
            platform::Rect(0, 0, Width(), Height()), m_bitmapInfo, m_bits.get());
    data = std::move(bitmap);
}

// ---- frames ----

TDibGraphic& TDibGraphic::Frames(int n) const
{
    if (n < 1 || n > FrameCount())
        throw EPictorelError(platform::Format("Frame %d does not exist", n));
    return *m_frames[static_cast<std::size_t>(n - 1)];
}

void TDibGraphic::SetFrame(int n)
{
    if (n == m_currentFrame)
        return;
    TDibGraphic& frame = Frames(n);
    CopyImage(frame);
    Changed(this);
    platform::ProcessMessages();
    m_currentFrame = n;
}

void TDibGraphic::SetAnimate(bool value)
{
    m_animate = value;
    if (value && FrameCount() > 0) {
        if (!m_timer) {
            m_timer = std::make_unique<platform::TTimer>();
            m_timer->SetEnabled(false);
            m_timer->OnTimer = [this](platform::TObject*) { NextFrame(); };
        }
        m_timer->SetInterval(m_frameDelay);
        m_timer->SetEnabled(true);
    } else if (m_timer) {
        m_timer->SetEnabled(false);
    }
}

bool TDibGraphic::TimerEnabled() const
{
    return m_timer && m_timer->Enabled();
}

void TDibGraphic::NextFrame()
{
    if (FrameCount() == 0)
        return;
    if (m_timer)
        m_timer->SetEnabled(false);
    // Before any frame was shown (or after the frames changed) the next is the first.
    const bool inRange = m_currentFrame >= 1 && m_currentFrame < FrameCount();
    SetFrame(inRange ? m_currentFrame + 1 : 1);
    if (m_timer) {
        m_timer->SetInterval(m_frameDelay);
        m_timer->SetEnabled(true);
    }
}

// ---- the stream protocol ----

bool TDibGraphic::CanLoad(platform::TStream& /*stream*/)
{
    return false;
}

int TDibGraphic::GetImageCount(platform::TStream& /*stream*/)
{
    return 1;
}

void TDibGraphic::SingleLoadFromStream(platform::TStream& /*stream*/, int /*index*/) { }

void TDibGraphic::SaveToStream(platform::TStream& /*stream*/) { }

void TDibGraphic::AppendToStream(platform::TStream& /*stream*/)
{
    throw EPictorelError(
        platform::Format("The %s format does not support multiple images", ClassName().c_str()));
}

void TDibGraphic::LoadFromStream(platform::TStream& stream)
{
    const bool wasAnimated = m_animate;
    SetAnimate(false);
    const platform::ScopeExit restore([this, wasAnimated] { SetAnimate(wasAnimated); });

    const int64_t start = stream.Position();
    int count = 1;
    if (m_loadAllImages) {
        count = GetImageCount(stream);
        if (count == 1) {
            m_loadAllImages = false;
            stream.SetPosition(start);
        }
    }
    if (m_loadAllImages) {
        for (int i = 1; i <= count; ++i) {
            auto created = GraphicClass().create();
            std::unique_ptr<TDibGraphic> frame(dynamic_cast<TDibGraphic*>(created.get()));
            if (!frame)
                throw EPictorelError("Internal error: Invalid image format");
            created.release();
            frame->OnPercentDone = OnPercentDone;
            stream.SetPosition(start);
            frame->SingleLoadFromStream(stream, i);
            frame->OnPercentDone = nullptr;
            m_frames.push_back(std::move(frame));
        }
        SetFrame(1);
    } else {
        SingleLoadFromStream(stream, m_imageIndex);
    }
}

void TDibGraphic::SaveImagesToStream(platform::TStream& stream, int count, const TGetImageEvent& getImage)
{
    for (int i = 1; i <= count; ++i) {
        bool freeIt = false;
        TDibGraphic* image = getImage(i, freeIt);
        std::unique_ptr<TDibGraphic> owned(freeIt ? image : nullptr);
        Assign(image);
        owned.reset();
        if (i == 1)
            SaveToStream(stream);
        else
            AppendToStream(stream);
    }
}

int TDibGraphic::ReportPercent(int64_t current, int64_t min, int64_t max)
{
    m_lastPercent = ReportProgress(this, current, min, m_lastPercent, max, OnPercentDone);
    return m_lastPercent;
}
