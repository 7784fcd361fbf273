// Bitmap codec module: reads and writes PCX, Targa and BMP files on plain file handles.
//
// It stands alone: its own bitmap record, its own replaceable file procedures, numeric error
// codes instead of exceptions. A caller opens the file (bmc_io_open), reads the header into a
// BMC, sizes a buffer of bmc_data_size() bytes, then reads the palette and the data.
//
// Pixel data is one buffer of rows bottom-up (the first row is the bottom of the image), each
// row padded to a multiple of 4 bytes; 24-bit pixels are stored blue, green, red. A header of a
// picture larger than the platform's picture limit (platform/core/picturelimits.h) is refused.
#pragma once

#include <cstddef>
#include <cstdint>

// Error codes shared by every format; the formats add their own (BMP 3xx, Targa 4xx, PCX 7xx).
inline constexpr int BMC_ERR_OK = 0;
inline constexpr int BMC_ERR_MEM = 1;
inline constexpr int BMC_ERR_NOT_SUPP = 2;
inline constexpr int BMC_ERR_BAD_OPTION = 3;
inline constexpr int BMC_ERR_NOT_FOUND = 4;
inline constexpr int BMC_ERR_BAD_MAGIC = 5;
inline constexpr int BMC_ERR_BAD_SIZE = 6;
inline constexpr int BMC_ERR_READ = 7;
inline constexpr int BMC_ERR_WRITE = 8;
inline constexpr int BMC_ERR_BAD_ARG = 9;

inline constexpr int BMC_ERR_BMP_PLANES = 300;
inline constexpr int BMC_ERR_BMP_BITCOUNT = 301;
inline constexpr int BMC_ERR_BMP_CBFIX = 302;
inline constexpr int BMC_ERR_BMP_COMP = 303;
inline constexpr int BMC_ERR_BMP_OFFSET = 304;

inline constexpr int BMC_ERR_TGA_BAD_BPP = 400;
inline constexpr int BMC_ERR_TGA_BAD_TYPE = 401;
inline constexpr int BMC_ERR_TGA_BAD_PAL = 402;

inline constexpr int BMC_ERR_PCX_BAD_VERSION = 700;
inline constexpr int BMC_ERR_PCX_BAD_ENCMODE = 701;
inline constexpr int BMC_ERR_PCX_BAD_BITS = 702;
inline constexpr int BMC_ERR_PCX_BAD_TRAILER = 703;

// File type indices, in table order.
inline constexpr int BMC_FT_BMP = 0;
inline constexpr int BMC_FT_PCX = 1;
inline constexpr int BMC_FT_TGA = 2;

inline constexpr int BMC_PRIV_SIZE = 128;

struct BMC {
    int w = 0;
    int h = 0;
    int bpp = 0; // 1, 4, 8 or 24
    // Filled by the format's header reader, used by its data reader.
    alignas(8) unsigned char priv[BMC_PRIV_SIZE] = {};
};

struct BmcRgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct BmcFileType {
    const char* short_name;
    const char* long_name;
    const char* extensions; // upper case, separated by spaces
};

using BmcOpenProc = int (*)(const char* fn, int flags);
using BmcCreateProc = int (*)(const char* fn, int flags);
using BmcCloseProc = void (*)(int fd);
using BmcSeekProc = long (*)(int fd, long pos, int whence);
using BmcReadProc = int (*)(int fd, void* buf, int len);
using BmcWriteProc = int (*)(int fd, const void* buf, int len);
using BmcProgressProc = void (*)(int percent, void* data);

int bmc_init();
int bmc_deinit();
int bmc_version();

// Replaces the file procedures; the defaults call open, close, lseek, read and write.
int bmc_io_setup(BmcOpenProc open, BmcCreateProc create, BmcCloseProc close, BmcSeekProc seek,
    BmcReadProc read, BmcWriteProc write);
int bmc_io_open(const char* fn, int flags);
int bmc_io_create(const char* fn, int flags);
void bmc_io_close(int fd);
long bmc_io_lseek(int fd, long pos, int whence);
int bmc_io_read(int fd, void* buf, int len);
int bmc_io_write(int fd, const void* buf, int len);

int bmc_query_n_filetypes(int* n);
int bmc_query_filetype(int ft, BmcFileType* info);
int bmc_guess_filetype(const char* fn, int* ft);

int bmc_read_header(const char* fn, int fd, int ft, BMC* bmc, const char* opt);
// rgb must hold 2^bpp entries; a 24-bit image has no palette.
int bmc_read_palette(int fd, int ft, BMC* bmc, BmcRgb* rgb);
// data must hold bmc_data_size(*bmc) bytes.
int bmc_read_data(int fd, int ft, BMC* bmc, std::uint8_t* data, BmcProgressProc progress, void* progressData);
// rgb holds 2^bpp entries (it may be null for a 24-bit image).
int bmc_write(const char* fn, int fd, int ft, const BMC* bmc, const BmcRgb* rgb, const std::uint8_t* data,
    const char* opt, BmcProgressProc progress, void* progressData);

const char* bmc_err(int rc);

// Bytes per buffer row: ((w * bpp + 31) div 32) * 4.
inline std::size_t bmc_row_size(const BMC& bmc)
{
    return static_cast<std::size_t>((static_cast<std::int64_t>(bmc.w) * bmc.bpp + 31) / 32 * 4);
}

inline std::size_t bmc_data_size(const BMC& bmc)
{
    return bmc_row_size(bmc) * static_cast<std::size_t>(bmc.h);
}
