#include "ui/dialogs/helptables.h"

#include "ui/dialogs/computations.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

void FillHelpTable(TfrmComputations& Form, int Tag)
{
    struct Row {
        const char* name;
        const char* value;
    };
    static const Row kInterfaceRows[] = { { "Rough Concrete", "1.0" }, { "Smooth Concrete", "0.8 - 1.0" },
        { "Rough Steel", "0.7 - 0.9" }, { "Smooth Steel", "0.5 - 0.7" }, { "Timber", "0.8 - 0.9" } };
    static const Row kPileTypeRows[] = { { "Jetted Pile", "1/2 - 2/3" },
        { "Pile - small displacement", "3/4 - 1 1/4" }, { "Pile - large displacement", "1 - 2" } };

    auto fill = [&Form](const QString& first, const QString& second, const auto& rows) {
        Form.SetColumns(QStringLiteral("Help"), { first, second });
        for (const Row& row : rows)
            Form.AddRow(QString::fromUtf8(row.name), { QString::fromUtf8(row.value) });
    };
    if (Tag == kHelpInterfaceTag)
        fill(QStringLiteral("Pile and Soil Interface"), QStringLiteral("PhiS / Phi"), kInterfaceRows);
    else if (Tag == kHelpPileTypeTag)
        fill(QStringLiteral("Pile Type"), QStringLiteral("K / K0"), kPileTypeRows);
}

void ShowHelpTable(int Tag, QWidget* owner)
{
    TfrmComputations form(owner);
    FillHelpTable(form, Tag);
    form.exec();
}

QString BoredPilePageAddress()
{
    return QStringLiteral(FENDRIX_HOME_PAGE "bored-piles/");
}

// ---- reference charts -----------------------------------------------------------------------

namespace {

struct Axis {
    QString title;
    double min = 0;
    double max = 1;
    bool log = false;
    std::vector<double> ticks; // labelled grid lines
};

struct Series {
    QString label;
    QColor color;
    Qt::PenStyle style = Qt::SolidLine;
    std::function<double(double)> y; // of x; NaN leaves a gap
};

double axisPosition(const Axis& axis, double value)
{
    if (axis.log)
        return (std::log10(value) - std::log10(axis.min)) / (std::log10(axis.max) - std::log10(axis.min));
    return (value - axis.min) / (axis.max - axis.min);
}

QString tickText(double value)
{
    return QString::number(value, 'g', 3);
}

// One chart panel: frame, grid, tick labels, axis titles, the curves and their legend.
// The note is HTML, so that exponents are raised.
void drawPanel(QPainter& p, const QRectF& outer, const QString& title, const QString& note, const Axis& x,
    const Axis& y, const std::vector<Series>& series, Qt::Corner legendCorner)
{
    const double unit = outer.height() / 100.0;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(9, int(3.2 * unit)));
    p.setFont(font);
    const QFontMetricsF fm(font);

