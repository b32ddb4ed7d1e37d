#include "compare/store/RunLog.h"

#include "compare/engine/CmprEngine.h"
#include "compare/store/SqlDb.h"

#include <QCoreApplication>
#include <QDateTime>

namespace RunLog {

void Prepare(SqlDb& db)
{
    db.Exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS tbRun (nRun INTEGER PRIMARY KEY, sFld1 TEXT, sFld2 TEXT,"
                       " dRun TEXT, nRows INTEGER, n1Only INTEGER, n2Only INTEGER, nSame INTEGER,"
                       " nNew1 INTEGER, nNew2 INTEGER, nSkip INTEGER, sPrg TEXT, sExcl TEXT, sIncl TEXT)"));
    // a log made before runs kept their filters gains the columns
    SqlStmt cols = db.Prepare(QStringLiteral("Select 1 From pragma_table_info('tbRun') Where name = 'sExcl'"));
    if (!cols.Step())
        db.Exec(QStringLiteral("ALTER TABLE tbRun ADD COLUMN sExcl TEXT; ALTER TABLE tbRun ADD COLUMN sIncl TEXT"));
}

qint64 Record(SqlDb& db, const QString& sFld1, const QString& sFld2, const CmprCounts& n, const QString& sExcl,
              const QString& sIncl)
{
    const QString when = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QString by = QCoreApplication::applicationName() + QStringLiteral(" pid ") +
                       QString::number(QCoreApplication::applicationPid());
    SqlStmt ins =
        db.Prepare(QStringLiteral("Insert Into tbRun (sFld1, sFld2, dRun, nRows, n1Only, n2Only, nSame,"
                                  " nNew1, nNew2, nSkip, sPrg, sExcl, sIncl) Values (?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    SqlPrm(ins,
           {sFld1, sFld2, when, n.rows, n.only1, n.only2, n.same, n.newer1, n.newer2, n.skipped, by, sExcl, sIncl});
    ins.Step();
    const qint64 run = db.LastInsertId();
    SqlStmt old = db.Prepare(QStringLiteral("Delete From tbRun Where nRun <= ?"));
    SqlPrm(old, {run - 100});
    old.Step();
    return run;
}

qint64 Latest(SqlDb& db)
{
    SqlStmt st = db.Prepare(QStringLiteral("Select Max(nRun) From tbRun"));
    return st.Step() ? st.Int(0) : 0;
}

} // namespace RunLog
