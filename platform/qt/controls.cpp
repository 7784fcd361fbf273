#include "platform/qt/controls.h"

#include "platform/qt/application.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDropEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QMimeData>
#include <QMouseEvent>
#include <QMutex>
#include <QPalette>
#include <QPointer>
#include <QValidator>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr const char* kTagProperty = "Tag";

// An edit's validator that asks a function whether the edit may take a text. Qt undoes a user's
// change it refuses; a text written from code is kept whatever it answers.
class TypedChangeValidator : public QValidator {
public:
    TypedChangeValidator(QObject* parent, std::function<bool(const QString&)> accepts)
        : QValidator(parent)
        , m_accepts(std::move(accepts))
    {
    }

    State validate(QString& input, int& /*pos*/) const override
    {
        return m_accepts(input) ? Acceptable : Invalid;
    }

private:
    std::function<bool(const QString&)> m_accepts;
};

// Holds a control's handlers and turns the control's user-originated signals and focus, key and
// mouse events into calls of them. A child of the control, so it lives exactly as long.
class EventHook : public QObject {
public:
    explicit EventHook(QWidget* control)
        : QObject(control)
        , m_control(control)
    {
        control->installEventFilter(this);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            connect(edit, &QLineEdit::textEdited, this, [this] { fire(events.onChange); });
            // However text gets in (the edit's own Paste, undo, an input method, a drop the
            // filter below did not see), the edit undoes a change its key filter would refuse.
            // An edit with a validator of its own keeps it.
            m_lastText = edit->text();
            connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_lastText = text; });
            if (!edit->validator())
                edit->setValidator(new TypedChangeValidator(
                    this, [this](const QString& text) { return typedChange(text); }));
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            connect(combo, &QComboBox::activated, this, [this] { fire(events.onChange); });
        } else if (auto* picker = qobject_cast<QDateEdit*>(control)) {
            connect(picker, &QDateEdit::dateChanged, this, [this] { fire(events.onChange); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this, [this] { fire(events.onClick); });
        }
    }

    ControlEvents events;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_control)
            return false;
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // Focus that goes to a popup, or away with the whole window, does not leave the
            // control: its value is committed when the user moves on inside the window.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            const bool staying = reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
            if (event->type() == QEvent::FocusIn) {
                if (!staying || !m_focused) {
                    m_entered = value();
                    m_focused = true;
                }
                if (!staying)
                    fire(events.onEnter);
            } else if (!staying) {
                const QPointer<EventHook> alive(this);
                exitIfChanged();
                if (alive)
                    m_focused = false;
            }
            return false;
        }
        case QEvent::KeyPress: {
            if (!events.onKeyPress)
                return false;
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste) && filteredEdit()) {
                pasteAsTyped(QClipboard::Clipboard);
                return true;
            }
            // Only typed characters are filtered: Tab, Delete, Backspace and the editing
            // shortcuts work as in any edit. (AltGr may come as Ctrl+Alt with a typed character.)
            const QString text = key->text();
            const auto held = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
            const bool shortcut = held && held != (Qt::ControlModifier | Qt::AltModifier);
            if (text.isEmpty() || !text.at(0).isPrint() || shortcut)
                return false;
            const QChar typed = text.at(0);
            QChar ch = typed;
            const auto handler = events.onKeyPress; // the handler may reassign itself
            runGuarded([&] { handler(m_control, ch); });
            if (ch.isNull())
                return true;
            auto* edit = qobject_cast<QLineEdit*>(m_control);
            if (ch == typed || !edit || edit->isReadOnly())
                return false;
            // The edit's own insertion, as for the key: it replaces the selection, can be undone
            // and is reported as the user's edit.
            edit->insert(QString(ch));
            return true;
        }
        case QEvent::ContextMenu: {
            QLineEdit* edit = filteredEdit();
            if (!edit)
                return false;
            // The edit's own menu, whose Paste goes through the key filter.
            QMenu* menu = edit->createStandardContextMenu();
            menu->setAttribute(Qt::WA_DeleteOnClose);
            // The menu's Paste is the one whose caption the edit gives it (the shortcut follows).
            const QString paste = QLineEdit::tr("&Paste");
            for (QAction* action : menu->actions()) {
                if (action->text() == paste || action->text().startsWith(paste + QLatin1Char('\t'))) {
                    action->setObjectName(QStringLiteral("edit-paste"));
                    QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
                    connect(
                        action, &QAction::triggered, this, [this] { pasteAsTyped(QClipboard::Clipboard); });
                }
            }
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        case QEvent::Drop: {
            // Dropped text is checked like typed text at the place it is dropped.
            QLineEdit* edit = filteredEdit();
            auto* drop = static_cast<QDropEvent*>(event);
            if (!edit || !drop->mimeData()->hasText())
                return false;
            const int at = edit->cursorPositionAt(drop->position().toPoint());
            if (typedText(edit->text(), at, drop->mimeData()->text()).has_value())
                return false;
            drop->ignore();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // The middle button pastes the selection, checked like a paste from the clipboard.
            if (mouse->button() == Qt::MiddleButton && filteredEdit()
                && QGuiApplication::clipboard()->supportsSelection()) {
                pasteAsTyped(QClipboard::Selection);
                return true;
            }
            if (qobject_cast<QAbstractButton*>(m_control) || !events.onClick)
                return false;
            if (mouse->button() == Qt::LeftButton && m_control->rect().contains(mouse->position().toPoint()))
                fire(events.onClick);
            return false;
        }
        default:
            return false;
        }
    }

