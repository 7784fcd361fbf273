#include "theming/skinutils.h"

#include "platform/qt/themeservices.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

int red(uint32_t c)
{
    return c & 0xFF;
}
int green(uint32_t c)
{
    return (c >> 8) & 0xFF;
}
int blue(uint32_t c)
{
    return (c >> 16) & 0xFF;
}
TColor rgb(int r, int g, int b)
{
    return static_cast<TColor>(
        static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16));
}

QRect toQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// One pixel per step from (x1, y1) towards (x2, y2); the end point itself is left out, as the
// window system draws lines.
void plotLine(QPainter& dc, int x1, int y1, int x2, int y2, const QColor& color)
{
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        dc.fillRect(x, y, 1, 1, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

struct ColorRamp {
    int n = 0;
    TColor c1 = 0;
    TColor c2 = 0;
    std::vector<TColor> colors;
};

struct RampCache {
    std::array<ColorRamp, 16> entries;
    int used = 0; // entries filled so far
    int next = 0; // slot the next new ramp overwrites
};

RampCache& rampCache()
{
    static RampCache cache;
    return cache;
}

QImage iconImage(const platform::ImageList& images, int index, const QSize& size)
{
    if (index < 0 || index >= images.size() || size.isEmpty())
        return QImage();
    return images.at(index).pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Draws the image with each covered pixel rewritten by the rule.
template <typename Rule>
void drawWithRule(QPainter& dc, const TRect& rect, const platform::ImageList& images, int index, Rule rule)
{
    QImage image = iconImage(images, index, QSize(rect.Width(), rect.Height()));
    if (image.isNull())
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            const uint32_t p = rule(0xFF000000u | (line[x] & 0xFFFFFF));
            line[x] = (static_cast<uint32_t>(qAlpha(line[x])) << 24) | (p & 0xFFFFFF);
        }
    }
    dc.drawImage(QPoint(rect.Left, rect.Top), image);
}

QFont& toolbarFontStorage()
{
    static QFont font;
    return font;
}

} // namespace

TColor Blend(TColor c1, TColor c2, int weight)
{
    if (weight < 0 || weight > 255)
        throw EAssertionFailed("Assertion failure (SkinUtils)");
    const uint32_t a = platform::ColorToRGB(c1), b = platform::ColorToRGB(c2);
    auto mix = [weight](int x, int y) { return (x * weight + y * (255 - weight)) >> 8; };
    return rgb(mix(red(a), red(b)), mix(green(a), green(b)), mix(blue(a), blue(b)));
}

TColor BlendNearest(TColor c1, TColor c2, int weight)
{
    return static_cast<TColor>(platform::GetNearestColor(static_cast<uint32_t>(Blend(c1, c2, weight))));
}

TColor Shade(TColor color, int delta)
{
    const uint32_t c = platform::ColorToRGB(color);
    auto clamp = [delta](int v) { return std::clamp(v + delta, 0, 255); };
    return rgb(clamp(red(c)), clamp(green(c)), clamp(blue(c)));
}

bool IsDarkColor(TColor color, int threshold)
{
    const uint32_t c = platform::ColorToRGB(color);
    return threshold * 256 > red(c) * 76 + green(c) * 150 + blue(c) * 30;
}

uint32_t ColorToPixel(TColor color)
{
    const uint32_t c = platform::ColorToRGB(color);
    return 0xFF000000u | (static_cast<uint32_t>(red(c)) << 16) | (static_cast<uint32_t>(green(c)) << 8)
        | static_cast<uint32_t>(blue(c));
}

