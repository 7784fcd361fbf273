// A bare main window of the same size, ending when it has painted itself.
#include "firstpaint.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1060, 760);
    QuitOnFirstPaint quit(&window);
    window.show();
    return app.exec();
}
