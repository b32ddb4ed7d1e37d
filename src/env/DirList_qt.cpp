#include "env/DirList.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace DirList {

bool SubFolders(const QString& path, QStringList& out, QString& err)
{
    QDir d(path);
    if (!d.exists() || !d.isReadable()) {
        err = QStringLiteral("cannot read");
        return false;
    }
    out = d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Unsorted);
    return true;
}

int HasSubFolder(const QString& path, QString& err)
{
    QDir d(path);
    if (!d.exists() || !d.isReadable()) {
        err = QStringLiteral("cannot read");
        return -1;
    }
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    return it.hasNext() ? 1 : 0;
}

bool ModTime(const QString& path, qint64& ms, QString& err)
{
    QFileInfo fi(path);
    if (!fi.isDir()) {
        err = QStringLiteral("not found");
        return false;
    }
    ms = fi.lastModified().toMSecsSinceEpoch();
    return true;
}

} // namespace DirList
