#include "compare/vSpr.h"

#include "compare/GridColumns.h"

#include "compare/GroupHeader.h"
#include "compare/ResultModel.h"

#include <QHeaderView>
#include <cmath>

namespace {
// A character unit is the width of "0" in the grid's font, as in
// spreadsheets; the cell's text margins and grid line come on top.
const int kPad = 16;
} // namespace

const std::array<double, 8>& vSpr::DesignWidths()
{
    static const std::array<double, 8> w = [] {
        std::array<double, 8> out{};
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
    for (int c = 1; c <= 8; ++c)
        SetColWidth(c, DesignWidths()[size_t(c - 1)]);
}

int vSpr::UnitsToPx(double units) const
{
    return int(std::lround(units * fontMetrics().horizontalAdvance(QLatin1Char('0')))) + kPad;
}

void vSpr::SetColWidth(int col, double units)
{
    if (col < 1 || col > 8 || !(units >= 0) || units > 10000)
        return;
    m_units[size_t(col - 1)] = units;
    setColumnWidth(col - 1, UnitsToPx(units));
}

double vSpr::ColWidth(int col) const
{
    double set = m_units[size_t(col - 1)];
    int px = columnWidth(col - 1);
    if (px == UnitsToPx(set))
        return set;
    double units = double(px - kPad) / fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return std::round(std::max(0.0, units) * 100) / 100;
}
