#include "env/Aside.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kPrefix[] = ".fldcmpr-";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kRandom = 8;
constexpr size_t kPrefixLen = sizeof kPrefix - 1, kSuffixLen = sizeof kSuffix - 1;

QByteArray NewName()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray n(kPrefix);
    for (size_t i = 0; i < kRandom; ++i)
        n += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return n + kSuffix;
}

// Whether a process holds the temporary file open (its writer keeps it
// locked until it is placed or removed): 1, 0, or -1 where it cannot be
// opened to tell.
int Held(int dirfd, const char* name)
{
    const int fd = ::openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free ? 0 : 1;
}

// Made unnamed and locked first, then given its name: no clean-up ever
// sees it unlocked. -1 where the file system or /proc does not allow it.
int CreateUnnamed(int dirfd, QByteArray& name, mode_t mode)
{
    const int fd = ::openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    ::flock(fd, LOCK_EX);
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int tries = 0; tries < 100; ++tries) {
        name = NewName();
        if (::linkat(AT_FDCWD, self.constData(), dirfd, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return fd;
        if (errno != EEXIST)
            break;
    }
    const int why = errno;
    ::close(fd);
    errno = why == EEXIST ? EAGAIN : why;
    return -1;
}

// Created by name, then locked (held while the file is open).
int CreateNamed(int dirfd, QByteArray& name, mode_t mode)
{
    for (int tries = 0; tries < 100; ++tries) {
        name = NewName();
        const int fd = ::openat(dirfd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0)
            ::flock(fd, LOCK_EX);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

namespace Aside {

bool IsAsideName(const char* name)
{
    if (std::strncmp(name, kPrefix, kPrefixLen) != 0)
        return false;
    const size_t len = std::strlen(name);
    if (len != kPrefixLen + kRandom + kSuffixLen || std::strcmp(name + kPrefixLen + kRandom, kSuffix) != 0)
        return false;
    for (size_t i = kPrefixLen; i < kPrefixLen + kRandom; ++i) {
        const char c = name[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

int Create(int dirfd, QByteArray& name, mode_t mode)
{
    const int fd = CreateUnnamed(dirfd, name, mode);
    return fd >= 0 || errno == EEXIST ? fd : CreateNamed(dirfd, name, mode);
}

bool NoHardLinks(int err)
{
    return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == EMLINK || err == ENOSYS;
}

Place RenameNoReplace(int fromDir, const char* from, int toDir, const char* to)
{
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return Place::Done;
    if (errno == EEXIST)
        return Place::Exists;
    if (errno != EINVAL && errno != ENOSYS)
        return Place::Failed;
    if (::linkat(fromDir, from, toDir, to, 0) == 0) {
        if (::unlinkat(fromDir, from, 0) == 0)
            return Place::Done;
        const int why = errno;
        ::unlinkat(toDir, to, 0); // the new name goes again: the entry stays where it was
        errno = why;
        return Place::Failed;
    }
    if (errno == EEXIST)
        return Place::Exists;
    if (!NoHardLinks(errno))
        return Place::Failed;
    struct stat st;
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return Place::Exists;
    if (errno != ENOENT)
        return Place::Failed;
    return ::renameat(fromDir, from, toDir, to) == 0 ? Place::Done : Place::Failed;
}

Place PlaceNew(int dirfd, const QByteArray& tmp, const QByteArray& name)
{
    return RenameNoReplace(dirfd, tmp.constData(), dirfd, name.constData());
}

bool Exchange(int dirfd, const QByteArray& a, const QByteArray& b)
{
    if (::renameat2(dirfd, a.constData(), dirfd, b.constData(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno == ENOSYS || errno == EOPNOTSUPP)
        errno = EINVAL;
    return false;
}

void CleanUp(int dirfd, const std::function<void(const char*)>& dispose, int minAge)
{
    const int fd = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        struct stat st;
        if (!IsAsideName(e->d_name) || ::fstatat(dirfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const int held = Held(dirfd, e->d_name);
        if (held == 0 || (held < 0 && now - st.st_ctime > minAge)) {
            if (dispose)
                dispose(e->d_name);
            else
                ::unlinkat(dirfd, e->d_name, 0);
        }
    }
    ::closedir(d);
}

bool SyncFolder(int dirfd) { return ::fsync(dirfd) == 0 || errno == EINVAL; }

void SyncFolderAt(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        SyncFolder(fd);
        ::close(fd);
    }
}
bool MakeFolders(const QByteArray& path)
{
    for (qsizetype at = path.indexOf('/', 1);; at = path.indexOf('/', at + 1)) {
        const QByteArray part = at < 0 ? path : path.left(at);
        struct stat st;
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            // an existing folder may answer EACCES or EROFS rather than EEXIST
            const int why = errno;
            if (::stat(part.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                errno = why;
                return false;
            }
        }
        if (at < 0)
            return true;
    }
}

} // namespace Aside
