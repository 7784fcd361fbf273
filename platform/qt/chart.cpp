#include "platform/qt/chart.h"

#include "platform/core/scopeexit.h"
#include "platform/qt/numberformat.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {

constexpr int kTickLength = 4;
constexpr int kGap = 2;
constexpr int kOuterMargin = 6;
constexpr int kMaxLabels = 1000;
// Position returned for an undefined value: far outside any picture, so nothing is drawn there
// and no mouse position ever matches it.
constexpr int kNoPosition = std::numeric_limits<int>::min() / 4;

bool defined(double v)
{
    return std::isfinite(v);
}

QFont defaultFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return font;
}

// Extent of a text written at an angle (0, 90, 180 or 270 degrees): width and height on screen.
QSize turnedSize(const QFontMetrics& fm, const QString& text, int angle)
{
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    const int a = ((angle % 360) + 360) % 360;
    if (a == 90 || a == 270)
        return QSize(h, w);
    return QSize(w, h);
}

// How far a value mark's text stands from the mark's line, clear of its stroke.
int markClearance(const TChartAxis& axis)
{
    return std::max(kGap, axis.AxisPen.Width / 2 + 2);
}

// Writes text centred in box, turned by angle degrees counter-clockwise.
void drawTurnedCentred(QPainter& p, const QRect& box, int angle, const QString& text)
{
    const QFontMetrics fm(p.font());
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    p.save();
    p.translate(QPointF(box.left() + box.width() / 2.0, box.top() + box.height() / 2.0));
    p.rotate(-angle);
    p.drawText(QRectF(-w / 2.0, -h / 2.0, w, h), Qt::AlignCenter, text);
    p.restore();
}

// Smallest step of the form {1, 2, 5} x 10^k that is at least raw.
double niceStepAtLeast(double raw)
{
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double e = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : { 1.0, 2.0, 5.0, 10.0 })
        if (m * e >= raw * (1 - 1e-12))
            return m * e;
    return 10 * e;
}

struct AxisLabel {
    double value;
    QString text;
};

std::vector<AxisLabel> labelValues(double min, double max, double step)
{
    std::vector<AxisLabel> labels;
    if (!(step > 0) || !std::isfinite(min) || !std::isfinite(max))
        return labels;
    const double first = std::ceil(min / step - 1e-9);
    for (int i = 0; i < kMaxLabels; ++i) {
        const double v = (first + i) * step;
        if (v > max + std::fabs(step) * 1e-9)
            break;
        const double snapped = std::fabs(v) < std::fabs(step) * 1e-9 ? 0.0 : v;
        labels.push_back({ snapped, TChart::FormatLabel(snapped) });
    }
    return labels;
}

} // namespace

// ---- axis -----------------------------------------------------------------------------------

TChartAxis::TChartAxis(TChart& chart, TAxisPlacement placement)
    : LabelsFont(defaultFont())
    , m_chart(chart)
    , m_placement(placement)
{
    Title.Font = defaultFont();
    Title.Angle = placement == TAxisPlacement::Left ? 90 : placement == TAxisPlacement::Right ? 270 : 0;
}

int TChartAxis::CalcPosValue(double value) const
{
    if (!defined(value))
        return kNoPosition;
    const double range = m_max - m_min;
    const double f = range != 0 ? (value - m_min) / range : 0.5;
    const double length = m_endPos - m_startPos;
    double pos;
    if (Horizontal())
        pos = Inverted ? m_endPos - f * length : m_startPos + f * length;
    else
        pos = Inverted ? m_startPos + f * length : m_endPos - f * length;
    if (pos > 1e8)
        pos = 1e8;
    if (pos < -1e8)
        pos = -1e8;
    return static_cast<int>(std::lround(pos));
}

namespace {

// Where a text written from (x, y) turned by angle degrees lands.
QRect turnedBox(const QFont& font, int x, int y, int angle, const QString& text)
{
    const QFontMetrics fm(font);
    return QTransform().translate(x, y).rotate(-angle).mapRect(
        QRect(0, 0, fm.horizontalAdvance(text), fm.height()));
}

} // namespace

void TChartAxis::DrawAxisLabel(int x, int y, int angle, const QString& text)
{
    QPainter* p = m_chart.Canvas();
    if (!p)
        return;
    p->save();
    p->setFont(LabelsFont);
    p->setPen(Qt::black);
    const QFontMetrics fm(LabelsFont);
    p->translate(x, y);
    p->rotate(-angle);
    p->drawText(0, fm.ascent(), text);
    p->restore();
    m_chart.PlacedTexts.push_back({ turnedBox(LabelsFont, x, y, angle, text), text });
}

