#include "results/diagramdraw.h"

#include "model/fieldlimits.h"
#include "platform/qt/numberformat.h"

#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Pixel coordinates computed from model values are kept within a range that cannot overflow.
int clampPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

int rnd(double v)
{
    return static_cast<int>(RoundHalfEven(std::clamp(v, -1.0e6, 1.0e6)));
}

bool hatchBit(TBrushStyle style, int x, int y)
{
    const bool h = (y & 7) == 0;
    const bool v = (x & 7) == 0;
    const bool f = ((x - y) & 7) == 0;
    const bool b = ((x + y) & 7) == 0;
    switch (style) {
    case bsSolid:
        return true;
    case bsClear:
        return false;
    case bsHorizontal:
        return h;
    case bsVertical:
        return v;
    case bsFDiagonal:
        return f;
    case bsBDiagonal:
        return b;
    case bsCross:
        return h || v;
    case bsDiagCross:
        return f || b;
    }
    return false;
}

const QColor kHatchColours[3] = { QColor(128, 128, 128), QColor(0, 0, 0), QColor(192, 192, 192) };

} // namespace

// ---- canvas ---------------------------------------------------------------------------------

TDrawCanvas::TDrawCanvas(QImage& image)
    : Font(QStringLiteral("Arial"))
    , m_image(image)
{
    SetFontHeight(13);
}

// A drawing measures the same few texts at the same few sizes again and again, and the pictures
// of a window are drawn one after another with the same texts: a text's width in a font, and the
// pixel size that fills a cell, depend on the installed fonts only, so each is measured once. The
// answers are kept per thread, so that no drawing waits for another's.
namespace {

struct TMeasures {
    QHash<QFont, int> PixelSizes; // font at the cell height -> the pixel size that fills the cell
    QHash<std::pair<QFont, QString>, int> Widths;
};

TMeasures& measures()
{
    thread_local TMeasures m;
    return m;
}

// Texts with numbers in them change with every input: the remembered widths are forgotten now
// and then rather than growing without end.
constexpr qsizetype kMaxRememberedWidths = 4096;

} // namespace

void TDrawCanvas::SetFontHeight(int height)
{
    height = std::max(1, height);
    m_fontHeight = height;
    // The height names the character cell; the font's pixel size is its em, a little smaller.
    Font.setPixelSize(height);
    QHash<QFont, int>& known = measures().PixelSizes;
    auto size = known.constFind(Font);
    if (size == known.cend()) {
        const int cell = QFontMetrics(Font).height();
        size = known.insert(Font,
            cell > 0 ? std::max(1, static_cast<int>(std::lround(double(height) * height / cell))) : height);
    }
    Font.setPixelSize(*size);
}

int TDrawCanvas::penWidth() const
{
    // One pixel is the thinnest line; on a finer device it is as thick as a pixel of the drawing.
    return PenWidth <= 1 && Ratio() == 1 ? 0 : std::max(1, PenWidth);
}

qreal TDrawCanvas::Ratio() const
{
    return m_image.devicePixelRatio();
}

QRect TDrawCanvas::Bounds() const
{
    const qreal r = Ratio();
    return QRect(0, 0, int(std::lround(m_image.width() / r)), int(std::lround(m_image.height() / r)));
}

QRect TDrawCanvas::deviceRect(const QRect& r) const
{
    const qreal ratio = Ratio();
    if (ratio == 1 || r.isEmpty())
        return r;
    const auto device = [ratio](int v) { return int(std::lround(v * ratio)); };
    return QRect(QPoint(device(r.left()), device(r.top())),
        QPoint(device(r.right() + 1) - 1, device(r.bottom() + 1) - 1));
}

bool TDrawCanvas::hatchAt(int x, int y, qreal ratio) const
{
    // The hatch keeps its spacing in the drawing's pixels whatever the device.
    return ratio == 1 ? hatchBit(BrushStyle, x, y) : hatchBit(BrushStyle, int(x / ratio), int(y / ratio));
}

void TDrawCanvas::setupPen(QPainter& p) const
{
    if (!PenVisible) {
        p.setPen(Qt::NoPen);
        return;
    }
    QPen pen(PenColor, penWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
}

void TDrawCanvas::setupBrush(QPainter& p) const
{
    if (BrushStyle == bsClear) {
        p.setBrush(Qt::NoBrush);
        return;
    }
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (BrushStyle) {
    case bsHorizontal:
        style = Qt::HorPattern;
        break;
    case bsVertical:
        style = Qt::VerPattern;
        break;
    case bsFDiagonal:
        style = Qt::FDiagPattern;
        break;
    case bsBDiagonal:
        style = Qt::BDiagPattern;
        break;
    case bsCross:
        style = Qt::CrossPattern;
        break;
    case bsDiagCross:
        style = Qt::DiagCrossPattern;
        break;
    default:
        break;
    }
    p.setBrush(QBrush(BrushColor, style));
}

void TDrawCanvas::Line(int x0, int y0, int x1, int y1)
{
    if (!PenVisible)
        return;
    QPainter p(&m_image);
    setupPen(p);
    p.drawLine(x0, y0, x1, y1);
    Lines.push_back({ QLine(x0, y0, x1, y1), PenWidth });
}

void TDrawCanvas::FillRect(int left, int top, int right, int bottom)
{
    if (BrushStyle == bsClear)
        return;
    const QRect r = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
        QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1))
                        .intersected(Bounds());
    if (BrushStyle == bsSolid) {
        QPainter p(&m_image);
        p.fillRect(r, BrushColor);
        return;
    }
    const QRect device = deviceRect(r).intersected(m_image.rect());
    const qreal ratio = Ratio();
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
            if (hatchAt(x, y, ratio))
                fillPixel(x, y);
}

