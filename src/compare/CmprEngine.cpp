#include "compare/CmprEngine.h"

#include "app/Usr.h"

#include "compare/DateText.h"
#include "compare/RunLog.h"
#include "compare/SqlDb.h"
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
const int kNone = -1;

// A walk with a hash of each file's case-folded relative folder and name.
struct KeyedWalk {
    WalkResult w;
    std::vector<size_t> keys;
};

KeyedWalk WalkAndFold(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop)
{
    KeyedWalk k{WalkFolder(folder, seen, stop), {}};
    std::vector<QString> folded;
    folded.reserve(k.w.folders.size());
    for (const QString& f : k.w.folders)
        folded.push_back(FoldName(f) + QChar(0));
    k.keys.reserve(k.w.files.size());
    for (const WalkFile& f : k.w.files)
        k.keys.push_back(qHash(QString(folded[f.folder] + FoldName(f.name)), 0));
    return k;
}

// Whether two files have the same relative folder and name regardless of case.
bool SameKey(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return SameNameIgnoringCase(a.name, b.name) && SameNameIgnoringCase(w1.folders[a.folder], w2.folders[b.folder]);
}

bool SameSpelling(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return a.name == b.name && w1.folders[a.folder] == w2.folders[b.folder];
}

// For each Folder 2 file, the Folder 1 file it updates (kNone: a new row).
// Exact spellings claim their rows first; every row is claimed at most once.
std::vector<int> MatchFiles(const KeyedWalk& k1, const KeyedWalk& k2)
{
    const WalkResult &w1 = k1.w, &w2 = k2.w;
    QHash<size_t, int> first; // files whose keys hash alike are chained
    first.reserve(qsizetype(w1.files.size()));
    std::vector<int> next(w1.files.size(), kNone), last(w1.files.size(), kNone);
    for (size_t i = 0; i < w1.files.size(); ++i) {
        auto it = first.find(k1.keys[i]);
        if (it == first.end()) {
            first.insert(k1.keys[i], int(i));
            last[i] = int(i);
        } else {
            next[size_t(last[size_t(it.value())])] = int(i);
            last[size_t(it.value())] = int(i);
        }
    }
    std::vector<int> head(w2.files.size(), kNone), match(w2.files.size(), kNone);
    std::vector<char> claimed(w1.files.size(), 0);
    auto claim = [&](size_t j, auto&& fits) {
        const WalkFile& f = w2.files[j];
        for (int i = head[j]; i != kNone; i = next[size_t(i)]) {
            const WalkFile& g = w1.files[size_t(i)];
            if (!claimed[size_t(i)] && fits(g, f)) {
                claimed[size_t(i)] = 1;
                match[j] = i;
                return;
            }
        }
    };
    for (size_t j = 0; j < w2.files.size(); ++j) {
        head[j] = first.value(k2.keys[j], kNone);
        claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameSpelling(w1, g, w2, f); });
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        if (match[j] == kNone)
            claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameKey(w1, g, w2, f); });
    }
    return match;
}

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
    auto a = std::async(std::launch::async, [&] { return WalkAndFold(f1, seen, stop); });
    auto b = std::async(std::launch::async, [&] { return WalkAndFold(f2, seen, stop); });
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

class RowWriter {
public:
    explicit RowWriter(SqlDb& db)
            : m_ins(db.Prepare(QStringLiteral(
                  "Insert Into tbCmpr (nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED) Values (?,?,?,?,?,?,?,?)")))
    {
    }
    void Write(qint64 nNo, const QString& sPh, const QString& sFL, const QString& sU1, const QString& sU2, qint64 nS1,
               qint64 nS2, const QString& sED)
    {
        SqlPrm(m_ins, {nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED});
        m_ins.Step();
        m_ins.Reset();
    }

private:
    SqlStmt m_ins;
};
} // namespace

namespace CmprCd {
const QString& SetCmprCd(qint64 mtime1, qint64 mtime2)
{
    int c = CompareMinutes(mtime1, mtime2);
    return c == 0 ? Same : (c > 0 ? Newer1 : Newer2);
}
} // namespace CmprCd

CmprCounts CmprEngine::Run(const QString& sFld1, const QString& sFld2, SqlDb& db, const Progress& progress,
                           const std::atomic<bool>* stop)
{
    CheckFolder(sFld1, QStringLiteral("ﾌｫﾙﾀﾞ1"));
    CheckFolder(sFld2, QStringLiteral("ﾌｫﾙﾀﾞ2"));
    auto [k1, k2] = WalkBoth(sFld1, sFld2, progress, stop);
    if (stop && stop->load())
        ThrowStopped(); // stopped after the walks: the store is not touched
    std::vector<int> match = MatchFiles(k1, k2);
    const WalkResult &w1 = k1.w, &w2 = k2.w;
    std::vector<int> partner(w1.files.size(), kNone);
    for (size_t j = 0; j < match.size(); ++j)
        if (match[j] != kNone)
            partner[size_t(match[j])] = int(j);

    CmprCounts n;
    m_skipped = w1.skipped;
    m_skipped.insert(m_skipped.end(), w2.skipped.begin(), w2.skipped.end());
    n.skipped = qint64(m_skipped.size());
    const qint64 base = 1000;
    const qint64 n1 = qint64(w1.files.size());
    InTransaction(db, [&] {
        db.Exec(QStringLiteral("DROP INDEX IF EXISTS ixPhFL; Delete From tbCmpr"));
        RowWriter out(db);
        const QString none;
        for (qint64 i = 0; i < n1; ++i) {
            const WalkFile& f = w1.files[size_t(i)];
            const QString& sPh = w1.folders[f.folder];
            int j = partner[size_t(i)];
            if (j == kNone) {
                out.Write(base + i + 1, sPh, f.name, DateText(f.mtime), none, f.size, 0, CmprCd::Only1);
                ++n.only1;
                continue;
            }
            const WalkFile& g = w2.files[size_t(j)];
            const QString& code = CmprCd::SetCmprCd(f.mtime, g.mtime);
            out.Write(base + i + 1, sPh, f.name, DateText(f.mtime), DateText(g.mtime), f.size, g.size, code);
            (code == CmprCd::Same ? n.same : code == CmprCd::Newer1 ? n.newer1 : n.newer2)++;
        }
        for (size_t j = 0; j < w2.files.size(); ++j) {
            if (match[j] != kNone)
                continue;
            const WalkFile& g = w2.files[j];
            out.Write(base + n1 + qint64(j) + 1, w2.folders[g.folder], g.name, none, DateText(g.mtime), 0, g.size,
                      CmprCd::Only2);
            ++n.only2;
        }
        db.Exec(QStringLiteral("CREATE INDEX IF NOT EXISTS ixPhFL ON tbCmpr (sPh, sFL)"));
        n.rows = n.only1 + n.only2 + n.same + n.newer1 + n.newer2;
        m_nRun = RunLog::Record(db, sFld1, sFld2, n);
    });
    m_nCnt = base + n1 + qint64(w2.files.size());
    return n;
}
