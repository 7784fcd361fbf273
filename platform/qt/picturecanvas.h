#pragma once
// Drawing pictures on Qt: a canvas over a QPainter for the picture classes, and conversions
// between device-independent bitmaps and QImage.
#include "platform/core/bitmap.h"
#include "platform/core/canvas.h"

#include <QImage>

class QPainter;

namespace platform {

// A copy of a device-independent bitmap (1, 4, 8, 16, 24 or 32 bits) as a 32-bit image.
QImage DibToQImage(const TBitmapInfo& info, const uint8_t* bits);
// The image as a 32-bit bitmap.
TBitmap QImageToBitmap(const QImage& image);

// A canvas that draws with a painter, pixel for pixel (no smoothing when stretching).
class TQtPictureCanvas : public TCanvas {
public:
    explicit TQtPictureCanvas(QPainter& painter)
        : m_painter(painter)
    {
    }

    void StretchDIBits(
        const TRect& dest, const TRect& source, const TBitmapInfo& info, const uint8_t* bits) override;
    void TransparentStretchDIBits(const TRect& dest, const TRect& source, const TBitmapInfo& info,
        const uint8_t* bits, TColorRef transparent) override;

private:
    void DrawImage(const TRect& dest, const TRect& source, const QImage& image);
    QPainter& m_painter;
};

} // namespace platform
