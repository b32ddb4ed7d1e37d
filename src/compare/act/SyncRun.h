#pragma once
// A plan carried out: each action checked again against what the
// comparison saw (a change since is a conflict, left alone), then done
// safely. Copies are written aside in batches, the volumes flushed once a
// batch, then each checked again and put in place, then the folders
// flushed: after a crash at any moment every destination is old and whole
// or new and whole. One failure fails that action alone; a stop ends at
// the next file, or inside a large one.
#include "compare/act/SyncPlan.h"
#include "compare/engine/CmprObserver.h"

#include <vector>

struct SyncOutcome {
    enum State { Done, Conflict, Failed, NotDone };
    State state = NotDone;
    QString reason;
    QString note; // done, but something of the source was not kept (extended attributes)
};

// The outcome of each action of the plan, in its order. Tells `obs` the
// actions done (files) and the bytes copied (phase Act). A refused plan
// does nothing.
std::vector<SyncOutcome> ApplyPlan(const SyncPlan& plan, CmprObserver& obs);
