// Helpers of the codec tests: an in-memory file system behind bmc_io_setup, whole-picture
// reading, expansion to RGB and the reference PPM files.
#pragma once

#include "imaging/bmc/bmc.h"
#include "tests/imaging/pnm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace bmctest {

inline std::string dataPath(const std::string& name)
{
    return std::string(FENDRIX_TEST_DATA) + "/bmc/" + name;
}

using pnm::readFile;

// Files live in a map by name; handles index open files. A write limit simulates a full disk.
struct MemFs {
    struct Handle {
        std::string name;
        long pos = 0;
    };
    static inline std::map<std::string, std::vector<std::uint8_t>> files;
    static inline std::map<int, Handle> handles;
    static inline int next = 100;
    static inline long writeLimit = -1;

    static int open(const char* fn, int)
    {
        if (files.find(fn) == files.end())
            return -1;
        handles[next] = { fn, 0 };
        return next++;
    }
    static int create(const char* fn, int)
    {
        files[fn].clear();
        handles[next] = { fn, 0 };
        return next++;
    }
    static void close(int fd) { handles.erase(fd); }
    static long seek(int fd, long pos, int whence)
    {
        auto& h = handles.at(fd);
        const long size = static_cast<long>(files[h.name].size());
        const long to = whence == SEEK_SET ? pos : whence == SEEK_CUR ? h.pos + pos : size + pos;
        if (to < 0)
            return -1;
        h.pos = to;
        return to;
    }
    static int read(int fd, void* buf, int len)
    {
        auto& h = handles.at(fd);
        const auto& f = files[h.name];
        if (h.pos >= static_cast<long>(f.size()))
            return 0;
        const int n = static_cast<int>(std::min<long>(len, static_cast<long>(f.size()) - h.pos));
        std::memcpy(buf, f.data() + h.pos, static_cast<std::size_t>(n));
        h.pos += n;
        return n;
    }
    static int write(int fd, const void* buf, int len)
    {
        auto& h = handles.at(fd);
        auto& f = files[h.name];
        int n = len;
        if (writeLimit >= 0)
            n = static_cast<int>(std::clamp<long>(writeLimit - h.pos, 0, len));
        if (n == 0 && len > 0)
            return -1;
        if (f.size() < static_cast<std::size_t>(h.pos + n))
            f.resize(static_cast<std::size_t>(h.pos + n));
        std::memcpy(f.data() + h.pos, buf, static_cast<std::size_t>(n));
        h.pos += n;
        return n;
    }
};

inline int posixOpen(const char* fn, int flags)
{
    return ::open(fn, flags);
}
inline int posixCreate(const char* fn, int flags)
{
    return ::open(fn, flags | O_CREAT | O_TRUNC, 0666);
}
inline void posixClose(int fd)
{
    ::close(fd);
}
inline long posixSeek(int fd, long pos, int whence)
{
    return static_cast<long>(::lseek(fd, pos, whence));
}
inline int posixRead(int fd, void* buf, int len)
{
    return static_cast<int>(::read(fd, buf, static_cast<size_t>(len)));
}
inline int posixWrite(int fd, const void* buf, int len)
{
    return static_cast<int>(::write(fd, buf, static_cast<size_t>(len)));
}

// Tests that work in memory: files are swapped in for the run of each test, plain files after.
class MemoryIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MemFs::files.clear();
        MemFs::handles.clear();
        MemFs::writeLimit = -1;
        ASSERT_EQ(
            bmc_io_setup(MemFs::open, MemFs::create, MemFs::close, MemFs::seek, MemFs::read, MemFs::write),
            BMC_ERR_OK);
    }
    void TearDown() override
    {
        EXPECT_TRUE(MemFs::handles.empty()) << "a handle was left open";
        bmc_io_setup(posixOpen, posixCreate, posixClose, posixSeek, posixRead, posixWrite);
    }
};

struct Picture {
    BMC bmc;
    std::vector<BmcRgb> pal = std::vector<BmcRgb>(256);
    std::vector<std::uint8_t> data;
};

// Header, palette and data of an open handle; returns the first failing code.
inline int readOpen(int fd, const std::string& name, int ft, const char* opt, Picture& pic)
{
    int rc = bmc_read_header(name.c_str(), fd, ft, &pic.bmc, opt);
    if (rc != BMC_ERR_OK)
        return rc;
    rc = bmc_read_palette(fd, ft, &pic.bmc, pic.pal.data());
    if (rc != BMC_ERR_OK)
        return rc;
    pic.data.assign(bmc_data_size(pic.bmc), 0xA5);
    return bmc_read_data(fd, ft, &pic.bmc, pic.data.data(), nullptr, nullptr);
}

