// Moved and renamed files: a file found on one side only is paired with a
// file found on the other side only that holds the same bytes. Only files
// whose size is met on both sides are read (or taken from the digest
// cache); where several files of one content are on each side, each is
// paired with the nearest by name, then by folder, and the rest stay
// one-sided. A link to a file is never paired: moved, a relative link
// would lead elsewhere.
#include "compare/engine/CmprEngine.h"
#include "compare/engine/ContentCompare.h"
#include "compare/engine/Matcher.h"
#include "env/DirList.h"

#include <QHash>
#include <QRandomGenerator>
#include <algorithm>
#include <tuple>

namespace {
// Groups larger than this (files of one content on one side times those
// on the other) pair only files of the same name, in walk order: every
// pair is weighed only below it.
constexpr size_t kWeighedPairs = 1 << 16;

struct Candidate {
    DigestFile file;
    Digest digest{};
};

// The files of a side without a partner, of a size the other side's
// unpartnered files also have; empty files are all alike and never paired.
std::vector<DigestFile> Unpaired(const WalkResult& w1, const std::vector<int>& partner1, const WalkResult& w2,
                                 const std::vector<int>& partner2)
{
    std::vector<DigestFile> all;
    for (int side : {1, 2}) {
        const WalkResult& w = side == 1 ? w1 : w2;
        const std::vector<int>& partner = side == 1 ? partner1 : partner2;
        for (size_t i = 0; i < w.files.size(); ++i)
            if (partner[i] == kNoMatch && w.files[i].size > 0)
                all.push_back({side, quint32(i), w.files[i].size});
    }
    std::sort(all.begin(), all.end(), [](const DigestFile& a, const DigestFile& b) {
        return std::tie(a.size, a.side) < std::tie(b.size, b.side);
    });
    std::vector<DigestFile> out;
    for (size_t a = 0, b = 0; a < all.size(); a = b) {
        bool sides[3] = {};
        for (b = a; b < all.size() && all[b].size == all[a].size; ++b)
            sides[all[b].side] = true;
        if (sides[1] && sides[2])
            out.insert(out.end(), all.begin() + qsizetype(a), all.begin() + qsizetype(b));
    }
    return out;
}

// How near two places are: the same name first, then the same name but
// for case, then any other name; within each, fewer folders apart, then
// more of the names' starts and ends shared. Smaller is nearer.
using Nearness = std::tuple<int, qsizetype, qsizetype>;

qsizetype Shared(QStringView a, QStringView b)
{
    qsizetype front = 0, back = 0;
    const qsizetype n = std::min(a.size(), b.size());
    while (front < n && a[front] == b[front])
        ++front;
    while (back < n - front && a[a.size() - 1 - back] == b[b.size() - 1 - back])
        ++back;
    return front + back;
}

qsizetype FoldersApart(const QString& a, const QString& b)
{
    const QStringList x = a.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QStringList y = b.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    qsizetype same = 0;
    while (same < x.size() && same < y.size() && x[same] == y[same])
        ++same;
    return x.size() + y.size() - 2 * same;
}

Nearness NearnessOf(const WalkResult& w1, const WalkFile& f, const WalkResult& w2, const WalkFile& g)
{
    const QString n1 = w1.Name(f), n2 = w2.Name(g);
    const int kind = n1 == n2 ? 0 : (n1.compare(n2, Qt::CaseInsensitive) == 0 ? 1 : 2);
    return {kind, FoldersApart(w1.Folder(f), w2.Folder(g)), -Shared(n1, n2)};
}

// Pairs a group too large to weigh: files of the same name only, each with
// the first of that name left on the other side (walk order keeps a renamed
// folder's files with their old folder's), through an index of the names
// so the work stays linear.
std::vector<std::pair<quint32, quint32>> PairSameNames(const WalkResult& w1, const std::vector<quint32>& a,
                                                       const WalkResult& w2, const std::vector<quint32>& b)
{
    QHash<QString, std::vector<quint32>> byName; // each in reverse walk order: the first is taken from the back
    for (auto j = b.rbegin(); j != b.rend(); ++j)
        byName[w2.Name(w2.files[*j])].push_back(*j);
    std::vector<std::pair<quint32, quint32>> out;
    for (quint32 i : a)
        if (const auto it = byName.find(w1.Name(w1.files[i])); it != byName.end() && !it->empty()) {
            out.push_back({i, it->back()});
            it->pop_back();
        }
    return out;
}

// Pairs the files of one content: the nearest pairs first.
std::vector<std::pair<quint32, quint32>> PairNearest(const WalkResult& w1, const std::vector<quint32>& a,
                                                     const WalkResult& w2, const std::vector<quint32>& b)
{
    if (a.size() * b.size() > kWeighedPairs)
        return PairSameNames(w1, a, w2, b);
    struct Option {
        Nearness near;
        size_t i, j;
    };
    std::vector<Option> options;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            options.push_back({NearnessOf(w1, w1.files[a[i]], w2, w2.files[b[j]]), i, j});
    std::stable_sort(options.begin(), options.end(), [](const Option& x, const Option& y) { return x.near < y.near; });
    std::vector<bool> used1(a.size()), used2(b.size());
    std::vector<std::pair<quint32, quint32>> out;
    for (const Option& o : options)
        if (!used1[o.i] && !used2[o.j]) {
            used1[o.i] = used2[o.j] = true;
            out.push_back({a[o.i], b[o.j]});
        }
    return out;
}

// The pairs of files of the same bytes, each group of one content paired
// nearest first.
std::vector<std::pair<quint32, quint32>> Moves(const WalkResult& w1, const WalkResult& w2, std::vector<Candidate> c)
{
    std::sort(c.begin(), c.end(), [](const Candidate& x, const Candidate& y) {
        return std::tie(x.file.size, x.digest, x.file.side, x.file.file) <
               std::tie(y.file.size, y.digest, y.file.side, y.file.file);
    });
    std::vector<std::pair<quint32, quint32>> out;
    for (size_t from = 0, to = 0; from < c.size(); from = to) {
        std::vector<quint32> a, b;
        for (to = from; to < c.size() && c[to].file.size == c[from].file.size && c[to].digest == c[from].digest; ++to)
            (c[to].file.side == 1 ? a : b).push_back(c[to].file.file);
        if (a.empty() || b.empty())
            continue;
        for (const auto& m : PairNearest(w1, a, w2, b))
            out.push_back(m);
    }
    return out;
}

// The digests the cache holds for candidates whose file system keeps
// change times; the others stay without.
void FromCache(DigestCache& cache, WalkFiles& source, std::vector<Candidate>& c, std::vector<bool>& known)
{
    for (const Candidate& x : c)
        source.Learn(x.file.side, x.file.file);
    auto keyOf = [&](size_t k) { return DigestKey{source.Stamp(c[k].file.side, c[k].file.file), c[k].file.size}; };
    const bool trusted = cache.Lookup(c.size(), keyOf, [&](size_t k, const Digest& d) {
        if (keyOf(k).stamp.ino == 0) // a file system the cache does not trust
            return;
        c[k].digest = d;
        known[k] = true;
    });
    if (!trusted)
        known.assign(c.size(), false);
}
} // namespace

