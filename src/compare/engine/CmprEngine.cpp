#include "compare/engine/CmprEngine.h"

#include "compare/engine/ContentCompare.h"
#include "compare/engine/DateText.h"
#include "compare/engine/Matcher.h"
#include "compare/engine/Walker.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/PathRules.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace {

void CheckFolder(const Fso& fs, const QString& path, const QString& side)
{
    if (path.isEmpty())
        throw FcError(ErrKind::FileSystem, side + QStringLiteral("のﾌｫﾙﾀﾞが選択されていません"));
    if (!fs.FolderExists(OpenPath(path)))
        throw FcError(ErrKind::FileSystem, side + QStringLiteral("のﾌｫﾙﾀﾞが見つかりません: ") + path);
}

void ThrowIfStopping(const CmprObserver& obs)
{
    if (obs.Stopping())
        ThrowStopped();
}

// Walks both folders at once, reporting the running count meanwhile.
std::pair<WalkResult, WalkResult> WalkBoth(const CmprInput& in, CmprObserver& obs, CmprProgress& p)
{
    std::atomic<qint64> seen{0};
    WalkOptions opt = in.walk;
    // the full modification times tell other bytes apart; the cache knows
    // a file by its identity and times
    if (in.rule.criterion == CmprRule::ContentOnly || (in.rule.ReadsContents() && !in.digestCache.isEmpty()))
        opt.stamps = true;
    auto walk = [&](const QString& f) {
        WalkResult w = WalkFolder(f, seen, &obs.stop, opt, &in.filter);
        KeyWalk(w); // where the walker has not made the keys, they are made on its thread
        return w;
    };
    auto a = std::async(std::launch::async, [&] { return walk(in.sFld1); });
    auto report = [&] {
        p.files = seen.load();
        obs.Progress(p);
    };
    WalkResult r2 = Polled([&] { return walk(in.sFld2); }, report);
    AwaitReporting(a, report);
    WalkResult r1 = a.get(); // Folder 1's failure is reported first
    report();
    return {std::move(r1), std::move(r2)};
}

CmprCode TimeCode(LocalTime& local, qint64 t1, qint64 t2, CmprRule::Tolerance tol)
{
    const int c = local.CompareMinutes(t1, t2);
    if (c == 0 || WithinTolerance(t1, t2, tol))
        return CmprCode::Same;
    return c > 0 ? CmprCode::Newer1 : CmprCode::Newer2;
}

} // namespace

CmprCode SetCmprCd(qint64 mtime1, qint64 mtime2)
{
    const int c = CompareMinutes(mtime1, mtime2);
    return c == 0 ? CmprCode::Same : (c > 0 ? CmprCode::Newer1 : CmprCode::Newer2);
}

bool WithinToleranceNs(qint64 ns1, qint64 ns2, CmprRule::Tolerance tol)
{
    if (tol == CmprRule::None)
        return false;
    constexpr qint64 s = 1000000000;
    const qint64 d = ns1 > ns2 ? ns1 - ns2 : ns2 - ns1;
    if (d <= 2 * s)
        return true;
    return tol == CmprRule::WholeHours && ((d >= 3598 * s && d <= 3602 * s) || (d >= 7198 * s && d <= 7202 * s));
}

bool WithinTolerance(qint64 t1, qint64 t2, CmprRule::Tolerance tol)
{
    constexpr qint64 s = 1000000000;
    return WithinToleranceNs(t1 * s, t2 * s, tol);
}

namespace {
// The code of a pair by its full modification times (ns) under the
// tolerance; `agree` where they agree.
CmprCode FullTimeCode(const FileStamp& s1, const FileStamp& s2, CmprRule::Tolerance tol, CmprCode agree)
{
    if (s1.mtimeNs == s2.mtimeNs || WithinToleranceNs(s1.mtimeNs, s2.mtimeNs, tol))
        return agree;
    return s1.mtimeNs > s2.mtimeNs ? CmprCode::Newer1 : CmprCode::Newer2;
}
} // namespace

