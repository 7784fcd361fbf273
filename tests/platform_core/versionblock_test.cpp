#include "platform/core/versionblock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

namespace {

std::filesystem::path tempFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(VersionBlock, RoundTripsEveryFieldAndRejectsABadCheckWord)
{
    auto block = platform::encodeVersionBlock({ 3, 17, 65535, 42, true });
    const auto out = platform::findVersionBlock(block.data(), block.size());
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(std::tuple(out->major, out->minor, out->release, out->build, out->preRelease),
        std::tuple(3, 17, 65535, 42, true));
    EXPECT_FALSE(platform::findVersionBlock(block.data(), block.size() - 1).has_value());
    EXPECT_FALSE(platform::findVersionBlock(nullptr, 0).has_value());
    block[20] ^= 1; // a changed version word no longer matches its check word
    EXPECT_FALSE(platform::findVersionBlock(block.data(), block.size()).has_value());
}

TEST(VersionBlock, FoundAcrossReadChunkBoundary)
{
    // The reader works in 1 MiB chunks: put the block across the first boundary.
    std::vector<uint8_t> bytes((1u << 20) + 100, 0xCC);
    const auto block = platform::encodeVersionBlock({ 7, 8, 9, 10, false });
    std::copy(block.begin(), block.end(), bytes.begin() + (1 << 20) - 13);
    const auto path = tempFile("fendrix_versionblock_chunk.bin", bytes);
    const auto info = platform::readVersionBlock(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->major, 7);
    EXPECT_EQ(info->build, 10);
    EXPECT_FALSE(platform::readVersionBlock("/nonexistent/fendrix/file").has_value());
}

TEST(VersionBlock, BuildStampsTheRunningProgram)
{
    const auto info = platform::readVersionBlock(platform::runningExecutablePath());
    ASSERT_TRUE(info.has_value());
    // The stamp carries the project version; it is at least 1.0.
    EXPECT_GE(info->major, 1);
}

} // namespace
