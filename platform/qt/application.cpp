#include "platform/qt/application.h"

#include "platform/qt/focusstyle.h"
#include "platform/qt/messages.h"
#include "platform/qt/pictureplatform.h"

#include <fontconfig/fontconfig.h>

#include <exception>
#include <system_error>

namespace platform {

namespace detail {

FontConfigurationReader::FontConfigurationReader()
{
    try {
        // Reading it twice is harmless: fontconfig keeps the first configuration made.
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the configuration is read when the first font is asked for.
    }
}

FontConfigurationReader::~FontConfigurationReader()
{
    waitForFontConfiguration();
}

void FontConfigurationReader::waitForFontConfiguration()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace detail

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    waitForFontConfiguration();
    InstallQtPicturePlatform();
    setStyle(new FocusStyle(style()->name()));
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
