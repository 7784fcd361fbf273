// The cross-section sketches of the pile: steel I/H shape, steel pipe, round (or octagonal) and
// rectangular reinforced concrete.
#include "results/diagramdraw.h"

#include "model/fieldlimits.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int rnd(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(RoundHalfEven(std::clamp(v, -1.0e6, 1.0e6)));
}

double toDouble(Extended v)
{
    return static_cast<double>(v);
}

const QColor kConcrete(192, 192, 192);
const QColor kTie(128, 0, 0);
const QColor kCallout(255, 0, 0);
const QColor kSteel(191, 0, 0);

// A pixel length from a model length, never below `least`.
double atLeast(double v, double least)
{
    return std::isnan(v) || v < least ? least : v;
}

// The tie and longitudinal bars of a concrete section, and the tie's line width and the cover in
// pixels at s pixels per section unit.
struct SectionBars {
    TRebar tieBar {}, bar {};
    int tieWidth = 1;
    int cover = 0;
};

SectionBars sectionBars(const TLPData& d, double s)
{
    SectionBars b;
    d.GetRebar(d.TieBarSize, b.tieBar);
    d.GetRebar(d.BarSize, b.bar);
    b.tieWidth = std::max(1, rnd(b.tieBar.Diameter * s));
    b.cover = rnd(toDouble(d.Cover) * s);
    return b;
}

// The callouts of a concrete section: its clear cover, and its tie or spiral bar with the spacing.
QString coverText(const TLPData& d, const QString& barUnit)
{
    return TDiagramDraw::FormatValue(FieldLimitOf(47).Decimals, barUnit, d.Cover) + QStringLiteral(" clear");
}

QString tieText(const TLPData& d, const QString& barUnit)
{
    return QString::asprintf("%s %s @ %s", d.BarName(d.TieBarSize).c_str(),
        d.TieType == kTieTypeSpiral ? "spiral" : "ties",
        TDiagramDraw::FormatValue(FieldLimitOf(48).Decimals, barUnit, d.SpacingOverride)
            .toLatin1()
            .constData());
}

} // namespace

// ---- callouts ------------------------------------------------------------------------------

namespace {

// Texts keep this far from the picture's edges: the report paints its pictures' outermost
// pixels white.
constexpr int kEdge = 2;

} // namespace

QSize TDiagramDraw::CalloutSize(const QString& text, int height)
{
    m_canvas.SetFontHeight(height - 2);
    const int pen = (m_canvas.PenWidth + 1) / 2;
    return QSize(framedRight(0, 0, supTextWidth(text)) + m_canvas.PenWidth + 2 * pen, height + 2 * pen);
}

QRect TDiagramDraw::DrawCallout(QPoint at, int height, const QString& text)
{
    const QSize size = CalloutSize(text, height);
    const int pen = (m_canvas.PenWidth + 1) / 2;
    const int left = at.x() + pen, top = at.y() + pen;
    DrawLabel(left, top, left, top + height, text, kNoBackground, true, 2);
    return QRect(at, size);
}

QPoint TDiagramDraw::LeaderStart(const QRect& frame, QPoint target) const
{
    // Straight down or up to a target below or above the frame, straight across to one beside
    // it, else along the line from the frame's centre; from the frame grown by more than half the
    // pen, so that the leader's stroke stops short of the frame.
    const int k = (m_canvas.PenWidth + 1) / 2 + 1;
    if (target.x() >= frame.left() && target.x() <= frame.right())
        return QPoint(target.x(), target.y() > frame.bottom() ? frame.bottom() + k : frame.top() - k);
    if (target.y() >= frame.top() && target.y() <= frame.bottom())
        return QPoint(target.x() > frame.right() ? frame.right() + k : frame.left() - k, target.y());
    const double left = frame.left() - k, right = frame.right() + k;
    const double top = frame.top() - k, bottom = frame.bottom() + k;
    const double cx = (frame.left() + frame.right()) / 2.0, cy = (frame.top() + frame.bottom()) / 2.0;
    const double dx = target.x() - cx, dy = target.y() - cy;
    double t = 1;
    if (dx != 0)
        t = std::min(t, ((dx > 0 ? right : left) - cx) / dx);
    if (dy != 0)
        t = std::min(t, ((dy > 0 ? bottom : top) - cy) / dy);
    return QPoint(rnd(cx + dx * t), rnd(cy + dy * t));
}

