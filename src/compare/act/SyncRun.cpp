#include "compare/act/SyncRun.h"

#include "compare/act/CheckedFolders.h"
#include "compare/act/FolderCheck.h"
#include "compare/act/SafeCopy.h"
#include "env/Aside.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QSet>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using A = SyncAction;

// A batch ends at this many files or bytes written aside.
constexpr size_t kBatchFiles = 256;
constexpr qint64 kBatchBytes = qint64(256) << 20;

SyncOutcome::State StateOf(StepEnd e)
{
    switch (e) {
    case StepEnd::Done: return SyncOutcome::Done;
    case StepEnd::Conflict: return SyncOutcome::Conflict;
    case StepEnd::Stopped: return SyncOutcome::NotDone;
    default: return SyncOutcome::Failed;
    }
}

// An action prepared in a batch, waiting for the flush to be done.
struct Pending {
    size_t i;
    AsideCopy copy; // for a move, its new place (dir, name)
    Trash trash;
    int from = -1; // a move's folder, and its name there
    QByteArray fromName = {};
};

class Runner {
public:
    Runner(const SyncPlan& plan, std::vector<SyncOutcome>& out, CmprObserver& obs)
            : m_plan(plan), m_out(out), m_obs(obs), m_folders(plan)
    {
    }
    void Run()
    {
        for (size_t i = 0; i < m_plan.actions.size() && !m_stopped;) {
            i = PrepareBatch(i);
            CommitBatch();
        }
    }
    std::atomic<qint64> bytes{0}, done{0};

private:
    size_t PrepareBatch(size_t i)
    {
        qint64 batchBytes = 0;
        for (; i < m_plan.actions.size() && m_pending.size() < kBatchFiles && batchBytes < kBatchBytes; ++i) {
            // a folder goes to the trash only as it is once the actions
            // before it are done (a file moved out of it among them)
            if (m_plan.actions[i].kind == A::TrashFolder && !m_pending.empty())
                break;
            if (m_obs.Stopping()) {
                m_stopped = true;
                break;
            }
            SyncOutcome& o = m_out[i];
            const StepEnd e = Prepare(i, o.reason);
            if (e == StepEnd::Stopped) {
                m_stopped = true;
                break;
            }
            if (e != StepEnd::Done || !IsPending(m_plan.actions[i])) {
                o.state = StateOf(e);
                done.fetch_add(1, std::memory_order_relaxed);
            }
            batchBytes +=
                m_plan.actions[i].kind == A::Copy || m_plan.actions[i].kind == A::Replace ? m_plan.actions[i].bytes : 0;
        }
        return i;
    }

    static bool IsPending(const A& a) { return a.kind != A::MakeFolder && a.kind != A::Conflict; }

    // The folder holding an action's entry, open and checked.
    StepEnd Folder(int side, const QString& rel, bool make, int& fd, QString& err)
    {
        switch (m_folders.Open(side, rel, make, fd, err)) {
        case CheckedFolders::End::Open: return StepEnd::Done;
        case CheckedFolders::End::Changed: return StepEnd::Conflict;
        default: return StepEnd::Failed;
        }
    }

    QByteArray Absolute(const A& a) const { return EncodeName(JoinPath(m_plan.Root(a.side), a.Path())); }

    StepEnd Prepare(size_t i, QString& err)
    {
        const A& a = m_plan.actions[i];
        int dir = -1;
        if (a.kind == A::Conflict) {
            err = QStringLiteral("日時が同じで大きさか内容が違います");
            return StepEnd::Conflict;
        }
        if (a.kind == A::MakeFolder)
            return Folder(a.side, a.Path(), true, dir, err);
        if (a.kind == A::Move)
            return PrepareMove(i, err);
        StepEnd e = Folder(a.side, a.folder, a.kind == A::Copy, dir, err);
        if (e != StepEnd::Done)
            return e;
        Pending p{i, {}, {}};
        p.copy.dir = dir;
        p.copy.name = EncodeName(a.name);
        if (a.kind != A::Copy && (e = StillAsSeen(a, dir, err)) != StepEnd::Done)
            return e;
        if (a.kind == A::Copy || a.kind == A::Replace) {
            int src = -1;
            if ((e = Folder(3 - a.side, a.srcFolder, false, src, err)) != StepEnd::Done ||
                (e = WriteAside(src, EncodeName(a.srcName), a.src, a.srcSize, p.copy, m_obs.stop, bytes, err)) !=
                    StepEnd::Done)
                return e;
        }
        m_folders.MarkWritten(a.side, a.folder, dir);
        m_pending.push_back(std::move(p));
        return StepEnd::Done;
    }

    // A move's file must still be as compared, its new place free.
    StepEnd PrepareMove(size_t i, QString& err)
    {
        const A& a = m_plan.actions[i];
        Pending p{i, {}, {}};
        StepEnd e = Folder(a.side, a.folder, true, p.copy.dir, err);
        if (e != StepEnd::Done || (e = Folder(a.side, a.srcFolder, false, p.from, err)) != StepEnd::Done)
            return e;
        p.copy.name = EncodeName(a.name);
        p.fromName = EncodeName(a.srcName);
        if ((e = MoveStillPossible(a, p, err)) != StepEnd::Done)
            return e;
        m_folders.MarkWritten(a.side, a.folder, p.copy.dir);
        m_folders.MarkWritten(a.side, a.srcFolder, p.from);
        m_pending.push_back(std::move(p));
        return StepEnd::Done;
    }

