#pragma once
// Low-level file-system calls of the platform, used by Fso and the store.
// Paths may hold escaped bytes (see NameBytes.h) and reach the system as
// the bytes they stand for.
#include <QFile>
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

enum class Kind { None, File, Folder, Other };
// What stands at a path, following links: a regular file, a folder, or
// something else (a device, a pipe, a socket).
Kind KindOf(const QString& path);
// Opens f on the file at path: ReadOnly, or WriteOnly (created, truncated).
bool Open(QFile& f, const QString& path, QIODevice::OpenMode mode, QString& err);
// Reads at most `most` bytes of the regular file at path without ever
// waiting on it: only as many as the file's size says it holds (a file of
// the system's that tells no size, such as the kernel's log, reads as
// empty), and a read that would wait fails.
bool ReadSmallFile(const QString& path, qint64 most, QByteArray& out, QString& err);
bool Rename(const QString& from, const QString& to, QString& err);
bool Remove(const QString& path, QString& err);
bool MakeFolder(const QString& path, QString& err);
// Replaces the file at path with bytes: written to a new temporary file of
// its own beside it (unique, created exclusively, never through a link),
// flushed to disk and renamed over, keeping the old file's permissions. A
// path that is a link has its final target replaced beside itself, the
// link kept; a link to nothing fails, making no file elsewhere. Temporary
// files of earlier saves left behind are removed first. Where the folder
// cannot take a new file but the file can be
// written, it is rewritten in place and flushed. On failure the old file
// is whole and no temporary file is left.
bool ReplaceFile(const QString& path, const QByteArray& bytes, QString& err);
// Rewrites the file at path in place, for a folder that takes no new file:
// a copy of the old file is kept first (InPlaceCopyPath, in the per-user
// data folder), the room the new text needs is reserved before anything is
// overwritten (a full disk leaves the old file whole), then the text is
// written and flushed and the copy removed. A failure after the
// reservation leaves the copy and names it.
bool RewriteInPlace(const QString& path, const QByteArray& bytes, QString& err);
QString InPlaceCopyPath(const QString& path);
// Adds the owner's write right to a regular file (for removing a read-only
// file); a link and what it points at are left as they are.
void MakeWritable(const QString& path);
// Whether the path itself is a symbolic link (to anything, or to nothing).
bool IsLink(const QString& path);
} // namespace DirList
