#pragma once
// The theme machinery: the registry of theme classes by name with one shared, reference-counted
// instance each; the abstract theme; and the theme manager, which watches the system for colour,
// display, visual-style and activation changes and tells its listeners with message 1336.
#include "platform/qt/controls.h"
#include "platform/qt/thememessages.h"
#include "theming/skinutils.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include <array>
#include <memory>

// Notice of the manager to its listeners (WParam 1, 2, 3: a system change; 4, 5: the application
// became active, inactive) and its relay to the themed controls.
constexpr uint32_t SKM_THEMECHANGE = 1336;
constexpr uint32_t SKM_CONTROLTHEMECHANGE = 1338;
// Asked of a control for the colour its children should take as their parent's.
constexpr uint32_t SKM_GETEFFECTIVECOLOR = 1262;

// View types of the item records.
constexpr uint32_t VT_TOOLBAR = 0x1000;
constexpr uint32_t VT_POPUP = 0x2000;
constexpr uint32_t VT_DOCKPANEL = 0x4000;
constexpr uint32_t VT_STATUSBAR = 0x10000;
constexpr uint32_t VT_FLOATING = 0x800;
constexpr uint32_t VT_RESIZABLE = 0x400;
constexpr uint32_t VT_TOOLBARFLAG = 0x200; // a toolbar drawn with its own frame
constexpr uint32_t VT_MENUBAR = 0x1002; // toolbar family, kind 2
constexpr uint32_t VT_POPUPMENU = 0x2001;
constexpr uint32_t VT_LISTBOX = 0x2002;
constexpr uint32_t VT_TOOLBOXPOPUP = 0x2004;
constexpr uint32_t VT_CHEVRONPOPUP = 0x2008;

// Item options.
constexpr uint8_t IO_TOOLBARSTYLE = 0x01;
constexpr uint8_t IO_APPACTIVE = 0x02; // unused by the classic look
constexpr uint8_t IO_SUBMENUITEM = 0x04;
constexpr uint8_t IO_COMBO = 0x08; // split item
constexpr uint8_t IO_DESIGNING = 0x10;
constexpr uint8_t IO_APPACTIVE2 = 0x20;

// Frame-control states and kinds.
constexpr int FCS_CHECKED = 1;
constexpr int FCS_MIXED = 2;
constexpr int FCS_DISABLED = 4;
constexpr int FCS_HOT = 8;
constexpr int FCS_PUSHED = 16;
constexpr int FCS_FOCUSED = 32;
constexpr int FCK_CHECKBOX = 1;
constexpr int FCK_RADIOBUTTON = 2;

struct TSkinItemInfo {
    uint32_t ViewType = 0;
    uint8_t ItemOptions = 0;
    bool Enabled = false;
    bool Pushed = false;
    uint8_t HoverKind = 0; // 0 none, 1 mouse, 2 keyboard
    bool Selected = false; // checked
    bool IsVertical = false;
    int ComboPart = 0; // button style: 0 plain, 1 drop-down, 2 split, 3 split arrow
    int ImageWidth = 0;
    int ImageHeight = 0;
    bool ImageShown = false;
    bool GroupingFlag = false; // the item begins or ends a group
};

struct TSkinMargins {
    int LeftWidth = 0;
    int TopHeight = 0;
    int RightWidth = 0;
    int BottomHeight = 0;
    bool operator==(const TSkinMargins&) const = default;
};

struct TSkinEditInfo {
    int ButtonType = 0; // 0 none, 1 drop-down, 2 spin
    int HoverPart = 0; // 0 none, 1 button (drop-down or up), 2 down
    int PushedPart = 0;
    int ButtonWidth = 13;
};

struct TSkinDockPanelInfo {
    QString Caption;
    bool IsVertical = false;
    bool ShowCaption = true;
    bool CloseButton = true;
    int CloseButtonState = 0; // 0 normal, 1 hot, 2 pushed
    bool Active = false;
};

struct TSkinFloatingInfo {
    QString Caption;
    bool Active = false;
    bool CloseButton = true;
    int CloseButtonState = 0;
    QSize BorderSize;
};

struct TSkinToolbarInfo {
    uint32_t ViewType = VT_TOOLBAR;
    bool IsVertical = false;
    bool Floating = false;
    bool CloseButton = false;
    int CloseButtonState = 0;
    int GripSize = 8;
    QSize BorderSize { 2, 2 };
    QString Caption;
    bool Active = false;
};

// The abstract theme. Answers message 1336 through its event handler; the default theme uses
// WParam 2 to rebuild its colours.
class TSkinTheme : public QObject {
public:
    explicit TSkinTheme(const QString& name);
    ~TSkinTheme() override;
    QString Name;

