#include "platform/core/bitmap.h"
#include "platform/core/canvas.h"
#include "platform/core/exceptions.h"
#include "platform/core/picture.h"
#include "platform/core/stream.h"
#include "platform/core/thread.h"
#include "platform/core/timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {

// A picture whose stream form is one byte: its width. Saving can be made to fail half-way.
class TOneByte : public platform::TGraphic {
public:
    std::string ClassName() const override { return "TOneByte"; }
    const platform::TGraphicClass& GraphicClass() const override { return Class(); }
    static const platform::TGraphicClass& Class()
    {
        static const platform::TGraphicClass cls { "TOneByte",
            [] { return std::unique_ptr<platform::TGraphic>(new TOneByte()); } };
        return cls;
    }
    void Draw(platform::TCanvas&, const platform::TRect&) override { }
    bool GetEmpty() const override { return width == 0; }
    int GetWidth() const override { return width; }
    int GetHeight() const override { return 1; }
    void SetWidth(int v) override { width = v; }
    void SetHeight(int) override { }
    void LoadFromStream(platform::TStream& s) override
    {
        uint8_t b = 0;
        s.ReadBuffer(&b, 1);
        width = b;
    }
    void SaveToStream(platform::TStream& s) override
    {
        const uint8_t b = static_cast<uint8_t>(width);
        s.WriteBuffer(&b, 1);
        if (failSave)
            throw platform::EWriteError("Stream write error");
    }
    void Assign(const platform::TPersistent* source) override
    {
        if (auto* o = dynamic_cast<const TOneByte*>(source))
            width = o->width;
        else
            TGraphic::Assign(source);
    }
    int width = 0;
    bool failSave = false;
};

} // namespace

TEST(PictureRegistry, ExtensionsClassNamesAndFiles)
{
    platform::TPicture::RegisterFileFormat("one", "One byte", &TOneByte::Class());
    EXPECT_EQ(platform::TPicture::ClassForExtension("ONE"), &TOneByte::Class());
    EXPECT_EQ(platform::TPicture::ClassForName("TOneByte"), &TOneByte::Class());
    const auto dir = std::filesystem::temp_directory_path() / ("fendrix-roles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = (dir / "pic.One").string();
    {
        std::ofstream out(path, std::ios::binary);
        out.put(7);
    }
    platform::TPicture picture;
    int changes = 0;
    picture.OnChange = [&](platform::TObject*) { ++changes; };
    picture.LoadFromFile(path);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(changes, 1);

    // A save that fails half-way leaves the old file as it was.
    auto* graphic = dynamic_cast<TOneByte*>(picture.Graphic());
    graphic->width = 9;
    graphic->failSave = true;
    EXPECT_THROW(picture.SaveToFile(path), platform::EWriteError);
    EXPECT_EQ(std::filesystem::file_size(path), 1u);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator {}), 1);
    graphic->failSave = false;
    picture.SaveToFile(path);
    platform::TPicture again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.Width(), 9);

    // Stored with the class name; an unknown class name is refused.
    platform::TMemoryStream stored;
    again.SaveToStoredData(stored);
    EXPECT_EQ(stored.Size(), 1 + 8 + 1);
    stored.SetPosition(0);
    platform::TPicture third;
    third.LoadFromStoredData(stored);
    EXPECT_EQ(third.Width(), 9);
    stored.Memory()[1] = 'X';
    stored.SetPosition(0);
    EXPECT_THROW(third.LoadFromStoredData(stored), platform::EInvalidGraphic);
    EXPECT_EQ(third.Width(), 9);

    platform::TPicture::UnregisterGraphicClass(&TOneByte::Class());
    EXPECT_EQ(platform::TPicture::ClassForExtension("one"), nullptr);
    EXPECT_THROW(again.LoadFromFile(path), platform::EInvalidGraphic);
    std::filesystem::remove_all(dir);
}

