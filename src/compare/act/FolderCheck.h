#pragma once
// Before a folder goes to the trash whole: everything in it must be what
// the comparison saw there. A file added, changed or left out of the
// comparison (by a filter) keeps the folder where it is.
#include "compare/act/SyncPlan.h"

// Whether the folder `name` in the open folder `dir` holds only what the
// action's list says was seen, each file as it was. False, with why in err,
// where it holds anything else.
bool FolderAsSeen(int dir, const QByteArray& name, const SyncAction& a, QString& err);
