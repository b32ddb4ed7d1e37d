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

namespace {
// A string value of a desktop entry: backslash, line breaks and tabs escaped.
QString EntryValue(const QString& v)
{
    QString out;
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out;
}

// One argument of an Exec line: in double quotes, the quote, backquote,
// dollar and backslash escaped by a backslash and % doubled, so no
// character of a path is read as quoting or as a field code.
QString ExecArgument(const QString& arg)
{
    QString out = QStringLiteral("\"");
    for (QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += QLatin1Char('\\');
        out += c;
        if (c == u'%')
            out += QLatin1Char('%');
    }
    return out + QLatin1Char('"');
}
} // namespace

void SaveShortcut(const QString& lnkPath, const QString& target)
{
    QString file = ShortcutFile(lnkPath);
    bool isUrl = target.contains(QStringLiteral("://"));
    QString body = QStringLiteral("[Desktop Entry]\n");
    body += QStringLiteral("Name=") + EntryValue(QFileInfo(file).completeBaseName()) + QLatin1Char('\n');
    if (isUrl)
        body += QStringLiteral("Type=Link\nURL=") + EntryValue(target) + QLatin1Char('\n');
    else
        body += QStringLiteral("Type=Application\nExec=") + EntryValue(ExecArgument(target)) + QStringLiteral(" %F\n");
    QSaveFile f(file);
    f.setDirectWriteFallback(false);
    QByteArray bytes = body.toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw FcError(ErrKind::FileSystem, QStringLiteral("ｼｮｰﾄｶｯﾄを作成できません: ") + file + QStringLiteral(" (") +
                                               f.errorString() + QLatin1Char(')'));
}
