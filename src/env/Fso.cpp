#include "env/Fso.h"

#include "env/CodePage.h"
#include "env/DirList.h"
#include "env/DiskSync.h"
#include "env/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

namespace {
[[noreturn]] void Fail(const QString& what, const QString& path, const QString& why)
{
    QString msg = what + QStringLiteral(": ") + path;
    if (!why.isEmpty())
        msg += QStringLiteral(" (") + why + QLatin1Char(')');
    throw FcError(ErrKind::FileSystem, msg);
}
} // namespace

bool Fso::FileExists(const QString& path) const
{
    QFileInfo fi(path);
    return !path.isEmpty() && fi.exists() && !fi.isDir();
}

bool Fso::FolderExists(const QString& path) const
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QStringList Fso::SubFolders(const QString& path) const
{
    QStringList names;
    QString err;
    if (!DirList::SubFolders(path, names, err))
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを読めません"), path, err);
    std::sort(names.begin(), names.end());
    return names;
}

bool Fso::HasSubFolder(const QString& path) const
{
    QString err;
    int r = DirList::HasSubFolder(path, err);
    if (r < 0)
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを読めません"), path, err);
    return r > 0;
}

FTime Fso::FolderTime(const QString& path) const
{
    qint64 ms = 0;
    QString err;
    if (!DirList::ModTime(path, ms, err))
        Fail(QStringLiteral("ﾌｫﾙﾀﾞが見つかりません"), path, err);
    return ms;
}

bool Fso::TryFolderTime(const QString& path, FTime& t) const
{
    QString err;
    return DirList::ModTime(path, t, err);
}

void Fso::CreateFolder(const QString& path) const
{
    QFileInfo fi(path);
    if (!QDir(fi.absolutePath()).exists())
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを作成できません"), path, QStringLiteral("親ﾌｫﾙﾀﾞがありません"));
    if (!QDir().mkdir(path))
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを作成できません"), path, QString());
}

void Fso::DeleteFile(const QString& path, bool force) const
{
    QFile f(path);
    if (force)
        f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (!f.remove())
        Fail(QStringLiteral("ﾌｧｲﾙを削除できません"), path, f.errorString());
}

QString Fso::ReadAnsiText(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("ﾌｧｲﾙを読めません"), path, f.errorString());
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        Fail(QStringLiteral("ﾌｧｲﾙを読めません"), path, f.errorString());
    return CodePage::Decode(bytes);
}

void Fso::WriteAnsiTextAtomic(const QString& path, const QString& text) const
{
    const QString tmp = AtomicTempName(path);
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(QStringLiteral("ﾌｧｲﾙに書き込めません"), tmp, f.errorString());
    QByteArray bytes = CodePage::Encode(text);
    bool written = f.write(bytes) == bytes.size() && SyncToDisk(f);
    QString why = f.errorString();
    f.close();
    std::error_code ec;
    if (written)
        std::filesystem::rename(QFile::encodeName(tmp).toStdString(), QFile::encodeName(path).toStdString(), ec);
    if (!written || ec) {
        QFile::remove(tmp);
        Fail(QStringLiteral("ﾌｧｲﾙに書き込めません"), path, ec ? QString::fromStdString(ec.message()) : why);
    }
}

QString Fso::AtomicTempName(const QString& path) { return path + QStringLiteral(".$$$"); }

void Fso::CreateAnsiText(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(QStringLiteral("ﾌｧｲﾙを作成できません"), path, f.errorString());
}

FTime DriveRootTime()
{
    return QDateTime(QDate(1999, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
}
