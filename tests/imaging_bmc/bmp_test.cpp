// BMP: both layouts, every depth, the 1-bit palette and inversion options, accepted header sizes.
#include "imaging/bmc/bmcutil.h"
#include "tests/imaging_bmc/testsupport.h"

using namespace bmctest;

namespace {

class Bmp : public MemoryIoTest { };

const std::vector<std::uint8_t>& file(const std::string& name)
{
    return MemFs::files[name];
}

Picture blackWhite(const BmcRgb& entry0, const BmcRgb& entry1)
{
    Picture pic = makePicture(21, 5, 1, 8);
    pic.pal[0] = entry0;
    pic.pal[1] = entry1;
    return pic;
}

const BmcRgb kBlack { 0, 0, 0 };
const BmcRgb kWhite { 255, 255, 255 };

} // namespace

TEST_F(Bmp, RoundTripsEveryDepthInBothLayouts)
{
    for (int bpp : { 4, 8, 24 }) {
        for (const char* opt : { "", "win", "2.0", "win 2.0", "1.1" }) {
            SCOPED_TRACE(std::to_string(bpp) + " '" + opt + "'");
            Picture pic = makePicture(37, 11, bpp, 5);
            ASSERT_EQ(writePicture("r.bmp", pic, opt), BMC_ERR_OK);
            const auto& f = file("r.bmp");
            const bool os2 = std::string(opt) == "1.1";
            const std::uint32_t entries = bpp == 24 ? 0 : 1u << bpp;
            const std::uint32_t off = os2 ? 26 + 3 * entries : 54 + 4 * entries;
            const std::uint32_t imageSize = static_cast<std::uint32_t>(bmc_data_size(pic.bmc));
            ASSERT_EQ(f.size(), off + imageSize);
            // Fields this reader ignores but other programs rely on.
            EXPECT_EQ(bmc::le32(f.data() + 2), off + imageSize);
            EXPECT_EQ(bmc::le32(f.data() + 10), off);
            if (!os2) {
                EXPECT_EQ(bmc::le32(f.data() + 34), imageSize);
            }
            EXPECT_TRUE(std::equal(pic.data.begin(), pic.data.end(), f.begin() + off))
                << "rows as in the buffer";

            Picture back;
            ASSERT_EQ(readPicture("r.bmp", "", back), BMC_ERR_OK);
            EXPECT_EQ(back.bmc.bpp, bpp);
            EXPECT_EQ(back.data, pic.data);
            EXPECT_EQ(toRgb(back), toRgb(pic));
        }
    }
}

TEST_F(Bmp, OneBitPaletteIsWhiteBlackExchangedUnlessInv)
{
    const Picture pic = blackWhite(kBlack, kWhite);
    for (const char* opt : { "", "1.1" }) {
        SCOPED_TRACE(opt);
        const bool os2 = *opt != '\0';
        const std::size_t palAt = os2 ? 26 : 54;
        const std::size_t second = os2 ? 3 : 4;
        ASSERT_EQ(writePicture("a.bmp", pic, opt), BMC_ERR_OK);
        EXPECT_EQ(file("a.bmp")[palAt], 0) << "entry 0 black by default";
        EXPECT_EQ(file("a.bmp")[palAt + second], 255);
        const std::string withInv = std::string(opt) + " inv";
        ASSERT_EQ(writePicture("b.bmp", pic, withInv.c_str()), BMC_ERR_OK);
        EXPECT_EQ(file("b.bmp")[palAt], 255) << "entry 0 white with inv";
        EXPECT_EQ(file("b.bmp")[palAt + second], 0);

        // The reader exchanges the two entries again unless told "inv": a file written with
        // "inv" reads back as the picture was, and so does a plain one read with "inv".
        Picture back;
        ASSERT_EQ(readPicture("b.bmp", "", back), BMC_ERR_OK);
        EXPECT_EQ(toRgb(back), toRgb(pic));
        ASSERT_EQ(readPicture("a.bmp", "inv", back), BMC_ERR_OK);
        EXPECT_EQ(toRgb(back), toRgb(pic));
        ASSERT_EQ(readPicture("a.bmp", "", back), BMC_ERR_OK);
        EXPECT_EQ(back.pal[0].r, 255);
        EXPECT_EQ(back.pal[1].r, 0);
        EXPECT_TRUE(sameIndices(back, pic, false)) << "bits are never changed by the palette exchange";
    }
}

