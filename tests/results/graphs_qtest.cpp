// The graph window filled from the demo projects: one point per node with the model's values,
// depth increasing downward and values to the right, the pictures each kind shows, increments,
// value marks, the mouse read-out, and the pictures against their baseline.
#include "picturebaseline.h"
#include "results/graphs.h"
#include "resultstest.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

class GraphsTest : public QObject {
    Q_OBJECT
private slots:
    // Texts are compared with ".": the cases of another locale set it themselves.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void hitListsHoldTheModelsValues();
    void picturesPackFromTheLeft();
    void depthRunsDownAndValuesRight();
    void loadPointBeyondTheDiagramStaysInside();
    void niceIncrements();
    void zeroRangeKeepsIncrement();
    void valueMarkTexts();
    void labelsNearTheMaximumAreBlanked();
    void textsStandClear();
    void mouseReadOut();
    void firstStoredHitWins();
    void formShowKeepsWindowOnScreen();
    void undefinedValuesAreDrawnWithoutHarm();
    void picturesMatchBaseline();
};

void GraphsTest::hitListsHoldTheModelsValues()
{
    using N = TNodeResult;
    struct Case {
        TGraphKind kind;
        THitList list;
        Extended N::*x;
        Extended N::*y; // none: the x values alone are the model's
        bool inThousands; // the effective capacities of an English project read in kips
    };
    const Case cases[] = { { gkAllLateral, THitList::Shear, &N::Depth, &N::Shear, false },
        { gkAllLateral, THitList::Moment, &N::Depth, &N::Moment, false },
        { gkAllLateral, THitList::Deflection, &N::Depth, &N::Deflection, false },
        { gkAllLateral, THitList::Induced, &N::Depth, &N::SoilPressure, false },
        { gkAllLateral, THitList::Allowable, &N::Depth, &N::AllowSoilPressure, false },
        { gkAllVertical, THitList::SideFriction, &N::Depth, &N::QSideAllow, false },
        { gkAllVertical, THitList::EndBearing, &N::Depth, &N::QEndAllow, false },
        { gkAllVertical, THitList::Capacity, &N::Depth, &N::Capacity, false },
        { gkAllVertical, THitList::Movement, &N::Settlement, &N::Capacity, false },
        { gkAllVertical, THitList::PileLoad, &N::Depth, &N::PileLoad, false },
        { gkAllVertical, THitList::EffStress, &N::Depth, &N::SigmaVEff, false },
        { gkAllEffective, THitList::EffSide, &N::Depth, &N::EffSideAllow, true },
        { gkAllEffective, THitList::EffCapacity, &N::Depth, &N::EffTotalAllow, true },
        { gkAllEffective, THitList::EffMovement, &N::EffMovement, nullptr, false } };
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        const auto data = LoadDemo(units);
        // The model's shear is not flat, so the graphs have something to show.
        QVERIFY(data->Node(1).Shear != data->Node(20).Shear);
        for (const Case& c : cases) {
            TfrmGraphs g;
            g.ShowGraphs(*data, c.kind);
            const double divisor = c.inThousands && units == kUnitsUS ? 1000 : 1;
            const TGraphHitList& list = g.HitList(c.list);
            QCOMPARE(int(list.size()), kNodeCount);
            for (int k = 1; k <= kNodeCount; ++k) {
                const TNodeResult& node = data->Node(k);
                QCOMPARE(list[k - 1].X, double(node.*c.x));
                if (c.y)
                    QCOMPARE(list[k - 1].Y, double(node.*c.y) / divisor);
            }
        }
    }
}

