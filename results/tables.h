#pragma once
// The result table window: the lateral, vertical and effective-stress tables per node, the steel
// member check and the reinforced-concrete interaction points. The caller makes the window, calls
// one fill routine and shows it; the printed report fills it the same way without showing it and
// reads ColumnCaption, RowCount, ItemCaption and SubItem.
#include "model/lpclasses.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <cstdint>

class QTreeWidget;

class TfrmTable : public QDialog {
    Q_OBJECT
public:
    // UnitSelection is the main window's unit choice (0 English, otherwise SI); it names the
    // lateral and interaction-point columns and rows.
    explicit TfrmTable(QWidget* owner = nullptr, int UnitSelection = 0);

    QTreeWidget* ListView1 = nullptr;

    void FormCreate();
    void FillLateralTable(const std::array<TNodeResult, kNodeCount>& Nodes);
    void FillVerticalTable(const TLPData& Data);
    void FillEffVerticalTable(const TLPData& Data);
    void FillSteelCheckTable(const TLPData& Data);
    void FillSectionTable(const TLPData& Data);
    // Colour of a cell's text: red for the two soil-pressure cells of a lateral row whose
    // allowable pressure is not at least the induced one, else the window-text colour.
    QColor ListView1CustomDrawSubItem(int Row, int SubItem) const;

    // Reading the table: columns 0.. (column 0 holds each row's caption), rows 0.., and the
    // sub-items 1.. of a row (column k is sub-item k).
    int ColumnCount() const;
    QString ColumnCaption(int Column) const;
    int ColumnWidth(int Column) const;
    int RowCount() const;
    QString ItemCaption(int Row) const;
    QString SubItem(int Row, int SubItem) const;

private:
    enum class TContent { Lateral, Vertical, EffVertical, SteelCheck, Section };
    void resetColumns(int count);
    void addColumn(int index, const QString& caption, int width, bool centred);
    void addRow(const QStringList& cells);

    int m_unitSelection = 0;
    TContent m_content = TContent::Lateral;
    std::array<TNodeResult, kNodeCount> m_nodes {};
    std::array<bool, 16> m_centred {};
};

enum class TTableKind { Lateral, Vertical, EffVertical, SteelCheck, Section };

// Opens the table window over owner filled with one table, modally, and frees it.
void ShowTableWindow(QWidget* owner, const TLPData& Data, TTableKind Kind, int UnitSelection);
