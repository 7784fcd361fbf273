#include "platform/qt/picturecanvas.h"

#include <QPainter>

#include <cstdlib>

namespace platform {

QImage DibToQImage(const TBitmapInfo& info, const uint8_t* bits)
{
    const int width = info.bmiHeader.biWidth;
    const int height = std::abs(info.bmiHeader.biHeight);
    if (bits == nullptr || width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (info.bmiHeader.biBitCount == 24) {
            const int64_t stride = DibBytesPerRow(width, 24);
            const uint8_t* p = bits + (info.bmiHeader.biHeight < 0 ? y : height - 1 - y) * stride;
            for (int x = 0; x < width; ++x, p += 3)
                out[x] = qRgb(p[2], p[1], p[0]);
        } else {
            for (int x = 0; x < width; ++x) {
                const TColorRef c = DibPixelColorRef(info, bits, x, y);
                out[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            }
        }
    }
    return image;
}

TBitmap QImageToBitmap(const QImage& image)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    if (image.isNull())
        return bitmap;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    bitmap.SetSize(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[4 * x] = static_cast<uint8_t>(qBlue(in[x]));
            out[4 * x + 1] = static_cast<uint8_t>(qGreen(in[x]));
            out[4 * x + 2] = static_cast<uint8_t>(qRed(in[x]));
            out[4 * x + 3] = 0;
        }
    }
    return bitmap;
}

void TQtPictureCanvas::DrawImage(const TRect& dest, const TRect& source, const QImage& image)
{
    if (image.isNull() || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    m_painter.save();
    // Whole pixels are repeated or dropped, never blended: colours stay exact.
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), image,
        QRect(source.Left, source.Top, source.Width(), source.Height()));
    m_painter.restore();
}

void TQtPictureCanvas::StretchDIBits(
    const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits)
{
    DrawImage(dest, source, DibToQImage(info, bits));
}

void TQtPictureCanvas::TransparentStretchDIBits(const TRect& dest, const TRect& source,
    const TBitmapInfo& info, const uint8_t* bits, TColorRef transparent)
{
    QImage image = DibToQImage(info, bits).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(transparent & 0xFF, (transparent >> 8) & 0xFF, (transparent >> 16) & 0xFF);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                row[x] = 0;
    }
    DrawImage(dest, source, image);
}

} // namespace platform
