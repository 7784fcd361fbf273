#include "platform/qt/application.h"
#include "theming/themeunits.h"
#include "ui/main/lpmain.h"
#include "ui/main/startup.h"

int main(int argc, char** argv)
{
    InitialiseUnits();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    // The theme library needs the application object; it starts before the first window.
    InitializeThemes();
    ShowSplash();
    int result = 0;
    {
        TfrmLPMain window;
        window.show();
        KeepSplashOnTop();
        result = app.exec();
    }
    FinalizeThemes();
    FinaliseUnits();
    return result;
}
