#pragma once
// --sync: the plan of a comparison printed, or with --apply carried out.
#include "cli/CliOptions.h"
#include "compare/engine/CmprEngine.h"

// The exit status: without --apply 0 for an empty plan, 1 otherwise; with
// it 0 when every action was done, 2 when any was not.
int RunSync(const CliOptions& o, const CmprResult& r);
