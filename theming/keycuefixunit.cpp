#include "theming/keycuefixunit.h"

#include "platform/qt/themeservices.h"
#include "theming/qxskinfixedstuff.h"

#include <QAbstractButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

namespace {

QList<QWidget*> childControls(QWidget* control)
{
    QList<QWidget*> children;
    for (QObject* child : control->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        if (!widget->isWindow())
            children.append(widget);
    }
    return children;
}

// A page of a tab control that is not the page on show.
bool isHiddenTabSheet(QWidget* control)
{
    auto* stack = qobject_cast<QStackedWidget*>(control->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (!tabs)
        return false;
    const int index = tabs->indexOf(control);
    return index >= 0 && index != tabs->currentIndex();
}

} // namespace

void RepaintControl(QWidget* control)
{
    // Qt paints a widget together with its children in one pass, parent first; requesting the
    // repaint of each control gives that order without painting any of them twice.
    control->update();
}

void RepaintWinControlTree(QWidget* control, const TRepaintProc& repaint)
{
    if (!control)
        return;
    repaint(control);
    for (QWidget* child : childControls(control))
        RepaintWinControlTree(child, repaint);
}

void RepaintButtonControls(QWidget* control, const TRepaintProc& repaint)
{
    if (!control)
        return;
    if (qobject_cast<QAbstractButton*>(control)) {
        repaint(control);
        return;
    }
    if (isHiddenTabSheet(control))
        return;
    for (QWidget* child : childControls(control))
        RepaintButtonControls(child, repaint);
}

bool IsWindows6WithThemes()
{
    const platform::WindowSystemInfo& info = platform::windowSystemInfo();
    if (!info.versionKnown || info.majorVersion < 6)
        return false;
    return info.themesEnabled;
}

TFormObj::TFormObj(QWidget* form, bool repaintAll)
    : Form(form)
    , RepaintAll(repaintAll)
{
    form->installEventFilter(this);
    FixSkinControlFonts();
}

TRepaintProc& TFormObj::RepaintProc()
{
    static TRepaintProc proc = RepaintControl;
    return proc;
}

bool TFormObj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Form) {
        if (platform::TMessage* message = platform::messageOf(event);
            message && message->Msg == platform::WM_UPDATEUISTATE)
            NeedsRepaint = true;
    }
    return false;
}

void TFormObj::RepaintIfNeeded()
{
    if (!NeedsRepaint)
        return;
    NeedsRepaint = false;
    if (!Form)
        return;
    if (RepaintAll)
        RepaintWinControlTree(Form, RepaintProc());
    else
        RepaintButtonControls(Form, RepaintProc());
}

void TFormObj::FixSkinControlFonts()
{
    if (!Form)
        return;
    for (QWidget* control : Form->findChildren<QWidget*>()) {
        if (control->window() != Form)
            continue; // belongs to a form of its own
        if (auto* check = dynamic_cast<TqxSkinCheckBox*>(control))
            check->SetParentFont(true);
        else if (auto* radio = dynamic_cast<TqxSkinRadioButton*>(control))
            radio->SetParentFont(true);
    }
}

TKeyCueFix::TKeyCueFix(QObject* owner)
    : QObject(owner)
{
    if (!IsWindows6WithThemes())
        return;
    m_formObjects = std::make_unique<std::vector<std::unique_ptr<TFormObj>>>();
    m_appEvents = std::make_unique<platform::ApplicationEvents>();
    m_appEvents->OnIdle = [this](QObject* sender, bool& done) { ApplicationIdle(sender, done); };
    platform::installKeyboardCueSource();
}

TKeyCueFix::~TKeyCueFix()
{
    m_appEvents.reset();
    // Freeing a record removes its hook from a form that is still alive.
    m_formObjects.reset();
}

std::vector<const TFormObj*> TKeyCueFix::FormObjects() const
{
    std::vector<const TFormObj*> records;
    if (m_formObjects)
        for (const auto& record : *m_formObjects)
            records.push_back(record.get());
    return records;
}

void TKeyCueFix::ApplicationIdle(QObject*, bool&)
{
    if (!m_formObjects)
        return;
    auto& records = *m_formObjects;
    for (auto& record : records)
        record->Seen = false;
    for (QWidget* form : platform::screenForms()) {
        bool found = false;
        for (auto& record : records) {
            // A record whose form was destroyed holds a null reference, so a new form at the same
            // address is never taken for the old one.
            if (record->Form == form) {
                record->Seen = true;
                found = true;
                break;
            }
        }
        if (!found)
            records.push_back(std::make_unique<TFormObj>(form, RepaintAll));
    }
    for (size_t i = records.size(); i-- > 0;) {
        if (records[i]->Seen)
            records[i]->RepaintIfNeeded();
        else
            records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    }
}
