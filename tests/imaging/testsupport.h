#pragma once
// Helpers shared by the picture library's tests.
#include "imaging/dibgraphic.h"
#include "platform/core/stream.h"
#include "tests/imaging/pnm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

inline std::string dataPath(const std::string& name)
{
    return std::string(FENDRIX_TEST_DATA) + "/" + name;
}

using pnm::readFile;

inline void fillStream(platform::TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.Clear();
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

using pnm::Pnm;
using pnm::readPnm;

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