    virtual QPoint GetImageOffset(const TSkinItemInfo& item) = 0;
    virtual TColor GetItemColor(const TSkinItemInfo& item) = 0;
    virtual TColor GetItemTextColor(const TSkinItemInfo& item) = 0;
    virtual TColor GetItemImageBackground(const TSkinItemInfo& item) = 0;
    virtual TSkinMargins GetMargins(int kind) = 0;
    virtual int GetPopupShadowType() = 0;
    virtual QSize GetViewBorder(uint32_t viewType) = 0;
    virtual TColor GetViewColor(uint32_t viewType) = 0;
    virtual TSkinMargins GetViewMargins(uint32_t viewType) = 0;
    virtual void PaintBackgnd(QPainter& dc, const TRect& adjustedRect, const TRect& paintRect, TColor color,
        bool transparent, uint32_t viewType)
        = 0;
    virtual void PaintButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) = 0;
    virtual void PaintCaption(QPainter& dc, const TRect& rect, const TSkinItemInfo& item,
        const QString& caption, int format, bool rotated)
        = 0;
    virtual void PaintCheckMark(QPainter& dc, TRect rect, const TSkinItemInfo& item, bool radio) = 0;
    virtual void PaintChevron(QPainter& dc, TRect rect, const TSkinItemInfo& item) = 0;
    virtual void PaintEditItem(
        QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit)
        = 0;
    virtual void PaintEditButton(
        QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit)
        = 0;
    virtual void PaintDock(QPainter& dc, const TRect& clientRect, const TRect& dockRect, int dockPosition)
        = 0;
    virtual void PaintDockPanelNCArea(QPainter& dc, TRect rect, const TSkinDockPanelInfo& panel) = 0;
    virtual void PaintDropDownArrow(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) = 0;
    virtual void PaintFloatingBorder(QPainter& dc, const TRect& rect, const TSkinFloatingInfo& window) = 0;
    virtual void PaintEditFrame(
        QPainter& dc, TRect rect, const TSkinItemInfo& item, const TSkinEditInfo& edit)
        = 0;
    virtual void PaintImage(QPainter& dc, const TRect& rect, const TSkinItemInfo& item,
        const platform::ImageList& images, int index)
        = 0;
    virtual void PaintMDIButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item, int kind) = 0;
    virtual void PaintMenuItem(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) = 0;
    virtual void PaintMenuItemFrame(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) = 0;
    virtual void PaintPageScrollButton(QPainter& dc, const TRect& rect, bool hot, int direction) = 0;
    virtual void PaintPopupFrame(QPainter& dc, TRect rect, uint32_t viewType) = 0;
    virtual void PaintSeparator(
        QPainter& dc, TRect rect, const TSkinItemInfo& item, bool horizontal, bool lineSeparator)
        = 0;
    virtual void PaintToolbarNCArea(QPainter& dc, TRect rect, const TSkinToolbarInfo& toolbar) = 0;
    virtual void PaintFrameControl(QPainter& dc, TRect rect, int state, int kind) = 0;
    virtual void PaintStatusBar(QPainter& dc, TRect rect, int part) = 0;
    virtual int GetIntegerMetric(int index) = 0;
    virtual bool GetBooleanMetric(int index) = 0;
};

// What a registry entry instantiates.
using TSkinThemeClass = TSkinTheme* (*)(const QString& name);
template <typename T> TSkinThemeClass SkinThemeClassOf()
{
    return [](const QString& name) -> TSkinTheme* { return new T(name); };
}

void RegisterTheme(const QString& name, TSkinThemeClass themeClass);
int FindThemeIndex(const QString& name);
TSkinTheme* AcquireTheme(const QString& name);
void ReleaseTheme(TSkinTheme*& theme);
// The reference count of a registered theme (tests and diagnostics); -1 when not registered.
int ThemeReferenceCount(const QString& name);
void ClearThemeRegistry();

// Watches the system through a hidden window and tells its listeners.
class TSkinThemeManager {
public:
    TSkinThemeManager();
    ~TSkinThemeManager();

    bool VisualStylesAllowed = true;
    int MenuColorMode = 0;

    void AddListener(QObject* listener);
    void RemoveListener(QObject* listener);
    int ListenerCount() const { return static_cast<int>(m_listeners.size()); }
    intptr_t Broadcast(uint32_t msg, intptr_t wParam, intptr_t lParam);
    void UpdateVariables();
    // The hidden window's procedure.
    void WndProc(platform::TMessage& message);
    platform::SystemMessageWindow* Window() const { return m_window.get(); }

private:
    QList<QObject*> m_listeners;
    std::unique_ptr<platform::SystemMessageWindow> m_window;
};

TSkinThemeManager* SkinThemeManager();
void AddThemeListener(QObject* listener);
void RemoveThemeListener(QObject* listener);

// The process-wide state the manager keeps up to date.
struct TSkinSystemState {
    bool LowColorDisplay = false;
    bool WhiteButtonFace = false;
    bool LowColorOrWhiteFace = false;
    TColor HotLightColor = platform::clHighlight;
    TColor ToolbarFillColor = platform::clBtnFace;
    TColor ToolbarTextColor = platform::clBtnText;
    bool MenuColorsFlat = false;
    TColor MenuBackColor = platform::clMenu;
    TColor MenuTextColor = platform::clMenuText;
    bool VisualStyles = false;
    // Part handles for BUTTON, SCROLLBAR, REBAR, TOOLBAR, WINDOW, COMBOBOX, EXPLORERBAR, STATUS,
    // SPIN; none can be opened without the part library.
    std::array<intptr_t, 9> PartHandles {};
};
TSkinSystemState& SkinState();

// Start-up and shut-down of the theme unit: the hot-light colour, an empty registry, the manager.
void InitializeSkinThemes();
void FinalizeSkinThemes();
