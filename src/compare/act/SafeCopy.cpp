#include "compare/act/SafeCopy.h"

#include "env/Aside.h"
#include "env/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Changed() { return QStringLiteral("比較の後に変わりました"); }

qint64 Ns(const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_ino == b.st_ino && a.st_dev == b.st_dev; }
} // namespace

bool AsSeen(const struct stat& st, const FileStamp& seen, qint64 size)
{
    const bool known = seen.ino != 0 || seen.dev != 0;
    return S_ISREG(st.st_mode) && st.st_size == size && Ns(st.st_mtim) == seen.mtimeNs &&
           (seen.ctimeNs == 0 || Ns(st.st_ctim) == seen.ctimeNs) &&
           (!known || (quint64(st.st_ino) == seen.ino && quint64(st.st_dev) == seen.dev));
}

bool EntryAsSeen(int dir, const char* name, const FileStamp& seen, qint64 size, struct stat& entry)
{
    if (::fstatat(dir, name, &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    struct stat target;
    return S_ISLNK(entry.st_mode) ? ::fstatat(dir, name, &target, 0) == 0 && AsSeen(target, seen, size)
                                  : AsSeen(entry, seen, size);
}

AsideCopy::AsideCopy(AsideCopy&& o) noexcept
        : dir(o.dir), fd(o.fd), tmp(std::move(o.tmp)), name(std::move(o.name)), note(std::move(o.note))
{
    o.fd = -1;
    o.tmp.clear();
}

void AsideCopy::Discard()
{
    if (!tmp.isEmpty())
        ::unlinkat(dir, tmp.constData(), 0); // our own temporary file, never the destination
    tmp.clear();
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

StepEnd WriteAside(int srcDir, const QByteArray& srcName, const FileStamp& seen, qint64 size, AsideCopy& out,
                   const std::atomic<bool>& stop, std::atomic<qint64>& bytes, QString& err)
{
    // a link to a file is read as the walk read it, through the link; the
    // identity check below holds it to the file the walk saw
    const int in = ::openat(srcDir, srcName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        const bool gone = errno == ENOENT || errno == ELOOP;
        err = gone ? Changed() : ErrNo();
        return gone ? StepEnd::Conflict : StepEnd::Failed;
    }
    struct stat st;
    if (::fstat(in, &st) != 0 || !AsSeen(st, seen, size)) {
        err = Changed();
        ::close(in);
        return StepEnd::Conflict;
    }
    out.fd = Aside::Create(out.dir, out.tmp);
    if (out.fd < 0) {
        err = ErrNo();
        out.tmp.clear();
        ::close(in);
        return StepEnd::Failed;
    }
    const CopyEnd end = CopyFileData(in, st, out.fd, stop, bytes, err);
    if (end == CopyEnd::Done) {
        out.note = CopyXattrs(in, out.fd);
        if (!CopyModeAndTimes(out.fd, st, err)) {
            ::close(in);
            out.Discard();
            return StepEnd::Failed;
        }
    }
    // the source must not have changed while it was read
    struct stat after;
    const bool same = ::fstat(in, &after) == 0 && AsSeen(after, seen, size) && Ns(after.st_ctim) == Ns(st.st_ctim);
    ::close(in);
    if (end != CopyEnd::Done || !same) {
        out.Discard();
        if (end == CopyEnd::Done)
            err = QStringLiteral("ｺﾋﾟｰ中に変わりました");
        return end == CopyEnd::Stopped ? StepEnd::Stopped : end == CopyEnd::Done ? StepEnd::Conflict : StepEnd::Failed;
    }
    return StepEnd::Done;
}

StepEnd PlaceNew(AsideCopy& c, QString& err)
{
    switch (Aside::PlaceNew(c.dir, c.tmp, c.name)) {
    case Aside::Place::Done:
        c.tmp.clear();
        c.Discard();
        return StepEnd::Done;
    case Aside::Place::Exists:
        err = QStringLiteral("比較の後に同じ名前のものができました");
        c.Discard();
        return StepEnd::Conflict;
    default:
        err = ErrNo();
        c.Discard();
        return StepEnd::Failed;
    }
}

namespace {
// The linked old file out of the way: the copy swapped in atomically, and
// what was swapped out must be the file now also in the trash.
StepEnd SwapIn(AsideCopy& c, const struct stat& old, Trash& trash, QString& err)
{
    if (!Aside::Exchange(c.dir, c.tmp, c.name)) {
        if (errno != EINVAL) {
            err = ErrNo();
            trash.Undo();
            c.Discard();
            return StepEnd::Failed;
        }
        // no atomic swap on this file system: renamed over, checked just before
        if (::renameat(c.dir, c.tmp.constData(), c.dir, c.name.constData()) != 0) {
            err = ErrNo();
            trash.Undo();
            c.Discard();
            return StepEnd::Failed;
        }
        c.tmp.clear();
        c.Discard();
        return StepEnd::Done;
    }
    struct stat out;
    if (::fstatat(c.dir, c.tmp.constData(), &out, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(out, old)) {
        c.Discard(); // the old file's other name, in the trash, stays
        return StepEnd::Done;
    }
    // another file took the place meanwhile: it goes back and stays
    Aside::Exchange(c.dir, c.tmp, c.name);
    c.Discard();
    trash.Undo();
    err = QStringLiteral("置き換えの間に別のﾌｧｲﾙが置かれました");
    return StepEnd::Conflict;
}

// On a volume without hard links: the old file moves into the trash, then
// the copy takes the free place.
StepEnd MoveThenPlace(AsideCopy& c, const struct stat& now, Trash& trash, QString& err)
{
    if (!trash.Move(err)) {
        c.Discard();
        return StepEnd::Failed;
    }
    struct stat moved;
    if (::lstat(trash.TrashedAt().constData(), &moved) != 0 || !SameFile(moved, now) ||
        Ns(moved.st_mtim) != Ns(now.st_mtim)) {
        c.Discard(); // what was moved is kept in the trash, with its place recorded
        err = QStringLiteral("置き換えの間に別のﾌｧｲﾙが置かれました (ごみ箱へ移しました)");
        return StepEnd::Conflict;
    }
    return PlaceNew(c, err);
}
} // namespace

StepEnd PlaceOver(AsideCopy& c, const FileStamp& seen, qint64 size, const QByteArray& path, Trash& trash, QString& err)
{
    struct stat now;
    if (!EntryAsSeen(c.dir, c.name.constData(), seen, size, now)) {
        err = Changed();
        c.Discard();
        return StepEnd::Conflict;
    }
    if (!trash.Prepare(path, now, err, false)) {
        c.Discard();
        return StepEnd::Failed;
    }
    trash.From(c.dir, c.name);
    switch (trash.Link(err)) {
    case Trash::LinkEnd::Unsupported: return MoveThenPlace(c, now, trash, err);
    case Trash::LinkEnd::Failed: c.Discard(); return StepEnd::Failed;
    case Trash::LinkEnd::Done: break;
    }
    // the name in the trash is on the file just checked (a link moves only its change time)
    struct stat linked;
    if (::lstat(trash.TrashedAt().constData(), &linked) != 0 || !SameFile(linked, now) ||
        Ns(linked.st_mtim) != Ns(now.st_mtim) || linked.st_size != now.st_size) {
        err = Changed();
        trash.Undo();
        c.Discard();
        return StepEnd::Conflict;
    }
    return SwapIn(c, linked, trash, err);
}
