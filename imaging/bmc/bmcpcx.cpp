#include "imaging/bmc/bmcpcx.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>

namespace bmc {

namespace {

constexpr int kHeaderSize = 128;
constexpr int kHeaderRead = 70;
constexpr int kPaletteTrailer = 769; // marker byte 12 and 256 entries of red, green, blue

struct PcxState {
    Geometry geo;
    int bitsPerPlane;
    int planes;
    int bytesPerLine;
    bool trunc;
    std::uint8_t headerPalette[48];
};

// Bytes of one plane line that hold pixels.
int usedBytesPerLine(int w, int bitsPerPlane)
{
    return static_cast<int>((std::int64_t(w) * bitsPerPlane + 7) / 8);
}

int readHeader(const char*, int fd, BMC& bmc, const char* opt)
{
    std::uint8_t hdr[kHeaderRead];
    if (!seekTo(fd, 0) || readFully(fd, hdr, sizeof hdr) != sizeof hdr)
        return BMC_ERR_READ;
    if (hdr[0] != 10)
        return BMC_ERR_BAD_MAGIC;
    // Versions 0 (2.5), 2 and 3 (2.8), 4 (Windows) and 5 (3.0) share one layout.
    if (hdr[1] > 5)
        return BMC_ERR_PCX_BAD_VERSION;
    if (hdr[2] != 1)
        return BMC_ERR_PCX_BAD_ENCMODE;

    PcxState s {};
    s.bitsPerPlane = hdr[3];
    s.planes = hdr[65];
    int bpp = 0;
    if (s.bitsPerPlane == 1 && s.planes == 1)
        bpp = 1;
    else if (s.bitsPerPlane == 1 && s.planes == 4)
        bpp = 4;
    else if (s.bitsPerPlane == 4 && s.planes == 1)
        bpp = 4;
    else if (s.bitsPerPlane == 8 && s.planes == 1)
        bpp = 8;
    else if (s.bitsPerPlane == 8 && s.planes == 3)
        bpp = 24;
    else
        return BMC_ERR_PCX_BAD_BITS;

    const int w = static_cast<int>(le16(hdr + 8)) - static_cast<int>(le16(hdr + 4)) + 1;
    const int h = static_cast<int>(le16(hdr + 10)) - static_cast<int>(le16(hdr + 6)) + 1;
    if (!sizeAcceptable(w, h))
        return BMC_ERR_BAD_SIZE;
    s.bytesPerLine = static_cast<int>(le16(hdr + 66));
    // A file line shorter than its pixels would leave the row partly undefined.
    if (s.bytesPerLine < usedBytesPerLine(w, s.bitsPerPlane))
        return BMC_ERR_BAD_SIZE;
    s.trunc = FindOptionWord(opt, "trunc");
    std::memcpy(s.headerPalette, hdr + 16, sizeof s.headerPalette);
    s.geo = { w, h, bpp };
    bmc.w = w;
    bmc.h = h;
    bmc.bpp = bpp;
    storePriv(bmc, s);
    return BMC_ERR_OK;
}

int readPalette(int fd, BMC& bmc, BmcRgb* rgb)
{
    const auto s = loadPriv<PcxState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    switch (bmc.bpp) {
    case 1:
        rgb[0] = { 0, 0, 0 };
        rgb[1] = { 255, 255, 255 };
        break;
    case 4:
        for (int i = 0; i < 16; ++i)
            rgb[i] = { s.headerPalette[3 * i], s.headerPalette[3 * i + 1], s.headerPalette[3 * i + 2] };
        break;
    case 8: {
        const long size = bmc_io_lseek(fd, 0, SEEK_END);
        // The trailer must lie after the header: a shorter file cannot hold both.
        if (size < kHeaderSize + kPaletteTrailer || !seekTo(fd, size - kPaletteTrailer))
            return BMC_ERR_READ;
        std::uint8_t trailer[kPaletteTrailer];
        if (readFully(fd, trailer, sizeof trailer) != sizeof trailer)
            return BMC_ERR_READ;
        if (trailer[0] != 12)
            return BMC_ERR_PCX_BAD_TRAILER;
        for (int i = 0; i < 256; ++i)
            rgb[i] = { trailer[1 + 3 * i], trailer[2 + 3 * i], trailer[3 + 3 * i] };
        break;
    }
    default:
        break;
    }
    return BMC_ERR_OK;
}

// Plane k of a 4-plane line gives bit k of each pixel; pixels are packed two to a byte.
void gatherPlanes(const std::uint8_t* lines, int bytesPerLine, int w, std::uint8_t* row)
{
    const std::uint8_t* p0 = lines;
    const std::uint8_t* p1 = lines + bytesPerLine;
    const std::uint8_t* p2 = lines + 2 * bytesPerLine;
    const std::uint8_t* p3 = lines + 3 * bytesPerLine;
    for (int x = 0; x < w; ++x) {
        const int byte = x >> 3;
        const int shift = 7 - (x & 7);
        const int pix = ((p0[byte] >> shift) & 1) | (((p1[byte] >> shift) & 1) << 1)
            | (((p2[byte] >> shift) & 1) << 2) | (((p3[byte] >> shift) & 1) << 3);
        if ((x & 1) == 0)
            row[x >> 1] = static_cast<std::uint8_t>(pix << 4);
        else
            row[x >> 1] |= static_cast<std::uint8_t>(pix);
    }
}

int readData(int fd, BMC& bmc, std::uint8_t* data, Progress& progress)
{
    const auto s = loadPriv<PcxState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    if (!seekTo(fd, kHeaderSize))
        return BMC_ERR_READ;
    const int w = bmc.w;
    const int h = bmc.h;
    const std::size_t stride = bmc_row_size(bmc);
    const int bpl = s.bytesPerLine;
    const auto lines = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(bpl) * s.planes);
    ReadAheadBuffer in(fd);
    PcxRun run;
    const int used = usedBytesPerLine(w, s.bitsPerPlane);
    if (bpl < used)
        return BMC_ERR_BAD_ARG;

