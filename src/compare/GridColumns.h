#pragma once
// The eight columns of a result row, described once: headers, designed
// width, colours, alignment and how a row's cell is taken. The grid, the
// clipboard and the CLI all read this table.
#include "compare/RowFormat.h"

#include <QStringView>
#include <QtGlobal>
#include <array>

struct GridColumn {
    const char* top;    // first header row; the whole header where sub is empty
    const char* sub;    // second header row
    double width;       // designed width in character units
    quint32 fore, back; // 0xAARRGGBB
    bool right;         // right-aligned (sizes)
    bool name;          // part of a file name: stray bytes are shown as \xHH
};

inline constexpr int kGridCols = 8;
extern const std::array<GridColumn, kGridCols> kGridColumns;

// The cells of a row as stored, column by column. The two size texts are
// made into `sizes`, which must outlive the views.
std::array<QStringView, kGridCols> RowCells(const GridRow& r, std::array<QString, 2>& sizes,
                                            SizeStyle style = SizeStyle::Grouped);
// A column's header as one text: the group and the sub-header joined by a
// space ("ﾌｫﾙﾀﾞ1 ｻｲｽﾞ").
QString HeaderText(const GridColumn& c);
