// The module's own framework: file types, errors, options, progress, the read-ahead buffer and
// the replaceable file procedures.
#include "imaging/bmc/bmcutil.h"
#include "tests/imaging_bmc/testsupport.h"

#include <string>
#include <vector>

using namespace bmctest;

TEST(BmcFramework, ModuleBasicsAndArgumentChecks)
{
    EXPECT_EQ(bmc_init(), BMC_ERR_OK);
    EXPECT_EQ(bmc_deinit(), BMC_ERR_OK);
    int n = 0;
    ASSERT_EQ(bmc_query_n_filetypes(&n), BMC_ERR_OK);
    EXPECT_EQ(n, 3);
    BmcFileType info {};
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(bmc_query_filetype(i, &info), BMC_ERR_OK) << i;
    EXPECT_EQ(bmc_query_filetype(n, &info), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_query_filetype(-1, &info), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_query_filetype(0, nullptr), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_query_n_filetypes(nullptr), BMC_ERR_BAD_ARG);
    EXPECT_STREQ(bmc_err(BMC_ERR_OK), "ok");
    EXPECT_STREQ(bmc_err(-1), "general error");
}

TEST(BmcFramework, GuessFiletypeByExtension)
{
    struct Case {
        const char* name;
        int rc;
        int ft;
    };
    const Case cases[] = {
        { "picture.PCX", BMC_ERR_OK, BMC_FT_PCX },
        { "picture.pcx", BMC_ERR_OK, BMC_FT_PCX },
        { "picture.Pcc", BMC_ERR_OK, BMC_FT_PCX },
        { "a.b.tga", BMC_ERR_OK, BMC_FT_TGA },
        { "shot.afi", BMC_ERR_OK, BMC_FT_TGA },
        { "x.rl8", BMC_ERR_OK, BMC_FT_BMP },
        { "x.DIB", BMC_ERR_OK, BMC_FT_BMP },
        { "c:\\pics.v1\\a.bmp", BMC_ERR_OK, BMC_FT_BMP },
        { "/home/u.x/pic.vga", BMC_ERR_OK, BMC_FT_BMP },
        // The last point is followed by a path separator: the name has no extension.
        { "dir.pcx/file", BMC_ERR_NOT_FOUND, -1 },
        { "dir.pcx\\file", BMC_ERR_NOT_FOUND, -1 },
        { "noextension", BMC_ERR_NOT_FOUND, -1 },
        { "trailing.", BMC_ERR_NOT_FOUND, -1 },
        { "photo.jpg", BMC_ERR_NOT_FOUND, -1 },
        { "a.pcxx", BMC_ERR_NOT_FOUND, -1 },
        { "a.pc", BMC_ERR_NOT_FOUND, -1 },
    };
    for (const Case& c : cases) {
        int ft = -1;
        EXPECT_EQ(bmc_guess_filetype(c.name, &ft), c.rc) << c.name;
        if (c.rc == BMC_ERR_OK) {
            EXPECT_EQ(ft, c.ft) << c.name;
        }
    }
    int ft = 0;
    EXPECT_EQ(bmc_guess_filetype(nullptr, &ft), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_guess_filetype("a.bmp", nullptr), BMC_ERR_BAD_ARG);
}

TEST(BmcFramework, OptionWordsMatchWholeWordsIgnoringCase)
{
    using bmc::FindOptionPrefix;
    using bmc::FindOptionWord;
    EXPECT_TRUE(FindOptionWord("  ydown\t16 ", "YDOWN"));
    EXPECT_TRUE(FindOptionWord("a INVB c", "invb"));
    EXPECT_FALSE(FindOptionWord("invb", "inv"));
    EXPECT_FALSE(FindOptionWord("inv", "invb"));
    EXPECT_FALSE(FindOptionWord("xinv", "inv"));
    EXPECT_FALSE(FindOptionWord("1.10", "1.1"));
    EXPECT_FALSE(FindOptionWord(nullptr, "inv"));
    const char* opt = "trunc Index=3 other";
    EXPECT_EQ(FindOptionPrefix(opt, "index="), opt + 6);
    EXPECT_EQ(FindOptionPrefix("ab", "abc"), nullptr);
}

namespace {
void collect(int percent, void* data)
{
    static_cast<std::vector<int>*>(data)->push_back(percent);
}
} // namespace

class BmcMemoryIo : public MemoryIoTest { };

TEST_F(BmcMemoryIo, ReadAheadBufferReturnsEveryByteThenEnd)
{
    std::vector<std::uint8_t> bytes(40000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    MemFs::files["f"] = bytes;
    const int fd = bmc_io_open("f", O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(bmc_io_lseek(fd, 5, SEEK_SET), 5);
    bmc::ReadAheadBuffer in(fd);
    for (std::size_t i = 5; i < 20000; ++i)
        ASSERT_EQ(in.get(), bytes[i]) << i;
    std::vector<std::uint8_t> block(17000);
    ASSERT_EQ(in.read(block.data(), block.size()), block.size());
    EXPECT_TRUE(std::equal(block.begin(), block.end(), bytes.begin() + 20000));
    ASSERT_EQ(in.read(block.data(), 10), 10u);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 10, bytes.begin() + 37000));
    std::vector<std::uint8_t> rest(5000);
    EXPECT_EQ(in.read(rest.data(), rest.size()), 40000u - 37010u);
    EXPECT_EQ(in.get(), -1);
    EXPECT_EQ(in.get(), -1);
    bmc_io_close(fd);
}