// ---- reinforced concrete ----------------------------------------------------------------------

namespace {

// The right end of a row of callouts from y down `height` pixels: the picture's edge, or short of
// a control standing over the picture there.
int rowRight(const QRect& covered, int width, int y, int height, int gap)
{
    if (covered.isValid() && y <= covered.bottom() && y + height > covered.top())
        return std::min(width - 1 - kEdge, covered.left() - 1 - gap);
    return width - 1 - kEdge;
}

// A concrete section's callouts measured at the drawing's size, before the section is placed:
// their texts, each frame's outer size, and the rows they stand in.
struct ConcreteCallouts {
    int height = 0; // of a callout's text box
    QString bars, cover, tie;
    QSize barsSize, coverSize, tieSize;
    int rowH = 0; // a row's height, frames included
    int gap = 0; // between rows, and between a row and the section: more than the ticks reach
    int roomBelow = 0; // for the tie's row, and a pixel for the section's rounded half sizes
};

ConcreteCallouts concreteCallouts(TDiagramDraw& draw, const TLPData& d, const QString& barUnit)
{
    TDrawCanvas& c = draw.Canvas();
    c.PenColor = kCallout;
    c.PenWidth = draw.LineWidth();
    c.BrushStyle = bsClear;
    ConcreteCallouts k;
    k.height = rnd(1.5 * draw.FontSize());
    k.bars = QString::asprintf("%d %s vert. bars", d.BarCount, d.BarName(d.BarSize).c_str());
    k.cover = coverText(d, barUnit);
    k.tie = tieText(d, barUnit);
    k.barsSize = draw.CalloutSize(k.bars, k.height);
    k.coverSize = draw.CalloutSize(k.cover, k.height);
    k.tieSize = draw.CalloutSize(k.tie, k.height);
    k.rowH = k.barsSize.height();
    k.gap = draw.FontSize() / 2 + draw.LineWidth() + 1;
    k.roomBelow = k.gap + k.rowH + kEdge + 1;
    return k;
}

// The point at `radius` from the centre on the line from the centre to p.
QPoint towardCentre(QPoint centre, QPoint p, double radius)
{
    const double dx = p.x() - centre.x(), dy = p.y() - centre.y();
    const double dist = std::hypot(dx, dy);
    if (!(dist > 0))
        return centre;
    return QPoint(rnd(centre.x() + dx * radius / dist), rnd(centre.y() + dy * radius / dist));
}

} // namespace

