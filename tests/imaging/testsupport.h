#pragma once
// Helpers shared by the picture library's tests.
#include "imaging/dibgraphic.h"
#include "platform/core/stream.h"
#include "tests/imaging/pnm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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

// Largest difference of any colour component between two whole pictures, each a picture or a
// netpbm reference (1000 when their sizes differ): 0 means the same pixels.
inline int widthOf(const TDibGraphic& p)
{
    return p.Width();
}
inline int widthOf(const Pnm& p)
{
    return p.width;
}
inline int heightOf(const TDibGraphic& p)
{
    return p.Height();
}
inline int heightOf(const Pnm& p)
{
    return p.height;
}
inline uint32_t colourAt(const TDibGraphic& p, int x, int y)
{
    return p.GetPixelColor(x, y);
}
inline uint32_t colourAt(const Pnm& p, int x, int y)
{
    return p.rgb(x, y);
}

template <typename A, typename B> int maxDifference(const A& a, const B& b)
{
    if (widthOf(a) != widthOf(b) || heightOf(a) != heightOf(b))
        return 1000;
    int worst = 0;
    for (int y = 0; y < heightOf(a); ++y)
        for (int x = 0; x < widthOf(a); ++x) {
            const uint32_t p = colourAt(a, x, y), q = colourAt(b, x, y);
            for (int shift : { 0, 8, 16 })
                worst = std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
        }
    return worst;
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
