#pragma once
// The stored rows of a display mode read back into the grid's table.
#include "compare/engine/CmprObserver.h"
#include "compare/rows/DispMode.h"
#include "compare/rows/RowTable.h"

class SqlDb;

// The store is read on a thread of its own while the table is made of what
// it has read, telling `obs` the rows read (phase Read) at least every
// 50 ms. Once obs.stop is set it ends with FcError(Stopped).
RowTable ReadTable(SqlDb& db, DispMode nDisp, CmprObserver& obs, CmprProgress& p);
