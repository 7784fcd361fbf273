// The main window's settings in the user's settings store: automatic update checks and the
// window's position, size and state.
#include "ui/main/lpmain.h"

#include "platform/qt/settings.h"

#include <QPoint>
#include <QSize>

#include <algorithm>

namespace {

const QString kProgramKey = QStringLiteral("Software\\Braxholm\\Fendrix\\");
const QString kWinPosKey = QStringLiteral("Software\\Braxholm\\Fendrix\\WinPos");

constexpr int kStateNormal = 0;
constexpr int kStateMinimised = 1;
constexpr int kStateMaximised = 2;

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
    QPoint position = pos();
    QSize size = this->size();
    if (key.valueExists(QStringLiteral("Left")))
        position.setX(key.readInteger(QStringLiteral("Left")));
    if (key.valueExists(QStringLiteral("Top")))
        position.setY(key.readInteger(QStringLiteral("Top")));
    if (key.valueExists(QStringLiteral("Width")))
        size.setWidth(std::max(key.readInteger(QStringLiteral("Width")), minimumWidth()));
    if (key.valueExists(QStringLiteral("Height")))
        size.setHeight(std::max(key.readInteger(QStringLiteral("Height")), minimumHeight()));
    move(position);
    resize(size);
    if (key.valueExists(QStringLiteral("WinState"))) {
        switch (key.readInteger(QStringLiteral("WinState"))) {
        case kStateMinimised:
            setWindowState(Qt::WindowMinimized);
            break;
        case kStateMaximised:
            setWindowState(Qt::WindowMaximized);
            break;
        default:
            setWindowState(Qt::WindowNoState);
            break;
        }
    }
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