void GraphsTest::picturesPackFromTheLeft()
{
    const auto data = LoadDemo(kUnitsUS);
    const struct {
        TGraphKind kind;
        std::vector<int> shown;
    } cases[] = { { gkAllLateral, { 1, 2, 3, 4 } }, { gkAllVertical, { 1, 3, 5, 6 } },
        { gkAllEffective, { 2, 4 } }, { gkMoment, { 2 } } };
    for (const auto& c : cases) {
        TfrmGraphs g;
        g.ShowGraphs(*data, c.kind);
        for (int n = 1; n <= 6; ++n) {
            const auto at = std::find(c.shown.begin(), c.shown.end(), n);
            QCOMPARE(g.ImageN(n)->isHidden(), at == c.shown.end());
            if (at != c.shown.end())
                QCOMPARE(g.ImageN(n)->x(), 244 * int(at - c.shown.begin()));
        }
        QCOMPARE(g.width(), 244 * int(c.shown.size()));
        // At the screen's own pixels (twice as many on a screen scaled by 2).
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QCOMPARE(g.ImageN(c.shown.front())->devicePixelRatioF(),
                qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        const QImage picture = g.GraphPicture(c.shown.front());
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(244, 410));
        QCOMPARE(
            picture.size(), (QSizeF(244, 410) * g.ImageN(c.shown.front())->devicePixelRatioF()).toSize());
    }
    // A kind with no graph of its own leaves only the status bar.
    TfrmGraphs g;
    g.ShowGraphs(*data, gkEffPileLoad);
    for (int n = 1; n <= 6; ++n)
        QVERIFY(g.ImageN(n)->isHidden());
    QVERIFY(!g.StatusBar1->isHidden());
    QCOMPARE(g.height(), 19);
}

void GraphsTest::depthRunsDownAndValuesRight()
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        const auto data = LoadDemo(units);
        TfrmGraphs g;
        g.ShowGraphs(*data, gkAllLateral);
        for (THitList which : { THitList::Shear, THitList::Moment, THitList::Deflection }) {
            const TGraphHitList& list = g.HitList(which);
            for (int i = 1; i < kNodeCount; ++i)
                QVERIFY2(list[i].PixelY > list[i - 1].PixelY, "depth increases downward");
            // The first node sits at the top of the plot, the last near the bottom of the picture.
            QVERIFY(list.front().PixelY < 410 / 4);
            QVERIFY(list.back().PixelY > 410 * 3 / 4);
            for (int i = 0; i < kNodeCount; ++i)
                for (int j = 0; j < kNodeCount; ++j)
                    if (list[i].Y > list[j].Y + 1e-9)
                        QVERIFY2(list[i].PixelX >= list[j].PixelX, "values increase to the right");
        }
        // The line is drawn where the read-out says the points are.
        const QImage shear = g.GraphPicture(1);
        for (const TGraphHitPoint& p : g.HitList(THitList::Shear))
            QVERIFY(ColourNear(shear, p.PixelX, p.PixelY, QColor(0, 0, 160), 3));
    }
}

void GraphsTest::loadPointBeyondTheDiagramStaysInside()
{
    // A load point beyond the diagram sets the axis end: the axes keep a margin past it, so its
    // marker stands inside the frame, on screen and for print.
    auto beyond = LoadDemo(kUnitsUS);
    QVERIFY(beyond->StructuralDesign && beyond->IsConcrete());
    double maxMoment = 0, maxLoad = 0;
    for (const TInteractionPoint& p : beyond->InteractionPoints) {
        maxMoment = std::max(maxMoment, double(p.PhiMn));
        maxLoad = std::max(maxLoad, double(p.PhiPn));
    }
    beyond->LoadCases[0].Mu = std::ceil(maxMoment * 1.5);
    beyond->LoadCases[0].Pu = std::ceil(std::max(maxLoad, double(beyond->P0)) * 1.5);
    for (bool print : { false, true }) {
        TfrmGraphs h;
        if (print)
            h.PrepareForPrint();
        h.ShowGraphs(*beyond, gkInteraction);
        for (const platform::TChartAxis* axis : { &h.Chart1->RightAxis, &h.Chart1->TopAxis }) {
            const double value = axis == &h.Chart1->RightAxis ? double(beyond->LoadCases[0].Mu)
                                                              : double(beyond->LoadCases[0].Pu);
            const double range = axis->Maximum() - axis->Minimum();
            QVERIFY2(axis->Maximum() - value >= 0.04 * range,
                qPrintable(QStringLiteral("%1 ends at %2").arg(value).arg(axis->Maximum())));
        }
    }
}

void GraphsTest::niceIncrements()
{
    for (const auto& [range, increment] :
        { std::pair { 12.5, 0.0 }, { 13.0, 5.0 }, { 50.0, 10.0 }, { 90.0, 20.0 }, { 37.5, 10.0 },
            { 62.5, 10.0 }, { 87.5, 20.0 }, { 1300.0, 500.0 }, { 1.25, 0.0 }, { 0.4, 0.1 }, { 0.0, 0.0 } })
        QVERIFY2(std::fabs(TfrmGraphs::NiceIncrement(range) - increment) < 1e-12,
            qPrintable(QString::number(range)));
}

