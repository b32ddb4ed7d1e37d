#include "compare/CmprEngine.h"

#include "app/Usr.h"

#include "compare/DateText.h"
#include "compare/Matcher.h"
#include "compare/Walker.h"
#include "env/Error.h"
#include "env/Fso.h"
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
std::pair<KeyedWalk, KeyedWalk> WalkBoth(const QString& f1, const QString& f2, const CmprEngine::Progress& cb,
                                         const std::atomic<bool>* stop)
{
    std::atomic<qint64> seen{0};
    // the keys are made on the walking threads too
    auto a = std::async(std::launch::async, [&] { return KeyWalk(WalkFolder(f1, seen, stop)); });
    auto b = std::async(std::launch::async, [&] { return KeyWalk(WalkFolder(f2, seen, stop)); });
    while (cb && (a.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready ||
                  b.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready))
        cb(seen.load());
    b.wait();
    KeyedWalk r1 = a.get(); // the first failure is reported
    KeyedWalk r2 = b.get();
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
const QString* const kCodes[] = {&CmprCd::Only1, &CmprCd::Same, &CmprCd::Newer1, &CmprCd::Newer2};

quint8 CodeIndex(const QString& code) { return code == CmprCd::Same ? 1 : code == CmprCd::Newer1 ? 2 : 3; }
} // namespace

CmprResult CmprEngine::Run(const QString& sFld1, const QString& sFld2, const Progress& progress,
                           const std::atomic<bool>* stop)
{
    CheckFolder(sFld1, QStringLiteral("ﾌｫﾙﾀﾞ1"));
    CheckFolder(sFld2, QStringLiteral("ﾌｫﾙﾀﾞ2"));
    auto [k1, k2] = WalkBoth(sFld1, sFld2, progress, stop);
    if (stop && stop->load())
        ThrowStopped(); // stopped before any row went out: no sink is touched
    CmprResult r;
    r.m_fld1 = sFld1;
    r.m_fld2 = sFld2;
    r.m_2.partner = MatchFiles(k1, k2);
    r.m_1.w = std::move(k1.w);
    r.m_2.w = std::move(k2.w);
    const auto &w1 = r.m_1.w.files, &w2 = r.m_2.w.files;
    r.m_1.partner.assign(w1.size(), kNoMatch);
    for (size_t j = 0; j < w2.size(); ++j)
        if (r.m_2.partner[j] != kNoMatch)
            r.m_1.partner[size_t(r.m_2.partner[j])] = int(j);

    CmprCounts& n = r.m_n;
    r.m_code.resize(w1.size(), 0);
    for (size_t i = 0; i < w1.size(); ++i) {
        const int j = r.m_1.partner[i];
        if (j == kNoMatch) {
            ++n.only1;
            continue;
        }
        const quint8 c = CodeIndex(CmprCd::SetCmprCd(w1[i].mtime, w2[size_t(j)].mtime));
        r.m_code[i] = c;
        (c == 1 ? n.same : c == 2 ? n.newer1 : n.newer2)++;
    }
    n.only2 = qint64(std::count(r.m_2.partner.begin(), r.m_2.partner.end(), kNoMatch));
    n.rows = n.only1 + n.only2 + n.same + n.newer1 + n.newer2;
    r.m_skipped = r.m_1.w.skipped;
    r.m_skipped.insert(r.m_skipped.end(), r.m_2.w.skipped.begin(), r.m_2.w.skipped.end());
    n.skipped = qint64(r.m_skipped.size());
    return r;
}

qint64 CmprResult::nCnt() const { return 1000 + qint64(m_1.w.files.size() + m_2.w.files.size()); }

void CmprResult::Emit(RowSink& sink) const
{
    const qint64 base = 1000;
    const auto &w1 = m_1.w, &w2 = m_2.w;
    const qint64 n1 = qint64(w1.files.size());
    sink.Begin();
    for (qint64 i = 0; i < n1; ++i) {
        const WalkFile& f = w1.files[size_t(i)];
        const QString& sPh = w1.folders[f.folder];
        const int j = m_1.partner[size_t(i)];
        if (j == kNoMatch) {
            sink.Row({base + i + 1, sPh, f.name, DateText(f.mtime), QString(), f.size, 0, CmprCd::Only1, f.mtime, 0});
            continue;
        }
        const WalkFile& g = w2.files[size_t(j)];
        sink.Row({base + i + 1, sPh, f.name, DateText(f.mtime), DateText(g.mtime), f.size, g.size,
                  *kCodes[m_code[size_t(i)]], f.mtime, g.mtime});
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        if (m_2.partner[j] != kNoMatch)
            continue;
        const WalkFile& g = w2.files[j];
        sink.Row({base + n1 + qint64(j) + 1, w2.folders[g.folder], g.name, QString(), DateText(g.mtime), 0, g.size,
                  CmprCd::Only2, 0, g.mtime});
    }
    sink.End(m_fld1, m_fld2, m_n);
}

CmprCounts CmprEngine::Compare(const QString& sFld1, const QString& sFld2, RowSink& sink, const Progress& progress,
                               const std::atomic<bool>* stop)
{
    CmprResult r = Run(sFld1, sFld2, progress, stop);
    m_skipped = r.Skipped();
    r.Emit(sink);
    m_nCnt = r.nCnt();
    return r.Counts();
}