QPen CreatePenEx(TColor color)
{
    if (color == platform::clNone)
        return QPen(Qt::NoPen);
    QPen pen(platform::toQColor(color));
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

QBrush CreateBrushEx(TColor color)
{
    if (color == platform::clNone)
        return QBrush(Qt::NoBrush);
    return QBrush(platform::toQColor(color));
}

bool FillRectEx(QPainter& dc, const TRect& rect, TColor color)
{
    if (color == platform::clNone)
        return false;
    if (rect.Width() > 0 && rect.Height() > 0)
        dc.fillRect(toQRect(rect), platform::toQColor(color));
    return true;
}

bool FrameRectEx(QPainter& dc, TRect& rect, TColor color, bool adjust)
{
    bool painted = false;
    if (color != platform::clNone) {
        painted = true;
        const QColor c = platform::toQColor(color);
        const TRect& r = rect;
        if (r.Width() > 0 && r.Height() > 0) {
            dc.fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
            dc.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
            dc.fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
            dc.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
        }
    }
    if (adjust) {
        ++rect.Left;
        ++rect.Top;
        --rect.Right;
        --rect.Bottom;
    }
    return painted;
}

void DrawLineEx(QPainter& dc, int x1, int y1, int x2, int y2, TColor color)
{
    if (color == platform::clNone)
        return;
    plotLine(dc, x1, y1, x2, y2, platform::toQColor(color));
}

bool PolyLineEx(QPainter& dc, const QPoint* points, int count, TColor color)
{
    if (color == platform::clNone || !points || count < 1)
        return false;
    const QColor c = platform::toQColor(color);
    for (int i = 0; i < count; ++i)
        plotLine(dc, points[i].x(), points[i].y(), points[i + 1].x(), points[i + 1].y(), c);
    return true;
}

void PolygonEx(QPainter& dc, const QPoint* points, int count, TColor fillColor, TColor outlineColor)
{
    if ((fillColor == platform::clNone && outlineColor == platform::clNone) || !points || count < 1)
        return;
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, false);
    dc.setPen(CreatePenEx(outlineColor));
    dc.setBrush(CreateBrushEx(fillColor));
    dc.drawPolygon(points, count + 1);
    dc.restore();
}

void RoundRectEx(
    QPainter& dc, const TRect& rect, int cornerWidth, int cornerHeight, TColor fillColor, TColor outlineColor)
{
    if (fillColor == platform::clNone && outlineColor == platform::clNone)
        return;
    if (rect.Width() < 1 || rect.Height() < 1)
        return;
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing, false);
    dc.setPen(CreatePenEx(outlineColor));
    dc.setBrush(CreateBrushEx(fillColor));
    // The window system's shapes stop one pixel short of the rectangle's right and bottom.
    const QRect r(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
    if (cornerWidth >= rect.Width() && cornerHeight >= rect.Height())
        dc.drawEllipse(r);
    else
        dc.drawRoundedRect(r, cornerWidth / 2.0, cornerHeight / 2.0);
    dc.restore();
}

void DitherRect(QPainter& dc, const TRect& rect, TColor c1, TColor c2)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    QImage pattern(8, 8, QImage::Format_RGB32);
    const QRgb a = platform::toQColor(c1).rgb(), b = platform::toQColor(c2).rgb();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, ((x + y) & 1) ? b : a);
    dc.save();
    dc.setBrushOrigin(0, 0);
    dc.fillRect(toQRect(rect), QBrush(pattern));
    dc.restore();
}

void Frame3D(QPainter& dc, TRect& rect, TColor topLeft, TColor bottomRight, bool adjust)
{
    const int right = rect.Right - 1, bottom = rect.Bottom - 1;
    const QPoint tl[3] = { { rect.Left, bottom }, { rect.Left, rect.Top }, { right, rect.Top } };
    const QPoint br[3] = { { rect.Left, bottom }, { right, bottom }, { right, rect.Top - 1 } };
    PolyLineEx(dc, tl, 2, topLeft);
    PolyLineEx(dc, br, 2, bottomRight);
    if (adjust) {
        ++rect.Left;
        ++rect.Top;
    } else {
        --rect.Right;
        --rect.Bottom;
    }
}

void DrawGlyph(
    QPainter& dc, const TRect& rect, int width, int height, const uint8_t* patternBits, TColor color)
{
    if (!patternBits || color == platform::clNone)
        return;
    width = std::clamp(width, 0, 8);
    height = std::clamp(height, 0, 8);
    const int x0 = rect.Left + (rect.Width() + 1 - width) / 2;
    const int y0 = rect.Top + (rect.Height() + 1 - height) / 2;
    const QColor c = platform::toQColor(color);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (patternBits[y] & (0x80 >> x))
                dc.fillRect(x0 + x, y0 + y, 1, 1, c);
}

void GradFill(QPainter& dc, const TRect& rect, TColor c1, TColor c2, bool horizontal)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    if (platform::gradientFillPresent()) {
        platform::GradientFillRect(dc, rect, platform::toQColor(c1), platform::toQColor(c2), !horizontal);
        return;
    }
    // One band per pixel of the span, only for the part the device can show.
    const int span = horizontal ? rect.Width() : rect.Height();
    const std::vector<TColor>& ramp = GetColorRamp(span, c1, c2);
    QRect visible = toQRect(rect);
    if (dc.hasClipping())
        visible &= dc.clipBoundingRect().toAlignedRect();
    const int first = horizontal ? visible.left() - rect.Left : visible.top() - rect.Top;
    const int last = horizontal ? visible.right() - rect.Left : visible.bottom() - rect.Top;
    for (int i = std::max(0, first); i <= std::min(span - 1, last); ++i) {
        const QColor c = platform::toQColor(ramp[i]);
        if (horizontal)
            dc.fillRect(rect.Left + i, rect.Top, 1, rect.Height(), c);
        else
            dc.fillRect(rect.Left, rect.Top + i, rect.Width(), 1, c);
    }
}