TEST_F(Bmp, InvbDarkfgAndLightfgComplementTheBits)
{
    struct Case {
        const char* opt;
        BmcRgb e0;
        BmcRgb e1;
        bool flipped;
    };
    const BmcRgb gray { 128, 128, 128 };
    const Case cases[] = {
        { "", kBlack, kWhite, false },
        { "invb", kBlack, kWhite, true },
        { "darkfg", kBlack, kWhite, true }, // entry 0 darker than entry 1
        { "darkfg", kWhite, kBlack, false },
        { "lightfg", kWhite, kBlack, true }, // entry 1 not brighter than entry 0
        { "lightfg", kBlack, kWhite, false },
        { "lightfg", gray, gray, true }, // equal counts as not brighter
        { "darkfg", gray, gray, false },
        { "darkfg invb", kBlack, kWhite, false }, // toggles invb back
        { "darkfg lightfg", kBlack, kWhite, true },
        { "darkfg lightfg", kWhite, kBlack, true },
        { "1.1 invb", kBlack, kWhite, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opt);
        const Picture pic = blackWhite(c.e0, c.e1);
        ASSERT_EQ(writePicture("i.bmp", pic, c.opt), BMC_ERR_OK);
        Picture back;
        ASSERT_EQ(readPicture("i.bmp", "", back), BMC_ERR_OK);
        EXPECT_TRUE(sameIndices(pic, back, c.flipped));
    }
    // "invb" on reading undoes "invb" on writing, at every depth.
    for (int bpp : { 4, 8, 24 }) {
        const Picture pic = makePicture(9, 4, bpp, 2);
        ASSERT_EQ(writePicture("n.bmp", pic, "invb"), BMC_ERR_OK);
        EXPECT_EQ(file("n.bmp").back(), static_cast<std::uint8_t>(~pic.data.back()));
        Picture back;
        ASSERT_EQ(readPicture("n.bmp", "invb", back), BMC_ERR_OK);
        EXPECT_EQ(back.data, pic.data) << bpp;
    }
}

TEST_F(Bmp, LayoutOptionConflictsGiveCode3)
{
    const Picture pic = makePicture(4, 4, 8);
    EXPECT_EQ(writePicture("c.bmp", pic, "1.1 win"), BMC_ERR_BAD_OPTION);
    EXPECT_EQ(writePicture("c.bmp", pic, "2.0 1.1"), BMC_ERR_BAD_OPTION);
    ASSERT_EQ(writePicture("c.bmp", pic, ""), BMC_ERR_OK);
    const auto plain = file("c.bmp");
    for (const char* opt : { "win", "2.0" }) {
        ASSERT_EQ(writePicture("c.bmp", pic, opt), BMC_ERR_OK);
        EXPECT_EQ(file("c.bmp"), plain) << opt;
    }
}

TEST(BmpFile, InfoHeaderSizes)
{
    Picture ref;
    ASSERT_EQ(readPicture(dataPath("bmp_cbfix40.bmp"), "", ref), BMC_ERR_OK);
    ASSERT_EQ(ref.bmc.w, 5);
    ASSERT_EQ(ref.bmc.bpp, 4);
    EXPECT_EQ(pixelIndex(ref, 0, 2), 1); // top row, first pixel
    EXPECT_EQ(pixelIndex(ref, 4, 0), 15);
    for (const char* name : { "bmp_cbfix16.bmp", "bmp_cbfix42.bmp", "bmp_cbfix46.bmp", "bmp_cbfix64.bmp" }) {
        Picture pic;
        ASSERT_EQ(readPicture(dataPath(name), "", pic), BMC_ERR_OK) << name;
        EXPECT_EQ(toRgb(pic), toRgb(ref)) << name;
    }
    Picture pic;
    EXPECT_EQ(readPicture(dataPath("bad_bmp_302_cbfix18.bmp"), "", pic), BMC_ERR_BMP_CBFIX);
}

TEST_F(Bmp, BitmapArrayIsReadFromItsFirstBitmap)
{
    const Picture pic = makePicture(6, 3, 8, 4);
    ASSERT_EQ(writePicture("one.bmp", pic, ""), BMC_ERR_OK);
    auto bytes = file("one.bmp");
    // Offsets inside an array count from the start of the file.
    bmc::put32(bytes.data() + 10, bmc::le32(bytes.data() + 10) + 14);
    std::vector<std::uint8_t> array { 'B', 'A', 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    array.insert(array.end(), bytes.begin(), bytes.end());
    MemFs::files["arr.bmp"] = array;
    Picture back;
    ASSERT_EQ(readPicture("arr.bmp", "", back), BMC_ERR_OK);
    EXPECT_EQ(back.data, pic.data);
}

TEST_F(Bmp, ColoursUsedLimitsThePaletteRead)
{
    // 8-bit file with 3 colours used: the rest of the palette is black, the pixels come from
    // right after the three entries.
    const Picture pic = makePicture(4, 2, 8, 6);
    ASSERT_EQ(writePicture("u.bmp", pic, ""), BMC_ERR_OK);
    auto bytes = file("u.bmp");
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 54 + 12);
    bmc::put32(cut.data() + 46, 3);
    bmc::put32(cut.data() + 10, 54 + 12);
    cut.insert(cut.end(), bytes.begin() + 54 + 1024, bytes.end());
    MemFs::files["u3.bmp"] = cut;
    Picture back;
    ASSERT_EQ(readPicture("u3.bmp", "", back), BMC_ERR_OK);
    EXPECT_EQ(back.data, pic.data);
    EXPECT_EQ(back.pal[2].r, pic.pal[2].r);
    EXPECT_EQ(back.pal[2].g, pic.pal[2].g);
    EXPECT_EQ(back.pal[3].r + back.pal[3].g + back.pal[3].b, 0);
}
