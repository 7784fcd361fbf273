#include "theming/skinthemes.h"

#include "platform/core/exceptions.h"
#include "platform/qt/themeservices.h"
#include "theming/skinuxthemes.h"

#include <QGuiApplication>

#include <vector>

namespace {

struct ThemeEntry {
    QString name;
    TSkinThemeClass themeClass = nullptr;
    TSkinTheme* instance = nullptr;
    int32_t referenceCount = 0;
};

std::vector<ThemeEntry>& registry()
{
    static std::vector<ThemeEntry> entries;
    return entries;
}

TSkinThemeManager*& managerInstance()
{
    static TSkinThemeManager* manager = nullptr;
    return manager;
}

bool ntAtLeast(int major, int minor)
{
    const platform::WindowSystemInfo& info = platform::windowSystemInfo();
    if (!info.versionKnown || !info.ntFamily)
        return false;
    return info.majorVersion > major || (info.majorVersion == major && info.minorVersion >= minor);
}

std::string utf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

} // namespace

TSkinTheme::TSkinTheme(const QString& name)
    : Name(name)
{
}

TSkinTheme::~TSkinTheme() = default;

void RegisterTheme(const QString& name, TSkinThemeClass themeClass)
{
    if (name.isEmpty() || !themeClass)
        throw platform::Exception("Cannot register theme");
    if (FindThemeIndex(name) >= 0)
        throw platform::Exception(platform::Format("Theme %s is already registered", utf8(name).c_str()));
    registry().push_back(ThemeEntry { name, themeClass, nullptr, 0 });
}

