// Committed files: pictures decoded by ImageMagick must decode to the same pixels here, and every
// bad file must give its error code without reading out of bounds.
#include "tests/imaging_bmc/testsupport.h"

#include <filesystem>
#include <regex>
#include <set>

using namespace bmctest;

namespace {

struct CrossCheck {
    const char* file;
    const char* options;
    int bpp;
    // 5-bit components: this reader shifts them left by 3, ImageMagick scales them to 0..255;
    // the comparison scales ours the same way (to within its rounding).
    bool fiveBit = false;
};

// The reader swaps the two entries of a 1-bit BMP palette unless asked for "inv"; ImageMagick
// takes the palette as it stands, so the comparison asks for it.
const CrossCheck crossChecks[] = {
    { "im_bmp24.bmp", "", 24 },
    { "im_bmp8.bmp", "", 8 },
    { "im_bmp8_rle.bmp", "", 8 },
    { "im_bmp4.bmp", "", 4 },
    { "im_bmp1.bmp", "inv", 1 },
    { "im_os2_8.bmp", "", 8 },
    { "im_os2_24.bmp", "", 24 },
    { "hand_rle8_delta.bmp", "", 8 },
    { "hand_rle4_delta.bmp", "", 4 },
    { "im_pcx24.pcx", "", 24 },
    { "im_pcx8.pcx", "", 8 },
    { "hand_pcx8.pcx", "", 8 },
    { "hand_pcx4_planar.pcx", "", 4 },
    { "hand_pcx4_packed.pcx", "", 4 },
    { "im_tga24.tga", "", 24 },
    { "im_tga24_rle.tga", "", 24 },
    { "im_tga32.tga", "", 24 },
    { "im_tga8.tga", "", 8 },
    { "im_tga8_rle.tga", "", 8 },
    { "im_tga_gray.tga", "", 8 },
    { "im_tga_gray_rle.tga", "", 8 },
    { "hand_tga16.tga", "", 24, true },
    { "hand_tga16_rle_topdown.tga", "", 24, true },
    { "hand_tga8_map_first.tga", "", 8 },
};

} // namespace

TEST(BmcFixtures, DecodeLikeImageMagick)
{
    for (const CrossCheck& c : crossChecks) {
        SCOPED_TRACE(c.file);
        const pnm::Pnm ref = pnm::readPnm(dataPath(c.file) + ".ppm");
        Picture pic;
        ASSERT_EQ(readPicture(dataPath(c.file), c.options, pic), BMC_ERR_OK);
        EXPECT_EQ(pic.bmc.bpp, c.bpp);
        ASSERT_EQ(pic.bmc.w, ref.width);
        ASSERT_EQ(pic.bmc.h, ref.height);
        auto rgb = toRgb(pic);
        if (c.fiveBit) {
            for (std::size_t i = 0; i < rgb.size(); ++i) {
                ASSERT_EQ(rgb[i] & 7, 0) << "low bits of a widened 5-bit component";
                const int scaled = (rgb[i] >> 3) * 255 / 31;
                if (std::abs(scaled - ref.data[i]) <= 1)
                    rgb[i] = ref.data[i];
            }
        }
        std::size_t firstDiff = 0;
        while (firstDiff < rgb.size() && rgb[firstDiff] == ref.data[firstDiff])
            ++firstDiff;
        EXPECT_EQ(firstDiff, rgb.size())
            << "first difference at pixel " << firstDiff / 3 << " (x " << firstDiff / 3 % ref.width
            << ", y from top " << firstDiff / 3 / ref.width << ")";
    }
}

TEST(BmcFixtures, OneBitPcxIsBlackForZeroAndWhiteForOne)
{
    // ImageMagick 6.9 shows this file the other way round; the writer here relies on 0 = black
    // (it complements lines whose palette says otherwise), so the reader keeps that convention.
    Picture pic;
    ASSERT_EQ(readPicture(dataPath("hand_pcx1.pcx"), "", pic), BMC_ERR_OK);
    ASSERT_EQ(pic.bmc.bpp, 1);
    EXPECT_EQ(pic.pal[0].r + pic.pal[0].g + pic.pal[0].b, 0);
    EXPECT_EQ(pic.pal[1].r + pic.pal[1].g + pic.pal[1].b, 3 * 255);
    for (int y = 0; y < pic.bmc.h; ++y) {
        const int fileRow = pic.bmc.h - 1 - y; // the file starts at the top
        for (int x = 0; x < pic.bmc.w; ++x)
            ASSERT_EQ(pixelIndex(pic, x, y), (x + fileRow) % 3 ? 1 : 0) << x << "," << y;
    }
}

TEST(BmcFixtures, EarlyEndOfBitmapLeavesTheRestAtIndexZero)
{
    Picture pic;
    ASSERT_EQ(readPicture(dataPath("bmp_rle8_early_end.bmp"), "", pic), BMC_ERR_OK);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(pixelIndex(pic, x, 0), 5);
        EXPECT_EQ(pixelIndex(pic, x, 2), 0);
    }
    EXPECT_EQ(pixelIndex(pic, 1, 1), 6);
    EXPECT_EQ(pixelIndex(pic, 2, 1), 0);
}

TEST(BmcFixtures, EveryBadFileGivesItsCode)
{
    // bad_<format>_<code>_<what>.<ext>
    const std::regex pattern("bad_[a-z]+_([0-9]+)_.*");
    std::set<int> codes;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataPath(""))) {
        const std::string name = entry.path().filename().string();
        std::smatch m;
        if (!std::regex_match(name, m, pattern))
            continue;
        const int expected = std::stoi(m[1]);
        Picture pic;
        EXPECT_EQ(readPicture(entry.path().string(), "", pic), expected) << name;
        EXPECT_STRNE(bmc_err(expected), "general error") << expected;
        codes.insert(expected);
        ++count;
    }
    EXPECT_GE(count, 40);
    // Every code a bad file can reach. 304 cannot: only the first bitmap of an array is read.
    const std::set<int> reachable { 5, 6, 7, 300, 301, 302, 303, 400, 401, 402, 700, 701, 702, 703 };
    EXPECT_EQ(codes, reachable);
}

TEST(BmcFixtures, EveryPrefixOfAGoodFileFailsCleanlyOrDecodes)
{
    // Cutting a file anywhere must give a code (or, past the pixels, a picture), never a crash.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataPath(""))) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("im_", 0) != 0 && name.rfind("hand_", 0) != 0)
            continue;
        if (entry.path().extension() == ".ppm")
            continue;
        const auto bytes = readFile(entry.path().string());
        ++files;
        const std::string tmp = ::testing::TempDir() + "/prefix" + entry.path().extension().string();
        for (std::size_t len = 0; len < bytes.size(); len += 1 + len / 64) {
            {
                std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
                out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(len));
            }
            Picture pic;
            const int rc = readPicture(tmp, "", pic);
            if (rc == BMC_ERR_OK) {
                EXPECT_GT(len, 18u) << name << " cut at " << len;
            } else {
                EXPECT_NE(std::string(bmc_err(rc)), "general error") << name << " cut at " << len;
            }
        }
        std::remove(tmp.c_str());
    }
    EXPECT_GE(files, 20);
}
