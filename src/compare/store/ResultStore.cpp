#include "compare/store/ResultStore.h"

#include "compare/store/RunLog.h"
#include "env/DirList.h"
#include "env/Error.h"
#include "env/Fso.h"

QString ResultStore::PathIn(const QString& dataFolder) { return dataFolder + QStringLiteral("Cmpr.mdb"); }

void ResultStore::Prepare(SqlDb& db)
{
    db.Exec(QStringLiteral(
        "PRAGMA page_size=32768; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;"
        "CREATE TABLE IF NOT EXISTS tbCmpr (nNo INTEGER PRIMARY KEY, sPh TEXT COLLATE NOCASE,"
        " sFL TEXT COLLATE NOCASE, sU1 TEXT, sU2 TEXT, nS1 INTEGER, nS2 INTEGER, sED TEXT);"));
    RunLog::Prepare(db);
}

void ResultStore::OpnDb()
{
    if (oDb)
        return;
    auto db = std::make_unique<SqlDb>(m_path);
    db->SetBusyTimeout(m_busyMs);
    Prepare(*db);
    oDb = std::move(db);
}

SqlDb& ResultStore::Db()
{
    if (!oDb)
        throw FcError(ErrKind::Database, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽが開かれていません"));
    return *oDb;
}

QString ResultStore::TempPath() const { return m_path.left(m_path.size() - 4) + QStringLiteral("$$$.mdb"); }

void ResultStore::CmpctDb()
{
    // A copy left by an older way of compacting is of no use any more; one
    // that is a link goes as a link, what it points at untouched.
    const Fso fs;
    if (DirList::IsLink(TempPath()) || fs.FileExists(TempPath()))
        fs.DeleteFile(TempPath(), true);
    OpnDb();
    // In place, under SQLite's own locks: another instance or the CLI may
    // hold the store open, and a file renamed over it would corrupt theirs.
    try {
        oDb->Exec(QStringLiteral("VACUUM"));
    } catch (const FcError& e) {
        if (e.kind() == ErrKind::Busy)
            throw FcError(ErrKind::Busy, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽは他で使用中のため最適化できませんでした") +
                                             QLatin1Char('\n') + e.message());
        throw;
    }
}
