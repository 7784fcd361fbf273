// The default theme's colours, metrics and rules, and its check box and radio button glyphs drawn
// into images in every state.
#include "testapp.h"

#include "platform/qt/themeservices.h"
#include "theming/qxskinfixedstuff.h"
#include "theming/skin.h"
#include "theming/skindefaulttheme.h"
#include "theming/themeunits.h"

#include <QImage>
#include <QPainter>

using namespace platform;
using namespace themetest;

namespace {

constexpr uint32_t kBackground = 0x00123456;

class DefaultTheme : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setPalette(knownPalette());
        InitializeThemes();
        theme = dynamic_cast<TSkinDefaultTheme*>(CurrentTheme());
        ASSERT_NE(theme, nullptr);
    }
    void TearDown() override
    {
        FinalizeThemes();
        QApplication::setPalette(knownPalette());
    }

    // The glyph of one state in a 13 x 13 rectangle at the top-left of a 16 x 16 image.
    QImage glyph(int state, int kind)
    {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(q(kBackground));
        QPainter dc(&image);
        theme->PaintFrameControl(dc, TRect { 0, 0, 13, 13 }, state, kind);
        return image;
    }
    static uint32_t at(const QImage& image, int x, int y)
    {
        return static_cast<uint32_t>(fromQColor(image.pixelColor(x, y)));
    }

    TSkinDefaultTheme* theme = nullptr;
};

TSkinItemInfo item(uint32_t view, uint8_t options, bool enabled, uint8_t hover = 0)
{
    TSkinItemInfo info;
    info.ViewType = view;
    info.ItemOptions = options;
    info.Enabled = enabled;
    info.HoverKind = hover;
    return info;
}

} // namespace

TEST_F(DefaultTheme, LightFaceIsRebuiltOnlyOnTheSecondNotice)
{
    // 64/255 of the face plus 191/255 of the window, channel by channel, on a 32-bit screen.
    auto lightFace = [](int face, int window) { return (face * 64 + window * 191) >> 8; };
    EXPECT_EQ(theme->LightFaceColor,
        lightFace(0xD4, 0xFC) | lightFace(0xD0, 0xFA) << 8 | lightFace(0xC8, 0xF8) << 16);
    const TColor before = theme->LightFaceColor;
    RemoveThemeListener(theme); // change the colours without the manager telling the theme
    QPalette p = knownPalette();
    p.setColor(QPalette::Button, Qt::black);
    QApplication::setPalette(p);
    for (int notice : { 1, 3, 4 })
        sendMessage(theme, SKM_THEMECHANGE, notice);
    EXPECT_EQ(theme->LightFaceColor, before);
    sendMessage(theme, SKM_THEMECHANGE, 2);
    EXPECT_EQ(theme->LightFaceColor, lightFace(0, 0xFC) | lightFace(0, 0xFA) << 8 | lightFace(0, 0xF8) << 16);
    AddThemeListener(theme);
}

TEST_F(DefaultTheme, HotItemsAndPushedImages)
{
    EXPECT_EQ(theme->GetItemColor(item(VT_POPUPMENU, 0, true, 1)), clHighlight);
    EXPECT_EQ(theme->GetItemColor(item(VT_POPUPMENU, IO_TOOLBARSTYLE, true, 1)), SkinState().MenuBackColor);
    TSkinItemInfo pushed = item(VT_TOOLBAR, 0, true);
    EXPECT_EQ(theme->GetImageOffset(pushed), QPoint(0, 0));
    pushed.Pushed = true;
    EXPECT_EQ(theme->GetImageOffset(pushed), QPoint(1, 1));
}

TEST_F(DefaultTheme, ItemTextColourRules)
{
    SkinThemeManager()->MenuColorMode = 0;
    SkinThemeManager()->UpdateVariables(); // no flat menus here
    ASSERT_FALSE(SkinState().MenuColorsFlat);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_TOOLBAR, 0, false, 1)), clGrayText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, IO_TOOLBARSTYLE, true)), clGrayText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, IO_TOOLBARSTYLE | IO_APPACTIVE2, true, 1)), clBtnText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_POPUPMENU, 0, true, 1)), clHighlightText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, 0, true)), clGrayText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, IO_APPACTIVE2, true)), clMenuText);
    // With flat menus a menu bar item goes on to the later rules.
    SkinThemeManager()->MenuColorMode = 2;
    SkinThemeManager()->UpdateVariables();
    ASSERT_TRUE(SkinState().MenuColorsFlat);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, IO_TOOLBARSTYLE, true, 1)), clHighlightText);
    EXPECT_EQ(theme->GetItemTextColor(item(VT_MENUBAR, IO_TOOLBARSTYLE | IO_APPACTIVE2, true)), clWindowText);
    SkinThemeManager()->MenuColorMode = 0;
    SkinThemeManager()->UpdateVariables();
}

