#pragma once
// Driving the modal editors the way a user does: type into a field and leave it, pick a list
// item, answer a window that an entry point opens with exec().
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace dialogtesting {

// Shows a dialog that a test builds itself and makes it the active window, so that focus moves
// and their leave handlers run as they do for a user.
inline bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    // The platform can report the window active before the application takes it as its active
    // window, which is what focus changes (and so the leave handlers) follow.
    return QTest::qWaitForWindowActive(window)
        && QTest::qWaitFor([window] { return window->isActiveWindow(); });
}

// Replaces the text of an edit by typing, then moves the focus to `next` (the field is left).
inline void typeAndLeave(QLineEdit* edit, const QString& text, QWidget* next)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    next->setFocus(Qt::TabFocusReason);
}

// Enters a control and leaves it again without changing anything.
inline void enterAndLeave(QWidget* control, QWidget* next)
{
    control->setFocus(Qt::TabFocusReason);
    next->setFocus(Qt::TabFocusReason);
}

// The user picks an item of a drop-down list.
inline void pickItem(QComboBox* combo, int index)
{
    combo->setFocus(Qt::MouseFocusReason);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Runs `driver` on the modal window once the event loop of an exec() call has shown it; the
// driver closes it. Call before the entry point that opens the window.
inline void whenModal(std::function<void(QWidget*)> driver)
{
    QTimer::singleShot(0, [driver] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal)
            showActive(modal);
        driver(modal);
        // A driver that stopped early (a failed check) must not leave the test waiting.
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->reject();
    });
}

} // namespace dialogtesting
