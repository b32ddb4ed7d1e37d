#pragma once
// Whether pairs of files of equal size hold the same bytes: each pair read
// side by side in blocks until the first difference, several pairs at once
// on worker threads. A plain byte compare rather than a hash: both files
// are read once either way, and a compare can stop at the first difference.
#include "compare/engine/Walker.h"

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

struct ContentPair {
    QString path1, path2;
    qint64 size;
};

enum class ContentResult : quint8 { Same, Differ, Unreadable };

struct ContentOutcome {
    std::vector<ContentResult> results; // per pair
    std::vector<WalkSkip> skipped;      // the files that could not be read
};

// `bytes` is raised by the bytes compared of both files as they are read.
// Ends with FcError(Stopped) soon after `stop` is set.
ContentOutcome CompareContents(const std::vector<ContentPair>& pairs, std::atomic<qint64>& bytes,
                               const std::atomic<bool>* stop);