TEST_F(DefaultTheme, FlatCheckBoxInEachState)
{
    const QImage normal = glyph(0, FCK_CHECKBOX);
    EXPECT_EQ(at(normal, 0, 0), kBackground); // one pixel left out around the frame
    EXPECT_EQ(at(normal, 12, 12), kBackground);
    EXPECT_EQ(at(normal, 11, 6), kBtnShadow);
    EXPECT_EQ(at(normal, 5, 8), kWindow); // no mark

    const QImage checked = glyph(FCS_CHECKED, FCK_CHECKBOX);
    EXPECT_EQ(at(checked, 5, 8), kBtnText); // the check's elbow, one left of the centre
    EXPECT_EQ(at(checked, 7, 6), kBtnText);
    EXPECT_EQ(at(checked, 2, 6), kWindow); // clear of the frame on the left

    const QImage mixed = glyph(FCS_MIXED, FCK_CHECKBOX);
    EXPECT_EQ(at(mixed, 10, 2), kWindow); // the dither of window and face, device-aligned
    EXPECT_EQ(at(mixed, 9, 2), kBtnFace);
    EXPECT_EQ(at(mixed, 5, 8), kBtnShadow);

    const QImage disabled = glyph(FCS_DISABLED, FCK_CHECKBOX);
    EXPECT_EQ(at(disabled, 1, 1), kBtnShadow);
    EXPECT_EQ(at(disabled, 5, 8), kBtnFace);
    const QImage disabledChecked = glyph(FCS_DISABLED | FCS_CHECKED, FCK_CHECKBOX);
    EXPECT_EQ(at(disabledChecked, 5, 8), kGrayText);
    // A disabled box is flat even under the mouse.
    EXPECT_EQ(glyph(FCS_DISABLED | FCS_HOT | FCS_PUSHED, FCK_CHECKBOX), disabled);
}

TEST_F(DefaultTheme, HotOrPushedCheckBoxIsThePlatformGlyph)
{
    const QImage flat = glyph(FCS_CHECKED, FCK_CHECKBOX);
    const QImage hot = glyph(FCS_HOT | FCS_CHECKED, FCK_CHECKBOX);
    const QImage pushed = glyph(FCS_HOT | FCS_PUSHED | FCS_CHECKED, FCK_CHECKBOX);
    EXPECT_NE(hot, flat);
    EXPECT_NE(pushed, flat);
    EXPECT_NE(at(hot, 6, 6), kBackground);
    // The focus bit is not a state of the glyph.
    EXPECT_EQ(glyph(FCS_CHECKED | FCS_FOCUSED, FCK_CHECKBOX), flat);
}

TEST_F(DefaultTheme, FlatRadioButtonInEachState)
{
    const QImage normal = glyph(0, FCK_RADIOBUTTON);
    EXPECT_EQ(at(normal, 1, 1), kBackground); // outside the circle
    EXPECT_EQ(at(normal, 6, 1), kBtnShadow); // top of the circle
    EXPECT_EQ(at(normal, 6, 6), kWindow);
    const QImage checked = glyph(FCS_CHECKED, FCK_RADIOBUTTON);
    EXPECT_EQ(at(checked, 6, 6), kBtnText);
    EXPECT_EQ(at(checked, 6, 3), kWindow); // between the dot and the circle
    EXPECT_EQ(at(glyph(FCS_DISABLED, FCK_RADIOBUTTON), 6, 6), kBtnFace);
    EXPECT_NE(glyph(FCS_HOT, FCK_RADIOBUTTON), normal);
    // Any other kind paints nothing.
    QImage untouched(16, 16, QImage::Format_RGB32);
    untouched.fill(q(kBackground));
    EXPECT_EQ(glyph(FCS_CHECKED, 3), untouched);
}

TEST_F(DefaultTheme, OtherPartsPaintInTheirColours)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(q(kBackground));
    QPainter dc(&image);
    TSkinItemInfo hot = item(VT_POPUPMENU, 0, true, 1);
    theme->PaintMenuItemFrame(dc, TRect { 0, 0, 10, 10 }, hot);
    theme->PaintMenuItemFrame(dc, TRect { 10, 0, 20, 10 }, item(VT_POPUPMENU, 0, true, 0));
    theme->PaintBackgnd(dc, TRect { 20, 0, 40, 10 }, TRect { 30, 5, 50, 20 }, 0x0000FF, false, 0);
    theme->PaintStatusBar(dc, TRect { 0, 10, 20, 20 }, 0);
    dc.end();
    EXPECT_EQ(at(image, 5, 5), kHighlight);
    EXPECT_EQ(at(image, 15, 5), kBackground);
    EXPECT_EQ(at(image, 35, 7), 0x0000FFu); // the intersection only
    EXPECT_EQ(at(image, 25, 7), kBackground);
    EXPECT_EQ(at(image, 35, 12), kBackground);
    EXPECT_EQ(at(image, 5, 15), kBtnFace);
}

// Each caption button of a child window shows its own kind (close, minimise, maximise, restore):
// none of them is drawn as another's, the close button's cross above all.
TEST_F(DefaultTheme, MDIButtonsShowTheirKind)
{
    const auto button = [this](int kind, bool pushed) {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(q(kBackground));
        QPainter dc(&image);
        TSkinItemInfo info = item(0, 0, true);
        info.Pushed = pushed;
        theme->PaintMDIButton(dc, TRect { 0, 0, 24, 24 }, info, kind);
        return image;
    };
    for (const bool pushed : { false, true }) {
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(button(a, pushed), button(b, pushed)) << "kinds " << a << " and " << b;
    }
}
