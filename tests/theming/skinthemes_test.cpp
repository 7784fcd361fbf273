// The theme registry, the manager's notices and their relay, the menu settings and the library's
// start-up and shut-down.
#include "testapp.h"

#include "platform/qt/themeservices.h"
#include "theming/skin.h"
#include "theming/skindefaulttheme.h"
#include "theming/themeunits.h"

#include <QEvent>
#include <QPalette>

#include <utility>
#include <vector>

using namespace platform;
using namespace themetest;

namespace {

// Records every message dispatched to it.
class Recorder : public QObject {
public:
    std::vector<std::pair<uint32_t, intptr_t>> received;
    intptr_t answer = 0;
    std::function<void()> onMessage;

protected:
    bool event(QEvent* event) override
    {
        if (TMessage* m = messageOf(event)) {
            received.emplace_back(m->Msg, m->WParam);
            if (answer)
                m->Result = answer;
            if (onMessage)
                onMessage();
            return true;
        }
        return QObject::event(event);
    }
};

// A theme that records the notices it gets and counts its instances.
class CountingTheme : public TSkinDefaultTheme {
public:
    explicit CountingTheme(const QString& name)
        : TSkinDefaultTheme(name)
    {
        ++alive;
    }
    ~CountingTheme() override { --alive; }
    static inline int alive = 0;
    static inline std::vector<intptr_t> creationNotices;

protected:
    bool event(QEvent* event) override
    {
        if (TMessage* m = messageOf(event))
            creationNotices.push_back(m->WParam);
        return TSkinDefaultTheme::event(event);
    }
};

class ThemeLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = windowSystemInfo();
        QApplication::setPalette(knownPalette());
        InitializeThemes();
    }
    void TearDown() override
    {
        FinalizeThemes();
        setWindowSystemInfo(m_saved);
        QApplication::setPalette(knownPalette());
    }
    static void deliver(uint32_t msg, intptr_t wParam = 0)
    {
        TMessage m { msg, wParam, 0, 0 };
        SkinThemeManager()->WndProc(m);
    }
    WindowSystemInfo m_saved;
};

std::string messageOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST_F(ThemeLibrary, StartUpRegistersAndHoldsTheDefaultTheme)
{
    EXPECT_TRUE(ThemesInitialized());
    EXPECT_EQ(FindThemeIndex("Default"), 0);
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->Name, "Default");
    EXPECT_EQ(ThemeReferenceCount("Default"), 1); // held by the relay object
    ASSERT_NE(SkinMenuAnimation(), nullptr);
    EXPECT_EQ(SkinState().HotLightColor, clHotLight);
    // Nested start-ups do nothing more; only the matching last shut-down ends the library.
    InitializeThemes();
    EXPECT_EQ(ThemeReferenceCount("Default"), 1);
    FinalizeThemes();
    EXPECT_TRUE(ThemesInitialized());
    EXPECT_NE(CurrentTheme(), nullptr);
}

TEST_F(ThemeLibrary, RegistryNamesIgnoreCase)
{
    EXPECT_EQ(messageOf([] { RegisterTheme("default", SkinThemeClassOf<CountingTheme>()); }),
        "Theme default is already registered");
    EXPECT_EQ(
        messageOf([] { RegisterTheme("", SkinThemeClassOf<CountingTheme>()); }), "Cannot register theme");
    EXPECT_EQ(messageOf([] { RegisterTheme("Other", nullptr); }), "Cannot register theme");
    EXPECT_EQ(FindThemeIndex("Other"), -1); // a failed call leaves the registry alone
    TSkinTheme* upper = AcquireTheme("DEFAULT");
    EXPECT_EQ(upper, CurrentTheme());
    EXPECT_EQ(ThemeReferenceCount("default"), 2);
    ReleaseTheme(upper); // the relay object still holds it
    EXPECT_EQ(upper, CurrentTheme());
    EXPECT_EQ(ThemeReferenceCount("Default"), 1);
    EXPECT_EQ(messageOf([] { AcquireTheme("Missing"); }), "Unknown theme Missing");
}

