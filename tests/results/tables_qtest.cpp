// The result tables filled from the demo projects: the model's values
// with each column's decimals, "N.A." for undefined results, the red soil-pressure cells, the row
// sets of the steel check and the interaction points, and the lateral table on screen.
#include "results/tables.h"
#include "resultstest.h"
#include "tests/results/contrast.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// Whether a cell shows the value with exactly the given decimals, correctly rounded, written
// with the separator of the current locale.
bool shows(const QString& text, Extended value, int decimals)
{
    const int point = text.indexOf(QLocale().decimalPoint());
    const int shown = point < 0 ? 0 : int(text.size()) - point - 1;
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    const double half = 0.5 * std::pow(10.0, -decimals);
    if (!ok || shown != decimals || std::fabs(v - double(value)) > half * (1 + 1e-9) + 1e-12) {
        qWarning("cell %s does not show %.12Lg with %d decimals", qPrintable(text), value, decimals);
        return false;
    }
    return true;
}

QColor cellColour(const TfrmTable& t, int row, int column)
{
    return t.ListView1->topLevelItem(row)->foreground(column).color();
}

const QColor kRed(255, 0, 0);

using testing_contrast::contrast;

// Whether every cell of a row, as drawn on screen, shows its text against the row's own
// background: enough pixels of at least twice its luminance contrast (white on the highlight
// is about 3:1; text drawn white on a pale band, or red on the highlight, about 1.1:1).
bool rowReadable(const TfrmTable& t, int row)
{
    QTreeWidget* view = t.ListView1;
    const QImage shot = view->viewport()->grab().toImage();
    QTreeWidgetItem* item = view->topLevelItem(row);
    for (int column = 1; column < t.ColumnCount(); ++column) {
        const QRect cell = view->visualItemRect(item).intersected(
            QRect(view->header()->sectionViewportPosition(column) + 2, 0, t.ColumnWidth(column) - 4,
                shot.height()));
        QMap<QRgb, int> counts;
        for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                ++counts[shot.pixel(x, y)];
        const QRgb background
            = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                  return a.second < b.second;
              })->first;
        int text = 0;
        for (auto [pixel, n] : counts.asKeyValueRange())
            text += contrast(pixel, background) >= 2 ? n : 0;
        if (text < 10) {
            qWarning(
                "row %d column %d (%s) shows no readable text", row, column, qPrintable(item->text(column)));
            return false;
        }
    }
    return true;
}

bool showsWithUnit(const QString& text, Extended value, int decimals, const char* unit)
{
    const QString u = QString::fromLatin1(unit).mid(1); // the unit word begins with a blank
    if (!text.endsWith(u)) {
        qWarning("cell %s lacks the unit %s", qPrintable(text), unit);
        return false;
    }
    return shows(text.chopped(u.size()), value, decimals);
}

} // namespace

class TablesTest : public QObject {
    Q_OBJECT
private slots:
    // Texts are compared with ".": the cases of another locale set it themselves.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void lateralTableShowsTheNodes();
    void soilPressureCellsTurnRed();
    void undefinedResultsShowNA();
    void verticalTables();
    void negativeSkinFrictionIsTheSameInBothVerticalTables();
    void steelCheckRows();
    void interactionPointRows();
    void lateralTableOnScreen();
};

void TablesTest::lateralTableShowsTheNodes()
{
    const auto data = LoadDemo(kUnitsUS);
    TfrmTable t(nullptr, 0);
    t.FillLateralTable(data->Nodes);
    QCOMPARE(t.RowCount(), kNodeCount);
    QCOMPARE(t.ColumnCount(), 9);
    for (int k = 1; k <= kNodeCount; ++k) {
        const TNodeResult& n = data->Node(k);
        const int row = k - 1;
        QCOMPARE(t.ItemCaption(row), QString());
        QCOMPARE(t.SubItem(row, 1), QString::number(k));
        QVERIFY(shows(t.SubItem(row, 2), n.Depth, 2));
        QVERIFY(shows(t.SubItem(row, 3), n.KB, 0));
        QVERIFY(shows(t.SubItem(row, 4), n.Shear, 2));
        QVERIFY(shows(t.SubItem(row, 5), n.Moment, 2));
        QVERIFY(shows(t.SubItem(row, 6), n.Deflection, 2));
        QVERIFY(shows(t.SubItem(row, 7), n.SoilPressure, 2));
        QVERIFY(shows(t.SubItem(row, 8), n.AllowSoilPressure, 2));
    }
    QCOMPARE(t.SubItem(kNodeCount - 1, 2), QStringLiteral("40.00"));

    // A German desktop reads the same table with decimal commas.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    t.FillLateralTable(data->Nodes);
    QCOMPARE(t.SubItem(kNodeCount - 1, 2), QStringLiteral("40,00"));
    for (int k = 1; k <= kNodeCount; ++k)
        QVERIFY(shows(t.SubItem(k - 1, 5), data->Node(k).Moment, 2));
}

