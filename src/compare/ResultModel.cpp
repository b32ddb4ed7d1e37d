#include "compare/ResultModel.h"

#include "compare/GridColumns.h"
#include "env/NameBytes.h"

#include <QColor>

namespace {
bool IsCol(int col) { return col >= 0 && col < kGridCols; }
} // namespace

int ResultModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_filled ? int(m_rows.size()) : kBlankRows;
}

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kCols; }

QString ResultModel::CellText(int row, int col) const
{
    if (!m_filled || row < 0 || size_t(row) >= m_rows.size())
        return QString();
    if (!IsCol(col))
        return QString();
    std::array<QString, 2> sizes;
    const QString cell = RowCells(m_rows[size_t(row)], sizes)[size_t(col)].toString();
    return kGridColumns[size_t(col)].name ? ShownName(cell) : cell;
}

QVariant ResultModel::data(const QModelIndex& idx, int role) const
{
    if (!idx.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole: return CellText(idx.row(), idx.column());
    case Qt::ForegroundRole: return TextColour(idx.column());
    case Qt::BackgroundRole: return BackColour(idx.column());
    case Qt::TextAlignmentRole:
        if (IsCol(idx.column()) && kGridColumns[size_t(idx.column())].right)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    QString sub = SubHeader(section);
    return sub.isEmpty() ? TopHeader(section) : sub;
}

void ResultModel::SetRows(std::vector<GridRow>&& rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_filled = true;
    endResetModel();
}

QString ResultModel::ClipboardText() const
{
    QString out;
    for (const GridRow& r : m_rows)
        AppendRowLine(out, r);
    return out;
}

QString ResultModel::TopHeader(int col)
{
    return IsCol(col) ? QString::fromUtf8(kGridColumns[size_t(col)].top) : QString();
}

QString ResultModel::SubHeader(int col)
{
    return IsCol(col) ? QString::fromUtf8(kGridColumns[size_t(col)].sub) : QString();
}

int ResultModel::GroupSpan(int col)
{
    // a group header covers the following columns under the same top text
    if (!IsCol(col) || SubHeader(col).isEmpty() || (col > 0 && TopHeader(col - 1) == TopHeader(col)))
        return 1;
    int span = 1;
    while (col + span < kGridCols && TopHeader(col + span) == TopHeader(col))
        ++span;
    return span;
}

QColor ResultModel::TextColour(int col)
{
    return IsCol(col) ? QColor::fromRgba(kGridColumns[size_t(col)].fore) : QColor(Qt::black);
}

QColor ResultModel::BackColour(int col)
{
    return IsCol(col) ? QColor::fromRgba(kGridColumns[size_t(col)].back) : QColor(Qt::white);
}
