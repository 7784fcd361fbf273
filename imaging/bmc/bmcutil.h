// Shared pieces of the codec formats: buffered reading and writing, options, progress and the
// private area of the BMC record.
#pragma once

#include "imaging/bmc/bmc.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace bmc {

bool FindOptionWord(const char* opt, const char* word);
// The first option word that begins with prefix, or nullptr.
const char* FindOptionPrefix(const char* opt, const char* prefix);

// Reads exactly len bytes unless the file ends or fails first; returns the count read.
std::size_t readFully(int fd, void* buf, std::size_t len);
bool writeFully(int fd, const void* buf, std::size_t len);
bool seekTo(int fd, long pos);

inline unsigned le16(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8);
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void put16(std::uint8_t* p, unsigned v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// Brightness used to decide which of two palette entries is the darker one.
inline int brightness(const BmcRgb& c)
{
    return 30 * c.r + 60 * c.g + 10 * c.b;
}

// The readers' input: one byte at a time from a 16384-byte window, -1 at the end of the file.
// Starts at the handle's current position.
class ReadAheadBuffer {
public:
    explicit ReadAheadBuffer(int fd)
        : m_fd(fd)
    {
    }
    ReadAheadBuffer(const ReadAheadBuffer&) = delete;
    ReadAheadBuffer& operator=(const ReadAheadBuffer&) = delete;

    int get()
    {
        if (m_pos < m_len)
            return m_buf[m_pos++];
        return refill();
    }
    // Copies up to len bytes; returns the count (short only at the end of the file).
    std::size_t read(std::uint8_t* dst, std::size_t len);

private:
    int refill();

    int m_fd;
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
    bool m_end = false;
    std::array<std::uint8_t, 16384> m_buf {};
};

// Output gathered into large writes; the first failure sticks and is reported by ok().
class WriteBuffer {
public:
    explicit WriteBuffer(int fd)
        : m_fd(fd)
    {
        m_buf.reserve(kSize);
    }
    void put(std::uint8_t b)
    {
        m_buf.push_back(b);
        if (m_buf.size() >= kSize)
            flush();
    }
    void write(const void* data, std::size_t len);
    bool flush();
    bool ok() const { return m_ok; }

private:
    static constexpr std::size_t kSize = 65536;
    int m_fd;
    bool m_ok = true;
    std::vector<std::uint8_t> m_buf;
};

// Percent = (current - min) * 100 div (max - min), clamped, reported only when it changes.
class Progress {
public:
    Progress(BmcProgressProc proc, void* data)
        : m_proc(proc)
        , m_data(data)
    {
    }
    void report(std::int64_t current, std::int64_t min, std::int64_t max);

private:
    BmcProgressProc m_proc;
    void* m_data;
    int m_last = -1;
};

// The private area is plain bytes: a format copies its state in and out, which stays valid even
// when the caller copies the BMC record between calls.
template <typename T> void storePriv(BMC& bmc, const T& state)
{
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= BMC_PRIV_SIZE);
    std::memcpy(bmc.priv, &state, sizeof(T));
}
template <typename T> T loadPriv(const BMC& bmc)
{
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= BMC_PRIV_SIZE);
    T state;
    std::memcpy(&state, bmc.priv, sizeof(T));
    return state;
}

// What a header reader needs to agree with before the data reader trusts the record.
struct Geometry {
    int w;
    int h;
    int bpp;
    bool operator==(const Geometry&) const = default;
};
inline Geometry geometryOf(const BMC& bmc)
{
    return { bmc.w, bmc.h, bmc.bpp };
}

// Width, height and depth a file may declare before anything is allocated for it.
bool sizeAcceptable(std::int64_t w, std::int64_t h);
bool validBpp(int bpp);

// One file format: its table entry and its five procedures.
struct Format {
    BmcFileType info;
    int (*readHeader)(const char* fn, int fd, BMC& bmc, const char* opt);
    int (*readPalette)(int fd, BMC& bmc, BmcRgb* rgb);
    int (*readData)(int fd, BMC& bmc, std::uint8_t* data, Progress& progress);
    int (*write)(const char* fn, int fd, const BMC& bmc, const BmcRgb* rgb, const std::uint8_t* data,
        const char* opt, Progress& progress);
    const char* (*errText)(int rc);
};

} // namespace bmc
