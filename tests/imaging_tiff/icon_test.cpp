// Icon pictures: icons written here byte by byte and by ImageMagick read to true colour, damaged
// icons refused, and pictures written as one-image icons and handed to the platform's icon.
#include "imaging/icongraphic.h"
#include "platform/core/icon.h"
#include "platform/core/picture.h"
#include "platform/core/stream.h"
#include "testimages.h"

#include <gtest/gtest.h>

using namespace testimages;

namespace {

class IconPicture : public ::testing::Test {
protected:
    void SetUp() override { initialize(); }
};

uint32_t tableColor(int i)
{
    if (i == 0)
        return 0;
    return MakeRgb(
        static_cast<uint8_t>(i * 53), static_cast<uint8_t>(i * 97), static_cast<uint8_t>(i * 29 + 7));
}

// The colour the fixture generator gave pixel (x, y) of an icon of the given size and bit count.
uint32_t expectedColor(int x, int y, int size, int bits, uint32_t background)
{
    if (x < size / 2 && y < size / 2)
        return background;
    if (bits == 24)
        return MakeRgb(
            static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8), static_cast<uint8_t>((x + y) * 4));
    return tableColor((x + 3 * y) % (1 << bits));
}

std::unique_ptr<TIconGraphic> loadIcon(const std::string& name, uint32_t background = 0xFFFFFF)
{
    auto picture = std::make_unique<TIconGraphic>();
    picture->SetBackgroundColor(background);
    platform::TFileStream stream(iconPath(name), platform::fmOpenRead);
    picture->LoadFromStream(stream);
    return picture;
}

bool canLoad(const std::string& name)
{
    platform::TFileStream stream(iconPath(name), platform::fmOpenRead);
    const bool result = TIconGraphic::CanLoad(stream);
    EXPECT_EQ(stream.Position(), 0);
    return result;
}

TEST_F(IconPicture, CanLoadOnlySixteenThirtyTwoAndSixtyFour)
{
    for (const char* file : { "palette4_16.ico", "rgb24_32.ico", "sizes_16_32_64.ico", "alpha32.ico" })
        EXPECT_TRUE(canLoad(file)) << file;
    for (const char* file :
        { "rgb24_48.ico", "png256.ico", "cursor_type2.ico", "no_images.ico", "truncated_directory.ico" })
        EXPECT_FALSE(canLoad(file)) << file;
}

TEST_F(IconPicture, MaskedIconsOfEveryDepthReadToTrueColour)
{
    const struct {
        const char* file;
        int size, bits;
    } cases[] = { { "rgb24_32.ico", 32, 24 }, { "palette8_32.ico", 32, 8 }, { "palette4_16.ico", 16, 4 },
        { "bw1_32.ico", 32, 1 },
        // Of several images the one of the system icon size is taken.
        { "sizes_16_32_64.ico", 32, 8 }, { "rgb24_48.ico", 48, 24 },
        // Where the mask is set the background shows, whatever colour lies under the mask.
        { "rgb24_32_colour_under_mask.ico", 32, 24 }, { "palette8_32_colour_under_mask.ico", 32, 8 } };
    for (uint32_t background : { 0xFFFFFFu, 0x123456u }) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.file);
            auto picture = loadIcon(c.file, background);
            ASSERT_EQ(picture->ImageFormat(), ifTrueColor);
            ASSERT_EQ(picture->Width(), c.size);
            ASSERT_EQ(picture->Height(), c.size);
            for (int y = 0; y < c.size; ++y)
                for (int x = 0; x < c.size; ++x)
                    ASSERT_EQ(picture->GetPixelColor(x, y), expectedColor(x, y, c.size, c.bits, background))
                        << x << "," << y;
        }
    }
}

TEST_F(IconPicture, AlphaChannelRulesAndImagesWithoutMaskRowsKeepTheirHeight)
{
    const uint32_t background = 0x2050A0;
    auto channel = [](uint32_t c, int shift) { return int((c >> shift) & 255); };
    // The generator's 32-bit images: clear in the top-left quarter, alpha 128 in rows 14-17.
    for (const char* file : { "alpha32_mask_disagrees.ico", "alpha32_no_mask_rows.ico" }) {
        SCOPED_TRACE(file);
        auto picture = loadIcon(file, background);
        ASSERT_EQ(picture->Width(), 32);
        ASSERT_EQ(picture->Height(), 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t colour = expectedColor(x, y, 32, 24, background);
                const uint32_t got = picture->GetPixelColor(x, y);
                const bool half = y >= 14 && y < 18 && colour != background;
                for (int shift : { 0, 8, 16 }) {
                    const double want = half
                        ? (channel(colour, shift) * 128 + channel(background, shift) * 127) / 255.0
                        : channel(colour, shift);
                    ASSERT_NEAR(channel(got, shift), want, 1.0) << x << "," << y;
                }
            }
    }
    // A bitmap as high as its directory entry says has no mask: all of it shows, opaque.
    auto picture = loadIcon("rgb24_32_no_mask_rows.ico", background);
    ASSERT_EQ(picture->Height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(picture->GetPixelColor(x, y),
                MakeRgb(static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 8),
                    static_cast<uint8_t>((x + y) * 4)))
                << x << "," << y;
}