void TDiagramDraw::DrawRoundRCSection()
{
    beginDrawing();
    const TLPData& d = *Data;
    TDrawCanvas& c = m_canvas;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(0, 0, Width, Height);
    if (!d.StructuralDesign || !(d.Width > 0))
        return;
    const int FS = FontSize();
    const bool si = d.Units == kUnitsSI;
    const QString barUnit = si ? QStringLiteral("mm") : QStringLiteral("in");
    const QString lengthUnit = si ? QStringLiteral("m") : QStringLiteral("ft");

    // The callouts are measured first: the section takes the room they leave. The bars' and the
    // cover's stand above the section, side by side where they fit and else one above the
    // other; the tie's below it, the diameter's right of it.
    const ConcreteCallouts k = concreteCallouts(*this, d, barUnit);
    const int calloutHeight = k.height, rowH = k.rowH, gap = k.gap;
    const QString widthText = FormatValue(FieldLimitOf(2).Decimals, lengthUnit, d.Width);
    const QSize barsSize = k.barsSize, coverSize = k.coverSize, tieSize = k.tieSize;
    const QSize widthSize = CalloutSize(widthText, calloutHeight);
    const int roomLeft = kEdge + FS / 2 + LineWidth();
    const int roomRight = FS + widthSize.width() + kEdge;
    const int roomBelow = k.roomBelow;
    int left = 0, top = 0, side = 0;
    QRect barsFrame, coverFrame;
    for (int rows = 1; rows <= 2; ++rows) {
        const int roomAbove = kEdge + rows * (rowH + gap) + 1; // a pixel for rounding, as below
        side = std::min(Width - roomLeft - roomRight, Height - roomAbove - roomBelow);
        if (side <= 0)
            return;
        left = roomLeft + (Width - roomLeft - roomRight - side) / 2;
        top = roomAbove + (Height - roomAbove - roomBelow - side) / 2;
        const int cx = left + side / 2;
        const int nearRow = top - gap - rowH;
        const int barsRow = rows == 1 ? nearRow : nearRow - gap - rowH;
        barsFrame = QRect(QPoint(std::max(kEdge, cx - gap / 2 - barsSize.width()), barsRow), barsSize);
        const int right = rowRight(Covered, Width, nearRow, rowH, gap);
        const int coverLeft
            = rows == 1 ? std::max(cx + gap / 2, barsFrame.right() + 1 + gap) : right + 1 - coverSize.width();
        coverFrame = QRect(QPoint(coverLeft, nearRow), coverSize);
        if (coverFrame.right() <= right)
            break;
    }
    const int right = left + side;
    const int bottom = top + side;
    const double s = side / toDouble(d.Width) / (si ? 1000.0 : 12.0);

    // concrete
    c.BrushColor = kConcrete;
    c.BrushStyle = bsSolid;
    c.PenColor = Qt::black;
    c.PenWidth = Margin();
    if (d.Shape == psCircle)
        c.Ellipse(left, top, right, bottom);
    else
        DrawOctagon(left, top, right, bottom);

    // tie or spiral: always round
    const SectionBars sb = sectionBars(d, s);
    const TRebar& tieBar = sb.tieBar;
    const TRebar& bar = sb.bar;
    const int t = sb.tieWidth;
    const int cover = sb.cover;
    const int inset = cover + t / 2;
    c.PenColor = kTie;
    c.PenWidth = t;
    c.BrushStyle = bsClear;
    c.Ellipse(left + inset, top + inset, right - inset, bottom - inset);

    // bars, the first at the top and then clockwise
    const double r = atLeast(bar.Diameter / 2 * s, 1.0);
    const double R = side / 2.0 - cover - t - r;
    const int cx = left + side / 2;
    const int cy = top + side / 2;
    const QPoint centre(cx, cy);
    c.PenColor = Qt::black;
    c.PenWidth = 1;
    c.BrushColor = Qt::black;
    c.BrushStyle = bsSolid;
    QPoint firstBar(cx, cy);
    const int count = std::max(0, d.BarCount);
    for (int i = 0; i < count; ++i) {
        const double theta = i * 2 * std::numbers::pi / count;
        const QPoint at(rnd(cx + std::sin(theta) * R), rnd(cy - std::cos(theta) * R));
        if (i == 0)
            firstBar = at;
        const int rr = rnd(r);
        c.Ellipse(at.x() - rr, at.y() - rr, at.x() + rr + 1, at.y() + rr + 1);
    }

    // callouts, each leader from its frame
    c.PenColor = kCallout;
    c.PenWidth = LineWidth();
    c.BrushStyle = bsClear;
    const auto leader = [&](QPoint from, QPoint to) { c.Line(from.x(), from.y(), to.x(), to.y()); };
    DrawCallout(barsFrame.topLeft(), calloutHeight, k.bars);
    leader(LeaderStart(barsFrame, firstBar), firstBar);

    // cover: toward the centre, ticked at the surface and at the tie, where it ends
    DrawCallout(coverFrame.topLeft(), calloutHeight, k.cover);
    {
        const QPoint from = LeaderStart(coverFrame, centre);
        const QPoint surface = towardCentre(centre, from, side / 2.0);
        const QPoint tie = towardCentre(centre, from, side / 2.0 - cover);
        leader(from, tie);
        // The leader runs down and to the left, so the ticks lean the other way to cross it.
        for (const QPoint& p : { surface, tie })
            c.Line(p.x() - FS / 4, p.y() - FS / 4, p.x() + FS / 4, p.y() + FS / 4);
    }

    // diameter across the centre
    c.Line(left, cy, right, cy);
    for (int x : { left, right })
        c.Line(x - FS / 2, cy - FS / 2, x + FS / 2, cy + FS / 2);
    DrawCallout(QPoint(right + FS, cy - rowH / 2), calloutHeight, widthText);

    // tie callout, ending on the tie circle
    {
        const int y = bottom + gap;
        const int tieLeft = std::max(
            kEdge, std::min(cx + gap, rowRight(Covered, Width, y, rowH, gap) + 1 - tieSize.width()));
        const QRect frame = DrawCallout(QPoint(tieLeft, y), calloutHeight, k.tie);
        const QPoint from = LeaderStart(frame, centre);
        leader(from, towardCentre(centre, from, side / 2.0 - cover - rnd(tieBar.Diameter / 2 * s)));
    }
}