const std::vector<TColor>& GetColorRamp(int n, TColor c1, TColor c2)
{
    if (n < 1)
        throw EAssertionFailed("Assertion failure (SkinUtils)");
    RampCache& cache = rampCache();
    for (int k = 0; k < cache.used; ++k) {
        const int slot = (cache.next - 1 - k + 16) % 16;
        const ColorRamp& r = cache.entries[slot];
        if (r.n == n && r.c1 == c1 && r.c2 == c2)
            return r.colors;
    }
    ColorRamp& r = cache.entries[cache.next];
    cache.next = (cache.next + 1) % 16;
    cache.used = std::min(cache.used + 1, 16);
    r.n = n;
    r.c1 = c1;
    r.c2 = c2;
    r.colors.assign(n, 0);
    const uint32_t a = platform::ColorToRGB(c1), b = platform::ColorToRGB(c2);
    if (n == 1) {
        r.colors[0] = rgb((red(a) + red(b)) / 2, (green(a) + green(b)) / 2, (blue(a) + blue(b)) / 2);
        return r.colors;
    }
    // Rounded to the nearest step in either direction, so that a falling channel also ends exactly
    // on C2 (rounding a negative difference towards zero would stop one short of it).
    auto step = [n](int from, int to, int i) {
        const int delta = to - from;
        const int magnitude = (std::abs(delta) * i + (n - 1) / 2) / (n - 1);
        return delta < 0 ? from - magnitude : from + magnitude;
    };
    for (int i = 0; i < n; ++i)
        r.colors[i] = rgb(step(red(a), red(b), i), step(green(a), green(b), i), step(blue(a), blue(b), i));
    return r.colors;
}

bool IsColorRampCached(int n, TColor c1, TColor c2)
{
    const RampCache& cache = rampCache();
    for (int k = 0; k < cache.used; ++k) {
        const ColorRamp& r = cache.entries[(cache.next - 1 - k + 16) % 16];
        if (r.n == n && r.c1 == c1 && r.c2 == c2)
            return true;
    }
    return false;
}

void ClearColorRamps()
{
    rampCache() = RampCache {};
}

uint32_t HighContrastPixel(uint32_t pixel)
{
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const int luminance = r * 76 + g * 150 + b * 29;
    TColor c = rgb(r, g, b);
    if (luminance >= 64769)
        c = platform::clBlack;
    else if (luminance < 25600)
        c = 0xFFFFFF;
    return ColorToPixel(Shade(c, 32));
}

uint32_t TintedPixel(uint32_t pixel, int mode)
{
    if (mode < 0 || mode > 2)
        throw EAssertionFailed("Assertion failure (SkinUtils)");
    static const int intensities[3] = { 64, 128, 192 };
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const int grey = (r * 76 + g * 150 + b * 30) >> 8;
    return ColorToPixel(Blend(platform::clBtnFace, rgb(grey, grey, grey), intensities[mode]));
}

void DrawImageHighContrast(QPainter& dc, const TRect& rect, const platform::ImageList& images, int index)
{
    drawWithRule(dc, rect, images, index, HighContrastPixel);
}

void DrawImageBlended(
    QPainter& dc, const TRect& rect, const platform::ImageList& images, int index, int weight)
{
    const QImage image = iconImage(images, index, QSize(rect.Width(), rect.Height()));
    if (!image.isNull())
        platform::AlphaBlend(dc,
            TRect { rect.Left, rect.Top, rect.Left + image.width(), rect.Top + image.height() }, image,
            weight);
}

void DrawImageTinted(QPainter& dc, const TRect& rect, const platform::ImageList& images, int index, int mode)
{
    if (mode < 0 || mode > 2)
        throw EAssertionFailed("Assertion failure (SkinUtils)");
    drawWithRule(dc, rect, images, index, [mode](uint32_t p) { return TintedPixel(p, mode); });
}

SkinSharedObjects& SkinShared()
{
    static SkinSharedObjects objects;
    return objects;
}

