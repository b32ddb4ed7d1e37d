#pragma once
// What a printed result is asked for: its format, the rows of a display
// mode, and what goes before and after them.
#include "compare/rows/DispMode.h"

enum class OutFormat { Tsv, Csv, Json };

struct PrintSettings {
    OutFormat format = OutFormat::Tsv;
    DispMode mode = DispMode::All;
    bool header = false, bytes = false, bom = false;
    bool summary = false, quiet = false;
    bool differ = false;  // the summary counts 1≠2 (a size or content criterion is in use)
    bool moves = false;   // moves are looked for: the summary counts 1↔2, the rows name side 2's place
    bool leftOut = false; // the summary counts what the patterns left out
};
