#include "platform/qt/pictureplatform.h"

#include "platform/core/bitmap.h"
#include "platform/core/clipboard.h"
#include "platform/core/graphics.h"
#include "platform/core/messageloop.h"
#include "platform/core/timer.h"
#include "platform/qt/picturecanvas.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace platform {

namespace {

class QtTimerBackend : public TTimer::Backend {
public:
    explicit QtTimerBackend(TTimer& timer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [&timer] { timer.Tick(); });
    }
    void Update(bool active, int intervalMs) override
    {
        m_timer.setInterval(intervalMs);
        if (active)
            m_timer.start();
        else
            m_timer.stop();
    }

private:
    QTimer m_timer;
};

class QtClipboard : public TClipboard {
public:
    bool HasFormat(uint16_t format) const override
    {
        if (format != CF_BITMAP)
            return false;
        return !QGuiApplication::clipboard()->image().isNull();
    }
    std::shared_ptr<TBitmap> GetBitmap() const override
    {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull())
            return nullptr;
        return std::make_shared<TBitmap>(QImageToBitmap(image));
    }
    HPALETTE GetPalette() const override { return nullptr; }
    void SetBitmap(const TBitmap& bitmap, const HPALETTE& /*palette*/) override
    {
        QGuiApplication::clipboard()->setImage(DibToQImage(bitmap.Info(), bitmap.Bits()));
    }
};

} // namespace

void InstallQtPicturePlatform()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        ScreenCaps().paletted = screen->depth() <= 8;
        ScreenCaps().dpiX = qRound(screen->logicalDotsPerInchX());
        ScreenCaps().dpiY = qRound(screen->logicalDotsPerInchY());
    }
    SetProcessMessagesHandler([] { QCoreApplication::processEvents(); });
    SetMainThreadPoster([](std::function<void()> work) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
    });
    TTimer::SetBackendFactory([](TTimer& timer) { return std::make_unique<QtTimerBackend>(timer); });
    static QtClipboard clipboard;
    SetClipboard(&clipboard);
}

} // namespace platform
