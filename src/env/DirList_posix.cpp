#include "env/DirList.h"

#include <QFile>
#include <cerrno>
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
    DIR* d = opendir(QFile::encodeName(path).constData());
    if (!d) {
        err = ErrNo();
        return false;
    }
    DirCloser guard{d};
    errno = 0;
    while (dirent* e = readdir(d)) {
        if (!IsDot(e->d_name) && EntryIsDir(d, e))
            out.append(QFile::decodeName(e->d_name));
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
    DIR* d = opendir(QFile::encodeName(path).constData());
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
    if (stat(QFile::encodeName(path).constData(), &st) != 0) {
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

} // namespace DirList
