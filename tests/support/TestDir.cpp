#include "support/Printers.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/time.h>

TestDir::TestDir() { m_dir.setAutoRemove(true); }

namespace {
void Unlock(const QString& folder)
{
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QStringList subs = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& s : subs)
        Unlock(folder + QLatin1Char('/') + s);
}
} // namespace

TestDir::~TestDir() { Unlock(m_dir.path()); }

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
    utimes(QFile::encodeName(p).constData(), tv);
}
