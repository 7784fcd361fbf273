// Colour values, blends and the drawing helpers, against values worked out by hand.
#include "testapp.h"

#include "platform/qt/themecolors.h"
#include "theming/skinutils.h"

#include <QImage>
#include <QPainter>

#include <array>

using namespace platform;
using namespace themetest;

namespace {

QImage canvas(int w = 16, int h = 16, uint32_t fill = 0x00123456)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(q(fill));
    return image;
}

uint32_t at(const QImage& image, int x, int y)
{
    return static_cast<uint32_t>(fromQColor(image.pixelColor(x, y)));
}

} // namespace

TEST(SystemColours, NegativeValuesNameSystemColoursOfThePalette)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), kBtnShadow);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), kGrayText);
    EXPECT_EQ(ColorToRGB(clHighlight), kHighlight);
    // Plain colours and clNone pass unchanged; indices the system lacks give black and no brush.
    EXPECT_EQ(ColorToRGB(0x00332211), 0x00332211u);
    EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
    EXPECT_EQ(GetSysColor(25), 0u);
    EXPECT_FALSE(HasSysColorBrush(25));
    EXPECT_EQ(fromQColor(QColor(0x11, 0x22, 0x33)), 0x00332211);
}

TEST(SystemColours, NearestColourFollowsTheDepth)
{
    EXPECT_EQ(nearestColorForDepth(0x00123456, 24), 0x00123456u);
    // 5-6-5: red 0x56 -> 0x50 | 0x50 >> 5, green 0x34 -> 0x34 | 0x34 >> 6, blue 0x12 -> 0x10 | 0x10 >> 5.
    EXPECT_EQ(nearestColorForDepth(0x00123456, 16), 0x00103452u);
    EXPECT_EQ(nearestColorForDepth(0x00FFFFFF, 16), 0x00FFFFFFu);
    EXPECT_EQ(nearestColorForDepth(0x00C8C8C8, 8), 0x00C0C0C0u);
    EXPECT_EQ(nearestColorForDepth(0x000000F0, 4), 0x000000FFu);
}

TEST(Blend, WeightsBothColoursAndShiftsByEight)
{
    // 255 x 255 >> 8 = 254 in every channel, whichever side carries the weight.
    EXPECT_EQ(Blend(clBlack, 0xFFFFFF, 0), 0xFEFEFE);
    EXPECT_EQ(Blend(0xFFFFFF, clBlack, 255), 0xFEFEFE);
    EXPECT_EQ(Blend(0x0000FF, 0xFF0000, 128), 0x7E007F);
    // System colours are resolved first: 64/255 of the face plus 191/255 of the window.
    const int r = (0xD4 * 64 + 0xFC * 191) >> 8, g = (0xD0 * 64 + 0xFA * 191) >> 8,
              b = (0xC8 * 64 + 0xF8 * 191) >> 8;
    EXPECT_EQ(Blend(clBtnFace, clWindow, 64), r | (g << 8) | (b << 16));
    EXPECT_EQ(BlendNearest(clBtnFace, clWindow, 64), r | (g << 8) | (b << 16)); // a 32-bit screen
}

TEST(Blend, RefusesWeightsOutsideAByte)
{
    EXPECT_THROW(Blend(clBlack, 0xFFFFFF, 256), EAssertionFailed);
    EXPECT_THROW(Blend(clBlack, 0xFFFFFF, -1), EAssertionFailed);
}

TEST(ShadeAndDarkness, ClampAndThreshold)
{
    EXPECT_EQ(Shade(0x102030, -0x20), 0x000010);
    EXPECT_EQ(Shade(0x10F030, 0x20), 0x30FF50);
    // White weighs 255 x 256 = 65280: dark only above a threshold of 255.
    EXPECT_FALSE(IsDarkColor(0xFFFFFF, 255));
    EXPECT_TRUE(IsDarkColor(0xFFFFFF, 256));
    // Pure red weighs 255 x 76 = 19380; 75 x 256 = 19200, 76 x 256 = 19456.
    EXPECT_FALSE(IsDarkColor(0x0000FF, 75));
    EXPECT_TRUE(IsDarkColor(0x0000FF, 76));
    EXPECT_EQ(ColorToPixel(0x00332211), 0xFF112233u);
    EXPECT_EQ(ColorToPixel(clBtnFace), 0xFF000000u | 0xD4D0C8u);
}