    const QRectF plot(outer.left() + 11 * unit, outer.top() + 10 * unit, outer.width() - 15 * unit,
        outer.height() - 23 * unit);
    auto toPoint = [&](double vx, double vy) {
        return QPointF(plot.left() + axisPosition(x, vx) * plot.width(),
            plot.bottom() - axisPosition(y, vy) * plot.height());
    };

    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRectF(outer.left(), outer.top() + unit, outer.width(), 5 * unit), Qt::AlignCenter, title);
    p.setFont(font);
    QTextDocument noteText;
    noteText.setDefaultFont(font);
    noteText.setDocumentMargin(0);
    noteText.setTextWidth(outer.width());
    noteText.setHtml(QStringLiteral("<div align=\"center\">") + note + QStringLiteral("</div>"));
    p.save();
    p.translate(outer.left(), outer.top() + 5 * unit);
    noteText.drawContents(&p);
    p.restore();

    // Grid and tick labels.
    p.setPen(QPen(QColor(200, 200, 200), 0));
    for (double t : x.ticks) {
        const double px = toPoint(t, y.min).x();
        p.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
    }
    for (double t : y.ticks) {
        const double py = toPoint(x.min, t).y();
        p.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
    }
    p.setPen(QPen(Qt::black, std::max(1.0, unit * 0.25)));
    p.drawRect(plot);
    for (double t : x.ticks) {
        const QPointF at = toPoint(t, y.min);
        p.drawText(QRectF(at.x() - 10 * unit, plot.bottom() + unit, 20 * unit, fm.height()), Qt::AlignHCenter,
            tickText(t));
    }
    for (double t : y.ticks) {
        const QPointF at = toPoint(x.min, t);
        p.drawText(QRectF(plot.left() - 11 * unit, at.y() - fm.height() / 2, 10 * unit, fm.height()),
            Qt::AlignRight | Qt::AlignVCenter, tickText(t));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + unit + fm.height(), plot.width(), fm.height() * 1.4),
        Qt::AlignCenter, x.title);
    p.save();
    p.translate(outer.left() + 2 * unit, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, -fm.height() / 2, plot.height(), fm.height() * 1.2),
        Qt::AlignCenter, y.title);
    p.restore();

    // Curves, clipped to the plot.
    p.save();
    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing);
    constexpr int kSteps = 200;
    for (const Series& s : series) {
        QPainterPath path;
        bool drawing = false;
        for (int i = 0; i <= kSteps; ++i) {
            const double f = double(i) / kSteps;
            const double vx = x.log
                ? std::pow(10.0, std::log10(x.min) + f * (std::log10(x.max) - std::log10(x.min)))
                : x.min + f * (x.max - x.min);
            const double vy = s.y(vx);
            if (!std::isfinite(vy) || vy <= 0) {
                drawing = false;
                continue;
            }
            const QPointF pt = toPoint(vx, std::clamp(vy, y.min * 0.5, y.max * 2));
            if (drawing)
                path.lineTo(pt);
            else
                path.moveTo(pt);
            drawing = true;
        }
        p.setPen(QPen(s.color, std::max(1.5, unit * 0.6), s.style));
        p.drawPath(path);
    }
    p.restore();

    // Legend in a corner of the plot that the curves leave free.
    const double lineHeight = fm.height() * 1.25;
    double widest = 0;
    for (const Series& s : series)
        widest = std::max(widest, fm.horizontalAdvance(s.label));
    const QSizeF boxSize(widest + 12 * unit, lineHeight * double(series.size()) + unit);
    const bool right = legendCorner == Qt::TopRightCorner || legendCorner == Qt::BottomRightCorner;
    const bool bottom = legendCorner == Qt::BottomLeftCorner || legendCorner == Qt::BottomRightCorner;
    const QRectF box(QPointF(right ? plot.right() - 2 * unit - boxSize.width() : plot.left() + 2 * unit,
                         bottom ? plot.bottom() - 2 * unit - boxSize.height() : plot.top() + 2 * unit),
        boxSize);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    p.drawRect(box);
    for (std::size_t i = 0; i < series.size(); ++i) {
        const double ly = box.top() + unit / 2 + lineHeight * (double(i) + 0.5);
        p.setPen(QPen(series[i].color, std::max(1.5, unit * 0.6), series[i].style));
        p.drawLine(QPointF(box.left() + unit, ly), QPointF(box.left() + 8 * unit, ly));
        p.setPen(Qt::black);
        p.drawText(QRectF(box.left() + 10 * unit, ly - fm.height() / 2, widest + unit, fm.height()),
            Qt::AlignLeft | Qt::AlignVCenter, series[i].label);
    }
    p.setBrush(Qt::NoBrush);
}

// Normalized undrained strength of a clay against its overconsolidation ratio (the SHANSEP form
// su / s'v0 = S OCR^m with m = 0.8), and the ratio for a given strength.
constexpr double kShansepExponent = 0.8;
double strengthRatio(double s, double ocr)
{
    return s * std::pow(ocr, kShansepExponent);
}
double ocrFromStrength(double s, double ratio)
{
    return std::pow(ratio / s, 1.0 / kShansepExponent);
}

// Preconsolidation stress of a clay from its SPT blow count: s'p = 0.47 N60 pa.
constexpr double kAtmosphereKPa = 101.325;
double ocrFromBlowCount(double n60, double sigmaKPa)
{
    return 0.47 * n60 * kAtmosphereKPa / sigmaKPa;
}

