#pragma once
// The result grid's rows: eight columns, shown as stored, with the
// designed colours per column. Holds 20 empty rows until the first fill.
#include "compare/engine/CmprCode.h"
#include "compare/rows/DispMode.h"
#include "compare/rows/GridColumns.h"
#include "compare/rows/RowFormat.h"
#include "compare/rows/RowTable.h"

#include <QAbstractTableModel>
#include <array>
#include <memory>
#include <vector>

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCols = kGridCols;
    static constexpr int kBlankRows = 20;

    explicit ResultModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& idx, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Replaces the rows; afterwards exactly these rows are shown, in the
    // order of the column sorted by, if any.
    void SetTable(RowTable&& rows);
    // The same, showing only the rows of a display mode; the table may be
    // shared with its owner.
    void SetTable(std::shared_ptr<const RowTable> rows, DispMode mode);
    void SetRows(const std::vector<GridRow>& rows);
    bool Filled() const { return m_filled; }
    int DataRows() const { return rowCount(); }
    // The table's index of a shown row.
    size_t SourceOf(int row) const { return size_t(Source(row)); }
    // The text of a cell of a shown row (rows counted as shown).
    QString CellText(int row, int col) const;
    GridRow Row(int row) const { return m_rows->At(SourceOf(row)); }
    const RowTable& Table() const { return *m_rows; }
    // Whether the rows hold moved files: their lines get a ninth cell.
    bool HasMoves() const { return m_rows->HasMoves(); }
    // The rows as shown, as lines of tab-separated cells.
    QString ClipboardText() const;
    // Some shown rows (in the order given) as lines of a style.
    QString RowsText(const std::vector<int>& rows, LineStyle style, SizeStyle sizes = SizeStyle::Grouped) const;

    // Sorting by a column's value (see SortKeys); col -1 is the running
    // order the rows came in. Selections and current cells follow the rows.
    void SortBy(int col, Qt::SortOrder order);
    int SortColumn() const { return m_sortCol; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    // The shown rows whose folder or file name holds `text`, regardless of
    // case, in shown order.
    std::vector<int> Find(const QString& text) const;
    // The number of shown rows of each code, in the order of kCmprCodes.
    std::array<qint64, kCmprCodes.size()> CodeCounts() const;

    // Header texts: the first header row (a group over columns 5-6 and 7-8,
    // otherwise the column's own header spanning both rows) and the second.
    static QString TopHeader(int col);
    static QString SubHeader(int col);
    static int GroupSpan(int col); // columns the top header cell covers
    static QColor TextColour(int col);
    static QColor BackColour(int col);

private:
    int Source(int row) const { return m_everyRow ? row : m_order[size_t(row)]; }
    QVariant MovedTip(int row) const;
    // The shown rows in the order of the column sorted by, or in running order.
    std::vector<int> Ordered() const;
    void ApplyOrder(std::vector<int>&& order);
    std::shared_ptr<const RowTable> m_rows = std::make_shared<RowTable>();
    std::vector<int> m_shown; // the rows of the display mode, in running order
    bool m_allShown = true;   // every row of the table is shown (m_shown unused)
    std::vector<int> m_order; // shown row -> index into m_rows, unless m_everyRow
    bool m_everyRow = true;   // every row shown in running order
    int m_sortCol = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_filled = false;
};
