#include "compare/engine/ContentCompare.h"

#include "env/DirList.h"
#include "env/PathRules.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace {
constexpr qint64 kBlock = 1 << 18;

// Whether an open file is still the file the walk saw, as it saw it.
bool Steady(QFile& f, const FileStamp& seen, qint64 size)
{
    qint64 now = 0;
    const FileStamp s = StampOfOpen(f, &now);
    return seen.ino != 0 && s.SameFile(seen) && s.mtimeNs == seen.mtimeNs && s.ctimeNs == seen.ctimeNs && now == size;
}

// Runs `work` on reader threads until each returns: more readers than
// cores, as a cold disk serves several requests at once.
template <class Work>
void OnReaders(Work work)
{
    const unsigned n = std::clamp(std::thread::hardware_concurrency() * 2, 2u, 8u);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < n; ++i)
        workers.emplace_back(work);
    for (std::thread& t : workers)
        t.join();
}

// What could not be read, gathered from the reader threads.
class Skips {
public:
    void Add(const QString& path, const QString& why)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_skipped.push_back({path, why});
    }
    std::vector<WalkSkip> Take() { return std::move(m_skipped); }

private:
    std::mutex m_lock;
    std::vector<WalkSkip> m_skipped;
};

// What the reading jobs share: items taken one at a time by each reader
// thread until none are left or a stop is asked, a count of those done,
// and what could not be read.
class ReadJob {
public:
    ReadJob(size_t items, const std::atomic<bool>* stop, std::atomic<qint64>* done)
            : m_items(items), m_stop(stop), m_done(done)
    {
    }
    bool Stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }

protected:
    template <class One>
    void Drain(One one)
    {
        for (size_t i = m_next++; i < m_items; i = m_next++) {
            if (Stopped())
                return;
            one(i);
            if (m_done)
                m_done->fetch_add(1, std::memory_order_relaxed);
        }
    }
    Skips m_skips;

private:
    size_t m_items;
    const std::atomic<bool>* m_stop;
    std::atomic<qint64>* m_done;
    std::atomic<size_t> m_next{0};
};

class Job : public ReadJob {
public:
    Job(const std::vector<ContentPair>& pairs, const ContentSource& source, std::atomic<qint64>& bytes,
        const std::atomic<bool>* stop, DigestCache* keep, std::atomic<qint64>* files)
            : ReadJob(pairs.size(), stop, files), m_pairs(pairs), m_source(source), m_bytes(bytes), m_keep(keep)
    {
        m_out.results.assign(pairs.size(), ContentResult::Same);
    }

    void Work()
    {
        std::vector<char> a(kBlock), b(kBlock);
        Drain([&](size_t i) { m_out.results[i] = One(m_pairs[i], a.data(), b.data()); });
    }
    ContentOutcome Take()
    {
        m_out.skipped = m_skips.Take();
        return std::move(m_out);
    }

private:
    ContentResult Fail(const QString& path, const QString& why)
    {
        m_skips.Add(path, why);
        return ContentResult::Unreadable;
    }
    ContentResult Fail(const QString& path, const QFile& f) { return Fail(path, f.errorString()); }

    ContentResult One(const ContentPair& p, char* a, char* b)
    {
        const QString path1 = m_source.Path(1, p.file1), path2 = m_source.Path(2, p.file2);
        QFile f1, f2;
        QString err;
        if (!DirList::Open(f1, path1, QIODevice::ReadOnly | QIODevice::Unbuffered, err))
            return Fail(path1, err);
        if (!DirList::Open(f2, path2, QIODevice::ReadOnly | QIODevice::Unbuffered, err))
            return Fail(path2, err);
        if (!m_keep)
            return Bytes(p, f1, path1, f2, path2, a, b, nullptr);
        const FileStamp s1 = m_source.Stamp(1, p.file1), s2 = m_source.Stamp(2, p.file2);
        const qint64 started = DigestCache::NowNs();
        const bool steady1 = Steady(f1, s1, p.size), steady2 = Steady(f2, s2, p.size);
        Digests d{DigestState(m_keep->Seed()), std::nullopt};
        const ContentResult r = Bytes(p, f1, path1, f2, path2, a, b, &d);
        if (r == ContentResult::Unreadable || (r == ContentResult::Differ && !d.other))
            return r;
        const Digest d1 = d.one.Final(), d2 = d.other ? d.other->Final() : d1;
        if (steady1 && Steady(f1, s1, p.size))
            m_keep->Add({s1, p.size}, d1, started);
        if (steady2 && Steady(f2, s2, p.size))
            m_keep->Add({s2, p.size}, d2, started);
        return r;
    }

    // The digest of the bytes both files share so far; where they differ
    // and both were read whole, side 2's own.
    struct Digests {
        DigestState one;
        std::optional<DigestState> other;
    };

    // Whether a file has nothing after what was read.
    static bool AtEnd(QFile& f)
    {
        char c;
        return f.read(&c, 1) == 0;
    }

