#include "ui/main/startup.h"

#include "imaging/registration.h"
#include "platform/qt/application.h"
#include "theming/themeunits.h"
#include "ui/dialogs/splash.h"
#include "ui/main/lpmain.h"

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

int RunProgram(int& argc, char** argv, const std::function<void(TfrmLPMain&)>& beforeShow)
{
    InitialiseUnits();
    int result = 0;
    {
        platform::Application app(argc, argv);
        QApplication::setApplicationName(ApplicationTitle());
        // The theme library needs the application object; it starts before the first window.
        InitializeThemes();
        ShowSplash();
        {
            TfrmLPMain window;
            if (beforeShow)
                beforeShow(window);
            window.show();
            KeepSplashOnTop();
            result = app.exec();
        }
        FinalizeThemes();
    }
    FinaliseUnits();
    return result;
}