TEST_F(BmcMemoryIo, PointerTypeAndSizeArgumentsAreChecked)
{
    Picture pic = makePicture(4, 4, 8);
    MemFs::files["p.bmp"];
    const int fd = bmc_io_open("p.bmp", O_RDONLY);
    BMC bmc;
    BmcRgb pal[256];
    std::uint8_t data[64];
    EXPECT_EQ(bmc_read_header(nullptr, fd, 0, &bmc, ""), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_read_header("p.bmp", fd, 0, nullptr, ""), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_read_header("p.bmp", fd, 3, &bmc, ""), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_read_palette(fd, 0, &bmc, nullptr), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_read_data(fd, -1, &bmc, data, nullptr, nullptr), BMC_ERR_BAD_ARG);
    EXPECT_EQ(bmc_write("p.bmp", fd, 0, &pic.bmc, pal, nullptr, "", nullptr, nullptr), BMC_ERR_BAD_ARG);
    for (auto change : { +[](BMC& b) { b.bpp = 16; }, +[](BMC& b) { b.w = 0; } }) {
        BMC odd = pic.bmc;
        change(odd);
        EXPECT_EQ(
            bmc_write("p.bmp", fd, 0, &odd, pal, pic.data.data(), "", nullptr, nullptr), BMC_ERR_BAD_ARG);
    }
    bmc_io_close(fd);
    EXPECT_EQ(bmc_io_setup(nullptr, MemFs::create, MemFs::close, MemFs::seek, MemFs::read, MemFs::write),
        BMC_ERR_BAD_ARG);

    // Widths a format's header cannot hold.
    Picture wide;
    wide.bmc.h = 1;
    wide.bmc.bpp = 8;
    for (const auto& [name, opt, w] : { std::tuple { "w.bmp", "1.1", 65536 },
             std::tuple { "w.pcx", "", 65537 }, std::tuple { "w.tga", "", 65536 } }) {
        wide.bmc.w = w;
        wide.data.assign(bmc_data_size(wide.bmc), 0);
        EXPECT_EQ(writePicture(name, wide, opt), BMC_ERR_BAD_SIZE) << name;
    }
}

TEST_F(BmcMemoryIo, DataReaderRefusesARecordChangedAfterTheHeader)
{
    Picture pic = makePicture(5, 3, 8);
    for (const char* name : { "g.bmp", "g.pcx", "g.tga" }) {
        ASSERT_EQ(writePicture(name, pic, ""), BMC_ERR_OK);
        Picture back;
        int ft = 0;
        ASSERT_EQ(bmc_guess_filetype(name, &ft), BMC_ERR_OK);
        const int fd = bmc_io_open(name, O_RDONLY);
        ASSERT_EQ(bmc_read_header(name, fd, ft, &back.bmc, ""), BMC_ERR_OK);
        back.bmc.w = 500; // the caller's buffer would be sized from this
        back.data.resize(bmc_data_size(back.bmc));
        EXPECT_EQ(bmc_read_palette(fd, ft, &back.bmc, back.pal.data()), BMC_ERR_BAD_ARG) << name;
        EXPECT_EQ(bmc_read_data(fd, ft, &back.bmc, back.data.data(), nullptr, nullptr), BMC_ERR_BAD_ARG)
            << name;
        bmc_io_close(fd);
    }
}

TEST_F(BmcMemoryIo, ShortWriteGivesCode8InEveryFormat)
{
    for (int bpp : { 1, 4, 8, 24 }) {
        Picture pic = makePicture(200, 100, bpp);
        for (const char* name : { "w.bmp", "w.pcx", "w.tga" }) {
            if (bpp < 8 && std::string(name) == "w.tga")
                continue;
            for (long limit : { 0L, 10L, 100L, 500L }) {
                MemFs::writeLimit = limit;
                EXPECT_EQ(writePicture(name, pic, ""), BMC_ERR_WRITE)
                    << name << " bpp " << bpp << " limit " << limit;
            }
            MemFs::writeLimit = -1;
            EXPECT_EQ(writePicture(name, pic, ""), BMC_ERR_OK) << name;
        }
    }
}

TEST_F(BmcMemoryIo, ProgressOfReadingAndWritingEndsAtHundred)
{
    Picture pic = makePicture(30, 50, 24);
    for (const char* name : { "p.bmp", "p.pcx", "p.tga" }) {
        std::vector<int> seen;
        ASSERT_EQ(writePicture(name, pic, "", collect, &seen), BMC_ERR_OK);
        ASSERT_FALSE(seen.empty());
        EXPECT_GE(seen.front(), 0) << name;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << name;
        EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()) << "repeated percent in " << name;
        EXPECT_EQ(seen.back(), 100) << name;

        Picture back;
        int ft = 0;
        bmc_guess_filetype(name, &ft);
        const int fd = bmc_io_open(name, O_RDONLY);
        ASSERT_EQ(bmc_read_header(name, fd, ft, &back.bmc, ""), BMC_ERR_OK);
        back.data.resize(bmc_data_size(back.bmc));
        std::vector<int> readSeen;
        ASSERT_EQ(bmc_read_data(fd, ft, &back.bmc, back.data.data(), collect, &readSeen), BMC_ERR_OK);
        bmc_io_close(fd);
        ASSERT_FALSE(readSeen.empty());
        EXPECT_TRUE(std::is_sorted(readSeen.begin(), readSeen.end())) << name;
        EXPECT_EQ(std::adjacent_find(readSeen.begin(), readSeen.end()), readSeen.end()) << name;
        EXPECT_EQ(readSeen.back(), 100) << name;
    }
}
