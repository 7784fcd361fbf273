#pragma once
// Message dialogs: a question, warning or error in a modal box with standard buttons. Tests answer
// them through a handler instead of a window.
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace platform {

enum class MessageKind { Information, Warning, Error, Confirmation };

// Shows the text and returns the button pressed; closing the box counts as its escape button
// (Cancel, else No, else OK).
QMessageBox::StandardButton messageDlg(
    const QString& text, MessageKind kind, QMessageBox::StandardButtons buttons, QWidget* parent = nullptr);

// The button that closing a box with these buttons counts as: Cancel, else No, else OK.
QMessageBox::StandardButton escapeButton(QMessageBox::StandardButtons buttons);

using MessageAnswerer = std::function<QMessageBox::StandardButton(
    const QString& text, MessageKind kind, QMessageBox::StandardButtons buttons)>;
// Installs a handler that answers every message instead of a window; an empty one restores the
// windows.
void setMessageAnswerer(MessageAnswerer answerer);

} // namespace platform
