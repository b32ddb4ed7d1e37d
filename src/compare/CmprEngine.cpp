#include "compare/CmprEngine.h"

#include "app/Usr.h"

#include "compare/ContentCompare.h"
#include "compare/DateText.h"
#include "compare/Matcher.h"
#include "compare/Walker.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/Heap.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QHash>
#include <algorithm>
#include <chrono>
#include <exception>
#include <future>
#include <thread>

namespace {

QString CheckFolder(const QString& path, const QString& side)
{
    if (path.isEmpty())
        throw FcError(ErrKind::FileSystem, side + QStringLiteral("のﾌｫﾙﾀﾞが選択されていません"));
    if (!Usr::ChkFso().FolderExists(OpenPath(path)))
        throw FcError(ErrKind::FileSystem, side + QStringLiteral("のﾌｫﾙﾀﾞが見つかりません: ") + path);
    return path;
}

// Walks both folders at once, reporting the running count meanwhile.
std::pair<WalkResult, WalkResult> WalkBoth(const QString& f1, const QString& f2, const CmprEngine::Progress& cb,
                                           const std::atomic<bool>* stop, const WalkOptions& opt)
{
    std::atomic<qint64> seen{0};
    auto walk = [&](const QString& f) {
        WalkResult w = WalkFolder(f, seen, stop, opt);
        KeyWalk(w); // where the walker has not made the keys, they are made on its thread
        return w;
    };
    auto a = std::async(std::launch::async, [&] { return walk(f1); });
    auto b = std::async(std::launch::async, [&] { return walk(f2); });
    while (cb && (a.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready ||
                  b.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready))
        cb(seen.load());
    b.wait();
    WalkResult r1 = a.get(); // the first failure is reported
    WalkResult r2 = b.get();
    if (cb)
        cb(seen.load());
    return {std::move(r1), std::move(r2)};
}

} // namespace

namespace CmprCd {
const QString& SetCmprCd(qint64 mtime1, qint64 mtime2)
{
    int c = CompareMinutes(mtime1, mtime2);
    return c == 0 ? Same : (c > 0 ? Newer1 : Newer2);
}
} // namespace CmprCd

