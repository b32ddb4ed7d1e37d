#include "env/Shortcut.h"

#include "env/Error.h"

#include <QFileInfo>
#include <QSaveFile>

QString ShortcutFile(const QString& lnkPath)
{
#ifdef Q_OS_WIN
    return lnkPath;
#else
    if (lnkPath.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
        return lnkPath.left(lnkPath.size() - 4) + QStringLiteral(".desktop");
    return lnkPath;
#endif
}

void SaveShortcut(const QString& lnkPath, const QString& target)
{
    QString file = ShortcutFile(lnkPath);
    bool isUrl = target.contains(QStringLiteral("://"));
    QString body = QStringLiteral("[Desktop Entry]\n");
    body += QStringLiteral("Name=") + QFileInfo(file).completeBaseName() + QLatin1Char('\n');
    if (isUrl)
        body += QStringLiteral("Type=Link\nURL=") + target + QLatin1Char('\n');
    else
        body += QStringLiteral("Type=Application\nExec=\"") + target + QStringLiteral("\" %F\n");
    QSaveFile f(file);
    f.setDirectWriteFallback(false);
    QByteArray bytes = body.toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw FcError(ErrKind::FileSystem, QStringLiteral("ｼｮｰﾄｶｯﾄを作成できません: ") + file + QStringLiteral(" (") +
                                               f.errorString() + QLatin1Char(')'));
}