    for (int y = 0; y < h; ++y) {
        for (int p = 0; p < s.planes; ++p) {
            if (!PcxRleDecodeLine(in, lines.get() + static_cast<std::size_t>(p) * bpl, bpl, s.trunc, run))
                return BMC_ERR_READ;
        }
        std::uint8_t* row = data + static_cast<std::size_t>(h - 1 - y) * stride;
        std::size_t filled = 0;
        if (bmc.bpp == 24) {
            const std::uint8_t* r = lines.get();
            const std::uint8_t* g = r + bpl;
            const std::uint8_t* b = g + bpl;
            for (int x = 0; x < w; ++x) {
                row[3 * x] = b[x];
                row[3 * x + 1] = g[x];
                row[3 * x + 2] = r[x];
            }
            filled = static_cast<std::size_t>(w) * 3;
        } else if (s.planes == 4) {
            gatherPlanes(lines.get(), bpl, w, row);
            filled = static_cast<std::size_t>(w + 1) / 2;
        } else {
            std::memcpy(row, lines.get(), static_cast<std::size_t>(used));
            filled = static_cast<std::size_t>(used);
        }
        std::fill(row + filled, row + stride, std::uint8_t(0));
        progress.report(y + 1, 0, h);
    }
    return BMC_ERR_OK;
}

// Length of the run of v at p, at most limit (p[0] == v). Compares eight bytes at a time: long
// runs are common in drawings and each byte of a photograph needs one comparison only.
int runLength(const std::uint8_t* p, int limit, std::uint8_t v)
{
    const std::uint64_t pattern = 0x0101010101010101ull * v;
    int n = 1;
    while (n + 8 <= limit) {
        std::uint64_t word;
        std::memcpy(&word, p + n, sizeof word);
        const std::uint64_t diff = word ^ pattern;
        if (diff != 0) {
            // Bytes are loaded little-endian first on the machines this builds for; others take
            // the byte loop below.
            if constexpr (std::endian::native == std::endian::little)
                return n + std::countr_zero(diff) / 8;
            break;
        }
        n += 8;
    }
    while (n < limit && p[n] == v)
        ++n;
    return n;
}

// Encodes one line into out, which has room for 2 * len bytes; returns the bytes written.
std::size_t encodeLine(const std::uint8_t* line, int len, std::uint8_t* out)
{
    std::uint8_t* o = out;
    int i = 0;
    while (i < len) {
        const std::uint8_t v = line[i];
        const int n = runLength(line + i, std::min(len - i, 63), v);
        if (n == 1 && v < 0xC0) {
            *o++ = v;
        } else {
            o[0] = static_cast<std::uint8_t>(0xC0 | n);
            o[1] = v;
            o += 2;
        }
        i += n;
    }
    return static_cast<std::size_t>(o - out);
}

int write(const char*, int fd, const BMC& bmc, const BmcRgb* rgb, const std::uint8_t* data, const char*,
    Progress& progress)
{
    const int w = bmc.w;
    const int h = bmc.h;
    const int bitsPerPlane = bmc.bpp == 24 ? 8 : bmc.bpp;
    const int planes = bmc.bpp == 24 ? 3 : 1;
    const int used = usedBytesPerLine(w, bitsPerPlane);
    const int bpl = (used + 1) & ~1;
    if (w > 65536 || h > 65536 || bpl > 65535)
        return BMC_ERR_BAD_SIZE;

    std::uint8_t hdr[kHeaderSize] = {};
    hdr[0] = 10;
    hdr[1] = 5;
    hdr[2] = 1;
    hdr[3] = static_cast<std::uint8_t>(bitsPerPlane);
    put16(hdr + 8, static_cast<unsigned>(w - 1));
    put16(hdr + 10, static_cast<unsigned>(h - 1));
    if (bmc.bpp == 4) {
        for (int i = 0; i < 16; ++i) {
            hdr[16 + 3 * i] = rgb[i].r;
            hdr[17 + 3 * i] = rgb[i].g;
            hdr[18 + 3 * i] = rgb[i].b;
        }
    }
    hdr[65] = static_cast<std::uint8_t>(planes);
    put16(hdr + 66, static_cast<unsigned>(bpl));
    put16(hdr + 68, 1);

    WriteBuffer out(fd);
    out.write(hdr, sizeof hdr);
    // A 1-bit PCX is always black on white: a palette with a darker entry 1 needs the bits flipped.
    const bool complement = bmc.bpp == 1 && brightness(rgb[1]) < brightness(rgb[0]);
    const std::size_t stride = bmc_row_size(bmc);
    // Three plane lines side by side for 24-bit pictures, one otherwise; padding stays zero.
    std::vector<std::uint8_t> lines(static_cast<std::size_t>(bpl) * planes, 0);
    std::vector<std::uint8_t> encoded(2 * static_cast<std::size_t>(bpl));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(h - 1 - y) * stride;
        if (bmc.bpp == 24) {
            std::uint8_t* r = lines.data();
            std::uint8_t* g = r + bpl;
            std::uint8_t* b = g + bpl;
            for (int x = 0; x < w; ++x) {
                b[x] = row[3 * x];
                g[x] = row[3 * x + 1];
                r[x] = row[3 * x + 2];
            }
        } else {
            std::memcpy(lines.data(), row, static_cast<std::size_t>(used));
            if (complement) {
                for (int i = 0; i < used; ++i)
                    lines[static_cast<std::size_t>(i)]
                        = static_cast<std::uint8_t>(~lines[static_cast<std::size_t>(i)]);
            }
        }
        for (int p = 0; p < planes; ++p) {
            const std::uint8_t* line = lines.data() + static_cast<std::size_t>(p) * bpl;
            out.write(encoded.data(), encodeLine(line, bpl, encoded.data()));
        }
        progress.report(y + 1, 0, h);
    }
    if (bmc.bpp == 8) {
        std::uint8_t trailer[kPaletteTrailer];
        trailer[0] = 12;
        for (int i = 0; i < 256; ++i) {
            trailer[1 + 3 * i] = rgb[i].r;
            trailer[2 + 3 * i] = rgb[i].g;
            trailer[3 + 3 * i] = rgb[i].b;
        }
        out.write(trailer, sizeof trailer);
    }
    return out.flush() ? BMC_ERR_OK : BMC_ERR_WRITE;
}