void CreateSkinSharedObjects()
{
    SkinSharedObjects& s = SkinShared();
    s.workBitmap1 = QImage(1, 1, QImage::Format_ARGB32);
    s.workBitmap2 = QImage(1, 1, QImage::Format_ARGB32);
    s.monoBitmap = QImage(1, 1, QImage::Format_Mono);
    s.nearestColorBitmap
        = QImage(8, 8, platform::screenBitsPerPixel() >= 24 ? QImage::Format_RGB32 : QImage::Format_RGB16);
    s.captionFont = platform::smallCaptionFont();
}

void FreeSkinSharedObjects()
{
    SkinShared() = SkinSharedObjects {};
}

std::vector<BlendPatternRecord>& BlendPatternBrushes()
{
    static std::vector<BlendPatternRecord> brushes;
    return brushes;
}

void ClearBlendPatternBrushes()
{
    BlendPatternBrushes().clear();
}

QString StripAccelChars(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                out.append(QLatin1Char('&'));
                ++i;
            }
            continue;
        }
        out.append(text.at(i));
    }
    return out;
}

int GetTextWidth(QPainter& dc, const QString& text, bool stripAccel)
{
    return QFontMetrics(dc.font()).horizontalAdvance(stripAccel ? StripAccelChars(text) : text);
}

QFont CreateRotatedFont(QPainter& dc)
{
    QFont font = dc.font();
    const QString family = font.family();
    if (family == QLatin1String("MS Sans Serif") || family == QLatin1String("Microsoft Sans Serif")) {
        const int height = QFontMetrics(font).height();
        font.setFamily(QStringLiteral("Arial"));
        font.setPixelSize(height);
    }
    if (font.family().size() < 31) {
        const QString vertical = QLatin1Char('@') + font.family();
        if (QFontDatabase::families().contains(vertical))
            font.setFamily(vertical);
    }
    return font;
}

QString FitRotatedText(const QString& text, const QFont& font, int height)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= height)
        return text;
    const QString dots = QStringLiteral("...");
    if (height < 3)
        return text.left(1) + dots;
    QString shortened = text;
    while (!shortened.isEmpty() && metrics.horizontalAdvance(shortened + dots) > height)
        shortened.chop(1);
    if (shortened.isEmpty())
        return text.left(1) + dots;
    return shortened + dots;
}

void DrawRotatedText(QPainter& dc, QString text, const TRect& rect, int format)
{
    const QFont font = CreateRotatedFont(dc);
    const QFontMetrics metrics(font);
    int accelIndex = -1;
    if (!(format & DT_NOPREFIX)) {
        QString plain;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) {
                ++i;
                if (text.at(i) != QLatin1Char('&') && accelIndex < 0)
                    accelIndex = static_cast<int>(plain.size());
            }
            plain.append(text.at(i));
        }
        text = plain;
    }
    if (format & DT_END_ELLIPSIS) {
        const QString fitted = FitRotatedText(text, font, rect.Height());
        if (fitted != text && accelIndex >= fitted.size() - 3)
            accelIndex = -1;
        text = fitted;
    }
    const int length = metrics.horizontalAdvance(text);
    const int across = metrics.height();
    // Downwards: the text's baseline runs along the rectangle's height, its top towards the right.
    const int x = rect.Left + (rect.Width() - across) / 2;
    int y = rect.Top;
    if (format & DT_CENTER)
        y += (rect.Height() - length) / 2;
    dc.save();
    dc.setFont(font);
    dc.translate(x, y);
    dc.rotate(90);
    dc.drawText(0, metrics.ascent() - across, text);
    if (accelIndex >= 0) {
        const int start = metrics.horizontalAdvance(text.left(accelIndex));
        const int width = metrics.horizontalAdvance(text.at(accelIndex));
        const int underline = metrics.ascent() - across + metrics.underlinePos();
        dc.fillRect(start, underline, width, qMax(1, metrics.lineWidth()), dc.pen().color());
    }
    dc.restore();
}

QFont& ToolbarFont()
{
    return toolbarFontStorage();
}

void CreateToolbarFont()
{
    toolbarFontStorage() = platform::menuFont();
}

void FreeToolbarFont()
{
    toolbarFontStorage() = QFont();
}

void InitializeSkinUtils()
{
    CreateSkinSharedObjects();
}

void FinalizeSkinUtils()
{
    ClearColorRamps();
    ClearBlendPatternBrushes();
    FreeSkinSharedObjects();
}
