#include "compare/store/SqlDb.h"

#include "env/Error.h"
#include "env/NameBytes.h"

#include <sqlite3.h>

namespace {
void WarnCloseFailure(const QString& why) { qWarning("%s", qUtf8Printable(why)); }

void (*g_closeFailure)(const QString&) = WarnCloseFailure;

// Another process held the store past the busy timeout.
bool IsBusy(sqlite3* db)
{
    const int rc = db ? sqlite3_errcode(db) & 0xff : SQLITE_OK;
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

[[noreturn]] void Fail(sqlite3* db, const QString& what)
{
    QString why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("ﾒﾓﾘｰが足りません");
    if (IsBusy(db))
        throw FcError(ErrKind::Busy, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽは他のﾌﾟﾛｸﾞﾗﾑが使用中です (") + why + QLatin1Char(')'));
    throw FcError(ErrKind::Database, what + QStringLiteral(" (") + why + QLatin1Char(')'));
}
} // namespace

SqlStmt::SqlStmt(sqlite3* db, const QString& sql) : m_db(db)
{
    QByteArray u = sql.toUtf8();
    if (sqlite3_prepare_v2(db, u.constData(), int(u.size()), &m_st, nullptr) != SQLITE_OK)
        Fail(db, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽの命令を実行できません: ") + sql);
}

SqlStmt::~SqlStmt() { sqlite3_finalize(m_st); }

void SqlStmt::Check(int rc) const
{
    if (rc != SQLITE_OK)
        Fail(m_db, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽに値を渡せません"));
}

void SqlStmt::Bind(int i, qint64 v) { Check(sqlite3_bind_int64(m_st, i, v)); }

void SqlStmt::Bind(int i, QStringView v)
{
    // Encoded here into a buffer the statement keeps. A name's bytes are
    // stored exactly as the file system spells them, valid UTF-8 or not.
    if (m_utf8.size() <= size_t(i))
        m_utf8.resize(size_t(i) + 1);
    QByteArray& buf = m_utf8[size_t(i)];
    buf.resize(0); // its room is kept for the next row
    AppendEncodedName(buf, v);
    Check(sqlite3_bind_text(m_st, i, buf.constData(), int(buf.size()), SQLITE_STATIC));
}

void SqlStmt::BindBytes(int i, const QByteArray& utf8)
{
    if (m_utf8.size() <= size_t(i))
        m_utf8.resize(size_t(i) + 1);
    m_utf8[size_t(i)] = utf8; // shared, and so kept until the step
    Check(sqlite3_bind_text(m_st, i, utf8.constData(), int(utf8.size()), SQLITE_STATIC));
}

void SqlStmt::BindNull(int i) { Check(sqlite3_bind_null(m_st, i)); }

bool SqlStmt::Step()
{
    int rc = sqlite3_step(m_st);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(m_db, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽの命令が失敗しました"));
}

void SqlStmt::Reset()
{
    sqlite3_reset(m_st);
    sqlite3_clear_bindings(m_st);
}

qint64 SqlStmt::Int(int col) const { return sqlite3_column_int64(m_st, col); }

QString SqlStmt::Text(int col) const
{
    const unsigned char* p = sqlite3_column_text(m_st, col);
    if (!p)
        return QString();
    return DecodeName(reinterpret_cast<const char*>(p), sqlite3_column_bytes(m_st, col));
}

QByteArrayView SqlStmt::Bytes(int col) const
{
    const unsigned char* p = sqlite3_column_text(m_st, col);
    if (!p)
        return QByteArrayView();
    return QByteArrayView(reinterpret_cast<const char*>(p), sqlite3_column_bytes(m_st, col));
}

SqlDb::SqlDb(const QString& path) : m_path(path)
{
    // No statistics of SQLite's memory are read here; counting them takes a
    // global lock on every allocation. Only possible before SQLite starts.
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    (void)configured;
    QByteArray f = EncodeName(path);
    // A connection is used by one thread at a time (a store's thread, then
    // the one that opened it), never by two at once, so SQLite need not
    // take its lock on every call.
    int rc = sqlite3_open_v2(f.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("ﾒﾓﾘｰが足りません");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw FcError(ErrKind::Database,
                      QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽを開けません: ") + path + QStringLiteral(" (") + why + QLatin1Char(')'));
    }
    SetBusyTimeout(kBusyTimeoutMs);
}

void SqlDb::SetBusyTimeout(int ms) { sqlite3_busy_timeout(m_db, ms); }

SqlDb::~SqlDb()
{
    if (!m_db || sqlite3_close(m_db) == SQLITE_OK)
        return;
    g_closeFailure(QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽを閉じられません: ") + m_path + QStringLiteral(" (") +
                   QString::fromUtf8(sqlite3_errmsg(m_db)) + QLatin1Char(')'));
    sqlite3_close_v2(m_db);
}

void SqlDb::SetCloseFailureHandler(void (*handler)(const QString&))
{
    g_closeFailure = handler ? handler : WarnCloseFailure;
}

void SqlDb::Exec(const QString& sql)
{
    QByteArray u = sql.toUtf8();
    char* err = nullptr;
    if (sqlite3_exec(m_db, u.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        QString why = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        if (IsBusy(m_db))
            Fail(m_db, QString());
        throw FcError(ErrKind::Database, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽの命令が失敗しました: ") + m_path +
                                             QStringLiteral(" (") + why + QLatin1Char(')'));
    }
}

qint64 SqlDb::Changes() const { return sqlite3_changes64(m_db); }

qint64 SqlDb::LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

void SqlPrm(SqlStmt& st, std::initializer_list<SqlVal> values)
{
    int k = 1;
    for (const SqlVal& v : values) {
        switch (v.kind) {
        case SqlVal::Null: st.BindNull(k); break;
        case SqlVal::Int: st.Bind(k, v.i); break;
        case SqlVal::Text: st.Bind(k, v.s); break;
        }
        ++k;
    }
}

SmallCache::SmallCache(SqlDb& db, int kib) : m_db(db)
{
    SqlStmt q = db.Prepare(QStringLiteral("PRAGMA cache_size"));
    m_was = q.Step() ? q.Int(0) : 0;
    db.Exec(QStringLiteral("PRAGMA shrink_memory; PRAGMA cache_size=-%1").arg(kib));
}

SmallCache::~SmallCache()
{
    try {
        m_db.Exec(QStringLiteral("PRAGMA cache_size=%1").arg(m_was));
    } catch (...) {
        // the connection keeps the small cache: slower, never wrong
    }
}