void TDiagramDraw::DrawRectRCSection()
{
    beginDrawing();
    const TLPData& d = *Data;
    TDrawCanvas& c = m_canvas;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(0, 0, Width, Height);
    if (!d.StructuralDesign || !(d.Width > 0) || !(d.Width2 > 0))
        return;
    const int FS = FontSize();
    const bool si = d.Units == kUnitsSI;
    const QString barUnit = si ? QStringLiteral("mm") : QStringLiteral("in");

    // The callouts are measured first: the section takes the room they leave. The cover's stands
    // above the middle of the section with the bars' beside it where it fits, else above it; the
    // tie's below the middle.
    const ConcreteCallouts k = concreteCallouts(*this, d, barUnit);
    const int calloutHeight = k.height, rowH = k.rowH, gap = k.gap;
    const QSize barsSize = k.barsSize, coverSize = k.coverSize, tieSize = k.tieSize;
    const int roomSide = kEdge + Margin();
    const int roomBelow = k.roomBelow;
    const int freeW = Width - 2 * roomSide;
    int left = 0, right = 0, top = 0, bottom = 0;
    double scale = 0;
    QRect barsFrame, coverFrame;
    for (int rows = 1; rows <= 2; ++rows) {
        const int roomAbove = kEdge + rows * (rowH + gap) + 1; // a pixel for rounding, as below
        const int freeH = Height - roomAbove - roomBelow;
        scale = std::min(freeW / toDouble(d.Width), freeH / toDouble(d.Width2));
        if (!(scale > 0))
            return;
        const int xm = roomSide + freeW / 2, ym = roomAbove + freeH / 2;
        left = xm - rnd(toDouble(d.Width) * scale / 2);
        right = xm + rnd(toDouble(d.Width) * scale / 2);
        top = ym - rnd(toDouble(d.Width2) * scale / 2);
        bottom = ym + rnd(toDouble(d.Width2) * scale / 2);
        const int nearRow = top - gap - rowH;
        const int coverRight = rowRight(Covered, Width, nearRow, rowH, gap);
        // A row above the cover's keeps the bars' leader, down to the corner bar, left of it.
        const SectionBars sb = sectionBars(d, scale / (si ? 1000.0 : 12.0));
        const int barX = left + sb.cover + sb.tieWidth + 1
            + rnd(atLeast(sb.bar.Diameter / 2 * scale / (si ? 1000.0 : 12.0), 1.0));
        const int coverLeft
            = rows == 1 ? xm - coverSize.width() / 2 : std::max(xm - coverSize.width() / 2, barX + gap);
        coverFrame
            = QRect(QPoint(std::max(kEdge, std::min(coverLeft, coverRight + 1 - coverSize.width())), nearRow),
                coverSize);
        const int barsRow = rows == 1 ? nearRow : nearRow - gap - rowH;
        const int barsRight
            = rows == 1 ? coverFrame.left() - 1 - gap : rowRight(Covered, Width, barsRow, rowH, gap);
        barsFrame = QRect(
            QPoint(std::max(kEdge, std::min(left, barsRight + 1 - barsSize.width())), barsRow), barsSize);
        if (barsFrame.right() <= barsRight)
            break;
    }
    const double s = scale / (si ? 1000.0 : 12.0);

    c.BrushColor = kConcrete;
    c.BrushStyle = bsSolid;
    c.PenColor = Qt::black;
    c.PenWidth = Margin();
    c.Rectangle(left, top, right, bottom);

    const SectionBars sb = sectionBars(d, s);
    const TRebar& bar = sb.bar;
    const int t = sb.tieWidth;
    const int cover = sb.cover;
    const int inset = cover + t / 2;
    c.PenColor = kTie;
    c.PenWidth = t;
    c.BrushStyle = bsClear;
    c.Rectangle(left + inset, top + inset, right - inset, bottom - inset);

    const double r = atLeast(bar.Diameter / 2 * s, 1.0);
    const int rr = rnd(r);
    const int e = cover + t + 1;
    const int sectionW = right - left;
    const int sectionH = bottom - top;
    const int xl = left + e + rr, xr = right - e - rr;
    const int yt = top + e + rr, yb = bottom - e - rr;
    std::vector<QPoint> bars { { xl, yt }, { xr, yt }, { xl, yb }, { xr, yb } };
    const int n = d.BarCount;
    if (n == 6 || n == 8 || n == 10) {
        bars.push_back({ xl, (top + bottom) / 2 });
        bars.push_back({ xr, (top + bottom) / 2 });
    }
    if (n == 8) {
        bars.push_back({ (left + right) / 2, yt });
        bars.push_back({ (left + right) / 2, yb });
    }
    if (n == 10 || n == 12) {
        for (int k = 1; k <= 2; ++k) {
            const int dx = rnd(k * (sectionW - 2 * (cover + t + r)) / 3);
            bars.push_back({ xl + dx, yt });
            bars.push_back({ xr - dx, yb });
        }
    }
    if (n == 12) {
        for (int k = 1; k <= 2; ++k) {
            const int dy = rnd(k * (sectionH - 2 * (cover + t + r)) / 3);
            bars.push_back({ xl, yt + dy });
            bars.push_back({ xr, yt + dy });
        }
    }
    c.PenColor = Qt::black;
    c.PenWidth = 1;
    c.BrushColor = Qt::black;
    c.BrushStyle = bsSolid;
    for (const QPoint& b : bars)
        c.Ellipse(b.x() - rr, b.y() - rr, b.x() + rr + 1, b.y() + rr + 1);

    c.PenColor = kCallout;
    c.PenWidth = LineWidth();
    c.BrushStyle = bsClear;
    const int xm = (left + right) / 2;
    const auto leader = [&](QPoint from, QPoint to) { c.Line(from.x(), from.y(), to.x(), to.y()); };

    DrawCallout(barsFrame.topLeft(), calloutHeight, k.bars);
    leader(LeaderStart(barsFrame, QPoint(xl, yt)), QPoint(xl, yt));

    // cover: down from its frame past the concrete surface and the tie, ticked at both
    DrawCallout(coverFrame.topLeft(), calloutHeight, k.cover);
    {
        const QPoint end(xm, top + cover + rnd(0.75 * FS));
        const QPoint from = LeaderStart(coverFrame, end);
        leader(from, end);
        for (int y : { top, top + cover }) {
            const double k = end.y() == from.y() ? 0 : double(y - from.y()) / (end.y() - from.y());
            const int x = rnd(from.x() + k * (end.x() - from.x()));
            c.Line(x - FS / 2, y - FS / 2, x + FS / 2, y + FS / 2);
        }
    }

    {
        const int y = bottom + gap;
        const int tieLeft = std::max(kEdge,
            std::min(xm - tieSize.width() / 2, rowRight(Covered, Width, y, rowH, gap) + 1 - tieSize.width()));
        const QRect frame = DrawCallout(QPoint(tieLeft, y), calloutHeight, k.tie);
        const QPoint end(xm, bottom - cover);
        leader(LeaderStart(frame, end), end);
    }
}