TEST(Bitmap, SizesFormatsAndPixels)
{
    platform::TBitmap b;
    EXPECT_TRUE(b.Empty());
    b.SetPixelFormat(platform::TPixelFormat::pf8bit);
    b.SetSize(5, 3);
    b.Canvas().SetPixel(4, 2, 0xFFFFFF);
    EXPECT_EQ(b.Canvas().GetPixel(4, 2), 0xFFFFFFu);
    b.SetSize(6, 4); // the shared part keeps its pixels
    EXPECT_EQ(b.Canvas().GetPixel(4, 2), 0xFFFFFFu);
    EXPECT_EQ(b.Canvas().GetPixel(5, 3), 0u);
    b.SetPixelFormat(platform::TPixelFormat::pf24bit);
    EXPECT_EQ(b.BitCount(), 24);
    EXPECT_EQ(b.Canvas().GetPixel(4, 2), 0xFFFFFFu);
    b.SetPixelFormat(platform::TPixelFormat::pf16bit);
    EXPECT_EQ(b.Canvas().GetPixel(4, 2), 0xFFFFFFu);
    std::vector<uint8_t> bits(static_cast<std::size_t>(platform::DibBytesPerRow(6, 24) * 4));
    ASSERT_TRUE(b.GetDIBits(24, nullptr, bits.data()));
    EXPECT_EQ(
        bits[static_cast<std::size_t>(platform::DibBytesPerRow(6, 24) * 1 + 12)], 0xFF); // row 2 from the top
    EXPECT_FALSE(b.GetDIBits(8, nullptr, bits.data()));
    EXPECT_THROW(b.ScanLine(4), platform::EInvalidGraphic);
    EXPECT_THROW(b.SetSize(1 << 15, 1 << 14), platform::EOutOfResources);
}

TEST(DibCanvas, StretchAndTransparency)
{
    platform::TBitmap source;
    source.SetPixelFormat(platform::TPixelFormat::pf4bit);
    source.SetSize(2, 1);
    source.Canvas().SetPixel(0, 0, 0x0000FF); // red, an entry of the default 16 colours
    source.Canvas().SetPixel(1, 0, 0x00FF00);
    platform::TBitmap target;
    target.SetPixelFormat(platform::TPixelFormat::pf32bit);
    target.SetSize(6, 2);
    target.Canvas().StretchDIBits(
        platform::Rect(0, 0, 6, 2), platform::Rect(0, 0, 2, 1), source.Info(), source.Bits());
    EXPECT_EQ(target.Canvas().GetPixel(2, 1), 0x0000FFu);
    EXPECT_EQ(target.Canvas().GetPixel(3, 0), 0x00FF00u);
    // Off the target is clipped, not written.
    target.Canvas().StretchDIBits(
        platform::Rect(-3, -1, 3, 1), platform::Rect(0, 0, 2, 1), source.Info(), source.Bits());
    EXPECT_EQ(target.Canvas().GetPixel(0, 0), 0x00FF00u);
    platform::TBitmap blank;
    blank.SetPixelFormat(platform::TPixelFormat::pf24bit);
    blank.SetSize(2, 1);
    blank.Canvas().TransparentStretchDIBits(
        platform::Rect(0, 0, 2, 1), platform::Rect(0, 0, 2, 1), source.Info(), source.Bits(), 0x0000FF);
    EXPECT_EQ(blank.Canvas().GetPixel(0, 0), 0u);
    EXPECT_EQ(blank.Canvas().GetPixel(1, 0), 0x00FF00u);
}

TEST(TimerAndThread, BackendAndFreeOnTerminate)
{
    struct FakeBackend : platform::TTimer::Backend {
        bool* active;
        explicit FakeBackend(bool* a)
            : active(a)
        {
        }
        void Update(bool a, int) override { *active = a; }
    };
    bool active = false;
    platform::TTimer::SetBackendFactory(
        [&](platform::TTimer&) { return std::make_unique<FakeBackend>(&active); });
    {
        platform::TTimer timer;
        EXPECT_TRUE(active); // enabled by default with an interval
        int ticks = 0;
        timer.OnTimer = [&](platform::TObject*) { ++ticks; };
        timer.Tick();
        timer.SetEnabled(false);
        EXPECT_FALSE(active);
        timer.Tick();
        EXPECT_EQ(ticks, 1);
    }
    platform::TTimer::SetBackendFactory(nullptr);

    static std::atomic<int> ran { 0 };
    struct Worker : platform::TThread {
        Worker()
            : TThread(true)
        {
            SetFreeOnTerminate(true);
        }
        void Execute() override { ++ran; }
    };
    for (int i = 0; i < 20; ++i)
        (new Worker())->Resume();
    platform::TThread::WaitForFreeOnTerminateThreads();
    EXPECT_EQ(ran.load(), 20);
}