private:
    // The edit when the control is one whose typed characters pass a key filter.
    QLineEdit* filteredEdit() const
    {
        auto* edit = qobject_cast<QLineEdit*>(m_control);
        return edit && events.onKeyPress && !edit->isReadOnly() ? edit : nullptr;
    }

    // The characters of `text`, each as the key filter lets it through when typed at `at` into
    // `base` after the ones before it; nothing when the filter refuses one of them. The filter
    // sees a stand-in edit holding the text typed so far. White space around the text (a cell
    // copied from a table) is no part of it.
    std::optional<QString> typedText(const QString& base, int at, const QString& text) const
    {
        const auto handler = events.onKeyPress;
        QLineEdit typing;
        typing.setProperty(kTagProperty, m_control->property(kTagProperty));
        typing.setText(base);
        typing.setCursorPosition(at);
        QString accepted;
        for (const QChar c : text.trimmed()) {
            QChar ch = c;
            runGuarded([&] { handler(&typing, ch); });
            if (ch.isNull())
                return std::nullopt;
            typing.insert(QString(c));
            accepted += c;
        }
        return accepted;
    }

    // Pastes as if the text were typed: the whole text, or nothing when a character of it would
    // be refused. Pasting goes through the edit's own insertion, so that it can be undone and
    // the change handler sees it as the user's.
    void pasteAsTyped(QClipboard::Mode mode)
    {
        QLineEdit* edit = filteredEdit();
        if (!edit)
            return;
        QString base = edit->text();
        int at = edit->cursorPosition();
        if (edit->hasSelectedText()) {
            at = edit->selectionStart();
            base.remove(at, edit->selectedText().size());
        }
        const std::optional<QString> accepted = typedText(base, at, QGuiApplication::clipboard()->text(mode));
        if (accepted && !accepted->isEmpty())
            edit->insert(*accepted);
    }

    // Whether the edit's text could have become `after` by typing: what the change put in, at
    // its place, passes the key filter. Deleting passes, as does anything the program writes.
    bool typedChange(const QString& after) const
    {
        if (writingFromCode || !filteredEdit())
            return true;
        const QString& before = m_lastText;
        qsizetype head = 0;
        while (head < before.size() && head < after.size() && before[head] == after[head])
            ++head;
        qsizetype tail = 0;
        while (tail < before.size() - head && tail < after.size() - head
            && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        const QString inserted = after.mid(head, after.size() - head - tail);
        if (inserted.isEmpty())
            return true;
        QString base = before;
        base.remove(head, before.size() - head - tail);
        return typedText(base, static_cast<int>(head), inserted).has_value();
    }

public:
    bool writingFromCode = false; // the program is writing the edit's text

    // The exit handler when the value is not the one the control was entered with (or last
    // committed with).
    bool exitIfChanged()
    {
        if (!events.onExit || (m_focused && m_entered && m_entered == value()))
            return false;
        const QPointer<EventHook> alive(this);
        fire(events.onExit);
        if (alive && m_focused)
            m_entered = value();
        return true;
    }

private:
    // What the user sees of the control's value; the same text for the same value. Nothing for a
    // control whose value is not compared: every leaving of it counts.
    std::optional<QString> value() const
    {
        if (auto* edit = qobject_cast<QLineEdit*>(m_control))
            return edit->text();
        if (auto* combo = qobject_cast<QComboBox*>(m_control))
            return QString::number(combo->currentIndex()) + QLatin1Char('\n') + combo->currentText();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(m_control))
            return spin->text();
        if (auto* button = qobject_cast<QAbstractButton*>(m_control))
            return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        return std::nullopt;
    }

    void fire(const NotifyEvent& handler)
    {
        // A copy, so that a handler may detach or replace itself while it runs.
        const NotifyEvent call = handler;
        if (call)
            runGuarded([&] { call(m_control); });
    }

    QWidget* m_control;
    QString m_lastText; // an edit's text before the change being made
    bool m_focused = false; // the focus entered and has not left
    std::optional<QString> m_entered; // the value then, or as last committed
};