int FindThemeIndex(const QString& name)
{
    const auto& entries = registry();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TSkinTheme* AcquireTheme(const QString& name)
{
    const int index = FindThemeIndex(name);
    if (index < 0)
        throw platform::Exception("Unknown theme " + utf8(name));
    ThemeEntry& entry = registry()[index];
    if (entry.referenceCount == 0) {
        TSkinTheme* theme = entry.themeClass(entry.name);
        registry()[index].instance = theme;
        // A new theme learns whether the application is active, in the manager's activation codes.
        const bool active = qGuiApp && QGuiApplication::applicationState() == Qt::ApplicationActive;
        platform::sendMessage(theme, SKM_THEMECHANGE, active ? 4 : 5);
    }
    ThemeEntry& current = registry()[index];
    ++current.referenceCount;
    return current.instance;
}

void ReleaseTheme(TSkinTheme*& theme)
{
    for (ThemeEntry& entry : registry()) {
        if (!theme || entry.instance != theme)
            continue;
        if (entry.referenceCount < 1)
            throw platform::Exception("Cannot release theme " + utf8(entry.name));
        if (--entry.referenceCount == 0) {
            TSkinTheme* instance = entry.instance;
            entry.instance = nullptr;
            theme = nullptr;
            delete instance;
        }
        return;
    }
    throw platform::Exception("Cannot release theme");
}

int ThemeReferenceCount(const QString& name)
{
    const int index = FindThemeIndex(name);
    return index < 0 ? -1 : registry()[index].referenceCount;
}

void ClearThemeRegistry()
{
    registry().clear();
}

TSkinSystemState& SkinState()
{
    static TSkinSystemState state;
    return state;
}

TSkinThemeManager::TSkinThemeManager()
{
    m_window = std::make_unique<platform::SystemMessageWindow>(
        [this](platform::TMessage& message) { WndProc(message); });
    UpdateVariables();
}

TSkinThemeManager::~TSkinThemeManager()
{
    m_window.reset();
    TSkinSystemState& state = SkinState();
    if (state.VisualStyles)
        state.PartHandles.fill(0);
    state.VisualStyles = false;
    UnloadUxTheme();
}

void TSkinThemeManager::AddListener(QObject* listener)
{
    m_listeners.append(listener);
}

void TSkinThemeManager::RemoveListener(QObject* listener)
{
    m_listeners.removeOne(listener);
}

intptr_t TSkinThemeManager::Broadcast(uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    if (m_listeners.isEmpty())
        return 0;
    platform::TMessage message { msg, wParam, lParam, 0 };
    // A listener may leave the list while it handles the notice; the others still get it.
    const QList<QObject*> listeners = m_listeners;
    for (QObject* listener : listeners)
        if (m_listeners.contains(listener))
            platform::dispatchMessage(listener, message);
    return message.Result;
}

void TSkinThemeManager::UpdateVariables()
{
    TSkinSystemState& state = SkinState();
    CreateSkinSharedObjects();

    state.LowColorDisplay = platform::screenBitsPerPixel() < 12;
    state.WhiteButtonFace = platform::GetSysColor(platform::COLOR_BTNFACE) == 0xFFFFFF;
    state.LowColorOrWhiteFace = state.LowColorDisplay || state.WhiteButtonFace;

    if (state.VisualStyles)
        state.PartHandles.fill(0);
    UnloadUxTheme();

    state.VisualStyles = false;
    if (ntAtLeast(5, 1) && VisualStylesAllowed) {
        LoadUxTheme();
        state.VisualStyles = VisualStylesActive();
        // Opening the nine part classes needs the part library; without it the handles stay 0.
    }

    state.ToolbarFillColor = platform::clBtnFace;
    state.ToolbarTextColor = platform::clBtnText;

    bool flat = false;
    if (ntAtLeast(5, 1)) {
        const platform::WindowSystemInfo& info = platform::windowSystemInfo();
        flat = info.flatMenusKnown && info.flatMenus;
    }
    if (flat) {
        state.MenuColorsFlat = MenuColorMode == 0 || MenuColorMode == 2;
        state.MenuBackColor = state.MenuColorsFlat ? platform::clMenu : state.ToolbarFillColor;
        state.MenuTextColor = state.MenuColorsFlat ? platform::clMenuText : state.ToolbarTextColor;
    } else if (MenuColorMode == 2) {
        state.MenuColorsFlat = true;
        state.MenuBackColor = platform::clWindow;
        state.MenuTextColor = platform::clWindowText;
    } else {
        state.MenuColorsFlat = false;
        state.MenuBackColor = platform::clMenu;
        state.MenuTextColor = platform::clMenuText;
    }
}

void TSkinThemeManager::WndProc(platform::TMessage& message)
{
    switch (message.Msg) {
    case platform::WM_SYSCOLORCHANGE:
    case platform::WM_DISPLAYCHANGE:
    case platform::WM_THEMECHANGED:
        UpdateVariables();
        ClearBlendPatternBrushes();
        if (!m_listeners.isEmpty()) {
            Broadcast(SKM_THEMECHANGE, 1, 0);
            Broadcast(SKM_THEMECHANGE, 2, 0);
            Broadcast(SKM_THEMECHANGE, 3, 0);
        }
        break;
    case platform::WM_ACTIVATEAPP:
        Broadcast(SKM_THEMECHANGE, message.WParam != 0 ? 4 : 5, 0);
        break;
    default:
        break;
    }
    message.Result = platform::DefWindowProc(message);
}

TSkinThemeManager* SkinThemeManager()
{
    return managerInstance();
}

void AddThemeListener(QObject* listener)
{
    if (TSkinThemeManager* manager = managerInstance())
        manager->AddListener(listener);
}

void RemoveThemeListener(QObject* listener)
{
    if (TSkinThemeManager* manager = managerInstance())
        manager->RemoveListener(listener);
}

void InitializeSkinThemes()
{
    SkinState().HotLightColor
        = platform::HasSysColorBrush(platform::COLOR_HOTLIGHT) ? platform::clHotLight : platform::clHighlight;
    ClearThemeRegistry();
    managerInstance() = new TSkinThemeManager;
}

void FinalizeSkinThemes()
{
    delete managerInstance();
    managerInstance() = nullptr;
    ClearThemeRegistry();
}
