#pragma once
// Colour quantization (a palette of at most 256 colours for a true-colour picture) and the
// nearest-palette-index converter with its direct-mapped cache.
#include "imaging/pxmisc.h"
#include "platform/core/graphics.h"
#include "platform/core/thread.h"

#include <cstdint>
#include <memory>
#include <mutex>

class TDibGraphic;

// The 15-bit histogram bin of a colour 0x00RRGGBB and the lower edge colour of a bin.
constexpr uint32_t ColorToBin15(uint32_t color)
{
    const uint32_t r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    return (r >> 3) | ((g >> 3) << 5) | ((b >> 3) << 10);
}
constexpr uint32_t Bin15ToColor(uint32_t bin)
{
    const uint32_t r = (bin & 31) << 3, g = ((bin >> 5) & 31) << 3, b = ((bin >> 10) & 31) << 3;
    return r << 16 | g << 8 | b;
}

// Fills palette with maxColors entries (at most 256) chosen from the picture's colours.
void QuantizeColors(const TDibGraphic& picture, platform::TLogPalette& palette, int maxColors,
    int& lastPercent, const TPercentDoneEvent& onProgress);

class TRgbToPaletteConverter : public platform::TObject {
public:
    static constexpr int kCacheSize = 1020;

    // The palette is not owned; it must outlive the converter.
    explicit TRgbToPaletteConverter(const platform::TLogPalette* palette);
    std::string ClassName() const override { return "TRgbToPaletteConverter"; }

    // The index of the nearest palette entry (the first of equally near ones).
    uint16_t GetIndex(uint32_t color);
    uint32_t Hits() const { return m_hits; }
    uint32_t Misses() const { return m_misses; }

private:
    struct Slot {
        uint32_t color = 0;
        int16_t index = -1;
    };
    const platform::TLogPalette* m_palette;
    Slot m_cache[kCacheSize];
    uint32_t m_hits = 0;
    uint32_t m_misses = 0;
};

// What the quantizer thread and its picture share. The thread never touches the picture: it
// works on a copy of the pixels and leaves its palette here; the picture takes it over on the
// main thread (posted there, and checked again before every draw).
struct TQuantizeHandOver {
    std::mutex mutex;
    TDibGraphic* owner = nullptr; // cleared when the picture goes; read and written on the main thread only
    uint64_t generation = 0; // the image the palette was built for
    bool ready = false;
    platform::TLogPalette palette {};
};

class TQuantizeThread : public platform::TThread {
public:
    // Created suspended with FreeOnTerminate on; the picture resumes it.
    TQuantizeThread(std::unique_ptr<TDibGraphic> pixels, std::shared_ptr<TQuantizeHandOver> handOver);
    ~TQuantizeThread() override;
    std::string ClassName() const override { return "TQuantizeThread"; }

protected:
    void Execute() override;

private:
    std::unique_ptr<TDibGraphic> m_pixels;
    std::shared_ptr<TQuantizeHandOver> m_handOver;
};
