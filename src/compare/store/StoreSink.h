#pragma once
// The result store as a sink of the engine: the rows of one run replace
// tbCmpr (and the moved files' places on side 2, tbMove, made once there
// are any) in one transaction, with the run recorded in the run log at End
// and committed by Commit. A run that fails or is stopped before Commit is
// rolled back, so the store keeps the previous complete result.
#include "compare/engine/CmprEngine.h"
#include "compare/store/RunLog.h"
#include "compare/store/SqlDb.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class StoreSink : public RowSink {
public:
    // Once `stop` is set, the next rows end the run with FcError(Stopped).
    explicit StoreSink(SqlDb& db, const std::atomic<bool>* stop = nullptr) : m_db(db), m_stop(stop) {}
    ~StoreSink() override;
    void Begin() override;
    void Row(const CmprRow& r) override;
    void End(const QString& sFld1, const QString& sFld2, const CmprCounts& n) override;
    // How the run was made, for the run log.
    void SetMadeWith(RunLog::MadeWith how) { m_how = std::move(how); }
    // Makes the run's rows the store's result.
    void Commit();
    // The rows written so far; read from any thread.
    qint64 Written() const { return m_written.load(std::memory_order_relaxed); }
    // The number the run log gave the run (0 before End).
    qint64 nRun() const { return m_nRun; }

private:
    // Rows go in by the statement-full: far less work a row for SQLite than
    // one statement each.
    static constexpr int kBatch = 64;
    struct Pending {
        qint64 nNo, nS1, nS2;
        QByteArray ph; // the folder's stored form, shared by its rows
        QString fl, u1, u2, ed;
    };
    void Insert(SqlStmt& st, int rows);
    std::unique_ptr<SqlStmt> Statement(int rows) const;

    SqlDb& m_db;
    const std::atomic<bool>* m_stop;
    std::atomic<qint64> m_written{0};
    // The table is emptied and refilled page by page: a few cached pages
    // serve, where a big cache would take fresh memory for every page.
    std::optional<SmallCache> m_cache;
    std::unique_ptr<SqlStmt> m_ins; // kBatch rows
    std::vector<Pending> m_pending;
    struct Move {
        qint64 nNo;
        QByteArray ph2;
        QString fl2;
    };
    std::vector<Move> m_moves; // the moved files' places on side 2, written at End
    void InsertMoves();
    QString m_ph;         // the folder of the last row
    QByteArray m_phBytes; // and its stored form
    RunLog::MadeWith m_how;
    bool m_open = false;
    qint64 m_nRun = 0;
};
