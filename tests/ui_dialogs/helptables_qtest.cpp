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

} // namespace

class HelpTablesTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheTwoHelpTagsHaveAList()
    {
        for (int tag : { kHelpInterfaceTag, kHelpPileTypeTag }) {
            TfrmComputations form;
            FillHelpTable(form, tag);
            QVERIFY(form.ListView1->rowCount() > 0);
            QVERIFY(form.ListView1->item(0, 1)->textAlignment() & Qt::AlignHCenter);
        }
        for (int tag : { 0, 3, 100, 101 }) {
            TfrmComputations other;
            FillHelpTable(other, tag);
            QCOMPARE(other.ListView1->rowCount(), 0);
        }
    }

    void pileTypeNamesAreReadWhole()
    {
        TfrmComputations form;
        FillHelpTable(form, kHelpPileTypeTag);
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
