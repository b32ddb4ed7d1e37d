#pragma once
// --sync: the plan of a comparison printed, or with --apply carried out.
#include "cli/CliOptions.h"
#include "compare/engine/CmprEngine.h"

// The exit status: 2 where the folders may not be acted on (one inside the
// other) or anything could not be read; without --apply 0 for an empty
// plan, 1 otherwise; with it 0 when every action was done, 2 when any was
// not, and 128 + the signal's number when SIGINT, SIGTERM or SIGHUP
// stopped it (at the next file or inside one, every file whole).
int RunSync(const CliOptions& o, const CmprResult& r);