QPoint TChartAxis::valueMarkAnchor(double value, int length, const QString& text) const
{
    const int v = CalcPosValue(value);
    const int end = m_posLabels + length;
    const QPoint at = Horizontal() ? QPoint(v, end) : QPoint(end, v);
    // The text moves along the axis off the line, to the side it mostly stands on already.
    const QRect box = turnedBox(LabelsFont, at.x(), at.y(), LabelsAngle, text);
    const int clear = markClearance(*this);
    const int lo = Horizontal() ? box.left() : box.top();
    const int hi = Horizontal() ? box.right() : box.bottom();
    const int shift = lo + hi >= 2 * v ? std::max(0, v + clear - lo) : std::min(0, v - clear - hi);
    return at + (Horizontal() ? QPoint(shift, 0) : QPoint(0, shift));
}

void TChartAxis::DrawValueMark(double value, int length, const QString& text)
{
    QPainter* p = m_chart.Canvas();
    if (!p)
        return;
    p->setPen(QPen(AxisPen.Color, AxisPen.Width, AxisPen.Style));
    const int v = CalcPosValue(value);
    const int end = m_posLabels + length;
    if (Horizontal())
        m_chart.drawLine(v, m_posAxis, v, end);
    else
        m_chart.drawLine(m_posAxis, v, end, v);
    const QPoint at = valueMarkAnchor(value, length, text);
    DrawAxisLabel(at.x(), at.y(), LabelsAngle, text);
}

std::pair<int, int> TChartAxis::ValueMarkSpan(double value, int length, const QString& text) const
{
    const int v = CalcPosValue(value);
    const QPoint at = valueMarkAnchor(value, length, text);
    const QRect box = turnedBox(LabelsFont, at.x(), at.y(), LabelsAngle, text);
    const int half = AxisPen.Width / 2 + 1;
    return Horizontal() ? std::pair { std::min(v - half, box.left()), std::max(v + half, box.right()) }
                        : std::pair { std::min(v - half, box.top()), std::max(v + half, box.bottom()) };
}

bool TChartAxis::HasSeries() const
{
    for (const auto& s : m_chart.Series())
        if (s->Active && (s->HorizAxis == this || s->VertAxis == this))
            return true;
    return false;
}

// ---- series ---------------------------------------------------------------------------------

TChartSeries::TChartSeries(TChart& chart, TKind kind)
    : m_kind(kind)
{
    HorizAxis = &chart.BottomAxis;
    VertAxis = &chart.LeftAxis;
}

void TChartSeries::Clear()
{
    m_x.clear();
    m_y.clear();
}

int TChartSeries::AddXY(double x, double y)
{
    m_x.push_back(x);
    m_y.push_back(y);
    return Count() - 1;
}

namespace {
double extreme(const std::vector<double>& values, bool largest)
{
    bool any = false;
    double r = 0;
    for (double v : values) {
        if (!defined(v))
            continue;
        if (!any || (largest ? v > r : v < r))
            r = v;
        any = true;
    }
    return r;
}
} // namespace

double TChartSeries::MinXValue() const
{
    return extreme(m_x, false);
}
double TChartSeries::MaxXValue() const
{
    return extreme(m_x, true);
}
double TChartSeries::MinYValue() const
{
    return extreme(m_y, false);
}
double TChartSeries::MaxYValue() const
{
    return extreme(m_y, true);
}

int TChartSeries::CalcXPos(int i) const
{
    return HorizAxis->CalcPosValue(XValue(i));
}

int TChartSeries::CalcYPos(int i) const
{
    return VertAxis->CalcPosValue(YValue(i));
}

// ---- chart ----------------------------------------------------------------------------------

TChart::TChart()
    : LeftAxis(*this, TAxisPlacement::Left)
    , TopAxis(*this, TAxisPlacement::Top)
    , RightAxis(*this, TAxisPlacement::Right)
    , BottomAxis(*this, TAxisPlacement::Bottom)
{
    Legend.Font = defaultFont();
}

TChartSeries* TChart::AddSeries(TChartSeries::TKind kind)
{
    m_series.push_back(std::make_unique<TChartSeries>(*this, kind));
    return m_series.back().get();
}

