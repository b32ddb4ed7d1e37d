#pragma once
// A small RAII wrapper over an SQLite connection and its statements. Every
// failure raises FcError(Database) with SQLite's own message.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <initializer_list>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class SqlStmt {
public:
    SqlStmt(sqlite3* db, const QString& sql);
    ~SqlStmt();
    SqlStmt(const SqlStmt&) = delete;
    SqlStmt& operator=(const SqlStmt&) = delete;

    void Bind(int i, qint64 v);
    void Bind(int i, QStringView v);
    void BindNull(int i);
    // Text already in the stored form, kept by the statement until the next
    // bind of that place.
    void BindBytes(int i, const QByteArray& utf8);
    // Runs one step: true while a row is available.
    bool Step();
    void Reset();
    qint64 Int(int col) const;
    QString Text(int col) const;
    // The column's bytes as stored, valid until the next step; null for NULL.
    QByteArrayView Bytes(int col) const;

private:
    void Check(int rc) const;
    sqlite3* m_db;
    sqlite3_stmt* m_st = nullptr;
    std::vector<QByteArray> m_utf8; // bound texts, kept until the next bind
};

class SqlDb {
public:
    // Opens the file, creating it when missing.
    explicit SqlDb(const QString& path);
    ~SqlDb();
    SqlDb(const SqlDb&) = delete;
    SqlDb& operator=(const SqlDb&) = delete;

    void Exec(const QString& sql);
    SqlStmt Prepare(const QString& sql) { return SqlStmt(m_db, sql); }
    qint64 Changes() const;
    qint64 LastInsertId() const;
    // How long a statement waits for another process's lock before it
    // fails with FcError(Busy).
    static constexpr int kBusyTimeoutMs = 5000;
    void SetBusyTimeout(int ms);
    const QString& Path() const { return m_path; }
    sqlite3* Handle() const { return m_db; }

    // Called when a connection cannot close because a statement of it is
    // still open: a fault of the caller. The connection is then freed as
    // soon as its last statement is. Tests turn this into a failure.
    static void SetCloseFailureHandler(void (*handler)(const QString& why));

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

// While it lives, the connection gives back the pages its cache holds and
// keeps only a few: for work that touches each page about once (a forward
// scan, a table emptied and refilled), where a big cache only costs fresh
// memory. The size before is restored after.
class SmallCache {
public:
    explicit SmallCache(SqlDb& db, int kib = 2048);
    ~SmallCache();
    SmallCache(const SmallCache&) = delete;
    SmallCache& operator=(const SmallCache&) = delete;

private:
    SqlDb& m_db;
    qint64 m_was;
};

// A statement and the values bound to its placeholders, in order.
struct SqlVal {
    enum Kind { Null, Int, Text } kind;
    qint64 i = 0;
    QStringView s;
    SqlVal() : kind(Null) {}
    SqlVal(qint64 v) : kind(Int), i(v) {}
    SqlVal(QStringView v) : kind(Text), s(v) {}
    SqlVal(const QString& v) : kind(Text), s(v) {}
};
// Binds the k-th value to the k-th placeholder; values are never spliced
// into the statement text.
void SqlPrm(SqlStmt& st, std::initializer_list<SqlVal> values);

// Runs a function inside one transaction: committed when it returns,
// rolled back when it throws.
template <class F>
void InTransaction(SqlDb& db, F&& f)
{
    db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        f();
        db.Exec(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.Exec(QStringLiteral("ROLLBACK"));
        } catch (...) {
        }
        throw;
    }
}
