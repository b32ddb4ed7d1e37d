#pragma once
// The result grid's rows: eight columns, shown as stored, with the
// designed colours per column. Holds 20 empty rows until the first fill.
#include "compare/GridColumns.h"
#include "compare/RowFormat.h"

#include <QAbstractTableModel>
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

    // Replaces the rows; afterwards exactly these rows are shown.
    void SetRows(std::vector<GridRow>&& rows);
    bool Filled() const { return m_filled; }
    int DataRows() const { return rowCount(); }
    QString CellText(int row, int col) const;
    // The rows as lines of tab-separated cells.
    QString ClipboardText() const;

    // Header texts: the first header row (a group over columns 5-6 and 7-8,
    // otherwise the column's own header spanning both rows) and the second.
    static QString TopHeader(int col);
    static QString SubHeader(int col);
    static int GroupSpan(int col); // columns the top header cell covers
    static QColor TextColour(int col);
    static QColor BackColour(int col);

private:
    std::vector<GridRow> m_rows;
    bool m_filled = false;
};