TEST(ColourRamps, EndsMidpointAndRounding)
{
    ClearColorRamps();
    const auto one = GetColorRamp(1, clBlack, 0xFFFFFF);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], 0x7F7F7F);
    EXPECT_EQ(GetColorRamp(1, 0xFFFFFF, clBlack)[0], 0x7F7F7F);
    const auto up = GetColorRamp(5, clBlack, 0x0000FF);
    EXPECT_EQ(up, (std::vector<TColor> { 0, 64, 128, 191, 255 }));
    // A falling channel mirrors the rising one and ends on its last colour.
    const auto down = GetColorRamp(5, 0x0000FF, clBlack);
    EXPECT_EQ(down, (std::vector<TColor> { 255, 191, 127, 64, 0 }));
    EXPECT_EQ(
        GetColorRamp(2, clBtnFace, clWindow), (std::vector<TColor> { TColor(kBtnFace), TColor(kWindow) }));
    EXPECT_THROW(GetColorRamp(0, clBlack, clBlack), EAssertionFailed);
}

TEST(ColourRamps, TheSeventeenthReplacesTheOldest)
{
    ClearColorRamps();
    for (int n = 2; n <= 17; ++n)
        GetColorRamp(n, clBlack, 0xFFFFFF);
    // Looking one up again does not make room.
    GetColorRamp(2, clBlack, 0xFFFFFF);
    for (int n = 2; n <= 17; ++n)
        EXPECT_TRUE(IsColorRampCached(n, clBlack, 0xFFFFFF)) << n;
    GetColorRamp(18, clBlack, 0xFFFFFF);
    EXPECT_FALSE(IsColorRampCached(2, clBlack, 0xFFFFFF));
    for (int n = 3; n <= 18; ++n)
        EXPECT_TRUE(IsColorRampCached(n, clBlack, 0xFFFFFF)) << n;
    EXPECT_FALSE(IsColorRampCached(3, 0xFFFFFF, clBlack));
}

TEST(DrawingHelpers, NoneDrawsNothingButStillAdjusts)
{
    QImage image = canvas();
    QPainter dc(&image);
    EXPECT_FALSE(FillRectEx(dc, TRect { 0, 0, 16, 16 }, clNone));
    TRect r { 2, 2, 10, 10 };
    EXPECT_FALSE(FrameRectEx(dc, r, clNone, true));
    EXPECT_EQ((std::array { r.Left, r.Top, r.Right, r.Bottom }), (std::array { 3, 3, 9, 9 }));
    DrawLineEx(dc, 0, 0, 15, 0, clNone);
    const QPoint points[3] = { { 0, 5 }, { 10, 5 }, { 10, 10 } };
    EXPECT_FALSE(PolyLineEx(dc, points, 2, clNone));
    PolygonEx(dc, points, 2, clNone, clNone);
    RoundRectEx(dc, TRect { 0, 0, 16, 16 }, 16, 16, clNone, clNone);
    dc.end();
    QImage untouched = canvas();
    EXPECT_EQ(image, untouched);
}

TEST(DrawingHelpers, FillsAndFramesCoverTheWindowSystemsPixels)
{
    QImage image = canvas();
    QPainter dc(&image);
    EXPECT_TRUE(FillRectEx(dc, TRect { 2, 2, 6, 6 }, clBtnFace));
    TRect frame { 8, 8, 14, 14 };
    EXPECT_TRUE(FrameRectEx(dc, frame, 0x0000FF, false));
    EXPECT_EQ(frame.Left, 8); // no adjust
    dc.end();
    EXPECT_EQ(at(image, 5, 5), kBtnFace);
    EXPECT_EQ(at(image, 6, 6), 0x00123456u); // right and bottom are outside
    EXPECT_EQ(at(image, 13, 13), 0x0000FFu);
    EXPECT_EQ(at(image, 10, 10), 0x00123456u); // the inside stays
    EXPECT_EQ(at(image, 14, 14), 0x00123456u);
}

TEST(DrawingHelpers, LinesLeaveOutTheirLastPixel)
{
    QImage image = canvas();
    QPainter dc(&image);
    DrawLineEx(dc, 1, 1, 6, 1, 0x0000FF);
    const QPoint points[3] = { { 1, 4 }, { 5, 4 }, { 5, 9 } };
    EXPECT_TRUE(PolyLineEx(dc, points, 2, 0x00FF00));
    dc.end();
    for (int x = 1; x <= 5; ++x)
        EXPECT_EQ(at(image, x, 1), 0x0000FFu) << x;
    EXPECT_EQ(at(image, 6, 1), 0x00123456u);
    EXPECT_EQ(at(image, 1, 4), 0x00FF00u);
    EXPECT_EQ(at(image, 5, 4), 0x00FF00u);
    EXPECT_EQ(at(image, 5, 8), 0x00FF00u);
    EXPECT_EQ(at(image, 5, 9), 0x00123456u);
}

