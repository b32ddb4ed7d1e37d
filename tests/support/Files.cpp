#include "support/Files.h"
#include "support/Printers.h"

#include "env/NameBytes.h"

#include <QDir>
#include <QFile>
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
