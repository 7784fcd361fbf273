#include "imaging/bmc/bmctga.h"

#include <algorithm>
#include <memory>

namespace bmc {

namespace {

constexpr int kHeaderSize = 18;

struct TgaState {
    Geometry geo;
    std::uint8_t hdr[kHeaderSize];
};

int idLength(const std::uint8_t* hdr)
{
    return hdr[0];
}
int imageType(const std::uint8_t* hdr)
{
    return hdr[2];
}
unsigned mapFirst(const std::uint8_t* hdr)
{
    return le16(hdr + 3);
}
unsigned mapLength(const std::uint8_t* hdr)
{
    return le16(hdr + 5);
}
int mapEntryBits(const std::uint8_t* hdr)
{
    return hdr[7];
}
int fileBpp(const std::uint8_t* hdr)
{
    return hdr[16];
}
bool topDown(const std::uint8_t* hdr)
{
    return (hdr[17] & 0x20) != 0;
}

bool colourMapped(int type)
{
    return type == 1 || type == 9;
}
bool gray(int type)
{
    return type == 3 || type == 11;
}
bool runLength(int type)
{
    return type >= 9;
}

int readHeader(const char*, int fd, BMC& bmc, const char*)
{
    TgaState s {};
    if (!seekTo(fd, 0) || readFully(fd, s.hdr, kHeaderSize) != kHeaderSize)
        return BMC_ERR_READ;
    const int type = imageType(s.hdr);
    const int bits = fileBpp(s.hdr);
    if (type > 11)
        return BMC_ERR_TGA_BAD_TYPE;
    switch (type) {
    case 1:
    case 9:
        if (bits != 8)
            return BMC_ERR_TGA_BAD_BPP;
        if (mapEntryBits(s.hdr) != 24)
            return BMC_ERR_TGA_BAD_PAL;
        break;
    case 2:
    case 10:
        if (bits != 16 && bits != 24 && bits != 32)
            return BMC_ERR_TGA_BAD_BPP;
        break;
    case 3:
    case 11:
        if (bits != 8)
            return BMC_ERR_TGA_BAD_BPP;
        break;
    default:
        return BMC_ERR_TGA_BAD_TYPE;
    }
    const int w = static_cast<int>(le16(s.hdr + 12));
    const int h = static_cast<int>(le16(s.hdr + 14));
    if (!sizeAcceptable(w, h))
        return BMC_ERR_BAD_SIZE;
    // The map fills palette entries from its first index on; there are only 256 of them.
    if (colourMapped(type) && mapFirst(s.hdr) + mapLength(s.hdr) > 256)
        return BMC_ERR_BAD_SIZE;
    s.geo = { w, h, bits == 8 ? 8 : 24 };
    bmc.w = s.geo.w;
    bmc.h = s.geo.h;
    bmc.bpp = s.geo.bpp;
    storePriv(bmc, s);
    return BMC_ERR_OK;
}

int readPalette(int fd, BMC& bmc, BmcRgb* rgb)
{
    const auto s = loadPriv<TgaState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    const int type = imageType(s.hdr);
    if (gray(type)) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            rgb[i] = { v, v, v };
        }
    } else if (colourMapped(type)) {
        const unsigned first = mapFirst(s.hdr);
        const unsigned len = mapLength(s.hdr);
        if (first + len > 256)
            return BMC_ERR_BAD_SIZE;
        std::uint8_t map[256 * 3];
        if (!seekTo(fd, kHeaderSize + idLength(s.hdr)) || readFully(fd, map, len * 3) != len * 3)
            return BMC_ERR_READ;
        std::fill(rgb, rgb + 256, BmcRgb {});
        for (unsigned i = 0; i < len; ++i)
            rgb[first + i] = { map[3 * i + 2], map[3 * i + 1], map[3 * i] };
    }
    return BMC_ERR_OK;
}

