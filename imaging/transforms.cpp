#include "imaging/transforms.h"

#include "imaging/dibgraphic.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

void TImageTransform::Progress(int64_t current, int64_t min, int64_t max)
{
    m_lastPercent = ReportProgress(this, current, min, m_lastPercent, max, OnPercentDone);
}

void TImageTransform::Apply(TDibGraphic& picture)
{
    TDibGraphic temporary;
    ApplyOnDest(picture, temporary);
    picture.Assign(&temporary);
}

void TImageTransform::ApplyOnDest(const TDibGraphic& /*source*/, TDibGraphic& /*dest*/)
{
    throw EPictorelError(
        platform::Format("Method %s not implemented for %s class", "\"ApplyOnDest\"", ClassName().c_str()));
}

// ---- negative ----

void TNegativeTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest)
{
    dest.Assign(&source);
    Apply(dest);
}

void TNegativeTransform::Apply(TDibGraphic& picture)
{
    Progress(0, 0, 100);
    if (picture.Empty()) {
        Progress(100, 0, 100);
        return;
    }
    const int height = picture.Height(), width = picture.Width();
    const int stride = picture.BytesPerRow();
    switch (picture.ImageFormat()) {
    case ifBlackWhite:
    case ifGray256:
        // Assumes the ascending default gray palette: complementing an index complements its gray.
        for (int y = 0; y < height; ++y) {
            uint8_t* row = picture.ScanLine(y);
            for (int i = 0; i < stride; ++i)
                row[i] = static_cast<uint8_t>(~row[i]);
            Progress(y, 0, height - 1);
        }
        break;
    case ifGray16:
        for (int y = 0; y < height; ++y) {
            uint8_t* row = picture.ScanLine(y);
            for (int i = 0; i < stride; ++i)
                row[i] = static_cast<uint8_t>((15 - (row[i] >> 4)) << 4 | (15 - (row[i] & 0x0F)));
            Progress(y, 0, height - 1);
        }
        break;
    case ifColor16:
    case ifColor256: {
        // The indices stay; the palette entries invert.
        const int64_t size = int64_t(stride) * height;
        std::vector<uint8_t> pixels(picture.Bits(), picture.Bits() + size);
        platform::TLogPalette palette = picture.LogPalette();
        for (int i = 0; i < palette.palNumEntries; ++i) {
            auto& e = palette.palPalEntry[i];
            e.peRed = static_cast<uint8_t>(255 - e.peRed);
            e.peGreen = static_cast<uint8_t>(255 - e.peGreen);
            e.peBlue = static_cast<uint8_t>(255 - e.peBlue);
        }
        const uint16_t xDpi = picture.XDotsPerInch(), yDpi = picture.YDotsPerInch();
        picture.NewImage(width, height, picture.ImageFormat(), &palette, xDpi, yDpi);
        std::memcpy(picture.ScanLine(height - 1), pixels.data(), static_cast<std::size_t>(size));
        break;
    }
    case ifTrueColor:
        for (int y = 0; y < height; ++y) {
            uint8_t* row = picture.ScanLine(y);
            for (int i = 0; i < 3 * width; ++i)
                row[i] = static_cast<uint8_t>(~row[i]);
            Progress(y, 0, height - 1);
        }
        break;
    }
    picture.Changed(&picture);
    Progress(100, 0, 100);
}

// ---- rotation ----

void TRotateTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest)
{
    Progress(0, 0, 100);
    const int64_t rounded = RoundHalfEven(m_angle);
    const bool whole = std::fabs(static_cast<double>(rounded) - RoundToDecimals(m_angle, 3)) <= 0.005;
    if (!whole) {
        RotateArbitrary(source, dest);
    } else {
        const int64_t a = ((rounded + 360) % 360 + 360) % 360;
        switch (a) {
        case 0:
            dest.Assign(&source);
            break;
        case 90:
            RotateQuarter(source, dest);
            break;
        case 180:
            RotateHalf(source, dest);
            break;
        case 270:
            RotateThreeQuarters(source, dest);
            break;
        default:
            RotateArbitrary(source, dest);
            break;
        }
    }
    Progress(100, 0, 100);
}

