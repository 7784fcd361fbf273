#pragma once
// Colour values of the window system as the theming units use them: a non-negative value is
// $00BBGGRR, a negative value names a system colour by its low byte, and clNone means "draw
// nothing". System colours come from the application's palette, so a palette change is a
// system colour change.
#include <QColor>

#include <cstdint>

namespace platform {

using TColor = int32_t;

// System colour indices.
enum SysColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index & 0xFF));
}

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// $00BBGGRR of a system colour; 0 for an index the system does not know.
uint32_t GetSysColor(int index);
// Whether the system has a brush for the index (it has one for every colour it knows).
bool HasSysColorBrush(int index);

// A system colour resolved to $00BBGGRR; other values (clNone included) pass unchanged.
uint32_t ColorToRGB(TColor color);
QColor toQColor(TColor color);
TColor fromQColor(const QColor& color);

// The colour the screen shows for $00BBGGRR, and the same rule for a given bits-per-pixel depth:
// 24 bits and more show every colour, 15 and 16 bits drop the low bits of each channel, 8 bits and
// fewer snap to the sixteen standard colours.
uint32_t GetNearestColor(uint32_t rgb);
uint32_t nearestColorForDepth(uint32_t rgb, int bitsPerPixel);

// Bits per pixel of the primary screen (32 when there is none).
int screenBitsPerPixel();

} // namespace platform
