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

// ---- reinforced concrete ----------------------------------------------------------------------

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
    const int w2 = 2 * c.TextWidth(QStringLiteral("XXXX"));

    int left = w2;
    int right = Width - w2;
    int top = 2 * FS;
    int side = right - left;
    int bottom;
    if (Height >= top + side) {
        top = (Height - side) / 2;
        bottom = top + side;
    } else {
        bottom = Height - 2 * FS;
        side = bottom - top;
        left = (Width - side) / 2;
        right = left + side;
    }
    if (side <= 0)
        return;
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
    c.PenColor = Qt::black;
    c.PenWidth = 1;
    c.BrushColor = Qt::black;
    c.BrushStyle = bsSolid;
    QPoint firstBar(cx, cy);
    const int count = std::max(0, d.BarCount);
    for (int i = 0; i < count; ++i) {
        const double theta = i * 2 * std::numbers::pi / count;
        const QPoint centre(rnd(cx + std::sin(theta) * R), rnd(cy - std::cos(theta) * R));
        if (i == 0)
            firstBar = centre;
        const int rr = rnd(r);
        c.Ellipse(centre.x() - rr, centre.y() - rr, centre.x() + rr + 1, centre.y() + rr + 1);
    }

    // callouts
    c.PenColor = kCallout;
    c.PenWidth = LineWidth();
    c.BrushStyle = bsClear;
    c.SetFontHeight(FS);
    c.Line(left - w2 / 2, top - rnd(0.75 * FS), firstBar.x(), firstBar.y());
    DrawCallout(left - w2, top - rnd(1.5 * FS), left, top,
        QString::asprintf("%d %s vert. bars", d.BarCount, d.BarName(d.BarSize).c_str()));

    // cover: from its box toward the centre, ticked at the surface and at the tie
    {
        const double sx = right - w2 / 4.0;
        const double sy = top - rnd(0.75 * FS);
        const double dx = cx - sx, dy = cy - sy;
        const double dist = std::hypot(dx, dy);
        const auto along = [&](double radius) {
            const double k = (dist - radius) / dist;
            return QPoint(rnd(sx + dx * k), rnd(sy + dy * k));
        };
        const QPoint surface = along(side / 2.0);
        const QPoint tie = along(side / 2.0 - cover);
        c.Line(rnd(sx), rnd(sy), tie.x(), tie.y());
        // The leader always runs down and to the left, so the ticks lean the other way to cross it.
        for (const QPoint& p : { surface, tie })
            c.Line(p.x() - FS / 4, p.y() - FS / 4, p.x() + FS / 4, p.y() + FS / 4);
        DrawCallout(right - w2 / 2, top - rnd(1.5 * FS), right + w2 / 2, top, coverText(d, barUnit));
    }

    // diameter across the centre
    c.Line(left, cy, right, cy);
    for (int x : { left, right })
        c.Line(x - FS / 2, cy - FS / 2, x + FS / 2, cy + FS / 2);
    DrawCallout(right + FS, cy - rnd(0.75 * FS), right + w2 / 2, cy + rnd(0.75 * FS),
        FormatValue(FieldLimitOf(2).Decimals, lengthUnit, d.Width));

    // tie callout, ending on the tie circle
    {
        const double sx = right - w2 / 2.0;
        const double sy = bottom + 1 + rnd(0.75 * FS);
        const double dx = cx - sx, dy = cy - sy;
        const double dist = std::hypot(dx, dy);
        const double radius = side / 2.0 - cover - rnd(tieBar.Diameter / 2 * s);
        const double k = (dist - radius) / dist;
        c.Line(rnd(sx), rnd(sy), rnd(sx + dx * k), rnd(sy + dy * k));
        DrawCallout(right - w2, bottom + 1, right, bottom + 1 + rnd(1.5 * FS), tieText(d, barUnit));
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
    const int w2 = 2 * c.TextWidth(QStringLiteral("XXXX"));

    const double freeW = Width - 2.0 * w2;
    const double freeH = Height - 4.0 * FS;
    const double scale = std::min(freeW / toDouble(d.Width), freeH / toDouble(d.Width2));
    if (!(scale > 0))
        return;
    const int left = Width / 2 - rnd(toDouble(d.Width) * scale / 2);
    const int right = Width / 2 + rnd(toDouble(d.Width) * scale / 2);
    const int top = Height / 2 - rnd(toDouble(d.Width2) * scale / 2);
    const int bottom = Height / 2 + rnd(toDouble(d.Width2) * scale / 2);
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
    c.SetFontHeight(FS);
    const int xm = (left + right) / 2;
    const int aboveTop = top - rnd(1.8 * FS), aboveBottom = top - rnd(0.3 * FS);
    const int belowTop = bottom + 1 + rnd(0.3 * FS), belowBottom = bottom + 1 + rnd(1.8 * FS);

    c.Line(left - w2 / 2, top - rnd(0.75 * FS), xl, yt);
    const int barsLeft = std::max(2, left - w2);
    DrawCallout(barsLeft, aboveTop, barsLeft + w2, aboveBottom,
        QString::asprintf("%d %s vert. bars", d.BarCount, d.BarName(d.BarSize).c_str()));

    c.Line(xm, top - rnd(0.75 * FS), xm, top + cover + rnd(0.75 * FS));
    for (int y : { top, top + cover })
        c.Line(xm - FS / 2, y - FS / 2, xm + FS / 2, y + FS / 2);
    DrawCallout(xm + FS, aboveTop, xm + FS + w2, aboveBottom, coverText(d, barUnit));

    c.Line(xm, bottom + 1 + rnd(0.75 * FS), xm, bottom - cover);
    DrawCallout(xm - w2 / 2, belowTop, xm + w2 / 2, belowBottom, tieText(d, barUnit));
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
    // flange width
    c.Line(fl, bottom, fl, bottom + ext);
    c.Line(fr, bottom, fr, bottom + ext);
    DrawDimension(fl, bottom + LS, fr, bottom + LS, FormatValue(2, unit, bf / unitDiv), false, 2);
    // depth
    c.Line(fr, top, fr + ext, top);
    c.Line(fr, bottom, fr + ext, bottom);
    DrawDimension(fr + LS, top, fr + LS, bottom, FormatValue(2, unit, dd / unitDiv), false, 2);
    // flange thickness
    const int xt = fl + rnd((wl - fl) / 3.0);
    DrawDimension(xt, top, xt, top + tfp, FormatValue(2, unit, tf / unitDiv), true, 1);
    // web thickness
    const int yw = bottom - rnd((bottom - top) / 4.0);
    DrawDimension(wl, yw, wr, yw, FormatValue(2, unit, tw / unitDiv), true, 1);
    // the pile's width above, unless the pile is square
    if (d.Shape != psSquare) {
        const int pl = cx - rnd(toDouble(d.Width) * Scale / 2), pr = cx + rnd(toDouble(d.Width) * Scale / 2);
        const int pt = cy - rnd(toDouble(d.Width2) * Scale / 2);
        c.Line(pl, pt, pl, pt - ext);
        c.Line(pr, pt, pr, pt - ext);
        DrawDimension(pl, pt - LS, pr, pt - LS, FormatValue(2, unit, d.Width * (si ? 100 : 12)), false, 1);
    }
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
    const double freeW = Width - 4.0 * LS;
    const double freeH = Height - 4.0 * LS;
    const int cx = rnd(freeW / 2) + 2 * LS;
    const int cy = rnd(freeH / 2) + 2 * LS;
    const double tnom = toDouble(d.PipeShape.tnom), tdes = toDouble(d.PipeShape.tdes);
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
    c.BrushColor = d.SteelInput.ConcreteFilled ? QColor(199, 199, 199) : QColor(Qt::white);
    c.Ellipse(xl + wall, top + wall, xr - wall, bottom - wall);

    c.PenColor = Qt::black;
    c.BrushColor = Qt::white;
    c.SetFontHeight(FontSize());
    const int ext = rnd(1.5 * LS);
    c.Line(xl, bottom, xl, bottom + ext);
    c.Line(xr, bottom, xr, bottom + ext);
    DrawDimension(xl, bottom + LS, xr, bottom + LS, FormatValue(2, unit, si ? D / 10 : D), false, 2);
    if (d.Shape != psCircle) {
        const int pl = cx - rnd(toDouble(d.Width) * Scale / 2), pr = cx + rnd(toDouble(d.Width) * Scale / 2);
        const int pt = cy - rnd(toDouble(d.Width) * Scale / 2);
        c.Line(pl, pt, pl, pt - ext);
        c.Line(pr, pt, pr, pt - ext);
        DrawDimension(pl, pt - LS, pr, pt - LS, FormatValue(2, unit, d.Width * (si ? 100 : 12)), false, 1);
    }
    // wall thickness, to the left at mid-height
    c.Line(xl, cy, xl - ext, cy);
    DrawLabel(xl - EleventhsOfWidth(1), cy - rnd(1.7 * FontSize()), xl, cy - rnd(0.3 * FontSize()),
        FormatValue(si ? 2 : 3, si ? QStringLiteral("mm") : QStringLiteral("in"), tnom), kNoBackground, false,
        2);
}
