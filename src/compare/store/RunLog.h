#pragma once
// What each comparison run put into the store: its folders, when, its
// counts and which program made it, in the table tbRun beside tbCmpr.
// Several windows and the CLI may share one store; a window shows rows
// only while the latest run is still its own.
#include <QString>

class SqlDb;
struct CmprCounts;

namespace RunLog {
// Creates tbRun when missing.
void Prepare(SqlDb& db);
// Records a run inside the caller's transaction, with the exclusion and
// inclusion patterns it was made with (empty: none); returns its number.
// Only the last 100 runs are kept.
qint64 Record(SqlDb& db, const QString& sFld1, const QString& sFld2, const CmprCounts& n,
              const QString& sExcl = QString(), const QString& sIncl = QString());
// The number of the latest run, 0 when there is none.
qint64 Latest(SqlDb& db);
} // namespace RunLog
