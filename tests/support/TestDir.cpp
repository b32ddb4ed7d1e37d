#include "support/TestDir.h"

#include "env/NameBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

TestDir::TestDir() { m_dir.setAutoRemove(true); }

namespace {
// Removes a tree by its bytes (Qt's own removal cannot name entries that
// are not valid UTF-8), giving back first the rights a test took away.
void RemoveTree(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.constData());
        return;
    }
    ::chmod(path.constData(), 0700);
    if (DIR* d = ::opendir(path.constData())) {
        std::vector<QByteArray> names;
        while (dirent* e = ::readdir(d)) {
            const QByteArray n(e->d_name);
            if (n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
        for (const QByteArray& n : names)
            RemoveTree(path + '/' + n);
    }
    ::rmdir(path.constData());
}
} // namespace

TestDir::~TestDir() { RemoveTree(EncodeName(m_dir.path())); }

QString TestDir::createFile(const QString& rel, const QByteArray& content, const QDateTime& mtime)
{
    QString p = path(rel);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    f.close();
    if (mtime.isValid())
        setMTime(p, mtime);
    return p;
}

QString TestDir::createDir(const QString& rel)
{
    QString p = path(rel);
    QDir().mkpath(p);
    return p;
}

void TestDir::setMTime(const QString& p, const QDateTime& mtime)
{
    qint64 ms = mtime.toMSecsSinceEpoch();
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = time_t(ms / 1000);
    tv[0].tv_usec = tv[1].tv_usec = suseconds_t((ms % 1000) * 1000);
    utimes(EncodeName(p).constData(), tv);
}

QString TestDir::createDirBytes(const QByteArray& rel)
{
    QByteArray p = EncodeName(m_dir.path());
    for (const QByteArray& part : rel.split('/')) {
        p += '/' + part;
        ::mkdir(p.constData(), 0777);
    }
    return DecodeName(p);
}

QString TestDir::createFileBytes(const QByteArray& rel, const QByteArray& content, const QDateTime& mtime)
{
    const qsizetype slash = rel.lastIndexOf('/');
    if (slash > 0)
        createDirBytes(rel.left(slash));
    const QByteArray p = EncodeName(m_dir.path()) + '/' + rel;
    const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd >= 0) {
        if (::write(fd, content.constData(), size_t(content.size())) != content.size())
            qWarning("short write");
        ::close(fd);
    }
    const QString path = DecodeName(p);
    if (mtime.isValid())
        setMTime(path, mtime);
    return path;
}