void TablesTest::soilPressureCellsTurnRed()
{
    auto data = LoadDemo(kUnitsUS);
    auto nodes = data->Nodes;
    nodes[2].SoilPressure = 2.0;
    nodes[2].AllowSoilPressure = 1.5; // below: red
    nodes[3].SoilPressure = 2.0;
    nodes[3].AllowSoilPressure = 2.0; // equal: black
    nodes[4].SoilPressure = 1.0;
    nodes[4].AllowSoilPressure = 3.0;
    TfrmTable t(nullptr, 0);
    t.FillLateralTable(nodes);
    QCOMPARE(cellColour(t, 2, 7), kRed);
    QCOMPARE(cellColour(t, 2, 8), kRed);
    QVERIFY(cellColour(t, 2, 6) != kRed);
    QVERIFY(cellColour(t, 3, 7) != kRed);
    QVERIFY(cellColour(t, 3, 8) != kRed);
    QVERIFY(cellColour(t, 4, 8) != kRed);
    // Only the lateral table colours cells.
    t.FillVerticalTable(*data);
    QVERIFY(t.ListView1CustomDrawSubItem(2, 7) != kRed);
}

void TablesTest::undefinedResultsShowNA()
{
    auto data = LoadDemo(kUnitsUS);
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    data->Node(5).Moment = nan;
    data->Node(6).Capacity = nan;
    data->InteractionPoints[2].Fs1 = nan;
    TfrmTable t(nullptr, 0);
    t.FillLateralTable(data->Nodes);
    QCOMPARE(t.SubItem(4, 5), QStringLiteral("N.A."));
    t.FillVerticalTable(*data);
    QCOMPARE(t.SubItem(5, 10), QStringLiteral("N.A."));
    t.FillSectionTable(*data);
    QCOMPARE(t.SubItem(2, 3), QStringLiteral("N.A."));
}

void TablesTest::verticalTables()
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        auto data = LoadDemo(units);
        const bool si = units == kUnitsSI;
        data->Node(7).NSF = 1500;
        TfrmTable t(nullptr, units);
        t.FillVerticalTable(*data);
        QCOMPARE(t.ColumnCount(), 12);
        QCOMPARE(t.RowCount(), kNodeCount);
        for (int k = 1; k <= kNodeCount; ++k) {
            const TNodeResult& n = data->Node(k);
            QVERIFY(shows(t.SubItem(k - 1, 3), n.SigmaVEff, 2));
            QVERIFY(shows(t.SubItem(k - 1, 10), n.Capacity, 2));
            QVERIFY(shows(t.SubItem(k - 1, 11), n.Settlement, 2));
        }
        // NSF as stored here ...
        QCOMPARE(t.SubItem(6, 5), QStringLiteral("1500.00"));

        // ... and in the effective-stress table too: NSF is held in kips (kN) in either table,
        // only the pound-based effective-stress capacities are divided in English projects.
        t.FillEffVerticalTable(*data);
        QCOMPARE(t.ColumnCount(), 16);
        QCOMPARE(t.SubItem(6, 8), QStringLiteral("1500.00"));
        const double d = si ? 1 : 1000;
        for (int k = 1; k <= kNodeCount; ++k)
            QVERIFY(shows(t.SubItem(k - 1, 14), data->Node(k).EffTotalAllow / d, 2));
    }
}

void TablesTest::negativeSkinFrictionIsTheSameInBothVerticalTables()
{
    // A top layer with negative skin friction: each of its nodes below the head carries the
    // allowable side friction gained since the node above as NSF, in kips, and both tables show
    // that number.
    auto data = LoadDemo(kUnitsUS);
    data->Layers[0]->NSF = true;
    data->Calculate();
    const Extended bottom = data->Layers[0]->Bottom();
    TfrmTable vertical(nullptr, 0);
    vertical.FillVerticalTable(*data);
    TfrmTable effective(nullptr, 0);
    effective.FillEffVerticalTable(*data);
    int loaded = 0;
    for (int k = 2; k <= kNodeCount; ++k) {
        const TNodeResult& n = data->Node(k);
        const int row = k - 1;
        QCOMPARE(effective.SubItem(row, 8), vertical.SubItem(row, 5));
        if (n.Depth < bottom) {
            const Extended gained = n.QSideAllow - data->Node(k - 1).QSideAllow;
            QVERIFY(shows(effective.SubItem(row, 8), gained, 2));
            loaded += gained >= Extended(0.01) ? 1 : 0;
        }
    }
    QVERIFY(loaded > 0);
}

