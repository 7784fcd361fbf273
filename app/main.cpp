#include "platform/qt/application.h"
#include "ui/main/lpmain.h"
#include "ui/main/startup.h"

int main(int argc, char** argv)
{
    InitialiseUnits();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    ShowSplash();
    int result = 0;
    {
        TfrmLPMain window;
        window.show();
        KeepSplashOnTop();
        result = app.exec();
    }
    FinaliseUnits();
    return result;
}