    // Reads to the first difference. A pair that differs only in the
    // last block has been read whole: each side gets its digest.
    ContentResult Bytes(const ContentPair& p, QFile& f1, const QString& path1, QFile& f2, const QString& path2, char* a,
                        char* b, Digests* digest)
    {
        for (qint64 done = 0; done < p.size;) {
            if (Stopped())
                return ContentResult::Same; // not looked at: the run ends as stopped
            const qint64 want = std::min(kBlock, p.size - done);
            const qint64 n1 = f1.read(a, want);
            if (n1 < 0)
                return Fail(path1, f1);
            const qint64 n2 = f2.read(b, want);
            if (n2 < 0)
                return Fail(path2, f2);
            m_bytes.fetch_add(n1 + n2, std::memory_order_relaxed);
            if (n1 != n2 || std::memcmp(a, b, size_t(n1)) != 0) {
                if (digest && n1 == n2 && done + n1 == p.size && AtEnd(f1) && AtEnd(f2)) {
                    digest->other.emplace(digest->one);
                    digest->one.Update(a, size_t(n1));
                    digest->other->Update(b, size_t(n2));
                }
                return ContentResult::Differ;
            }
            if (n1 == 0)
                return ContentResult::Differ; // shorter than its size: changed meanwhile
            if (digest)
                digest->one.Update(a, size_t(n1));
            done += n1;
        }
        // grown since the walk: the rest decides too
        const qint64 n1 = f1.read(a, 1), n2 = f2.read(b, 1);
        return n1 == n2 && (n1 <= 0 || a[0] == b[0]) ? ContentResult::Same : ContentResult::Differ;
    }

    const std::vector<ContentPair>& m_pairs;
    const ContentSource& m_source;
    std::atomic<qint64>& m_bytes;
    DigestCache* m_keep;
    ContentOutcome m_out;
};

// Files read whole and hashed, several at once.
class HashJob : public ReadJob {
public:
    HashJob(const std::vector<DigestFile>& files, const ContentSource& source, quint64 seed, std::atomic<qint64>& bytes,
            const std::atomic<bool>* stop, DigestCache* keep, std::atomic<qint64>* done)
            : ReadJob(files.size(), stop, done), m_files(files), m_source(source), m_seed(seed), m_bytes(bytes),
              m_keep(keep)
    {
        m_out.digests.resize(files.size());
    }
    void Work()
    {
        std::vector<char> buf(kBlock);
        Drain([&](size_t i) { m_out.digests[i] = One(m_files[i], buf.data()); });
    }
    DigestOutcome Take()
    {
        m_out.skipped = m_skips.Take();
        return std::move(m_out);
    }

private:
    std::optional<Digest> One(const DigestFile& d, char* buf)
    {
        const QString path = m_source.Path(d.side, d.file);
        QFile f;
        QString err;
        if (!DirList::Open(f, path, QIODevice::ReadOnly | QIODevice::Unbuffered, err)) {
            m_skips.Add(path, err);
            return std::nullopt;
        }
        const FileStamp seen = m_source.Stamp(d.side, d.file);
        const qint64 started = DigestCache::NowNs();
        const bool steady = Steady(f, seen, d.size);
        DigestState digest(m_seed);
        qint64 done = 0;
        for (qint64 n = 0; (n = f.read(buf, kBlock)) != 0; done += n) {
            if (n < 0) {
                m_skips.Add(path, f.errorString());
                return std::nullopt;
            }
            if (Stopped())
                return std::nullopt;
            m_bytes.fetch_add(n, std::memory_order_relaxed);
            digest.Update(buf, size_t(n));
        }
        if (done != d.size)
            return std::nullopt; // changed since the walk: no partner found by it
        const Digest out = digest.Final();
        if (m_keep && steady && Steady(f, seen, d.size))
            m_keep->Add({seen, d.size}, out, started);
        return out;
    }

    const std::vector<DigestFile>& m_files;
    const ContentSource& m_source;
    quint64 m_seed;
    std::atomic<qint64>& m_bytes;
    DigestCache* m_keep;
    DigestOutcome m_out;
};
} // namespace

WalkFiles::WalkFiles(const QString& fld1, const WalkResult& w1, const QString& fld2, const WalkResult& w2)
        : m_fld{fld1, fld2}, m_w{&w1, &w2}
{
}

QString WalkFiles::Path(int side, quint32 file) const
{
    const WalkResult& w = *m_w[side - 1];
    const WalkFile& f = w.files[file];
    const QString& root = m_fld[side - 1];
    return JoinPath(w.Folder(f).isEmpty() ? root : JoinPath(root, w.Folder(f)), w.Name(f));
}

FileStamp WalkFiles::Stamp(int side, quint32 file) const
{
    const WalkResult& w = *m_w[side - 1];
    if (w.stamps.empty())
        return {};
    const bool* stable = Stable(w.stamps[file].dev);
    return stable && *stable ? w.stamps[file] : FileStamp{};
}

const bool* WalkFiles::Stable(quint64 dev) const
{
    for (const auto& [d, stable] : m_stable)
        if (d == dev)
            return &stable;
    return nullptr;
}

void WalkFiles::Learn(int side, quint32 file)
{
    const WalkResult& w = *m_w[side - 1];
    if (!w.stamps.empty() && !Stable(w.stamps[file].dev))
        m_stable.push_back({w.stamps[file].dev, KeepsChangeTimes(Path(side, file))});
}

DigestOutcome DigestFiles(const std::vector<DigestFile>& files, const ContentSource& source, quint64 seed,
                          std::atomic<qint64>& bytes, const std::atomic<bool>* stop, DigestCache* keep,
                          std::atomic<qint64>* done)
{
    HashJob job(files, source, seed, bytes, stop, keep, done);
    OnReaders([&job] { job.Work(); });
    if (job.Stopped())
        ThrowStopped();
    return job.Take();
}

ContentOutcome CompareContents(const std::vector<ContentPair>& pairs, const ContentSource& source,
                               std::atomic<qint64>& bytes, const std::atomic<bool>* stop, DigestCache* keep,
                               std::atomic<qint64>* files)
{
    Job job(pairs, source, bytes, stop, keep, files);
    OnReaders([&job] { job.Work(); });
    if (job.Stopped())
        ThrowStopped();
    return job.Take();
}
