#include "compare/engine/ContentCompare.h"

#include "env/DirList.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

namespace {
constexpr qint64 kBlock = 1 << 18;

class Job {
public:
    Job(const std::vector<ContentPair>& pairs, std::atomic<qint64>& bytes, const std::atomic<bool>* stop)
            : m_pairs(pairs), m_bytes(bytes), m_stop(stop)
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
        QFile f1, f2;
        QString err;
        if (!DirList::Open(f1, p.path1, QIODevice::ReadOnly | QIODevice::Unbuffered, err))
            return Fail(p.path1, err);
        if (!DirList::Open(f2, p.path2, QIODevice::ReadOnly | QIODevice::Unbuffered, err))
            return Fail(p.path2, err);
        for (qint64 done = 0; done < p.size;) {
            if (Stopped())
                return ContentResult::Same; // not looked at: the run ends as stopped
            const qint64 want = std::min(kBlock, p.size - done);
            const qint64 n1 = f1.read(a, want);
            if (n1 < 0)
                return Fail(p.path1, f1);
            const qint64 n2 = f2.read(b, want);
            if (n2 < 0)
                return Fail(p.path2, f2);
            m_bytes.fetch_add(n1 + n2, std::memory_order_relaxed);
            if (n1 != n2 || std::memcmp(a, b, size_t(n1)) != 0)
                return ContentResult::Differ;
            if (n1 == 0)
                return ContentResult::Differ; // shorter than its size: changed meanwhile
            done += n1;
        }
        // grown since the walk: the rest decides too
        const qint64 n1 = f1.read(a, 1), n2 = f2.read(b, 1);
        return n1 == n2 && (n1 <= 0 || a[0] == b[0]) ? ContentResult::Same : ContentResult::Differ;
    }

    const std::vector<ContentPair>& m_pairs;
    std::atomic<qint64>& m_bytes;
    const std::atomic<bool>* m_stop;
    std::atomic<size_t> m_next{0};
    std::mutex m_lock;
    ContentOutcome m_out;
};
} // namespace

ContentOutcome CompareContents(const std::vector<ContentPair>& pairs, std::atomic<qint64>& bytes,
                               const std::atomic<bool>* stop)
{
    Job job(pairs, bytes, stop);
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
