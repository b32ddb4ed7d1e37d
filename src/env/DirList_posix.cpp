#include "env/DirList.h"
#include "env/Error.h"

#include "env/Aside.h"
#include "env/NameBytes.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDot(const char* n) { return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)); }

// Whether a directory entry is a folder, following links.
bool EntryIsDir(DIR* d, const dirent* e)
{
    if (e->d_type == DT_DIR)
        return true;
    if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, 0) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}

struct DirCloser {
    DIR* d;
    ~DirCloser()
    {
        if (d)
            closedir(d);
    }
};
} // namespace

namespace DirList {

bool SubFolders(const QString& path, QStringList& out, QString& err)
{
    DIR* d = opendir(EncodeName(path).constData());
    if (!d) {
        err = ErrNo();
        return false;
    }
    DirCloser guard{d};
    errno = 0;
    while (dirent* e = readdir(d)) {
        if (!IsDot(e->d_name) && EntryIsDir(d, e))
            out.append(DecodeName(e->d_name));
        errno = 0;
    }
    if (errno != 0) {
        err = ErrNo();
        return false;
    }
    return true;
}

int HasSubFolder(const QString& path, QString& err)
{
    DIR* d = opendir(EncodeName(path).constData());
    if (!d) {
        err = ErrNo();
        return -1;
    }
    DirCloser guard{d};
    while (dirent* e = readdir(d)) {
        if (!IsDot(e->d_name) && EntryIsDir(d, e))
            return 1;
    }
    return 0;
}

bool ModTime(const QString& path, qint64& ms, QString& err)
{
    struct stat st;
    if (stat(EncodeName(path).constData(), &st) != 0) {
        err = ErrNo();
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        err = QString::fromLocal8Bit(std::strerror(ENOTDIR));
        return false;
    }
    ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return true;
}

Kind KindOf(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || stat(EncodeName(path).constData(), &st) != 0)
        return Kind::None;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

bool Open(QFile& f, const QString& path, QIODevice::OpenMode mode, QString& err)
{
    const int flags = (mode & QIODevice::WriteOnly) ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
    const int fd = ::open(EncodeName(path).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        err = ErrNo();
        return false;
    }
    if (!f.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        err = f.errorString();
        ::close(fd);
        return false;
    }
    return true;
}

bool ReadSmallFile(const QString& path, qint64 most, QByteArray& out, QString& err)
{
    const int fd = ::open(EncodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        err = ErrNo();
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        errno = EINVAL;
        ok = false;
    }
    out.resize(ok ? qsizetype(std::min<qint64>(most, st.st_size)) : 0);
    qsizetype got = 0;
    while (ok && got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, size_t(out.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n >= 0;
        if (n <= 0)
            break;
        got += n;
    }
    if (!ok)
        err = ErrNo();
    out.resize(got);
    ::close(fd);
    return ok;
}

bool Rename(const QString& from, const QString& to, QString& err)
{
    if (::rename(EncodeName(from).constData(), EncodeName(to).constData()) == 0)
        return true;
    err = ErrNo();
    return false;
}

bool Remove(const QString& path, QString& err)
{
    if (::unlink(EncodeName(path).constData()) == 0)
        return true;
    err = ErrNo();
    return false;
}

bool MakeFolder(const QString& path, QString& err)
{
    if (::mkdir(EncodeName(path).constData(), 0777) == 0)
        return true;
    err = ErrNo();
    return false;
}

void MakeWritable(const QString& path)
{
    // a link is removed as a link: what it points at is left as it is
    struct stat st;
    const QByteArray p = EncodeName(path);
    if (::lstat(p.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::chmod(p.constData(), (st.st_mode & 07777) | S_IWUSR);
}

bool IsLink(const QString& path)
{
    struct stat st;
    return ::lstat(EncodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

namespace {
// The final target of a chain of links (at most 40), or the path itself.
QByteArray FinalTarget(QByteArray path)
{
    for (int hops = 0; hops < 40; ++hops) {
        char buf[4096];
        const ssize_t n = ::readlink(path.constData(), buf, sizeof buf);
        if (n < 0 || size_t(n) >= sizeof buf)
            return path;
        QByteArray to(buf, qsizetype(n));
        if (!to.startsWith('/'))
            to = path.left(path.lastIndexOf('/') + 1) + to;
        path = to;
    }
    return path;
}

// Temporary files that older versions of the program named after the file
// saved ("User.xml.$$$XXXXXX") and a killed process left behind: those older
// than a minute (a save in progress takes far less), removed as they stand,
// links as links.
void RemoveStaleTemps(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(slash + 1);
    const QByteArray prefix = target.mid(slash + 1) + ".$$$";
    DIR* d = ::opendir(folder.constData());
    if (!d)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
            continue;
        const QByteArray full = (slash < 0 ? QByteArray() : folder) + name;
        struct stat st;
        if (::lstat(full.constData(), &st) == 0 && now - st.st_mtime > 60)
            ::unlink(full.constData());
    }
    ::closedir(d);
}

bool WriteAllAndSync(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return ::fsync(fd) == 0;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

QString InPlaceCopyPath(const QString& path)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return folder + QStringLiteral("/FldCmpr/") + name + QStringLiteral(".old");
}

bool RewriteInPlace(const QString& path, const QByteArray& bytes, QString& err)
{
    const QByteArray target = EncodeName(path);
    const int fd = ::open(target.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        err = ErrNo();
        return false;
    }
    struct stat st {};
    QByteArray old;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) { // the old text, kept where the user can write before anything is overwritten
        old.resize(qsizetype(st.st_size));
        ok = ::pread(fd, old.data(), size_t(old.size()), 0) == ssize_t(old.size());
    }
    const QString copy = InPlaceCopyPath(path);
    QDir().mkpath(copy.left(copy.lastIndexOf(QLatin1Char('/'))));
    if (ok && !ReplaceFile(copy, old, err)) {
        err = QStringLiteral("元のﾌｧｲﾙの控えを作れません: ") + copy + QStringLiteral(" (") + err + QLatin1Char(')');
        ::close(fd);
        return false;
    }
    // the room first: a full disk fails here, with the old text whole
    if (ok && bytes.size() > old.size() && (errno = ::posix_fallocate(fd, 0, bytes.size())) != 0) {
        err = ErrNo();
        (void)::ftruncate(fd, old.size());
        ::close(fd);
        return false;
    }
    const char* p = bytes.constData();
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::pwrite(fd, p + done, size_t(bytes.size() - done), done);
        ok = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? n : 0;
    }
    ok = ok && ::ftruncate(fd, bytes.size()) == 0 && ::fsync(fd) == 0;
    if (!ok)
        err = ErrNo() + QStringLiteral(" (元のﾌｧｲﾙの控え: ") + copy + QLatin1Char(')');
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        QString ignored;
        Remove(copy, ignored);
    }
    return ok;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, QString& err)
{
    const QByteArray target = FinalTarget(EncodeName(path));
    struct stat old;
    const bool existed = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (!existed && target != EncodeName(path)) { // a link to nothing: never made to make a file elsewhere
        err = QStringLiteral("ﾘﾝｸ先のﾌｧｲﾙがありません: ") + DecodeName(target);
        return false;
    }
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray name = target.mid(slash + 1);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        err = ErrNo();
        return false;
    }
    RemoveStaleTemps(target);
    Aside::CleanUp(dir);
    QByteArray tmp;
    const int fd = Aside::Create(dir, tmp);
    if (fd < 0) {
        const int why = errno;
        ::close(dir);
        errno = why;
        if (errno == EACCES && existed && ::access(target.constData(), W_OK) == 0)
            return RewriteInPlace(DecodeName(target), bytes, err);
        err = ErrNo();
        return false;
    }
    if (existed) {
        (void)::fchown(fd, old.st_uid, old.st_gid); // takes effect only for root
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        ::fchmod(fd, NewFileMode());
    }
    bool ok = WriteAllAndSync(fd, bytes);
    err = ok ? QString() : ErrNo();
    // renamed while still open, so no clean-up takes it for a leftover
    if (ok && ::renameat(dir, tmp.constData(), dir, name.constData()) != 0) {
        err = ErrNo();
        ok = false;
    }
    if (!ok)
        ::unlinkat(dir, tmp.constData(), 0);
    else
        Aside::SyncFolder(dir);
    ::close(fd);
    ::close(dir);
    return ok;
}

} // namespace DirList
