#include "compare/run/RowRead.h"

#include "compare/engine/Walker.h"
#include "compare/store/RowFetch.h"
#include "compare/store/RunLog.h"
#include "compare/store/SqlDb.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {
const int kChunk = 10000;

// Chunks of rows handed from the thread that reads the store to the one
// that makes the table; at most two wait, so memory holds little more than
// the table.
class Chunks {
public:
    struct Closed {};
    enum Taken { Got, Waiting, Ended };
    // Waits for room; throws Closed once the taker has given up.
    void Put(std::vector<GridRow>&& c)
    {
        std::unique_lock lk(m_mx);
        m_cv.wait(lk, [&] { return m_q.size() < 2 || m_closed; });
        if (m_closed)
            throw Closed{};
        m_q.push_back(std::move(c));
        m_cv.notify_all();
    }
    // The next chunk, waiting at most 50 ms for it.
    Taken Take(std::vector<GridRow>& c)
    {
        std::unique_lock lk(m_mx);
        if (!m_cv.wait_for(lk, std::chrono::milliseconds(50), [&] { return !m_q.empty() || m_closed; }))
            return Waiting;
        if (m_q.empty())
            return Ended;
        c = std::move(m_q.front());
        m_q.pop_front();
        m_cv.notify_all();
        return Got;
    }
    void Close()
    {
        std::lock_guard lk(m_mx);
        m_closed = true;
        m_cv.notify_all();
    }

private:
    std::mutex m_mx;
    std::condition_variable m_cv;
    std::deque<std::vector<GridRow>> m_q;
    bool m_closed = false;
};

// Takes the chunks into the table until the reader has ended.
void TakeAll(Chunks& chunks, RowTable& all, CmprObserver& obs, CmprProgress& p)
{
    std::vector<GridRow> c;
    for (;;) {
        const Chunks::Taken t = chunks.Take(c);
        if (t == Chunks::Ended)
            return;
        if (t == Chunks::Got) {
            for (const GridRow& r : c)
                all.Add(r);
            p.rowsRead += qint64(c.size());
        }
        obs.Progress(p);
        if (obs.Stopping())
            ThrowStopped();
    }
}

// A read transaction of the thread that makes it.
class ReadTransaction {
public:
    explicit ReadTransaction(SqlDb& db) : m_db(db) { m_db.Exec(QStringLiteral("BEGIN")); }
    ~ReadTransaction()
    {
        try {
            m_db.Exec(QStringLiteral("COMMIT"));
        } catch (...) {
        }
    }

private:
    SqlDb& m_db;
};

// The rows, read on a thread of their own; with nRun >= 0 only in one read
// transaction with the check that the store holds that run.
std::optional<RowTable> Read(SqlDb& db, DispMode nDisp, qint64 nRun, CmprObserver& obs, CmprProgress& p)
{
    p.phase = CmprPhase::Read;
    p.rowsRead = 0;
    obs.Progress(p);
    Chunks chunks;
    bool ours = true;
    auto reader = std::async(std::launch::async, [&] {
        try {
            std::optional<ReadTransaction> tx;
            if (nRun >= 0) {
                tx.emplace(db);
                ours = RunLog::Latest(db) == nRun;
            }
            if (ours)
                FetchRows(db, nDisp, kChunk, [&](std::vector<GridRow>& c) { chunks.Put(std::move(c)); });
        } catch (const Chunks::Closed&) {
        } catch (...) {
            chunks.Close();
            throw;
        }
        chunks.Close();
    });
    RowTable all;
    try {
        TakeAll(chunks, all, obs, p);
    } catch (...) {
        chunks.Close();
        reader.wait();
        throw;
    }
    reader.get(); // what the reading met, if anything
    if (!ours)
        return std::nullopt;
    all.Done();
    return all;
}
} // namespace

RowTable ReadTable(SqlDb& db, DispMode nDisp, CmprObserver& obs, CmprProgress& p)
{
    return std::move(*Read(db, nDisp, -1, obs, p));
}

std::optional<RowTable> ReadOwnTable(SqlDb& db, DispMode nDisp, qint64 nRun, CmprObserver& obs, CmprProgress& p)
{
    return Read(db, nDisp, nRun, obs, p);
}
