#pragma once
// The version block: the executable's version stamp, written by the build into every program
// and found again by scanning the file's bytes. It stands in for a version resource.
//
// Layout (32 bytes, little-endian): 16 magic bytes, the file version's most significant word
// (major << 16 | minor), its least significant word (release << 16 | build), the file flags
// (bit 1: pre-release) and a check word that rejects chance matches of the magic.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct VersionInfo {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t release = 0;
    uint16_t build = 0;
    bool preRelease = false;
};

constexpr std::size_t kVersionBlockSize = 32;
constexpr uint32_t kVersionFlagPreRelease = 0x2;

namespace detail {
// The magic is held scrambled so that the scanner's own copy of it never reads as a block;
// only a stamped block holds it in the clear.
constexpr uint8_t kMagicScramble = 0x5A;
constexpr std::array<uint8_t, 16> kScrambledMagic
    = { 'F' ^ 0x5A, 'd' ^ 0x5A, 'x' ^ 0x5A, 'V' ^ 0x5A, 'e' ^ 0x5A, 'r' ^ 0x5A, 's' ^ 0x5A, 'i' ^ 0x5A,
          'o' ^ 0x5A, 'n' ^ 0x5A, 'B' ^ 0x5A, 'l' ^ 0x5A, 'k' ^ 0x5A, 0x01 ^ 0x5A, 0xFE ^ 0x5A, 0x7F ^ 0x5A };
constexpr uint32_t kCheckSeed = 0xA5C3F00Fu;

constexpr uint32_t checkWord(uint32_t ms, uint32_t ls, uint32_t flags)
{
    return ~(ms ^ (ls * 3u) ^ (flags << 7) ^ kCheckSeed);
}

constexpr void putLE32(std::array<uint8_t, kVersionBlockSize>& b, std::size_t at, uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
} // namespace detail

// Bytes of a block for the given version (what the build stamps).
constexpr std::array<uint8_t, kVersionBlockSize> encodeVersionBlock(const VersionInfo& info)
{
    std::array<uint8_t, kVersionBlockSize> block {};
    for (std::size_t i = 0; i < detail::kScrambledMagic.size(); ++i)
        block[i] = static_cast<uint8_t>(detail::kScrambledMagic[i] ^ detail::kMagicScramble);
    const uint32_t ms = uint32_t(info.major) << 16 | info.minor;
    const uint32_t ls = uint32_t(info.release) << 16 | info.build;
    const uint32_t flags = info.preRelease ? kVersionFlagPreRelease : 0;
    detail::putLE32(block, 16, ms);
    detail::putLE32(block, 20, ls);
    detail::putLE32(block, 24, flags);
    detail::putLE32(block, 28, detail::checkWord(ms, ls, flags));
    return block;
}

// First valid block in the bytes, if any.
std::optional<VersionInfo> findVersionBlock(const uint8_t* data, std::size_t size);

// First valid block in the file; nothing when the file cannot be read or has none.
std::optional<VersionInfo> readVersionBlock(const std::string& path);

// Path of the running program.
std::string runningExecutablePath();

} // namespace platform