void TDrawCanvas::Rectangle(int left, int top, int right, int bottom)
{
    FillRect(left, top, right, bottom);
    if (!PenVisible)
        return;
    QPainter p(&m_image);
    QPen pen(PenColor, penWidth(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void TDrawCanvas::Ellipse(int left, int top, int right, int bottom)
{
    QPainter p(&m_image);
    setupPen(p);
    setupBrush(p);
    p.drawEllipse(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void TDrawCanvas::Polygon(const QPolygon& points)
{
    QPainter p(&m_image);
    setupPen(p);
    setupBrush(p);
    p.drawPolygon(points);
}

void TDrawCanvas::Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4)
{
    if (!PenVisible)
        return;
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double rx = std::max(1.0, (right - left) / 2.0);
    const double ry = std::max(1.0, (bottom - top) / 2.0);
    // Angles in the ellipse's own parameter, counter-clockwise with y pointing up.
    const double a1 = std::atan2(-(y3 - cy) / ry, (x3 - cx) / rx) * 180 / std::numbers::pi;
    const double a2 = std::atan2(-(y4 - cy) / ry, (x4 - cx) / rx) * 180 / std::numbers::pi;
    double span = a2 - a1;
    while (span <= 0)
        span += 360;
    QPainter p(&m_image);
    setupPen(p);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), static_cast<int>(std::lround(a1 * 16)),
        static_cast<int>(std::lround(span * 16)));
}

void TDrawCanvas::fillPixel(int x, int y)
{
    reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = BrushColor.rgb();
}

void TDrawCanvas::FloodFill(std::initializer_list<QPoint> seeds, QColor border,
    const std::vector<QRect>& keepOut, const QRect& bounds)
{
    // The fill works on the device's pixels: the seeds and the rectangles are taken there.
    const QRect area = bounds.isNull() ? m_image.rect() : deviceRect(bounds).intersected(m_image.rect());
    m_seeds.clear();
    for (const QPoint& seed : seeds) {
        const QPoint device = deviceRect(QRect(seed, QSize(1, 1))).topLeft();
        if (area.contains(device))
            m_seeds.push_back(device);
    }
    if (BrushStyle == bsClear || m_seeds.empty())
        return;
    m_keepOut.clear();
    for (const QRect& k : keepOut)
        m_keepOut.push_back(deviceRect(k.normalized()));
    const int w = m_image.width();
    // Pixels taken by this fill are marked in a buffer kept by the canvas: it only grows, and
    // each fill clears exactly the runs it marked, so a fill allocates nothing once the canvas
    // has filled a picture of this size. The area is found first and painted afterwards, so a
    // fill colour equal to what is already there cannot make the search run forever.
    const std::size_t need = static_cast<std::size_t>(w) * static_cast<std::size_t>(m_image.height());
    if (m_taken.size() < need)
        m_taken.resize(need, 0);
    m_runs.clear();

    // The columns a run through (px, py) may cover: [lo, hi). False when (px, py) is kept out;
    // hi is then the first column after the rectangle that keeps it out. A kept-out rectangle
    // holds the pixels QRect::contains says it does (an empty one keeps out nothing).
    const auto reach = [&](int px, int py, int& lo, int& hi) {
        lo = area.left();
        hi = area.right() + 1;
        for (const QRect& r : m_keepOut) {
            if (r.isEmpty() || py < r.top() || py > r.bottom())
                continue;
            if (px >= r.left() && px <= r.right()) {
                hi = r.right() + 1;
                return false;
            }
            if (r.right() < px)
                lo = std::max(lo, r.right() + 1);
            else
                hi = std::min(hi, r.left());
        }
        return true;
    };

    const QRgb stop = border.rgb() | 0xFF000000u;
    const uchar* bits = m_image.constBits();
    const qsizetype stride = m_image.bytesPerLine();
    std::uint8_t* taken = m_taken.data();
    const auto open = [&](const QRgb* line, const std::uint8_t* marks, int px) {
        return !marks[px] && (line[px] | 0xFF000000u) != stop;
    };

    while (!m_seeds.empty()) {
        const QPoint pt = m_seeds.back();
        m_seeds.pop_back();
        const int py = pt.y();
        int lo, hi;
        if (!reach(pt.x(), py, lo, hi))
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(bits + py * stride);
        std::uint8_t* marks = taken + static_cast<std::size_t>(py) * static_cast<std::size_t>(w);
        int lx = pt.x();
        if (!open(line, marks, lx))
            continue;
        while (lx > lo && open(line, marks, lx - 1))
            --lx;
        int rx = pt.x() + 1;
        while (rx < hi && open(line, marks, rx))
            ++rx;
        std::fill(marks + lx, marks + rx, std::uint8_t(1));
        m_runs.emplace_back(lx, py, rx - lx, 1);
        // One seed per open run of the rows above and below.
        for (int ny : { py - 1, py + 1 }) {
            if (ny < area.top() || ny > area.bottom())
                continue;
            const auto* nline = reinterpret_cast<const QRgb*>(bits + ny * stride);
            const std::uint8_t* nmarks = taken + static_cast<std::size_t>(ny) * static_cast<std::size_t>(w);
            int px = lx;
            while (px < rx) {
                int nlo, nhi;
                if (!reach(px, ny, nlo, nhi)) {
                    px = nhi;
                    continue;
                }
                const int end = std::min(rx, nhi);
                bool inRun = false;
                for (; px < end; ++px) {
                    const bool isOpen = open(nline, nmarks, px);
                    if (isOpen && !inRun)
                        m_seeds.emplace_back(px, ny);
                    inRun = isOpen;
                }
            }
        }
    }
    const QRgb colour = BrushColor.rgb();
    const qreal ratio = Ratio();
    for (const QRect& run : m_runs) {
        QRgb* line = reinterpret_cast<QRgb*>(m_image.scanLine(run.top()));
        std::uint8_t* marks = taken + static_cast<std::size_t>(run.top()) * static_cast<std::size_t>(w);
        std::fill(marks + run.left(), marks + run.left() + run.width(), std::uint8_t(0));
        if (BrushStyle == bsSolid) {
            std::fill(line + run.left(), line + run.left() + run.width(), colour);
            continue;
        }
        for (int px = run.left(); px <= run.right(); ++px)
            if (hatchAt(px, run.top(), ratio))
                line[px] = colour;
    }
}

void TDrawCanvas::TextOut(int x, int y, const QString& text)
{
    QPainter p(&m_image);
    p.setFont(Font);
    p.setPen(FontColor);
    p.drawText(x, y + QFontMetrics(Font).ascent(), text);
}

int TDrawCanvas::TextWidth(const QString& text) const
{
    QHash<std::pair<QFont, QString>, int>& known = measures().Widths;
    const std::pair<QFont, QString> key(Font, text);
    if (const auto width = known.constFind(key); width != known.cend())
        return *width;
    if (known.size() >= kMaxRememberedWidths)
        known.clear();
    return *known.insert(key, QFontMetrics(Font).horizontalAdvance(text));
}

int TDrawCanvas::TextHeight(const QString&) const
{
    return QFontMetrics(Font).height();
}

QColor TDrawCanvas::Pixel(int x, int y) const
{
    const QPoint device = deviceRect(QRect(x, y, 1, 1)).topLeft();
    if (!m_image.rect().contains(device))
        return QColor(Qt::white);
    return QColor(m_image.pixel(device));
}

void TDrawCanvas::SetPixel(int x, int y, QColor colour)
{
    const QRect device = deviceRect(QRect(x, y, 1, 1)).intersected(m_image.rect());
    for (int py = device.top(); py <= device.bottom(); ++py)
        for (int px = device.left(); px <= device.right(); ++px)
            m_image.setPixel(px, py, colour.rgb());
}

// ---- drawing object -------------------------------------------------------------------------

TDiagramDraw::TDiagramDraw(const TLPData& data, QSize size, qreal ratio)
    : Data(&data)
    , Bitmap(ratio == 1
              ? size
              : QSize(int(std::lround(size.width() * ratio)), int(std::lround(size.height() * ratio))),
          QImage::Format_RGB32)
    , m_canvas(Bitmap)
{
    Bitmap.setDevicePixelRatio(ratio);
    Bitmap.fill(Qt::white);
}

int TDiagramDraw::LineWidth() const
{
    return std::max(1, (std::min(Width, Height) / 600) * 2);
}

int TDiagramDraw::LineSpacing()
{
    return rnd(1.5 * m_canvas.TextHeight(QStringLiteral("X")));
}

int TDiagramDraw::PercentOfWidth(double p) const
{
    return rnd(p / 100 * Width);
}

int TDiagramDraw::EleventhsOfWidth(int n) const
{
    return PercentOfWidth(n * 100.0 / 11);
}

QColor TDiagramDraw::ContrastTextColour(QColor c)
{
    return c.red() + c.green() + c.blue() > 384 ? QColor(Qt::black) : QColor(Qt::white);
}

bool TDiagramDraw::IsHatchColour(QColor c)
{
    for (const QColor& h : kHatchColours)
        if (c.rgb() == h.rgb())
            return true;
    return false;
}

QString TDiagramDraw::FormatValue(int digits, const QString& unit, Extended value)
{
    QString text;
    if (std::isnan(value)) {
        text = QStringLiteral("N.A.");
    } else {
        // Eight significant digits first, then the decimals asked for, then no trailing zeros
        // after the decimal separator (of the locale, as everywhere a number is shown).
        char buf[64];
        const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 7);
        Extended eight = value;
        std::from_chars(buf, written.ptr, eight);
        const TNumberFormat format = LocaleNumberFormat();
        const QString separator = QString::fromStdString(format.DecimalSeparator);
        text = QString::fromStdString(FormatFixed(eight, std::clamp(digits, 0, 18), format));
        while (text.contains(separator) && (text.endsWith(QLatin1Char('0')) || text.endsWith(separator)))
            text.chop(text.endsWith(separator) ? separator.size() : 1);
    }
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text;
}

QString TDiagramDraw::FormatByTag(int tag, Extended value)
{
    return QString::fromStdString(FormatFixed(value, FieldLimitOf(tag).Decimals, LocaleNumberFormat()));
}

int TDiagramDraw::supTextWidth(const QString& text) const
{
    QString shown = text;
    shown.remove(QLatin1Char('^'));
    return m_canvas.TextWidth(shown);
}

void TDiagramDraw::TextOutSup(int x, int y, const QString& text)
{
    if (!text.contains(QLatin1Char('^'))) {
        m_canvas.TextOut(x, y, text);
        return;
    }
    const int raise = rnd(m_canvas.TextHeight(QStringLiteral("X")) / 4.0);
    QString rest = text;
    int caret;
    while ((caret = rest.indexOf(QLatin1Char('^'))) >= 0) {
        const QString before = rest.left(caret);
        m_canvas.TextOut(x, y, before);
        x += m_canvas.TextWidth(before);
        const QString raised = rest.mid(caret + 1, 1);
        m_canvas.TextOut(x, y - raise, raised);
        x += m_canvas.TextWidth(raised);
        rest = rest.mid(caret + 2);
    }
    m_canvas.TextOut(x, y, rest);
}

QColor TDiagramDraw::backgroundAt(int x, int y) const
{
    // Past a hatch line to a neighbour. Where all three are hatch colours the fill is one of them
    // itself, and its hatch lines are the grey: the first other colour is the fill's, looked for
    // also beside a crossing of diagonal lines.
    const QColor samples[5] = { m_canvas.Pixel(x, y), m_canvas.Pixel(x - 1, y - 1),
        m_canvas.Pixel(x - 1, y + 1), m_canvas.Pixel(x - 1, y), m_canvas.Pixel(x, y - 1) };
    for (int i = 0; i < 3; ++i)
        if (!IsHatchColour(samples[i]))
            return samples[i];
    for (const QColor& c : samples)
        if (c.rgb() != kHatchColours[0].rgb())
            return c;
    return samples[0];
}

void TDiagramDraw::DrawLabel(int left, int top, int right, int bottom, const QString& text,
    std::uint32_t background, bool frame, int alignment)
{
    m_canvas.SetFontHeight(bottom - top - 2);
    if (background != kNoBackground) {
        const QColor bg(
            int(background & 0xFF), int((background >> 8) & 0xFF), int((background >> 16) & 0xFF));
        const QColor saved = m_canvas.BrushColor;
        const TBrushStyle savedStyle = m_canvas.BrushStyle;
        m_canvas.BrushColor = bg;
        m_canvas.BrushStyle = bsSolid;
        m_canvas.FillRect(left, top, right, bottom);
        m_canvas.BrushColor = saved;
        m_canvas.BrushStyle = savedStyle;
    }
    if (frame) {
        right = framedRight(left, right, supTextWidth(text));
        const TBrushStyle savedStyle = m_canvas.BrushStyle;
        m_canvas.BrushStyle = bsClear;
        m_canvas.Rectangle(left, top, right + m_canvas.PenWidth, bottom);
        m_canvas.BrushStyle = savedStyle;
    }
    const QRect box = LabelBox(left, top, right, bottom, text, alignment);
    const QColor sample = backgroundAt(box.left(), top + box.height() / 2);
    m_canvas.FontColor = ContrastTextColour(sample);
    TextOutSup(box.left(), top, text);
    // A framed label covers its frame, pen included.
    const int pen = (m_canvas.PenWidth + 1) / 2;
    PlacedTexts.push_back({ frame ? QRect(QPoint(left - pen, top - pen),
                                QPoint(right + m_canvas.PenWidth - 1 + pen, bottom - 1 + pen))
                                  : box,
        text });
}

int TDiagramDraw::framedRight(int left, int right, int textWidth) const
{
    return right - left < textWidth + 10 ? left + textWidth + 10 : right;
}

QRect TDiagramDraw::LabelBox(int left, int top, int right, int bottom, const QString& text, int alignment)
{
    m_canvas.SetFontHeight(bottom - top - 2);
    const int tw = supTextWidth(text);
    const int width = right - left;
    int offset = 0;
    switch (alignment) {
    case 0:
        offset = 1;
        break;
    case 1:
        offset = width - tw - 1;
        break;
    case 2:
        offset = (width - tw) / 2 + 1;
        break;
    default:
        offset = 0;
        break;
    }
    return QRect(left + offset, top, tw, m_canvas.TextHeight(text));
}

void TDiagramDraw::DrawArrowHead(int x, int y, int size, double angle)
{
    for (double b : { std::numbers::pi + angle + std::numbers::pi / 14,
             std::numbers::pi + angle - std::numbers::pi / 14 })
        m_canvas.Line(x, y, x + rnd(std::sin(b) * size), y + rnd(std::cos(b) * size));
}

void TDiagramDraw::DrawArrow(int x0, int y0, int x1, int y1, int size, bool headAtStart, bool headAtEnd)
{
    m_canvas.Line(x0, y0, x1, y1);
    double a;
    if (y1 == y0) {
        a = std::numbers::pi / 2;
    } else {
        a = std::atan(double(x1 - x0) / double(y1 - y0));
        if (a < 0)
            a += std::numbers::pi;
    }
    if (headAtEnd)
        DrawArrowHead(x1, y1, size, a);
    if (headAtStart)
        DrawArrowHead(x0, y0, size, std::numbers::pi + a);
}

bool TDiagramDraw::DimensionFitsInside(int x0, int y0, int x1, int y1, const QString& caption, bool outside)
{
    const int available = outside ? 0 : x0 == x1 ? y1 - y0 : x1 - x0;
    return available - 2 * ArrowSize() > supTextWidth(QLatin1Char(' ') + caption + QLatin1Char(' '));
}

QRect TDiagramDraw::DimensionTextBox(
    int x0, int y0, int x1, int y1, const QString& caption, bool outside, int position, int along)
{
    const QString text = QLatin1Char(' ') + caption + QLatin1Char(' ');
    const bool vertical = x0 == x1;
    const int tw = supTextWidth(text);
    const int th = m_canvas.TextHeight(text);
    // Centred on the line; beyond the outside arrows at the start (position 1) or the end
    // (position 2); beside the line (positions 3 and 4).
    int tx, ty; // top-left of the text's screen box
    if (vertical) {
        tx = x0 - th / 2;
        ty = (y0 + y1) / 2 - tw / 2 + along;
    } else {
        tx = (x0 + x1) / 2 - tw / 2 + along;
        ty = y0 - th / 2;
    }
    const int beyond = DimensionTextOffset();
    if (position >= 3) {
        if (!DimensionFitsInside(x0, y0, x1, y1, caption, outside)) {
            if (vertical)
                tx += position == 3 ? -th : th;
            else
                ty += position == 3 ? -th : th;
        }
    } else if (!DimensionFitsInside(x0, y0, x1, y1, caption, outside)) {
        if (vertical && position == 1)
            ty = y1 + beyond;
        else if (vertical && position == 2)
            ty = y0 - beyond - tw;
        else if (position == 1)
            tx = x0 - beyond - tw;
        else if (position == 2)
            tx = x1 + beyond;
    }
    return vertical ? QRect(tx, ty, th, tw) : QRect(tx, ty, tw, th);
}

void TDiagramDraw::DrawDimension(
    int x0, int y0, int x1, int y1, const QString& caption, bool outside, int position, int along)
{
    const QString text = QLatin1Char(' ') + caption + QLatin1Char(' ');
    const bool vertical = x0 == x1;
    const int A = ArrowSize();
    const QRect box = DimensionTextBox(x0, y0, x1, y1, caption, outside, position, along);
    const int tx = box.left(), ty = box.top();
    const int tw = vertical ? box.height() : box.width();
    const int th = vertical ? box.width() : box.height();
    // The arrows stand inside when the text fits between their heads, the line broken where the
    // text stands (positions 3 and 4 keep the line whole, the text beside it); otherwise they
    // point at the ends from outside and the text stands beyond them.
    const bool inside = DimensionFitsInside(x0, y0, x1, y1, caption, outside);
    const bool opaque = inside && position < 3;
    if (opaque) {
        const int clear = m_canvas.PenWidth / 2 + 2;
        if (vertical) {
            DrawArrow(x0, y0, x1, ty - clear, A, true, false);
            DrawArrow(x0, ty + tw - 1 + clear, x1, y1, A, false, true);
        } else {
            DrawArrow(x0, y0, tx - clear, y1, A, true, false);
            DrawArrow(tx + tw - 1 + clear, y0, x1, y1, A, false, true);
        }
    } else if (inside || position >= 3) {
        DrawArrow(x0, y0, x1, y1, A, true, true);
    } else if (vertical) {
        DrawArrow(x0, y0 - 2 * A, x0, y0, A, false, true);
        DrawArrow(x1, y1, x1, y1 + 2 * A, A, true, false);
    } else {
        DrawArrow(x0 - 2 * A, y0, x0, y0, A, false, true);
        DrawArrow(x1, y1, x1 + 2 * A, y1, A, true, false);
    }

    QColor bg = backgroundAt(tx, ty);
    if (bg.rgb() == QColor(Qt::black).rgb())
        bg = Qt::white;
    if (opaque) {
        const QColor savedColour = m_canvas.BrushColor;
        const TBrushStyle savedStyle = m_canvas.BrushStyle;
        m_canvas.BrushColor = bg;
        m_canvas.BrushStyle = bsSolid;
        if (vertical)
            m_canvas.FillRect(tx, ty, tx + th, ty + tw);
        else
            m_canvas.FillRect(tx, ty, tx + tw, ty + th);
        m_canvas.BrushColor = savedColour;
        m_canvas.BrushStyle = savedStyle;
    }
    m_canvas.FontColor = ContrastTextColour(bg);
    PlacedTexts.push_back({ vertical ? QRect(tx, ty, th, tw) : QRect(tx, ty, tw, th), caption });
    if (!vertical) {
        TextOutSup(tx, ty, text);
        return;
    }
    // Turned a quarter turn counter-clockwise: the text reads upward along the line.
    const qreal ratio = m_canvas.Ratio();
    QImage turned(std::max(1, int(std::ceil(tw * ratio))), std::max(1, int(std::ceil(th * ratio))),
        QImage::Format_ARGB32_Premultiplied);
    turned.setDevicePixelRatio(ratio);
    turned.fill(Qt::transparent);
    {
        QPainter p(&turned);
        p.setFont(m_canvas.Font);
        p.setPen(m_canvas.FontColor);
        const int ascent = QFontMetrics(m_canvas.Font).ascent();
        const int raise = rnd(th / 4.0);
        int x = 0;
        QString rest = text;
        int caret;
        while ((caret = rest.indexOf(QLatin1Char('^'))) >= 0) {
            const QString before = rest.left(caret);
            p.drawText(x, ascent, before);
            x += m_canvas.TextWidth(before);
            const QString raised = rest.mid(caret + 1, 1);
            p.drawText(x, ascent - raise, raised);
            x += m_canvas.TextWidth(raised);
            rest = rest.mid(caret + 2);
        }
        p.drawText(x, ascent, rest);
    }
    QPainter p(&Bitmap);
    p.translate(tx, ty + tw);
    p.rotate(-90);
    p.drawImage(0, 0, turned);
}

void TDiagramDraw::DrawOctagon(int left, int top, int right, int bottom)
{
    const int c = rnd((right - left) / (2 + std::numbers::sqrt2));
    m_canvas.Polygon(QPolygon({ QPoint(left + c, top), QPoint(right - c, top), QPoint(right, top + c),
        QPoint(right, bottom - c), QPoint(right - c, bottom), QPoint(left + c, bottom),
        QPoint(left, bottom - c), QPoint(left, top + c) }));
}

// ---- entry points ---------------------------------------------------------------------------

TDiagramKind TDiagramDraw::ResolveKind(const TLPData& data, TDiagramKind kind)
{
    if (kind == dkConcreteSection)
        return data.IsRoundShape() ? dkRoundRCSection : dkRectRCSection;
    return kind;
}

void TDiagramDraw::beginDrawing()
{
    const QRect bounds = m_canvas.Bounds();
    Width = bounds.width();
    Height = bounds.height();
    UsedWidth = Width;
    m_pileRects.clear();
    PlacedTexts.clear();
    m_canvas.Lines.clear();
    m_canvas.PenColor = Qt::black;
    m_canvas.PenWidth = 1;
    m_canvas.PenVisible = true;
    m_canvas.BrushColor = Qt::white;
    m_canvas.BrushStyle = bsSolid;
    m_canvas.SetFontHeight(FontSize());
}

bool TDiagramDraw::Draw(TDiagramKind kind)
{
    switch (ResolveKind(*Data, kind)) {
    case dkSoilProfile:
        DrawSoilProfile();
        return true;
    case dkWSection:
        DrawWSection();
        return true;
    case dkPipeSection:
        DrawPipeSection();
        return true;
    case dkRoundRCSection:
        DrawRoundRCSection();
        return true;
    case dkRectRCSection:
        DrawRectRCSection();
        return true;
    default:
        return false;
    }
}

QImage TDiagramDraw::usedPicture()
{
    const QRect bounds = m_canvas.Bounds();
    if (UsedWidth >= bounds.width())
        return std::move(Bitmap);
    const qreal ratio = Bitmap.devicePixelRatio();
    QImage used = Bitmap.copy(0, 0, int(std::lround(UsedWidth * ratio)), Bitmap.height());
    used.setDevicePixelRatio(ratio);
    return used;
}

void TDiagramDraw::DrawToBitmap(QImage& bitmap, const TLPData& data, TDiagramKind kind)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0)
        return;
    // A bitmap for a finer device is drawn at its own pixels, laid out at its logical size.
    const qreal ratio = bitmap.devicePixelRatio();
    TDiagramDraw draw(data, bitmap.deviceIndependentSize().toSize(), ratio);
    if (!draw.Draw(kind))
        return;
    bitmap = draw.usedPicture();
}