void GraphsTest::zeroRangeKeepsIncrement()
{
    TfrmGraphs g;
    g.Series1->Clear();
    g.Series2->Clear();
    g.Series1->AddXY(3, 7);
    g.Series1->AddXY(3, 7);
    g.Chart1->TopAxis.Increment = 5;
    g.Chart1->RightAxis.Increment = 0;
    g.SetNiceIncrements();
    QCOMPARE(g.Chart1->TopAxis.Increment, 5.0);
    QCOMPARE(g.Chart1->RightAxis.Increment, 0.0);
    // The larger range of the first two series decides.
    g.Series2->AddXY(0, 0);
    g.Series2->AddXY(50, 90);
    g.SetNiceIncrements();
    QCOMPARE(g.Chart1->TopAxis.Increment, 10.0);
    QCOMPARE(g.Chart1->RightAxis.Increment, 20.0);
    // An inactive series (a previous graph's points) does not count: the capacity-versus-movement
    // graph after the capacity graph gets increments from the movements, not from the depths.
    g.Series1->Clear();
    g.Series1->AddXY(0, 0);
    g.Series1->AddXY(0.4, 130);
    g.Series2->Active = false;
    g.SetNiceIncrements();
    QVERIFY(std::fabs(g.Chart1->TopAxis.Increment - 0.1) < 1e-12);
    QCOMPARE(g.Chart1->RightAxis.Increment, 50.0);
}

