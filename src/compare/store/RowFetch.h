#pragma once
// The stored rows of a display mode, read back in their running order.
#include "compare/rows/DispMode.h"
#include "compare/rows/RowFormat.h"

#include <functional>
#include <vector>

class SqlDb;

// The query of a display mode; `withNo` adds each row's number last.
QString ModeQuery(DispMode nDisp, bool withNo = false);
// Reads the rows of a display mode in chunks of `chunk` rows, a moved
// file's row with its place on side 2 (from tbMove).
void FetchRows(SqlDb& db, DispMode nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take);
