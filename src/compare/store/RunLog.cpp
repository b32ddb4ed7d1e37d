#include "compare/store/RunLog.h"

#include "compare/engine/CmprEngine.h"
#include "compare/store/SqlDb.h"

#include <QCoreApplication>
#include <QDateTime>

namespace RunLog {
namespace {
// The column of each code's count, in the order of kCmprCodes.
constexpr std::array<const char*, kCmprCodes.size()> kCountColumns = {"n1Only", "n2Only",  "nSame", "nNew1",
                                                                      "nNew2",  "nDiffer", "nMoved"};

// Columns added after the first version of the table, each with its type.
constexpr std::pair<const char*, const char*> kAdded[] = {
    {"sExcl", "TEXT"}, {"sIncl", "TEXT"},  {"nDiffer", "INTEGER"}, {"sCrit", "TEXT"},
    {"sTol", "TEXT"},  {"sMoves", "TEXT"}, {"nMoved", "INTEGER"}};

bool HasColumn(SqlDb& db, const char* name)
{
    SqlStmt st = db.Prepare(QStringLiteral("Select 1 From pragma_table_info('tbRun') Where name = ?"));
    SqlPrm(st, {QString::fromLatin1(name)});
    return st.Step();
}
} // namespace

void Prepare(SqlDb& db)
{
    db.Exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS tbRun (nRun INTEGER PRIMARY KEY, sFld1 TEXT, sFld2 TEXT,"
                       " dRun TEXT, nRows INTEGER, n1Only INTEGER, n2Only INTEGER, nSame INTEGER,"
                       " nNew1 INTEGER, nNew2 INTEGER, nSkip INTEGER, sPrg TEXT)"));
    for (const auto& [name, type] : kAdded)
        if (!HasColumn(db, name))
            db.Exec(QStringLiteral("ALTER TABLE tbRun ADD COLUMN %1 %2").arg(QLatin1String(name), QLatin1String(type)));
}

qint64 Record(SqlDb& db, const QString& sFld1, const QString& sFld2, const CmprCounts& n, const MadeWith& how)
{
    const QString when = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QString by = QCoreApplication::applicationName() + QStringLiteral(" pid ") +
                       QString::number(QCoreApplication::applicationPid());
    const QString crit = QString::fromUtf16(kCriteria[size_t(how.rule.criterion)].word);
    const QString tol = QString::fromUtf16(kTolerances[size_t(how.rule.tolerance)].word);
    const QString moves = how.rule.moves ? QString::fromUtf16(kMovesWord) : QString();
    QString cols = QStringLiteral("sFld1, sFld2, dRun, nRows, nSkip, sPrg, sExcl, sIncl, sCrit, sTol, sMoves");
    QString marks = QStringLiteral("?,?,?,?,?,?,?,?,?,?,?");
    for (const char* c : kCountColumns) {
        cols += QStringLiteral(", ") + QLatin1String(c);
        marks += QStringLiteral(",?");
    }
    SqlStmt ins = db.Prepare(QStringLiteral("Insert Into tbRun (%1) Values (%2)").arg(cols, marks));
    SqlPrm(ins, {sFld1, sFld2, when, n.rows, n.skipped, by, how.sExcl, how.sIncl, crit, tol, moves});
    for (size_t i = 0; i < kCountColumns.size(); ++i)
        ins.Bind(12 + int(i), n.byCode[i]);
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
