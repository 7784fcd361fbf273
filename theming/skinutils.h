#pragma once
// Colour blending and shading, drawing helpers that accept clNone and system colours alike,
// gradient fills with a small cache of colour ramps, image effects, the shared drawing objects
// of the theme library, and the toolbar text helpers (accelerator marks, rotated text, toolbar
// font). A QPainter stands for the device context of every drawing helper.
#include "platform/core/exceptions.h"
#include "platform/core/graphics.h"
#include "platform/qt/controls.h"
#include "platform/qt/themecolors.h"

#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

using platform::TColor;
using platform::TRect;

// A refused argument of the theme library's drawing routines.
FENDRIX_DECLARE_EXCEPTION(EAssertionFailed, platform::Exception)

// Each channel (C1 x W + C2 x (255 - W)) >> 8, system colours resolved; W above 255 is refused.
TColor Blend(TColor c1, TColor c2, int weight);
// Blend, snapped to the nearest colour the screen shows.
TColor BlendNearest(TColor c1, TColor c2, int weight);
// Adds delta to each channel, clamped to 0..255.
TColor Shade(TColor color, int delta);
// Threshold x 256 > R x 76 + G x 150 + B x 30.
bool IsDarkColor(TColor color, int threshold);
// $FFRRGGBB of a $00BBGGRR colour.
uint32_t ColorToPixel(TColor color);

// A one-pixel solid pen, or no pen for clNone; a solid brush, or the hollow brush for clNone.
QPen CreatePenEx(TColor color);
QBrush CreateBrushEx(TColor color);

bool FillRectEx(QPainter& dc, const TRect& rect, TColor color);
// A one-pixel frame inside the rectangle; with adjust the rectangle shrinks by one on each side,
// whatever the colour.
bool FrameRectEx(QPainter& dc, TRect& rect, TColor color, bool adjust);
// A line from (x1, y1) up to, not including, (x2, y2).
void DrawLineEx(QPainter& dc, int x1, int y1, int x2, int y2, TColor color);
// Polyline and polygon through points[0..count] (count + 1 points); the polyline leaves out its
// last pixel.
bool PolyLineEx(QPainter& dc, const QPoint* points, int count, TColor color);
void PolygonEx(QPainter& dc, const QPoint* points, int count, TColor fillColor, TColor outlineColor);
void RoundRectEx(QPainter& dc, const TRect& rect, int cornerWidth, int cornerHeight, TColor fillColor,
    TColor outlineColor);
// An 8 x 8 two-colour checker pattern, aligned to the device.
void DitherRect(QPainter& dc, const TRect& rect, TColor c1, TColor c2);
// Top-left and bottom-right lines of the rectangle; with adjust the rectangle shrinks at the
// top-left, else at the bottom-right.
void Frame3D(QPainter& dc, TRect& rect, TColor topLeft, TColor bottomRight, bool adjust);
// The top-left width x height of an 8 x 8 pattern (one byte per row, leftmost pixel in the top
// bit), centred in the rectangle: set bits in the colour, clear bits leave the device alone.
void DrawGlyph(
    QPainter& dc, const TRect& rect, int width, int height, const uint8_t* patternBits, TColor color);
// Gradient from c1 to c2, left to right when horizontal, else top to bottom.
void GradFill(QPainter& dc, const TRect& rect, TColor c1, TColor c2, bool horizontal);

// The n colours from c1 to c2 (n at least 1), from the cache of the 16 most recent ramps.
const std::vector<TColor>& GetColorRamp(int n, TColor c1, TColor c2);
bool IsColorRampCached(int n, TColor c1, TColor c2);
void ClearColorRamps();

// Image effects: the image of the list drawn over what the device shows.
void DrawImageHighContrast(QPainter& dc, const TRect& rect, const platform::ImageList& images, int index);
void DrawImageBlended(
    QPainter& dc, const TRect& rect, const platform::ImageList& images, int index, int weight);
// Modes 0 to 2 tint the image towards the button face at three intensities.
void DrawImageTinted(QPainter& dc, const TRect& rect, const platform::ImageList& images, int index, int mode);
// The per-pixel rules of the effects, on $FFRRGGBB pixels.
uint32_t HighContrastPixel(uint32_t pixel);
uint32_t TintedPixel(uint32_t pixel, int mode);

// The shared drawing objects.
struct SkinSharedObjects {
    QImage workBitmap1; // 32-bit
    QImage workBitmap2; // 32-bit
    QImage monoBitmap;
    QImage nearestColorBitmap; // 8 x 8, in the screen's format
    QFont captionFont; // the system's small-caption font
};
SkinSharedObjects& SkinShared();
void CreateSkinSharedObjects();
void FreeSkinSharedObjects();

// The blend-pattern brushes: two key colours and eight brushes per record; emptied on every
// system change.
struct BlendPatternRecord {
    TColor key1 = -1;
    TColor key2 = -1;
    QBrush brushes[8];
};
std::vector<BlendPatternRecord>& BlendPatternBrushes();
void ClearBlendPatternBrushes();

// Removes each "&" accelerator mark; "&&" keeps one "&".
QString StripAccelChars(const QString& text);
int GetTextWidth(QPainter& dc, const QString& text, bool stripAccel);
// The painter's font prepared for text running downwards: the sans-serif system faces become
// Arial at the same height, and a vertical variant ("@" and the face) is used when installed.
QFont CreateRotatedFont(QPainter& dc);
// DrawText flags the rotated-text helper understands.
constexpr int DT_CENTER = 0x0001;
constexpr int DT_NOPREFIX = 0x0800;
constexpr int DT_END_ELLIPSIS = 0x8000;
// Text written downwards, centred across the rectangle.
void DrawRotatedText(QPainter& dc, QString text, const TRect& rect, int format);
// The text that DrawRotatedText writes into a height, after shortening with "..." when asked.
QString FitRotatedText(const QString& text, const QFont& font, int height);

// The toolbar font, made from the system's menu font by the toolbar unit's start-up.
QFont& ToolbarFont();
void CreateToolbarFont();
void FreeToolbarFont();

// Start-up and shut-down of the drawing utilities.
void InitializeSkinUtils();
void FinalizeSkinUtils();
