#pragma once
// The grid's display modes and the one rule of which rows each shows. A
// value read from damaged settings stays as it is and shows all rows.
#include "compare/engine/CmprCode.h"

#include <QString>

enum class DispMode : int {
    All = 0,         // every row
    Differences = 1, // all but the same files
    Changed = 2,     // files on both sides that are not the same (a moved file is the same)
};
inline constexpr int kDispModes = 3;

bool ShownInMode(DispMode m, CmprCode c);
// A stored code text; a text that is no code of ours is shown with the
// differences but not with the changed files.
bool ShownInMode(DispMode m, QStringView code);
// The condition on the stored code (column sED) that picks the mode's rows,
// as SQL; empty where every row is shown.
QString ModeCondition(DispMode m);
