#include "imaging/dibgraphic.h"
#include "imaging/quantize.h"
#include "platform/core/bitmap.h"
#include "platform/core/messageloop.h"
#include "platform/core/thread.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

uint32_t entryColor(const platform::TLogPalette& p, int i)
{
    return MakeRgb(p.palPalEntry[i].peRed, p.palPalEntry[i].peGreen, p.palPalEntry[i].peBlue);
}

void quantize(const TDibGraphic& picture, platform::TLogPalette& palette, int maxColors)
{
    int last = 255;
    QuantizeColors(picture, palette, maxColors, last, nullptr);
}

} // namespace

TEST(Quantize, OneColourNeedsMoreThanTwoPixels)
{
    TDibGraphic picture;
    platform::TLogPalette palette {};
    picture.NewImage(2, 1, ifTrueColor, nullptr, 0, 0);
    picture.Fill(MakeRgb(100, 150, 200));
    quantize(picture, palette, 16);
    // D = 1, T = 2: two pixels are no candidate; the palette stays black.
    EXPECT_EQ(palette.palNumEntries, 16);
    EXPECT_EQ(entryColor(palette, 0), 0u);

    picture.NewImage(3, 1, ifTrueColor, nullptr, 0, 0);
    picture.Fill(MakeRgb(100, 150, 200));
    quantize(picture, palette, 16);
    EXPECT_EQ(entryColor(palette, 0), MakeRgb(96, 144, 200)); // the lower edge of the bin
    EXPECT_EQ(entryColor(palette, 1), 0u);

    // Colours of one bin count together: 2 + 2 pixels make a candidate.
    picture.NewImage(4, 1, ifTrueColor, nullptr, 0, 0);
    picture.SetPixelColor(0, 0, MakeRgb(80, 87, 95));
    picture.SetPixelColor(1, 0, MakeRgb(80, 87, 95));
    picture.SetPixelColor(2, 0, MakeRgb(87, 80, 88));
    picture.SetPixelColor(3, 0, MakeRgb(87, 80, 88));
    quantize(picture, palette, 4);
    EXPECT_EQ(entryColor(palette, 0), MakeRgb(80, 80, 88));
}

TEST(Quantize, PicksSpreadFromWhite)
{
    // Five grays, room for three: first the one nearest white (248), then the one least crowded
    // by it (0), then the one with the smallest sum of inverse squared distances to both picks:
    // 128 (1/120^2 + 1/128^2), not 200 (1/48^2 + 1/200^2), though 200 is farther from 0 alone.
    TDibGraphic picture;
    const int levels[] = { 0, 40, 128, 200, 248 };
    picture.NewImage(15, 1, ifTrueColor, nullptr, 0, 0);
    for (int x = 0; x < 15; ++x) {
        const auto v = static_cast<uint8_t>(levels[x / 3]);
        picture.SetPixelColor(x, 0, MakeRgb(v, v, v));
    }
    platform::TLogPalette palette {};
    std::vector<int> reported;
    int last = 255;
    QuantizeColors(
        picture, palette, 3, last, [&](platform::TObject*, int percent) { reported.push_back(percent); });
    EXPECT_EQ(palette.palNumEntries, 3);
    EXPECT_EQ(entryColor(palette, 0), MakeRgb(248, 248, 248));
    EXPECT_EQ(entryColor(palette, 1), 0u);
    EXPECT_EQ(entryColor(palette, 2), MakeRgb(128, 128, 128));
    EXPECT_EQ(reported, (std::vector<int> { 0, 33, 66 }));

    // With room for all, candidates keep ascending bin order.
    quantize(picture, palette, 300); // more than 256 is taken as 256
    EXPECT_EQ(palette.palNumEntries, 256);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(
            entryColor(palette, i), MakeRgb(uint8_t(levels[i]), uint8_t(levels[i]), uint8_t(levels[i])));
}

