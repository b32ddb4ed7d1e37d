#pragma once
// What the grid and the command-line tool show of a stored row.
#include "compare/rows/GridRow.h"

#include <QString>

// How a row's line is written. Clipboard: cells as shown, a cell holding a
// tab, line break or double quote quoted as spreadsheets expect. Tsv: one
// line per row whatever the names hold, with backslash escapes. Csv: cells
// separated by commas, lines ended by CR LF, a cell holding a comma, double
// quote or line break quoted, inner quotes doubled.
enum class LineStyle { Clipboard, Tsv, Csv };
// Appends the eight cells of a row and the line end. A byte of a name that
// is not valid UTF-8 is written as \xHH in every style.
// With `moved`, a ninth cell: a moved file's place on side 2.
void AppendRowLine(QString& out, const GridRow& r, LineStyle style = LineStyle::Clipboard,
                   SizeStyle sizes = SizeStyle::Grouped, bool moved = false);
// Appends a text as a cell of a Tsv line is written (\\, \t, \n, \r, \xHH).
void AppendTsvText(QString& out, QStringView text);
// Appends the eight column headers as one line of the style.
void AppendHeaderLine(QString& out, LineStyle style, bool moved = false);
// The header of the ninth cell.
inline constexpr const char16_t* kMovedHeader = u"移動先";
