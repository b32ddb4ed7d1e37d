#pragma once
// The eight columns of a result row, described once: headers, designed
// width, colours, what the column holds and how a row's cell is taken. The
// grid, its sort keys, the clipboard and the CLI all read this table.
#include "compare/rows/GridRow.h"

#include <QStringView>
#include <QtGlobal>
#include <array>

// The columns, in the grid's order (0-based, as the model counts them).
enum GridCol : int { ColPh, ColName, ColExt, ColCode, ColSize1, ColDate1, ColSize2, ColDate2, kGridCols };

struct GridColumn {
    enum Kind { Text, Size, Date };
    const char* top;    // first header row; the whole header where sub is empty
    const char* sub;    // second header row
    double width;       // designed width in character units
    quint32 fore, back; // 0xAARRGGBB
    Kind kind;          // sizes are right-aligned and sort as numbers, dates as times
    int side;           // the side a size or date belongs to (1, 2); 0 for the others
    bool name;          // part of a file name: stray bytes are shown as \xHH
};

extern const std::array<GridColumn, kGridCols> kGridColumns;

inline bool IsGridCol(int col) { return col >= 0 && col < kGridCols; }
inline const GridColumn& ColumnOf(int col) { return kGridColumns[size_t(col)]; }

// The cells of a row as stored, column by column. The two size texts are
// made into `sizes`, which must outlive the views.
std::array<QStringView, kGridCols> RowCells(const GridRow& r, std::array<QString, 2>& sizes,
                                            SizeStyle style = SizeStyle::Grouped);
// A column's header as one text: the group and the sub-header joined by a
// space ("ﾌｫﾙﾀﾞ1 ｻｲｽﾞ").
QString HeaderText(const GridColumn& c);