namespace {
// The codes of rows on both sides, in the order of the table index kept per
// row; Only1 marks a Folder 1 file without partner.
const QString* const kCodes[] = {&CmprCd::Only1, &CmprCd::Same, &CmprCd::Newer1, &CmprCd::Newer2, &CmprCd::Differ};
enum : quint8 { kSame = 1, kNewer1 = 2, kNewer2 = 3, kDiffer = 4 };

quint8 TimeCode(LocalTime& local, qint64 t1, qint64 t2, CmprRule::Tolerance tol)
{
    const int c = local.CompareMinutes(t1, t2);
    if (c == 0 || WithinTolerance(t1, t2, tol))
        return kSame;
    return c > 0 ? kNewer1 : kNewer2;
}

QString FullPath(const QString& root, const QString& folder, const QString& name)
{
    return JoinPath(folder.isEmpty() ? root : JoinPath(root, folder), name);
}

// Runs the content compare on its threads, reporting the bytes meanwhile.
ContentOutcome ContentsWithProgress(const std::vector<ContentPair>& pairs, const CmprEngine::Progress& cb,
                                    const std::atomic<bool>* stop)
{
    std::atomic<qint64> bytes{0};
    if (cb)
        cb(0); // the wait window says at once that contents are read
    auto job = std::async(std::launch::async, [&] { return CompareContents(pairs, bytes, stop); });
    while (cb && job.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        cb(bytes.load());
    return job.get();
}
} // namespace

bool WithinTolerance(qint64 t1, qint64 t2, CmprRule::Tolerance tol)
{
    if (tol == CmprRule::None)
        return false;
    const qint64 d = t1 > t2 ? t1 - t2 : t2 - t1;
    if (d <= 2)
        return true;
    return tol == CmprRule::WholeHours && ((d >= 3598 && d <= 3602) || (d >= 7198 && d <= 7202));
}

void CmprResult::CheckContents(const CmprRule& rule, const CmprEngine::Progress& bytes, const std::atomic<bool>* stop)
{
    const auto &w1 = m_1.w, &w2 = m_2.w;
    std::vector<size_t> which;
    std::vector<ContentPair> pairs;
    for (size_t i = 0; i < w1.files.size(); ++i) {
        if (m_code[i] != kSame)
            continue;
        const WalkFile& f = w1.files[i];
        const WalkFile& g = w2.files[size_t(m_1.partner[i])];
        if (f.size != g.size) { // a size difference decides without reading
            m_code[i] = kDiffer;
        } else if (rule.criterion == CmprRule::Content && f.size > 0) {
            which.push_back(i);
            pairs.push_back(
                {FullPath(m_fld1, w1.Folder(f), w1.Name(f)), FullPath(m_fld2, w2.Folder(g), w2.Name(g)), f.size});
        }
    }
    if (pairs.empty())
        return;
    ContentOutcome out = ContentsWithProgress(pairs, bytes, stop);
    for (size_t k = 0; k < which.size(); ++k)
        if (out.results[k] == ContentResult::Differ)
            m_code[which[k]] = kDiffer;
    m_contentSkipped = std::move(out.skipped);
}

CmprResult CmprEngine::Run(const QString& sFld1, const QString& sFld2, const Progress& progress,
                           const std::atomic<bool>* stop, const CmprRule& rule, const Progress& bytes,
                           const WalkOptions& walk)
{
    CheckFolder(sFld1, QStringLiteral("ﾌｫﾙﾀﾞ1"));
    CheckFolder(sFld2, QStringLiteral("ﾌｫﾙﾀﾞ2"));
    auto [k1, k2] = WalkBoth(sFld1, sFld2, progress, stop, walk);
    if (stop && stop->load())
        ThrowStopped(); // stopped before any row went out: no sink is touched
    CmprResult r;
    r.m_fld1 = sFld1;
    r.m_fld2 = sFld2;
    r.m_2.partner = MatchFiles(k1, k2);
    r.m_1.w = std::move(k1);
    r.m_2.w = std::move(k2);
    for (CmprResult::Side* s : {&r.m_1, &r.m_2})
        std::vector<size_t>().swap(s->w.keys); // used up by the match
    const auto &w1 = r.m_1.w.files, &w2 = r.m_2.w.files;
    r.m_1.partner.assign(w1.size(), kNoMatch);
    for (size_t j = 0; j < w2.size(); ++j)
        if (r.m_2.partner[j] != kNoMatch)
            r.m_1.partner[size_t(r.m_2.partner[j])] = int(j);

    r.m_code.resize(w1.size(), 0);
    LocalTime local;
    for (size_t i = 0; i < w1.size(); ++i)
        if (const int j = r.m_1.partner[i]; j != kNoMatch)
            r.m_code[i] = TimeCode(local, w1[i].mtime, w2[size_t(j)].mtime, rule.tolerance);
    if (rule.criterion != CmprRule::Time)
        r.CheckContents(rule, bytes, stop);

    CmprCounts& n = r.m_n;
    for (size_t i = 0; i < w1.size(); ++i) {
        if (r.m_1.partner[i] == kNoMatch) {
            ++n.only1;
            continue;
        }
        const quint8 c = r.m_code[i];
        (c == kSame ? n.same : c == kNewer1 ? n.newer1 : c == kNewer2 ? n.newer2 : n.differ)++;
    }
    n.only2 = qint64(std::count(r.m_2.partner.begin(), r.m_2.partner.end(), kNoMatch));
    n.rows = n.only1 + n.only2 + n.same + n.newer1 + n.newer2 + n.differ;
    r.m_skipped = r.m_1.w.skipped;
    r.m_skipped.insert(r.m_skipped.end(), r.m_2.w.skipped.begin(), r.m_2.w.skipped.end());
    r.m_skipped.insert(r.m_skipped.end(), r.m_contentSkipped.begin(), r.m_contentSkipped.end());
    n.skipped = qint64(r.m_skipped.size());
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
            sink.Row({nNo, sPh, w1.Name(f), local.Text(f.mtime), QString(), f.size, 0, CmprCd::Only1, f.mtime, 0});
            continue;
        }
        const WalkFile& g = w2.files[size_t(j)];
        sink.Row({nNo, sPh, w1.Name(f), local.Text(f.mtime), local.Text(g.mtime), f.size, g.size, *kCodes[m_code[i]],
                  f.mtime, g.mtime});
    }
    for (size_t j = std::max(from, n1) - n1; j + n1 < to; ++j) {
        if (m_2.partner[j] != kNoMatch)
            continue;
        const WalkFile& g = w2.files[j];
        sink.Row({base + qint64(n1 + j) + 1, w2.Folder(g), w2.Name(g), QString(), local.Text(g.mtime), 0, g.size,
                  CmprCd::Only2, 0, g.mtime});
    }
}

CmprCounts CmprEngine::Compare(const QString& sFld1, const QString& sFld2, RowSink& sink, const Progress& progress,
                               const std::atomic<bool>* stop, const CmprRule& rule, const Progress& bytes)
{
    CmprResult r = Run(sFld1, sFld2, progress, stop, rule, bytes);
    m_skipped = r.Skipped();
    r.Emit(sink);
    m_nCnt = r.nCnt();
    const CmprCounts n = r.Counts();
    {
        // the memory of both walks goes back now, or what a caller makes
        // next (the window's table) would come on top of it
        HeapsGiveBackOnFree giveBack;
        r = CmprResult();
    }
    return n;
}
