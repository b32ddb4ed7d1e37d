#include "env/Fso.h"

#include "env/CodePage.h"
#include "env/DirList.h"
#include "env/Error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {
[[noreturn]] void Fail(const QString& what, const QString& path, const QString& why)
{
    QString msg = what + QStringLiteral(": ") + path;
    if (!why.isEmpty())
        msg += QStringLiteral(" (") + why + QLatin1Char(')');
    throw FcError(ErrKind::FileSystem, msg);
}
} // namespace

bool Fso::FileExists(const QString& path) const { return DirList::KindOf(path) == DirList::Kind::File; }

bool Fso::FolderExists(const QString& path) const { return DirList::KindOf(path) == DirList::Kind::Folder; }

bool Fso::SomethingAt(const QString& path) const { return DirList::KindOf(path) != DirList::Kind::None; }

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
    QString err;
    if (!FolderExists(QFileInfo(path).absolutePath()))
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを作成できません"), path, QStringLiteral("親ﾌｫﾙﾀﾞがありません"));
    if (!DirList::MakeFolder(path, err))
        Fail(QStringLiteral("ﾌｫﾙﾀﾞを作成できません"), path, err);
}

void Fso::DeleteFile(const QString& path, bool force) const
{
    QString err;
    if (force)
        DirList::MakeWritable(path);
    if (!DirList::Remove(path, err))
        Fail(QStringLiteral("ﾌｧｲﾙを削除できません"), path, err);
}

QByteArray Fso::ReadBytes(const QString& path) const
{
    QFile f;
    QString err;
    if (!DirList::Open(f, path, QIODevice::ReadOnly, err))
        Fail(QStringLiteral("ﾌｧｲﾙを読めません"), path, err);
    QByteArray bytes = f.read(kMaxTextBytes + 1);
    if (f.error() != QFileDevice::NoError)
        Fail(QStringLiteral("ﾌｧｲﾙを読めません"), path, f.errorString());
    if (bytes.size() > kMaxTextBytes)
        Fail(QStringLiteral("ﾌｧｲﾙを読めません"), path, QStringLiteral("大きすぎます"));
    return bytes;
}

QString Fso::ReadAnsiText(const QString& path, bool* lossless) const
{
    return CodePage::Decode(ReadBytes(path), lossless);
}

void Fso::WriteAnsiTextAtomic(const QString& path, const QString& text) const
{
    WriteBytesAtomic(path, CodePage::Encode(text));
}

void Fso::WriteBytesAtomic(const QString& path, const QByteArray& bytes) const
{
    QString why;
    if (!DirList::ReplaceFile(path, bytes, why))
        Fail(QStringLiteral("ﾌｧｲﾙに書き込めません"), path, why);
}

void Fso::CreateAnsiText(const QString& path) const
{
    QFile f;
    QString err;
    if (!DirList::Open(f, path, QIODevice::WriteOnly, err))
        Fail(QStringLiteral("ﾌｧｲﾙを作成できません"), path, err);
}

FTime DriveRootTime() { return QDateTime(QDate(1999, 1, 1), QTime(0, 0)).toMSecsSinceEpoch(); }
