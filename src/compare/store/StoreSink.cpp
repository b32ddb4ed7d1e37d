#include "compare/store/StoreSink.h"

#include "compare/engine/Walker.h"
#include "compare/store/RunLog.h"
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
    m_cache.emplace(m_db);
    m_db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_open = true;
    // Rows are matched in memory and read back in their order, so no index
    // on folder and name serves any query; one left by an earlier version
    // would only slow every run down. The old rows need not be overwritten
    // first (some builds of SQLite do so by default): that writes every page
    // of the previous result once more.
    m_db.Exec(QStringLiteral("PRAGMA secure_delete=0; DROP INDEX IF EXISTS ixPhFL; Delete From tbCmpr"));
    if (m_db.Prepare(QStringLiteral("Select 1 From sqlite_master Where type='table' And name='tbMove'")).Step())
        m_db.Exec(QStringLiteral("Delete From tbMove"));
    m_moves.clear();
    m_ins = Statement(kBatch);
    m_pending.reserve(kBatch);
}

std::unique_ptr<SqlStmt> StoreSink::Statement(int rows) const
{
    QString sql = QStringLiteral("Insert Or Fail Into tbCmpr (nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED) Values ");
    for (int k = 0; k < rows; ++k)
        sql += k == 0 ? QStringLiteral("(?,?,?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?,?,?)");
    return std::make_unique<SqlStmt>(m_db.Handle(), sql);
}

void StoreSink::Row(const CmprRow& r)
{
    if (!r.sPh.isSharedWith(m_ph)) { // the rows of one folder share its text: encoded once
        m_ph = r.sPh;
        m_phBytes = EncodeName(m_ph);
    }
    m_pending.push_back({r.nNo, r.nS1, r.nS2, m_phBytes, r.sFL, r.sU1, r.sU2, r.sED()});
    if (r.sPh2)
        m_moves.push_back({r.nNo, EncodeName(*r.sPh2), r.sFL2});
    if (int(m_pending.size()) == kBatch)
        Insert(*m_ins, kBatch);
}

void StoreSink::Insert(SqlStmt& st, int rows)
{
    for (int k = 0; k < rows; ++k) {
        const Pending& p = m_pending[size_t(k)];
        const int at = k * 8;
        st.Bind(at + 1, p.nNo);
        st.BindBytes(at + 2, p.ph);
        st.Bind(at + 3, p.fl);
        st.Bind(at + 4, p.u1);
        st.Bind(at + 5, p.u2);
        st.Bind(at + 6, p.nS1);
        st.Bind(at + 7, p.nS2);
        st.Bind(at + 8, p.ed);
    }
    st.Step();
    st.Reset();
    m_pending.clear();
    m_written.fetch_add(rows, std::memory_order_relaxed);
    if (m_stop && m_stop->load(std::memory_order_relaxed))
        ThrowStopped();
}

void StoreSink::End(const QString& sFld1, const QString& sFld2, const CmprCounts& n)
{
    m_ins.reset();
    if (!m_pending.empty())
        Insert(*Statement(int(m_pending.size())), int(m_pending.size()));
    InsertMoves();
    m_nRun = RunLog::Record(m_db, sFld1, sFld2, n, m_how);
}

void StoreSink::InsertMoves()
{
    if (m_moves.empty())
        return;
    m_db.Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS tbMove (nNo INTEGER PRIMARY KEY, sPh2 TEXT, sFL2 TEXT)"));
    SqlStmt st = m_db.Prepare(QStringLiteral("Insert Into tbMove (nNo, sPh2, sFL2) Values (?,?,?)"));
    for (const Move& m : m_moves) {
        st.Bind(1, m.nNo);
        st.BindBytes(2, m.ph2);
        st.Bind(3, m.fl2);
        st.Step();
        st.Reset();
    }
    m_moves.clear();
}

void StoreSink::Commit()
{
    m_db.Exec(QStringLiteral("COMMIT"));
    m_open = false;
    m_cache.reset();
}