namespace {
// The pairs whose two files the cache knows are decided by whether their
// digests agree, and leave `pairs`. The file is read once beside the keys,
// which are not copied; a pair's first digest found waits for its other.
template <class Decide>
void ByDigests(DigestCache& cache, const ContentSource& source, std::vector<ContentPair>& pairs, Decide decide)
{
    enum : quint8 { kOne = 1, kBoth = 2, kEqual = 4 };
    std::vector<Digest> first(pairs.size());
    std::vector<quint8> got(pairs.size());
    auto keyOf = [&](size_t k) {
        const ContentPair& c = pairs[k / 2];
        return k % 2 == 0 ? DigestKey{source.Stamp(1, c.file1), c.size} : DigestKey{source.Stamp(2, c.file2), c.size};
    };
    const bool trusted = cache.Lookup(2 * pairs.size(), keyOf, [&](size_t k, const Digest& d) {
        if (keyOf(k).stamp.ino == 0) // a file system the cache does not trust
            return;
        quint8& g = got[k / 2];
        if (g & kOne)
            g = kBoth | (first[k / 2] == d ? kEqual : 0);
        else
            first[k / 2] = d, g = kOne;
    });
    size_t kept = 0;
    for (size_t i = 0; i < pairs.size(); ++i)
        if (trusted && (got[i] & kBoth))
            decide(pairs[i].file1, (got[i] & kEqual) != 0);
        else
            pairs[kept++] = pairs[i];
    pairs.resize(kept);
}
} // namespace

// By time with the size or content, pairs of the same time whose size or
// bytes differ become 1≠2. By content alone, equal bytes are 1=2 and other
// bytes (another size among them) are told apart by the full times. Only
// pairs of equal size are looked at: by the digests the cache trusts for
// both files, or else by reading them.
void CmprResult::CheckContents(const CmprInput& in, WalkFiles& source, DigestCache& cache, CmprObserver& obs,
                               CmprProgress& p)
{
    const CmprRule& rule = in.rule;
    const auto &w1 = m_1.w, &w2 = m_2.w;
    const bool only = rule.criterion == CmprRule::ContentOnly;
    auto byTime = [&](size_t i, CmprCode agree) {
        return FullTimeCode(w1.stamps[i], w2.stamps[size_t(m_1.partner[i])], rule.tolerance, agree);
    };
    // the code of a pair whose bytes are known to be equal, or not
    auto decide = [&](size_t i, bool same) {
        if (same)
            m_code[i] = only ? CmprCode::Same : m_code[i];
        else
            m_code[i] = only ? byTime(i, CmprCode::Differ) : CmprCode::Differ;
    };
    std::vector<ContentPair> pairs;
    for (size_t i = 0; i < w1.files.size(); ++i) {
        if (m_1.partner[i] == kNoMatch || (!only && m_code[i] != CmprCode::Same))
            continue;
        const WalkFile& f = w1.files[i];
        if (f.size != w2.files[size_t(m_1.partner[i])].size) // a size difference decides without reading
            decide(i, false);
        else if (rule.criterion >= CmprRule::Content && f.size > 0)
            pairs.push_back({quint32(i), quint32(m_1.partner[i]), f.size});
        else if (only)
            m_code[i] = CmprCode::Same; // both empty
    }
    if (pairs.empty())
        return;
    p.phase = CmprPhase::Content;
    if (cache.Enabled()) {
        for (const ContentPair& c : pairs) {
            source.Learn(1, c.file1);
            source.Learn(2, c.file2);
        }
        Polled([&] { ByDigests(cache, source, pairs, decide); }, [&] { obs.Progress(p); });
    }
    p.files = p.bytes = p.bytesTotal = 0;
    p.filesTotal = qint64(pairs.size());
    for (const ContentPair& c : pairs)
        p.bytesTotal += 2 * c.size;
    std::atomic<qint64> bytes{0}, files{0};
    // digests are made with the cache's seed, known once it was looked up
    DigestCache* keep = cache.Enabled() && cache.SeedKnown() ? &cache : nullptr;
    auto report = [&] {
        p.bytes = bytes.load();
        p.files = files.load();
        obs.Progress(p);
    };
    ContentOutcome out = Polled([&] { return CompareContents(pairs, source, bytes, &obs.stop, keep, &files); }, report);
    report(); // the whole of it
    for (size_t k = 0; k < pairs.size(); ++k) {
        const size_t i = pairs[k].file1;
        if (out.results[k] != ContentResult::Unreadable)
            decide(i, out.results[k] == ContentResult::Same);
        else if (only) // what the times say; the file is named as unread
            m_code[i] = byTime(i, CmprCode::Same);
    }
    m_contentSkipped = std::move(out.skipped);
}

