#pragma once
// The wait window as the observer of a comparison run: it shows how far
// each phase is, and its "中止" button and Esc stop the run.
#include "compare/engine/CmprObserver.h"

#include <QString>

class sbWait;

class WaitProgress : public CmprObserver {
public:
    // With `stoppable` the wait window offers "中止" until it ends; where
    // `readMsg` is given, it becomes the window's message once the rows
    // are read back.
    WaitProgress(sbWait& w, bool stoppable, QString readMsg = QString());
    void Progress(const CmprProgress& p) override;

private:
    sbWait& m_w;
    QString m_readMsg;
};
