#pragma once
// Ends the process as soon as a window has painted itself for the first time: what is measured
// is the way to the first picture, not the tidying up after it.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdlib>

class QuitOnFirstPaint : public QObject {
public:
    explicit QuitOnFirstPaint(QObject* window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { std::_Exit(0); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_done = false;
};
