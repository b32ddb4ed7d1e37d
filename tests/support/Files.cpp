#include "support/Files.h"

#include "support/Printers.h"
#include <sys/mount.h>

#include "env/NameBytes.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QString ReadUtf8(const QString& path) { return QString::fromUtf8(ReadBytes(path)); }

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

bool LockFolder(const QString& path)
{
    QFile::setPermissions(path, QFileDevice::Permissions());
    return ::access(EncodeName(path).constData(), R_OK) != 0;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the process
    struct rlimit r;
    getrlimit(RLIMIT_FSIZE, &r);
    m_old = qint64(r.rlim_cur);
    r.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &r);
}

FileSizeLimit::~FileSizeLimit()
{
    struct rlimit r;
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = rlim_t(m_old);
    setrlimit(RLIMIT_FSIZE, &r);
}

QByteArray LaunchFileBytes(qint32 l, qint32 t, qint32 w, qint32 h, const QByteArray& root, const QByteArray& path)
{
    QByteArray b;
    for (qint32 v : {l, t, w, h}) {
        char buf[4];
        qToLittleEndian(v, buf);
        b.append(buf, 4);
    }
    for (const QByteArray& s : {root, path}) {
        char buf[2];
        qToLittleEndian(quint16(s.size()), buf);
        b.append(buf, 2);
        b.append(s);
    }
    return b;
}

MountedTmpfs::MountedTmpfs(const QString& at, const char* options)
        : m_at(QFile::encodeName(at)), m_ok(::mount("tmpfs", m_at.constData(), "tmpfs", 0, options) == 0)
{
}

MountedTmpfs::~MountedTmpfs()
{
    if (m_ok)
        ::umount2(m_at.constData(), MNT_DETACH);
}
