#include "platform/core/bitmap.h"
#include "platform/core/clipboard.h"
#include "platform/core/graphics.h"
#include "platform/core/messageloop.h"
#include "platform/core/timer.h"
#include "platform/qt/picturecanvas.h"
#include "platform/qt/pictureplatform.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

QGuiApplication& app()
{
    static int argc = 1;
    static char name[] = "picturecanvas_test";
    static char* argv[] = { name, nullptr };
    static QGuiApplication application(argc, argv);
    return application;
}

platform::TBitmap twoByTwo()
{
    platform::TBitmap b;
    b.SetPixelFormat(platform::TPixelFormat::pf24bit);
    b.SetSize(2, 2);
    b.Canvas().SetPixel(0, 0, 0x0000FF); // red (window colours are 0x00BBGGRR)
    b.Canvas().SetPixel(1, 0, 0x00FF00);
    b.Canvas().SetPixel(0, 1, 0xFF0000);
    b.Canvas().SetPixel(1, 1, 0xFFFFFF);
    return b;
}

} // namespace

TEST(QtPictureCanvas, StretchesWithoutBlending)
{
    app();
    const platform::TBitmap b = twoByTwo();
    QImage target(8, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        platform::TQtPictureCanvas canvas(painter);
        canvas.StretchDIBits(platform::Rect(0, 0, 8, 8), platform::Rect(0, 0, 2, 2), b.Info(), b.Bits());
    }
    EXPECT_EQ(target.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(4, 3), qRgb(0, 255, 0));
    EXPECT_EQ(target.pixel(3, 4), qRgb(0, 0, 255));
    EXPECT_EQ(target.pixel(7, 7), qRgb(255, 255, 255));
}

TEST(QtPictureCanvas, TransparentColourLeavesTheBackground)
{
    app();
    const platform::TBitmap b = twoByTwo();
    QImage target(2, 2, QImage::Format_RGB32);
    target.fill(qRgb(10, 20, 30));
    {
        QPainter painter(&target);
        platform::TQtPictureCanvas canvas(painter);
        canvas.TransparentStretchDIBits(
            platform::Rect(0, 0, 2, 2), platform::Rect(0, 0, 2, 2), b.Info(), b.Bits(), 0x00FF00);
    }
    EXPECT_EQ(target.pixel(1, 0), qRgb(10, 20, 30));
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(QtPictureCanvas, PalettedBitmapsConvert)
{
    app();
    platform::TBitmap b;
    b.SetPixelFormat(platform::TPixelFormat::pf1bit);
    b.SetSize(9, 1);
    b.ScanLine(0)[1] = 0x80; // pixel 8 white
    const QImage image = platform::DibToQImage(b.Info(), b.Bits());
    EXPECT_EQ(image.pixel(8, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(7, 0), qRgb(0, 0, 0));
    const platform::TBitmap back = platform::QImageToBitmap(image);
    EXPECT_EQ(back.BitCount(), 32);
    EXPECT_EQ(const_cast<platform::TBitmap&>(back).Canvas().GetPixel(8, 0), 0xFFFFFFu);
}

TEST(QtPicturePlatform, ClipboardPosterAndTimer)
{
    app();
    platform::InstallQtPicturePlatform();
    EXPECT_FALSE(platform::ScreenCaps().paletted);
    EXPECT_GT(platform::ScreenCaps().dpiX, 0);

    platform::TClipboard* clipboard = platform::Clipboard();
    ASSERT_NE(clipboard, nullptr);
    clipboard->SetBitmap(twoByTwo(), nullptr);
    EXPECT_TRUE(clipboard->HasFormat(platform::CF_BITMAP));
    auto fromClipboard = clipboard->GetBitmap();
    ASSERT_TRUE(fromClipboard);
    EXPECT_EQ(fromClipboard->Width(), 2);
    EXPECT_EQ(fromClipboard->Canvas().GetPixel(0, 1), 0xFF0000u);

    bool ran = false;
    platform::PostToMainThread([&] { ran = true; });
    EXPECT_FALSE(ran); // queued, not called at once
    platform::ProcessMessages();
    EXPECT_TRUE(ran);

    platform::TTimer timer;
    timer.SetInterval(5);
    int ticks = 0;
    timer.OnTimer = [&](platform::TObject*) { ++ticks; };
    QElapsedTimer clock;
    clock.start();
    while (ticks < 2 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_GE(ticks, 2);
    platform::TTimer::SetBackendFactory(nullptr);
    platform::SetMainThreadPoster(nullptr);
    platform::SetProcessMessagesHandler(nullptr);
    platform::SetClipboard(nullptr);
}
