#include "imaging/bmc/bmcbmp.h"

#include <algorithm>
#include <climits>

namespace bmc {

namespace {

constexpr int kFileHeader = 14;
constexpr int kArrayHeader = 14;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;

struct BmpState {
    Geometry geo;
    long base; // where the "BM" header starts: 14 in a bitmap array
    std::uint32_t offBits;
    std::uint32_t cbFix;
    std::uint32_t compression;
    std::uint32_t coloursUsed;
    bool os2Core; // 12-byte OS/2 1.x header
    bool inv;
    bool invb;
};

bool cbFixAcceptable(std::uint32_t cbFix)
{
    return (cbFix >= 16 && cbFix <= 64 && cbFix % 4 == 0) || cbFix == 42 || cbFix == 46;
}

int readHeader(const char*, int fd, BMC& bmc, const char* opt)
{
    BmpState s {};
    std::uint8_t magic[2];
    if (!seekTo(fd, 0) || readFully(fd, magic, 2) != 2)
        return BMC_ERR_READ;
    if (magic[0] == 'B' && magic[1] == 'A')
        s.base = kArrayHeader;

    std::uint8_t fh[kFileHeader + 4];
    if (!seekTo(fd, s.base) || readFully(fd, fh, sizeof fh) != sizeof fh)
        return BMC_ERR_READ;
    if (fh[0] != 'B' || fh[1] != 'M')
        return BMC_ERR_BAD_MAGIC;
    s.offBits = le32(fh + 10);
    s.cbFix = le32(fh + 14);

    std::int64_t w = 0;
    std::int64_t h = 0;
    unsigned planes = 0;
    unsigned bits = 0;
    std::uint8_t info[64] = {};
    if (s.cbFix == 12) {
        if (readFully(fd, info + 4, 8) != 8)
            return BMC_ERR_READ;
        s.os2Core = true;
        w = le16(info + 4);
        h = le16(info + 6);
        planes = le16(info + 8);
        bits = le16(info + 10);
    } else {
        if (!cbFixAcceptable(s.cbFix))
            return BMC_ERR_BMP_CBFIX;
        if (readFully(fd, info + 4, s.cbFix - 4) != s.cbFix - 4)
            return BMC_ERR_READ;
        w = static_cast<std::int32_t>(le32(info + 4));
        h = static_cast<std::int32_t>(le32(info + 8));
        planes = le16(info + 12);
        bits = le16(info + 14);
        if (s.cbFix >= 20)
            s.compression = le32(info + 16);
        if (s.cbFix >= 36)
            s.coloursUsed = le32(info + 32);
    }
    // Top-down bitmaps (negative height) are not read: the buffer is always bottom-up.
    if (!sizeAcceptable(w, h))
        return BMC_ERR_BAD_SIZE;
    if (planes != 1)
        return BMC_ERR_BMP_PLANES;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return BMC_ERR_BMP_BITCOUNT;
    if (s.os2Core)
        s.compression = 0;
    // RLE8 only describes 8-bit pixels and RLE4 only 4-bit ones; any other pairing would write
    // pixels of the wrong size into the rows.
    if (s.compression > kRle4 || (s.compression == kRle8 && bits != 8)
        || (s.compression == kRle4 && bits != 4))
        return BMC_ERR_BMP_COMP;
    if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        // Zero, like a missing field, means the full palette.
        if (s.coloursUsed == 0 || s.coloursUsed > full)
            s.coloursUsed = full;
    } else {
        s.coloursUsed = 0;
    }
    s.inv = FindOptionWord(opt, "inv");
    s.invb = FindOptionWord(opt, "invb");
    s.geo = { static_cast<int>(w), static_cast<int>(h), static_cast<int>(bits) };
    bmc.w = s.geo.w;
    bmc.h = s.geo.h;
    bmc.bpp = s.geo.bpp;
    storePriv(bmc, s);
    return BMC_ERR_OK;
}

int readPalette(int fd, BMC& bmc, BmcRgb* rgb)
{
    const auto s = loadPriv<BmpState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    if (bmc.bpp == 24)
        return BMC_ERR_OK;
    if (s.coloursUsed > (1u << bmc.bpp))
        return BMC_ERR_BAD_ARG;
    const int entrySize = s.os2Core ? 3 : 4;
    const long at = s.base + kFileHeader + static_cast<long>(s.cbFix);
    const std::size_t bytes = static_cast<std::size_t>(s.coloursUsed) * entrySize;
    std::uint8_t pal[256 * 4];
    if (!seekTo(fd, at) || readFully(fd, pal, bytes) != bytes)
        return BMC_ERR_READ;
    std::fill(rgb, rgb + (1 << bmc.bpp), BmcRgb {});
    for (std::uint32_t i = 0; i < s.coloursUsed; ++i) {
        const std::uint8_t* e = pal + static_cast<std::size_t>(i) * entrySize;
        rgb[i] = { e[2], e[1], e[0] };
    }
    if (bmc.bpp == 1 && !s.inv)
        std::swap(rgb[0], rgb[1]);
    return BMC_ERR_OK;
}

// Windows run-length decoding into a zeroed buffer: pixels passed over stay 0. Every count and
// move is checked against the row and the image before anything is written.
int decodeRle(ReadAheadBuffer& in, const BMC& bmc, bool rle4, std::uint8_t* data, Progress& progress)
{
    const int w = bmc.w;
    const int h = bmc.h;
    const std::size_t stride = bmc_row_size(bmc);
    int x = 0;
    int y = 0;
    auto setPixel = [&](std::uint8_t* row, int px, int v) {
        if (!rle4) {
            row[px] = static_cast<std::uint8_t>(v);
        } else if ((px & 1) == 0) {
            row[px >> 1] = static_cast<std::uint8_t>((row[px >> 1] & 0x0F) | (v << 4));
        } else {
            row[px >> 1] = static_cast<std::uint8_t>((row[px >> 1] & 0xF0) | v);
        }
    };
    for (;;) {
        const int count = in.get();
        const int value = in.get();
        if (value < 0)
            return BMC_ERR_READ;
        if (count > 0) {
            if (y >= h)
                return BMC_ERR_READ;
            // An encoded run that overshoots the row is cut at its end.
            const int n = std::min(count, w - x);
            std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
            if (!rle4) {
                std::memset(row + x, value, static_cast<std::size_t>(n));
            } else {
                for (int i = 0; i < n; ++i)
                    setPixel(row, x + i, (i & 1) == 0 ? value >> 4 : value & 0x0F);
            }
            x += n;
            continue;
        }
        if (value == 0) { // end of line
            if (y >= h)
                return BMC_ERR_READ;
            x = 0;
            ++y;
            progress.report(y, 0, h);
        } else if (value == 1) { // end of bitmap
            return BMC_ERR_OK;
        } else if (value == 2) { // delta right and up
            const int dx = in.get();
            const int dy = in.get();
            if (dy < 0)
                return BMC_ERR_READ;
            if (x + dx > w || y + dy > h)
                return BMC_ERR_READ;
            x += dx;
            y += dy;
        } else { // absolute run of `value` pixels, padded to an even number of bytes
            const int n = value;
            if (y >= h || x + n > w)
                return BMC_ERR_READ;
            const int bytes = rle4 ? (n + 1) / 2 : n;
            std::uint8_t buf[256];
            if (in.read(buf, static_cast<std::size_t>(bytes + (bytes & 1)))
                != static_cast<std::size_t>(bytes + (bytes & 1)))
                return BMC_ERR_READ;
            std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
            if (!rle4) {
                std::memcpy(row + x, buf, static_cast<std::size_t>(n));
            } else {
                for (int i = 0; i < n; ++i)
                    setPixel(row, x + i, (i & 1) == 0 ? buf[i >> 1] >> 4 : buf[i >> 1] & 0x0F);
            }
            x += n;
        }
    }
}

int readData(int fd, BMC& bmc, std::uint8_t* data, Progress& progress)
{
    const auto s = loadPriv<BmpState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    if (s.offBits > static_cast<std::uint32_t>(LONG_MAX) || !seekTo(fd, static_cast<long>(s.offBits)))
        return BMC_ERR_READ;
    const std::size_t stride = bmc_row_size(bmc);
    const std::size_t total = stride * static_cast<std::size_t>(bmc.h);
    ReadAheadBuffer in(fd);
    if (s.compression == 0) {
        // Rows in the file already have the buffer's layout: bottom-up, padded to 4 bytes.
        constexpr std::size_t chunkRows = 64;
        for (int y = 0; y < bmc.h; y += static_cast<int>(chunkRows)) {
            const std::size_t rows = std::min<std::size_t>(chunkRows, static_cast<std::size_t>(bmc.h - y));
            const std::size_t bytes = rows * stride;
            if (in.read(data + static_cast<std::size_t>(y) * stride, bytes) != bytes)
                return BMC_ERR_READ;
            progress.report(y + static_cast<std::int64_t>(rows), 0, bmc.h);
        }
    } else {
        std::memset(data, 0, total);
        const int rc = decodeRle(in, bmc, s.compression == kRle4, data, progress);
        if (rc != BMC_ERR_OK)
            return rc;
        progress.report(bmc.h, 0, bmc.h);
    }
    if (s.invb) {
        for (std::size_t i = 0; i < total; ++i)
            data[i] = static_cast<std::uint8_t>(~data[i]);
    }
    return BMC_ERR_OK;
}

int write(const char*, int fd, const BMC& bmc, const BmcRgb* rgb, const std::uint8_t* data, const char* opt,
    Progress& progress)
{
    const bool os2 = FindOptionWord(opt, "1.1");
    if (os2 && (FindOptionWord(opt, "win") || FindOptionWord(opt, "2.0")))
        return BMC_ERR_BAD_OPTION;
    const bool inv = FindOptionWord(opt, "inv");
    bool invb = FindOptionWord(opt, "invb");
    const int w = bmc.w;
    const int h = bmc.h;
    if (os2 && (w > 65535 || h > 65535))
        return BMC_ERR_BAD_SIZE;

    const int entries = bmc.bpp == 24 ? 0 : 1 << bmc.bpp;
    BmcRgb pal[256];
    if (bmc.bpp == 1) {
        const BmcRgb white { 255, 255, 255 };
        const BmcRgb black { 0, 0, 0 };
        pal[0] = inv ? white : black;
        pal[1] = inv ? black : white;
        if (FindOptionWord(opt, "darkfg") && brightness(rgb[0]) < brightness(rgb[1]))
            invb = !invb;
        if (FindOptionWord(opt, "lightfg") && !(brightness(rgb[1]) > brightness(rgb[0])))
            invb = !invb;
    } else {
        std::copy(rgb, rgb + entries, pal);
    }

    const std::size_t stride = bmc_row_size(bmc);
    const std::uint64_t imageSize = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(h);
    const std::uint32_t offBits = os2 ? 26 + 3 * entries : 54 + 4 * entries;
    if (offBits + imageSize > 0xFFFFFFFFu)
        return BMC_ERR_BAD_SIZE;

    WriteBuffer out(fd);
    std::uint8_t hdr[54] = {};
    hdr[0] = 'B';
    hdr[1] = 'M';
    put32(hdr + 2, static_cast<std::uint32_t>(offBits + imageSize));
    put32(hdr + 10, offBits);
    if (os2) {
        put32(hdr + 14, 12);
        put16(hdr + 18, static_cast<unsigned>(w));
        put16(hdr + 20, static_cast<unsigned>(h));
        put16(hdr + 22, 1);
        put16(hdr + 24, static_cast<unsigned>(bmc.bpp));
        out.write(hdr, 26);
    } else {
        put32(hdr + 14, 40);
        put32(hdr + 18, static_cast<std::uint32_t>(w));
        put32(hdr + 22, static_cast<std::uint32_t>(h));
        put16(hdr + 26, 1);
        put16(hdr + 28, static_cast<unsigned>(bmc.bpp));
        put32(hdr + 34, static_cast<std::uint32_t>(imageSize));
        out.write(hdr, 54);
    }
    progress.report(5, 0, 100);

    for (int i = 0; i < entries; ++i) {
        out.put(pal[i].b);
        out.put(pal[i].g);
        out.put(pal[i].r);
        if (!os2)
            out.put(0);
    }
    progress.report(10, 0, 100);

    if (!invb) {
        constexpr std::size_t chunk = 1 << 20;
        for (std::size_t done = 0; done < imageSize;) {
            const std::size_t n = std::min<std::size_t>(chunk, imageSize - done);
            out.write(data + done, n);
            done += n;
            progress.report(10 + static_cast<std::int64_t>(done * 90 / imageSize), 0, 100);
        }
    } else {
        std::uint8_t block[1024];
        for (std::size_t done = 0; done < imageSize;) {
            const std::size_t n = std::min<std::size_t>(sizeof block, imageSize - done);
            for (std::size_t i = 0; i < n; ++i)
                block[i] = static_cast<std::uint8_t>(~data[done + i]);
            out.write(block, n);
            done += n;
            progress.report(10 + static_cast<std::int64_t>(done * 90 / imageSize), 0, 100);
        }
    }
    return out.flush() ? BMC_ERR_OK : BMC_ERR_WRITE;
}

const char* errText(int rc)
{
    switch (rc) {
    case BMC_ERR_BMP_PLANES:
        return "number of bitmap planes is not 1";
    case BMC_ERR_BMP_BITCOUNT:
        return "bit count not 1, 4, 8 or 24";
    case BMC_ERR_BMP_CBFIX:
        return "cbFix bad";
    case BMC_ERR_BMP_COMP:
        return "compression type not uncompressed, RLE4 or RLE8";
    case BMC_ERR_BMP_OFFSET:
        return "less bitmaps in file than index requested";
    default:
        return nullptr;
    }
}

} // namespace

const Format bmpFormat {
    { "Bitmap", "OS/2 1.1, 1.2, 2.0 / Windows 3.0 bitmap", "BMP VGA BGA RLE DIB RL4 RL8" },
    readHeader,
    readPalette,
    readData,
    write,
    errText,
};

} // namespace bmc