void CmprResult::Classify(const CmprRule& rule, const std::atomic<bool>& stop)
{
    m_2.partner = MatchFiles(m_1.w, m_2.w, &stop);
    for (Side* s : {&m_1, &m_2})
        std::vector<size_t>().swap(s->w.keys); // used up by the match
    const auto &w1 = m_1.w.files, &w2 = m_2.w.files;
    m_1.partner.assign(w1.size(), kNoMatch);
    for (size_t j = 0; j < w2.size(); ++j)
        if (m_2.partner[j] != kNoMatch)
            m_1.partner[size_t(m_2.partner[j])] = int(j);
    m_code.assign(w1.size(), CmprCode::Only1);
    LocalTime local;
    for (size_t i = 0; i < w1.size(); ++i)
        if (const int j = m_1.partner[i]; j != kNoMatch)
            m_code[i] = TimeCode(local, w1[i].mtime, w2[size_t(j)].mtime, rule.tolerance);
}

void CmprResult::Count()
{
    CmprCounts& n = m_n;
    n.byCode = {};
    for (CmprCode c : m_code)
        ++n.byCode[size_t(c)];
    n.byCode[size_t(CmprCode::Only2)] = qint64(std::count(m_2.partner.begin(), m_2.partner.end(), kNoMatch));
    n.rows = std::accumulate(n.byCode.begin(), n.byCode.end(), qint64(0));
    m_skipped = m_1.w.skipped;
    m_skipped.insert(m_skipped.end(), m_2.w.skipped.begin(), m_2.w.skipped.end());
    m_skipped.insert(m_skipped.end(), m_contentSkipped.begin(), m_contentSkipped.end());
    n.skipped = qint64(m_skipped.size());
    n.leftOutFolders = m_1.w.leftOutFolders + m_2.w.leftOutFolders;
    n.leftOutFiles = m_1.w.leftOutFiles + m_2.w.leftOutFiles;
}

CmprResult CmprEngine::Run(const CmprInput& in, CmprObserver& obs)
{
    const Fso plain;
    const Fso& fs = in.fso ? *in.fso : plain;
    CheckFolder(fs, in.sFld1, QStringLiteral("ﾌｫﾙﾀﾞ1"));
    CheckFolder(fs, in.sFld2, QStringLiteral("ﾌｫﾙﾀﾞ2"));
    CmprProgress p;
    auto [k1, k2] = WalkBoth(in, obs, p);
    ThrowIfStopping(obs); // stopped before any row went out: no sink is touched
    CmprResult r;
    r.m_fld1 = in.sFld1;
    r.m_fld2 = in.sFld2;
    r.m_1.w = std::move(k1);
    r.m_2.w = std::move(k2);
    p.phase = CmprPhase::Match;
    Polled([&] { r.Classify(in.rule, obs.stop); }, [&] { obs.Progress(p); });
    ThrowIfStopping(obs);
    WalkFiles source(r.m_fld1, r.m_1.w, r.m_fld2, r.m_2.w);
    DigestCache cache = in.digestCache.isEmpty() ? DigestCache() : DigestCache(in.digestCache);
    if (in.rule.criterion != CmprRule::Time)
        r.CheckContents(in, source, cache, obs, p);
    ThrowIfStopping(obs);
    if (in.rule.moves)
        r.FindMoves(source, cache, obs, p);
    ThrowIfStopping(obs);
    if (cache.SeedKnown()) // what this run learnt goes in one write
        Polled([&] { cache.Save(); }, [&] { obs.Progress(p); });
    r.m_cacheNote = cache.Problem();
    r.Count();
    return r;
}

