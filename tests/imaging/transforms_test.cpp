#include "imaging/dibgraphic.h"
#include "imaging/transforms.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

// A 4 x 3 true-colour picture whose every pixel has its own colour.
void makeNumbered(TDibGraphic& p, int w = 4, int h = 3)
{
    p.NewImage(w, h, ifTrueColor, nullptr, 0, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.SetPixelColor(x, y, MakeRgb(uint8_t(x * 40), uint8_t(y * 40), 7));
}

void rotate(TDibGraphic& picture, double angle)
{
    TRotateTransform r;
    r.SetAngle(angle);
    r.Apply(picture);
}

} // namespace

TEST(RotateTransform, WholeAnglesTurnEveryPixelExactly)
{
    TDibGraphic source, p;
    makeNumbered(source);
    const int w = 4, h = 3;
    // The picture expected after the given number of clockwise quarter turns.
    TDibGraphic want;
    auto turned = [&](int quarters) -> const TDibGraphic& {
        const bool across = quarters % 2 != 0;
        want.NewImage(across ? h : w, across ? w : h, ifTrueColor, nullptr, 0, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int to[4][2]
                    = { { x, y }, { h - 1 - y, x }, { w - 1 - x, h - 1 - y }, { y, w - 1 - x } };
                want.SetPixelColor(to[quarters][0], to[quarters][1], source.GetPixelColor(x, y));
            }
        return want;
    };
    struct Case {
        double angle;
        int quarters;
    };
    for (const Case c : { Case { 0, 0 }, Case { 720, 0 }, Case { 90, 1 }, Case { 450, 1 }, Case { 90.004, 1 },
             Case { -270, 1 }, Case { 180, 2 }, Case { -180, 2 }, Case { 270, 3 }, Case { -90, 3 } }) {
        p.Assign(&source);
        rotate(p, c.angle);
        EXPECT_EQ(maxDifference(p, turned(c.quarters)), 0) << c.angle;
    }

    // Four quarter turns give the picture back; paletted pictures keep indices and palette.
    TDibGraphic indexed;
    makeBlockPicture(indexed, ifColor16, 37, 21);
    TDibGraphic round;
    round.Assign(&indexed);
    for (int i = 0; i < 4; ++i)
        rotate(round, 90);
    ASSERT_EQ(round.Width(), 37);
    EXPECT_EQ(round.ImageFormat(), ifColor16);
    EXPECT_EQ(std::memcmp(round.Bits(), indexed.Bits(), indexed.BitmapInfo().bmiHeader.biSizeImage), 0);
}

TEST(RotateTransform, FortyFiveDegreesOfTenByTen)
{
    TDibGraphic p;
    p.NewImage(10, 10, ifTrueColor, nullptr, 0, 0);
    p.Fill(0x000000);
    TRotateTransform r;
    r.SetAngle(45);
    EXPECT_EQ(r.BackgroundColor(), 0xFFFFFFu);
    TDibGraphic dest;
    r.ApplyOnDest(p, dest);
    EXPECT_EQ(dest.Width(), 13);
    EXPECT_EQ(dest.Height(), 14);
    EXPECT_EQ(dest.GetPixelColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dest.GetPixelColor(12, 0), 0xFFFFFFu);
    EXPECT_EQ(dest.GetPixelColor(0, 13), 0xFFFFFFu);
    EXPECT_EQ(dest.GetPixelColor(12, 13), 0xFFFFFFu);
    EXPECT_EQ(dest.GetPixelColor(6, 7), 0u); // the centre is picture
    // On a paletted picture the background takes the nearest palette entry.
    TDibGraphic gray;
    gray.NewImage(10, 10, ifGray16, nullptr, 0, 0);
    r.SetBackgroundColor(MakeRgb(100, 100, 100));
    r.ApplyOnDest(gray, dest);
    EXPECT_EQ(dest.GetPixelIndex(0, 0), 6); // 102 is the nearest of i * 17
}

TEST(NegativeTransform, EveryFormat)
{
    TDibGraphic p;
    p.NewImage(3, 2, ifTrueColor, nullptr, 0, 0);
    p.SetPixelColor(2, 1, 0x102030);
    TNegativeTransform negative;
    std::vector<int> percents;
    negative.OnPercentDone = [&](platform::TObject*, int percent) { percents.push_back(percent); };
    negative.Apply(p);
    EXPECT_EQ(p.GetPixelColor(2, 1), 0xEFDFCFu);
    EXPECT_EQ(p.GetPixelColor(0, 0), 0xFFFFFFu);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);

    p.NewImage(9, 2, ifBlackWhite, nullptr, 0, 0);
    p.SetPixelIndex(8, 0, 1);
    negative.Apply(p);
    EXPECT_EQ(p.GetPixelIndex(8, 0), 0);
    EXPECT_EQ(p.GetPixelIndex(0, 1), 1);

    p.NewImage(3, 1, ifGray16, nullptr, 0, 0);
    p.SetPixelIndex(0, 0, 3);
    p.SetPixelIndex(1, 0, 15);
    negative.Apply(p);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 12);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(p.GetPixelIndex(2, 0), 15);

    p.NewImage(2, 1, ifGray256, nullptr, 0, 0);
    p.SetPixelIndex(0, 0, 200);
    negative.Apply(p);
    EXPECT_EQ(p.GetPixelColor(0, 0), MakeRgb(55, 55, 55));
}

TEST(NegativeTransform, SixteenColoursKeepIndicesAndInvertThePalette)
{
    TDibGraphic p;
    makeBlockPicture(p, ifColor16, 40, 20);
    TDibGraphic original;
    original.Assign(&p);
    TNegativeTransform negative;
    negative.Apply(p);
    EXPECT_EQ(p.ImageFormat(), ifColor16);
    EXPECT_EQ(p.LogPalette().palNumEntries, 16);
    for (int i = 0; i < 16; ++i) {
        const auto& a = original.LogPalette().palPalEntry[i];
        const auto& b = p.LogPalette().palPalEntry[i];
        EXPECT_EQ(b.peRed, 255 - a.peRed);
        EXPECT_EQ(b.peGreen, 255 - a.peGreen);
        EXPECT_EQ(b.peBlue, 255 - a.peBlue);
    }
    EXPECT_EQ(std::memcmp(p.Bits(), original.Bits(), original.BitmapInfo().bmiHeader.biSizeImage), 0);
    TDibGraphic dest;
    negative.ApplyOnDest(original, dest);
    EXPECT_EQ(dest.GetPixelColor(0, 0), p.GetPixelColor(0, 0));
}

TEST(ImageTransform, BaseClassIsNotImplemented)
{
    TImageTransform base;
    TDibGraphic p;
    p.NewImage(2, 2, ifTrueColor, nullptr, 0, 0);
    try {
        base.Apply(p);
        FAIL() << "no exception";
    } catch (const EPictorelError& e) {
        EXPECT_STREQ(e.what(), "Method \"ApplyOnDest\" not implemented for TImageTransform class");
    }
    EXPECT_EQ(p.Width(), 2);
}