namespace {

// Copies one pixel: by palette index for paletted pictures, by colour for true colour.
inline void copyPixel(const TDibGraphic& source, int sx, int sy, TDibGraphic& dest, int dx, int dy)
{
    if (source.ImageFormat() == ifTrueColor)
        dest.SetPixelColor(dx, dy, source.GetPixelColor(sx, sy));
    else
        dest.SetPixelIndex(dx, dy, source.GetPixelIndex(sx, sy));
}

void newLike(const TDibGraphic& source, TDibGraphic& dest, int width, int height)
{
    dest.NewImage(width, height, source.ImageFormat(), &source.LogPalette(), source.XDotsPerInch(),
        source.YDotsPerInch());
}

} // namespace

void TRotateTransform::RotateQuarter(const TDibGraphic& source, TDibGraphic& dest)
{
    const int w = source.Width(), h = source.Height();
    newLike(source, dest, h, w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            copyPixel(source, x, y, dest, h - 1 - y, x);
        Progress(y, 0, h - 1);
    }
}

void TRotateTransform::RotateHalf(const TDibGraphic& source, TDibGraphic& dest)
{
    const int w = source.Width(), h = source.Height();
    newLike(source, dest, w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            copyPixel(source, x, y, dest, w - 1 - x, h - 1 - y);
        Progress(y, 0, h - 1);
    }
}

void TRotateTransform::RotateThreeQuarters(const TDibGraphic& source, TDibGraphic& dest)
{
    const int w = source.Width(), h = source.Height();
    newLike(source, dest, h, w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            copyPixel(source, x, y, dest, y, w - 1 - x);
        Progress(y, 0, h - 1);
    }
}

void TRotateTransform::RotateArbitrary(const TDibGraphic& source, TDibGraphic& dest)
{
    const int w = source.Width(), h = source.Height();
    const double theta = M_PI * m_angle / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    const int cx = w / 2, cy = h / 2;
    const int corners[4][2] = { { 0, 0 }, { 0, h - 1 }, { w - 1, h - 1 }, { w - 1, 0 } };
    int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        const double dx = corners[i][0] - cx, dy = corners[i][1] - cy;
        const int64_t x = RoundHalfEven(dx * c - dy * s + cx);
        const int64_t y = RoundHalfEven(dx * s + dy * c + cy);
        if (i == 0 || x < minX)
            minX = x;
        if (i == 0 || x > maxX)
            maxX = x;
        if (i == 0 || y < minY)
            minY = y;
        if (i == 0 || y > maxY)
            maxY = y;
    }
    const int64_t newW = maxX - minX + 1, newH = maxY - minY + 1;
    CheckImageSize(newW, newH);
    newLike(source, dest, static_cast<int>(newW), static_cast<int>(newH));
    // Each destination pixel looks up its source by turning back.
    const double bc = std::cos(-theta), bs = std::sin(-theta);
    const int hw = static_cast<int>(newW / 2), hh = static_cast<int>(newH / 2);
    for (int y = 0; y < newH; ++y) {
        for (int x = 0; x < newW; ++x) {
            int64_t sx = RoundHalfEven((x - hw) * bc - (y - hh) * bs + cx);
            int64_t sy = RoundHalfEven((x - hw) * bs + (y - hh) * bc + cy);
            if (sx == w)
                sx = w - 1;
            if (sy == h)
                sy = h - 1;
            if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                copyPixel(source, static_cast<int>(sx), static_cast<int>(sy), dest, x, y);
            else
                dest.SetPixelColor(x, y, m_backgroundColor);
        }
        Progress(y, 0, newH - 1);
    }
}
