#pragma once
// The application object: Qt's, with the rule that an exception escaping an event handler ends
// only that handler: its message is shown in a box and the program goes on.
#include <QApplication>

#include <functional>

namespace platform {

class Application : public QApplication {
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
