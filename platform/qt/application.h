#pragma once
// The application object: Qt's, with the rule that an exception escaping an event handler ends
// only that handler: its message is shown in a box and the program goes on.
#include <QApplication>

#include <functional>
#include <thread>

namespace platform {

namespace detail {

// The font configuration (fontconfig's files and font caches) is read the first time anything
// asks for a font, some milliseconds of every start. Started before Qt's application object, the
// reading runs on a thread of its own while that object starts (under X11 it connects to the
// display, which takes longer), and the application object waits for it before its constructor
// returns, that is before anything can ask for a font.
class FontConfigurationReader {
protected:
    FontConfigurationReader();
    ~FontConfigurationReader();
    void waitForFontConfiguration();

private:
    std::thread m_thread;
};

} // namespace detail

class Application : private detail::FontConfigurationReader, public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The box that reports an exception no handler caught.
    static void showException(const char* message);
};

// Runs a handler and reports an exception it raises the same way. Event handlers run through it,
// so that no exception crosses Qt's own frames.
void runGuarded(const std::function<void()>& handler);

} // namespace platform