TEST_F(IconPicture, DamagedIconsAreRefusedAndChangeNothing)
{
    auto picture = loadIcon("rgb24_32.ico");
    for (const char* file : { "truncated_directory.ico", "truncated_image.ico", "bad_offset.ico",
             "bad_width.ico", "bad_bitcount.ico", "no_images.ico", "cursor_type2.ico" }) {
        SCOPED_TRACE(file);
        platform::TFileStream stream(iconPath(file), platform::fmOpenRead);
        try {
            picture->LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const platform::EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Invalid icon");
        }
        EXPECT_EQ(picture->Width(), 32);
        EXPECT_EQ(picture->GetPixelColor(20, 20), expectedColor(20, 20, 32, 24, 0xFFFFFF));
    }
    platform::TFileStream png(iconPath("png256.ico"), platform::fmOpenRead);
    EXPECT_THROW(picture->LoadFromStream(png), platform::EInvalidGraphic);
}

// The one image of a written icon, read by the platform's icon.
platform::TIcon readBack(platform::TMemoryStream& stream)
{
    const uint8_t* p = stream.Memory();
    EXPECT_GE(stream.Size(), 22);
    EXPECT_EQ(p[4] | p[5] << 8, 1); // one image
    stream.SetPosition(0);
    platform::TIcon icon;
    icon.LoadFromStream(stream);
    return icon;
}

TEST_F(IconPicture, SavingWritesOneOpaqueImageOfTheSystemIconSize)
{
    ASSERT_EQ(platform::SystemIconWidth(), 32);
    // Smaller than an icon: black around it. Larger: cut off at the right and bottom.
    for (int size : { 10, 32, 50 }) {
        SCOPED_TRACE(size);
        TIconGraphic picture;
        picture.NewImage(size, size, ifTrueColor, nullptr, 0, 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                picture.SetPixelColor(
                    x, y, MakeRgb(static_cast<uint8_t>(x * 5 + 1), static_cast<uint8_t>(y * 5), 200));
        platform::TMemoryStream stream;
        picture.SaveToStream(stream);
        const platform::TIcon icon = readBack(stream);
        ASSERT_EQ(icon.Width(), 32);
        ASSERT_EQ(icon.Height(), 32);
        for (std::size_t i = 0; i < icon.Mask().size(); ++i)
            ASSERT_EQ(icon.Mask()[i], 0) << "transparent pixel " << i;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t want = x < size && y < size ? picture.GetPixelColor(x, y) : 0;
                ASSERT_EQ(icon.Pixels()[std::size_t(y) * 32 + x] & 0xFFFFFF, want) << x << "," << y;
            }
    }
}

TEST_F(IconPicture, RoundTripAndTheWayToThePlatformIcon)
{
    auto original = loadIcon("rgb24_32.ico", 0x345678);
    platform::TMemoryStream stream;
    original->SaveToStream(stream);
    stream.SetPosition(0);
    TIconGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(maxDifference(back, *original), 0);

    // Any picture reaches a platform icon through a temporary icon picture.
    TDibGraphic gray;
    gray.NewImage(32, 32, ifGray256, nullptr, 0, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            gray.SetPixelIndex(x, y, x * 8);
    platform::TIcon icon;
    gray.AssignTo(&icon);
    ASSERT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Pixels()[5 * 32 + 10] & 0xFFFFFF, MakeRgb(80, 80, 80));

    platform::TIcon fromIconPicture;
    original->AssignTo(&fromIconPicture);
    EXPECT_EQ(fromIconPicture.Pixels()[20 * 32 + 20] & 0xFFFFFF, original->GetPixelColor(20, 20));

    // And back: a picture assigned from an icon shows it on black.
    platform::TIcon loaded;
    platform::TFileStream file(iconPath("rgb24_32.ico"), platform::fmOpenRead);
    loaded.LoadFromStream(file);
    TDibGraphic fromIcon;
    fromIcon.Assign(&loaded);
    EXPECT_EQ(fromIcon.GetPixelColor(0, 0), 0u);
    EXPECT_EQ(fromIcon.GetPixelColor(20, 20), expectedColor(20, 20, 32, 24, 0));
}

TEST_F(IconPicture, NotRegisteredForAnyExtension)
{
    EXPECT_EQ(platform::TPicture::ClassForExtension("ico"), nullptr);
    for (const auto& entry : ExtensionList())
        EXPECT_NE(entry.pictureClass, &TIconGraphic::Class());
}

TEST_F(IconPicture, TruncationAtEveryLength)
{
    const auto whole = readFile(iconPath("sizes_16_32_64.ico"));
    for (std::size_t length = 0; length < whole.size(); length += 13) {
        platform::TMemoryStream stream;
        stream.WriteBuffer(whole.data(), static_cast<int64_t>(length));
        stream.SetPosition(0);
        TIconGraphic picture;
        EXPECT_THROW(picture.LoadFromStream(stream), platform::EInvalidGraphic) << length;
    }
}

} // namespace
