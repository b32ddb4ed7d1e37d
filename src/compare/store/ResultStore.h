#pragma once
// The result store Cmpr.mdb: one SQLite file with the table tbCmpr, created
// with its index when missing; opened, closed and compacted here.
#include "compare/store/SqlDb.h"

#include <memory>

class ResultStore {
public:
    explicit ResultStore(const QString& path) : m_path(path) {}
    // The store of a user data folder (ending with the separator).
    static QString PathIn(const QString& dataFolder);

    void OpnDb();
    void ClsDb() { oDb.reset(); }
    // Compacts the store in place; it is open afterwards. A stale
    // Cmpr$$$.mdb is removed. Throws FcError(Busy), changing nothing, when
    // another process holds the store past the busy timeout.
    void CmpctDb();
    void SetBusyTimeout(int ms) { m_busyMs = ms; }
    bool IsOpen() const { return oDb != nullptr; }
    SqlDb& Db();
    const QString& Path() const { return m_path; }
    QString TempPath() const;

private:
    static void Prepare(SqlDb& db);
    QString m_path;
    std::unique_ptr<SqlDb> oDb;
    int m_busyMs = SqlDb::kBusyTimeoutMs;
};
