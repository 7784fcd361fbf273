// Writing TIFF files: every picture format with every compression it accepts, read back; what
// lands in the file, checked by reading its directories without the TIFF library; multi-page
// files; the compression rules.
#include "imaging/tiffgraphic.h"
#include "platform/core/stream.h"
#include "testimages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <regex>

using namespace testimages;

namespace {

class TiffWrite : public ::testing::Test {
protected:
    void SetUp() override { initialize(); }
};

const TImageFormat kFormats[] = { ifBlackWhite, ifGray16, ifGray256, ifColor16, ifColor256, ifTrueColor };
const TTiffCompression kCompressions[]
    = { tcNone, tcPackbits, tcCcittGroup3_1D, tcCcittGroup3_2D, tcCcittGroup4, tcZLib, tcJpeg, tcLzw };

bool accepted(TImageFormat format, TTiffCompression compression)
{
    switch (compression) {
    case tcCcittGroup3_1D:
    case tcCcittGroup3_2D:
    case tcCcittGroup4:
        return format == ifBlackWhite;
    case tcJpeg:
        return format == ifGray256 || format == ifTrueColor;
    default:
        return true;
    }
}

// A picture of odd size whose every pixel differs from its neighbours, with a palette of the
// picture's own for the colour formats.
void paint(TDibGraphic& picture, TImageFormat format, int width = 53, int height = 31)
{
    platform::TLogPalette palette {};
    const platform::TLogPalette* usePalette = nullptr;
    if (format == ifColor16 || format == ifColor256) {
        palette.palNumEntries = format == ifColor16 ? 16 : 256;
        for (int i = 0; i < palette.palNumEntries; ++i) {
            palette.palPalEntry[i].peRed = static_cast<uint8_t>(i == 1 ? 255 : i * 37);
            palette.palPalEntry[i].peGreen = static_cast<uint8_t>(255 - i * 13);
            palette.palPalEntry[i].peBlue = static_cast<uint8_t>(i * 91);
        }
        usePalette = &palette;
    }
    picture.NewImage(width, height, format, usePalette, 0, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (format == ifTrueColor) {
                picture.SetPixelColor(x, y,
                    MakeRgb(static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 8),
                        static_cast<uint8_t>((x + y) * 3)));
            } else {
                const int levels = 1 << ImageFormatBitCount(format);
                picture.SetPixelIndex(x, y, (x * 3 + y * 7 + x * y) % levels);
            }
        }
}

// A smooth picture for the lossy coder.
void paintSmooth(TDibGraphic& picture, TImageFormat format)
{
    picture.NewImage(64, 48, format, nullptr, 0, 0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            picture.SetPixelColor(x, y,
                format == ifTrueColor ? MakeRgb(static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5), 128)
                                      : MakeRgb(static_cast<uint8_t>(x * 3), static_cast<uint8_t>(x * 3),
                                          static_cast<uint8_t>(x * 3)));
}

TEST_F(TiffWrite, EveryFormatWithEveryAcceptedCompressionSurvivesARoundTrip)
{
    int tried = 0;
    for (TImageFormat format : kFormats)
        for (TTiffCompression compression : kCompressions) {
            if (!accepted(format, compression))
                continue;
            SCOPED_TRACE(ImageFormatName(format) + " / " + TiffCompressionName(compression));
            TTiffGraphic picture;
            if (compression == tcJpeg)
                paintSmooth(picture, format);
            else
                paint(picture, format);
            picture.SetCompression(compression);
            platform::TMemoryStream stream;
            picture.SaveToStream(stream);

            const auto ifds = readIfds(stream.Bytes());
            ASSERT_EQ(ifds.size(), 1u);
            const auto& ifd = ifds[0];
            EXPECT_EQ(ifd.at(TIFFTAG_IMAGEWIDTH).values.at(0), uint32_t(picture.Width()));
            EXPECT_EQ(ifd.at(TIFFTAG_SUBFILETYPE).values.at(0), uint32_t(FILETYPE_PAGE));
            const bool ccitt = compression == tcCcittGroup3_1D || compression == tcCcittGroup3_2D
                || compression == tcCcittGroup4;
            if (ccitt) { // written white-is-zero, as other programs expect of these codings
                EXPECT_EQ(ifd.at(TIFFTAG_PHOTOMETRIC).values.at(0), uint32_t(PHOTOMETRIC_MINISWHITE));
            }

            stream.SetPosition(0);
            TTiffGraphic back;
            back.LoadFromStream(stream);
            EXPECT_EQ(back.ImageFormat(), format);
            EXPECT_EQ(back.Compression(), compression);
            if (compression == tcJpeg) {
                EXPECT_LE(maxDifference(picture, back), 12);
            } else {
                EXPECT_EQ(maxDifference(picture, back), 0);
                if (format != ifTrueColor) {
                    EXPECT_EQ(back.GetPixelIndex(11, 7), picture.GetPixelIndex(11, 7));
                }
            }
            ++tried;
        }
    EXPECT_EQ(tried, 6 * 4 + 3 + 2);
}

