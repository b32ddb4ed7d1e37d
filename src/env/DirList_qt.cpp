#include "env/DirList.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <filesystem>

namespace DirList {

bool SubFolders(const QString& path, QStringList& out, QString& err)
{
    QDir d(path);
    if (!d.exists() || !d.isReadable()) {
        err = QStringLiteral("読めません");
        return false;
    }
    out = d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Unsorted);
    return true;
}

int HasSubFolder(const QString& path, QString& err)
{
    QDir d(path);
    if (!d.exists() || !d.isReadable()) {
        err = QStringLiteral("読めません");
        return -1;
    }
    QDirIterator it(path, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    return it.hasNext() ? 1 : 0;
}

bool ModTime(const QString& path, qint64& ms, QString& err)
{
    QFileInfo fi(path);
    if (!fi.isDir()) {
        err = QStringLiteral("ﾌｫﾙﾀﾞがありません");
        return false;
    }
    ms = fi.lastModified().toMSecsSinceEpoch();
    return true;
}

Kind KindOf(const QString& path)
{
    QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists())
        return Kind::None;
    if (fi.isDir())
        return Kind::Folder;
    return fi.isFile() ? Kind::File : Kind::Other;
}

bool Open(QFile& f, const QString& path, QIODevice::OpenMode mode, QString& err)
{
    f.setFileName(path);
    if (f.open((mode & QIODevice::WriteOnly) ? mode | QIODevice::Truncate : mode))
        return true;
    err = f.errorString();
    return false;
}

QString InPlaceCopyPath(const QString& path)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/FldCmpr/") +
           QFileInfo(path).fileName() + QStringLiteral(".old");
}

bool RewriteInPlace(const QString& path, const QByteArray& bytes, QString& err)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        err = f.errorString();
        return false;
    }
    const QString copy = InPlaceCopyPath(path);
    QDir().mkpath(QFileInfo(copy).path());
    const QByteArray old = f.readAll();
    if (!ReplaceFile(copy, old, err))
        return false;
    // the room first, written at the end: a full disk fails here, with the
    // old text whole
    if (bytes.size() > old.size() &&
        (!f.seek(old.size()) || f.write(QByteArray(bytes.size() - old.size(), '\0')) != bytes.size() - old.size() ||
         !f.flush())) {
        err = f.errorString();
        f.resize(old.size());
        return false;
    }
    f.seek(0);
    if (f.write(bytes) != bytes.size() || !f.resize(bytes.size()) || !f.flush()) {
        err = f.errorString() + QStringLiteral(" (元のﾌｧｲﾙの控え: ") + copy + QLatin1Char(')');
        return false;
    }
    f.close();
    QFile::remove(copy);
    return true;
}

bool IsLink(const QString& path) { return QFileInfo(path).isSymLink(); }

bool ReadSmallFile(const QString& path, qint64 most, QByteArray& out, QString& err)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err = f.errorString();
        return false;
    }
    out = f.read(std::min(most, f.size()));
    if (f.error() == QFileDevice::NoError)
        return true;
    err = f.errorString();
    return false;
}

bool Rename(const QString& from, const QString& to, QString& err)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            ec);
    if (!ec)
        return true;
    err = QString::fromStdString(ec.message());
    return false;
}

bool Remove(const QString& path, QString& err)
{
    QFile f(path);
    if (f.remove())
        return true;
    err = f.errorString();
    return false;
}

bool MakeFolder(const QString& path, QString& err)
{
    if (QDir().mkdir(path))
        return true;
    err = QStringLiteral("作れません");
    return false;
}

void MakeWritable(const QString& path)
{
    if (QFileInfo(path).isSymLink())
        return; // a link is removed as a link
    QFile f(path);
    f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

namespace {
// Writes all bytes and checks every one of them reached the file.
bool WriteAll(QFile& f, const QByteArray& bytes) { return f.write(bytes) == bytes.size() && f.flush(); }
} // namespace

namespace {
// Temporary files of earlier saves that a killed process left behind,
// older than a minute, removed as they stand (links as links).
void RemoveStaleTemps(const QString& target)
{
    const QFileInfo t(target);
    const QDir folder = t.dir();
    const QString prefix = t.fileName() + QStringLiteral(".$$$");
    for (const QFileInfo& f :
         folder.entryInfoList({prefix + QStringLiteral("??????")}, QDir::AllEntries | QDir::Hidden | QDir::System)) {
        // a save's own temporary file is never a link: one that is, is stale
        if (f.isSymLink() || f.lastModified().secsTo(QDateTime::currentDateTime()) > 60)
            QFile::remove(f.filePath());
    }
}
} // namespace

bool ReplaceFile(const QString& path, const QByteArray& bytes, QString& err)
{
    const QFileInfo link(path);
    const QString target = link.isSymLink() ? link.symLinkTarget() : path;
    if (link.isSymLink() && !QFileInfo::exists(target)) {
        err = QStringLiteral("ﾘﾝｸ先のﾌｧｲﾙがありません: ") + target;
        return false;
    }
    RemoveStaleTemps(target);
    const bool existed = QFileInfo(target).isFile();
    QTemporaryFile tmp(target + QStringLiteral(".$$$XXXXXX"));
    tmp.setAutoRemove(true);
    if (!tmp.open()) {
        // a folder that takes no new file: in place, where the file may be written
        if (existed && QFileInfo(target).isWritable())
            return RewriteInPlace(target, bytes, err);
        err = tmp.errorString();
        return false;
    }
    if (!WriteAll(tmp, bytes)) {
        err = tmp.errorString();
        return false;
    }
    tmp.setPermissions(existed ? QFile::permissions(target)
                               : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                     QFileDevice::ReadOther);
    tmp.close();
    if (!Rename(tmp.fileName(), target, err))
        return false;
    tmp.setAutoRemove(false); // it is the file now
    return true;
}

} // namespace DirList
