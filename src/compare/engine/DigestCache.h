#pragma once
// Digests of file contents kept between runs, per user: a file whose
// device, inode, size and modification and change times are those of an
// entry has that entry's digest, so its bytes need not be read again.
//
// The cache is one file of fixed-size records sorted by device and inode,
// never loaded whole: a lookup sorts the keys it is given and reads the
// file once from start to end beside them, a save streams the file as it
// is into a new one with the run's entries merged in. Either holds in
// memory only the keys, what was found and what was added.
//
// The file (all numbers little-endian):
//   header, 40 bytes: "FCDIGEST", version (u32, 2), record size (u32, 60),
//                     record count (u64), XXH3-64 of all the records (u64),
//                     the seed of the digests (u64)
//   records, 60 bytes each, by (dev, ino) ascending, no two alike:
//                     dev, ino (u64), size, mtimeNs, ctimeNs (i64),
//                     digest (16 bytes), last day seen (u32, days since
//                     1970-01-01 UTC)
// Anything else (a wrong header, a size that is not that of its count,
// another checksum, records out of order) is a damaged file: nothing is
// found in it and the next save writes a good one in its place.
#include "compare/engine/Walker.h"

#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct XXH3_state_s;

// XXH3-128 of a file's bytes, in its canonical (big-endian) form.
using Digest = std::array<quint8, 16>;

// XXH3-128 over data handed in pieces (a file's blocks as they are read).
// With a seed of its own per cache, two files cannot be made to look
// alike by someone who does not know it (the hash is fast, not secret).
class DigestState {
public:
    explicit DigestState(quint64 seed = 0);
    // The state so far, to go on from with other data.
    DigestState(const DigestState& other);
    DigestState& operator=(const DigestState&) = delete;
    void Update(const void* data, size_t n);
    // The digest of everything handed in so far.
    Digest Final();

private:
    struct Free {
        void operator()(XXH3_state_s* s) const;
    };
    std::unique_ptr<XXH3_state_s, Free> m_state;
};

// A file as the walk saw it.
struct DigestKey {
    FileStamp stamp;
    qint64 size = 0;
};

// How long entries are kept and how many; how long a save waits for
// another one to finish. Tests make them small.
struct DigestCacheBounds {
    qint32 keepDays = 90;          // an entry not seen for this many days goes
    qint64 maxEntries = 8'000'000; // beyond, the least recently seen go
    int lockWaitMs = 30'000;       // then the save gives up, the file as it was
};

class DigestCache {
public:
    // The clock step of the coarsest file system (FAT: 2 s). A file changed
    // within it of the start of a read may show the same times after a
    // change as before, so its digest is not kept.
    static constexpr qint64 kStepNs = 2'000'000'000;

    DigestCache() = default; // disabled: nothing found, nothing saved
    // The cache file; nothing read yet.
    explicit DigestCache(QString path, DigestCacheBounds bounds = {});
    DigestCache(const DigestCache&) = delete;
    DigestCache& operator=(const DigestCache&) = delete;

    bool Enabled() const { return !m_path.isEmpty(); }
    // The seed this cache's digests are made with, kept in `path`.seed
    // (made at random by the first lookup or save); known after a lookup.
    quint64 Seed() const { return m_seed; }
    bool SeedKnown() const { return m_seedKnown; }
    const QString& Path() const { return m_path; }

    // For each key the digest of the entry of the same dev, ino, size,
    // mtimeNs and ctimeNs; none where there is no such entry. One pass over
    // the file, taking no lock: the file only ever changes by a rename, so
    // a lookup reads one whole file. A missing file finds nothing; a damaged
    // or unreadable one finds nothing and sets Problem(). Lookups and saves
    // are called from one thread at a time. Never throws but for memory.
    std::vector<std::optional<Digest>> Lookup(const std::vector<DigestKey>& keys);
    // The same for `n` keys given one at a time by `keyOf` (none held in a
    // copy): `found` is told each key found, in the order of the file.
    // False where the file turned out damaged or unreadable part way: what
    // was told is not to be trusted.
    using KeyOf = std::function<DigestKey(size_t)>;
    using FoundOne = std::function<void(size_t, const Digest&)>;
    bool Lookup(size_t n, const KeyOf& keyOf, const FoundOne& found);

    // A digest computed in this run, from a file read whole whose stamp did
    // not change over the read; `readStartNs` is the wall clock
    // (CLOCK_REALTIME, ns) when the reading began. A file changed less than
    // kStepNs before that gets no entry. Called from several threads.
    void Add(const DigestKey& key, const Digest& d, qint64 readStartNs);

    // Writes the file as it is now (other programs may have written it
    // since the lookup) with this run's entries and those the lookups found
    // (seen again today) merged in; of two entries of one dev and ino the
    // one of the later change is kept. Entries not seen for keepDays days
    // go, and beyond maxEntries the least recently seen. Done under an
    // exclusive lock (flock on `path`.lock), written aside and renamed, so
    // a reader or a kill at any moment sees the old whole file or the new
    // one. Makes the folder (0700) when missing. `today` (days since
    // 1970-01-01 UTC) stands for the clock's day. False with Problem() set
    // when it could not; nothing to write is true. Never throws but for
    // memory.
    bool Save(std::optional<qint32> today = {});

    // What went wrong first, one line for the user; empty when nothing did.
    QString Problem() const;

    // Days since 1970-01-01 UTC by the wall clock; the wall clock in ns.
    static qint32 Today();
    static qint64 NowNs();

    // A cache entry as it is held in memory.
    struct Entry {
        DigestKey key;
        Digest digest;
    };

private:
    void SetProblem(const QString& text);
    // Reads the seed beside the cache in the folder `dirfd`, making it
    // where there is none; false where it cannot be had (or another user
    // could have written it).
    bool LoadSeed(int dirfd, const QByteArray& name);

    QString m_path;
    DigestCacheBounds m_bounds;
    quint64 m_seed = 0;
    bool m_seedKnown = false;
    mutable std::mutex m_lock; // m_added and m_problem, which reading threads reach
    std::deque<Entry> m_added; // from Add, in no order (no copy of all as it grows)
    QString m_problem;
    // for Lookup and Save alone
    std::vector<std::vector<quint8>> m_found; // the ids of the entries found, a run by lookup (compact)
    bool m_damaged = false;                   // a lookup met a damaged file
};