void TDiagramDraw::DrawToImage(QLabel* image, const TLPData& data, TDiagramKind kind, const QRect& covered)
{
    if (!image || image->width() <= 0 || image->height() <= 0)
        return;
    // The bitmap is made at the control's size in the screen's pixels, filled once and handed on
    // without a copy.
    TDiagramDraw draw(data, image->size(), image->devicePixelRatioF());
    draw.Covered = covered;
    if (!draw.Draw(kind))
        return;
    image->setPixmap(QPixmap::fromImage(draw.usedPicture()));
}

// ---- pile in the soil profile ---------------------------------------------------------------

namespace {

const char* interfaceName(TPileInterface i)
{
    switch (i) {
    case piRoughConcrete:
        return "Rough Concrete";
    case piSmoothConcrete:
        return "Smooth Concrete";
    case piRoughSteel:
        return "Rough Steel";
    case piSmoothSteel:
        return "Smooth Steel";
    case piTimber:
        return "Timber";
    }
    return "";
}

const char* shapeName(TPileShape s)
{
    switch (s) {
    case psSquare:
        return "Square";
    case psCircle:
        return "Circle";
    case psRectangle:
        return "Rectangle";
    case psOctagon:
        return "Octagon";
    }
    return "";
}

QColor colourOf(std::int32_t bgr)
{
    const auto v = static_cast<std::uint32_t>(bgr);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QString enumText(TLayerEnum type, int ordinal)
{
    return QString::fromStdString(EnumToDisplayText(type, ordinal));
}

// Rows of text no wider than room(row): pieces are joined with a space while they fit, and a
// piece that does not fit starts the next row.
template <typename TextWidth, typename Room>
void flowRows(std::vector<QString>& rows, const QStringList& pieces, TextWidth width, Room room)
{
    QString line;
    for (const QString& piece : pieces) {
        const QString longer = line.isEmpty() ? piece : line + QLatin1Char(' ') + piece;
        if (!line.isEmpty() && width(longer) > room(int(rows.size()))) {
            rows.push_back(line);
            line = piece;
        } else {
            line = longer;
        }
    }
    rows.push_back(line);
}

// Pieces of a text that may stand in rows of their own: after each ", " and " - ".
QStringList rowPieces(const QString& text)
{
    QStringList out;
    int from = 0;
    for (int k = 0; k < text.size(); ++k)
        if (k > 0 && k + 1 < text.size() && text[k + 1] == QLatin1Char(' ')
            && (text[k] == QLatin1Char(',')
                || (text[k] == QLatin1Char('-') && text[k - 1] == QLatin1Char(' ')))) {
            out << text.mid(from, k + 1 - from);
            from = k + 2;
        }
    out << text.mid(from);
    return out;
}

} // namespace

// What every step of the soil profile shares: the unit texts, the sizes derived from the bitmap,
// the box the layers fill, the head loads' texts and where the pile's description stands.
struct TDiagramDraw::TSoilProfile {
    const TLPData& d;
    QString uLength, uForce, uMoment, uModulus, uInertia, uArea, uSubgrade, uStress, uWeight;
    int FS = 0; // font size
    int M = 0; // margin
    int LW = 0; // line width
    int w = 0; // width of four characters: the columns left and right of the box
    int cx = 0; // the pile's axis
    int T = 0; // top of the box: the ground surface
    int B = 0; // the pile's tip
    int boxRight = 0;
    QRect soil; // the box, inside which the layer fills stay
    double scale = 0;
    int half = 0; // half the width of the pile's head
    QString lateralText, downwardText, momentText;
    bool downward = false;
    bool freeHead = false;
    int momentLeft = 0;
    QString pileText, stiffnessText;
    QPoint description; // the first line's box; the second follows a row lower
    bool describe = false;