TEST(Quantize, ThresholdRisesWithDistinctBins)
{
    // 1300 distinct bins (T = 5): a colour with 5 pixels is dropped, one with 6 kept.
    TDibGraphic picture;
    picture.NewImage(1300 + 11, 1, ifTrueColor, nullptr, 0, 0);
    for (int i = 0; i < 1300; ++i)
        picture.SetPixelColor(i, 0, Bin15ToColor(static_cast<uint32_t>(1000 + i)));
    for (int i = 0; i < 5; ++i)
        picture.SetPixelColor(1300 + i, 0, Bin15ToColor(100));
    for (int i = 0; i < 6; ++i)
        picture.SetPixelColor(1305 + i, 0, Bin15ToColor(200));
    platform::TLogPalette palette {};
    quantize(picture, palette, 256);
    EXPECT_EQ(entryColor(palette, 0), Bin15ToColor(200));
    EXPECT_EQ(entryColor(palette, 1), 0u);
}

TEST(PaletteConverter, NearestFirstEntryAndCache)
{
    platform::TLogPalette palette {};
    palette.palNumEntries = 4;
    auto set = [&](int i, uint32_t c) {
        palette.palPalEntry[i].peRed = uint8_t(c >> 16);
        palette.palPalEntry[i].peGreen = uint8_t(c >> 8);
        palette.palPalEntry[i].peBlue = uint8_t(c);
    };
    set(0, 0x000000);
    set(1, 0xFF0000);
    set(2, 0x00FF00);
    set(3, 0xFF0000); // a duplicate of entry 1
    TRgbToPaletteConverter converter(&palette);
    EXPECT_EQ(converter.GetIndex(0xFF0000), 1); // the first entry of that colour
    EXPECT_EQ(converter.GetIndex(0x10F010), 2);
    // Between black and red the nearer wins.
    EXPECT_EQ(converter.GetIndex(0x800000), 1);
    EXPECT_EQ(converter.GetIndex(0x7F0000), 0);
    EXPECT_EQ(converter.Misses(), 4u);
    EXPECT_EQ(converter.GetIndex(0xFF0000), 1);
    EXPECT_EQ(converter.Hits(), 1u);

    // Two colours equal modulo 1020 evict each other; the answers stay right.
    const uint32_t a = 0x00FF00, b = 0x00FF00 + 1020 * 3; // b = 0x010AF4: nearest is black
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(converter.GetIndex(a), 2);
        EXPECT_EQ(converter.GetIndex(b), 0);
    }
    EXPECT_EQ(converter.Hits(), 1u);
    const uint32_t c = 1020 * 100; // 0x018E70, nearest is green
    EXPECT_EQ(converter.GetIndex(c), 2);
    EXPECT_EQ(converter.GetIndex(c % 1020), 0);

    platform::TLogPalette empty {};
    EXPECT_EQ(TRgbToPaletteConverter(&empty).GetIndex(0x123456), 0);
}

// ---- the quantizer thread and the drawing thread ----

namespace {

// Stands in for the main thread's message queue: posted work runs when the test pumps it.
struct PostedWork {
    std::mutex mutex;
    std::deque<std::function<void()>> queue;
    void post(std::function<void()> work)
    {
        std::lock_guard lock(mutex);
        queue.push_back(std::move(work));
    }
    int pump()
    {
        int n = 0;
        for (;;) {
            std::function<void()> work;
            {
                std::lock_guard lock(mutex);
                if (queue.empty())
                    return n;
                work = std::move(queue.front());
                queue.pop_front();
            }
            work();
            ++n;
        }
    }
};

class PalettedScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ScreenCaps().paletted = true;
        InitializeDibGraphicUnit();
        platform::SetMainThreadPoster([this](std::function<void()> work) { posted.post(std::move(work)); });
    }
    void TearDown() override
    {
        platform::TThread::WaitForFreeOnTerminateThreads();
        platform::SetMainThreadPoster(nullptr);
        posted.pump();
        platform::ScreenCaps().paletted = false;
        InitializeDibGraphicUnit();
    }
    PostedWork posted;
};

void paintNoise(TDibGraphic& picture, unsigned seed)
{
    std::mt19937 random(seed);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            picture.SetPixelColor(x, y, random() & 0xF0F0F0);
}

} // namespace

