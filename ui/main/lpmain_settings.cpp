// The main window's settings in the user's settings store: automatic update checks and the
// window's position, size and state.
#include "ui/main/lpmain.h"

#include "platform/qt/settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QStyle>

#include <algorithm>

namespace {

const QString kProgramKey = QStringLiteral("Software\\Braxholm\\Fendrix\\");
const QString kWinPosKey = QStringLiteral("Software\\Braxholm\\Fendrix\\WinPos");

constexpr int kStateNormal = 0;
constexpr int kStateMinimised = 1;
constexpr int kStateMaximised = 2;

qint64 overlap(qint64 a0, qint64 a1, qint64 b0, qint64 b1)
{
    return std::max<qint64>(0, std::min(a1, b1) - std::max(a0, b0));
}

} // namespace

// Bounds from another desktop, or corrupt ones, put the window where nobody sees it or make it
// millions of pixels wide; the designed bounds do not fit a small screen. Placements are held in
// 64 bits: stored values may be anything a 32-bit integer holds, and their sums must not
// overflow.
TWindowPlacement FitWindowPlacement(
    TWindowPlacement Wanted, const QSize& Minimum, const QMargins& Frame, const QList<QRect>& AvailableAreas)
{
    TWindowPlacement p = Wanted;
    p.Minimum = Minimum;
    if (AvailableAreas.isEmpty())
        return p;
    const qint64 frameWidth = Frame.left() + Frame.right(), frameHeight = Frame.top() + Frame.bottom();
    QRect a = AvailableAreas.first();
    qint64 bestOverlap = 0;
    for (const QRect& area : AvailableAreas) {
        const qint64 covered
            = overlap(p.Left, p.Left + p.Width + frameWidth, area.left(), area.left() + qint64(area.width()))
            * overlap(p.Top, p.Top + p.Height + frameHeight, area.top(), area.top() + qint64(area.height()));
        if (covered > bestOverlap) {
            bestOverlap = covered;
            a = area;
        }
    }
    // The room inside the frame. A window whose minimum size exceeds it can only fill the screen:
    // maximised, with a minimum that lets it.
    const qint64 roomWidth = std::max<qint64>(1, a.width() - frameWidth);
    const qint64 roomHeight = std::max<qint64>(1, a.height() - frameHeight);
    if (Minimum.width() > roomWidth || Minimum.height() > roomHeight) {
        p.Maximised = true;
        p.Minimum = QSize(int(std::min<qint64>(Minimum.width(), roomWidth)),
            int(std::min<qint64>(Minimum.height(), roomHeight)));
    }
    p.Width = std::clamp<qint64>(p.Width, p.Minimum.width(), roomWidth);
    p.Height = std::clamp<qint64>(p.Height, p.Minimum.height(), roomHeight);
    p.Left
        = std::max<qint64>(a.left(), std::min(p.Left, a.left() + qint64(a.width()) - p.Width - frameWidth));
    p.Top = std::max<qint64>(a.top(), std::min(p.Top, a.top() + qint64(a.height()) - p.Height - frameHeight));
    return p;
}

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
    // Each stored value replaces the designed one. Position as Qt moves a window (its frame),
    // size without the desktop's frame.
    TWindowPlacement wanted { x(), y(), width(), height(), false, {} };
    platform::SettingsKey key;
    if (key.openKey(kWinPosKey, false)) {
        if (key.valueExists(QStringLiteral("Left")))
            wanted.Left = key.readInteger(QStringLiteral("Left"));
        if (key.valueExists(QStringLiteral("Top")))
            wanted.Top = key.readInteger(QStringLiteral("Top"));
        if (key.valueExists(QStringLiteral("Width")))
            wanted.Width = key.readInteger(QStringLiteral("Width"));
        if (key.valueExists(QStringLiteral("Height")))
            wanted.Height = key.readInteger(QStringLiteral("Height"));
        // A window that starts minimised looks like a program that did not start: a stored
        // minimised state opens the window normally.
        wanted.Maximised = key.valueExists(QStringLiteral("WinState"))
            && key.readInteger(QStringLiteral("WinState")) == kStateMaximised;
    }
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        areas << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            areas << screen->availableGeometry();
    const TWindowPlacement p
        = FitWindowPlacement(wanted, QSize(kMinWidth, kMinHeight), expectedFrame(), areas);
    setMinimumSize(p.Minimum);
    move(int(p.Left), int(p.Top));
    resize(int(p.Width), int(p.Height));
    setWindowState(p.Maximised ? Qt::WindowMaximized : Qt::WindowNoState);
}

// The frame the desktop puts around the window: known once the window is shown; before that, the
// title bar and border the style draws around a window of its own, about what desktops add.
QMargins TfrmLPMain::expectedFrame() const
{
    const QRect frame = frameGeometry(), inner = geometry();
    if (frame != inner)
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom());
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    return QMargins(
        border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + border, border, border);
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