void CmprResult::FindMoves(WalkFiles& source, DigestCache& cache, CmprObserver& obs, CmprProgress& p)
{
    std::vector<Candidate> c;
    for (const DigestFile& f : Unpaired(m_1.w, m_1.partner, m_2.w, m_2.partner))
        if (!DirList::IsLink(source.Path(f.side, f.file))) // renamed elsewhere, a link may lead elsewhere or nowhere
            c.push_back({f, {}});
    if (c.empty())
        return;
    p.phase = CmprPhase::Content;
    std::vector<bool> known(c.size());
    if (cache.Enabled())
        Polled([&] { FromCache(cache, source, c, known); }, [&] { obs.Progress(p); });
    // a digest made with a seed nobody else knows cannot be matched by a
    // crafted file; the cache's own where its digests are used
    const quint64 seed = cache.SeedKnown() ? cache.Seed() : QRandomGenerator::system()->generate64();
    std::vector<DigestFile> toRead;
    std::vector<size_t> at;
    for (size_t k = 0; k < c.size(); ++k)
        if (!known[k]) {
            toRead.push_back(c[k].file);
            at.push_back(k);
        }
    p.files = p.bytes = p.bytesTotal = 0;
    p.filesTotal = qint64(toRead.size());
    for (const DigestFile& f : toRead)
        p.bytesTotal += f.size;
    std::atomic<qint64> bytes{0}, files{0};
    auto report = [&] {
        p.bytes = bytes.load();
        p.files = files.load();
        obs.Progress(p);
    };
    DigestCache* keep = cache.SeedKnown() ? &cache : nullptr;
    DigestOutcome out =
        Polled([&] { return DigestFiles(toRead, source, seed, bytes, &obs.stop, keep, &files); }, report);
    report();
    for (size_t k = 0; k < toRead.size(); ++k)
        if (out.digests[k]) {
            c[at[k]].digest = *out.digests[k];
            known[at[k]] = true;
        }
    m_contentSkipped.insert(m_contentSkipped.end(), out.skipped.begin(), out.skipped.end());
    std::vector<Candidate> read;
    for (size_t k = 0; k < c.size(); ++k)
        if (known[k])
            read.push_back(c[k]);
    for (const auto& [i, j] : Moves(m_1.w, m_2.w, std::move(read))) {
        m_1.partner[i] = int(j);
        m_2.partner[j] = int(i);
        m_code[i] = CmprCode::Moved;
    }
}
