#pragma once
// Whether pairs of files of equal size hold the same bytes: each pair read
// side by side in blocks until the first difference, several pairs at once
// on worker threads. With a digest cache, a pair read to the end with equal
// bytes gets its digest on the way (one side is hashed: the bytes are the
// same), kept for each file that stayed as the walk saw it over the read.
#include "compare/engine/DigestCache.h"
#include "compare/engine/Walker.h"

#include <QString>
#include <atomic>
#include <vector>

// A pair by the index of each file in its side's walk; its paths and stamps
// come from the source, only while it is read.
struct ContentPair {
    quint32 file1, file2;
    qint64 size;
};

class ContentSource {
public:
    virtual ~ContentSource() = default;
    virtual QString Path(int side, quint32 file) const = 0;
    // As the walk saw it; zeros where the walk kept no stamps.
    virtual FileStamp Stamp(int side, quint32 file) const = 0;
};

enum class ContentResult : quint8 { Same, Differ, Unreadable };

struct ContentOutcome {
    std::vector<ContentResult> results; // per pair
    std::vector<WalkSkip> skipped;      // the files that could not be read
};

// `bytes` is raised by the bytes compared of both files as they are read,
// `files` by one for each pair done. Digests of files read whole go to
// `keep` where given. Ends with FcError(Stopped) soon after `stop` is set.
ContentOutcome CompareContents(const std::vector<ContentPair>& pairs, const ContentSource& source,
                               std::atomic<qint64>& bytes, const std::atomic<bool>* stop, DigestCache* keep = nullptr,
                               std::atomic<qint64>* files = nullptr);
