#pragma once
// A small window listing rows of texts under captioned columns: the help lists of suggested
// coefficients beside the pile inputs.
#include <QColor>
#include <QDialog>
#include <QList>
#include <QStringList>

class QTableWidget;

class TfrmComputations : public QDialog {
    Q_OBJECT
public:
    explicit TfrmComputations(QWidget* owner = nullptr);

    QTableWidget* ListView1 = nullptr;

    // Window caption and column captions (as many columns as captions); an alignment per column
    // where given, else the first column left and the others centred.
    void SetColumns(const QString& Caption, const QStringList& ColumnCaptions,
        const QList<Qt::Alignment>& Alignments = {});
    // A row: Caption in the first column, Values in the next ones; Color, when valid, is the
    // row's text colour.
    void AddRow(const QString& Caption, const QStringList& Values, const QColor& Color = QColor());

private:
    static constexpr int kFirstColumnWidth = 100;
    // The first column is at least its designed width and wide enough for its longest text.
    void fitFirstColumn();

    QList<Qt::Alignment> m_alignments;
};
