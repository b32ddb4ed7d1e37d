#include "compare/ResultStore.h"

#include "app/Usr.h"
#include "env/DirList.h"
#include "env/Error.h"

QString ResultStore::DefaultPath() { return Usr::sUsrFld + QStringLiteral("Cmpr.mdb"); }

void ResultStore::Prepare(SqlDb& db)
{
    db.Exec(
        QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;"
                       "CREATE TABLE IF NOT EXISTS tbCmpr (nNo INTEGER PRIMARY KEY, sPh TEXT COLLATE NOCASE,"
                       " sFL TEXT COLLATE NOCASE, sU1 TEXT, sU2 TEXT, nS1 INTEGER, nS2 INTEGER, sED TEXT);"
                       "CREATE INDEX IF NOT EXISTS ixPhFL ON tbCmpr (sPh, sFL);"));
}

void ResultStore::OpnDb()
{
    if (oDb)
        return;
    auto db = std::make_unique<SqlDb>(m_path);
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
    QString tmp = TempPath();
    try {
        Fso& fs = Usr::ChkFso();
        if (fs.FileExists(tmp))
            fs.DeleteFile(tmp, true);
        ClsDb();
        {
            SqlDb src(m_path);
            Prepare(src);
            SqlStmt st = src.Prepare(QStringLiteral("VACUUM INTO ?"));
            st.Bind(1, QStringView(tmp));
            st.Step();
        }
        QString why;
        if (!DirList::Rename(tmp, m_path, why))
            throw FcError(ErrKind::FileSystem, why);
    } catch (const FcError&) {
        // the store stays as it was; a half-written copy is not left behind
        QString ignored;
        DirList::Remove(tmp, ignored);
    }
    oDb.reset();
    OpnDb();
}