// Reads a file through whatever I/O procedures are installed, guessing its type from its name.
inline int readPicture(const std::string& name, const char* opt, Picture& pic)
{
    int ft = -1;
    int rc = bmc_guess_filetype(name.c_str(), &ft);
    if (rc != BMC_ERR_OK)
        return rc;
    const int fd = bmc_io_open(name.c_str(), O_RDONLY);
    if (fd < 0)
        return BMC_ERR_READ;
    rc = readOpen(fd, name, ft, opt, pic);
    bmc_io_close(fd);
    return rc;
}

inline int writePicture(const std::string& name, const Picture& pic, const char* opt,
    BmcProgressProc progress = nullptr, void* progressData = nullptr)
{
    int ft = -1;
    int rc = bmc_guess_filetype(name.c_str(), &ft);
    if (rc != BMC_ERR_OK)
        return rc;
    const int fd = bmc_io_create(name.c_str(), O_WRONLY);
    if (fd < 0)
        return BMC_ERR_WRITE;
    rc = bmc_write(
        name.c_str(), fd, ft, &pic.bmc, pic.pal.data(), pic.data.data(), opt, progress, progressData);
    bmc_io_close(fd);
    return rc;
}

inline int pixelIndex(const Picture& pic, int x, int y)
{
    const std::uint8_t* row = pic.data.data() + bmc_row_size(pic.bmc) * static_cast<std::size_t>(y);
    switch (pic.bmc.bpp) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

// True when every 1-bit index of b equals a's, or, complemented, is its complement.
inline bool sameIndices(const Picture& a, const Picture& b, bool complemented)
{
    for (int y = 0; y < a.bmc.h; ++y)
        for (int x = 0; x < a.bmc.w; ++x)
            if (pixelIndex(b, x, y) != (complemented ? 1 - pixelIndex(a, x, y) : pixelIndex(a, x, y)))
                return false;
    return true;
}

// Top-down RGB triples, the layout of a PPM.
inline std::vector<std::uint8_t> toRgb(const Picture& pic)
{
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(pic.bmc.w) * pic.bmc.h * 3);
    for (int y = pic.bmc.h - 1; y >= 0; --y) {
        const std::uint8_t* row = pic.data.data() + bmc_row_size(pic.bmc) * static_cast<std::size_t>(y);
        for (int x = 0; x < pic.bmc.w; ++x) {
            if (pic.bmc.bpp == 24) {
                rgb.insert(rgb.end(), { row[3 * x + 2], row[3 * x + 1], row[3 * x] });
            } else {
                const BmcRgb& c = pic.pal[static_cast<std::size_t>(pixelIndex(pic, x, y))];
                rgb.insert(rgb.end(), { c.r, c.g, c.b });
            }
        }
    }
    return rgb;
}

// A picture with every pixel different from its neighbours, padding bytes left zero.
inline Picture makePicture(int w, int h, int bpp, unsigned seed = 1)
{
    Picture pic;
    pic.bmc.w = w;
    pic.bmc.h = h;
    pic.bmc.bpp = bpp;
    pic.data.assign(bmc_data_size(pic.bmc), 0);
    const std::size_t stride = bmc_row_size(pic.bmc);
    unsigned state = seed;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0xFF;
    };
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = pic.data.data() + stride * static_cast<std::size_t>(y);
        if (bpp == 24) {
            for (int x = 0; x < w * 3; ++x)
                row[x] = static_cast<std::uint8_t>((x % 7 == 0) ? next() : (x * 13 + y * 7) & 0xFF);
            continue;
        }
        const int max = (1 << bpp) - 1;
        for (int x = 0; x < w; ++x) {
            const int v = (x < w / 3) ? (y & max) : static_cast<int>(next()) & max; // runs and noise
            if (bpp == 8)
                row[x] = static_cast<std::uint8_t>(v);
            else if (bpp == 4)
                row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
            else
                row[x >> 3] |= static_cast<std::uint8_t>(v << (7 - (x & 7)));
        }
    }
    for (int i = 0; i < 256; ++i)
        pic.pal[static_cast<std::size_t>(i)] = { static_cast<std::uint8_t>(i),
            static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 37) };
    return pic;
}

} // namespace bmctest