// The hook has no meta-object of its own, so it is told from the control's other children by
// its C++ type.
EventHook* findHook(const QObject* control)
{
    if (!control)
        return nullptr;
    for (QObject* child : control->children()) {
        if (auto* hook = dynamic_cast<EventHook*>(child))
            return hook;
    }
    return nullptr;
}

bool isInputControl(const QWidget* control)
{
    return qobject_cast<const QLineEdit*>(control) || qobject_cast<const QComboBox*>(control)
        || qobject_cast<const QAbstractSpinBox*>(control);
}

} // namespace

ControlEvents& controlEvents(QWidget* control)
{
    Q_ASSERT(control);
    EventHook* hook = findHook(control);
    if (!hook)
        hook = new EventHook(control);
    return hook->events;
}

ControlEvents* findControlEvents(const QObject* control)
{
    EventHook* hook = findHook(control);
    return hook ? &hook->events : nullptr;
}

bool fireEvent(const NotifyEvent& handler, QObject* sender)
{
    if (!handler)
        return false;
    const NotifyEvent call = handler;
    call(sender);
    return true;
}

bool fireExit(QWidget* control)
{
    EventHook* hook = findHook(control);
    return hook && hook->exitIfChanged();
}

int controlTag(const QObject* control)
{
    return control ? control->property(kTagProperty).toInt() : 0;
}

void setControlTag(QObject* control, int tag)
{
    control->setProperty(kTagProperty, tag);
}

void setEditText(QLineEdit* edit, const QString& text)
{
    EventHook* hook = findHook(edit);
    if (hook)
        hook->writingFromCode = true;
    edit->setText(text);
    if (hook)
        hook->writingFromCode = false;
}

void setPickerDate(QDateEdit* picker, const QDate& date)
{
    ControlEvents* events = findControlEvents(picker);
    NotifyEvent saved = events ? std::exchange(events->onChange, {}) : NotifyEvent {};
    picker->setDate(date);
    if (events)
        events->onChange = std::move(saved);
}

QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void setControlColor(QWidget* control, const QColor& color)
{
    QPalette pal = control->palette();
    if (isInputControl(control)) {
        // Only the enabled look takes the colour: a disabled input keeps the platform's disabled
        // background, so that it reads as disabled beside its uncoloured neighbours.
        for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
            pal.setColor(group, QPalette::Base, color);
    } else {
        pal.setColor(QPalette::Window, color);
        control->setAutoFillBackground(true);
    }
    control->setPalette(pal);
}

