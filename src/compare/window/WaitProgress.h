#pragma once
// The wait window as the observer of a comparison run: it shows how far
// each phase is, and its "中止" button and Esc stop the run.
#include "compare/engine/CmprObserver.h"

class sbWait;

class WaitProgress : public CmprObserver {
public:
    // With `stoppable` the wait window offers "中止" until it ends.
    WaitProgress(sbWait& w, bool stoppable);
    void Progress(const CmprProgress& p) override;

private:
    sbWait& m_w;
};