TEST_F(TiffWrite, FieldsTheReaderDoesNotNeedAreWrittenForOtherPrograms)
{
    for (TImageFormat format : { ifBlackWhite, ifColor256, ifTrueColor }) {
        SCOPED_TRACE(ImageFormatName(format));
        TTiffGraphic picture;
        paint(picture, format);
        picture.SetCompression(tcLzw);
        platform::TMemoryStream stream;
        picture.SaveToStream(stream);
        const auto ifd = readIfds(stream.Bytes()).at(0);
        EXPECT_EQ(ifd.at(TIFFTAG_SAMPLESPERPIXEL).values.at(0), format == ifTrueColor ? 3u : 1u);
        EXPECT_EQ(ifd.at(TIFFTAG_PLANARCONFIG).values.at(0), uint32_t(PLANARCONFIG_CONTIG));
        EXPECT_EQ(ifd.at(TIFFTAG_ORIENTATION).values.at(0), uint32_t(ORIENTATION_TOPLEFT));
        EXPECT_EQ(ifd.at(TIFFTAG_RESOLUTIONUNIT).values.at(0), uint32_t(RESUNIT_INCH));
    }
    // JPEG: eight rows per strip whatever is asked.
    TTiffGraphic picture;
    paintSmooth(picture, ifTrueColor);
    picture.SetCompression(tcJpeg);
    picture.SetRowsPerStrip(100);
    platform::TMemoryStream stream;
    picture.SaveToStream(stream);
    EXPECT_EQ(readIfds(stream.Bytes()).at(0).at(TIFFTAG_ROWSPERSTRIP).values.at(0), 8u);
}

TEST_F(TiffWrite, ReverseFillOrderIsWrittenAndReadBack)
{
    TTiffGraphic picture;
    paint(picture, ifBlackWhite);
    picture.SetReverseFillOrder(true);
    platform::TMemoryStream stream;
    picture.SaveToStream(stream);
    EXPECT_EQ(readIfds(stream.Bytes()).at(0).at(TIFFTAG_FILLORDER).values.at(0), uint32_t(FILLORDER_LSB2MSB));
    stream.SetPosition(0);
    TTiffGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(maxDifference(picture, back), 0);
}

TEST_F(TiffWrite, TextsResolutionAndStripsGoIntoTheFile)
{
    TTiffGraphic picture;
    paint(picture, ifTrueColor);
    picture.SetXDotsPerInch(300);
    picture.SetYDotsPerInch(150);
    picture.DocumentName = "Pile P-12";
    picture.ImageDescription = "Cross section";
    picture.Model = "Model";
    picture.Artist = "Designer";
    picture.UserTags(1).Value = "first";
    picture.UserTags(7).Value = "seventh";
    picture.UserTags(7).WriteOnSave = true;
    picture.UserTags(8).Value = "not written";
    picture.SetRowsPerStrip(10);
    platform::TMemoryStream stream;
    picture.SaveToStream(stream);

    const auto ifd = readIfds(stream.Bytes()).at(0);
    EXPECT_EQ(ifd.at(269).text, "Pile P-12");
    EXPECT_EQ(ifd.at(315).text, "Designer");
    EXPECT_TRUE(std::regex_match(ifd.at(306).text, std::regex(R"(\d{4}:\d\d:\d\d \d\d:\d\d:\d\d)")))
        << ifd.at(306).text;
    EXPECT_EQ(ifd.at(40000).text, "first");
    EXPECT_EQ(ifd.at(40006).text, "seventh");
    EXPECT_EQ(ifd.count(40007), 0u);
    EXPECT_EQ(ifd.at(TIFFTAG_XRESOLUTION).values.at(0), 300u);
    EXPECT_EQ(ifd.at(TIFFTAG_YRESOLUTION).values.at(0), 150u);
    EXPECT_EQ(ifd.at(TIFFTAG_ROWSPERSTRIP).values.at(0), 10u);
    EXPECT_EQ(ifd.at(TIFFTAG_STRIPOFFSETS).count, 4u); // 31 rows in strips of 10

    stream.SetPosition(0);
    TTiffGraphic back;
    back.UserTags(7).ReadOnLoad = true;
    back.UserTags(2).Value = "kept: not read";
    back.LoadFromStream(stream);
    EXPECT_EQ(back.ImageDescription, "Cross section");
    EXPECT_EQ(back.Model, "Model");
    EXPECT_EQ(back.UserTags(1).Value, "first");
    EXPECT_EQ(back.UserTags(7).Value, "seventh");
    EXPECT_EQ(back.UserTags(2).Value, "kept: not read");
    EXPECT_EQ(back.XDotsPerInch(), 300);
    EXPECT_EQ(back.YDotsPerInch(), 150);
    EXPECT_EQ(back.RowsPerStrip(), 10);

    // A text that the file lacks reads as empty.
    picture.ImageDescription.clear();
    platform::TMemoryStream second;
    picture.SaveToStream(second);
    second.SetPosition(0);
    back.LoadFromStream(second);
    EXPECT_EQ(back.ImageDescription, "");
}