qint64 CmprResult::nCnt() const { return 1000 + qint64(m_1.w.files.size() + m_2.w.files.size()); }

void CmprResult::Emit(RowSink& sink) const
{
    sink.Begin();
    EmitRows(sink, 0, Places());
    sink.End(m_fld1, m_fld2, m_n);
}

void CmprResult::EmitRows(RowSink& sink, size_t from, size_t to) const
{
    const qint64 base = 1000;
    const auto &w1 = m_1.w, &w2 = m_2.w;
    const size_t n1 = w1.files.size();
    LocalTime local;
    for (size_t i = from; i < std::min(to, n1); ++i) {
        const WalkFile& f = w1.files[i];
        const QString& sPh = w1.folders[f.folder];
        const int j = m_1.partner[i];
        const qint64 nNo = base + qint64(i) + 1;
        if (j == kNoMatch) {
            sink.Row({nNo, sPh, w1.Name(f), local.Text(f.mtime), QString(), f.size, 0, CmprCode::Only1, f.mtime, 0});
            continue;
        }
        const WalkFile& g = w2.files[size_t(j)];
        const bool moved = m_code[i] == CmprCode::Moved;
        sink.Row({nNo, sPh, w1.Name(f), local.Text(f.mtime), local.Text(g.mtime), f.size, g.size, m_code[i], f.mtime,
                  g.mtime, moved ? &w2.Folder(g) : nullptr, moved ? w2.Name(g) : QString()});
    }
    for (size_t j = std::max(from, n1) - n1; j + n1 < to; ++j) {
        if (m_2.partner[j] != kNoMatch)
            continue;
        const WalkFile& g = w2.files[j];
        sink.Row({base + qint64(n1 + j) + 1, w2.Folder(g), w2.Name(g), QString(), local.Text(g.mtime), 0, g.size,
                  CmprCode::Only2, 0, g.mtime});
    }
}

std::vector<CmprResult::Pair> CmprResult::Pairs() const
{
    std::vector<Pair> out;
    const auto &w1 = m_1.w, &w2 = m_2.w;
    for (size_t i = 0; i < w1.files.size(); ++i) {
        const WalkFile& f = w1.files[i];
        const int j = m_1.partner[i];
        const FileStamp s1 = w1.stamps.empty() ? FileStamp{} : w1.stamps[i];
        if (j == kNoMatch) {
            out.push_back({CmprCode::Only1, w1.Folder(f), w1.Name(f), {}, {}, f.size, 0, f.mtime, 0, s1, {}});
            continue;
        }
        const WalkFile& g = w2.files[size_t(j)];
        const FileStamp s2 = w2.stamps.empty() ? FileStamp{} : w2.stamps[size_t(j)];
        out.push_back(
            {m_code[i], w1.Folder(f), w1.Name(f), w2.Folder(g), w2.Name(g), f.size, g.size, f.mtime, g.mtime, s1, s2});
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        if (m_2.partner[j] != kNoMatch)
            continue;
        const WalkFile& g = w2.files[j];
        const FileStamp s2 = w2.stamps.empty() ? FileStamp{} : w2.stamps[j];
        out.push_back({CmprCode::Only2, {}, {}, w2.Folder(g), w2.Name(g), 0, g.size, 0, g.mtime, {}, s2});
    }
    return out;
}
