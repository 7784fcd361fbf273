#include "imaging/dibgraphic.h"
#include "imaging/jpeggraphic.h"
#include "platform/core/bitmap.h"
#include "platform/core/clipboard.h"
#include "platform/core/picture.h"
#include "platform/core/stream.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testsupport;

namespace {

template <typename E, typename F> std::string messageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<no exception>";
}

// A picture format whose stream holds one byte per image: the byte is the image's gray level;
// the first byte of the stream is the image count.
class TByteFrames : public TDibGraphic {
public:
    std::string ClassName() const override { return "TByteFrames"; }
    const platform::TGraphicClass& GraphicClass() const override
    {
        static const platform::TGraphicClass cls { "TByteFrames",
            [] { return std::unique_ptr<platform::TGraphic>(new TByteFrames()); } };
        return cls;
    }
    int GetImageCount(platform::TStream& stream) override
    {
        uint8_t count = 0;
        stream.ReadBuffer(&count, 1);
        return count;
    }
    void SingleLoadFromStream(platform::TStream& stream, int index) override
    {
        uint8_t count = 0;
        stream.ReadBuffer(&count, 1);
        if (index < 1 || index > count)
            throw EPictorelError("no such image");
        stream.Seek(index - 1, platform::TSeekOrigin::soCurrent);
        uint8_t level = 0;
        stream.ReadBuffer(&level, 1);
        NewImage(2, 2, ifGray256, nullptr, 0, 0);
        Fill(MakeRgb(level, level, level));
    }
};

platform::TMemoryStream byteFrames(std::initializer_list<uint8_t> levels)
{
    platform::TMemoryStream stream;
    const uint8_t count = static_cast<uint8_t>(levels.size());
    stream.WriteBuffer(&count, 1);
    for (uint8_t level : levels)
        stream.WriteBuffer(&level, 1);
    stream.SetPosition(0);
    return stream;
}

// Any other picture class: draws a 3 x 2 pattern of its own.
class TPatternGraphic : public platform::TGraphic {
public:
    std::string ClassName() const override { return "TPatternGraphic"; }
    const platform::TGraphicClass& GraphicClass() const override
    {
        static const platform::TGraphicClass cls { "TPatternGraphic",
            [] { return std::unique_ptr<platform::TGraphic>(new TPatternGraphic()); } };
        return cls;
    }
    void Draw(platform::TCanvas& canvas, const platform::TRect& rect) override
    {
        platform::TBitmap b;
        b.SetPixelFormat(platform::TPixelFormat::pf24bit);
        b.SetSize(3, 2);
        b.Canvas().SetPixel(0, 0, 0x0000FF); // red as a window colour
        b.Canvas().SetPixel(2, 1, 0xFF0000); // blue
        b.Draw(canvas, rect);
    }
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return 3; }
    int GetHeight() const override { return 2; }
    void SetWidth(int) override { }
    void SetHeight(int) override { }
};

class TFakeClipboard : public platform::TClipboard {
public:
    bool HasFormat(uint16_t format) const override { return format == platform::CF_BITMAP && bitmap; }
    std::shared_ptr<platform::TBitmap> GetBitmap() const override { return bitmap; }
    platform::HPALETTE GetPalette() const override { return nullptr; }
    void SetBitmap(const platform::TBitmap& b, const platform::HPALETTE&) override
    {
        bitmap = std::make_shared<platform::TBitmap>(b);
    }
    std::shared_ptr<platform::TBitmap> bitmap;
};

} // namespace

