// PCX: round trips of every depth, the run-length rules of the writer and the reader's edge cases.
#include "imaging/bmc/bmcpcx.h"
#include "tests/imaging_bmc/testsupport.h"

using namespace bmctest;

namespace {

class Pcx : public MemoryIoTest { };

// The bytes of the first few encoded lines as the writer produced them.
std::vector<std::uint8_t> body(const std::string& name)
{
    const auto& f = MemFs::files[name];
    return { f.begin() + 128, f.end() };
}

} // namespace

TEST_F(Pcx, RoundTripsEveryDepth)
{
    for (int bpp : { 1, 4, 8, 24 }) {
        for (int w : { 1, 7, 8, 33, 130 }) {
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " width " + std::to_string(w));
            Picture pic = makePicture(w, 9, bpp, static_cast<unsigned>(w));
            if (bpp == 1) {
                pic.pal[0] = { 0, 0, 0 };
                pic.pal[1] = { 255, 255, 255 };
            }
            ASSERT_EQ(writePicture("r.pcx", pic, ""), BMC_ERR_OK);
            const auto& file = MemFs::files["r.pcx"];
            ASSERT_GE(file.size(), 128u);
            EXPECT_EQ((file[66] | file[67] << 8) % 2, 0) << "bytes per line must be even";

            Picture back;
            ASSERT_EQ(readPicture("r.pcx", "", back), BMC_ERR_OK);
            EXPECT_EQ(back.bmc.w, w);
            EXPECT_EQ(back.bmc.h, 9);
            EXPECT_EQ(back.bmc.bpp, bpp);
            EXPECT_EQ(toRgb(back), toRgb(pic));
        }
    }
}

TEST_F(Pcx, OneBitWithDarkForegroundIsComplementedIntoBlackOnWhite)
{
    Picture pic = makePicture(20, 4, 1);
    pic.pal[0] = { 250, 250, 200 }; // light
    pic.pal[1] = { 10, 0, 40 }; // darker
    ASSERT_EQ(writePicture("d.pcx", pic, ""), BMC_ERR_OK);
    Picture back;
    ASSERT_EQ(readPicture("d.pcx", "", back), BMC_ERR_OK);
    EXPECT_TRUE(sameIndices(pic, back, true));
    // The light image colour is now white (index 1), the dark one black.
    EXPECT_EQ(back.pal[1].r, 255);
    EXPECT_EQ(back.pal[0].r, 0);
}

TEST_F(Pcx, WriterRunsStayWithinOneLineAndAtMost63)
{
    // 8-bit, 100 wide: a line of 100 equal bytes, then a line of bytes at or above 0xC0.
    Picture pic;
    pic.bmc.w = 100;
    pic.bmc.h = 2;
    pic.bmc.bpp = 8;
    pic.data.assign(bmc_data_size(pic.bmc), 0);
    const std::size_t stride = bmc_row_size(pic.bmc);
    std::fill_n(pic.data.begin() + static_cast<long>(stride), 100, std::uint8_t(7)); // top row
    for (int x = 0; x < 100; ++x)
        pic.data[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x % 2 ? 0xC0 : 0x05); // bottom
    ASSERT_EQ(writePicture("l.pcx", pic, ""), BMC_ERR_OK);
    const auto b = body("l.pcx");
    // Top line: 63 + 37 sevens, nothing carried into the next line.
    const std::vector<std::uint8_t> top { 0xC0 | 63, 7, 0xC0 | 37, 7 };
    ASSERT_GE(b.size(), 4u + 150u + 769u);
    EXPECT_TRUE(std::equal(top.begin(), top.end(), b.begin()));
    // Bottom line: 0x05 as itself, 0xC0 as a run of one.
    for (int x = 0; x < 100; ++x) {
        if (x % 2 == 0) {
            EXPECT_EQ(b[static_cast<std::size_t>(4 + x / 2 * 3)], 0x05);
        } else {
            EXPECT_EQ(b[static_cast<std::size_t>(4 + x / 2 * 3 + 1)], 0xC1);
            EXPECT_EQ(b[static_cast<std::size_t>(4 + x / 2 * 3 + 2)], 0xC0);
        }
    }
    EXPECT_EQ(b[4 + 150], 12) << "palette trailer marker";
}

TEST(PcxFile, RunCrossingALineEndContinuesUnlessTrunc)
{
    // 4 x 3, 8-bit: 1 2 then a run of six 9s, then two literal lines.
    Picture pic;
    ASSERT_EQ(readPicture(dataPath("pcx_runwrap.pcx"), "", pic), BMC_ERR_OK);
    auto row = [&](int topRow) {
        std::vector<int> v;
        for (int x = 0; x < 4; ++x)
            v.push_back(pixelIndex(pic, x, pic.bmc.h - 1 - topRow));
        return v;
    };
    EXPECT_EQ(row(0), (std::vector<int> { 1, 2, 9, 9 }));
    EXPECT_EQ(row(1), (std::vector<int> { 9, 9, 9, 9 }));
    EXPECT_EQ(row(2), (std::vector<int> { 10, 11, 12, 13 }));

    ASSERT_EQ(readPicture(dataPath("pcx_runwrap.pcx"), "trunc", pic), BMC_ERR_OK);
    EXPECT_EQ(row(0), (std::vector<int> { 1, 2, 9, 9 }));
    EXPECT_EQ(row(1), (std::vector<int> { 10, 11, 12, 13 }));
    EXPECT_EQ(row(2), (std::vector<int> { 20, 21, 22, 23 }));
}

TEST_F(Pcx, VersionsZeroToFiveAreReadAndLaterOnesRefused)
{
    // Version 4 (Paintbrush for Windows) has the layout of version 5: its refusal would turn
    // away valid files, so it is read like the others.
    const auto v4 = readFile(dataPath("pcx8_v4.pcx"));
    Picture ref;
    MemFs::files["v.pcx"] = v4;
    ASSERT_EQ(readPicture("v.pcx", "", ref), BMC_ERR_OK);
    for (int version = 0; version <= 9; ++version) {
        auto bytes = v4;
        bytes[1] = static_cast<std::uint8_t>(version);
        MemFs::files["v.pcx"] = bytes;
        Picture pic;
        const int rc = readPicture("v.pcx", "", pic);
        if (version <= 5) {
            ASSERT_EQ(rc, BMC_ERR_OK) << version;
            EXPECT_EQ(toRgb(pic), toRgb(ref)) << version;
        } else {
            EXPECT_EQ(rc, BMC_ERR_PCX_BAD_VERSION) << version;
        }
    }
}

TEST_F(Pcx, WindowOriginAndOversizedLinesAreHonoured)
{
    // A window that does not start at 0, 0 and lines longer than the pixels need.
    auto bytes = readFile(dataPath("hand_pcx4_packed.pcx")); // 13 x 5, 8 bytes per line
    Picture ref;
    MemFs::files["o.pcx"] = bytes;
    ASSERT_EQ(readPicture("o.pcx", "", ref), BMC_ERR_OK);
    bmc::put16(bytes.data() + 4, 100);
    bmc::put16(bytes.data() + 6, 200);
    bmc::put16(bytes.data() + 8, 112);
    bmc::put16(bytes.data() + 10, 204);
    MemFs::files["o.pcx"] = bytes;
    Picture pic;
    ASSERT_EQ(readPicture("o.pcx", "", pic), BMC_ERR_OK);
    EXPECT_EQ(pic.bmc.w, 13);
    EXPECT_EQ(pic.bmc.h, 5);
    EXPECT_EQ(toRgb(pic), toRgb(ref));
}
