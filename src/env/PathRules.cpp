#include "env/PathRules.h"

#include <QStringList>

PathStyle NativeStyle()
{
#ifdef Q_OS_WIN
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

QChar PathSep(PathStyle st) { return st == PathStyle::Windows ? QChar('\\') : QChar('/'); }

bool IsDriveRoot(const QString& path, PathStyle st)
{
    if (st == PathStyle::Windows)
        return path.endsWith(QLatin1Char(':'));
    return path == QLatin1String("/");
}

QString OpenPath(const QString& path, PathStyle st)
{
    if (st == PathStyle::Windows && path.endsWith(QLatin1Char(':')))
        return path + PathSep(st);
    return path;
}

QString StripTrailingSep(const QString& path, PathStyle st)
{
    if (!path.endsWith(PathSep(st)))
        return path;
    if (st == PathStyle::Posix && path.size() == 1)
        return path;
    return path.left(path.size() - 1);
}

QString WithTrailingSep(const QString& path, PathStyle st)
{
    return path.endsWith(PathSep(st)) ? path : path + PathSep(st);
}

QString JoinPath(const QString& parent, const QString& name, PathStyle st)
{
    if (parent.isEmpty())
        return name;
    return WithTrailingSep(parent, st) + name;
}

qsizetype RootPrefixLen(const QString& folder, PathStyle st) { return WithTrailingSep(folder, st).size(); }

QString RelPath(const QString& path, const QString& folder, PathStyle st)
{
    return path.mid(RootPrefixLen(folder, st));
}

QString RelFolder(const QString& filePath, const QString& fileName, const QString& folder, PathStyle st)
{
    QString rest = RelPath(filePath, folder, st);
    if (fileName.size() < rest.size())
        return rest.left(rest.size() - fileName.size() - 1);
    return QString();
}

QString AbsolutePath(const QString& path, const QString& current, PathStyle st)
{
    const QChar sep = PathSep(st);
    const bool absolute =
        st == PathStyle::Windows ? path.size() > 1 && path.at(1) == QLatin1Char(':') : path.startsWith(sep);
    const QString full = absolute ? path : current + sep + path;
    QString out;
    for (const QString& part : full.split(sep, Qt::SkipEmptyParts))
        if (part != QLatin1String("."))
            out += (out.isEmpty() && st == PathStyle::Windows ? QString() : QString(sep)) + part;
    return out.isEmpty() ? QString(sep) : out;
}
