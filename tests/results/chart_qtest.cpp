// The chart component the graphs render with: value-to-pixel mapping with inversion, series
// extremes, fixed and grown label increments, events, and undefined values.
#include "platform/qt/chart.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace platform;

class ChartTest : public QObject {
    Q_OBJECT
private slots:
    // Texts are compared with ".": the cases of another locale set it themselves.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void mapsValuesAcrossThePlot();
    void seriesExtremes();
    void fixedIncrementLabels();
    void crowdedIncrementGrows();
    void eventsRunInOrder();
    void blankedLabelIsNotWritten();
    void undefinedPointsBreakTheLine();
    void labelTexts();
};

void ChartTest::mapsValuesAcrossThePlot()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->AddXY(0, 10);
    s->AddXY(40, 30);
    chart.RenderToImage(400, 300, Qt::white);
    const QRect r = chart.ChartRect();
    QVERIFY(r.width() > 200 && r.height() > 150);
    QCOMPARE(chart.TopAxis.CalcPosValue(0), r.left());
    QCOMPARE(chart.TopAxis.CalcPosValue(40), r.right());
    QCOMPARE(chart.RightAxis.CalcPosValue(10), r.bottom());
    QCOMPARE(chart.RightAxis.CalcPosValue(30), r.top());
    QCOMPARE(chart.TopAxis.PosAxis(), r.top());
    QCOMPARE(chart.RightAxis.PosAxis(), r.right());
    QVERIFY(chart.RightAxis.PosLabels() > r.right());

    chart.TopAxis.Inverted = true;
    chart.RightAxis.Inverted = true;
    chart.RenderToImage(400, 300, Qt::white);
    const QRect ri = chart.ChartRect();
    QCOMPARE(chart.TopAxis.CalcPosValue(0), ri.right());
    QCOMPARE(chart.TopAxis.CalcPosValue(40), ri.left());
    QCOMPARE(chart.RightAxis.CalcPosValue(10), ri.top());
    QCOMPARE(s->CalcXPos(1), ri.left());
    QCOMPARE(s->CalcYPos(1), ri.bottom());
    QCOMPARE(chart.TopAxis.CalcPosValue(20), (ri.left() + ri.right() + 1) / 2);
}

void ChartTest::seriesExtremes()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Points);
    QCOMPARE(s->MinXValue(), 0.0);
    QCOMPARE(s->MaxYValue(), 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    s->AddXY(nan, -3);
    s->AddXY(2, nan);
    s->AddXY(-1, 5);
    QCOMPARE(s->MinXValue(), -1.0);
    QCOMPARE(s->MaxXValue(), 2.0);
    QCOMPARE(s->MinYValue(), -3.0);
    QCOMPARE(s->MaxYValue(), 5.0);
    QCOMPARE(s->Count(), 3);
    s->Clear();
    QCOMPARE(s->Count(), 0);
}

namespace {
QStringList labelsOf(TChart& chart, TChartAxis& axis, int w, int h)
{
    QStringList seen;
    chart.OnGetAxisLabel = [&](TChartAxis& a, QString& text) {
        if (&a == &axis)
            seen << text;
    };
    chart.RenderToImage(w, h, Qt::white);
    return seen;
}
} // namespace

void ChartTest::fixedIncrementLabels()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->AddXY(0, 0);
    s->AddXY(40, 2.5);
    chart.TopAxis.Increment = 5;
    chart.TopAxis.LabelsAngle = 270;
    QCOMPARE(labelsOf(chart, chart.TopAxis, 500, 300),
        QStringList({ "0", "5", "10", "15", "20", "25", "30", "35", "40" }));
    chart.RightAxis.Increment = 0.5;
    QCOMPARE(labelsOf(chart, chart.RightAxis, 300, 500), QStringList({ "0", "0.5", "1", "1.5", "2", "2.5" }));
}

void ChartTest::crowdedIncrementGrows()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->AddXY(0, 0);
    s->AddXY(1000, 1);
    chart.TopAxis.Increment = 1;
    const QStringList labels = labelsOf(chart, chart.TopAxis, 300, 200);
    QVERIFY(labels.size() >= 2 && labels.size() < 30);
    // Still whole multiples of the increment, evenly spaced.
    const double step = labels[1].toDouble() - labels[0].toDouble();
    QVERIFY(step >= 1 && std::fmod(step, 1.0) == 0);
    // An increment larger than the range leaves the first label alone.
    chart.TopAxis.Increment = 5000;
    QCOMPARE(labelsOf(chart, chart.TopAxis, 300, 200), QStringList({ "0" }));
}