// ---- steel ----------------------------------------------------------------------------------

void TDiagramDraw::DrawWSection()
{
    beginDrawing();
    const TLPData& d = *Data;
    TDrawCanvas& c = m_canvas;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(0, 0, Width, Height);
    if (!d.StructuralDesign)
        return;
    const bool si = d.Units == kUnitsSI;
    const double u = si ? 1000.0 : 12.0;
    const QString unit = si ? QStringLiteral("cm") : QStringLiteral("in");
    const double unitDiv = si ? 10.0 : 1.0;
    const int LS = LineSpacing();
    const double freeW = Width - 4.0 * LS;
    const double freeH = Height - 4.0 * LS;
    const int cx = rnd(freeW / 2) + 2 * LS;
    const int cy = rnd(freeH / 2) + 2 * LS;
    const double dd = toDouble(d.IShape.d), bf = toDouble(d.IShape.bf), tw = toDouble(d.IShape.tw),
                 tf = toDouble(d.IShape.tf);
    const double extentH = std::max(bf / u, toDouble(d.Width));
    const double extentV = std::max(dd / u, toDouble(d.Width2));
    if (!(extentH > 0) || !(extentV > 0))
        return;
    Scale = std::min(freeW / extentH, freeH / extentV);

    const int fl = cx - rnd(bf * Scale / 2 / u), fr = cx + rnd(bf * Scale / 2 / u);
    const int top = cy - rnd(dd * Scale / 2 / u), bottom = cy + rnd(dd * Scale / 2 / u);
    const int tfp = rnd(tf * Scale / u);
    const int wl = cx - rnd(tw * Scale / 2 / u), wr = cx + rnd(tw * Scale / 2 / u);

    c.BrushColor = kSteel;
    c.BrushStyle = bsSolid;
    c.PenColor = kSteel;
    c.PenWidth = LineWidth();
    c.Rectangle(fl, top, fr, top + tfp);
    c.Rectangle(fl, bottom - tfp, fr, bottom);
    c.Rectangle(wl, top, wr, bottom);
    // fillets where the web meets the flanges
    const int reach = rnd(tw * Scale / u);
    const int leg = rnd((tw - tw / 2) * Scale / u);
    c.Polygon(
        QPolygon({ QPoint(wl, top + tfp), QPoint(cx - reach, top + tfp), QPoint(wl, top + tfp + leg) }));
    c.Polygon(
        QPolygon({ QPoint(wr, top + tfp), QPoint(cx + reach, top + tfp), QPoint(wr, top + tfp + leg) }));
    c.Polygon(QPolygon(
        { QPoint(wl, bottom - tfp), QPoint(cx - reach, bottom - tfp), QPoint(wl, bottom - tfp - leg) }));
    c.Polygon(QPolygon(
        { QPoint(wr, bottom - tfp), QPoint(cx + reach, bottom - tfp), QPoint(wr, bottom - tfp - leg) }));

    c.PenColor = Qt::black;
    c.BrushColor = Qt::white;
    c.SetFontHeight(FontSize());
    const int ext = rnd(1.5 * LS);
    // The dimensions: flange width below, depth right, flange thickness and web thickness with
    // outside arrows, and the pile's width above unless the pile is square.
    std::vector<TSketchDimension> dims {
        { QLine(fl, bottom + LS, fr, bottom + LS), FormatValue(2, unit, bf / unitDiv), false, 2 },
        { QLine(fr + LS, top, fr + LS, bottom), FormatValue(2, unit, dd / unitDiv), false, 2 },
        { QLine(QPoint(fl + rnd((wl - fl) / 3.0), top), QPoint(fl + rnd((wl - fl) / 3.0), top + tfp)),
            FormatValue(2, unit, tf / unitDiv), true, 1 },
        { QLine(wl, bottom - rnd((bottom - top) / 4.0), wr, bottom - rnd((bottom - top) / 4.0)),
            FormatValue(2, unit, tw / unitDiv), true, 1 },
    };
    std::vector<QLine> extensions { QLine(fl, bottom, fl, bottom + ext), QLine(fr, bottom, fr, bottom + ext),
        QLine(fr, top, fr + ext, top), QLine(fr, bottom, fr + ext, bottom) };
    if (d.Shape != psSquare) {
        // Above the pile, and above the section where the pile is the shallower.
        const int pl = cx - rnd(toDouble(d.Width) * Scale / 2), pr = cx + rnd(toDouble(d.Width) * Scale / 2);
        const int pt = cy - rnd(toDouble(d.Width2) * Scale / 2);
        const int y = std::min(pt, top) - LS;
        extensions.push_back(QLine(pl, pt, pl, y + LS - ext));
        extensions.push_back(QLine(pr, pt, pr, y + LS - ext));
        dims.push_back({ QLine(pl, y, pr, y), FormatValue(2, unit, d.Width * (si ? 100 : 12)), false, 1 });
    }
    const std::vector<QRect> steel { QRect(QPoint(fl, top), QPoint(fr, top + tfp)),
        QRect(QPoint(fl, bottom - tfp), QPoint(fr, bottom)), QRect(QPoint(wl, top), QPoint(wr, bottom)) };
    placeDimensionTexts(dims, extensions, steel);
    for (const QLine& line : extensions)
        c.Line(line.x1(), line.y1(), line.x2(), line.y2());
    for (const TSketchDimension& dim : dims)
        DrawDimension(
            dim.at.x1(), dim.at.y1(), dim.at.x2(), dim.at.y2(), dim.text, dim.outside, dim.position);
}

