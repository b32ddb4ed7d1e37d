#pragma once
// The shared file-system service: existence tests, folder listing and
// creation, file deletion and whole-text reading and writing. Every failure
// raises FcError(FileSystem) naming the path.
#include <QString>
#include <QStringList>
#include <QtGlobal>

// A file-system time: milliseconds since the epoch (UTC); 0 when unknown.
using FTime = qint64;

class Fso {
public:
    bool FileExists(const QString& path) const;
    bool FolderExists(const QString& path) const;
    // Whether anything at all stands at the path (a file, folder, pipe, ...).
    bool SomethingAt(const QString& path) const;
    // Names of the subfolders of a folder (hidden ones too), in name order.
    QStringList SubFolders(const QString& path) const;
    // Whether a folder has at least one subfolder; fails if it cannot be read.
    bool HasSubFolder(const QString& path) const;
    // A folder's last-modified time.
    FTime FolderTime(const QString& path) const;
    // A folder's last-modified time, or false when no folder is there.
    bool TryFolderTime(const QString& path, FTime& t) const;
    // Creates one folder whose parent exists.
    void CreateFolder(const QString& path) const;
    // Deletes a file; with force also a read-only one.
    void DeleteFile(const QString& path, bool force) const;
    // Whole content of a text file in the ANSI code page; a file larger than
    // kMaxTextBytes is refused.
    static constexpr qint64 kMaxTextBytes = 16 * 1024 * 1024;
    QString ReadAnsiText(const QString& path, bool* lossless = nullptr) const;
    // The file's bytes as they are (at most kMaxTextBytes).
    QByteArray ReadBytes(const QString& path) const;
    // Writes a whole text in the ANSI code page into a new file beside the
    // file, then renames it over, so a failed write leaves the old file
    // whole (DirList::ReplaceFile).
    void WriteAnsiTextAtomic(const QString& path, const QString& text) const;
    void WriteBytesAtomic(const QString& path, const QByteArray& bytes) const;
    // Creates (or truncates) an empty text file.
    void CreateAnsiText(const QString& path) const;
};

// Local midnight of 1999-01-01, the time that stands for a drive root.
FTime DriveRootTime();
