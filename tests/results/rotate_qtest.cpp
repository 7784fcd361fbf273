// Turning a bitmap pixel by pixel, and the zoom window's size.
#include "results/imgzoom.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

// A picture whose every pixel tells its own position.
QImage coded(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 200));
    return image;
}

} // namespace

class RotateTest : public QObject {
    Q_OBJECT
private slots:
    void quarterTurnMovesEveryPixel();
    void zeroAngleCopies();
    void anyAngleSize();
    void zoomWindowTakesThePictureSize();
    void imageZoomShowsTheControlsPicture();
};

void RotateTest::quarterTurnMovesEveryPixel()
{
    const int W = 7, H = 4;
    const QImage source = coded(W, H);
    int w = W, h = H;
    const QImage turned = RotateBitmap(source, w, h, -90 * std::numbers::pi / 180, QColor(10, 20, 30));
    QCOMPARE(w, H);
    QCOMPARE(h, W);
    QCOMPARE(turned.size(), QSize(H, W));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = W - y, sy = x;
            if (sx < W)
                QCOMPARE(turned.pixel(x, y), source.pixel(sx, sy));
            else
                QCOMPARE(turned.pixel(x, y), qRgb(10, 20, 30)); // row 0 has no source: the background
        }
    // The source's right edge becomes the top, its top edge the left side.
    QCOMPARE(turned.pixel(0, 1), source.pixel(W - 1, 0));
    QCOMPARE(turned.pixel(H - 1, 1), source.pixel(W - 1, H - 1));
    QCOMPARE(source, coded(W, H)); // the source is left alone
}

void RotateTest::zeroAngleCopies()
{
    const QImage source = coded(9, 5);
    int w = 9, h = 5;
    const QImage copy = RotateBitmap(source, w, h, 0);
    QCOMPARE(QSize(w, h), QSize(9, 5));
    QCOMPARE(copy, source);
}

void RotateTest::anyAngleSize()
{
    int w = 100, h = 50;
    const double a = 30 * std::numbers::pi / 180;
    RotateBitmap(coded(100, 50), w, h, a);
    // The bounding box of the turned corners.
    const int expectW = int(std::lround(100 * std::cos(a) + 50 * std::sin(a)));
    const int expectH = int(std::lround(100 * std::sin(a) + 50 * std::cos(a)));
    QVERIFY(std::abs(w - expectW) <= 1);
    QVERIFY(std::abs(h - expectH) <= 1);
    // A half turn keeps the size and mirrors both ways.
    w = 6;
    h = 3;
    const QImage half = RotateBitmap(coded(6, 3), w, h, std::numbers::pi);
    QCOMPARE(QSize(w, h), QSize(6, 3));
    QCOMPARE(half.pixel(1, 1), coded(6, 3).pixel(5, 2));
}

void RotateTest::zoomWindowTakesThePictureSize()
{
    TfrmImgZoom zoom;
    // Larger than the screen: the window is still as large as the picture.
    zoom.SetPicture(coded(1500, 1200));
    QCOMPARE(zoom.size(), QSize(1500, 1200));
    QCOMPARE(zoom.Image1->size(), QSize(1500, 1200));
    QCOMPARE(zoom.Image1->pos(), QPoint(0, 0));

    QSize shown;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            shown = w->size();
            w->close();
        }
    });
    ShowBitmapZoom(coded(321, 123));
    QCOMPARE(shown, QSize(321, 123));
}

void RotateTest::imageZoomShowsTheControlsPicture()
{
    QWidget main;
    main.resize(800, 600);
    auto* label = new QLabel(&main);
    label->setPixmap(QPixmap::fromImage(coded(64, 48)));
    QImage seen;
    QTimer::singleShot(0, [&] {
        if (auto* zoom = qobject_cast<TfrmImgZoom*>(QApplication::activeModalWidget())) {
            seen = zoom->Image1->Picture();
            zoom->close();
        }
    });
    ShowImageZoom(label);
    QCOMPARE(seen.size(), QSize(64, 48));
    QCOMPARE(seen.pixel(10, 20), coded(64, 48).pixel(10, 20));
}

QTEST_MAIN(RotateTest)
#include "rotate_qtest.moc"
