#include "theming/skin.h"

#include "platform/qt/themeservices.h"
#include "theming/skindefaulttheme.h"
#include "theming/skindkpanels.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QWidget>

namespace {

TSkinNexus* g_nexus = nullptr;
TSkinMenuAnimation* g_menuAnimation = nullptr;
TSkinTheme* g_currentTheme = nullptr;

// The parent's own erase into the device, in the parent's coordinates. Whether it painted.
bool eraseParent(QWidget* parent, QPainter& dc, const TRect& rect)
{
    if (auto* panel = dynamic_cast<TSkinPanelObject*>(parent)) {
        panel->EraseBackground(dc, rect);
        return true;
    }
    if (parent->autoFillBackground() || parent->isWindow()) {
        dc.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()),
            parent->palette().brush(parent->backgroundRole()));
        return true;
    }
    return false;
}

} // namespace

TSkinNexus::TSkinNexus(const QString& themeName)
{
    g_currentTheme = AcquireTheme(themeName);
    AddThemeListener(this);
}

TSkinNexus::~TSkinNexus()
{
    RemoveThemeListener(this);
    TSkinTheme* theme = g_currentTheme;
    g_currentTheme = nullptr;
    if (theme)
        ReleaseTheme(theme);
}

void TSkinNexus::AddControl(QObject* control)
{
    if (control && !m_controls.contains(control))
        m_controls.append(control);
}

void TSkinNexus::RemoveControl(QObject* control)
{
    m_controls.removeOne(control);
}

bool TSkinNexus::event(QEvent* event)
{
    if (platform::TMessage* message = platform::messageOf(event)) {
        if (message->Msg == SKM_THEMECHANGE) {
            platform::TMessage relay { SKM_CONTROLTHEMECHANGE, message->WParam, 0, 0 };
            // A control may unregister while it handles the notice; the others still get it.
            const QList<QObject*> controls = m_controls;
            for (QObject* control : controls)
                if (m_controls.contains(control))
                    platform::dispatchMessage(control, relay);
        }
        return true;
    }
    return QObject::event(event);
}

TSkinNexus* SkinNexus()
{
    return g_nexus;
}

TSkinTheme* CurrentTheme()
{
    return g_currentTheme;
}

void AddThemeNotification(QObject* control)
{
    if (g_nexus)
        g_nexus->AddControl(control);
}

void RemoveThemeNotification(QObject* control)
{
    if (g_nexus)
        g_nexus->RemoveControl(control);
}

TSkinMenuAnimation::TSkinMenuAnimation(int requestedStyle)
{
    const platform::WindowSystemInfo& info = platform::windowSystemInfo();
    int highest = 0;
    if (info.versionKnown && info.ntFamily && info.majorVersion >= 5)
        highest = 5;
    else if (info.versionKnown && !info.ntFamily
        && (info.majorVersion > 4 || (info.majorVersion == 4 && info.minorVersion >= 10)))
        highest = 4;
    int style = std::clamp(requestedStyle, 0, 7);
    while (style > highest)
        --style;
    if (style == 1) {
        bool enabled = false;
        if (!platform::menuAnimationSetting(enabled) || !enabled)
            style = 0;
    }
    m_style = static_cast<uint8_t>(style);
}

TSkinMenuAnimation* SkinMenuAnimation()
{
    return g_menuAnimation;
}

TColor ControlColor(const QWidget* control)
{
    if (auto* panel = dynamic_cast<const TSkinPanelObject*>(control))
        return panel->Color();
    return platform::fromQColor(control->palette().color(control->backgroundRole()));
}

TColor GetEffectiveParentColor(QWidget* control)
{
    if (!control)
        return platform::clBtnFace;
    platform::TMessage message { SKM_GETEFFECTIVECOLOR, 0, 0, 0 };
    if (platform::dispatchMessage(control, message) != 0)
        return static_cast<TColor>(message.WParam);
    if (auto* frame = qobject_cast<QMainWindow*>(control);
        frame && qobject_cast<QMdiArea*>(frame->centralWidget()))
        return platform::clBtnFace;
    return ControlColor(control);
}

void PaintParentBackground(QWidget* control, QPainter& dc, const TRect& rect)
{
    QWidget* parent = control && !control->isWindow() ? control->parentWidget() : nullptr;
    if (!parent) {
        FillRectEx(dc, rect, platform::clBtnFace);
        return;
    }
    const QPoint offset = control->pos();
    dc.save();
    dc.translate(-offset);
    const bool erased = eraseParent(parent, dc,
        TRect { rect.Left + offset.x(), rect.Top + offset.y(), rect.Right + offset.x(),
            rect.Bottom + offset.y() });
    dc.restore();
    if (erased)
        return;
    // A tab body drawn by the visual style would come next; without the part library the
    // parent's colour is the background.
    FillRectEx(dc, rect, GetEffectiveParentColor(parent));
}

void InitializeSkin()
{
    RegisterTheme(QStringLiteral("Default"), SkinThemeClassOf<TSkinDefaultTheme>());
    g_nexus = new TSkinNexus(QStringLiteral("Default"));
    g_menuAnimation = new TSkinMenuAnimation(1);
}

void FinalizeSkin()
{
    delete g_nexus;
    g_nexus = nullptr;
    delete g_menuAnimation;
    g_menuAnimation = nullptr;
}
