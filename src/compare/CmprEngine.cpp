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

CmprCounts CmprEngine::Compare(const QString& sFld1, const QString& sFld2, RowSink& sink, const Progress& progress,
                               const std::atomic<bool>* stop)
{
    CheckFolder(sFld1, QStringLiteral("ﾌｫﾙﾀﾞ1"));
    CheckFolder(sFld2, QStringLiteral("ﾌｫﾙﾀﾞ2"));
    auto [k1, k2] = WalkBoth(sFld1, sFld2, progress, stop);
    if (stop && stop->load())
        ThrowStopped(); // stopped before any row went out: the sink is not touched
    std::vector<int> match = MatchFiles(k1, k2);
    const WalkResult &w1 = k1.w, &w2 = k2.w;
    std::vector<int> partner(w1.files.size(), kNoMatch);
    for (size_t j = 0; j < match.size(); ++j)
        if (match[j] != kNoMatch)
            partner[size_t(match[j])] = int(j);

    CmprCounts n;
    m_skipped = w1.skipped;
    m_skipped.insert(m_skipped.end(), w2.skipped.begin(), w2.skipped.end());
    n.skipped = qint64(m_skipped.size());
    const qint64 base = 1000;
    const qint64 n1 = qint64(w1.files.size());
    sink.Begin();
    for (qint64 i = 0; i < n1; ++i) {
        const WalkFile& f = w1.files[size_t(i)];
        const QString& sPh = w1.folders[f.folder];
        const int j = partner[size_t(i)];
        if (j == kNoMatch) {
            sink.Row({base + i + 1, sPh, f.name, DateText(f.mtime), QString(), f.size, 0, CmprCd::Only1});
            ++n.only1;
            continue;
        }
        const WalkFile& g = w2.files[size_t(j)];
        const QString& code = CmprCd::SetCmprCd(f.mtime, g.mtime);
        sink.Row({base + i + 1, sPh, f.name, DateText(f.mtime), DateText(g.mtime), f.size, g.size, code});
        (code == CmprCd::Same ? n.same : code == CmprCd::Newer1 ? n.newer1 : n.newer2)++;
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        if (match[j] != kNoMatch)
            continue;
        const WalkFile& g = w2.files[j];
        sink.Row({base + n1 + qint64(j) + 1, w2.folders[g.folder], g.name, QString(), DateText(g.mtime), 0, g.size,
                  CmprCd::Only2});
        ++n.only2;
    }
    n.rows = n.only1 + n.only2 + n.same + n.newer1 + n.newer2;
    sink.End(sFld1, sFld2, n);
    m_nCnt = base + n1 + qint64(w2.files.size());
    return n;
}
