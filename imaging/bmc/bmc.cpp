#include "imaging/bmc/bmc.h"

#include "imaging/bmc/bmcbmp.h"
#include "imaging/bmc/bmcpcx.h"
#include "imaging/bmc/bmctga.h"
#include "imaging/bmc/bmcutil.h"

#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

int defaultOpen(const char* fn, int flags)
{
    return ::open(fn, flags);
}
int defaultCreate(const char* fn, int flags)
{
    return ::open(fn, flags | O_CREAT | O_TRUNC, 0666);
}
void defaultClose(int fd)
{
    ::close(fd);
}
long defaultSeek(int fd, long pos, int whence)
{
    return static_cast<long>(::lseek(fd, pos, whence));
}
int defaultRead(int fd, void* buf, int len)
{
    return static_cast<int>(::read(fd, buf, static_cast<size_t>(len)));
}
int defaultWrite(int fd, const void* buf, int len)
{
    return static_cast<int>(::write(fd, buf, static_cast<size_t>(len)));
}

struct IoProcs {
    BmcOpenProc open = defaultOpen;
    BmcCreateProc create = defaultCreate;
    BmcCloseProc close = defaultClose;
    BmcSeekProc seek = defaultSeek;
    BmcReadProc read = defaultRead;
    BmcWriteProc write = defaultWrite;
};
IoProcs io;

const bmc::Format* const formats[] = { &bmc::bmpFormat, &bmc::pcxFormat, &bmc::tgaFormat };
constexpr int formatCount = sizeof(formats) / sizeof(formats[0]);

const bmc::Format* formatOf(int ft)
{
    return ft >= 0 && ft < formatCount ? formats[ft] : nullptr;
}

// A format throws nothing on purpose, but a failed allocation inside it must still come back as
// a code rather than an exception through a C-style interface.
template <typename F> int guarded(F f)
{
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return BMC_ERR_MEM;
    }
}

} // namespace

int bmc_init()
{
    return BMC_ERR_OK;
}
int bmc_deinit()
{
    return BMC_ERR_OK;
}
int bmc_version()
{
    return 110;
}

int bmc_io_setup(BmcOpenProc open, BmcCreateProc create, BmcCloseProc close, BmcSeekProc seek,
    BmcReadProc read, BmcWriteProc write)
{
    if (!open || !create || !close || !seek || !read || !write)
        return BMC_ERR_BAD_ARG;
    io = IoProcs { open, create, close, seek, read, write };
    return BMC_ERR_OK;
}

int bmc_io_open(const char* fn, int flags)
{
    return io.open(fn, flags);
}
int bmc_io_create(const char* fn, int flags)
{
    return io.create(fn, flags);
}
void bmc_io_close(int fd)
{
    io.close(fd);
}
long bmc_io_lseek(int fd, long pos, int whence)
{
    return io.seek(fd, pos, whence);
}
int bmc_io_read(int fd, void* buf, int len)
{
    return io.read(fd, buf, len);
}
int bmc_io_write(int fd, const void* buf, int len)
{
    return io.write(fd, buf, len);
}

int bmc_query_n_filetypes(int* n)
{
    if (n == nullptr)
        return BMC_ERR_BAD_ARG;
    *n = formatCount;
    return BMC_ERR_OK;
}

int bmc_query_filetype(int ft, BmcFileType* info)
{
    const bmc::Format* f = formatOf(ft);
    if (f == nullptr || info == nullptr)
        return BMC_ERR_BAD_ARG;
    *info = f->info;
    return BMC_ERR_OK;
}

int bmc_guess_filetype(const char* fn, int* ft)
{
    if (fn == nullptr || ft == nullptr)
        return BMC_ERR_BAD_ARG;
    const char* dot = std::strrchr(fn, '.');
    if (dot == nullptr || std::strpbrk(dot, "/\\") != nullptr)
        return BMC_ERR_NOT_FOUND;
    const char* ext = dot + 1;
    const std::size_t len = std::strlen(ext);
    if (len == 0)
        return BMC_ERR_NOT_FOUND;
    for (int i = 0; i < formatCount; ++i) {
        const char* p = formats[i]->info.extensions;
        while (*p != '\0') {
            while (*p == ' ')
                ++p;
            const char* start = p;
            while (*p != '\0' && *p != ' ')
                ++p;
            if (static_cast<std::size_t>(p - start) != len)
                continue;
            bool same = true;
            for (std::size_t k = 0; k < len && same; ++k)
                same = std::toupper(static_cast<unsigned char>(ext[k]))
                    == static_cast<unsigned char>(start[k]);
            if (same) {
                *ft = i;
                return BMC_ERR_OK;
            }
        }
    }
    return BMC_ERR_NOT_FOUND;
}

int bmc_read_header(const char* fn, int fd, int ft, BMC* bmc, const char* opt)
{
    const bmc::Format* f = formatOf(ft);
    if (f == nullptr || fn == nullptr || bmc == nullptr || opt == nullptr)
        return BMC_ERR_BAD_ARG;
    *bmc = BMC {};
    return guarded([&] { return f->readHeader(fn, fd, *bmc, opt); });
}

int bmc_read_palette(int fd, int ft, BMC* bmc, BmcRgb* rgb)
{
    const bmc::Format* f = formatOf(ft);
    if (f == nullptr || bmc == nullptr || rgb == nullptr)
        return BMC_ERR_BAD_ARG;
    return guarded([&] { return f->readPalette(fd, *bmc, rgb); });
}

int bmc_read_data(int fd, int ft, BMC* bmc, std::uint8_t* data, BmcProgressProc progress, void* progressData)
{
    const bmc::Format* f = formatOf(ft);
    if (f == nullptr || bmc == nullptr || data == nullptr)
        return BMC_ERR_BAD_ARG;
    bmc::Progress p(progress, progressData);
    return guarded([&] { return f->readData(fd, *bmc, data, p); });
}

int bmc_write(const char* fn, int fd, int ft, const BMC* bmc, const BmcRgb* rgb, const std::uint8_t* data,
    const char* opt, BmcProgressProc progress, void* progressData)
{
    const bmc::Format* f = formatOf(ft);
    if (f == nullptr || fn == nullptr || bmc == nullptr || data == nullptr || opt == nullptr)
        return BMC_ERR_BAD_ARG;
    if (!bmc::validBpp(bmc->bpp) || bmc->w < 1 || bmc->h < 1 || (bmc->bpp != 24 && rgb == nullptr))
        return BMC_ERR_BAD_ARG;
    bmc::Progress p(progress, progressData);
    return guarded([&] { return f->write(fn, fd, *bmc, rgb, data, opt, p); });
}

const char* bmc_err(int rc)
{
    switch (rc) {
    case BMC_ERR_OK:
        return "ok";
    case BMC_ERR_MEM:
        return "out of memory";
    case BMC_ERR_NOT_SUPP:
        return "not supported";
    case BMC_ERR_BAD_OPTION:
        return "bad option(s)";
    case BMC_ERR_NOT_FOUND:
        return "not found";
    case BMC_ERR_BAD_MAGIC:
        return "bad magic number / signiture block";
    case BMC_ERR_BAD_SIZE:
        return "bad bitmap size";
    case BMC_ERR_READ:
        return "can't read file";
    case BMC_ERR_WRITE:
        return "can't write file";
    case BMC_ERR_BAD_ARG:
        return "bad argument to bmc function";
    default:
        break;
    }
    for (const bmc::Format* f : formats) {
        if (const char* text = f->errText(rc))
            return text;
    }
    return "general error";
}
