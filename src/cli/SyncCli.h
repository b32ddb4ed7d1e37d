#pragma once
// --sync: the plan of a comparison printed, or with --apply carried out.
#include "compare/act/SyncPlan.h"
#include "compare/engine/CmprEngine.h"

// The plan asked for, and what is done with it.
struct SyncSettings {
    PlanKind plan;
    bool apply = false; // carry it out; otherwise print it
    CmprRule
        rule; // times that count as the same, and whether equal bytes are the same file, as the comparison took them
};

// The exit status: 2 where the folders may not be acted on (one inside the
// other) or anything could not be read; without --apply 0 for an empty
// plan, 1 otherwise; with it 0 when every action was done, 2 when any was
// not, and 128 + the signal's number when SIGINT, SIGTERM or SIGHUP
// stopped it (at the next file or inside one, every file whole).
int RunSync(const SyncSettings& s, const CmprResult& r);
