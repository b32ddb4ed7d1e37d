#include "compare/act/SafeCopy.h"

#include "compare/act/Trash.h"
#include "env/NameBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString ErrNo() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The folders of a path that are missing, made from the top down.
bool MakeParents(const QByteArray& path)
{
    for (qsizetype at = path.indexOf('/', 1); at > 0; at = path.indexOf('/', at + 1))
        if (::mkdir(path.left(at).constData(), 0777) != 0 && errno != EEXIST)
            return false;
    return true;
}

bool WriteAll(int fd, const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

// The data of `in` into `out`, a piece at a time, looking at `stop`.
CopyEnd CopyData(int in, int out, const std::atomic<bool>& stop, std::atomic<qint64>& bytes)
{
    constexpr size_t kPiece = 1 << 20;
    const std::unique_ptr<char[]> buf(new char[kPiece]);
    for (;;) {
        if (stop.load(std::memory_order_relaxed))
            return CopyEnd::Stopped;
        const ssize_t n = ::read(in, buf.get(), kPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return CopyEnd::Failed;
        if (n == 0)
            return CopyEnd::Done;
        if (!WriteAll(out, buf.get(), size_t(n)))
            return CopyEnd::Failed;
        bytes.fetch_add(n, std::memory_order_relaxed);
    }
}

// The temporary file written in full, flushed, with the source's mode and
// times; CopyEnd::Done when it is ready to be renamed into place.
CopyEnd Fill(int in, const struct stat& st, int out, const std::atomic<bool>& stop, std::atomic<qint64>& bytes,
             QString& err)
{
    const CopyEnd end = CopyData(in, out, stop, bytes);
    if (end != CopyEnd::Done) {
        err = end == CopyEnd::Stopped ? QStringLiteral("中止しました") : ErrNo();
        return end;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fsync(out) != 0 || ::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0) {
        err = ErrNo();
        return CopyEnd::Failed;
    }
    return CopyEnd::Done;
}

// The folder holding path flushed, so a rename in it lasts.
void SyncFolder(const QByteArray& path)
{
    const int fd = ::open(path.left(path.lastIndexOf('/')).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

CopyEnd SafeCopy(const QString& src, const QString& dst, bool replace, const std::atomic<bool>& stop,
                 std::atomic<qint64>& bytes, QString& err)
{
    const QByteArray from = EncodeName(src), to = EncodeName(dst);
    const int in = ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        err = ErrNo();
        return CopyEnd::Failed;
    }
    struct stat st;
    const bool stated = ::fstat(in, &st) == 0;
    if (!stated || !S_ISREG(st.st_mode)) {
        err = stated ? QStringLiteral("通常のﾌｧｲﾙではありません") : ErrNo();
        ::close(in);
        return CopyEnd::Failed;
    }
    QByteArray tmp = to + ".$$$XXXXXX";
    const int out = MakeParents(to) ? ::mkostemp(tmp.data(), O_CLOEXEC) : -1;
    if (out < 0) {
        err = ErrNo();
        ::close(in);
        return CopyEnd::Failed;
    }
    CopyEnd end = Fill(in, st, out, stop, bytes, err);
    ::close(in);
    if (::close(out) != 0 && end == CopyEnd::Done) {
        err = ErrNo();
        end = CopyEnd::Failed;
    }
    Trash trash;
    if (end == CopyEnd::Done && replace && !(trash.Prepare(dst, err) && trash.Link(err)))
        end = CopyEnd::Failed;
    if (end == CopyEnd::Done && ::rename(tmp.constData(), to.constData()) != 0) {
        err = ErrNo();
        trash.Undo();
        end = CopyEnd::Failed;
    }
    if (end != CopyEnd::Done)
        ::unlink(tmp.constData()); // our own temporary file, never the destination
    else
        SyncFolder(to);
    return end;
}

bool MoveToTrash(const QString& path, QString& err)
{
    Trash trash;
    return trash.Prepare(path, err) && trash.Move(err);
}
