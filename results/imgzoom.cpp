#include "results/imgzoom.h"

#include "model/lptypes.h"
#include "platform/qt/controls.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cmath>

QImage RotateBitmap(const QImage& Source, int& Width, int& Height, double Angle, const QColor& Background)
{
    const int w = Width;
    const int h = Height;
    const double s = std::sin(Angle);
    const double c = std::cos(Angle);
    const auto rnd = [](double v) { return static_cast<int>(RoundHalfEven(v)); };
    const int x1 = rnd(-h * s), y1 = rnd(h * c);
    const int x2 = rnd(w * c - h * s), y2 = rnd(h * c + w * s);
    const int x3 = rnd(w * c), y3 = rnd(w * s);
    const int minX = std::min({ 0, x1, x2, x3 }), maxX = std::max({ 0, x1, x2, x3 });
    const int minY = std::min({ 0, y1, y2, y3 }), maxY = std::max({ 0, y1, y2, y3 });
    const int newW = maxX - minX;
    const int newH = maxY - minY;

    QImage turned(std::max(1, newW), std::max(1, newH), QImage::Format_RGB32);
    turned.fill(Background);
    const QImage source = Source.convertToFormat(QImage::Format_RGB32);
    // Only pixels that exist in both the given size and the picture can be copied.
    const int srcW = std::min(w, source.width());
    const int srcH = std::min(h, source.height());
    for (int y = 0; y < newH; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(turned.scanLine(y));
        const int v = y + minY;
        for (int x = 0; x < newW; ++x) {
            const int u = x + minX;
            const int sx = rnd(u * c + v * s);
            const int sy = rnd(v * c - u * s);
            if (sx >= 0 && sx < srcW && sy >= 0 && sy < srcH)
                dst[x] = reinterpret_cast<const QRgb*>(source.constScanLine(sy))[sx];
        }
    }
    Width = newW;
    Height = newH;
    return turned;
}

// ---- picture box ----------------------------------------------------------------------------

TPictureBox::TPictureBox(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
}

void TPictureBox::SetPicture(const QImage& picture)
{
    m_picture = picture;
    if (AutoSize)
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void TPictureBox::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

void TPictureBox::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) {
        const QPoint p = event->position().toPoint();
        OnMouseMove(this, p.x(), p.y());
    }
    QWidget::mouseMoveEvent(event);
}

// ---- zoom window ----------------------------------------------------------------------------

TfrmImgZoom::TfrmImgZoom(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmImgZoom"));
    setWindowTitle(QStringLiteral("Image"));
    setFont(platform::formFont(8));
    Image1 = new TPictureBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->AutoSize = true;
    Image1->move(0, 0);
}

void TfrmImgZoom::SetPicture(const QImage& picture)
{
    Image1->SetPicture(picture);
    const QSize size = picture.deviceIndependentSize().toSize();
    setFixedSize(std::max(1, size.width()), std::max(1, size.height()));
}

void ShowImageZoom(const QLabel* Image)
{
    if (!Image)
        return;
    QWidget* mainForm = Image->window();
    TfrmImgZoom zoom(mainForm);
    zoom.SetPicture(Image->pixmap().toImage());
    if (mainForm)
        zoom.move(mainForm->geometry().center() - QPoint(zoom.width() / 2, zoom.height() / 2));
    zoom.exec();
}

void ShowBitmapZoom(const QImage& Bitmap, QWidget* owner)
{
    TfrmImgZoom zoom(owner);
    zoom.SetPicture(Bitmap);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        zoom.move(screen->geometry().center() - QPoint(zoom.width() / 2, zoom.height() / 2));
    zoom.exec();
}
