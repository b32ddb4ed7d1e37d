#pragma once
// A plan as its preview shows it: the lines of its actions and the note
// beside them.
#include <QString>

// One action of a plan as its preview lists it, under its group ("ｺﾋﾟｰ",
// "置き換え(古いﾌｧｲﾙはごみ箱へ)", "ごみ箱へ"); the user may leave it out.
struct PlanLine {
    QString group, path; // path: "ﾌｫﾙﾀﾞ2: sub/a.txt"
    qint64 bytes = 0;
    bool chosen = true;
    int side = 0;                // the side it changes: 1 or 2
    bool writes = false;         // writes `bytes` on that side: a copy or a replace
    bool replaces = false;       // writes over a file, which the trash keeps on the same volume
    bool olderOverNewer = false; // a replace that puts an older file over a newer one
    bool shownOnly = false;      // never carried out (a conflict, an action held back): not tickable
};

// What a preview shows beside its lines: a note (the filters in force, what
// could not be read) and each side's free space, against which it weighs
// what the ticked lines write there.
struct PlanNote {
    QString text;
    qint64 free[3] = {-1, -1, -1}; // by side, 1 and 2; -1 when not known
};
