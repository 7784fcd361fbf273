// Reading TIFF files written by the TIFF library's own tools (tiffcp, tiffset) and by
// ImageMagick, against the generated pictures they were made from.
#include "imaging/tiffgraphic.h"
#include "platform/core/picture.h"
#include "platform/core/stream.h"
#include "testimages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>

using namespace testimages;

namespace {

// A tag extension installed before the picture library's: the library must chain to it.
int g_previousExtenderCalls = 0;
TIFFExtendProc g_extenderBeforeUs = nullptr;
void previousExtender(TIFF* tif)
{
    ++g_previousExtenderCalls;
    static TIFFFieldInfo info[] = { { 50123, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
        const_cast<char*>("ChainTestTag") } };
    TIFFMergeFieldInfo(tif, info, 1);
    if (g_extenderBeforeUs)
        g_extenderBeforeUs(tif);
}
const bool g_installedFirst = [] {
    g_extenderBeforeUs = TIFFSetTagExtender(previousExtender);
    return true;
}();

std::unique_ptr<TTiffGraphic> load(const std::string& name, int index = 1)
{
    auto picture = std::make_unique<TTiffGraphic>();
    picture->SetImageIndex(index);
    platform::TFileStream stream(tiffPath(name), platform::fmOpenRead);
    picture->LoadFromStream(stream);
    return picture;
}

class TiffRead : public ::testing::Test {
protected:
    void SetUp() override { initialize(); }
};

TEST_F(TiffRead, RgbFilesOfEveryLayoutReadExactly)
{
    const Pnm source = readPnm(tiffPath("rgb.ppm"));
    const struct {
        const char* file;
        TTiffCompression compression;
    } cases[] = { { "rgb_none.tif", tcNone }, { "rgb_packbits.tif", tcPackbits }, { "rgb_lzw.tif", tcLzw },
        { "rgb_zip.tif", tcZLib }, { "rgb_lzw_predictor.tif", tcLzw }, { "rgb_zip_strips5.tif", tcZLib },
        { "rgb_tiled.tif", tcLzw }, { "rgb_separate.tif", tcLzw }, { "rgb_bigendian.tif", tcLzw } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto picture = load(c.file);
        EXPECT_EQ(picture->ImageFormat(), ifTrueColor);
        EXPECT_EQ(picture->Compression(), c.compression);
        EXPECT_EQ(maxDifference(*picture, source), 0);
    }
    EXPECT_EQ(load("rgb_zip_strips5.tif")->RowsPerStrip(), 5);
}

TEST_F(TiffRead, JpegCompressedFilesReadWithinCodingError)
{
    // The sources have sharp detail that JPEG loses: ImageMagick's decoding is the reference.
    auto rgb = load("rgb_jpeg.tif");
    EXPECT_EQ(rgb->ImageFormat(), ifTrueColor);
    EXPECT_EQ(rgb->Compression(), tcJpeg);
    EXPECT_LE(maxDifference(*rgb, readPnm(tiffPath("rgb_jpeg_reference.ppm"))), 4);
    auto gray = load("gray8_jpeg.tif");
    EXPECT_EQ(gray->ImageFormat(), ifGray256);
    EXPECT_LE(maxDifference(*gray, readPnm(tiffPath("gray8_jpeg_reference.pgm"))), 1);
    EXPECT_LE(maxDifference(*gray, readPnm(tiffPath("gray.pgm"))), 16);
}

TEST_F(TiffRead, GrayFilesKeepTheirLevels)
{
    const Pnm gray = readPnm(tiffPath("gray.pgm"));
    // Sixteen bits per sample: the high byte of each sample.
    for (const char* file : { "gray8_none.tif", "gray8_packbits.tif", "gray8_lzw.tif", "gray8_zip.tif",
             "gray16_none.tif", "gray16_lzw.tif" }) {
        SCOPED_TRACE(file);
        auto picture = load(file);
        ASSERT_EQ(picture->ImageFormat(), ifGray256);
        EXPECT_EQ(maxDifference(*picture, gray), 0);
    }
    const Pnm gray4 = readPnm(tiffPath("gray4.pgm"));
    for (const char* file : { "gray4_none.tif", "gray4_packbits.tif", "gray4_lzw.tif", "gray4_zip.tif" }) {
        SCOPED_TRACE(file);
        auto picture = load(file);
        ASSERT_EQ(picture->ImageFormat(), ifGray16);
        EXPECT_EQ(maxDifference(*picture, gray4), 0);
        EXPECT_EQ(picture->GetPixelIndex(3, 2), gray4.value(3, 2) / 17);
    }
}

TEST_F(TiffRead, PaletteFilesKeepTheirColours)
{
    const struct {
        const char* file;
        const char* source;
        TImageFormat format;
    } cases[] = { { "palette8_none.tif", "palette8.ppm", ifColor256 },
        { "palette8_packbits.tif", "palette8.ppm", ifColor256 },
        { "palette8_lzw.tif", "palette8.ppm", ifColor256 },
        { "palette8_zip.tif", "palette8.ppm", ifColor256 },
        { "palette4_none.tif", "palette4.ppm", ifColor16 }, { "palette4_lzw.tif", "palette4.ppm", ifColor16 },
        { "palette4_zip.tif", "palette4.ppm", ifColor16 },
        { "palette4_packbits.tif", "palette4.ppm", ifColor16 },
        // Rows of 1 and 2 bits per pixel are widened to 4.
        { "palette2_none.tif", "palette2.ppm", ifColor16 }, { "palette2_lzw.tif", "palette2.ppm", ifColor16 },
        { "palette1_none.tif", "palette1.ppm", ifColor16 }, { "palette1.tif", "palette1.ppm", ifColor16 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto picture = load(c.file);
        EXPECT_EQ(picture->ImageFormat(), c.format);
        EXPECT_EQ(maxDifference(*picture, readPnm(tiffPath(c.source))), 0);
    }
    // The widened picture keeps the file's own indices and a palette of its entries only.
    auto two = load("palette2_none.tif");
    EXPECT_EQ(two->LogPalette().palNumEntries, 4);
    for (int x = 0; x < two->Width(); ++x)
        EXPECT_LT(two->GetPixelIndex(x, 5), 4);
}

TEST_F(TiffRead, BilevelFilesOfEveryCodingShowBlackAsBlack)
{
    const Pnm bw = readPnm(tiffPath("bw.pbm"));
    const struct {
        const char* file;
        TTiffCompression compression;
    } cases[] = { { "bw_none.tif", tcNone }, { "bw_packbits.tif", tcPackbits }, { "bw_lzw.tif", tcLzw },
        { "bw_zip.tif", tcZLib }, { "bw_g4.tif", tcCcittGroup4 }, { "bw_g3_1d.tif", tcCcittGroup3_1D },
        { "bw_g3_2d.tif", tcCcittGroup3_2D }, { "bw_g4_lsb2msb.tif", tcCcittGroup4 },
        // Photometric 1 on a CCITT file is taken as the usual WhiteIsZero coding.
        { "bw_g4_photometric1.tif", tcCcittGroup4 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto picture = load(c.file);
        EXPECT_EQ(picture->ImageFormat(), ifBlackWhite);
        EXPECT_EQ(picture->Compression(), c.compression);
        EXPECT_EQ(maxDifference(*picture, bw), 0);
    }
    // The uncompressed bytes marked WhiteIsZero: the negative, whether rows are copied or the
    // library converts the tiles.
    Pnm negative = bw;
    for (auto& v : negative.data)
        v = static_cast<uint8_t>(255 - v);
    for (const char* file : { "bw_miniswhite.tif", "bw_miniswhite_tiled.tif" }) {
        SCOPED_TRACE(file);
        auto picture = load(file);
        EXPECT_EQ(picture->ImageFormat(), ifBlackWhite);
        EXPECT_EQ(maxDifference(*picture, negative), 0);
    }
}

TEST_F(TiffRead, WhiteIsZeroGrayIsTheNegativeWhateverThePath)
{
    const Pnm gray = readPnm(tiffPath("gray.pgm"));
    Pnm negative = gray;
    for (auto& v : negative.data)
        v = static_cast<uint8_t>(255 - v);
    EXPECT_EQ(maxDifference(*load("gray8_miniswhite.tif"), negative), 0);
    // Tiles and JPEG go through the library's colour conversion, which inverts already.
    EXPECT_EQ(maxDifference(*load("gray8_miniswhite_tiled.tif"), negative), 0);
    auto jpeg = load("gray8_miniswhite_jpeg.tif");
    EXPECT_LE(maxDifference(*jpeg, negative), 16);
    EXPECT_LE(maxDifference(*jpeg, readPnm(tiffPath("gray8_miniswhite_jpeg_reference.pgm"))), 1);
}

TEST_F(TiffRead, Orientation3IsTurnedUpright)
{
    const Pnm source = readPnm(tiffPath("rgb.ppm"));
    Pnm turned = source;
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            for (int c = 0; c < 3; ++c)
                turned.data[3 * (std::size_t(y) * source.width + x) + c] = source.data[3
                        * (std::size_t(source.height - 1 - y) * source.width + (source.width - 1 - x))
                    + c];
    EXPECT_EQ(maxDifference(*load("rgb_orientation3.tif"), turned), 0);
    EXPECT_EQ(maxDifference(*load("rgb_orientation3_tiled.tif"), turned), 0);
}

TEST_F(TiffRead, MissingRowsPerStripMeansOneStripOnTheNextSave)
{
    auto picture = load("gray8_no_rowsperstrip.tif");
    EXPECT_EQ(picture->RowsPerStrip(), 2147483647);
    EXPECT_EQ(maxDifference(*picture, readPnm(tiffPath("gray.pgm"))), 0);
    platform::TMemoryStream saved;
    picture->SaveToStream(saved);
    const auto ifds = readIfds(saved.Bytes());
    ASSERT_EQ(ifds.size(), 1u);
    EXPECT_EQ(ifds[0].at(TIFFTAG_STRIPOFFSETS).count, 1u);
}

TEST_F(TiffRead, MultiPageFilesReadPageByPage)
{
    platform::TFileStream stream(tiffPath("multipage.tif"), platform::fmOpenRead);
    TTiffGraphic counter;
    EXPECT_EQ(counter.GetImageCount(stream), 4);

    const TImageFormat formats[] = { ifTrueColor, ifGray256, ifBlackWhite, ifColor16 };
    const char* sources[] = { "rgb.ppm", "gray.pgm", "bw.pbm", "palette4.ppm" };
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        auto picture = load("multipage.tif", page);
        EXPECT_EQ(picture->ImageFormat(), formats[page - 1]);
        EXPECT_EQ(maxDifference(*picture, readPnm(tiffPath(sources[page - 1]))), 0);
    }

    TTiffGraphic all;
    all.SetLoadAllImages(true);
    stream.SetPosition(0);
    all.LoadFromStream(stream);
    ASSERT_EQ(all.FrameCount(), 4);
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(maxDifference(all.Frames(page), readPnm(tiffPath(sources[page - 1]))), 0);
    EXPECT_EQ(all.ImageFormat(), ifTrueColor); // the first page is shown

    EXPECT_THROW(load("multipage.tif", 5), ETiffError);
}

TEST_F(TiffRead, AFileInsideAStreamIsReadFromWhereTheStreamStands)
{
    const auto file = readFile(tiffPath("rgb_lzw.tif"));
    platform::TMemoryStream stream;
    stream.WriteBuffer("prefix", 6);
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(6);
    TTiffGraphic picture;
    picture.LoadFromStream(stream);
    EXPECT_EQ(maxDifference(picture, readPnm(tiffPath("rgb.ppm"))), 0);
}

TEST_F(TiffRead, CanLoadKnowsBothByteOrdersAndKeepsThePosition)
{
    for (const char* file : { "rgb_lzw.tif", "rgb_bigendian.tif" }) {
        platform::TFileStream stream(tiffPath(file), platform::fmOpenRead);
        EXPECT_TRUE(TTiffGraphic::CanLoad(stream)) << file;
        EXPECT_EQ(stream.Position(), 0);
    }
    for (std::string bytes :
        { std::string("II+\0", 4), std::string("MM\0+", 4), std::string("II*"), std::string() }) {
        platform::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        EXPECT_FALSE(TTiffGraphic::CanLoad(stream));
        EXPECT_EQ(stream.Position(), 0);
    }
}

TEST_F(TiffRead, RegisteredForTifAndTiff)
{
    for (const char* extension : { "TIF", "tiff" })
        EXPECT_EQ(platform::TPicture::ClassForExtension(extension), &TTiffGraphic::Class()) << extension;
    platform::TPicture picture;
    picture.LoadFromFile(tiffPath("palette8_lzw.tif"));
    ASSERT_NE(dynamic_cast<TTiffGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 37);
}

TEST_F(TiffRead, TagExtensionChainsToTheOneInstalledBefore)
{
    // A file carrying both a private tag of the picture library and one of the earlier extension:
    // the library can only write both when both extensions ran.
    const std::string path = (std::filesystem::temp_directory_path() / "fendrix_chain_test.tif").string();
    {
        TIFF* tif = TIFFOpen(path.c_str(), "w");
        ASSERT_NE(tif, nullptr);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        EXPECT_EQ(TIFFSetField(tif, 40000, "picture library"), 1);
        EXPECT_EQ(TIFFSetField(tif, 40019, "twentieth"), 1);
        EXPECT_EQ(TIFFSetField(tif, 50123, "earlier extension"), 1);
        uint8_t row[2] = { 10, 200 };
        TIFFWriteScanline(tif, row, 0, 0);
        TIFFClose(tif);
    }
    const int callsBefore = g_previousExtenderCalls;
    TTiffGraphic picture;
    picture.UserTags(20).ReadOnLoad = true;
    picture.LoadFromFile(path);
    EXPECT_GT(g_previousExtenderCalls, callsBefore);
    EXPECT_EQ(picture.UserTags(1).Value, "picture library");
    EXPECT_EQ(picture.UserTags(20).Value, "twentieth");
    EXPECT_EQ(picture.GetPixelIndex(1, 0), 200);
    const auto ifds = readIfds(readFile(path));
    EXPECT_EQ(ifds.at(0).at(50123).text, "earlier extension");
    std::remove(path.c_str());
}

} // namespace