void TDiagramDraw::placeDimensionTexts(std::vector<TSketchDimension>& dims,
    const std::vector<QLine>& extensions, const std::vector<QRect>& keepOff)
{
    // A text whose dimension cannot hold it stands beyond one end or the other: of the ways to
    // choose, the first (in the order of the ends given) whose texts stay inside the picture,
    // apart from one another and from the drawing's lines and shapes; else the one with the
    // fewest clashes.
    const int A = ArrowSize();
    const int pen = m_canvas.PenWidth / 2 + 2;
    // The band a line's stroke, and an arrow head's, takes.
    const auto band = [&](QPoint a, QPoint b, int half) {
        return QRect(QPoint(std::min(a.x(), b.x()) - half, std::min(a.y(), b.y()) - half),
            QPoint(std::max(a.x(), b.x()) + half, std::max(a.y(), b.y()) + half));
    };
    const int head = std::max(pen, A / 4 + 1);
    const QRect inside = QRect(0, 0, Width, Height).adjusted(kEdge, kEdge, -kEdge, -kEdge);
    const std::size_t n = dims.size();
    int best = -1, fewest = 0;
    for (unsigned choice = 0; choice < (1u << n); ++choice) {
        std::vector<QRect> boxes;
        std::vector<std::pair<std::size_t, QRect>> lines; // the dimension drawing it, its band
        for (std::size_t i = 0; i < n; ++i) {
            const TSketchDimension& dim = dims[i];
            const int position = (choice >> i) & 1 ? 3 - dim.position : dim.position;
            const QPoint p0 = dim.at.p1(), p1 = dim.at.p2();
            boxes.push_back(
                DimensionTextBox(p0.x(), p0.y(), p1.x(), p1.y(), dim.text, dim.outside, position));
            if (DimensionFitsInside(p0.x(), p0.y(), p1.x(), p1.y(), dim.text, dim.outside)) {
                lines.push_back({ i, band(p0, p1, head) });
            } else {
                const QPoint along = p0.x() == p1.x() ? QPoint(0, 2 * A) : QPoint(2 * A, 0);
                lines.push_back({ i, band(p0 - along, p0, head) });
                lines.push_back({ i, band(p1, p1 + along, head) });
            }
        }
        int clashes = 0;
        for (std::size_t i = 0; i < n; ++i) {
            clashes += !inside.contains(boxes[i]);
            for (std::size_t j = i + 1; j < n; ++j)
                clashes += boxes[i].intersects(boxes[j]);
            for (const QRect& r : keepOff)
                clashes += boxes[i].intersects(r);
            for (const QLine& e : extensions)
                clashes += boxes[i].intersects(band(e.p1(), e.p2(), pen));
            // Another dimension's line (a dimension's own keeps clear of its text).
            for (const auto& [owner, line] : lines)
                clashes += owner != i && boxes[i].intersects(line);
        }
        if (best < 0 || clashes < fewest) {
            best = int(choice);
            fewest = clashes;
        }
        if (clashes == 0)
            break;
    }
    for (std::size_t i = 0; i < n; ++i)
        if ((unsigned(best) >> i) & 1)
            dims[i].position = 3 - dims[i].position;
}