void TablesTest::steelCheckRows()
{
    auto data = SteelDemo(psSquare);
    TfrmTable t(nullptr, 0);
    t.FillSteelCheckTable(*data);
    QCOMPARE(t.RowCount(), 21);
    QVERIFY(showsWithUnit(t.SubItem(4, 1), data->SteelResult.PnOmega, 0, "  kip"));
    QVERIFY(showsWithUnit(t.SubItem(8, 1), data->SteelResult.Lp, 2, "  ft"));
    QVERIFY(showsWithUnit(t.SubItem(12, 1), data->SteelResult.MnxOmega, 0, "  kip-ft"));
    QVERIFY(shows(t.SubItem(20, 1), data->CombinedRatio, 3));

    data = SteelDemo(psCircle); // a round steel pile is a pipe
    t.FillSteelCheckTable(*data);
    QCOMPARE(t.RowCount(), 12);
    QVERIFY(showsWithUnit(t.SubItem(2, 1), data->SteelResult.Fcr, 2, "  ksi"));

    const auto si = SteelDemo(psCircle, kUnitsSI);
    t.FillSteelCheckTable(*si);
    QVERIFY(showsWithUnit(t.SubItem(3, 1), si->SteelResult.PnOmega, 0, "  KN"));
    QVERIFY(showsWithUnit(t.SubItem(8, 1), si->SteelResult.MnxOmega, 0, "  KN-m"));
}

void TablesTest::interactionPointRows()
{
    auto data = LoadDemo(kUnitsUS);
    TfrmTable t(nullptr, 0);
    t.FillSectionTable(*data); // the demo pile is square
    QCOMPARE(t.ColumnCount(), 10);
    QCOMPARE(t.RowCount(), 16);
    for (int p = 0; p < kInteractionPointCount; ++p) {
        const TInteractionPoint& ip = data->InteractionPoints[p];
        QVERIFY(shows(t.SubItem(0, p + 1), ip.c, 2));
        QVERIFY(shows(t.SubItem(1, p + 1), ip.Eps1, 3));
        QVERIFY(shows(t.SubItem(9, p + 1), ip.Fc, 0));
        QVERIFY(shows(t.SubItem(15, p + 1), ip.PhiMn, 0));
    }

    data->Shape = psCircle;
    data->Calculate();
    TfrmTable round(nullptr, 1);
    round.FillSectionTable(*data);
    QCOMPARE(round.RowCount(), 17);
    QVERIFY(shows(round.SubItem(7, 5), data->InteractionPoints[4].Theta, 2));
}

void TablesTest::lateralTableOnScreen()
{
    auto nodes = LoadDemo(kUnitsUS)->Nodes;
    nodes[5].AllowSoilPressure = nodes[5].SoilPressure / 2; // a red row
    TfrmTable t(nullptr, 0);
    t.FillLateralTable(nodes);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    QTreeWidget* view = t.ListView1;

    // The columns fit the window: no horizontal scroll bar for them.
    int total = 0;
    for (int c = 0; c < t.ColumnCount(); ++c)
        total += t.ColumnWidth(c);
    QVERIFY(total <= view->viewport()->width());
    QVERIFY(!view->horizontalScrollBar()->isVisible());

    // The red rule shows on screen ...
    QVERIFY(rowReadable(t, 5));
    const QImage shot = view->viewport()->grab().toImage();
    const QRect red = view->visualItemRect(view->topLevelItem(5))
                          .intersected(QRect(view->header()->sectionViewportPosition(7), 0, t.ColumnWidth(7),
                              shot.height()));
    int redPixels = 0;
    for (int y = red.top(); y <= red.bottom(); ++y)
        for (int x = red.left(); x <= red.right(); ++x)
            redPixels += qRed(shot.pixel(x, y)) > 200 && qGreen(shot.pixel(x, y)) < 90
                && qBlue(shot.pixel(x, y)) < 90;
    QVERIFY(redPixels > 5);

    // ... and a selected row keeps every value readable, chosen with the mouse or the keys.
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->visualItemRect(view->topLevelItem(5)).center());
    QCOMPARE(view->currentItem(), view->topLevelItem(5));
    QVERIFY(view->topLevelItem(5)->isSelected());
    QVERIFY(rowReadable(t, 5));
    QTest::keyClick(view, Qt::Key_End);
    QVERIFY(view->topLevelItem(kNodeCount - 1)->isSelected());
    QVERIFY(rowReadable(t, kNodeCount - 1));
    QTest::keyClick(view, Qt::Key_Up);
    QVERIFY(view->topLevelItem(kNodeCount - 2)->isSelected());
    QVERIFY(rowReadable(t, kNodeCount - 2));
}

QTEST_MAIN(TablesTest)
#include "tables_qtest.moc"
