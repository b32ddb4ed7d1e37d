#include "foldertree/DriveList.h"

#include "env/Error.h"
#include "env/Fso.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QFileInfo>
#include <QStorageInfo>

DriveList::DriveList()
{
    QStringList roots{QStringLiteral("/")}, names{QStorageInfo::root().name()};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        QString r = v.rootPath();
        if (v.isValid() && v.isReady() && QFileInfo(r).isDir() && !roots.contains(r)) {
            roots << r;
            names << v.name();
        }
    }
    // the home folder first, where the user's own folders are; a home that
    // is a volume's root is listed once, as the home folder
    const QString home = HomeFolder();
    if (home != QStringLiteral("/") && Fso().FolderExists(home)) {
        if (const qsizetype at = roots.indexOf(home); at >= 0) {
            roots.removeAt(at);
            names.removeAt(at);
        }
        roots.prepend(home);
        names.prepend(QStringLiteral("ﾎｰﾑ"));
    }
    SetDrives(roots, names);
}

QString DriveList::VolumeOf(const QString& path)
{
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        roots << v.rootPath();
    return DriveOf(path, roots);
}

void DriveList::SetDrives(const QStringList& roots, const QStringList& names)
{
    m_drives = roots;
    m_names = names;
    if (ListChanged)
        ListChanged();
}

QString DriveList::Label(int i) const
{
    QString name = m_names.value(i);
    return name.isEmpty() ? m_drives.value(i) : m_drives.value(i) + QStringLiteral("  [") + name + QLatin1Char(']');
}

QString DriveList::DriveOf(const QString& path, const QStringList& roots)
{
    QString best;
    for (const QString& r : roots) {
        bool under = path == r || path.startsWith(WithTrailingSep(r));
        if (under && r.size() > best.size())
            best = r;
    }
    return best;
}

void DriveList::SetDrive(const QString& path)
{
    if (path.isEmpty())
        return;
    QString root = DriveOf(path, m_drives);
    if (root.isEmpty())
        throw FcError(ErrKind::FileSystem, QStringLiteral("ﾄﾞﾗｲﾌﾞが見つかりません: ") + path);
    Select(root);
}

void DriveList::UserSelect(int i)
{
    if (i >= 0 && i < m_drives.size())
        Select(m_drives[i]);
}

void DriveList::Select(const QString& root)
{
    if (root == m_drive)
        return;
    m_drive = root;
    if (ListChanged)
        ListChanged();
    if (Change)
        Change();
}
