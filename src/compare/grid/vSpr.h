#pragma once
// The result grid: a table view over ResultModel with the two header rows
// and column widths set and read in character units of the grid's font. A
// click on a header sorts by that column (again: reversed; a third time or
// with Ctrl: the running order); Ctrl+C copies the selected rows.
#include "compare/rows/GridColumns.h"

#include <QTableView>
#include <array>
#include <vector>

class ResultModel;

class vSpr : public QTableView {
    Q_OBJECT
public:
    explicit vSpr(QWidget* parent = nullptr);
    ResultModel& Model() const { return *m_model; }

    // Width of a column (a GridCol) in character units; 0 hides the column.
    double ColWidth(int col) const;
    void SetColWidth(int col, double units);
    static const std::array<double, kGridCols>& DesignWidths();
    // Widens the two size columns, where needed, so the largest size shows
    // whole.
    void FitSizeColumns();
    // The shown rows that hold a selected cell, in shown order.
    std::vector<int> SelectedRows() const;
    void CopySelection();
    // What a header click does: sort by the column, reverse, or back to the
    // running order (third click, or `reset`).
    void HeaderClicked(int col, bool reset);

signals:
    // Enter or a double-click on a row; the context menu asked for a row.
    void RowActivated(int row);
    void RowMenu(int row, const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    int UnitsToPx(double units) const;
    ResultModel* m_model;
    std::array<double, kGridCols> m_units{};
};