void GraphsTest::valueMarkTexts()
{
    QCOMPARE(TfrmGraphs::ValueMarkText(1234.567), QStringLiteral("1235"));
    QCOMPARE(TfrmGraphs::ValueMarkText(123.456), QStringLiteral("123.5"));
    QCOMPARE(TfrmGraphs::ValueMarkText(12.5), QStringLiteral("12.50"));
    QCOMPARE(TfrmGraphs::ValueMarkText(-12.5), QStringLiteral("-12.5"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(TfrmGraphs::ValueMarkText(123.456), QStringLiteral("123,5"));
    QCOMPARE(TfrmGraphs::ValueMarkText(1234.567), QStringLiteral("1235"));
}

void GraphsTest::labelsNearTheMaximumAreBlanked()
{
    // A label outside the tenth of the maximum but close enough on the axis to run into the
    // mark ("60" beside "67.00") is blanked too: no kept label touches the mark or its line.
    {
        auto data = LoadDemo(kUnitsUS);
        for (int k = 1; k <= kNodeCount; ++k)
            data->Node(k).Shear = 67.0L * (k - 1) / (kNodeCount - 1);
        TfrmGraphs g;
        g.ShowGraphs(*data, gkShear);
        QCOMPARE(g.MaxY, 67.0);
        const auto& texts = g.PlacedTexts(1);
        QVERIFY(std::any_of(
            texts.begin(), texts.end(), [](const auto& t) { return t.Text == QLatin1String("67.00"); }));
        const QStringList faults = LayoutFaults(texts, g.DrawnLines(1), g.GraphPicture(1).rect());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    TfrmGraphs g;
    g.MaxMarkOn = true;
    g.MaxY = 50;
    const auto label = [&](platform::TChartAxis& axis, const char* text) {
        QString t = QString::fromLatin1(text);
        g.Chart1GetAxisLabel(axis, t);
        return t;
    };
    auto& y = g.Chart1->RightAxis;
    QCOMPARE(label(y, "45"), QStringLiteral("45"));
    QCOMPARE(label(y, "45.5"), QString());
    QCOMPARE(label(y, "54.9"), QString());
    QCOMPARE(label(y, "55"), QStringLiteral("55"));
    QCOMPARE(label(y, "x"), QStringLiteral("x"));
    QCOMPARE(label(g.Chart1->TopAxis, "50"), QStringLiteral("50"));
    g.MaxY = -50;
    QCOMPARE(label(y, "-50"), QStringLiteral("-50"));
    g.MaxY = 50;
    // Axis labels carry the locale's separator.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(label(y, "45,5"), QString());
    QCOMPARE(label(y, "54,9"), QString());
    QCOMPARE(label(y, "55"), QStringLiteral("55"));
    g.MaxMarkOn = false;
    QCOMPARE(label(y, "50"), QStringLiteral("50"));
}

// Every graph kind on screen and for print, for each baseline project and pile shape: no text
// (axis labels and titles, legend, value marks) reaches the picture's edge, meets another or is
// struck by a line (axis lines, ticks, the value marks' lines), and each marked graph writes its
// marks.
void GraphsTest::textsStandClear()
{
    QStringList faults;
    int pictures = 0, marks = 0;
    for (BaselineProject& project : BaselineProjects()) {
        for (TPileShape shape : { psSquare, psCircle }) {
            ReshapePile(*project.data, shape, piRoughConcrete);
            for (int kind = gkAllLateral; kind <= gkEffectiveStress; ++kind)
                for (bool print : { false, true }) {
                    TfrmGraphs g;
                    if (print)
                        g.PrepareForPrint();
                    g.ShowGraphs(*project.data, TGraphKind(kind));
                    for (int n = 1; n <= 6; ++n) {
                        if (g.ImageN(n)->isHidden())
                            continue;
                        ++pictures;
                        const QImage picture = g.GraphPicture(n);
                        for (const platform::TPlacedText& t : g.PlacedTexts(n))
                            marks += t.Text == TfrmGraphs::ValueMarkText(g.MaxY);
                        for (const QString& fault :
                            LayoutFaults(g.PlacedTexts(n), g.DrawnLines(n), picture.rect()))
                            faults << QStringLiteral("\n%1 shape %2 kind %3%4 Image%5: %6")
                                          .arg(QLatin1String(project.name))
                                          .arg(int(shape))
                                          .arg(kind)
                                          .arg(print ? QStringLiteral(" print") : QString())
                                          .arg(n)
                                          .arg(fault);
                    }
                }
        }
    }
    QVERIFY(pictures > 200);
    QVERIFY(marks > 50);
    QVERIFY2(
        faults.isEmpty(), qPrintable(QString::number(faults.size()) + faults.mid(0, 20).join(QString())));
}

void GraphsTest::mouseReadOut()
{
    const auto data = LoadDemo(kUnitsUS);
    TfrmGraphs g;
    g.ShowGraphs(*data, gkAllLateral);
    const TGraphHitPoint p = g.HitList(THitList::Shear)[4];
    g.Image1MouseMove(g.Image1, p.PixelX + 5, p.PixelY - 5);
    QCOMPARE(g.StatusBar1->currentMessage(), QString::asprintf("  Shear: %.2f    Depth: %.2f", p.Y, p.X));
    g.Image1MouseMove(g.Image1, -100, -100);
    QCOMPARE(g.StatusBar1->currentMessage(), QString());
    // The soil-pressure picture tries the induced list first, then the allowable one.
    const TGraphHitPoint a = g.HitList(THitList::Allowable)[20];
    const TGraphHitPoint i = g.HitList(THitList::Induced)[20];
    g.Image1MouseMove(g.Image4, a.PixelX, a.PixelY);
    const bool onInduced = std::abs(i.PixelX - a.PixelX) <= 5 && std::abs(i.PixelY - a.PixelY) <= 5;
    const QString expected = onInduced
        ? QString::asprintf("  Lat. Soil Pressure: %.2f    Depth: %.2f", i.Y, i.X)
        : QString::asprintf("  Allowed Lat. Soil Pressure: %.2f    Depth: %.2f", a.Y, a.X);
    QCOMPARE(g.StatusBar1->currentMessage(), expected);
    // The read-out writes its numbers as the axes do.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    g.Image1MouseMove(g.Image1, p.PixelX + 5, p.PixelY - 5);
    QCOMPARE(g.StatusBar1->currentMessage(),
        QString::asprintf("  Shear: %.2f    Depth: %.2f", p.Y, p.X)
            .replace(QLatin1Char('.'), QLatin1Char(',')));
    QLocale::setDefault(QLocale::c());
    // Real mouse moves reach the read-out.
    g.show();
    QTest::mouseMove(g.Image1, QPoint(p.PixelX, p.PixelY));
    QTRY_COMPARE(g.StatusBar1->currentMessage(), QString::asprintf("  Shear: %.2f    Depth: %.2f", p.Y, p.X));
}

void GraphsTest::firstStoredHitWins()
{
    const TGraphHitList list = { { 10, 10, 1, 2 }, { 12, 12, 3, 4 }, { 100, 100, 5, 6 } };
    double y = 0, x = 0;
    QVERIFY(TfrmGraphs::FindHitPoint(list, 11, 11, y, x));
    QCOMPARE(y, 2.0);
    QCOMPARE(x, 1.0);
    QVERIFY(TfrmGraphs::FindHitPoint(list, 17, 17, y, x));
    QCOMPARE(y, 4.0);
    QVERIFY(!TfrmGraphs::FindHitPoint(list, 18, 30, y, x));
    QVERIFY(TfrmGraphs::FindHitPoint(list, 95, 105, y, x));
    QCOMPARE(y, 6.0);
}

void GraphsTest::formShowKeepsWindowOnScreen()
{
    // On the second of two screens (CTest runs this with two, results_graphs_twoscreens) the
    // window is kept on that screen, not moved onto the primary one.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() > 1) {
        const QRect second = screens[1]->geometry();
        QVERIFY(second.x() > 0);
        const auto data = LoadDemo(kUnitsUS);
        TfrmGraphs g;
        g.ShowGraphs(*data, gkShear);
        g.move(second.right() - 50, second.y() + 20);
        g.FormShow();
        QCOMPARE(g.pos(), QPoint(second.x() + second.width() - g.width(), second.y() + 20));
        g.move(second.x() + 10, second.y() + second.height() - 30);
        g.FormShow();
        QCOMPARE(g.pos(), QPoint(second.x() + 10, second.y() + second.height() - g.height()));
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto data = LoadDemo(kUnitsUS);
    TfrmGraphs g;
    g.ShowGraphs(*data, gkShear); // one picture: narrower than the screen
    QVERIFY(g.width() < screen.width());
    g.move(screen.width() - 50, 20);
    g.FormShow();
    QCOMPARE(g.x(), screen.width() - g.width());
    QCOMPARE(g.y(), 20);
    g.move(10, 15);
    g.FormShow();
    QCOMPARE(g.pos(), QPoint(10, 15));
    g.move(-30, screen.height() + 10);
    g.FormShow();
    QCOMPARE(g.x(), 0);
    QCOMPARE(g.y(), std::max(0, screen.height() - g.height()));
}

void GraphsTest::undefinedValuesAreDrawnWithoutHarm()
{
    auto data = LoadDemo(kUnitsUS);
    data->Node(10).Shear = std::numeric_limits<Extended>::quiet_NaN();
    data->Node(11).Depth = std::numeric_limits<Extended>::quiet_NaN();
    TfrmGraphs g;
    g.ShowGraphs(*data, gkShear);
    const TGraphHitList& list = g.HitList(THitList::Shear);
    QCOMPARE(int(list.size()), kNodeCount);
    QVERIFY(std::isnan(list[9].Y));
    // An undefined point is never found under the mouse.
    for (int x = 0; x < 244; x += 4)
        for (int y = 0; y < 410; y += 4) {
            double vy = 0, vx = 0;
            if (TfrmGraphs::FindHitPoint(list, x, y, vy, vx))
                QVERIFY(!std::isnan(vy) && !std::isnan(vx));
        }
    QVERIFY(!g.GraphPicture(1).isNull());
}

// Every graph kind on screen and prepared for print for each baseline project, and the
// interaction diagram for every pile shape.
void GraphsTest::picturesMatchBaseline()
{
    PictureBaseline baseline(QStringLiteral("graphs.txt"));
    for (BaselineProject& project : BaselineProjects()) {
        const auto add = [&](int kind, bool print, const QString& stage) {
            TfrmGraphs g;
            if (print)
                g.PrepareForPrint();
            g.ShowGraphs(*project.data, TGraphKind(kind));
            for (int n = 1; n <= 6; ++n)
                if (!g.ImageN(n)->isHidden())
                    baseline.Add(QStringLiteral("%1/%2kind%3%4/Image%5")
                                     .arg(QLatin1String(project.name), stage)
                                     .arg(kind)
                                     .arg(print ? QStringLiteral("-print") : QString())
                                     .arg(n),
                        g.GraphPicture(n));
        };
        for (int kind = gkAllLateral; kind <= gkEffectiveStress; ++kind)
            for (bool print : { false, true })
                add(kind, print, QString());
        for (TPileShape shape : { psCircle, psRectangle, psOctagon }) {
            ReshapePile(*project.data, shape, piRoughConcrete);
            for (bool print : { false, true })
                add(gkInteraction, print, QStringLiteral("shape%1/").arg(int(shape)));
        }
    }
    const QStringList differ = baseline.Differences();
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char(' '))));
}

QTEST_MAIN(GraphsTest)
#include "graphs_qtest.moc"
