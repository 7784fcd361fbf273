#include "platform/qt/application.h"

#include "platform/qt/messages.h"
#include "platform/qt/pictureplatform.h"

#include <exception>

namespace platform {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    InstallQtPicturePlatform();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e.what());
    } catch (...) {
        showException("Unknown error");
    }
    return false;
}

void runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        Application::showException(e.what());
    } catch (...) {
        Application::showException("Unknown error");
    }
}

void Application::showException(const char* message)
{
    messageDlg(QString::fromUtf8(message), MessageKind::Error, QMessageBox::Ok);
}

} // namespace platform
