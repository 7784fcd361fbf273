// The bare main window with a menu and one line of text: the same, plus the start of the font
// system that any window showing text pays for.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QLabel(QStringLiteral("Braxholm Fendrix Professional")));
    window.resize(1060, 760);
    QuitOnFirstPaint quit(&window);
    window.show();
    return app.exec();
}