    static StepEnd MoveStillPossible(const A& a, const Pending& p, QString& err)
    {
        struct stat st;
        if (!EntryAsSeen(p.from, p.fromName.constData(), a.src, a.srcSize, st)) {
            err = QStringLiteral("比較の後に変わりました");
            return StepEnd::Conflict;
        }
        if (::fstatat(p.copy.dir, p.copy.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            err = QStringLiteral("移動先にﾌｧｲﾙがあります");
            return StepEnd::Conflict;
        }
        if (errno == ENOENT)
            return StepEnd::Done;
        err = ErrNo();
        return StepEnd::Failed;
    }

    // A moved file renamed once checked again, never over an entry.
    static StepEnd MoveEntry(const A& a, const Pending& p, QString& err)
    {
        const StepEnd e = MoveStillPossible(a, p, err);
        if (e != StepEnd::Done)
            return e;
        switch (Aside::RenameNoReplace(p.from, p.fromName.constData(), p.copy.dir, p.copy.name.constData())) {
        case Aside::Place::Done: return StepEnd::Done;
        case Aside::Place::Exists: err = QStringLiteral("移動先にﾌｧｲﾙがあります"); return StepEnd::Conflict;
        default: err = ErrNo(); return StepEnd::Failed;
        }
    }

    // Whether the entry to be replaced or removed is still as compared;
    // asked when the action is prepared and again right before it is done.
    static StepEnd StillAsSeen(const A& a, int dir, QString& err, struct stat* now = nullptr)
    {
        struct stat st;
        const QByteArray name = EncodeName(a.name);
        if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const bool gone = errno == ENOENT;
            err = gone ? QStringLiteral("比較の後に変わりました") : ErrNo();
            return gone ? StepEnd::Conflict : StepEnd::Failed;
        }
        const bool asSeen = a.kind == A::TrashFolder ? FolderAsSeen(dir, name, a, err)
                                                     : EntryAsSeen(dir, name.constData(), a.dst, a.dstSize, st);
        if (!asSeen) {
            if (err.isEmpty())
                err = QStringLiteral("比較の後に変わりました");
            return StepEnd::Conflict;
        }
        if (now)
            *now = st;
        return StepEnd::Done;
    }

    void CommitBatch()
    {
        FlushVolumes();
        QSet<QByteArray> trashFolders;
        for (Pending& p : m_pending) {
            SyncOutcome& o = m_out[p.i];
            const StepEnd e = Commit(m_plan.actions[p.i], p, o.reason);
            o.state = StateOf(e);
            if (e == StepEnd::Done) {
                o.note = p.copy.note;
                if (!p.trash.TrashedAt().isEmpty())
                    trashFolders << p.trash.FilesFolder() << p.trash.InfoFolder();
            }
            done.fetch_add(1, std::memory_order_relaxed);
        }
        m_pending.clear();
        m_folders.FlushAndClose();
        for (const QByteArray& f : trashFolders)
            Aside::SyncFolderAt(f);
    }

    // The data written aside made durable: each volume flushed once.
    void FlushVolumes()
    {
        QSet<dev_t> flushed;
        for (const Pending& p : m_pending) {
            struct stat st;
            if (::fstat(p.copy.dir, &st) == 0 && !flushed.contains(st.st_dev)) {
                flushed.insert(st.st_dev);
                ::syncfs(p.copy.dir);
            }
        }
    }

    StepEnd Commit(const A& a, Pending& p, QString& err)
    {
        switch (a.kind) {
        case A::Copy: return PlaceNew(p.copy, err);
        case A::Replace: return PlaceOver(p.copy, a.dst, a.dstSize, Absolute(a), p.trash, err);
        case A::Move: return MoveEntry(a, p, err);
        default: return TrashEntry(a, p, err);
        }
    }

    // A file or folder moved to the trash once checked again, reached
    // through its checked folder; its info file is written only now, so a
    // run killed before leaves none without its file.
    StepEnd TrashEntry(const A& a, Pending& p, QString& err)
    {
        struct stat st;
        StepEnd e = StillAsSeen(a, p.copy.dir, err, &st);
        if (e != StepEnd::Done)
            return e;
        if (!p.trash.Prepare(Absolute(a), st, err, false))
            return StepEnd::Failed;
        p.trash.From(p.copy.dir, p.copy.name);
        return p.trash.Move(err) ? StepEnd::Done : StepEnd::Failed;
    }

    const SyncPlan& m_plan;
    std::vector<SyncOutcome>& m_out;
    CmprObserver& m_obs;
    CheckedFolders m_folders;
    std::vector<Pending> m_pending;
    bool m_stopped = false;
};
} // namespace

std::vector<SyncOutcome> ApplyPlan(const SyncPlan& plan, CmprObserver& obs)
{
    std::vector<SyncOutcome> out(plan.actions.size());
    if (!plan.refused.isEmpty()) {
        for (SyncOutcome& o : out)
            o.reason = plan.refused;
        return out;
    }
    Runner run(plan, out, obs);
    CmprProgress p;
    p.phase = CmprPhase::Act;
    auto report = [&] {
        p.files = run.done.load();
        p.bytes = run.bytes.load();
        obs.Progress(p);
    };
    Polled([&] { run.Run(); }, report);
    report();
    for (SyncOutcome& o : out)
        if (o.state == SyncOutcome::NotDone && o.reason.isEmpty())
            o.reason = QStringLiteral("中止しました");
    return out;
}