QString TChart::FormatLabel(double value)
{
    QString text = QString::number(value, 'f', 3);
    while (text.contains(QLatin1Char('.'))
        && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text.replace(QLatin1Char('.'), QString::fromStdString(LocaleNumberFormat().DecimalSeparator));
}

void TChart::computeRanges()
{
    for (TChartAxis* axis : { &LeftAxis, &TopAxis, &RightAxis, &BottomAxis }) {
        // Every defined value the active series (only markers-only ones, when asked) put on
        // this axis.
        const auto eachValue = [&](bool markedOnly, const auto& take) {
            for (const auto& s : m_series) {
                if (!s->Active || (markedOnly && s->Kind() != TChartSeries::TKind::Points))
                    continue;
                const bool horizontal = s->HorizAxis == axis;
                if (!horizontal && s->VertAxis != axis)
                    continue;
                for (int i = 0; i < s->Count(); ++i) {
                    const double v = horizontal ? s->XValue(i) : s->YValue(i);
                    if (defined(v))
                        take(v);
                }
            }
        };
        bool any = false;
        double lo = 0, hi = 0;
        eachValue(false, [&](double v) {
            if (!any) {
                lo = hi = v;
                any = true;
            }
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        });
        if (lo == hi) {
            // A flat series still gets a scale around its value.
            const double pad = lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
            lo -= pad;
            hi += pad;
        }
        // A point drawn as a marker at the end of the range would stand half outside the frame:
        // the range keeps a margin beyond every marked point.
        const double margin = 0.05 * (hi - lo);
        double markedLo = lo, markedHi = hi;
        eachValue(true, [&](double v) {
            markedLo = std::min(markedLo, v - margin);
            markedHi = std::max(markedHi, v + margin);
        });
        axis->m_min = markedLo;
        axis->m_max = markedHi;
    }
}

namespace {

// The label step of an axis of the given pixel length.
double chooseStep(const TChartAxis& axis, int length)
{
    const double range = axis.Maximum() - axis.Minimum();
    if (!(range > 0) || length <= 0)
        return 0;
    const QFontMetrics fm(axis.LabelsFont);
    // Whether the labels of a step fit along the axis without touching.
    const auto fits = [&](double step) {
        const auto labels = labelValues(axis.Minimum(), axis.Maximum(), step);
        if (labels.size() >= static_cast<std::size_t>(kMaxLabels))
            return false;
        int along = 0;
        for (const AxisLabel& l : labels) {
            const QSize s = turnedSize(fm, l.text, axis.LabelsAngle);
            along = std::max(along, axis.Horizontal() ? s.width() : s.height());
        }
        return static_cast<double>(labels.size()) * (along + 3 * kGap) <= length;
    };
    static constexpr double kMultiples[] = { 2, 2.5, 2 };
    if (axis.Increment > 0) {
        // A fixed increment is kept unless its labels would overlap; then whole multiples of it.
        double step = axis.Increment;
        for (int k = 0; !fits(step) && step < range * 1e6; ++k)
            step *= kMultiples[k % 3];
        return step;
    }
    // The smallest step of the 1-2-5 series whose labels fit.
    double step = niceStepAtLeast(range / 50);
    for (int k = 0; !fits(step) && step < range * 1e6; ++k)
        step = niceStepAtLeast(step * 1.5);
    return step;
}

} // namespace

void TChart::layout(int width, int height)
{
    const int bevel = BevelOuter ? 2 : 0;
    QRect rect(kOuterMargin + bevel, kOuterMargin + bevel, width - 2 * (kOuterMargin + bevel),
        height - 2 * (kOuterMargin + bevel) - legendHeight());

    // Two passes: the label texts depend on the step, the step on the room the labels leave.
    for (int pass = 0; pass < 2; ++pass) {
        int reserve[4] = { 0, 0, 0, 0 }; // left, top, right, bottom
        int overhang[4] = { 0, 0, 0, 0 };
        for (TChartAxis* axis : { &LeftAxis, &TopAxis, &RightAxis, &BottomAxis }) {
            const int side = static_cast<int>(axis->Placement());
            if (!axis->Visible || !axis->HasSeries())
                continue;
            const int length = axis->Horizontal() ? rect.width() : rect.height();
            axis->m_step = chooseStep(*axis, length);
            const QFontMetrics fm(axis->LabelsFont);
            int across = 0, along = 0;
            for (const AxisLabel& l : labelValues(axis->m_min, axis->m_max, axis->m_step)) {
                const QSize s = turnedSize(fm, l.text, axis->LabelsAngle);
                across = std::max(across, axis->Horizontal() ? s.height() : s.width());
                along = std::max(along, axis->Horizontal() ? s.width() : s.height());
            }
            // The label row keeps its room when no label falls on the axis (values may still be
            // written there).
            across = std::max(across, fm.height());
            if (axis->LabelsSize > 0)
                across = axis->LabelsSize;
            int titleAcross = 0;
            if (!axis->Title.Caption.isEmpty()) {
                const QSize s
                    = turnedSize(QFontMetrics(axis->Title.Font), axis->Title.Caption, axis->Title.Angle);
                titleAcross = (axis->Horizontal() ? s.height() : s.width()) + kGap;
            }
            reserve[side] = kTickLength + kGap + across + kGap + titleAcross;
            // Labels at the ends of the axis reach past the plot by half their extent. A text
            // written from a value at the end of the axis (as value marks are) reaches past it by
            // its whole extent, in the direction the turned text runs.
            const int half = along / 2 + 1;
            int whole = 0;
            for (double v : { axis->m_min, axis->m_max }) {
                const QSize s = turnedSize(fm, QString::asprintf("%.2f", v), axis->LabelsAngle);
                whole = std::max(whole, (axis->Horizontal() ? s.width() : s.height()) + markClearance(*axis));
            }
            const int angle = ((axis->LabelsAngle % 360) + 360) % 360;
            if (axis->Horizontal()) {
                overhang[0] = std::max(overhang[0], angle == 180 ? whole : half);
                overhang[2] = std::max(overhang[2], angle == 0 ? whole : half);
            } else {
                overhang[1] = std::max(overhang[1], angle == 90 ? whole : half);
                overhang[3] = std::max(overhang[3], angle == 270 ? whole : half);
            }
        }
        const int base = kOuterMargin + bevel;
        const int left = base + std::max(reserve[0], overhang[0]);
        const int top = base + std::max(reserve[1], overhang[1]);
        const int right = width - base - std::max(reserve[2], overhang[2]);
        const int bottom = height - base - legendHeight() - std::max(reserve[3], overhang[3]);
        rect = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
        m_chartRect = rect;
        for (TChartAxis* axis : { &LeftAxis, &TopAxis, &RightAxis, &BottomAxis }) {
            if (axis->Horizontal()) {
                axis->m_startPos = rect.left();
                axis->m_endPos = rect.right();
            } else {
                axis->m_startPos = rect.top();
                axis->m_endPos = rect.bottom();
            }
            switch (axis->Placement()) {
            case TAxisPlacement::Left:
                axis->m_posAxis = rect.left();
                axis->m_posLabels = rect.left() - kTickLength - kGap;
                break;
            case TAxisPlacement::Top:
                axis->m_posAxis = rect.top();
                axis->m_posLabels = rect.top() - kTickLength - kGap;
                break;
            case TAxisPlacement::Right:
                axis->m_posAxis = rect.right();
                axis->m_posLabels = rect.right() + kTickLength + kGap;
                break;
            case TAxisPlacement::Bottom:
                axis->m_posAxis = rect.bottom();
                axis->m_posLabels = rect.bottom() + kTickLength + kGap;
                break;
            }
        }
    }
}

int TChart::legendHeight() const
{
    if (!Legend.Visible)
        return 0;
    return QFontMetrics(Legend.Font).height() + 2 * kGap;
}

void TChart::drawAxis(TChartAxis& axis)
{
    QPainter& p = *m_canvas;
    const QRect r = m_chartRect;
    // Direction away from the plot across the axis: -1 for left and top, +1 for right and bottom.
    const int out
        = (axis.Placement() == TAxisPlacement::Left || axis.Placement() == TAxisPlacement::Top) ? -1 : 1;
    const auto labels = labelValues(axis.m_min, axis.m_max, axis.m_step);

    if (axis.GridVisible) {
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
        for (const AxisLabel& l : labels) {
            const int v = axis.CalcPosValue(l.value);
            if (axis.Horizontal())
                p.drawLine(v, r.top() + 1, v, r.bottom() - 1);
            else
                p.drawLine(r.left() + 1, v, r.right() - 1, v);
        }
    }

    p.setPen(QPen(axis.AxisPen.Color, axis.AxisPen.Width, axis.AxisPen.Style));
    if (axis.Horizontal())
        drawLine(r.left(), axis.m_posAxis, r.right(), axis.m_posAxis);
    else
        drawLine(axis.m_posAxis, r.top(), axis.m_posAxis, r.bottom());

    p.setFont(axis.LabelsFont);
    const QFontMetrics fm(axis.LabelsFont);
    int across = 0;
    for (const AxisLabel& l : labels) {
        const int v = axis.CalcPosValue(l.value);
        p.setPen(QPen(axis.AxisPen.Color, 1));
        if (axis.Horizontal())
            drawLine(v, axis.m_posAxis, v, axis.m_posAxis + out * kTickLength);
        else
            drawLine(axis.m_posAxis, v, axis.m_posAxis + out * kTickLength, v);
        QString text = l.text;
        if (OnGetAxisLabel)
            OnGetAxisLabel(axis, text);
        const QSize s = turnedSize(fm, l.text, axis.LabelsAngle);
        across = std::max(across, axis.Horizontal() ? s.height() : s.width());
        if (text.isEmpty())
            continue;
        const QSize ts = turnedSize(fm, text, axis.LabelsAngle);
        QRect box;
        if (axis.Horizontal()) {
            const int top = out < 0 ? axis.m_posLabels - ts.height() : axis.m_posLabels;
            box = QRect(v - ts.width() / 2, top, ts.width(), ts.height());
        } else {
            const int left = out < 0 ? axis.m_posLabels - ts.width() : axis.m_posLabels;
            box = QRect(left, v - ts.height() / 2, ts.width(), ts.height());
        }
        // Where two axes meet, a label that would run into another axis's is left out.
        if (std::any_of(PlacedTexts.begin(), PlacedTexts.end(),
                [&](const TPlacedText& t) { return t.Box.intersects(box); }))
            continue;
        p.setPen(Qt::black);
        drawTurnedCentred(p, box, axis.LabelsAngle, text);
        PlacedTexts.push_back({ box, text });
    }
    across = std::max(across, fm.height());
    if (axis.LabelsSize > 0)
        across = axis.LabelsSize;

    if (!axis.Title.Caption.isEmpty()) {
        p.setFont(axis.Title.Font);
        p.setPen(Qt::black);
        const QSize ts = turnedSize(QFontMetrics(axis.Title.Font), axis.Title.Caption, axis.Title.Angle);
        const int edge = axis.m_posLabels + out * (across + kGap);
        QRect box;
        if (axis.Horizontal()) {
            const int top = out < 0 ? edge - ts.height() : edge;
            box = QRect(r.left() + (r.width() - ts.width()) / 2, top, ts.width(), ts.height());
        } else {
            const int left = out < 0 ? edge - ts.width() : edge;
            box = QRect(left, r.top() + (r.height() - ts.height()) / 2, ts.width(), ts.height());
        }
        drawTurnedCentred(p, box, axis.Title.Angle, axis.Title.Caption);
        PlacedTexts.push_back({ box, axis.Title.Caption });
    }
}

void TChart::drawSeries(const TChartSeries& series)
{
    QPainter& p = *m_canvas;
    p.save();
    p.setClipRect(m_chartRect.adjusted(-1, -1, 1, 1));
    if (series.Kind() == TChartSeries::TKind::Line) {
        p.setPen(QPen(series.SeriesColor, 1));
        bool havePrevious = false;
        QPoint previous;
        for (int i = 0; i < series.Count(); ++i) {
            if (!defined(series.XValue(i)) || !defined(series.YValue(i))) {
                havePrevious = false; // an undefined point breaks the line
                continue;
            }
            const QPoint pt(series.CalcXPos(i), series.CalcYPos(i));
            if (havePrevious)
                p.drawLine(previous, pt);
            previous = pt;
            havePrevious = true;
        }
    }
    if (series.Pointer.Visible) {
        const QColor fill
            = series.Pointer.BrushColor.isValid() ? series.Pointer.BrushColor : series.SeriesColor;
        const int hs = series.Pointer.HorizSize;
        const int vs = series.Pointer.VertSize;
        p.setBrush(fill);
        p.setPen(QPen(fill.darker(140), 1));
        for (int i = 0; i < series.Count(); ++i) {
            if (!defined(series.XValue(i)) || !defined(series.YValue(i)))
                continue;
            const int x = series.CalcXPos(i);
            const int y = series.CalcYPos(i);
            switch (series.Pointer.Style) {
            case TPointerStyle::Rectangle:
                p.drawRect(x - hs, y - vs, 2 * hs, 2 * vs);
                break;
            case TPointerStyle::Circle:
                p.drawEllipse(QPoint(x, y), hs, vs);
                break;
            case TPointerStyle::Triangle:
                p.drawPolygon(
                    QPolygon({ QPoint(x - hs, y + vs), QPoint(x + hs, y + vs), QPoint(x, y - vs) }));
                break;
            case TPointerStyle::DownTriangle:
                p.drawPolygon(
                    QPolygon({ QPoint(x - hs, y - vs), QPoint(x + hs, y - vs), QPoint(x, y + vs) }));
                break;
            case TPointerStyle::Diamond:
                p.drawPolygon(
                    QPolygon({ QPoint(x, y - vs), QPoint(x + hs, y), QPoint(x, y + vs), QPoint(x - hs, y) }));
                break;
            case TPointerStyle::Cross:
                p.setPen(QPen(fill, 2));
                p.drawLine(x - hs, y, x + hs, y);
                p.drawLine(x, y - vs, x, y + vs);
                break;
            case TPointerStyle::DiagCross:
                p.setPen(QPen(fill, 2));
                p.drawLine(x - hs, y - vs, x + hs, y + vs);
                p.drawLine(x - hs, y + vs, x + hs, y - vs);
                break;
            }
        }
    }
    p.restore();
}

void TChart::drawLegend(int width, int height)
{
    if (!Legend.Visible)
        return;
    QPainter& p = *m_canvas;
    p.setFont(Legend.Font);
    const QFontMetrics fm(Legend.Font);
    std::vector<const TChartSeries*> items;
    int total = 0;
    for (const auto& s : m_series) {
        if (!s->Active || !s->ShowInLegend)
            continue;
        items.push_back(s.get());
        total += Legend.ColorWidth + 2 * kGap + fm.horizontalAdvance(s->Title) + 4 * kGap;
    }
    if (items.empty())
        return;
    const int h = legendHeight();
    const int top = height - (BevelOuter ? 2 : 0) - kOuterMargin / 2 - h;
    int x = std::max(kOuterMargin, (width - total) / 2);
    if (!Legend.Transparent)
        p.fillRect(QRect(x - kGap, top, total + 2 * kGap, h), Qt::white);
    if (Legend.Frame) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(x - kGap, top, total + 2 * kGap, h));
    }
    for (const TChartSeries* s : items) {
        const int boxH = std::max(3, fm.height() / 2);
        p.fillRect(QRect(x, top + (h - boxH) / 2, Legend.ColorWidth, boxH), s->SeriesColor);
        x += Legend.ColorWidth + 2 * kGap;
        p.setPen(Qt::black);
        p.drawText(
            QRect(x, top, fm.horizontalAdvance(s->Title) + 1, h), Qt::AlignVCenter | Qt::AlignLeft, s->Title);
        PlacedTexts.push_back(
            { QRect(x, top + (h - fm.height()) / 2, fm.horizontalAdvance(s->Title), fm.height()), s->Title });
        x += fm.horizontalAdvance(s->Title) + 4 * kGap;
    }
}

