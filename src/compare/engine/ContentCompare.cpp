#include "compare/engine/ContentCompare.h"

#include "env/DirList.h"

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

class Job {
public:
    Job(const std::vector<ContentPair>& pairs, const ContentSource& source, std::atomic<qint64>& bytes,
        const std::atomic<bool>* stop, DigestCache* keep, std::atomic<qint64>* files)
            : m_pairs(pairs), m_source(source), m_bytes(bytes), m_stop(stop), m_keep(keep), m_files(files)
    {
        m_out.results.assign(pairs.size(), ContentResult::Same);
    }

    void Work()
    {
        std::vector<char> a(kBlock), b(kBlock);
        for (size_t i = m_next++; i < m_pairs.size(); i = m_next++) {
            if (Stopped())
                return;
            m_out.results[i] = One(m_pairs[i], a.data(), b.data());
            if (m_files)
                m_files->fetch_add(1, std::memory_order_relaxed);
        }
    }
    bool Stopped() const { return m_stop && m_stop->load(std::memory_order_relaxed); }
    ContentOutcome Take() { return std::move(m_out); }

private:
    ContentResult Fail(const QString& path, const QString& why)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_out.skipped.push_back({path, why});
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
        DigestState digest(m_keep->Seed());
        const ContentResult r = Bytes(p, f1, path1, f2, path2, a, b, &digest);
        if (r != ContentResult::Same || (!steady1 && !steady2))
            return r;
        const Digest d = digest.Final();
        if (steady1 && Steady(f1, s1, p.size))
            m_keep->Add({s1, p.size}, d, started);
        if (steady2 && Steady(f2, s2, p.size))
            m_keep->Add({s2, p.size}, d, started);
        return r;
    }

    ContentResult Bytes(const ContentPair& p, QFile& f1, const QString& path1, QFile& f2, const QString& path2, char* a,
                        char* b, DigestState* digest)
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
            if (n1 != n2 || std::memcmp(a, b, size_t(n1)) != 0)
                return ContentResult::Differ;
            if (n1 == 0)
                return ContentResult::Differ; // shorter than its size: changed meanwhile
            if (digest)
                digest->Update(a, size_t(n1));
            done += n1;
        }
        // grown since the walk: the rest decides too
        const qint64 n1 = f1.read(a, 1), n2 = f2.read(b, 1);
        return n1 == n2 && (n1 <= 0 || a[0] == b[0]) ? ContentResult::Same : ContentResult::Differ;
    }

    const std::vector<ContentPair>& m_pairs;
    const ContentSource& m_source;
    std::atomic<qint64>& m_bytes;
    const std::atomic<bool>* m_stop;
    DigestCache* m_keep;
    std::atomic<qint64>* m_files;
    std::atomic<size_t> m_next{0};
    std::mutex m_lock;
    ContentOutcome m_out;
};
} // namespace

ContentOutcome CompareContents(const std::vector<ContentPair>& pairs, const ContentSource& source,
                               std::atomic<qint64>& bytes, const std::atomic<bool>* stop, DigestCache* keep,
                               std::atomic<qint64>* files)
{
    Job job(pairs, source, bytes, stop, keep, files);
    // more readers than cores: a cold disk serves several requests at once
    const unsigned n = std::clamp(std::thread::hardware_concurrency() * 2, 2u, 8u);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < n; ++i)
        workers.emplace_back([&job] { job.Work(); });
    for (std::thread& t : workers)
        t.join();
    if (job.Stopped())
        ThrowStopped();
    return job.Take();
}