TEST_F(ThemeLibrary, ReferenceCountsDecideTheInstancesLife)
{
    RegisterTheme("Counting", SkinThemeClassOf<CountingTheme>());
    CountingTheme::creationNotices.clear();
    TSkinTheme* first = AcquireTheme("Counting");
    TSkinTheme* second = AcquireTheme("counting");
    EXPECT_EQ(first, second);
    EXPECT_EQ(CountingTheme::alive, 1);
    // Created once, and told once whether the application is active (4) or not (5).
    ASSERT_EQ(CountingTheme::creationNotices.size(), 1u);
    EXPECT_TRUE(CountingTheme::creationNotices[0] == 4 || CountingTheme::creationNotices[0] == 5);

    ReleaseTheme(first);
    EXPECT_EQ(first, second); // still alive, so the caller's reference stays
    EXPECT_EQ(ThemeReferenceCount("Counting"), 1);
    EXPECT_EQ(CountingTheme::alive, 1);
    TSkinTheme* keep = second;
    ReleaseTheme(second);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(CountingTheme::alive, 0);
    EXPECT_EQ(ThemeReferenceCount("Counting"), 0);
    EXPECT_EQ(messageOf([&] { ReleaseTheme(keep); }), "Cannot release theme");
    TSkinTheme* none = nullptr;
    EXPECT_EQ(messageOf([&] { ReleaseTheme(none); }), "Cannot release theme");
    // After the last release a new instance is made on demand.
    TSkinTheme* again = AcquireTheme("Counting");
    EXPECT_EQ(CountingTheme::alive, 1);
    ReleaseTheme(again);
}

TEST_F(ThemeLibrary, SystemChangeSendsThreeNoticesRelayedToControls)
{
    Recorder listener, control;
    AddThemeListener(&listener);
    AddThemeNotification(&control);
    AddThemeNotification(&control); // registered once only
    deliver(WM_SYSCOLORCHANGE);
    using Notices = std::vector<std::pair<uint32_t, intptr_t>>;
    EXPECT_EQ(listener.received, (Notices { { 1336, 1 }, { 1336, 2 }, { 1336, 3 } }));
    EXPECT_EQ(control.received, (Notices { { 1338, 1 }, { 1338, 2 }, { 1338, 3 } }));

    listener.received.clear();
    control.received.clear();
    deliver(WM_DISPLAYCHANGE);
    deliver(WM_THEMECHANGED);
    EXPECT_EQ(listener.received.size(), 6u);
    EXPECT_EQ(control.received.size(), 6u);

    listener.received.clear();
    control.received.clear();
    deliver(WM_ACTIVATEAPP, 1);
    deliver(WM_ACTIVATEAPP, 0);
    EXPECT_EQ(listener.received, (Notices { { 1336, 4 }, { 1336, 5 } }));
    EXPECT_EQ(control.received, (Notices { { 1338, 4 }, { 1338, 5 } }));

    RemoveThemeNotification(&control);
    RemoveThemeListener(&listener);
    listener.received.clear();
    control.received.clear();
    deliver(WM_SYSCOLORCHANGE);
    EXPECT_TRUE(listener.received.empty());
    EXPECT_TRUE(control.received.empty());
}

TEST_F(ThemeLibrary, APaletteChangeReachesTheListenersThroughTheHiddenWindow)
{
    Recorder listener;
    AddThemeListener(&listener);
    QPalette white = knownPalette();
    white.setColor(QPalette::Button, Qt::white);
    QApplication::setPalette(white);
    RemoveThemeListener(&listener);
    ASSERT_EQ(listener.received.size(), 3u);
    EXPECT_EQ(listener.received[1].second, 2);
    EXPECT_TRUE(SkinState().WhiteButtonFace);
    EXPECT_TRUE(SkinState().LowColorOrWhiteFace);
    EXPECT_FALSE(SkinState().LowColorDisplay);
}

TEST_F(ThemeLibrary, WithoutListenersStateIsRefreshedAndNothingSent)
{
    // Take every listener away, the relay and the theme included.
    Recorder outsider;
    RemoveThemeListener(SkinNexus());
    RemoveThemeListener(CurrentTheme());
    ASSERT_EQ(SkinThemeManager()->ListenerCount(), 0);
    EXPECT_EQ(SkinThemeManager()->Broadcast(1336, 1, 0), 0);
    QPalette white = knownPalette();
    white.setColor(QPalette::Button, Qt::white);
    QApplication::setPalette(white);
    EXPECT_TRUE(SkinState().WhiteButtonFace);
    AddThemeListener(CurrentTheme());
    AddThemeListener(SkinNexus());
}

TEST_F(ThemeLibrary, BroadcastReturnsTheLastResultAndSurvivesLeavingListeners)
{
    Recorder a, b, c;
    a.answer = 7;
    b.onMessage = [&] { RemoveThemeListener(&b); };
    TSkinThemeManager& manager = *SkinThemeManager();
    RemoveThemeListener(SkinNexus());
    RemoveThemeListener(CurrentTheme());
    manager.AddListener(&a);
    manager.AddListener(&b);
    manager.AddListener(&c);
    EXPECT_EQ(manager.Broadcast(1336, 3, 0), 7); // c leaves the result as a set it
    EXPECT_EQ(c.received.size(), 1u);
    EXPECT_EQ(manager.ListenerCount(), 2);
    manager.RemoveListener(&a);
    manager.RemoveListener(&c);
    AddThemeListener(CurrentTheme());
    AddThemeListener(SkinNexus());
}

