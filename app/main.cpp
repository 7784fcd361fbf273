#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Braxholm Fendrix Professional"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Braxholm Fendrix Professional"));
    window.resize(1030, 700);
    window.show();
    return app.exec();
}
