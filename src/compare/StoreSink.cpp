#include "compare/StoreSink.h"

#include "compare/RunLog.h"
#include "env/NameBytes.h"

StoreSink::~StoreSink()
{
    if (!m_open)
        return;
    m_ins.reset();
    try {
        m_db.Exec(QStringLiteral("ROLLBACK"));
    } catch (...) {
    }
}

void StoreSink::Begin()
{
    m_db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_open = true;
    // Rows are matched in memory and read back in their order, so no index
    // on folder and name serves any query; one left by an earlier version
    // would only slow every run down.
    m_db.Exec(QStringLiteral("DROP INDEX IF EXISTS ixPhFL; Delete From tbCmpr"));
    m_ins = std::make_unique<SqlStmt>(
        m_db.Handle(),
        QStringLiteral("Insert Into tbCmpr (nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED) Values (?,?,?,?,?,?,?,?)"));
}

void StoreSink::Row(const CmprRow& r)
{
    if (!r.sPh.isSharedWith(m_ph)) { // the rows of one folder share its text: encoded once
        m_ph = r.sPh;
        m_phBytes = EncodeName(m_ph);
    }
    SqlPrm(*m_ins, {r.nNo, SqlVal(), r.sFL, r.sU1, r.sU2, r.nS1, r.nS2, r.sED});
    m_ins->BindBytes(2, m_phBytes);
    m_ins->Step();
    m_ins->Reset();
}

void StoreSink::End(const QString& sFld1, const QString& sFld2, const CmprCounts& n)
{
    m_ins.reset();
    m_nRun = RunLog::Record(m_db, sFld1, sFld2, n);
    m_db.Exec(QStringLiteral("COMMIT"));
    m_open = false;
}
