// The help lists of suggested coefficients, the list window they use and the reference charts.
#include "ui/dialogs/computations.h"
#include "ui/dialogs/helptables.h"

#include "dialogtesting.h"

#include <QHeaderView>
#include <QSet>
#include <QTableWidget>
#include <QTest>

using namespace dialogtesting;

namespace {

QStringList rowTexts(const TfrmComputations& form, int row)
{
    QStringList texts;
    for (int column = 0; column < form.ListView1->columnCount(); ++column)
        texts << form.ListView1->item(row, column)->text();
    return texts;
}

QStringList headerTexts(const TfrmComputations& form)
{
    QStringList texts;
    for (int column = 0; column < form.ListView1->columnCount(); ++column)
        texts << form.ListView1->horizontalHeaderItem(column)->text();
    return texts;
}

} // namespace

class HelpTablesTest : public QObject {
    Q_OBJECT

private slots:
    void emptyWindow()
    {
        TfrmComputations form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Computations"));
        QCOMPARE(form.size(), QSize(254, 437));
        QCOMPARE(form.ListView1->rowCount(), 0);
        QCOMPARE(headerTexts(form), QStringList({ "Variable", "Value" }));
        QVERIFY(form.ListView1->showGrid());
        QCOMPARE(form.ListView1->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(form.ListView1->columnWidth(0) >= 100);

        // Only Tags 1 and 2 have a list.
        for (int tag : { 0, 3, 100, 101 }) {
            TfrmComputations other;
            FillHelpTable(other, tag);
            QCOMPARE(other.ListView1->rowCount(), 0);
            QCOMPARE(other.windowTitle(), QStringLiteral("Computations"));
        }
    }

    void interfaceHelp()
    {
        TfrmComputations form;
        FillHelpTable(form, kHelpInterfaceTag);
        QCOMPARE(form.windowTitle(), QStringLiteral("Help"));
        QCOMPARE(headerTexts(form), QStringList({ "Pile and Soil Interface", "PhiS / Phi" }));
        QCOMPARE(form.ListView1->rowCount(), 5);
        QCOMPARE(rowTexts(form, 0), QStringList({ "Rough Concrete", "1.0" }));
        QCOMPARE(rowTexts(form, 1), QStringList({ "Smooth Concrete", "0.8 - 1.0" }));
        QCOMPARE(rowTexts(form, 2), QStringList({ "Rough Steel", "0.7 - 0.9" }));
        QCOMPARE(rowTexts(form, 3), QStringList({ "Smooth Steel", "0.5 - 0.7" }));
        QCOMPARE(rowTexts(form, 4), QStringList({ "Timber", "0.8 - 0.9" }));
        QVERIFY(form.ListView1->item(0, 1)->textAlignment() & Qt::AlignHCenter);
    }

    void pileTypeHelp()
    {
        TfrmComputations form;
        FillHelpTable(form, kHelpPileTypeTag);
        QCOMPARE(headerTexts(form), QStringList({ "Pile Type", "K / K0" }));
        QCOMPARE(form.ListView1->rowCount(), 3);
        QCOMPARE(rowTexts(form, 0), QStringList({ "Jetted Pile", "1/2 - 2/3" }));
        QCOMPARE(rowTexts(form, 1), QStringList({ "Pile - small displacement", "3/4 - 1 1/4" }));
        QCOMPARE(rowTexts(form, 2), QStringList({ "Pile - large displacement", "1 - 2" }));
        // The longest name is read whole.
        const int needed
            = form.ListView1->fontMetrics().horizontalAdvance(QStringLiteral("Pile - large displacement"));
        QVERIFY(form.ListView1->columnWidth(0) > needed);
    }

    void rowsWithMoreColumnsAndColour()
    {
        TfrmComputations form;
        form.SetColumns(QStringLiteral("Nodes"), { "Node", "Depth", "Moment" },
            { Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight });
        form.AddRow(QStringLiteral("1"), { "0.00", "12.5" }, QColor(Qt::red));
        form.AddRow(QStringLiteral("2"), { "1.00" });
        QCOMPARE(form.windowTitle(), QStringLiteral("Nodes"));
        QCOMPARE(form.ListView1->columnCount(), 3);
        QCOMPARE(rowTexts(form, 0), QStringList({ "1", "0.00", "12.5" }));
        QCOMPARE(form.ListView1->item(0, 2)->foreground().color(), QColor(Qt::red));
        QVERIFY(form.ListView1->item(0, 1)->textAlignment() & Qt::AlignRight);
        QVERIFY(!form.ListView1->item(1, 2)); // a short row leaves its last cell empty
    }

    void showHelpTableIsModalAndCloses()
    {
        bool seen = false;
        whenModal([&seen](QWidget* modal) {
            auto* form = qobject_cast<TfrmComputations*>(modal);
            QVERIFY(form);
            QCOMPARE(form->ListView1->rowCount(), 3);
            seen = true;
            form->close();
        });
        ShowHelpTable(kHelpPileTypeTag);
        QVERIFY(seen);
    }

    void referenceCharts()
    {
        for (int tag : { kHelpOcrChartTag, kHelpSuSigmaVChartTag }) {
            const QImage chart = HelpPicture(tag, QSize(800, 560));
            QCOMPARE(chart.size(), QSize(800, 560));
            QSet<QRgb> colours;
            for (int y = 0; y < chart.height(); y += 3)
                for (int x = 0; x < chart.width(); x += 3)
                    colours.insert(chart.pixel(x, y));
            // Axes, grid, text and several coloured curves.
            QVERIFY2(colours.size() > 10, qPrintable(QString::number(colours.size())));
        }
        QVERIFY(HelpPicture(103).isNull());
        QVERIFY(HelpPicture(1).isNull());
        QVERIFY(HelpPicture(kHelpOcrChartTag, QSize()).isNull());
        QVERIFY(BoredPilePageAddress().startsWith(QStringLiteral("http")));
    }
};

QTEST_MAIN(HelpTablesTest)
#include "helptables_qtest.moc"