TEST_F(PalettedScreen, DrawingStartsOneQuantizerAndThePaletteArrivesOnTheMainThread)
{
    TDibGraphic picture;
    picture.NewImage(64, 64, ifTrueColor, nullptr, 0, 0);
    paintNoise(picture, 1);
    int changes = 0;
    bool changedOffMainThread = false;
    const auto mainThread = std::this_thread::get_id();
    picture.OnChange = [&](platform::TObject*) {
        ++changes;
        changedOffMainThread |= std::this_thread::get_id() != mainThread;
    };
    platform::TBitmap target;
    target.SetPixelFormat(platform::TPixelFormat::pf24bit);
    target.SetSize(64, 64);
    picture.Draw(target.Canvas(), platform::Rect(0, 0, 64, 64));
    EXPECT_EQ(target.Canvas().Palette(), nullptr); // restored after drawing
    platform::TThread::WaitForFreeOnTerminateThreads();
    // The thread posts the hand-over once. A quick thread may already have been collected by the
    // drawing itself (it asks for the palette right after starting the thread); then the posted
    // work finds nothing left to do. Either way the palette arrives once, on the main thread.
    EXPECT_EQ(posted.pump(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(changedOffMainThread);
    auto palette = picture.GetPaletteHandle();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->palNumEntries, 256);
    // Drawing again starts no second thread.
    picture.Draw(target.Canvas(), platform::Rect(0, 0, 64, 64));
    platform::TThread::WaitForFreeOnTerminateThreads();
    EXPECT_EQ(posted.pump(), 0);
}

TEST_F(PalettedScreen, WithoutAPosterTheNextDrawInstallsThePalette)
{
    platform::SetMainThreadPoster(nullptr);
    TDibGraphic picture;
    picture.NewImage(32, 32, ifTrueColor, nullptr, 0, 0);
    paintNoise(picture, 2);
    platform::TBitmap target;
    target.SetPixelFormat(platform::TPixelFormat::pf24bit);
    target.SetSize(8, 8);
    picture.Draw(target.Canvas(), platform::Rect(0, 0, 8, 8));
    platform::TThread::WaitForFreeOnTerminateThreads();
    picture.Draw(target.Canvas(), platform::Rect(0, 0, 8, 8));
    EXPECT_NE(picture.GetPaletteHandle(), nullptr);
}

TEST_F(PalettedScreen, StressPicturesChangedAndFreedWhileTheirQuantizersRun)
{
    // Pictures are drawn, given new images and freed while their quantizer threads count
    // colours; posted hand-overs run interleaved. Run under ThreadSanitizer as well.
    platform::TBitmap target;
    target.SetPixelFormat(platform::TPixelFormat::pf24bit);
    target.SetSize(16, 16);
    int installed = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<std::unique_ptr<TDibGraphic>> pictures;
        for (int i = 0; i < 6; ++i) {
            auto p = std::make_unique<TDibGraphic>();
            p->NewImage(96, 64, ifTrueColor, nullptr, 0, 0);
            paintNoise(*p, static_cast<unsigned>(round * 10 + i));
            p->Draw(target.Canvas(), platform::Rect(0, 0, 16, 16));
            pictures.push_back(std::move(p));
        }
        posted.pump();
        switch (round % 4) {
        case 0:
            pictures.clear(); // freed while the threads may still run
            break;
        case 1:
            for (auto& p : pictures) // a new image: the palette on its way is for the old one
                p->NewImage(40, 40, ifTrueColor, nullptr, 0, 0);
            break;
        case 2:
            for (auto& p : pictures)
                for (int k = 0; k < 5; ++k)
                    p->Draw(target.Canvas(), platform::Rect(0, 0, 16, 16));
            break;
        default:
            for (auto& p : pictures)
                paintNoise(*p, 99); // the thread works on its own copy
            break;
        }
        platform::TThread::WaitForFreeOnTerminateThreads();
        posted.pump();
        for (auto& p : pictures) {
            if (round % 4 == 1) {
                EXPECT_EQ(p->GetPaletteHandle(), nullptr); // a stale palette is never installed
            } else if (p->GetPaletteHandle()) {
                ++installed;
            }
        }
    }
    EXPECT_EQ(installed, 6 * 20);
}
