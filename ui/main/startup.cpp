#include "ui/main/startup.h"

#include "imaging/registration.h"
#include "ui/dialogs/splash.h"

#include <QApplication>

QString ApplicationTitle()
{
    return QStringLiteral("Braxholm Fendrix Professional");
}

void InitialiseUnits()
{
    InitializeImaging();
    // The theme library needs the application object, so main() starts it right after creating
    // that object (InitializeThemes), still before the first window.
}

void FinaliseUnits()
{
    FinalizeImaging();
}

TfrmSplash* ShowSplash()
{
    auto* splash = new TfrmSplash;
    splash->show();
    splash->repaint();
    return splash;
}

void KeepSplashOnTop()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* splash = qobject_cast<TfrmSplash*>(window); splash && splash->isVisible())
            splash->raise();
    }
}
