// The main window's settings in the user's settings store: automatic update checks and the
// window's position, size and state.
#include "ui/main/lpmain.h"

#include "platform/qt/settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>

#include <algorithm>

namespace {

const QString kProgramKey = QStringLiteral("Software\\Braxholm\\Fendrix\\");
const QString kWinPosKey = QStringLiteral("Software\\Braxholm\\Fendrix\\WinPos");

constexpr int kStateNormal = 0;
constexpr int kStateMinimised = 1;
constexpr int kStateMaximised = 2;

// Window bounds in 64 bits: stored values may be anything a 32-bit integer holds, and their sums
// must not overflow.
struct Bounds {
    qint64 left, top, width, height;
};

qint64 overlap(qint64 a0, qint64 a1, qint64 b0, qint64 b1)
{
    return std::max<qint64>(0, std::min(a1, b1) - std::max(a0, b0));
}

// Bounds from another desktop, or corrupt ones, put the window where nobody sees it or make it
// millions of pixels wide. The window goes onto the screen it overlaps most (the primary one
// when it overlaps none), no larger than that screen's available area unless the window's
// minimum size demands it, and wholly inside that area when it fits.
Bounds fitOnScreen(Bounds b, const QSize& minimum)
{
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        const qint64 area = overlap(b.left, b.left + b.width, a.left(), a.left() + qint64(a.width()))
            * overlap(b.top, b.top + b.height, a.top(), a.top() + qint64(a.height()));
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (!best)
        return b;
    const QRect a = best->availableGeometry();
    b.width = std::max<qint64>(std::min<qint64>(b.width, a.width()), minimum.width());
    b.height = std::max<qint64>(std::min<qint64>(b.height, a.height()), minimum.height());
    b.left = std::max<qint64>(a.left(), std::min<qint64>(b.left, a.left() + qint64(a.width()) - b.width));
    b.top = std::max<qint64>(a.top(), std::min<qint64>(b.top, a.top() + qint64(a.height()) - b.height));
    return b;
}

} // namespace

bool TfrmLPMain::ReadAutoUpdates()
{
    platform::SettingsKey key;
    if (key.openKey(kProgramKey, false) && key.valueExists(QStringLiteral("AutoUpdates")))
        return key.readBool(QStringLiteral("AutoUpdates"));
    return true;
}

void TfrmLPMain::WriteAutoUpdates(bool Value)
{
    platform::SettingsKey key;
    if (key.openKey(kProgramKey, true))
        key.writeBool(QStringLiteral("AutoUpdates"), Value);
}

void TfrmLPMain::LoadWindowPosition()
{
    platform::SettingsKey key;
    if (!key.openKey(kWinPosKey, false))
        return;
    // Each stored value replaces the designed one; the minimum size enlarges a smaller one.
    // Position as Qt moves a window (its frame), size without the desktop's frame.
    Bounds b { x(), y(), width(), height() };
    if (key.valueExists(QStringLiteral("Left")))
        b.left = key.readInteger(QStringLiteral("Left"));
    if (key.valueExists(QStringLiteral("Top")))
        b.top = key.readInteger(QStringLiteral("Top"));
    if (key.valueExists(QStringLiteral("Width")))
        b.width = std::max(key.readInteger(QStringLiteral("Width")), minimumWidth());
    if (key.valueExists(QStringLiteral("Height")))
        b.height = std::max(key.readInteger(QStringLiteral("Height")), minimumHeight());
    b = fitOnScreen(b, minimumSize());
    move(int(b.left), int(b.top));
    resize(int(b.width), int(b.height));
    // A window that starts minimised looks like a program that did not start: a stored
    // minimised state opens the window normally.
    if (key.valueExists(QStringLiteral("WinState"))
        && key.readInteger(QStringLiteral("WinState")) == kStateMaximised)
        setWindowState(Qt::WindowMaximized);
    else
        setWindowState(Qt::WindowNoState);
}

void TfrmLPMain::SaveWindowPosition()
{
    platform::SettingsKey key;
    if (!key.openKey(kWinPosKey, true))
        return;
    int state = kStateNormal;
    if (windowState() & Qt::WindowMinimized)
        state = kStateMinimised;
    else if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        state = kStateMaximised;
    key.writeInteger(QStringLiteral("WinState"), state);
    if (state != kStateNormal)
        return; // the stored bounds stay those of the last normal window
    // The bounds Qt places a window by: position of the frame, size of the window without the
    // frame the desktop adds, so that a restored window has exactly the size it had.
    key.writeInteger(QStringLiteral("Left"), x());
    key.writeInteger(QStringLiteral("Top"), y());
    key.writeInteger(QStringLiteral("Width"), width());
    key.writeInteger(QStringLiteral("Height"), height());
}
