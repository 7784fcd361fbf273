#pragma once
// Helpers shared by the picture library's tests.
#include "imaging/dibgraphic.h"
#include "platform/core/stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

inline std::string dataPath(const std::string& name)
{
    return std::string(FENDRIX_TEST_DATA) + "/" + name;
}

inline std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void fillStream(platform::TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.Clear();
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

// A binary PPM (P6) or PGM (P5) file: width, height and the samples, top row first.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> samples;
};

inline Pnm readPnm(const std::string& path)
{
    const auto bytes = readFile(path);
    Pnm pnm;
    std::size_t pos = 0;
    auto token = [&]() {
        while (pos < bytes.size() && std::isspace(bytes[pos]))
            ++pos;
        std::string t;
        while (pos < bytes.size() && !std::isspace(bytes[pos]))
            t += static_cast<char>(bytes[pos++]);
        return t;
    };
    const std::string magic = token();
    pnm.channels = magic == "P6" ? 3 : 1;
    pnm.width = std::stoi(token());
    pnm.height = std::stoi(token());
    token(); // maximum value, 255
    ++pos;
    pnm.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
    return pnm;
}

// A picture of the given format whose pixels follow a fixed pattern: 16 x 16 blocks of one
// palette index (paletted formats) or one colour (true colour).
inline void makeBlockPicture(TDibGraphic& picture, TImageFormat format, int width, int height)
{
    picture.NewImage(width, height, format, nullptr, 0, 0);
    const int entries = format == ifTrueColor ? 0 : picture.LogPalette().palNumEntries;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int block = (x / 16) * 7 + (y / 16) * 3;
            if (format == ifTrueColor)
                picture.SetPixelColor(
                    x, y, MakeRgb(uint8_t(block * 37), uint8_t(255 - block * 23), uint8_t(block * 61)));
            else
                picture.SetPixelIndex(x, y, block % entries);
        }
}

} // namespace testsupport
