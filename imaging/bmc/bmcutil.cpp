#include "imaging/bmc/bmcutil.h"

#include "platform/core/picturelimits.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

namespace bmc {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool sameIgnoringCase(const char* a, const char* b, std::size_t len)
{
    for (std::size_t i = 0; i < len; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Calls f(word, length) for each word of opt until f returns true; returns that word or nullptr.
template <typename F> const char* findWord(const char* opt, F f)
{
    if (opt == nullptr)
        return nullptr;
    const char* p = opt;
    while (*p != '\0') {
        while (isSpace(*p))
            ++p;
        const char* start = p;
        while (*p != '\0' && !isSpace(*p))
            ++p;
        if (p > start && f(start, static_cast<std::size_t>(p - start)))
            return start;
    }
    return nullptr;
}

} // namespace

bool FindOptionWord(const char* opt, const char* word)
{
    const std::size_t len = std::strlen(word);
    return findWord(opt, [&](const char* w, std::size_t n) {
        return n == len && sameIgnoringCase(w, word, n);
    }) != nullptr;
}

const char* FindOptionPrefix(const char* opt, const char* prefix)
{
    const std::size_t len = std::strlen(prefix);
    return findWord(
        opt, [&](const char* w, std::size_t n) { return n >= len && sameIgnoringCase(w, prefix, len); });
}

std::size_t readFully(int fd, void* buf, std::size_t len)
{
    auto* dst = static_cast<std::uint8_t*>(buf);
    std::size_t done = 0;
    while (done < len) {
        const int chunk = static_cast<int>(std::min<std::size_t>(len - done, INT_MAX / 2));
        const int got = bmc_io_read(fd, dst + done, chunk);
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool writeFully(int fd, const void* buf, std::size_t len)
{
    const auto* src = static_cast<const std::uint8_t*>(buf);
    std::size_t done = 0;
    while (done < len) {
        const int chunk = static_cast<int>(std::min<std::size_t>(len - done, INT_MAX / 2));
        const int put = bmc_io_write(fd, src + done, chunk);
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool seekTo(int fd, long pos)
{
    return pos >= 0 && bmc_io_lseek(fd, pos, SEEK_SET) == pos;
}

int ReadAheadBuffer::refill()
{
    if (m_end)
        return -1;
    const int got = bmc_io_read(m_fd, m_buf.data(), static_cast<int>(m_buf.size()));
    if (got <= 0) {
        m_end = true;
        m_pos = m_len = 0;
        return -1;
    }
    m_len = static_cast<std::size_t>(got);
    m_pos = 1;
    return m_buf[0];
}

std::size_t ReadAheadBuffer::read(std::uint8_t* dst, std::size_t len)
{
    std::size_t done = std::min(len, m_len - m_pos);
    std::memcpy(dst, m_buf.data() + m_pos, done);
    m_pos += done;
    if (done == len || m_end)
        return done;
    // Large requests go straight to the file; small ones refill the window.
    if (len - done >= m_buf.size()) {
        const std::size_t got = readFully(m_fd, dst + done, len - done);
        if (got < len - done)
            m_end = true;
        return done + got;
    }
    while (done < len) {
        const int c = get();
        if (c < 0)
            break;
        dst[done++] = static_cast<std::uint8_t>(c);
        const std::size_t more = std::min(len - done, m_len - m_pos);
        std::memcpy(dst + done, m_buf.data() + m_pos, more);
        m_pos += more;
        done += more;
    }
    return done;
}

void WriteBuffer::write(const void* data, std::size_t len)
{
    const auto* src = static_cast<const std::uint8_t*>(data);
    if (m_buf.size() + len < kSize) {
        m_buf.insert(m_buf.end(), src, src + len);
        return;
    }
    flush();
    if (m_ok && !writeFully(m_fd, src, len))
        m_ok = false;
}

bool WriteBuffer::flush()
{
    if (m_ok && !m_buf.empty() && !writeFully(m_fd, m_buf.data(), m_buf.size()))
        m_ok = false;
    m_buf.clear();
    return m_ok;
}

void Progress::report(std::int64_t current, std::int64_t min, std::int64_t max)
{
    if (m_proc == nullptr)
        return;
    int percent = 100;
    if (max > min)
        percent = static_cast<int>(std::clamp<std::int64_t>((current - min) * 100 / (max - min), 0, 100));
    if (percent != m_last) {
        m_last = percent;
        m_proc(percent, m_data);
    }
}

bool sizeAcceptable(std::int64_t w, std::int64_t h)
{
    return w >= 1 && h >= 1 && w <= INT_MAX && h <= INT_MAX && w * h <= platform::kMaxPicturePixels;
}

bool validBpp(int bpp)
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24;
}

} // namespace bmc
