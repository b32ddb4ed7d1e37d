#pragma once
// Orders of the result rows by a column's real value: texts regardless of
// letter case, sizes as numbers, dates as times; cells without a value
// (the side that has no file, a time that could not be shown) come last in
// either direction. Stable: rows of one value keep their running order.
#include "compare/rows/RowTable.h"

#include <vector>

// Row indexes in the order of column `col` (a GridCol), ascending or descending.
std::vector<int> SortedOrder(const RowTable& rows, int col, bool descending);
// A shown date "yy/mm/dd hh:mm" as minutes (two-digit years 70-99 read as
// 19xx, 00-69 as 20xx); -1 for an empty or unreadable text.
qint64 DateKey(QStringView text);