void TChart::drawLine(int x0, int y0, int x1, int y1)
{
    m_canvas->drawLine(x0, y0, x1, y1);
    DrawnLines.push_back({ QLine(x0, y0, x1, y1), std::max(1, m_canvas->pen().width()) });
}

QImage TChart::RenderToImage(int width, int height, const QColor& background, qreal ratio)
{
    PlacedTexts.clear();
    DrawnLines.clear();
    QImage image(std::max(1, int(std::lround(width * ratio))), std::max(1, int(std::lround(height * ratio))),
        QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    QPainter painter(&image);
    m_canvas = &painter;
    const ScopeExit reset([this] { m_canvas = nullptr; });

    if (Color.isValid())
        painter.fillRect(0, 0, width, height, Color);
    if (BevelOuter) {
        painter.setPen(Qt::white);
        painter.drawLine(0, 0, width - 1, 0);
        painter.drawLine(0, 0, 0, height - 1);
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(width - 1, 0, width - 1, height - 1);
        painter.drawLine(0, height - 1, width - 1, height - 1);
    }

    computeRanges();
    layout(width, height);
    if (!BackWallTransparent)
        painter.fillRect(m_chartRect, BackWallColor);
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_chartRect);

    if (OnBeforeDrawAxes)
        OnBeforeDrawAxes(*this);
    for (TChartAxis* axis : { &LeftAxis, &TopAxis, &RightAxis, &BottomAxis })
        if (axis->Visible && axis->HasSeries())
            drawAxis(*axis);
    for (const auto& s : m_series)
        if (s->Active)
            drawSeries(*s);
    drawLegend(width, height);
    if (OnAfterDraw)
        OnAfterDraw(*this);
    painter.end();
    return image;
}

} // namespace platform