TEST(DibGraphicFormats, RefusalsAndOutsideBitmapsNeverGray)
{
    EXPECT_EQ(messageOf<EPictorelError>([] { ImageFormatBitCount(static_cast<TImageFormat>(6)); }),
        "Internal error: Invalid image format");
    EXPECT_EQ(BitCountToImageFormat(4), ifColor16);
    EXPECT_EQ(BitCountToImageFormat(8), ifColor256);
    EXPECT_EQ(messageOf<EPictorelError>([] { BitCountToImageFormat(16); }), "Unsupported bit count");
    EXPECT_THROW(DefaultPalette(ifTrueColor), EPictorelError);
    TDibGraphic p;
    EXPECT_THROW(p.NewImage(2, 2, static_cast<TImageFormat>(9), nullptr, 0, 0), EPictorelError);
    // Sizes change only through NewImage.
    EXPECT_EQ(messageOf<EPictorelError>([&] { p.SetWidth(5); }),
        "Dimensions must be change with the NewImage method");
    p.NewImage(3, 3, ifTrueColor, nullptr, 0, 0);
    EXPECT_THROW(p.SetHeight(3), EPictorelError);
    EXPECT_EQ(p.Height(), 3);
    // A trailing byte that is not a whole group is left alone.
    uint8_t bytes[7] = { 1, 2, 3, 4, 5, 6, 7 };
    SwapRedBlue(bytes, 7);
    const uint8_t expected[7] = { 3, 2, 1, 6, 5, 4, 7 };
    EXPECT_EQ(std::memcmp(bytes, expected, 7), 0);
}

TEST(DibGraphicSize, NewImageRefusesAbsurdSizesBeforeAllocating)
{
    TDibGraphic p;
    EXPECT_THROW(p.NewImage(0, 10, ifTrueColor, nullptr, 0, 0), platform::EOutOfResources);
    EXPECT_THROW(p.NewImage(10, 0, ifTrueColor, nullptr, 0, 0), platform::EOutOfResources);
    EXPECT_THROW(p.NewImage(-5, 10, ifGray256, nullptr, 0, 0), platform::EOutOfResources);
    // Height x BytesPerRow would wrap in 32 bits.
    EXPECT_THROW(p.NewImage(65535, 65535, ifTrueColor, nullptr, 0, 0), platform::EOutOfResources);
    EXPECT_THROW(p.NewImage(2147483647, 2, ifBlackWhite, nullptr, 0, 0), platform::EOutOfResources);
    EXPECT_TRUE(p.Empty());
    // The bound itself is allowed (a 1-bit picture keeps this cheap), black all over like any
    // fresh picture.
    p.NewImage(16384, 16384, ifBlackWhite, nullptr, 0, 0);
    EXPECT_EQ(p.BytesPerRow(), 2048);
    const uint8_t* bits = p.Bits();
    EXPECT_TRUE(
        std::all_of(bits, bits + p.BitmapInfo().bmiHeader.biSizeImage, [](uint8_t b) { return b == 0; }));
    p.SetPixelIndex(16383, 16383, 1);
    EXPECT_EQ(p.GetPixelIndex(16383, 16383), 1);
    EXPECT_THROW(p.NewImage(16384, 16385, ifBlackWhite, nullptr, 0, 0), platform::EOutOfResources);
}

TEST(DibGraphicPixels, BitLayoutAndFormatRefusals)
{
    TDibGraphic p;
    p.NewImage(10, 1, ifBlackWhite, nullptr, 0, 0);
    p.SetPixelIndex(9, 0, 5); // any value of 1 or more sets the bit
    EXPECT_EQ(p.ScanLine(0)[1], 0x40);
    EXPECT_EQ(p.GetPixelIndex(9, 0), 1);

    p.NewImage(2, 1, ifTrueColor, nullptr, 0, 0);
    EXPECT_EQ(messageOf<EPictorelError>([&] { p.GetPixelIndex(0, 0); }), "The image does not have a palette");
    EXPECT_THROW(p.SetPixelIndex(0, 0, 1), EPictorelError);

    // Colours written into a paletted picture take the nearest entry.
    p.NewImage(1, 1, ifGray256, nullptr, 0, 0);
    p.SetPixelColor(0, 0, MakeRgb(100, 110, 120));
    EXPECT_EQ(p.GetPixelIndex(0, 0), 110);
}

