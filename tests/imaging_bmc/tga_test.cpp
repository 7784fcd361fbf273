// Targa: writer options and their conflicts, round trips, row order and the colour map.
#include "imaging/bmc/bmcutil.h"
#include "tests/imaging_bmc/testsupport.h"

using namespace bmctest;

namespace {

class Targa : public MemoryIoTest { };

} // namespace

TEST_F(Targa, RoundTripsEveryDepthOption)
{
    struct Case {
        int bpp;
        const char* opt;
        int fileBits;
        std::uint8_t descriptor;
    };
    const Case cases[] = {
        { 8, "", 8, 0 },
        { 8, "ydown", 8, 0x20 },
        { 24, "", 24, 0 },
        { 24, "24", 24, 0 },
        { 24, "32", 32, 0 },
        { 24, "16", 16, 0 },
        { 24, "yup", 24, 0 },
        { 24, "ydown 32", 32, 0x20 },
        { 24, "YDOWN 16", 16, 0x20 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bpp) + " '" + c.opt + "'");
        Picture pic = makePicture(13, 7, c.bpp, 3);
        ASSERT_EQ(writePicture("t.tga", pic, c.opt), BMC_ERR_OK);
        const auto& file = MemFs::files["t.tga"];
        ASSERT_GE(file.size(), 18u);
        EXPECT_EQ(file[16], c.fileBits);
        EXPECT_EQ(file[17], c.descriptor);
        const std::size_t expected = 18 + (c.bpp == 8 ? 768 : 0) + 13u * 7u * (c.fileBits / 8);
        EXPECT_EQ(file.size(), expected);
        for (std::size_t i = 18 + 3; c.fileBits == 32 && i < file.size(); i += 4)
            ASSERT_EQ(file[i], 0xFF) << "32-bit pixels are written opaque";

        Picture back;
        ASSERT_EQ(readPicture("t.tga", "", back), BMC_ERR_OK);
        EXPECT_EQ(back.bmc.bpp, c.bpp);
        if (c.fileBits == 16) {
            // Each component loses its low 3 bits.
            auto masked = toRgb(pic);
            for (auto& v : masked)
                v &= 0xF8;
            EXPECT_EQ(toRgb(back), masked);
        } else {
            EXPECT_EQ(toRgb(back), toRgb(pic));
        }
    }
}

TEST_F(Targa, OptionConflictsAndUnsupportedDepths)
{
    Picture eight = makePicture(3, 3, 8);
    for (const char* opt : { "16", "24", "32", "yup ydown" })
        EXPECT_EQ(writePicture("c.tga", eight, opt), BMC_ERR_BAD_OPTION) << opt;
    Picture rgb = makePicture(3, 3, 24);
    for (const char* opt : { "16 24", "24 32", "16 32", "yup ydown", "16 24 32" })
        EXPECT_EQ(writePicture("c.tga", rgb, opt), BMC_ERR_BAD_OPTION) << opt;
    for (int bpp : { 1, 4 })
        EXPECT_EQ(writePicture("c.tga", makePicture(3, 3, bpp), ""), BMC_ERR_NOT_SUPP) << bpp;
}

TEST_F(Targa, DescriptorBitFiveReadsTopDown)
{
    Picture pic = makePicture(6, 4, 24, 11);
    ASSERT_EQ(writePicture("b.tga", pic, ""), BMC_ERR_OK);
    auto bytes = MemFs::files["b.tga"];
    // Same pixels, flagged as starting at the top: the picture comes back upside down.
    bytes[17] = 0x20;
    MemFs::files["f.tga"] = bytes;
    Picture flipped;
    ASSERT_EQ(readPicture("f.tga", "", flipped), BMC_ERR_OK);
    const std::size_t stride = bmc_row_size(pic.bmc);
    for (int y = 0; y < 4; ++y) {
        EXPECT_TRUE(std::equal(pic.data.begin() + static_cast<long>(y * stride),
            pic.data.begin() + static_cast<long>(y * stride + 18),
            flipped.data.begin() + static_cast<long>((3 - y) * stride)))
            << y;
    }
}

TEST_F(Targa, ColourMapAndIdFieldAreSkippedBeforeTheData)
{
    // A true-colour file with a 15-bit colour map (counted as 16 bits) and an identification
    // field: the pixels start after both.
    const std::uint8_t hdr[18] = { 3, 1, 2, 0, 0, 5, 0, 15, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0 };
    std::vector<std::uint8_t> f(hdr, hdr + 18);
    f.insert(f.end(), { 'i', 'd', '!' });
    f.insert(f.end(), 10, 0xEE); // 5 entries of 2 bytes
    f.insert(f.end(), { 1, 2, 3, 4, 5, 6 });
    MemFs::files["m.tga"] = f;
    Picture pic;
    ASSERT_EQ(readPicture("m.tga", "", pic), BMC_ERR_OK);
    EXPECT_EQ(pic.data[0], 1);
    EXPECT_EQ(pic.data[5], 6);
}
