// The program's entry sequence, ending when the main window has painted itself.
#include "firstpaint.h"

#include "platform/qt/application.h"
#include "ui/main/lpmain.h"
#include "ui/main/startup.h"

int main(int argc, char** argv)
{
    InitialiseUnits();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    ShowSplash();
    TfrmLPMain window;
    QuitOnFirstPaint quit(&window);
    window.show();
    KeepSplashOnTop();
    return app.exec();
}