TEST(DibGraphicPixels, PaletteLongerThanTheBitCountAddresses)
{
    // A 1-bit picture given a 4-entry palette (black, white, red, blue) can only use entries 0
    // and 1: red written into it must come out as the nearer of black and white, never as
    // entry 2 squeezed into one bit.
    platform::TLogPalette palette {};
    palette.palVersion = 0x300;
    palette.palNumEntries = 4;
    palette.palPalEntry[1] = { 255, 255, 255, 0 };
    palette.palPalEntry[2] = { 255, 0, 0, 0 };
    palette.palPalEntry[3] = { 0, 0, 255, 0 };
    TDibGraphic p;
    p.NewImage(8, 1, ifBlackWhite, &palette, 0, 0);
    EXPECT_EQ(p.LogPalette().palNumEntries, 2);
    EXPECT_EQ(p.BitmapInfo().bmiHeader.biClrUsed, 2u);
    p.SetPixelColor(0, 0, 0xFF0000); // red: distance to black 255^2, to white 2 * 255^2
    EXPECT_EQ(p.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(p.GetPixelColor(0, 0), 0x000000u);
    EXPECT_EQ(p.ScanLine(0)[0], 0x00);
}

TEST(DibGraphicPixels, OutsideAccessIsRefused)
{
    TDibGraphic p;
    EXPECT_THROW(p.GetPixelColor(0, 0), EPictorelError);
    EXPECT_THROW(p.ScanLine(0), EPictorelError);
    p.NewImage(4, 4, ifTrueColor, nullptr, 0, 0);
    EXPECT_THROW(p.SetPixelColor(4, 0, 0), EPictorelError);
    EXPECT_THROW(p.SetPixelColor(0, -1, 0), EPictorelError);
    EXPECT_THROW(p.ScanLine(4), EPictorelError);
}

TEST(DibGraphicPixels, FillAndResolution)
{
    TDibGraphic p;
    p.NewImage(5, 4, ifColor16, nullptr, 300, 150);
    p.Fill(0xAA0000);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(p.GetPixelIndex(x, y), 4);
    EXPECT_EQ(p.YDotsPerInch(), 150);
    EXPECT_EQ(p.BitmapInfo().bmiHeader.biXPelsPerMeter, 11811); // 300 / 0.0254
    p.NewImage(1, 1, ifTrueColor, nullptr, 0, 0); // 0 means the screen's
    EXPECT_EQ(p.XDotsPerInch(), platform::ScreenCaps().dpiX);
}

TEST(DibGraphicAssign, CopyImageFromEmptyChangesNothing)
{
    TDibGraphic target, empty;
    makeBlockPicture(target, ifColor256, 20, 10);
    target.CopyImage(empty);
    EXPECT_EQ(target.Width(), 20);
    EXPECT_EQ(target.ImageFormat(), ifColor256);
    target.Assign(&empty);
    EXPECT_EQ(target.Width(), 20);
    EXPECT_EQ(target.GetPixelIndex(17, 0), 7);
}

TEST(DibGraphicAssign, CopiesImagePaletteResolutionAndFrames)
{
    TDibGraphic source, copy;
    platform::TLogPalette palette {};
    palette.palNumEntries = 16;
    for (int i = 0; i < 16; ++i)
        palette.palPalEntry[i].peBlue = static_cast<uint8_t>(i * 10);
    source.NewImage(7, 5, ifColor16, &palette, 200, 100);
    source.SetPixelIndex(6, 4, 13);
    source.SetFrameDelay(55);
    copy.Assign(&source);
    EXPECT_EQ(copy.Height(), 5);
    EXPECT_EQ(copy.GetPixelColor(6, 4), 130u);
    EXPECT_EQ(copy.XDotsPerInch(), 200);
    EXPECT_EQ(copy.FrameDelay(), 55);
    copy.Assign(&copy); // assigning a picture to itself keeps it
    EXPECT_EQ(copy.GetPixelIndex(6, 4), 13);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(DibGraphicAssign, BitmapsOfEveryDepth)
{
    struct Case {
        platform::TPixelFormat format;
        TImageFormat expected;
    };
    for (const Case c : { Case { platform::TPixelFormat::pf16bit, ifTrueColor },
             Case { platform::TPixelFormat::pf32bit, ifTrueColor },
             Case { platform::TPixelFormat::pf24bit, ifTrueColor },
             Case { platform::TPixelFormat::pf4bit, ifColor16 },
             Case { platform::TPixelFormat::pf8bit, ifColor256 },
             Case { platform::TPixelFormat::pf1bit, ifBlackWhite } }) {
        platform::TBitmap bitmap;
        bitmap.SetPixelFormat(c.format);
        bitmap.SetSize(9, 4);
        bitmap.Canvas().SetPixel(8, 3, 0xFFFFFF);
        bitmap.Canvas().SetPixel(0, 0, 0x000000);
        TDibGraphic p;
        p.Assign(&bitmap);
        EXPECT_EQ(p.ImageFormat(), c.expected) << int(c.format);
        EXPECT_EQ(p.Width(), 9);
        EXPECT_EQ(p.Height(), 4);
        EXPECT_EQ(p.GetPixelColor(8, 3), 0xFFFFFFu) << int(c.format);
        EXPECT_EQ(p.GetPixelColor(0, 0), 0u) << int(c.format);
    }
    // A 4-bit bitmap's own colour table becomes the picture's palette.
    platform::TBitmap four;
    four.SetPixelFormat(platform::TPixelFormat::pf4bit);
    four.SetSize(2, 1);
    platform::TLogPalette grays {};
    grays.palNumEntries = 16;
    for (int i = 0; i < 16; ++i)
        grays.palPalEntry[i].peRed = grays.palPalEntry[i].peGreen = grays.palPalEntry[i].peBlue
            = uint8_t(i * 16);
    four.SetPalette(platform::CreatePalette(grays));
    four.ScanLine(0)[0] = 0x3C;
    TDibGraphic p;
    p.Assign(&four);
    EXPECT_EQ(p.ImageFormat(), ifColor16); // never taken as gray
    EXPECT_EQ(p.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(p.GetPixelColor(1, 0), MakeRgb(192, 192, 192));
    // An empty bitmap is refused.
    platform::TBitmap empty;
    EXPECT_EQ(messageOf<platform::EInvalidGraphic>([&] { p.Assign(&empty); }), "Invalid bitmap");
}

TEST(DibGraphicAssign, ToBitmapOtherGraphicsAndRefusals)
{
    TDibGraphic p;
    makeBlockPicture(p, ifColor16, 20, 18);
    platform::TBitmap bitmap;
    bitmap.Assign(&p); // the bitmap asks the picture to assign itself
    EXPECT_EQ(bitmap.PixelFormat(), platform::TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Width(), 20);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(RgbToColorRef(p.GetPixelColor(x, y)), bitmap.Canvas().GetPixel(x, y));

    TPatternGraphic pattern;
    p.Assign(&pattern);
    EXPECT_EQ(p.ImageFormat(), ifTrueColor);
    EXPECT_EQ(p.GetPixelColor(0, 0), 0xFF0000u);
    EXPECT_EQ(p.GetPixelColor(2, 1), 0x0000FFu);
    EXPECT_EQ(p.GetPixelColor(1, 0), 0u);

    platform::TPicture picture;
    EXPECT_EQ(messageOf<EPictorelError>([&] { p.AssignTo(&picture); }),
        "Cannot assign a TDibGraphic to a TPicture");
    EXPECT_EQ(messageOf<platform::EConvertError>([&] { p.Assign(&picture); }),
        "Cannot assign a TPicture to a TDibGraphic");
}

TEST(DibGraphicAssign, ClipboardBothWays)
{
    TFakeClipboard clipboard;
    TDibGraphic p;
    makeBlockPicture(p, ifTrueColor, 33, 17);
    clipboard.Assign(&p);
    ASSERT_TRUE(clipboard.bitmap);
    EXPECT_EQ(clipboard.bitmap->BitCount(), 32); // a screen-compatible bitmap
    TDibGraphic back;
    back.Assign(&clipboard);
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(back.ImageFormat(), ifTrueColor);
    EXPECT_EQ(maxDifference(back, p), 0);

    TDibGraphic bw;
    bw.NewImage(9, 2, ifBlackWhite, nullptr, 0, 0);
    bw.SetPixelIndex(8, 1, 1);
    uint16_t format = 0;
    std::shared_ptr<platform::TBitmap> data;
    platform::HPALETTE palette;
    bw.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, platform::CF_BITMAP);
    EXPECT_EQ(data->BitCount(), 1);
    EXPECT_EQ(data->Canvas().GetPixel(8, 1), 0xFFFFFFu);
    EXPECT_EQ(
        messageOf<platform::EInvalidGraphic>([&] { back.LoadFromClipboardFormat(8, data.get(), nullptr); }),
        "Unknown clipboard format, 8");
    clipboard.bitmap.reset();
    EXPECT_THROW(back.Assign(&clipboard), platform::EInvalidGraphic);
    EXPECT_FALSE(clipboard.IsOpen());
}

TEST(DibGraphicDraw, StretchesWholePixels)
{
    TDibGraphic p;
    p.NewImage(2, 2, ifTrueColor, nullptr, 0, 0);
    p.SetPixelColor(0, 0, 0xFF0000);
    p.SetPixelColor(1, 1, 0x00FF00);
    int afterDraw = 0;
    p.OnAfterDraw = [&](platform::TObject* sender) {
        EXPECT_EQ(sender, &p);
        ++afterDraw;
    };
    platform::TBitmap target;
    target.SetPixelFormat(platform::TPixelFormat::pf24bit);
    target.SetSize(4, 4);
    p.Draw(target.Canvas(), platform::Rect(0, 0, 4, 4));
    EXPECT_EQ(afterDraw, 1);
    EXPECT_EQ(target.Canvas().GetPixel(1, 1), 0x0000FFu);
    EXPECT_EQ(target.Canvas().GetPixel(2, 2), 0x00FF00u);
    EXPECT_EQ(target.Canvas().GetPixel(3, 0), 0u);
}

TEST(DibGraphicDraw, TransparentPixelChoosesTheKeyColour)
{
    TDibGraphic p;
    p.NewImage(3, 3, ifTrueColor, nullptr, 0, 0);
    p.Fill(0x112233);
    p.SetPixelColor(0, 2, 0x00FF00); // bottom left
    p.SetPixelColor(1, 1, 0x00FF00);
    p.SetPixelColor(2, 0, 0xFF00FF); // top right
    p.SetTransparent(true);
    EXPECT_EQ(p.TransparentPixel(), tpBottomLeft);
    EXPECT_EQ(p.GetTransparentColorRef(), RgbToColorRef(0x00FF00));

    auto drawOnWhite = [&](platform::TBitmap& target) {
        target.SetPixelFormat(platform::TPixelFormat::pf24bit);
        target.SetSize(3, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                target.Canvas().SetPixel(x, y, 0xFFFFFF);
        p.Draw(target.Canvas(), platform::Rect(0, 0, 3, 3));
    };
    platform::TBitmap target;
    drawOnWhite(target);
    EXPECT_EQ(target.Canvas().GetPixel(0, 2), 0xFFFFFFu);
    EXPECT_EQ(target.Canvas().GetPixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(target.Canvas().GetPixel(0, 0), RgbToColorRef(0x112233));

    p.SetTransparentPixel(tpTopRight);
    EXPECT_EQ(p.GetTransparentColorRef(), RgbToColorRef(0xFF00FF));
    p.SetTransparentPixel(tpTransparentColor);
    p.SetTransparentColor(0x112233);
    platform::TBitmap second;
    drawOnWhite(second);
    EXPECT_EQ(second.Canvas().GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(second.Canvas().GetPixel(1, 1), RgbToColorRef(0x00FF00));
    p.SetTransparentPixel(static_cast<TTransparentPixel>(7));
    EXPECT_EQ(
        messageOf<platform::Exception>([&] { p.GetTransparentColorRef(); }), "Invalid TransparentPixel");
}

TEST(DibGraphicFrames, LoadAllImagesFromASingleImageStream)
{
    auto jpeg = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    platform::TMemoryStream stream;
    fillStream(stream, jpeg);
    TJpegGraphic p;
    p.SetLoadAllImages(true);
    p.LoadFromStream(stream);
    EXPECT_FALSE(p.LoadAllImages());
    EXPECT_EQ(p.FrameCount(), 0);
    EXPECT_EQ(p.Width(), 48);
}

TEST(DibGraphicFrames, LoadsEveryImageAsAFrameAndWraps)
{
    auto stream = byteFrames({ 10, 20, 30 });
    TByteFrames p;
    p.SetLoadAllImages(true);
    p.LoadFromStream(stream);
    ASSERT_EQ(p.FrameCount(), 3);
    EXPECT_EQ(p.CurrentFrame(), 1);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(p.Frames(3).GetPixelIndex(1, 1), 30);
    EXPECT_EQ(messageOf<EPictorelError>([&] { p.Frames(4); }), "Frame 4 does not exist");
    EXPECT_THROW(p.SetFrame(0), EPictorelError);
    p.SetFrame(3);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 30);
    p.NextFrame(); // from the last back to the first
    EXPECT_EQ(p.CurrentFrame(), 1);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 10);
    p.NextFrame();
    EXPECT_EQ(p.CurrentFrame(), 2);

    // Animation runs only while there are frames.
    p.SetAnimate(true);
    EXPECT_TRUE(p.TimerEnabled());
    p.SetAnimate(false);
    EXPECT_FALSE(p.TimerEnabled());
    TByteFrames single;
    single.SetAnimate(true);
    EXPECT_FALSE(single.TimerEnabled());

    // Loading one image by index.
    auto again = byteFrames({ 10, 20, 30 });
    TByteFrames one;
    one.SetImageIndex(2);
    one.LoadFromStream(again);
    EXPECT_EQ(one.GetPixelIndex(0, 0), 20);
    EXPECT_EQ(one.FrameCount(), 0);

    // Frames travel with an assignment.
    TDibGraphic copy;
    copy.Assign(&p);
    EXPECT_EQ(copy.FrameCount(), 3);
    copy.NextFrame(); // no frame was shown yet: the first comes next
    EXPECT_EQ(copy.CurrentFrame(), 1);
}

TEST(DibGraphicFrames, MultiImageProtocolOfTheBaseClass)
{
    TDibGraphic p;
    platform::TMemoryStream stream;
    EXPECT_FALSE(TDibGraphic::CanLoad(stream));
    EXPECT_EQ(p.GetImageCount(stream), 1);
    TJpegGraphic jpeg;
    EXPECT_EQ(messageOf<EPictorelError>([&] { jpeg.AppendToStream(stream); }),
        "The TJpegGraphic format does not support multiple images");

    // Writing one image through the callback, freeing it when asked.
    int calls = 0;
    jpeg.SaveImagesToStream(stream, 1, [&](int index, bool& freeIt) {
        ++calls;
        EXPECT_EQ(index, 1);
        auto* image = new TDibGraphic();
        image->NewImage(8, 8, ifTrueColor, nullptr, 0, 0);
        freeIt = true;
        return image;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_GT(stream.Size(), 100);
    // A second image needs the append that JPEG does not have.
    TDibGraphic kept;
    kept.NewImage(4, 4, ifGray256, nullptr, 0, 0);
    platform::TMemoryStream two;
    EXPECT_THROW(jpeg.SaveImagesToStream(two, 2,
                     [&](int, bool& freeIt) {
                         freeIt = false;
                         return &kept;
                     }),
        EPictorelError);
    EXPECT_EQ(kept.Width(), 4);
}
