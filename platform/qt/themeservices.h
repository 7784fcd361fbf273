#pragma once
// What the theming units ask of the window system beyond colours and messages: its version and
// family, whether controls are drawn by a visual style, the visual-style part library, the menu
// settings, the fonts and metrics of captions and menus, and the classic drawing primitives
// (frame controls, 3D edges, gradients, alpha blending).
//
// Qt draws every control through its style, so the class library's "controls are themed" answer
// is yes. The visual-style part library (open a class of parts, draw part N in state M) has no
// counterpart here: it is reported as not present, and so are layered windows.
#include "platform/core/graphics.h"

#include <QColor>
#include <QFont>

class QImage;
class QPainter;

namespace platform {

struct WindowSystemInfo {
    bool versionKnown = true; // the version query succeeded
    int majorVersion = 10;
    int minorVersion = 0;
    bool ntFamily = true;
    bool themesEnabled = true; // controls are drawn by the system's visual style
    bool flatMenusKnown = false; // the flat-menu setting can be read
    bool flatMenus = false;
};

const WindowSystemInfo& windowSystemInfo();
// Replaces what the window system reports (tests model older or other systems with it).
void setWindowSystemInfo(const WindowSystemInfo& info);

// The visual-style part library and the layered-window entry point: not present on Qt.
bool visualStyleLibraryPresent();
bool layeredWindowsPresent();
// Alpha blending and gradient fills are part of Qt's painter.
bool alphaBlendPresent();
bool gradientFillPresent();

// The menu animation setting; false when it cannot be read.
bool menuAnimationSetting(bool& enabled);

// The system's small-caption and menu fonts.
QFont smallCaptionFont();
QFont menuFont();

enum SystemMetric : int {
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYSMCAPTION = 51,
    SM_CXMENUCHECK = 71,
    SM_CXSMSIZE = 52,
    SM_CYSMSIZE = 53,
};
int GetSystemMetrics(int index);

// Frame controls drawn by the style.
constexpr int DFC_CAPTION = 1;
constexpr int DFC_SCROLL = 3;
constexpr int DFC_BUTTON = 4;
constexpr int DFCS_BUTTONCHECK = 0x0000;
constexpr int DFCS_BUTTONRADIO = 0x0004;
constexpr int DFCS_BUTTON3STATE = 0x0008;
constexpr int DFCS_CAPTIONCLOSE = 0x0000;
constexpr int DFCS_SCROLLUP = 0x0000;
constexpr int DFCS_SCROLLDOWN = 0x0001;
constexpr int DFCS_SCROLLLEFT = 0x0002;
constexpr int DFCS_SCROLLRIGHT = 0x0003;
constexpr int DFCS_INACTIVE = 0x0100;
constexpr int DFCS_PUSHED = 0x0200;
constexpr int DFCS_CHECKED = 0x0400;
constexpr int DFCS_FLAT = 0x4000;
void DrawFrameControl(QPainter& painter, const TRect& rect, int type, int state);

// Classic 3D edges in the system's button colours.
constexpr int BDR_RAISEDOUTER = 0x0001;
constexpr int BDR_SUNKENOUTER = 0x0002;
constexpr int BDR_RAISEDINNER = 0x0004;
constexpr int BDR_SUNKENINNER = 0x0008;
constexpr int EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr int EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr int EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr int BF_LEFT = 0x0001;
constexpr int BF_TOP = 0x0002;
constexpr int BF_RIGHT = 0x0004;
constexpr int BF_BOTTOM = 0x0008;
constexpr int BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr int BF_MIDDLE = 0x0800;
constexpr int BF_FLAT = 0x4000;
constexpr int BF_ADJUST = 0x2000;
// Draws the edge inside the rectangle; with BF_ADJUST the rectangle shrinks past it.
void DrawEdge(QPainter& painter, TRect& rect, int edge, int flags);

// The classic focus rectangle: a one-pixel border of alternating black and white dots, which
// shows on every background colour.
void DrawFocusRect(QPainter& painter, const TRect& rect);

// One rectangle gradient from c1 to c2, left to right or top to bottom.
void GradientFillRect(
    QPainter& painter, const TRect& rect, const QColor& c1, const QColor& c2, bool vertical);
// Draws the image over the destination with a constant weight (255 opaque).
void AlphaBlend(QPainter& painter, const TRect& dest, const QImage& image, int weight);

} // namespace platform