void ChartTest::eventsRunInOrder()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->AddXY(0, 0);
    s->AddXY(1, 1);
    QStringList order;
    chart.OnBeforeDrawAxes = [&](TChart& c) {
        QVERIFY(c.Canvas() != nullptr);
        order << "before";
    };
    chart.OnGetAxisLabel = [&](TChartAxis&, QString&) {
        if (order.isEmpty() || order.last() != "label")
            order << "label";
    };
    chart.OnAfterDraw = [&](TChart& c) {
        // The canvas is the render's: a mark drawn here lands in the picture.
        c.Canvas()->fillRect(QRect(0, 0, 3, 3), Qt::magenta);
        order << "after";
    };
    const QImage image = chart.RenderToImage(200, 150, Qt::white);
    QCOMPARE(order, QStringList({ "before", "label", "after" }));
    QCOMPARE(QColor(image.pixel(1, 1)), QColor(Qt::magenta));
    QVERIFY(chart.Canvas() == nullptr);
}

void ChartTest::blankedLabelIsNotWritten()
{
    TChart chart;
    chart.BevelOuter = false;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->Pointer.Visible = false;
    s->AddXY(0, 0);
    s->AddXY(10, 10);
    chart.RightAxis.Increment = 5;
    chart.TopAxis.Increment = 5;
    const auto inkRightOfPlot = [&](const QImage& img) {
        int ink = 0;
        const QRect r = chart.ChartRect();
        for (int y = 0; y < img.height(); ++y)
            for (int x = r.right() + 6; x < img.width(); ++x)
                ink += QColor(img.pixel(x, y)).lightness() < 128;
        return ink;
    };
    const int withLabels = inkRightOfPlot(chart.RenderToImage(300, 300, Qt::white));
    chart.OnGetAxisLabel = [&](TChartAxis& a, QString& text) {
        if (&a == &chart.RightAxis)
            text.clear();
    };
    const int without = inkRightOfPlot(chart.RenderToImage(300, 300, Qt::white));
    QVERIFY(withLabels > 0);
    QCOMPARE(without, 0);
}

void ChartTest::undefinedPointsBreakTheLine()
{
    TChart chart;
    TChartSeries* s = chart.AddSeries(TChartSeries::TKind::Line);
    s->HorizAxis = &chart.TopAxis;
    s->VertAxis = &chart.RightAxis;
    s->SeriesColor = QColor(0, 0, 160);
    s->Pointer.Visible = false;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    s->AddXY(0, 0);
    s->AddXY(10, nan);
    s->AddXY(20, 0);
    s->AddXY(30, 10);
    const QImage image = chart.RenderToImage(400, 300, Qt::white);
    // The undefined point is nowhere on the picture.
    QVERIFY(!image.rect().contains(s->CalcXPos(1), s->CalcYPos(1)));
    // No line from node 0 to node 2 (both at y 0): the middle of that span is empty.
    const int y = s->CalcYPos(0);
    const int xMid = (s->CalcXPos(0) + s->CalcXPos(2)) / 2;
    QVERIFY(QColor(image.pixel(xMid, y - 2)) != QColor(0, 0, 160));
    // The segment from node 2 to node 3 is drawn.
    const int x23 = (s->CalcXPos(2) + s->CalcXPos(3)) / 2;
    const int y23 = (s->CalcYPos(2) + s->CalcYPos(3)) / 2;
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy)
        for (int dx = -2; dx <= 2 && !found; ++dx)
            found = QColor(image.pixel(x23 + dx, y23 + dy)) == QColor(0, 0, 160);
    QVERIFY(found);
}

void ChartTest::labelTexts()
{
    // Plain numbers are in fixedIncrementLabels: here the sign of a tiny value, long numbers and
    // the decimal comma.
    QCOMPARE(TChart::FormatLabel(-0.0001), QStringLiteral("0"));
    QCOMPARE(TChart::FormatLabel(12345.678), QStringLiteral("12345.678"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(TChart::FormatLabel(2.5), QStringLiteral("2,5"));
    QCOMPARE(TChart::FormatLabel(12345.678), QStringLiteral("12345,678"));
}

QTEST_MAIN(ChartTest)
#include "chart_qtest.moc"