void TDiagramDraw::DrawPipeSection()
{
    beginDrawing();
    const TLPData& d = *Data;
    TDrawCanvas& c = m_canvas;
    c.BrushColor = Qt::white;
    c.BrushStyle = bsSolid;
    c.FillRect(0, 0, Width, Height);
    if (!d.StructuralDesign)
        return;
    const bool si = d.Units == kUnitsSI;
    const double u = si ? 1000.0 : 12.0;
    const QString unit = si ? QStringLiteral("cm") : QStringLiteral("in");
    const int LS = LineSpacing();
    const int FS = FontSize();
    const double tnom = toDouble(d.PipeShape.tnom), tdes = toDouble(d.PipeShape.tdes);
    // The wall's label stands left of the pipe over its leader, in a box at least as wide as the
    // text: the free area leaves it room.
    const QString wallText = FormatValue(si ? 2 : 3, si ? QStringLiteral("mm") : QStringLiteral("in"), tnom);
    const int labelTop = -rnd(1.7 * FS), labelBottom = -rnd(0.3 * FS); // from the leader
    c.SetFontHeight(labelBottom - labelTop - 2);
    const int labelWidth = std::max(EleventhsOfWidth(1), supTextWidth(wallText) + 2);
    const int freeLeft
        = std::max(2 * LS, kEdge - LabelBox(-labelWidth, labelTop, 0, labelBottom, wallText, 2).left());
    c.SetFontHeight(FS);
    const double freeW = Width - freeLeft - 2.0 * LS;
    const double freeH = Height - 4.0 * LS;
    const int cx = rnd(freeW / 2) + freeLeft;
    const int cy = rnd(freeH / 2) + 2 * LS;
    // A user-defined pipe may leave its outside diameter at 0: the pile's width stands for it.
    double D = toDouble(d.PipeShape.OD);
    if (!(D > 0))
        D = toDouble(d.Width) * u;
    if (!(D > 0))
        return;
    if (d.Shape == psCircle) {
        Scale = std::min(freeW, freeH) / (D / u);
    } else {
        const double extent = std::max(D / u, toDouble(d.Width));
        Scale = std::min(freeW / extent, freeH / extent);
    }

    const int radius = rnd(D * Scale / 2 / u);
    const int xl = cx - radius, xr = cx + radius;
    const int top = cy - radius, bottom = cy + radius;
    c.BrushColor = kSteel;
    c.BrushStyle = bsSolid;
    c.PenColor = kSteel;
    c.PenWidth = LineWidth();
    c.Ellipse(xl, top, xr, bottom);
    const int wall = rnd(tdes * Scale / u);
    // A wall reaching the centre, which no pipe has, leaves no bore to draw.
    if (wall < radius) {
        c.BrushColor = d.SteelInput.ConcreteFilled ? QColor(199, 199, 199) : QColor(Qt::white);
        c.Ellipse(xl + wall, top + wall, xr - wall, bottom - wall);
    }

    c.PenColor = Qt::black;
    c.BrushColor = Qt::white;
    const int ext = rnd(1.5 * LS);
    // wall thickness, to the left at mid-height
    c.Line(xl, cy, xl - ext, cy);
    DrawLabel(xl - labelWidth, cy + labelTop, xl, cy + labelBottom, wallText, kNoBackground, false, 2);
    c.SetFontHeight(FS);
    // the outside diameter below, the pile's width above unless the pile is round
    std::vector<TSketchDimension> dims { { QLine(xl, bottom + LS, xr, bottom + LS),
        FormatValue(2, unit, si ? D / 10 : D), false, 2 } };
    std::vector<QLine> extensions { QLine(xl, bottom, xl, bottom + ext),
        QLine(xr, bottom, xr, bottom + ext) };
    if (d.Shape != psCircle) {
        const int pl = cx - rnd(toDouble(d.Width) * Scale / 2), pr = cx + rnd(toDouble(d.Width) * Scale / 2);
        const int pt = cy - rnd(toDouble(d.Width) * Scale / 2);
        extensions.push_back(QLine(pl, pt, pl, pt - ext));
        extensions.push_back(QLine(pr, pt, pr, pt - ext));
        dims.push_back(
            { QLine(pl, pt - LS, pr, pt - LS), FormatValue(2, unit, d.Width * (si ? 100 : 12)), false, 1 });
    }
    placeDimensionTexts(dims, extensions,
        { QRect(QPoint(xl, top), QPoint(xr, bottom)), PlacedTexts.back().Box,
            QRect(QPoint(xl - ext, cy - c.PenWidth), QPoint(xl, cy + c.PenWidth)) });
    for (const QLine& line : extensions)
        c.Line(line.x1(), line.y1(), line.x2(), line.y2());
    for (const TSketchDimension& dim : dims)
        DrawDimension(
            dim.at.x1(), dim.at.y1(), dim.at.x2(), dim.at.y2(), dim.text, dim.outside, dim.position);
}
