#pragma once
// Window messages for the theming units: a message record delivered synchronously to any object
// (a theme, the relay object, a control), the hidden window that receives the system's broadcasts
// (colours, display, visual style, activation), the application's idle notification, and the
// keyboard-cue notice a window gets when its accelerator underlines and focus rectangles are
// switched on.
#include <QEvent>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>

class QScreen;
class QWidget;

namespace platform {

struct TMessage {
    uint32_t Msg = 0;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_UPDATEUISTATE = 0x0128;
constexpr uint32_t WM_THEMECHANGED = 0x031A;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_COMMAND = CN_BASE + WM_COMMAND;

// WM_UPDATEUISTATE: WParam low word is the action, high word the cue flags.
constexpr int UIS_SET = 1;
constexpr int UIS_CLEAR = 2;
constexpr int UISF_HIDEFOCUS = 1;
constexpr int UISF_HIDEACCEL = 2;

// Carries a message record to an object's event handler. The record belongs to the sender.
class MessageEvent : public QEvent {
public:
    explicit MessageEvent(TMessage& message);
    static QEvent::Type eventType();
    TMessage& message() const { return m_message; }

private:
    TMessage& m_message;
};

// Hands the record to the target at once (never posted) and returns its result field.
intptr_t dispatchMessage(QObject* target, TMessage& message);
// A record built from the arguments, with result 0.
intptr_t sendMessage(QObject* target, uint32_t msg, intptr_t wParam = 0, intptr_t lParam = 0);
// The message record an event carries, or nullptr.
TMessage* messageOf(QEvent* event);

// The hidden window of a unit that watches the system: it turns palette changes into
// WM_SYSCOLORCHANGE, style and theme changes into WM_THEMECHANGED, screen changes into
// WM_DISPLAYCHANGE and application activation into WM_ACTIVATEAPP (WParam 1 active, 0 not), and
// hands each to its window procedure. Needs the application object.
class SystemMessageWindow : public QObject {
public:
    using WindowProc = std::function<void(TMessage&)>;
    explicit SystemMessageWindow(WindowProc proc);
    ~SystemMessageWindow() override;

    // Delivers a message to the window procedure as the system would.
    void deliver(TMessage& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchScreen(QScreen* screen);
    void post(uint32_t msg, intptr_t wParam = 0);

    WindowProc m_proc;
    bool m_active = false;
};

// The result of the default window procedure for every message these windows pass on.
intptr_t DefWindowProc(const TMessage& message);

// The application's idle notification: runs the handler each time the main thread's message
// loop has nothing left to do and is about to wait.
class ApplicationEvents : public QObject {
public:
    using IdleEvent = std::function<void(QObject* sender, bool& done)>;
    ApplicationEvents();
    IdleEvent OnIdle;

private:
    void idle();
};

// The application's top-level forms, as the screen lists them (popups and tool tips are not
// forms).
QList<QWidget*> screenForms();

// Makes the window system tell top-level windows about their keyboard cues: the first Alt press
// or keyboard focus move in a window switches its cues on and sends it WM_UPDATEUISTATE.
void installKeyboardCueSource();
// Whether a window's keyboard cues are on.
bool keyboardCuesShown(const QWidget* window);

} // namespace platform
