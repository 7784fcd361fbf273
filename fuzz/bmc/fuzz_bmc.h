// Shared driver of the codec fuzz targets: the input is served as a file through the module's
// replaceable file procedures, decoded, and when it decodes, written and decoded again.
#pragma once

#include "imaging/bmc/bmc.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace bmcfuzz {

struct MemFile {
    std::vector<std::uint8_t> bytes;
    long pos = 0;
};

// Handle 1 is the input, handle 2 the file written back.
inline MemFile files[3];

inline int memOpen(const char*, int)
{
    return 1;
}
inline int memCreate(const char*, int)
{
    files[2] = MemFile {};
    return 2;
}
inline void memClose(int) { }
inline long memSeek(int fd, long pos, int whence)
{
    MemFile& f = files[fd];
    const long size = static_cast<long>(f.bytes.size());
    const long to = whence == 0 ? pos : whence == 1 ? f.pos + pos : size + pos;
    if (to < 0)
        return -1;
    f.pos = to;
    return to;
}
inline int memRead(int fd, void* buf, int len)
{
    MemFile& f = files[fd];
    const long size = static_cast<long>(f.bytes.size());
    if (len <= 0 || f.pos >= size)
        return 0;
    const int n = static_cast<int>(len < size - f.pos ? len : size - f.pos);
    std::memcpy(buf, f.bytes.data() + f.pos, static_cast<std::size_t>(n));
    f.pos += n;
    return n;
}
inline int memWrite(int fd, const void* buf, int len)
{
    MemFile& f = files[fd];
    if (f.bytes.size() < static_cast<std::size_t>(f.pos + len))
        f.bytes.resize(static_cast<std::size_t>(f.pos + len));
    std::memcpy(f.bytes.data() + f.pos, buf, static_cast<std::size_t>(len));
    f.pos += len;
    return len;
}

struct Decoded {
    BMC bmc;
    BmcRgb pal[256];
    std::vector<std::uint8_t> data;
};

// Keeps each run quick: headers may claim up to the readers' limit, far more than a fuzzer needs.
constexpr std::size_t kMaxData = 16u << 20;

inline int decode(int fd, int ft, const char* opt, Decoded& d)
{
    int rc = bmc_read_header("in", fd, ft, &d.bmc, opt);
    if (rc != BMC_ERR_OK)
        return rc;
    if (d.bmc.w < 1 || d.bmc.h < 1 || (d.bmc.bpp != 1 && d.bmc.bpp != 4 && d.bmc.bpp != 8 && d.bmc.bpp != 24))
        __builtin_trap(); // a header reader accepted a picture it cannot describe
    if (bmc_data_size(d.bmc) > kMaxData)
        return BMC_ERR_MEM;
    rc = bmc_read_palette(fd, ft, &d.bmc, d.pal);
    if (rc != BMC_ERR_OK)
        return rc;
    d.data.assign(bmc_data_size(d.bmc), 0);
    return bmc_read_data(fd, ft, &d.bmc, d.data.data(), nullptr, nullptr);
}

inline const char* const kOptions[] = { "", "trunc", "inv", "invb", "inv invb" };

inline int run(int ft, const std::uint8_t* data, std::size_t size)
{
    bmc_io_setup(memOpen, memCreate, memClose, memSeek, memRead, memWrite);
    if (size < 1)
        return 0;
    const char* opt = kOptions[data[0] % 5];
    files[1] = MemFile { std::vector<std::uint8_t>(data + 1, data + size), 0 };
    Decoded d;
    if (decode(1, ft, opt, d) != BMC_ERR_OK)
        return 0;
    // Whatever was read must survive being written and read again, pixel for pixel (8 and 24
    // bits: the 1-bit conventions of the formats legitimately flip bits and palettes).
    if (d.bmc.bpp != 8 && d.bmc.bpp != 24)
        return 0;
    const int out = bmc_io_create("out", 0);
    if (bmc_write("out", out, ft, &d.bmc, d.pal, d.data.data(), "", nullptr, nullptr) != BMC_ERR_OK)
        __builtin_trap();
    Decoded again;
    files[2].pos = 0;
    if (decode(2, ft, "", again) != BMC_ERR_OK)
        __builtin_trap();
    if (again.bmc.w != d.bmc.w || again.bmc.h != d.bmc.h || again.bmc.bpp != d.bmc.bpp)
        __builtin_trap();
    const std::size_t stride = bmc_data_size(d.bmc) / static_cast<std::size_t>(d.bmc.h);
    const std::size_t used = static_cast<std::size_t>(d.bmc.w) * (d.bmc.bpp / 8);
    for (int y = 0; y < d.bmc.h; ++y) {
        if (std::memcmp(d.data.data() + y * stride, again.data.data() + y * stride, used) != 0)
            __builtin_trap();
    }
    if (d.bmc.bpp == 8) {
        for (int i = 0; i < 256; ++i) {
            if (d.pal[i].r != again.pal[i].r || d.pal[i].g != again.pal[i].g || d.pal[i].b != again.pal[i].b)
                __builtin_trap();
        }
    }
    return 0;
}

} // namespace bmcfuzz
