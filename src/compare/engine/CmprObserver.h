#pragma once
// What a comparison run tells while it works, and how it is asked to stop.
// Every phase (walking, matching, reading contents, writing the store,
// reading rows back) runs its work off the thread that started the run and
// calls Progress on that thread at least every 50 ms, so a window stays
// painted and its stop button answers whatever the phase.
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <future>

enum class CmprPhase { Walk, Match, Content, Store, Read, Act };

struct CmprProgress {
    CmprPhase phase = CmprPhase::Walk;
    qint64 files = 0;       // files met by the walks; pairs done by the content compare; actions done when acting
    qint64 bytes = 0;       // bytes read by the content compare, or copied
    qint64 filesTotal = 0;  // the content compare's pairs, and
    qint64 bytesTotal = 0;  // the bytes it reads at most
    qint64 rowsWritten = 0; // rows written to the store
    qint64 rowsRead = 0;    // rows read back from it
};

class CmprObserver {
public:
    virtual ~CmprObserver() = default;
    virtual void Progress(const CmprProgress& p) { (void)p; }
    bool Stopping() const { return stop.load(std::memory_order_relaxed); }
    // Set from any thread to stop the run; it ends soon after with
    // FcError(Stopped), the store as it was before the run.
    std::atomic<bool> stop{false};
};

// Calls `report` now and every 50 ms until `f` is ready.
template <typename Future, typename Report>
void AwaitReporting(Future& f, Report report)
{
    report();
    while (f.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        report();
}

// Runs `job` on a thread of its own, reporting on this one meanwhile; its
// result, or what it threw.
template <typename Job, typename Report>
auto Polled(Job job, Report report)
{
    auto f = std::async(std::launch::async, std::move(job));
    AwaitReporting(f, report);
    return f.get();
}
