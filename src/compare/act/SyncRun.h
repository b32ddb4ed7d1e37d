#pragma once
// A plan carried out: each action checked again against what the comparison
// saw (a file changed since is a conflict, left alone), then done safely.
// One failure fails that action alone; a stop ends at the next file, or
// inside a large one, every file as it was or wholly new.
#include "compare/act/SyncPlan.h"
#include "compare/engine/CmprObserver.h"

#include <vector>

struct SyncOutcome {
    enum State { Done, Conflict, Failed, NotDone };
    State state = NotDone;
    QString reason;
};

// The outcome of each action of the plan, in its order. Tells `obs` the
// actions done (files) and the bytes copied (phase Act).
std::vector<SyncOutcome> ApplyPlan(const std::vector<SyncAction>& plan, const QString& root1, const QString& root2,
                                   CmprObserver& obs);
