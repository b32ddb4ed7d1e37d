#pragma once
// The stored rows of a display mode read back into the grid's table.
#include "compare/engine/CmprObserver.h"
#include "compare/rows/DispMode.h"
#include "compare/rows/RowTable.h"

#include <optional>

class SqlDb;

// The store is read on a thread of its own while the table is made of what
// it has read, telling `obs` the rows read (phase Read) at least every
// 50 ms. Once obs.stop is set it ends with FcError(Stopped).
RowTable ReadTable(SqlDb& db, DispMode nDisp, CmprObserver& obs, CmprProgress& p);
// The same, only while the store holds the run `nRun`: the check and the
// read are one read transaction, so no other program's run can come
// between them. None when the store holds another run.
std::optional<RowTable> ReadOwnTable(SqlDb& db, DispMode nDisp, qint64 nRun, CmprObserver& obs, CmprProgress& p);