const char* errText(int rc)
{
    switch (rc) {
    case BMC_ERR_PCX_BAD_VERSION:
        return "version number not 4 or 5";
    case BMC_ERR_PCX_BAD_ENCMODE:
        return "encoding mode not 1";
    case BMC_ERR_PCX_BAD_BITS:
        return "unsupported bpp/plane / plane combination";
    case BMC_ERR_PCX_BAD_TRAILER:
        return "corrupt file trailer";
    default:
        return nullptr;
    }
}

} // namespace

bool PcxRleDecodeLine(ReadAheadBuffer& in, std::uint8_t* line, int len, bool trunc, PcxRun& run)
{
    int i = 0;
    if (run.count > 0) {
        const int n = std::min(run.count, len);
        std::memset(line, run.value, static_cast<std::size_t>(n));
        i = n;
        run.count -= n;
    }
    while (i < len) {
        const int c = in.get();
        if (c < 0)
            return false;
        if ((c & 0xC0) == 0xC0) {
            const int v = in.get();
            if (v < 0)
                return false;
            const int count = c & 0x3F;
            const int n = std::min(count, len - i);
            std::memset(line + i, v, static_cast<std::size_t>(n));
            i += n;
            run.count = count - n;
            run.value = static_cast<std::uint8_t>(v);
        } else {
            line[i++] = static_cast<std::uint8_t>(c);
        }
    }
    if (trunc)
        run.count = 0;
    return true;
}

const Format pcxFormat {
    { "PCX", "ZSoft PC Paintbrush Image format", "PCX PCC" },
    readHeader,
    readPalette,
    readData,
    write,
    errText,
};

} // namespace bmc
