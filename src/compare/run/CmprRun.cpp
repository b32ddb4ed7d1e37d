#include "compare/run/CmprRun.h"

#include "compare/run/RowRead.h"
#include "compare/store/ResultStore.h"
#include "compare/store/StoreSink.h"
#include "env/Error.h"
#include "env/Heap.h"

CmprRun::CmprRun(CmprRequest req, CmprObserver& obs) : m_req(std::move(req)), m_obs(obs) {}

CmprOutcome CmprRun::Run(CmprRequest req, const CmprNeeds& needs, CmprObserver& obs)
{
    if (needs.stamps)
        req.walk.stamps = true; // each action is checked again against them
    CmprRun run(std::move(req), obs);
    run.Compare();
    run.StoreBegin();
    if (needs.use)
        needs.use(*run.m_result);
    run.StoreWait();
    if (needs.readBack) {
        run.m_p.phase = CmprPhase::Read;
        run.Release(); // the table read back would come on top of the result
        run.m_out.rows = std::make_shared<const RowTable>(run.ReadBack(*needs.readBack));
    }
    run.Commit();
    return std::move(run.m_out);
}

CmprRun::~CmprRun()
{
    if (m_job.valid())
        m_job.wait();
    m_sink.reset(); // rolls back what was not committed
}

void CmprRun::Compare()
{
    m_result.emplace(CmprEngine::Run(m_req, m_obs));
    m_out.counts = m_result->Counts();
    m_out.skipped = m_result->Skipped();
    m_out.nCnt = m_result->nCnt();
    m_out.cacheNote = m_result->CacheNote();
    m_p.files = qint64(m_result->Places()); // the files both walks met
}

void CmprRun::Await(std::future<void>& f)
{
    AwaitReporting(f, [this] {
        m_p.rowsWritten = m_sink ? m_sink->Written() : 0;
        m_obs.Progress(m_p);
    });
    f.get();
}

void CmprRun::StoreBegin()
{
    if (!HasStore() || !m_result)
        return;
    m_store = std::make_unique<ResultStore>(m_req.storePath);
    m_store->OpnDb();
    m_sink = std::make_unique<StoreSink>(m_store->Db(), &m_obs.stop);
    m_sink->SetMadeWith({m_req.filter.ExcludeText(), m_req.filter.IncludeText(), m_req.rule});
    m_p.phase = CmprPhase::Store;
    m_p.rowsWritten = 0;
    auto begun = std::make_shared<std::promise<void>>();
    std::future<void> locked = begun->get_future();
    m_job = std::async(std::launch::async, [this, begun] {
        try {
            m_sink->Begin();
        } catch (...) {
            begun->set_exception(std::current_exception());
            throw;
        }
        begun->set_value();
        const CmprResult& r = *m_result;
        r.EmitRows(*m_sink, 0, r.Places());
        m_sink->End(r.Folder1(), r.Folder2(), r.Counts());
    });
    try {
        Await(locked);
    } catch (...) {
        m_job.wait();
        throw;
    }
}

void CmprRun::StoreWait()
{
    if (!m_job.valid())
        return;
    Await(m_job);
    m_p.rowsWritten = m_sink->Written();
    m_obs.Progress(m_p);
    m_out.nRun = m_sink->nRun();
}

RowTable CmprRun::ReadBack(DispMode nDisp)
{
    if (!m_store)
        throw FcError(ErrKind::Database, QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽが開かれていません"));
    return ReadTable(m_store->Db(), nDisp, m_obs, m_p);
}

void CmprRun::Commit()
{
    if (!m_sink)
        return;
    m_obs.Progress(m_p); // the last moment a stop keeps the previous result
    if (m_obs.Stopping())
        ThrowStopped();
    m_sink->Commit();
    m_sink.reset();
    m_store->ClsDb();
}

void CmprRun::Release()
{
    if (!m_result)
        return;
    // The memory of both walks goes back now, or what a caller makes next
    // (the window's table) would come on top of it; then what the run
    // freed in the pieces of every heap. Both take a while at a million
    // files: the observer is told meanwhile.
    Polled(
        [this] {
            {
                HeapsGiveBackOnFree giveBack;
                m_result.reset();
            }
            ReturnFreedMemory();
        },
        [this] { m_obs.Progress(m_p); });
}
