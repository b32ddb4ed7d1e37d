#include "env/DirList.h"

#include "env/NameBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString ErrNo() { return QString::fromLocal8Bit(std::strerror(errno)); }

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
    struct stat st;
    const QByteArray p = EncodeName(path);
    if (stat(p.constData(), &st) == 0)
        ::chmod(p.constData(), (st.st_mode & 07777) | S_IWUSR);
}

} // namespace DirList
