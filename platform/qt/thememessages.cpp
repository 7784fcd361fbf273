#include "platform/qt/thememessages.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace platform {

MessageEvent::MessageEvent(TMessage& message)
    : QEvent(eventType())
    , m_message(message)
{
}

QEvent::Type MessageEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

intptr_t dispatchMessage(QObject* target, TMessage& message)
{
    if (target) {
        MessageEvent event(message);
        QCoreApplication::sendEvent(target, &event);
    }
    return message.Result;
}

intptr_t sendMessage(QObject* target, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    TMessage message { msg, wParam, lParam, 0 };
    return dispatchMessage(target, message);
}

TMessage* messageOf(QEvent* event)
{
    if (event && event->type() == MessageEvent::eventType())
        return &static_cast<MessageEvent*>(event)->message();
    return nullptr;
}

intptr_t DefWindowProc(const TMessage&)
{
    return 0;
}

SystemMessageWindow::SystemMessageWindow(WindowProc proc)
    : m_proc(std::move(proc))
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    app->installEventFilter(this);
    m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        const bool active = state == Qt::ApplicationActive;
        if (active == m_active)
            return;
        m_active = active;
        post(WM_ACTIVATEAPP, active ? 1 : 0);
    });
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        post(WM_DISPLAYCHANGE);
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { post(WM_DISPLAYCHANGE); });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
}

SystemMessageWindow::~SystemMessageWindow() = default;

void SystemMessageWindow::watchScreen(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { post(WM_DISPLAYCHANGE); });
}

void SystemMessageWindow::post(uint32_t msg, intptr_t wParam)
{
    TMessage message { msg, wParam, 0, 0 };
    deliver(message);
}

void SystemMessageWindow::deliver(TMessage& message)
{
    if (m_proc)
        m_proc(message);
}

bool SystemMessageWindow::eventFilter(QObject* watched, QEvent* event)
{
    // An application-wide filter sees every object's events; the broadcasts are the ones
    // addressed to the application itself.
    if (watched == QCoreApplication::instance()) {
        if (event->type() == QEvent::ApplicationPaletteChange)
            post(WM_SYSCOLORCHANGE);
        else if (event->type() == QEvent::ThemeChange)
            post(WM_THEMECHANGED);
    }
    return false;
}

ApplicationEvents::ApplicationEvents()
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &ApplicationEvents::idle);
}

void ApplicationEvents::idle()
{
    if (!OnIdle)
        return;
    bool done = true;
    OnIdle(this, done);
}

QList<QWidget*> screenForms()
{
    QList<QWidget*> forms;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
            continue;
        forms.append(w);
    }
    return forms;
}

namespace {

constexpr const char* kCuesProperty = "fendrixKeyboardCuesShown";

class KeyboardCueSource : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            return false;
        const bool alt = key->key() == Qt::Key_Alt;
        const bool navigation = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!alt && !navigation)
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (!window || keyboardCuesShown(window))
            return false;
        window->setProperty(kCuesProperty, true);
        const int flags = UISF_HIDEACCEL | UISF_HIDEFOCUS;
        sendMessage(window, WM_UPDATEUISTATE, (flags << 16) | UIS_CLEAR);
        return false;
    }
};

} // namespace

void installKeyboardCueSource()
{
    static QPointer<KeyboardCueSource> source;
    if (source || !QCoreApplication::instance())
        return;
    source = new KeyboardCueSource;
    source->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(source);
}

bool keyboardCuesShown(const QWidget* window)
{
    return window && window->property(kCuesProperty).toBool();
}

} // namespace platform