const QColor kCurveColors[]
    = { QColor(0, 70, 160), QColor(190, 30, 30), QColor(0, 130, 60), QColor(120, 60, 160) };

std::vector<Series> shansepSeries(bool ocrOfRatio)
{
    std::vector<Series> series;
    const double values[] = { 0.16, 0.22, 0.28 };
    const Qt::PenStyle styles[] = { Qt::DashLine, Qt::SolidLine, Qt::DashLine };
    for (int i = 0; i < 3; ++i) {
        const double s = values[i];
        Series curve;
        curve.label = QStringLiteral("S = %1").arg(s, 0, 'f', 2);
        curve.color = kCurveColors[i];
        curve.style = styles[i];
        if (ocrOfRatio)
            curve.y = [s](double ratio) { return ocrFromStrength(s, ratio); };
        else
            curve.y = [s](double ocr) { return strengthRatio(s, ocr); };
        series.push_back(curve);
    }
    return series;
}

void drawOcrChart(QPainter& p, const QSizeF& size)
{
    const QChar sigma(0x03C3);
    const QString sigmaV = sigma + QStringLiteral("'v0");
    Axis ocr { QStringLiteral("OCR"), 1, 50, true, { 1, 2, 5, 10, 20, 50 } };

    Axis ratio { QStringLiteral("su(FV) / ") + sigmaV, 0.1, 3, true, { 0.1, 0.2, 0.5, 1, 2, 3 } };
    drawPanel(p, QRectF(0, 0, size.width() / 2, size.height()),
        QStringLiteral("OCR from field vane strength"),
        QStringLiteral("su / ") + sigmaV + QStringLiteral(" = S OCR<sup>0.8</sup>"), ratio, ocr,
        shansepSeries(true), Qt::TopLeftCorner);

    Axis blows { QStringLiteral("SPT N60 (blows/ft)"), 0, 50, false, { 0, 10, 20, 30, 40, 50 } };
    std::vector<Series> series;
    const double stresses[] = { 25, 50, 100, 200 };
    for (int i = 0; i < 4; ++i) {
        const double sigmaKPa = stresses[i];
        Series curve;
        curve.label = sigmaV
            + QStringLiteral(" = %1 kPa (%2 ksf)").arg(sigmaKPa).arg(sigmaKPa * 0.0208854, 0, 'f', 1);
        curve.color = kCurveColors[i];
        curve.y = [sigmaKPa](double n) { return ocrFromBlowCount(n, sigmaKPa); };
        series.push_back(curve);
    }
    drawPanel(p, QRectF(size.width() / 2, 0, size.width() / 2, size.height()),
        QStringLiteral("OCR from SPT N"),
        sigma + QStringLiteral("'p = 0.47 N<sub>60</sub> pa,  OCR = ") + sigma + QStringLiteral("'p / ")
            + sigmaV,
        blows, ocr, series, Qt::BottomRightCorner);
}

void drawSuSigmaVChart(QPainter& p, const QSizeF& size)
{
    const QString sigmaV = QChar(0x03C3) + QStringLiteral("'v0");
    Axis ocr { QStringLiteral("OCR"), 1, 25, true, { 1, 2, 5, 10, 25 } };
    Axis ratio { QStringLiteral("su / ") + sigmaV, 0.1, 3, true, { 0.1, 0.2, 0.3, 0.5, 1, 2, 3 } };
    drawPanel(p, QRectF(QPointF(0, 0), size), QStringLiteral("Normalized undrained strength"),
        QStringLiteral("su / ") + sigmaV + QStringLiteral(" = S OCR<sup>0.8</sup>"), ocr, ratio,
        shansepSeries(false), Qt::BottomRightCorner);
}

} // namespace

QImage HelpPicture(int Tag, const QSize& size)
{
    if ((Tag != kHelpOcrChartTag && Tag != kHelpSuSigmaVChartTag) || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (Tag == kHelpOcrChartTag)
        drawOcrChart(painter, QSizeF(size));
    else
        drawSuSigmaVChart(painter, QSizeF(size));
    return image;
}