// Widens or narrows w file pixels of the given byte size into a row of the buffer.
void convertRow(const std::uint8_t* src, int w, int bytes, std::uint8_t* row)
{
    switch (bytes) {
    case 1:
    case 3:
        std::memcpy(row, src, static_cast<std::size_t>(w) * bytes);
        break;
    case 2:
        for (int x = 0; x < w; ++x) {
            const unsigned v = le16(src + 2 * x);
            row[3 * x] = static_cast<std::uint8_t>((v & 0x1F) << 3);
            row[3 * x + 1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
            row[3 * x + 2] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
        }
        break;
    case 4:
        for (int x = 0; x < w; ++x) {
            row[3 * x] = src[4 * x];
            row[3 * x + 1] = src[4 * x + 1];
            row[3 * x + 2] = src[4 * x + 2];
        }
        break;
    default:
        break;
    }
}

// Run-length packets may span rows, so the packet in progress outlives each row.
struct Packet {
    int left = 0;
    bool run = false;
    std::uint8_t pixel[4] = {};
};

bool decodeRow(ReadAheadBuffer& in, Packet& pk, int w, int bytes, std::uint8_t* dst)
{
    int x = 0;
    while (x < w) {
        if (pk.left == 0) {
            const int c = in.get();
            if (c < 0)
                return false;
            pk.run = (c & 0x80) != 0;
            pk.left = (c & 0x7F) + 1;
            if (pk.run
                && in.read(pk.pixel, static_cast<std::size_t>(bytes)) != static_cast<std::size_t>(bytes))
                return false;
        }
        const int n = std::min(pk.left, w - x);
        std::uint8_t* at = dst + static_cast<std::size_t>(x) * bytes;
        if (pk.run) {
            if (bytes == 1) {
                std::memset(at, pk.pixel[0], static_cast<std::size_t>(n));
            } else {
                for (int i = 0; i < n; ++i)
                    std::memcpy(
                        at + static_cast<std::size_t>(i) * bytes, pk.pixel, static_cast<std::size_t>(bytes));
            }
        } else {
            const std::size_t want = static_cast<std::size_t>(n) * bytes;
            if (in.read(at, want) != want)
                return false;
        }
        x += n;
        pk.left -= n;
    }
    return true;
}

int readData(int fd, BMC& bmc, std::uint8_t* data, Progress& progress)
{
    const auto s = loadPriv<TgaState>(bmc);
    if (!(s.geo == geometryOf(bmc)))
        return BMC_ERR_BAD_ARG;
    int entryBits = mapEntryBits(s.hdr);
    if (entryBits == 15)
        entryBits = 16;
    const long offset = kHeaderSize + idLength(s.hdr) + static_cast<long>(mapLength(s.hdr)) * entryBits / 8;
    if (!seekTo(fd, offset))
        return BMC_ERR_READ;

    const int w = bmc.w;
    const int h = bmc.h;
    const int bytes = fileBpp(s.hdr) / 8;
    const std::size_t stride = bmc_row_size(bmc);
    const std::size_t fileRow = static_cast<std::size_t>(w) * bytes;
    const auto line = std::make_unique<std::uint8_t[]>(fileRow);
    const bool rle = runLength(imageType(s.hdr));
    const bool down = topDown(s.hdr);
    ReadAheadBuffer in(fd);
    Packet pk;
    for (int y = 0; y < h; ++y) {
        if (rle) {
            if (!decodeRow(in, pk, w, bytes, line.get()))
                return BMC_ERR_READ;
        } else if (in.read(line.get(), fileRow) != fileRow) {
            return BMC_ERR_READ;
        }
        std::uint8_t* row = data + static_cast<std::size_t>(down ? h - 1 - y : y) * stride;
        convertRow(line.get(), w, bytes, row);
        const std::size_t filled = static_cast<std::size_t>(w) * (bmc.bpp / 8);
        std::fill(row + filled, row + stride, std::uint8_t(0));
        progress.report(y + 1, 0, h);
    }
    return BMC_ERR_OK;
}

int write(const char*, int fd, const BMC& bmc, const BmcRgb* rgb, const std::uint8_t* data, const char* opt,
    Progress& progress)
{
    const bool o16 = FindOptionWord(opt, "16");
    const bool o24 = FindOptionWord(opt, "24");
    const bool o32 = FindOptionWord(opt, "32");
    const bool yup = FindOptionWord(opt, "yup");
    const bool ydown = FindOptionWord(opt, "ydown");
    if (yup && ydown)
        return BMC_ERR_BAD_OPTION;
    if (bmc.bpp != 8 && bmc.bpp != 24)
        return BMC_ERR_NOT_SUPP;
    const int depthOptions = int(o16) + int(o24) + int(o32);
    if ((bmc.bpp == 8 && depthOptions > 0) || depthOptions > 1)
        return BMC_ERR_BAD_OPTION;
    const int w = bmc.w;
    const int h = bmc.h;
    if (w > 65535 || h > 65535)
        return BMC_ERR_BAD_SIZE;

    const int outBits = bmc.bpp == 8 ? 8 : (o16 ? 16 : (o32 ? 32 : 24));
    std::uint8_t hdr[kHeaderSize] = {};
    if (bmc.bpp == 8) {
        hdr[1] = 1;
        hdr[2] = 1;
        put16(hdr + 5, 256);
        hdr[7] = 24;
    } else {
        hdr[2] = 2;
    }
    put16(hdr + 12, static_cast<unsigned>(w));
    put16(hdr + 14, static_cast<unsigned>(h));
    hdr[16] = static_cast<std::uint8_t>(outBits);
    hdr[17] = ydown ? 0x20 : 0;

    WriteBuffer out(fd);
    out.write(hdr, sizeof hdr);
    if (bmc.bpp == 8) {
        std::uint8_t map[256 * 3];
        for (int i = 0; i < 256; ++i) {
            map[3 * i] = rgb[i].b;
            map[3 * i + 1] = rgb[i].g;
            map[3 * i + 2] = rgb[i].r;
        }
        out.write(map, sizeof map);
    }

    const std::size_t stride = bmc_row_size(bmc);
    const std::size_t fileRow = static_cast<std::size_t>(w) * (outBits / 8);
    std::vector<std::uint8_t> line(fileRow);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(ydown ? h - 1 - y : y) * stride;
        switch (outBits) {
        case 8:
        case 24:
            out.write(row, fileRow);
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const unsigned v
                    = ((row[3 * x + 2] >> 3) << 10) | ((row[3 * x + 1] >> 3) << 5) | (row[3 * x] >> 3);
                put16(line.data() + 2 * x, v);
            }
            out.write(line.data(), fileRow);
            break;
        case 32:
            // The fourth byte is written opaque: readers that take it as alpha must not see a
            // transparent picture.
            for (int x = 0; x < w; ++x) {
                line[4 * static_cast<std::size_t>(x)] = row[3 * x];
                line[4 * static_cast<std::size_t>(x) + 1] = row[3 * x + 1];
                line[4 * static_cast<std::size_t>(x) + 2] = row[3 * x + 2];
                line[4 * static_cast<std::size_t>(x) + 3] = 0xFF;
            }
            out.write(line.data(), fileRow);
            break;
        default:
            break;
        }
        progress.report(y + 1, 0, h);
    }
    return out.flush() ? BMC_ERR_OK : BMC_ERR_WRITE;
}

const char* errText(int rc)
{
    switch (rc) {
    case BMC_ERR_TGA_BAD_BPP:
        return "bits per pixel not 8, 16, 24 or 32";
    case BMC_ERR_TGA_BAD_TYPE:
        return "unsupported compression type for bits per pixel";
    case BMC_ERR_TGA_BAD_PAL:
        return "color map entry size not 24 bits per pixel";
    default:
        return nullptr;
    }
}

} // namespace

const Format tgaFormat {
    { "Targa", "Truevision Targa/Vista bitmap", "TGA VST AFI" },
    readHeader,
    readPalette,
    readData,
    write,
    errText,
};

} // namespace bmc