TEST_F(TiffWrite, CompressionRulesOfThePictureFormats)
{
    for (TImageFormat format : kFormats)
        for (TTiffCompression compression : kCompressions) {
            if (accepted(format, compression))
                EXPECT_NO_THROW(CheckTiffCompression(compression, format));
            else
                EXPECT_THROW(CheckTiffCompression(compression, format), EPictorelError)
                    << TiffCompressionName(compression) << " for " << ImageFormatName(format);
        }

    TTiffGraphic picture;
    paint(picture, ifColor256);
    EXPECT_EQ(picture.Compression(), tcPackbits);
    picture.SetCompression(tcLzw);
    try {
        picture.SetCompression(tcJpeg);
        ADD_FAILURE() << "JPEG accepted for a 256-colour picture";
    } catch (const EPictorelError& e) {
        EXPECT_STREQ(e.what(), "JPEG compression not supported with 256 color images");
    }
    EXPECT_EQ(picture.Compression(), tcLzw);

    TTiffGraphic bilevel;
    paint(bilevel, ifBlackWhite);
    EXPECT_EQ(bilevel.Compression(), tcCcittGroup4);

    // A new picture takes its format's compression; RowsPerStrip comes with an assignment.
    TTiffGraphic source;
    paint(source, ifGray256);
    source.SetCompression(tcJpeg);
    source.SetRowsPerStrip(12);
    TTiffGraphic copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.RowsPerStrip(), 12);
    EXPECT_EQ(copy.Compression(), tcPackbits);
    EXPECT_EQ(maxDifference(copy, source), 0);
}

TEST_F(TiffWrite, PagesAppendedOneByOneReadBackInOrder)
{
    TTiffGraphic pages[3];
    paint(pages[0], ifTrueColor);
    paint(pages[1], ifColor16, 20, 11);
    paint(pages[2], ifBlackWhite, 70, 5);
    pages[0].SetCompression(tcZLib);
    pages[1].SetCompression(tcLzw);

    platform::TMemoryStream stream;
    // On an empty stream the first append writes a complete file.
    pages[0].AppendToStream(stream);
    EXPECT_EQ(readIfds(stream.Bytes()).size(), 1u);
    stream.SetPosition(0);
    TTiffGraphic single;
    single.LoadFromStream(stream);
    EXPECT_EQ(maxDifference(single, pages[0]), 0);

    pages[1].AppendToStream(stream);
    pages[2].AppendToStream(stream);
    stream.SetPosition(0);
    TTiffGraphic reader;
    EXPECT_EQ(reader.GetImageCount(stream), 3);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        stream.SetPosition(0);
        reader.SetImageIndex(page);
        reader.LoadFromStream(stream);
        EXPECT_EQ(reader.ImageFormat(), pages[page - 1].ImageFormat());
        EXPECT_EQ(maxDifference(reader, pages[page - 1]), 0);
    }
    EXPECT_EQ(reader.Compression(), tcCcittGroup4);

    // The same through the protocol that asks for each page.
    platform::TMemoryStream second;
    TTiffGraphic writer;
    writer.SaveImagesToStream(second, 3, [&](int index, bool& freeIt) -> TDibGraphic* {
        freeIt = false;
        return &pages[index - 1];
    });
    second.SetPosition(0);
    TTiffGraphic all;
    all.SetLoadAllImages(true);
    all.LoadFromStream(second);
    ASSERT_EQ(all.FrameCount(), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(maxDifference(all.Frames(page), pages[page - 1]), 0);
}

TEST_F(TiffWrite, SavingAfterOtherBytesKeepsThemAndTheFileWhole)
{
    TTiffGraphic picture;
    paint(picture, ifGray256);
    picture.SetCompression(tcZLib);
    platform::TMemoryStream stream;
    stream.WriteBuffer("head", 4);
    picture.SaveToStream(stream);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 4), "head");
    stream.SetPosition(4);
    TTiffGraphic back;
    back.LoadFromStream(stream);
    EXPECT_EQ(maxDifference(picture, back), 0);
}

} // namespace
