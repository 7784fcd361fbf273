#include "platform/qt/messages.h"

#include <QApplication>
#include <QMainWindow>

namespace platform {

namespace {

MessageAnswerer& answerer()
{
    static MessageAnswerer handler;
    return handler;
}

// The window a message box opens over: the caller's, else the one the user works in. Right after
// a file dialog closes no window may be active yet; the program's main window is then the one.
QWidget* ownerWindow(QWidget* parent)
{
    if (parent)
        return parent->window();
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && qobject_cast<QMainWindow*>(top))
            return top;
    }
    return nullptr;
}

} // namespace

QMessageBox::StandardButton escapeButton(QMessageBox::StandardButtons buttons)
{
    for (auto b : { QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok }) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButton messageDlg(
    const QString& text, MessageKind kind, QMessageBox::StandardButtons buttons, QWidget* parent)
{
    if (answerer())
        return answerer()(text, kind, buttons);
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title;
    switch (kind) {
    case MessageKind::Information:
        icon = QMessageBox::Information;
        title = QStringLiteral("Information");
        break;
    case MessageKind::Warning:
        icon = QMessageBox::Warning;
        title = QStringLiteral("Warning");
        break;
    case MessageKind::Error:
        icon = QMessageBox::Critical;
        title = QStringLiteral("Error");
        break;
    case MessageKind::Confirmation:
        icon = QMessageBox::Question;
        title = QStringLiteral("Confirm");
        break;
    }
    QMessageBox box(icon, title, text, buttons, ownerWindow(parent));
    box.setEscapeButton(escapeButton(buttons));
    const int result = box.exec();
    const auto pressed = static_cast<QMessageBox::StandardButton>(result);
    return buttons.testFlag(pressed) ? pressed : escapeButton(buttons);
}

void setMessageAnswerer(MessageAnswerer handler)
{
    answerer() = std::move(handler);
}

} // namespace platform
