#include "imaging/quantize.h"

#include "imaging/dibgraphic.h"
#include "platform/core/messageloop.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Candidate {
    uint8_t blue, green, red;
};

int64_t squaredDistance(const Candidate& a, const Candidate& b)
{
    const int64_t dr = int(a.red) - int(b.red), dg = int(a.green) - int(b.green),
                  db = int(a.blue) - int(b.blue);
    return dr * dr + dg * dg + db * db;
}

} // namespace

void QuantizeColors(const TDibGraphic& picture, platform::TLogPalette& palette, int maxColors,
    int& lastPercent, const TPercentDoneEvent& onProgress)
{
    maxColors = std::clamp(maxColors, 0, 256);
    std::vector<uint16_t> histogram(32768, 0);
    int distinct = 0;
    const int width = picture.Width(), height = picture.Height();
    auto count = [&](uint32_t color) {
        uint16_t& bin = histogram[ColorToBin15(color)];
        if (bin == 0)
            ++distinct;
        if (bin != 65535)
            ++bin;
    };
    if (!picture.Empty()) {
        for (int y = 0; y < height; ++y) {
            if (picture.ImageFormat() == ifTrueColor) {
                const uint8_t* row = picture.ScanLine(y);
                for (int x = 0; x < width; ++x, row += 3)
                    count(uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0]);
            } else {
                for (int x = 0; x < width; ++x)
                    count(picture.GetPixelColor(x, y));
            }
        }
    }

    int threshold = 20;
    if (distinct < 1250)
        threshold = 2;
    else if (distinct < 2500)
        threshold = 5;
    else if (distinct < 5000)
        threshold = 10;
    else if (distinct < 10000)
        threshold = 15;

    std::vector<Candidate> candidates;
    for (uint32_t bin = 0; bin < 32768; ++bin) {
        if (histogram[bin] > threshold) {
            const uint32_t c = Bin15ToColor(bin);
            candidates.push_back({ uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF) });
        }
    }

    const int n = static_cast<int>(candidates.size());
    if (n > maxColors && maxColors > 0) {
        // Spread the picks: start nearest to white, then repeatedly take the candidate least
        // crowded by those already chosen. crowding[j] is the running sum over the chosen of
        // 2^30 div distance (kept in 64 bits: 32 bits would wrap and pick a near-duplicate).
        constexpr int64_t kFull = int64_t(1) << 30;
        std::vector<int64_t> crowding(static_cast<std::size_t>(n), 0);
        std::vector<uint8_t> coincident(static_cast<std::size_t>(n), 0);
        const Candidate white { 255, 255, 255 };
        int pick = 0;
        int64_t best = -1;
        for (int j = 0; j < n; ++j) {
            const int64_t d = squaredDistance(candidates[j], white);
            if (best < 0 || d < best) {
                best = d;
                pick = j;
            }
        }
        for (int i = 0; i < maxColors; ++i) {
            lastPercent = ReportProgress(nullptr, i, 0, lastPercent, maxColors, onProgress);
            std::swap(candidates[i], candidates[pick]);
            std::swap(crowding[i], crowding[pick]);
            std::swap(coincident[i], coincident[pick]);
            int64_t bestSum = kFull;
            pick = i + 1;
            for (int j = i + 1; j < n; ++j) {
                if (!coincident[j]) {
                    const int64_t d = squaredDistance(candidates[j], candidates[i]);
                    if (d == 0)
                        coincident[j] = 1;
                    else
                        crowding[j] += kFull / d;
                }
                const int64_t s = coincident[j] ? kFull : crowding[j];
                if (s < bestSum) {
                    bestSum = s;
                    pick = j;
                }
            }
            if (pick >= n)
                pick = n - 1;
        }
    }

    palette = platform::TLogPalette {};
    palette.palVersion = 0x300;
    palette.palNumEntries = static_cast<uint16_t>(maxColors);
    for (int i = 0; i < std::min(n, maxColors); ++i) {
        palette.palPalEntry[i].peRed = candidates[i].red;
        palette.palPalEntry[i].peGreen = candidates[i].green;
        palette.palPalEntry[i].peBlue = candidates[i].blue;
        palette.palPalEntry[i].peFlags = 0;
    }
}

TRgbToPaletteConverter::TRgbToPaletteConverter(const platform::TLogPalette* palette)
    : m_palette(palette)
{
}

uint16_t TRgbToPaletteConverter::GetIndex(uint32_t color)
{
    Slot& slot = m_cache[color % kCacheSize];
    if (slot.index >= 0 && slot.color == color) {
        ++m_hits;
        return static_cast<uint16_t>(slot.index);
    }
    ++m_misses;
    const int entries = m_palette != nullptr ? std::min<int>(m_palette->palNumEntries, 256) : 0;
    if (entries == 0) {
        slot.color = color;
        slot.index = 0;
        return 0;
    }
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    int bestIndex = 0;
    int bestDistance = -1;
    for (int i = 0; i < entries; ++i) {
        const platform::TPaletteEntry& e = m_palette->palPalEntry[i];
        const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            bestIndex = i;
            if (d == 0)
                break;
        }
    }
    slot.color = color;
    slot.index = static_cast<int16_t>(bestIndex);
    return static_cast<uint16_t>(bestIndex);
}

TQuantizeThread::TQuantizeThread(
    std::unique_ptr<TDibGraphic> pixels, std::shared_ptr<TQuantizeHandOver> handOver)
    : platform::TThread(true)
    , m_pixels(std::move(pixels))
    , m_handOver(std::move(handOver))
{
    SetFreeOnTerminate(true);
}

TQuantizeThread::~TQuantizeThread() = default;

void TQuantizeThread::Execute()
{
    platform::TLogPalette palette {};
    int lastPercent = 255;
    QuantizeColors(*m_pixels, palette, 256, lastPercent, nullptr);
    m_pixels.reset();
    {
        std::lock_guard lock(m_handOver->mutex);
        m_handOver->palette = palette;
        m_handOver->ready = true;
    }
    // The picture installs the palette and announces the change on the main thread; if it has
    // gone by then, nothing happens.
    std::weak_ptr<TQuantizeHandOver> weak = m_handOver;
    platform::PostToMainThread([weak] {
        if (auto handOver = weak.lock()) {
            if (handOver->owner != nullptr)
                handOver->owner->InstallQuantizedPalette();
        }
    });
}
