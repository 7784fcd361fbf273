#include "platform/core/versionblock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

std::array<uint8_t, 16> magic()
{
    std::array<uint8_t, 16> m {};
    for (std::size_t i = 0; i < m.size(); ++i)
        m[i] = static_cast<uint8_t>(detail::kScrambledMagic[i] ^ detail::kMagicScramble);
    return m;
}

uint32_t getLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

std::optional<VersionInfo> findVersionBlock(const uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kVersionBlockSize)
        return std::nullopt;
    const auto m = magic();
    const uint8_t* end = data + size - kVersionBlockSize + 1;
    for (const uint8_t* p = data; p < end; ++p) {
        p = static_cast<const uint8_t*>(std::memchr(p, m[0], static_cast<std::size_t>(end - p)));
        if (p == nullptr)
            break;
        if (std::memcmp(p, m.data(), m.size()) != 0)
            continue;
        const uint32_t ms = getLE32(p + 16);
        const uint32_t ls = getLE32(p + 20);
        const uint32_t flags = getLE32(p + 24);
        if (getLE32(p + 28) != detail::checkWord(ms, ls, flags))
            continue;
        VersionInfo info;
        info.major = static_cast<uint16_t>(ms >> 16);
        info.minor = static_cast<uint16_t>(ms & 0xFFFF);
        info.release = static_cast<uint16_t>(ls >> 16);
        info.build = static_cast<uint16_t>(ls & 0xFFFF);
        info.preRelease = (flags & kVersionFlagPreRelease) != 0;
        return info;
    }
    return std::nullopt;
}

std::optional<VersionInfo> readVersionBlock(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // Read in chunks that overlap by one block so that a block across a boundary is found.
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<uint8_t> buffer(kChunk + kVersionBlockSize);
    std::size_t carried = 0;
    while (in) {
        in.read(reinterpret_cast<char*>(buffer.data() + carried), static_cast<std::streamsize>(kChunk));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        const std::size_t have = carried + got;
        if (auto info = findVersionBlock(buffer.data(), have))
            return info;
        carried = std::min(have, kVersionBlockSize - 1);
        std::memmove(buffer.data(), buffer.data() + have - carried, carried);
        if (got == 0)
            break;
    }
    return std::nullopt;
}

std::string runningExecutablePath()
{
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

} // namespace platform