TEST_F(ThemeLibrary, MenuColourRule)
{
    struct Case {
        bool flat;
        int mode;
        bool colorsFlat;
        TColor back, text;
    };
    const Case cases[] = {
        { true, 0, true, clMenu, clMenuText },
        { true, 2, true, clMenu, clMenuText },
        { true, 1, false, clBtnFace, clBtnText },
        { false, 2, true, clWindow, clWindowText },
        { false, 0, false, clMenu, clMenuText },
        { false, 1, false, clMenu, clMenuText },
    };
    for (const Case& c : cases) {
        WindowSystemInfo info = m_saved;
        info.flatMenusKnown = true;
        info.flatMenus = c.flat;
        setWindowSystemInfo(info);
        SkinThemeManager()->MenuColorMode = c.mode;
        SkinThemeManager()->UpdateVariables();
        EXPECT_EQ(SkinState().MenuColorsFlat, c.colorsFlat) << c.flat << " " << c.mode;
        EXPECT_EQ(SkinState().MenuBackColor, c.back) << c.flat << " " << c.mode;
        EXPECT_EQ(SkinState().MenuTextColor, c.text) << c.flat << " " << c.mode;
    }
    // A setting that cannot be read counts as not flat.
    WindowSystemInfo unknown = m_saved;
    unknown.flatMenusKnown = false;
    unknown.flatMenus = true;
    setWindowSystemInfo(unknown);
    SkinThemeManager()->MenuColorMode = 0;
    SkinThemeManager()->UpdateVariables();
    EXPECT_FALSE(SkinState().MenuColorsFlat);
}

TEST_F(ThemeLibrary, OldSystemsHaveNoVisualStylesAndClassicToolbarColours)
{
    for (const auto& [nt, major, minor] : { std::tuple { false, 4, 90 }, std::tuple { true, 5, 0 } }) {
        WindowSystemInfo info = m_saved;
        info.ntFamily = nt;
        info.majorVersion = major;
        info.minorVersion = minor;
        setWindowSystemInfo(info);
        SkinThemeManager()->UpdateVariables();
        EXPECT_FALSE(SkinState().VisualStyles);
        for (intptr_t handle : SkinState().PartHandles)
            EXPECT_EQ(handle, 0);
        EXPECT_EQ(SkinState().ToolbarFillColor, clBtnFace);
        EXPECT_EQ(SkinState().ToolbarTextColor, clBtnText);
    }
    // Here the part library is absent on any version, with the same outcome.
    setWindowSystemInfo(m_saved);
    SkinThemeManager()->UpdateVariables();
    EXPECT_FALSE(SkinState().VisualStyles);
    EXPECT_FALSE(CurrentTheme()->GetBooleanMetric(5));
}

TEST_F(ThemeLibrary, MenuAnimationStepsDownToAnAvailableStyle)
{
    const bool general = QApplication::isEffectEnabled(Qt::UI_General);
    const bool effect = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    QApplication::setEffectEnabled(Qt::UI_General, true);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, true);
    auto styleOn = [&](bool nt, int major, int minor, int requested) {
        WindowSystemInfo info = m_saved;
        info.ntFamily = nt;
        info.majorVersion = major;
        info.minorVersion = minor;
        setWindowSystemInfo(info);
        return TSkinMenuAnimation(requested).Style();
    };
    EXPECT_EQ(styleOn(false, 4, 10, 5), 4);
    EXPECT_EQ(styleOn(true, 5, 0, 7), 5);
    EXPECT_EQ(styleOn(false, 4, 0, 3), 0);
    EXPECT_EQ(styleOn(true, 10, 0, 3), 3);
    EXPECT_EQ(styleOn(true, 10, 0, 1), 1);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    EXPECT_EQ(styleOn(true, 10, 0, 1), 0); // style 1 needs the system's menu animation on
    EXPECT_EQ(styleOn(true, 10, 0, 2), 2);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, effect);
    QApplication::setEffectEnabled(Qt::UI_General, general);
}

TEST(ThemeLibraryLifetime, ShutDownFreesEverything)
{
    InitializeThemes();
    TSkinTheme* theme = CurrentTheme();
    ASSERT_NE(theme, nullptr);
    FinalizeThemes();
    EXPECT_FALSE(ThemesInitialized());
    EXPECT_EQ(CurrentTheme(), nullptr);
    EXPECT_EQ(SkinThemeManager(), nullptr);
    EXPECT_EQ(SkinNexus(), nullptr);
    EXPECT_EQ(FindThemeIndex("Default"), -1);
    FinalizeThemes(); // an unmatched shut-down is harmless
    // A second run of the library starts from a clean registry.
    InitializeThemes();
    EXPECT_EQ(FindThemeIndex("Default"), 0);
    FinalizeThemes();
}