void setFontColor(QWidget* control, const QColor& color)
{
    QPalette pal = control->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive }) {
        pal.setColor(group, QPalette::WindowText, color);
        pal.setColor(group, QPalette::Text, color);
        pal.setColor(group, QPalette::ButtonText, color);
    }
    control->setPalette(pal);
}

namespace {
QFont formFamilies()
{
    QFont font;
    font.setFamilies(
        { QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    font.setStyleHint(QFont::SansSerif);
    return font;
}
} // namespace

QFont formFont(qreal pointSize, bool bold)
{
    QFont font = formFamilies();
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont formFontPixels(int pixelSize, bool bold)
{
    QFont font = formFamilies();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QColor windowColor()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor btnFaceColor()
{
    return QApplication::palette().color(QPalette::Button);
}

QColor windowTextColor()
{
    return QApplication::palette().color(QPalette::WindowText);
}

} // namespace platform

namespace {

bool isCopiedType(const QMetaProperty& p)
{
    if (p.isEnumType() || p.isFlagType())
        return true;
    switch (p.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QChar:
    case QMetaType::QString:
    case QMetaType::QRect:
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QPalette:
    case QMetaType::QSizePolicy:
        return true;
    default:
        return false;
    }
}

// Which properties of one class are copied onto which of another depends on the two classes
// alone: the pairs are worked out once per pair of classes, not once per copied control.
const std::vector<std::pair<QMetaProperty, QMetaProperty>>& copiedProperties(
    const QMetaObject* from, const QMetaObject* to)
{
    struct Plan {
        const QMetaObject* from;
        const QMetaObject* to;
        std::vector<std::pair<QMetaProperty, QMetaProperty>> properties;
    };
    static QMutex mutex;
    static std::vector<std::unique_ptr<Plan>> plans;
    const QMutexLocker lock(&mutex);
    for (const auto& plan : plans) {
        if (plan->from == from && plan->to == to)
            return plan->properties;
    }
    auto plan = std::make_unique<Plan>(Plan { from, to, {} });
    for (int i = 0; i < from->propertyCount(); ++i) {
        const QMetaProperty p = from->property(i);
        const char* name = p.name();
        if (!p.isReadable() || !p.isStored() || qstricmp(name, "objectName") == 0)
            continue;
        // Visibility and enablement are the control's own flags, not what its parents make them.
        if (qstrcmp(name, "visible") == 0 || qstrcmp(name, "enabled") == 0)
            continue;
        const int at = to->indexOfProperty(name);
        if (at < 0 || !isCopiedType(p))
            continue;
        const QMetaProperty target = to->property(at);
        if (target.isWritable())
            plan->properties.emplace_back(p, target);
    }
    plans.push_back(std::move(plan));
    return plans.back()->properties;
}

} // namespace

void CopyPublishedProperties(QObject* Source, QObject* Destination)
{
    for (const auto& [source, target] : copiedProperties(Source->metaObject(), Destination->metaObject()))
        target.write(Destination, source.read(Source));
    auto* srcWidget = qobject_cast<QWidget*>(Source);
    auto* dstWidget = qobject_cast<QWidget*>(Destination);
    if (srcWidget && dstWidget) {
        dstWidget->setEnabled(!srcWidget->testAttribute(Qt::WA_ForceDisabled));
        // A control without a parent would open as a window of its own.
        if (dstWidget->parentWidget() || srcWidget->isHidden())
            dstWidget->setVisible(!srcWidget->isHidden());
    }
    for (const QByteArray& name : Source->dynamicPropertyNames()) {
        if (!name.startsWith("_q_"))
            Destination->setProperty(name.constData(), Source->property(name.constData()));
    }
    if (const platform::ControlEvents* events = platform::findControlEvents(Source)) {
        if (dstWidget)
            platform::controlEvents(dstWidget) = *events;
    }
}

void SetToggleGlyph(bool State, QAbstractButton* Button, const platform::ImageList& Images)
{
    const int index = State ? 0 : 1;
    Button->setIcon(Images.value(index));
    platform::setControlTag(Button, index);
    Button->update();
}
