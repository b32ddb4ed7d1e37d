#pragma once
// One comparison run, the same for the window and the CLI: the request,
// the engine's result, the rows written to a store (or none) and read back,
// and the outcome. Every phase tells the observer how far it is and stops
// when asked; until Commit the store holds the previous result, so a run
// that fails or is stopped at any moment before it changes nothing there.
#include "compare/engine/CmprEngine.h"
#include "compare/rows/DispMode.h"
#include "compare/rows/RowTable.h"

#include <future>
#include <memory>
#include <optional>
#include <vector>

class ResultStore;
class StoreSink;

struct CmprRequest : CmprInput {
    QString storePath; // the result store to write; empty: none
};

struct CmprOutcome {
    CmprCounts counts;
    std::vector<WalkSkip> skipped; // what could not be read, in walk order
    qint64 nRun = 0;               // the run's number in the store's run log; 0 without a store
    qint64 nCnt = 1000;            // the running number of the last file met
};

class CmprRun {
public:
    CmprRun(CmprRequest req, CmprObserver& obs);
    ~CmprRun();
    CmprRun(const CmprRun&) = delete;
    CmprRun& operator=(const CmprRun&) = delete;

    // Walks, matches, classifies and reads contents: the result in memory.
    const CmprResult& Compare();
    // Starts writing the rows to the store on a thread of its own; returns
    // once the store's write lock is held, so a store that cannot be opened
    // or is held by another program fails here. Nothing without a store.
    void StoreBegin();
    // Waits until every row is written.
    void StoreWait();
    // The rows of a display mode as the store holds them, before Commit.
    RowTable ReadBack(DispMode nDisp);
    // Makes the run the store's result; a no-op without a store.
    void Commit();
    // Gives the memory of the result back to the system; the outcome stays.
    void Release();

    const CmprRequest& Request() const { return m_req; }
    const CmprOutcome& Outcome() const { return m_out; }
    bool HasStore() const { return !m_req.storePath.isEmpty(); }

private:
    // Waits for `f`, telling the observer every 50 ms.
    void Await(std::future<void>& f);

    CmprRequest m_req;
    CmprObserver& m_obs;
    CmprProgress m_p;
    std::optional<CmprResult> m_result;
    std::unique_ptr<ResultStore> m_store;
    std::unique_ptr<StoreSink> m_sink;
    std::future<void> m_job;
    CmprOutcome m_out;
};
