#include "compare/grid/vSpr.h"

#include "compare/grid/GroupHeader.h"
#include "compare/grid/ResultModel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>

namespace {
// A character unit is the width of "0" in the grid's font, as in
// spreadsheets; the cell's text margins and grid line come on top.
const int kPad = 16;
} // namespace

const std::array<double, kGridCols>& vSpr::DesignWidths()
{
    static const std::array<double, kGridCols> w = [] {
        std::array<double, kGridCols> out{};
        for (int c = 0; c < kGridCols; ++c)
            out[size_t(c)] = kGridColumns[size_t(c)].width;
        return out;
    }();
    return w;
}

vSpr::vSpr(QWidget* parent) : QTableView(parent), m_model(new ResultModel(this))
{
    setModel(m_model);
    setHorizontalHeader(new GroupHeader(this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(0); // a stored width of 0 hides a column
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    for (int c = 0; c < kGridCols; ++c)
        SetColWidth(c, DesignWidths()[size_t(c)]);
    horizontalHeader()->setSectionsClickable(true);
    // a header click sorts; it does not select the column
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { HeaderClicked(col, QGuiApplication::keyboardModifiers() & Qt::ControlModifier); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (m_model->Filled())
            emit RowActivated(i.row());
    });
}

void vSpr::HeaderClicked(int col, bool reset)
{
    ResultModel& m = *m_model;
    if (reset || (m.SortColumn() == col && m.SortOrder() == Qt::DescendingOrder))
        m.SortBy(-1, Qt::AscendingOrder);
    else if (m.SortColumn() == col)
        m.SortBy(col, Qt::DescendingOrder);
    else
        m.SortBy(col, Qt::AscendingOrder);
    horizontalHeader()->viewport()->update();
}

std::vector<int> vSpr::SelectedRows() const
{
    std::vector<int> rows;
    if (!m_model->Filled())
        return rows;
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void vSpr::CopySelection()
{
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty())
        QGuiApplication::clipboard()->setText(m_model->RowsText(rows, LineStyle::Clipboard));
}

void vSpr::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
        // the row menu, as the menu key opens it
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        contextMenuEvent(&menu);
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        if (m_model->Filled() && currentIndex().isValid())
            emit RowActivated(currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(e);
}

void vSpr::contextMenuEvent(QContextMenuEvent* e)
{
    if (!m_model->Filled())
        return;
    QModelIndex i = e->reason() == QContextMenuEvent::Mouse ? indexAt(e->pos()) : currentIndex();
    if (!i.isValid())
        return;
    if (e->reason() == QContextMenuEvent::Mouse && !selectionModel()->isSelected(i))
        setCurrentIndex(i);
    const QPoint at =
        e->reason() == QContextMenuEvent::Mouse ? e->globalPos() : viewport()->mapToGlobal(visualRect(i).bottomLeft());
    emit RowMenu(i.row(), at);
}

void vSpr::FitSizeColumns()
{
    const ResultModel& m = *m_model;
    for (int col = 0; col < kGridCols; ++col) {
        if (ColumnOf(col).kind != GridColumn::Size)
            continue;
        const bool side1 = ColumnOf(col).side == 1;
        qint64 largest = 0;
        for (int r = 0; m.Filled() && r < m.DataRows(); ++r)
            largest = std::max(largest, side1 ? m.Table().S1(m.SourceOf(r)) : m.Table().S2(m.SourceOf(r)));
        if (largest == 0 || isColumnHidden(col))
            continue;
        const int need = fontMetrics().horizontalAdvance(SizeText(largest)) + kPad;
        if (columnWidth(col) < need)
            setColumnWidth(col, need);
    }
}

int vSpr::UnitsToPx(double units) const
{
    return int(std::lround(units * fontMetrics().horizontalAdvance(QLatin1Char('0')))) + kPad;
}

void vSpr::SetColWidth(int col, double units)
{
    if (!IsGridCol(col) || !(units >= 0) || units > 10000)
        return;
    m_units[size_t(col)] = units;
    setColumnHidden(col, units == 0);
    if (units > 0)
        setColumnWidth(col, UnitsToPx(units));
}

double vSpr::ColWidth(int col) const
{
    if (!IsGridCol(col) || isColumnHidden(col))
        return 0;
    double set = m_units[size_t(col)];
    int px = columnWidth(col);
    if (px == UnitsToPx(set))
        return set;
    double units = double(px - kPad) / fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return std::round(std::max(0.0, units) * 100) / 100;
}
