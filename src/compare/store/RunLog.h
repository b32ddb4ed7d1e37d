#pragma once
// What each comparison run put into the store: its folders, when, its
// counts, how it was made and which program made it, in the table tbRun
// beside tbCmpr. Several windows and the CLI may share one store; a window
// shows rows only while the latest run is still its own.
#include "compare/engine/CmprRule.h"

#include <QString>

class SqlDb;
struct CmprCounts;

namespace RunLog {
// How a run was made: the exclusion and inclusion patterns (empty: none)
// and the rule.
struct MadeWith {
    QString sExcl, sIncl;
    CmprRule rule;
};
// Creates tbRun when missing; a log made by an earlier version gains the
// columns it lacks.
void Prepare(SqlDb& db);
// Records a run inside the caller's transaction; returns its number. Only
// the last 100 runs are kept.
qint64 Record(SqlDb& db, const QString& sFld1, const QString& sFld2, const CmprCounts& n, const MadeWith& how = {});
// The number of the latest run, 0 when there is none.
qint64 Latest(SqlDb& db);
} // namespace RunLog