    explicit TSoilProfile(const TLPData& data)
        : d(data)
    {
    }
    int yAt(Extended depth) const { return T + clampPixel(static_cast<double>(depth) * scale); }
    // Upper layers thicker than the pile leave the lower ones below the tip: those are not drawn,
    // and nothing of a layer reaches past the box.
    bool belowTip(int i) const { return i > 0 && yAt(d.Layers[i]->Top()) >= B; }
};

// One layer's band in the box and the pile segment standing in it.
struct TDiagramDraw::TProfileBand {
    int i = 0;
    const TLayer* layer = nullptr;
    bool last = false; // the last layer drawn
    int yTop = 0;
    int yBottom = 0;
    bool cutAtTip = false; // the layer reaches below the tip
    int drawn = 0; // the layer's thickness in pixels
    int h = 0; // half the pile's width, rounded
    int hh = 0; // half the pile's width, truncated: where its size's arrows point
    bool differs = false; // the pile changes at the layer's top
    bool nextDiffers = false; // and at its bottom
};

void TDiagramDraw::DrawSoilProfile()
{
    beginDrawing();
    const TLPData& d = *Data;
    // A pile without length (or with no sensible one) has nothing to stand in.
    if (!(d.PileLength > 0) || !std::isfinite(static_cast<double>(d.PileLength))) {
        m_canvas.BrushColor = Qt::white;
        m_canvas.FillRect(0, 0, Width, Height);
        return;
    }
    TSoilProfile p = soilProfile();
    drawProfileBox(p);
    placePileDescription(p);
    // Every band and pile segment is in place before any text: a text that runs past its band's
    // line can then neither let a fill through nor be painted over by the next band.
    std::vector<TProfileBand> bands;
    for (int i = 0; i < d.Layers.Count() && !p.belowTip(i); ++i) {
        bands.push_back(profileBand(p, i));
        drawLayerBand(p, bands.back());
        drawPileSegment(p, bands.back());
    }
    if (!bands.empty() && p.describe)
        drawPileDescription(p);
    std::vector<TDepthMark> depths { { p.T, 0, Width - 2 * p.w + p.M } };
    bool previousThin = false;
    bool sizeDue = false;
    std::vector<int> across; // the band lines and the size's arrows
    for (const TProfileBand& band : bands) {
        drawLayerMarks(p, band, previousThin, depths);
        if (!band.last)
            across.push_back(band.yBottom);
        sizeDue = band.differs || sizeDue;
        const int sizeAt = drawLayerTexts(p, band, sizeDue);
        if (sizeAt >= 0)
            across.push_back(sizeAt);
        sizeDue = sizeDue && sizeAt < 0;
    }
    drawDepthLabels(p, std::move(depths));
    drawPileLength(p, bands, std::move(across));
    drawHeadLoads(p);
    m_canvas.BrushColor = Qt::white;
    m_canvas.BrushStyle = bsSolid;
}

TDiagramDraw::TSoilProfile TDiagramDraw::soilProfile()
{
    const TLPData& d = *Data;
    TDrawCanvas& c = m_canvas;
    TSoilProfile p(d);
    const bool si = d.Units == kUnitsSI;
    p.uLength = si ? QStringLiteral("m") : QStringLiteral("ft");
    p.uForce = si ? QStringLiteral("KN") : QStringLiteral("kips");
    p.uMoment = si ? QStringLiteral("KN.m") : QStringLiteral("kip-ft");
    p.uModulus = si ? QStringLiteral("MPa") : QStringLiteral("ksi");
    p.uInertia = si ? QStringLiteral("m^4") : QStringLiteral("in^4");
    p.uArea = si ? QStringLiteral("m^2") : QStringLiteral("in^2");
    p.uSubgrade = si ? QStringLiteral("kN/m^3") : QStringLiteral("kcf");
    p.uStress = si ? QStringLiteral("KPa") : QStringLiteral("ksf");
    p.uWeight = si ? QStringLiteral("KN/m^3") : QStringLiteral("pcf");

    p.FS = FontSize();
    p.M = Margin();
    p.LW = LineWidth();
    c.SetFontHeight(p.FS);
    p.w = c.TextWidth(QStringLiteral("XXXX"));
    p.cx = Width / 2;
    p.T = 3 * p.FS + 10;
    const int bottomLimit = Height - p.FS;
    Scale = double(bottomLimit - p.T) / static_cast<double>(d.PileLength);
    p.scale = Scale;
    p.B = p.T + clampPixel(static_cast<double>(d.PileLength) * Scale);
    p.boxRight = Width - 2 * p.w;
    p.soil = QRect(QPoint(2 * p.w, p.T), QPoint(p.boxRight, p.B));

    const Extended firstWidth = d.Layers.Count() > 0 ? d.Layers[0]->PileWidth() : d.Width;
    p.half = clampPixel(static_cast<double>(firstWidth) * Scale / 2);
    p.lateralText = QStringLiteral("Lateral, ") + FormatValue(1, p.uForce, d.LateralLoad);
    p.downwardText = QStringLiteral("Downward Load, ") + FormatValue(1, p.uForce, d.DownwardLoad);
    p.momentText = QStringLiteral("Moment, ") + FormatValue(1, p.uMoment, d.MomentLoad);
    p.downward = d.DownwardLoad > 0;
    p.freeHead = d.HeadCondition == kFreeHead;
    p.momentLeft = p.cx + p.half + 2 * p.FS + 3 * p.M;
    p.description = QPoint(2 * p.w + p.M, p.T - p.LW - 2 * p.FS);
    return p;
}

void TDiagramDraw::drawProfileBox(const TSoilProfile& p)
{
    TDrawCanvas& c = m_canvas;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(0, 0, Width, Height);
    c.PenColor = Qt::black;
    c.PenWidth = p.M;
    c.Rectangle(2 * p.w, p.T, p.boxRight + p.M / 2, p.B + p.M / 2);
    c.PenWidth = p.LW;
}

void TDiagramDraw::placePileDescription(TSoilProfile& p)
{
    // Above the box the loads' labels stand by their arrows. The pile's description takes the
    // top left over the box; where it would run into a load's label it moves to the left margin,
    // and where it still would, to the top right beside the head moment.
    const TLPData& d = p.d;
    if (d.Layers.Count() == 0)
        return;
    const int FS = p.FS, M = p.M, T = p.T, cx = p.cx, half = p.half, w = p.w;
    std::vector<QRect> loadBoxes { LabelBox(
        cx - half - 3 * w, T - FS - M, cx - half, T - M, p.lateralText, 2) };
    if (p.downward)
        loadBoxes.push_back(
            LabelBox(cx - 3 * w, T - rnd(2.9 * FS) - M, cx - M, T - rnd(1.9 * FS) - M, p.downwardText, 1));
    if (p.freeHead)
        loadBoxes.push_back(LabelBox(p.momentLeft, T - FS, Width - 2 * w, T, p.momentText, 0));
    const TLayer& first = *d.Layers[0];
    p.pileText = QStringLiteral("Pile: ") + QString::fromLatin1(interfaceName(first.PileInterface()));
    if (d.StructuralDesign && (d.UsesIShape() || d.UsesPipeSection()))
        p.pileText += QStringLiteral(", ") + QString::fromStdString(d.ChosenSectionName());
    p.pileText += QStringLiteral(", ") + QString::fromLatin1(shapeName(d.Shape));
    p.stiffnessText = QStringLiteral("E = ") + FormatByTag(31, first.PileE()) + QLatin1Char(' ') + p.uModulus
        + QStringLiteral(", I = ") + FormatByTag(33, first.PileI()) + QLatin1Char(' ') + p.uInertia;
    const auto clear = [&](QPoint at) {
        for (int line = 0; line < 2; ++line) {
            const QRect box = LabelBox(at.x(), at.y() + line * FS, Width, at.y() + (line + 1) * FS,
                line == 0 ? p.pileText : p.stiffnessText, 0);
            if (box.right() >= Width - M || (Covered.isValid() && box.intersects(Covered)))
                return false;
            for (const QRect& load : loadBoxes)
                if (box.adjusted(-M, 0, M, 0).intersects(load))
                    return false;
        }
        return true;
    };
    const int rightOfHead = p.freeHead ? p.momentLeft : cx + half + 3 * M;
    // With no room anywhere (a short, wide pile in a small picture) it is left out.
    p.describe = clear(p.description);
    for (QPoint at : { QPoint(M, T - p.LW - 2 * FS), QPoint(rightOfHead, T - rnd(2.9 * FS) - M) })
        if (!p.describe && clear(at)) {
            p.description = at;
            p.describe = true;
        }
}

TDiagramDraw::TProfileBand TDiagramDraw::profileBand(const TSoilProfile& p, int i) const
{
    const TLPData& d = p.d;
    const int count = d.Layers.Count();
    TProfileBand band;
    band.i = i;
    band.layer = d.Layers[i];
    const TLayer& layer = *band.layer;
    band.last = i == count - 1 || p.belowTip(i + 1);
    band.yTop = p.yAt(layer.Top());
    // The last layer drawn is cut at the tip when layers lie below it, or when it reaches beyond
    // the tip by more than a pixel (a last layer that ends at the tip may miss it by a rounding
    // error).
    band.cutAtTip = (i + 1 < count && p.belowTip(i + 1)) || p.yAt(layer.Bottom()) > p.B + 1;
    band.yBottom = band.cutAtTip ? p.B : std::min(p.yAt(layer.Bottom()), p.B);
    band.drawn = band.cutAtTip ? band.yBottom - band.yTop
                               : clampPixel(static_cast<double>(layer.Thickness) * p.scale);
    band.h = rnd(static_cast<double>(layer.PileWidth()) * p.scale / 2);
    band.hh = clampPixel(static_cast<double>(layer.PileWidth()) * p.scale / 2);
    band.differs = i == 0 || !layer.SamePileAsPrevious();
    band.nextDiffers = band.last || !d.Layers[i + 1]->SamePileAsPrevious();
    return band;
}

void TDiagramDraw::drawLayerBand(const TSoilProfile& p, const TProfileBand& band)
{
    // The boundary, then the fill from seeds left and right of the pile, which a thin band's
    // pile above may part. The fill stays within the band's rows and their lines.
    TDrawCanvas& c = m_canvas;
    const TLayer& layer = *band.layer;
    c.PenColor = Qt::black;
    c.PenWidth = p.LW;
    c.Line(2 * p.w, band.yBottom, p.boxRight, band.yBottom);
    // The layer's middle, unless that lies on a line or beyond the tip.
    int seedY = p.yAt(layer.Top() + layer.Thickness / 2);
    if (seedY <= band.yTop + p.LW || seedY >= band.yBottom - p.LW)
        seedY = (band.yTop + band.yBottom) / 2;
    const QRect rows
        = QRect(QPoint(p.soil.left(), band.yTop - p.LW), QPoint(p.soil.right(), band.yBottom + p.LW))
              .intersected(p.soil);
    const auto fill = [&] {
        c.FloodFill({ QPoint(2 * p.w + p.M + 1, seedY), QPoint(p.boxRight - p.M - 1, seedY) }, Qt::black,
            m_pileRects, rows);
    };
    if (band.yBottom > band.yTop) {
        c.BrushColor = colourOf(layer.Colour);
        c.BrushStyle = bsSolid;
        fill();
        if (layer.Hatch != bsSolid) {
            c.BrushColor = kHatchColours[0];
            c.BrushStyle = layer.Hatch <= bsDiagCross ? static_cast<TBrushStyle>(layer.Hatch) : bsClear;
            fill();
        }
    }
    c.BrushStyle = bsSolid;
    c.BrushColor = Qt::white;
}

void TDiagramDraw::drawLayerMarks(
    const TSoilProfile& p, const TProfileBand& band, bool& previousThin, std::vector<TDepthMark>& depths)
{
    // The layer's number beside its middle and its bottom depth beside its bottom line; thin
    // layers alternate them between two columns.
    const int FS = p.FS, w = p.w;
    const bool thin = band.drawn < FS && !previousThin;
    previousThin = thin;
    m_canvas.SetFontHeight(FS);
    const TLayer& layer = *band.layer;
    // A layer reaching below the tip is labelled in the middle of what is drawn of it, and its
    // drawn bottom is the tip.
    const int yMid
        = band.cutAtTip ? (band.yTop + band.yBottom) / 2 : p.yAt(layer.Top() + layer.Thickness / 2);
    const int numberX = thin ? 0 : w;
    // A number that would meet another text takes the other column, or where that is taken too
    // is left out: a layer that thin still shows its depth.
    const QString number = QStringLiteral("L%1").arg(band.i + 1);
    const int top = yMid - FS / 2;
    for (int x : { numberX, w - numberX }) {
        const QRect box = LabelBox(x, top, x + w, top + FS, number, 2);
        if (std::none_of(PlacedTexts.begin(), PlacedTexts.end(),
                [&](const TPlacedText& t) { return t.Box.intersects(box); })) {
            DrawLabel(x, top, x + w, top + FS, number, kNoBackground, false, 2);
            break;
        }
    }
    depths.push_back(
        { band.yBottom, band.cutAtTip ? p.d.PileLength : std::min(layer.Bottom(), p.d.PileLength),
            thin ? Width - w + p.M : Width - 2 * w + p.M });
}

QRect TDiagramDraw::depthLabelBox(const TSoilProfile& p, const TDepthMark& mark)
{
    // Centred in its column; a depth wider than the column reaches toward the box, but stays clear
    // of its outline (where its colour would be taken from the outline) and off the picture's
    // outermost pixels.
    const QString text = FormatByTag(1, mark.depth);
    const int top = mark.y - p.FS / 2, bottom = top + p.FS;
    const QRect centred = LabelBox(mark.left, top, mark.left + p.w, bottom, text, 2);
    const int x = std::max(std::min(centred.left(), Width - 2 - centred.width()), Width - 2 * p.w + p.M + 1);
    return QRect(x, centred.top(), centred.width(), centred.height());
}

void TDiagramDraw::drawDepthLabels(const TSoilProfile& p, std::vector<TDepthMark> marks)
{
    // The tip's depth and the ground's come first; a depth that would meet one already written is
    // left out (where layers are thinner than a line of text their depths crowd).
    if (marks.size() > 2)
        std::rotate(marks.begin() + 1, marks.end() - 1, marks.end());
    std::vector<QRect> placed;
    for (const TDepthMark& mark : marks) {
        const QRect box = depthLabelBox(p, mark);
        if (std::any_of(placed.begin(), placed.end(), [&](const QRect& r) { return r.intersects(box); }))
            continue;
        placed.push_back(box);
        const int top = mark.y - p.FS / 2;
        DrawLabel(box.left() - 1, top, box.left() - 1 + p.w, top + p.FS, FormatByTag(1, mark.depth),
            kNoBackground, false, 0);
    }
}

void TDiagramDraw::drawPileSegment(const TSoilProfile& p, const TProfileBand& band)
{
    TDrawCanvas& c = m_canvas;
    const TLPData& d = p.d;
    const int cx = p.cx, h = band.h, yTop = band.yTop, yBottom = band.yBottom;
    const int segmentEnd = band.last ? p.B : std::min(yBottom + p.M, p.B);
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(cx - h, yTop + p.M, cx + h, segmentEnd);
    c.PenVisible = false;
    c.BrushColor = Qt::black;
    c.BrushStyle = d.IsConcrete() ? bsDiagCross
        : d.IsSteel()             ? bsVertical
        : d.IsTimber()            ? bsFDiagonal
                                  : bsClear;
    c.FillRect(cx - h, yTop, cx + h, segmentEnd);
    c.PenVisible = true;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    m_pileRects.push_back(QRect(QPoint(cx - h, yTop), QPoint(cx + h - 1, segmentEnd)));

    // The outline; joint lines only where the pile changes.
    c.PenColor = Qt::black;
    c.PenWidth = p.M;
    c.Line(cx - h, yTop, cx - h, yBottom);
    if (band.nextDiffers)
        c.Line(cx - h, yBottom, cx + h, yBottom);
    c.Line(cx + h, yBottom, cx + h, yTop);
    if (band.differs)
        c.Line(cx + h, yTop, cx - h, yTop);
}

void TDiagramDraw::drawPileDescription(const TSoilProfile& p)
{
    const int x = p.description.x(), y = p.description.y(), right = Width - 2 * p.w;
    DrawLabel(x, y, right, y + p.FS, p.pileText, kNoBackground, false, 0);
    DrawLabel(x, y + p.FS, right, y + 2 * p.FS, p.stiffnessText, kNoBackground, false, 0);
}

int TDiagramDraw::drawLayerTexts(const TSoilProfile& p, const TProfileBand& band, bool sizeDue)
{
    // The layer's texts, in rows FS high from just below its top: the soil's values left of the
    // pile, its names right of it, and the pile's size (where it changes) beside the names just
    // right of the pile. A row too long for its side goes on in the next row, broken after a
    // comma or the range's dash, so that nothing runs under the pile, the arrows of its size or
    // another text. Rows that would run into the next band are left out: there they would stand
    // on its texts and be read as its own. A size with no row in the band waits for the next
    // band of the same pile.
    TDrawCanvas& c = m_canvas;
    const TLayer& layer = *band.layer;
    const int FS = p.FS, M = p.M, cx = p.cx, h = band.h;
    const int rowText = FS - 2; // a label's font in its box FS high
    c.SetFontHeight(rowText);
    const int rowHeight = c.TextHeight(QStringLiteral("X"));
    const int y1 = band.yTop + p.LW;
    const auto fits
        = [&](std::size_t row) { return 2 * (band.yBottom - (y1 + int(row) * FS + rowHeight - 1)) > p.LW; };
    const int rightEnd = Width - 2 * p.w - M;
    const QString sizeText = QStringLiteral("D = ") + FormatByTag(1, layer.PileWidth()) + QLatin1Char(' ')
        + p.uLength + QStringLiteral(", ") + QStringLiteral("A = ") + FormatByTag(30, layer.PileArea())
        + QLatin1Char(' ') + p.uArea;
    const bool hasTexts = 2 * FS <= band.drawn;
    const auto width = [this](const QString& text) { return supTextWidth(text); };
    // The right side: each name right-aligned in its rows.
    std::vector<QString> rightRows;
    if (hasTexts) {
        QString uscs = enumText(TLayerEnum::USCS, layer.USCS);
        if (layer.Consistency != lpconNone)
            uscs += QStringLiteral(", ") + enumText(TLayerEnum::Consistency, layer.Consistency);
        const int rightRoom = rightEnd - (cx + h + 2 * M);
        const auto room = [&](int) { return rightRoom; };
        flowRows(rightRows, rowPieces(enumText(TLayerEnum::MaterialType, layer.MatType)), width, room);
        flowRows(rightRows, rowPieces(uscs), width, room);
    }
    int sizeRow = sizeDue ? pileSizeRow(p, band, rightRows, sizeText, rowHeight) : -1;
    if (sizeRow >= 0 && !fits(std::size_t(sizeRow)))
        sizeRow = -1;
    if (hasTexts) {
        std::vector<QString> leftRows;
        const int leftStart = 2 * p.w + M;
        // The lateral load's arrow runs along the first layer's top row toward the pile.
        const int arrowTail = cx - p.half - 2 * p.w - M;
        const auto leftRoom = [&](int row) {
            const int right = band.i == 0 && row == 0 ? std::min(arrowTail, cx - h - M)
                                                      : cx - h - M - (row == sizeRow ? 2 * ArrowSize() : 0);
            return right - (leftStart + 1);
        };
        const QStringList kh = rowPieces(QStringLiteral("Kh = ") + FormatByTag(10, layer.SGReactTop)
            + QStringLiteral(" - ") + FormatByTag(10, layer.SGReactBottom) + QLatin1Char(' ') + p.uSubgrade);
        if (width(kh.first()) > leftRoom(0))
            leftRows.emplace_back();
        flowRows(leftRows, kh, width, leftRoom);
        flowRows(leftRows,
            rowPieces(QStringLiteral("Phi = ") + FormatByTag(10, layer.EstimatedFrictionAngle())
                + QStringLiteral(" deg, ") + QStringLiteral("C = ") + FormatByTag(25, layer.Cohesion)
                + QLatin1Char(' ') + p.uStress + QStringLiteral(", ") + QStringLiteral("Gamma = ")
                + FormatByTag(28, layer.Gamma) + QLatin1Char(' ') + p.uWeight),
            width, leftRoom);
        for (std::size_t row = 0; row < rightRows.size() && fits(row); ++row) {
            const int y = y1 + int(row) * FS;
            DrawLabel(leftStart, y, rightEnd, y + FS, rightRows[row], kNoBackground, false, 1);
        }
        for (std::size_t row = 0; row < leftRows.size() && fits(row); ++row) {
            const int y = y1 + int(row) * FS;
            if (!leftRows[row].isEmpty())
                DrawLabel(leftStart, y, rightEnd, y + FS, leftRows[row], kNoBackground, false, 0);
        }
    }
    if (sizeRow < 0)
        return -1;
    c.SetFontHeight(rowText);
    c.PenColor = Qt::black;
    c.PenWidth = p.LW;
    const int y = y1 + sizeRow * FS + rowHeight / 2;
    // However thin the pile, its size's arrows point across it.
    const int hh = std::max(band.hh, 1);
    DrawDimension(cx - hh, y, cx + hh, y, sizeText, true, 2);
    return y;
}

int TDiagramDraw::pileSizeRow(const TSoilProfile& p, const TProfileBand& band,
    const std::vector<QString>& nameRows, const QString& sizeText, int rowHeight) const
{
    // The first row where the size fits beside the names (the first layer's top row holds the
    // lateral load's arrow); when none has room, the first row below the names; none where the
    // size would run past the box.
    const int rowsInLayer = std::max(2, (band.yBottom - (band.yTop + p.LW) - rowHeight) / p.FS + 1);
    const int rightEnd = Width - 2 * p.w - p.M;
    const int sizeLeft = p.cx + std::max(band.hh, 1) + DimensionTextOffset();
    const int sizeWidth = supTextWidth(QLatin1Char(' ') + sizeText + QLatin1Char(' '));
    if (sizeLeft + sizeWidth > rightEnd)
        return -1;
    for (int row = band.i == 0 ? 1 : 0; row < rowsInLayer; ++row) {
        const int namesLeft
            = row < int(nameRows.size()) ? rightEnd - 1 - supTextWidth(nameRows[std::size_t(row)]) : rightEnd;
        if (sizeLeft + sizeWidth + p.M <= namesLeft)
            return row;
    }
    return std::max(1, int(nameRows.size()));
}

void TDiagramDraw::drawPileLength(
    const TSoilProfile& p, const std::vector<TProfileBand>& bands, std::vector<int> across)
{
    // The length's text stands on the pile on its own background. Where it is wider than the
    // pile, it moves along the pile, nearest the middle, to where no band's line or size arrow
    // crosses it, or where there is no such place it is left out.
    TDrawCanvas& c = m_canvas;
    c.SetFontHeight(p.FS);
    c.PenColor = Qt::black;
    c.PenWidth = p.LW;
    const QString text = FormatValue(2, p.uLength, p.d.PileLength);
    const QRect centred = DimensionTextBox(p.cx, p.T, p.cx, p.B, text, false, 2);
    int narrowest = p.half;
    for (const TProfileBand& band : bands)
        narrowest = std::min(narrowest, band.h);
    const bool onPile
        = centred.left() >= p.cx - narrowest + p.LW && centred.right() <= p.cx + narrowest - 1 - p.LW;
    if (onPile || !DimensionFitsInside(p.cx, p.T, p.cx, p.B, text, false)) {
        DrawDimension(p.cx, p.T, p.cx, p.B, text, false, 2);
        return;
    }
    // Clear of the lines' pens and the size arrows' heads, and of the head loads' arrows.
    const int reach = p.LW + rnd(ArrowSize() * std::sin(std::numbers::pi / 14)) + 1;
    across.push_back(p.T + 2 * p.M + ArrowSize());
    const int lowest = p.T + ArrowSize(), highest = p.B - ArrowSize() - centred.height();
    const auto clear = [&](int top) {
        return top >= lowest && top <= highest && std::none_of(across.begin(), across.end(), [&](int y) {
            return y >= top - reach && y <= top + centred.height() - 1 + reach;
        });
    };
    for (int shift = 0; centred.top() - shift >= lowest || centred.top() + shift <= highest; ++shift)
        for (int along : { shift, -shift })
            if (clear(centred.top() + along)) {
                DrawDimension(p.cx, p.T, p.cx, p.B, text, false, 2, along);
                return;
            }
    DrawArrow(p.cx, p.T, p.cx, p.B, ArrowSize(), true, true);
}

void TDiagramDraw::drawHeadLoads(const TSoilProfile& p)
{
    // The lateral load always; the downward load where there is one; the moment at a free head.
    TDrawCanvas& c = m_canvas;
    const int FS = p.FS, M = p.M, T = p.T, cx = p.cx, w = p.w;
    c.PenWidth = M;
    c.PenColor = QColor(0, 0, 255);
    const int left = cx - p.half;
    DrawArrow(left - 2 * w, T + 2 * M, left, T + 2 * M, ArrowSize(), false, true);
    DrawLabel(left - 3 * w, T - FS - M, left, T - M, p.lateralText, kNoBackground, false, 2);
    if (p.downward) {
        c.PenWidth = M;
        c.PenColor = QColor(0, 128, 0);
        DrawArrow(cx, T - 2 * FS, cx, T, ArrowSize(), false, true);
        DrawLabel(cx - 3 * w, T - rnd(2.9 * FS) - M, cx - M, T - rnd(1.9 * FS) - M, p.downwardText,
            kNoBackground, false, 1);
    }
    if (p.freeHead) {
        c.PenWidth = M;
        c.PenColor = QColor(255, 0, 0);
        const int right = cx + p.half;
        c.Arc(right - 2 * FS, 10 - M, right + 2 * FS, T + 2 * FS - M, right + 2 * FS, T - M, right, 10 - M);
        DrawArrowHead(right + 2 * FS - M, T - M, ArrowSize(), 0);
        DrawLabel(p.momentLeft, T - FS, Width - 2 * w, T, p.momentText, kNoBackground, false, 0);
    }
}
