#pragma once
// Low-level folder listing of the platform, used by Fso.
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace DirList {
// Subfolder names of a folder; symbolic links to folders count as folders.
// Returns false (errno-style text in err) when the folder cannot be read.
bool SubFolders(const QString& path, QStringList& out, QString& err);
// 1 when the folder holds a subfolder, 0 when not, -1 when it cannot be read.
int HasSubFolder(const QString& path, QString& err);
// Last-modified time in ms since the epoch; false when it cannot be read.
bool ModTime(const QString& path, qint64& ms, QString& err);
} // namespace DirList
