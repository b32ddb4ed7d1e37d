#pragma once
// How the two copies of a file are compared. The default is the time to the
// minute the grid shows, sizes not looked at; the others add the size or the
// content for pairs whose times count as the same, and a tolerance for the
// clocks of other file systems (FAT keeps times in 2 s steps; a disk that
// crossed a time zone or a DST change is off by whole hours).
#include <QtGlobal>

struct CmprRule {
    enum Criterion { Time = 0, TimeSize = 1, Content = 2 };
    enum Tolerance { None = 0, TwoSeconds = 1, WholeHours = 2 }; // WholeHours includes 2 s
    Criterion criterion = Time;
    Tolerance tolerance = None;
    bool IsDefault() const { return criterion == Time && tolerance == None; }
};

// Whether two modification times count as the same under the tolerance
// alone (the same shown minute is decided elsewhere): within 2 s, or within
// 2 s of a difference of exactly 1 or 2 hours.
bool WithinTolerance(qint64 t1, qint64 t2, CmprRule::Tolerance tol);
