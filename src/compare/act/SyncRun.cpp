#include "compare/act/SyncRun.h"

#include "compare/act/SafeCopy.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <sys/stat.h>

namespace {
QString FullPath(const QString& root, const QString& folder, const QString& name)
{
    return JoinPath(folder.isEmpty() ? root : JoinPath(root, folder), name);
}

// Whether a file is still as the comparison saw it: a regular file of that
// size and modification time (to the second, as the walk reads it), or
// absent where it saw none.
bool AsSeen(const QString& path, bool present, qint64 size, qint64 mtime)
{
    struct stat st;
    if (::lstat(EncodeName(path).constData(), &st) != 0)
        return !present && errno == ENOENT;
    return present && S_ISREG(st.st_mode) && st.st_size == size && st.st_mtim.tv_sec == mtime;
}

SyncOutcome Apply(const SyncAction& a, const QString& root1, const QString& root2, const std::atomic<bool>& stop,
                  std::atomic<qint64>& bytes)
{
    const QString& dstRoot = a.side == 2 ? root2 : root1;
    const QString& srcRoot = a.side == 2 ? root1 : root2;
    const QString dst = FullPath(dstRoot, a.folder, a.name);
    SyncOutcome o;
    if (a.kind == SyncAction::Trash) {
        if (!AsSeen(dst, true, a.dstSize, a.dstMtime))
            return {SyncOutcome::Conflict, QStringLiteral("比較の後に変わりました")};
        return MoveToTrash(dst, o.reason) ? SyncOutcome{SyncOutcome::Done, {}}
                                          : SyncOutcome{SyncOutcome::Failed, o.reason};
    }
    const QString src = FullPath(srcRoot, a.srcFolder, a.srcName);
    const bool replace = a.kind == SyncAction::Replace;
    if (!AsSeen(src, true, a.srcSize, a.srcMtime) || !AsSeen(dst, replace, a.dstSize, a.dstMtime))
        return {SyncOutcome::Conflict, QStringLiteral("比較の後に変わりました")};
    switch (SafeCopy(src, dst, replace, stop, bytes, o.reason)) {
    case CopyEnd::Done: return {SyncOutcome::Done, {}};
    case CopyEnd::Stopped: return {SyncOutcome::NotDone, o.reason};
    default: return {SyncOutcome::Failed, o.reason};
    }
}
} // namespace

std::vector<SyncOutcome> ApplyPlan(const std::vector<SyncAction>& plan, const QString& root1, const QString& root2,
                                   CmprObserver& obs)
{
    std::vector<SyncOutcome> out(plan.size());
    std::atomic<qint64> bytes{0}, done{0};
    CmprProgress p;
    p.phase = CmprPhase::Act;
    Polled(
        [&] {
            for (size_t i = 0; i < plan.size() && !obs.Stopping(); ++i) {
                out[i] = Apply(plan[i], root1, root2, obs.stop, bytes);
                done.fetch_add(1, std::memory_order_relaxed);
            }
        },
        [&] {
            p.files = done.load();
            p.bytes = bytes.load();
            obs.Progress(p);
        });
    p.files = done.load();
    p.bytes = bytes.load();
    obs.Progress(p);
    for (SyncOutcome& o : out)
        if (o.state == SyncOutcome::NotDone && o.reason.isEmpty())
            o.reason = QStringLiteral("中止しました");
    return out;
}
