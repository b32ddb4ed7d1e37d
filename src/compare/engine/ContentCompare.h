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
#include <optional>
#include <vector>

class ContentSource {
public:
    virtual ~ContentSource() = default;
    virtual QString Path(int side, quint32 file) const = 0;
    // As the walk saw it; zeros where the walk kept no stamps.
    virtual FileStamp Stamp(int side, quint32 file) const = 0;
};

// The files of a result's two walks, by their indices: full paths, and
// stamps only where the file system keeps change times of its own (the
// cache neither trusts nor records any other file).
class WalkFiles : public ContentSource {
public:
    WalkFiles(const QString& fld1, const WalkResult& w1, const QString& fld2, const WalkResult& w2);
    QString Path(int side, quint32 file) const override;
    FileStamp Stamp(int side, quint32 file) const override;
    // Learns whether the file's device keeps change times (once a device).
    void Learn(int side, quint32 file);

private:
    QString m_fld[2];
    const WalkResult* m_w[2];
    // by device: a few, looked through for each stamp asked
    std::vector<std::pair<quint64, bool>> m_stable;
    const bool* Stable(quint64 dev) const;
};

// A pair by the index of each file in its side's walk; its paths and stamps
// come from the source, only while it is read.
struct ContentPair {
    quint32 file1, file2;
    qint64 size;
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

// A file whose digest is wanted: its side and index in that side's walk.
struct DigestFile {
    int side;
    quint32 file;
    qint64 size;
};

struct DigestOutcome {
    std::vector<std::optional<Digest>> digests; // per file; none where it could not be read
    std::vector<WalkSkip> skipped;
};

// Each file read whole and hashed with `seed`, several at once. A file that
// changed over the read (its stamp, or its size from the walk's) gets no
// digest. Digests of files that stayed as the walk saw them go to `keep`
// where given (its seed must be `seed`). Counts as CompareContents does.
DigestOutcome DigestFiles(const std::vector<DigestFile>& files, const ContentSource& source, quint64 seed,
                          std::atomic<qint64>& bytes, const std::atomic<bool>* stop, DigestCache* keep = nullptr,
                          std::atomic<qint64>* done = nullptr);