TEST(DrawingHelpers, Frame3DAndDither)
{
    QImage image = canvas();
    QPainter dc(&image);
    TRect r { 0, 0, 8, 8 };
    Frame3D(dc, r, 0x0000FF, 0x00FF00, true);
    EXPECT_EQ((std::array { r.Left, r.Top, r.Right, r.Bottom }), (std::array { 1, 1, 8, 8 }));
    TRect s { 0, 0, 8, 8 };
    Frame3D(dc, s, 0x0000FF, 0x00FF00, false);
    EXPECT_EQ((std::array { s.Right, s.Bottom }), (std::array { 7, 7 }));
    DitherRect(dc, TRect { 8, 8, 16, 16 }, 0xFF0000, 0x00FFFF);
    dc.end();
    EXPECT_EQ(at(image, 0, 6), 0x0000FFu);
    EXPECT_EQ(at(image, 6, 0), 0x0000FFu);
    EXPECT_EQ(at(image, 7, 0), 0x00FF00u); // the top-right corner belongs to the bottom-right line
    EXPECT_EQ(at(image, 0, 7), 0x00FF00u);
    EXPECT_EQ(at(image, 7, 7), 0x00FF00u);
    EXPECT_EQ(at(image, 3, 3), 0x00123456u);
    // The checker is aligned to the device: even x + y take the first colour.
    EXPECT_EQ(at(image, 8, 8), 0xFF0000u);
    EXPECT_EQ(at(image, 9, 8), 0x00FFFFu);
    EXPECT_EQ(at(image, 9, 9), 0xFF0000u);
}

TEST(DrawingHelpers, GlyphIsCentredAndPaintsOnlySetBits)
{
    QImage image = canvas();
    QPainter dc(&image);
    const uint8_t corner[8] = { 0x80, 0, 0, 0, 0, 0, 0, 0x01 };
    // A 16-wide rectangle and an 8-wide glyph: (16 + 1 - 8) / 2 = 4.
    DrawGlyph(dc, TRect { 0, 0, 16, 16 }, 8, 8, corner, 0x0000FF);
    dc.end();
    EXPECT_EQ(at(image, 4, 4), 0x0000FFu);
    EXPECT_EQ(at(image, 11, 11), 0x0000FFu);
    EXPECT_EQ(at(image, 5, 4), 0x00123456u);
    EXPECT_EQ(at(image, 3, 3), 0x00123456u);
}

TEST(DrawingHelpers, GradientRunsFromFirstToSecondColour)
{
    QImage image = canvas(64, 4);
    QPainter dc(&image);
    GradFill(dc, TRect { 0, 0, 64, 4 }, clBlack, 0x0000FF, true);
    dc.end();
    EXPECT_LE(image.pixelColor(0, 1).red(), 8);
    EXPECT_GE(image.pixelColor(63, 1).red(), 247);
    EXPECT_LT(image.pixelColor(20, 1).red(), image.pixelColor(40, 1).red());
    EXPECT_EQ(image.pixelColor(40, 1).blue(), 0);
}

TEST(ImageEffects, HighContrastAndTint)
{
    // Luminance of white is 255 x 255 = 65025: black, then lightened by 32.
    EXPECT_EQ(HighContrastPixel(0xFFFFFFFF), 0xFF202020u);
    EXPECT_EQ(HighContrastPixel(0xFF000000), 0xFFFFFFFFu);
    // Mid grey 0x80 weighs 128 x 255 = 32640: kept, then lightened.
    EXPECT_EQ(HighContrastPixel(0xFF808080), 0xFFA0A0A0u);
    EXPECT_THROW(TintedPixel(0xFF808080, 3), EAssertionFailed);
    const uint32_t faint = TintedPixel(0xFF000000, 0), strong = TintedPixel(0xFF000000, 2);
    EXPECT_LT(faint & 0xFF, strong & 0xFF); // more of the face at the higher intensity
}

TEST(ToolbarText, AcceleratorMarks)
{
    EXPECT_EQ(StripAccelChars("Save &As"), "Save As");
    EXPECT_EQ(StripAccelChars("A&&B"), "A&B");
    EXPECT_EQ(StripAccelChars("&&&x"), "&x");
    EXPECT_EQ(StripAccelChars("end&"), "end");
    EXPECT_EQ(StripAccelChars(""), "");
}

TEST(ToolbarText, RotatedTextShortensToTheHeight)
{
    const QFont font("DejaVu Sans", 9);
    EXPECT_EQ(FitRotatedText("Tools", font, 1000), "Tools");
    const QString fitted = FitRotatedText("A rather long caption", font, 40);
    EXPECT_TRUE(fitted.endsWith("..."));
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(fitted), 40);
    EXPECT_EQ(FitRotatedText("Tools", font, 2), "T...");
}
