#pragma once
// One comparison run, the same for the window, its plans and the CLI: one
// call takes the request and what the caller needs of it, and runs the
// phases in their one order: compare, store (on a thread of its own), hand
// the result to the caller (rows streamed to a sink, the pairs a plan is
// made from) while the store is written, wait for the store, read rows
// back, commit, give the memory back. Every phase tells the observer how
// far it is and stops when asked; until the commit the store holds the
// previous result, so a run that fails or is stopped at any moment before
// it changes nothing there.
#include "compare/engine/CmprEngine.h"
#include "compare/rows/DispMode.h"
#include "compare/rows/RowTable.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class ResultStore;
class StoreSink;

// What to compare, how, and where the rows are stored.
struct CmprRequest : CmprInput {
    QString storePath; // the result store to write and make current; empty: none
};

// What a caller needs of a run besides its outcome.
struct CmprNeeds {
    // The rows of this display mode as the store holds them, read back
    // before the commit (the result's memory is given back first). Needs a
    // store.
    std::optional<DispMode> readBack;
    // Called with the result once the store's write lock is held, while the
    // rows are written: rows streamed to a sink, or a plan drawn from the
    // pairs. What it throws ends the run before the commit.
    std::function<void(const CmprResult&)> use;
    // Each file's and folder's stamp kept, for acting on the files.
    bool stamps = false;
};

struct CmprOutcome {
    CmprCounts counts;
    std::vector<WalkSkip> skipped;        // what could not be read, in walk order
    qint64 nRun = 0;                      // the run's number in the store's run log; 0 without a store
    qint64 nCnt = 1000;                   // the running number of the last file met
    std::shared_ptr<const RowTable> rows; // read back, where asked
    QString cacheNote;                    // why the digest cache could not be used; empty: it could
};

class CmprRun {
public:
    // The whole run. Throws FcError; once obs.stop is set it ends soon with
    // FcError(Stopped).
    static CmprOutcome Run(CmprRequest req, const CmprNeeds& needs, CmprObserver& obs);

    ~CmprRun();
    CmprRun(const CmprRun&) = delete;
    CmprRun& operator=(const CmprRun&) = delete;

private:
    CmprRun(CmprRequest req, CmprObserver& obs);
    // Walks, matches, classifies and reads contents: the result in memory.
    void Compare();
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
    // Waits for `f`, telling the observer every 50 ms.
    void Await(std::future<void>& f);
    bool HasStore() const { return !m_req.storePath.isEmpty(); }

    CmprRequest m_req;
    CmprObserver& m_obs;
    CmprProgress m_p;
    std::optional<CmprResult> m_result;
    std::unique_ptr<ResultStore> m_store;
    std::unique_ptr<StoreSink> m_sink;
    std::future<void> m_job;
    CmprOutcome m_out;
};
