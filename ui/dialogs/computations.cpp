#include "ui/dialogs/computations.h"

#include "platform/qt/controls.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmComputations::TfrmComputations(QWidget* owner)
    : QDialog(owner ? owner : QApplication::activeWindow())
{
    setObjectName(QStringLiteral("frmComputations"));
    setWindowTitle(QStringLiteral("Computations"));
    setFont(platform::formFont(8));
    setFixedSize(254, 437);

    ListView1 = new QTableWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    ListView1->horizontalHeader()->setHighlightSections(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(ListView1);

    SetColumns(windowTitle(), { QStringLiteral("Variable"), QStringLiteral("Value") });
    ListView1->setColumnWidth(1, 107);
}

void TfrmComputations::SetColumns(
    const QString& Caption, const QStringList& ColumnCaptions, const QList<Qt::Alignment>& Alignments)
{
    setWindowTitle(Caption);
    ListView1->setColumnCount(int(ColumnCaptions.size()));
    ListView1->setHorizontalHeaderLabels(ColumnCaptions);
    m_alignments.clear();
    for (int column = 0; column < ColumnCaptions.size(); ++column) {
        const Qt::Alignment fallback = column == 0 ? Qt::AlignLeft : Qt::AlignHCenter;
        m_alignments << (column < Alignments.size() ? Alignments[column] : fallback);
    }
    // Texts that do not fit are read whole: the columns share the width and the last one takes
    // what is left.
    ListView1->horizontalHeader()->setStretchLastSection(true);
    fitFirstColumn();
}

void TfrmComputations::fitFirstColumn()
{
    if (ListView1->columnCount() < 2)
        return;
    ListView1->resizeColumnToContents(0);
    if (ListView1->columnWidth(0) < kFirstColumnWidth)
        ListView1->setColumnWidth(0, kFirstColumnWidth);
}

void TfrmComputations::AddRow(const QString& Caption, const QStringList& Values, const QColor& Color)
{
    const int row = ListView1->rowCount();
    ListView1->insertRow(row);
    QStringList cells { Caption };
    cells << Values;
    for (int column = 0; column < cells.size() && column < ListView1->columnCount(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setTextAlignment(m_alignments.value(column, Qt::AlignLeft) | Qt::AlignVCenter);
        if (Color.isValid())
            item->setForeground(Color);
        ListView1->setItem(row, column, item);
    }
    fitFirstColumn();
}
