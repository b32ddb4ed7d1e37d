#pragma once
// The desktop's trash (freedesktop.org): the user's, or the volume's for a
// file on another file system, with the .trashinfo a file manager restores
// a file from. Nothing is unlinked here: a file goes into the trash whole,
// and nothing already in a trash is ever replaced.
#include <QByteArray>
#include <QString>
#include <sys/stat.h>

class Trash {
public:
    // Reserves a trash entry for the file or folder at absPath (absolute,
    // the exact bytes) whose lstat is st: the user's trash
    // ($XDG_DATA_HOME/Trash) when the file is on its device (or on that of
    // its nearest existing parent), else the volume's $topdir/.Trash-$uid.
    // Makes the trash where it is missing, every new folder 0700. The name
    // is free in both files/ and info/ and short enough for the info file's
    // name; the info file is created exclusively and, with flush, flushed
    // to disk (without, the caller flushes InfoFolder() later). False, with
    // why, where no trash can take the file.
    bool Prepare(const QByteArray& absPath, const struct stat& st, QString& err, bool flush = true);
    // After Prepare: the file is reached as `name` in the open folder
    // `dirfd` (the folder checked by the caller), never again by its path,
    // so a folder on the way replaced by a link since is not followed.
    void From(int dirfd, const QByteArray& name);
    // Moves the file into files/ under the reserved name, never replacing
    // anything there. On failure the info file is removed.
    bool Move(QString& err);
    // Puts a second name (hard link) on the file in files/ and leaves it in
    // place: what is renamed over it next stays in the trash. Unsupported,
    // the reservation kept, where the volume or the file takes no hard link
    // (a folder, vfat, exfat): the caller can Move instead. On Failed the
    // info file is removed.
    enum class LinkEnd { Done, Unsupported, Failed };
    LinkEnd Link(QString& err);
    // Takes back a reserved or linked entry: the second name goes only while
    // the file still stands at its place, then the info file. Where another
    // file took its place, the trash holds the old file's only name: that
    // entry stays whole, as a moved one does.
    void Undo();
    // The path in files/ and the info file: reserved by Prepare, the file's
    // once moved or linked; empty once taken back.
    const QByteArray& TrashedAt() const { return m_files; }
    const QByteArray& InfoAt() const { return m_info; }
    // The two folders of the trash, for the caller to flush once per batch.
    QByteArray FilesFolder() const { return m_trash + "/files"; }
    QByteArray InfoFolder() const { return m_trash + "/info"; }

private:
    enum class State { None, Reserved, Linked, Moved };
    bool Reserve(QString& err, bool flush);
    void Forget();
    QByteArray m_path, m_trash, m_files, m_info;
    int m_dir = -100; // AT_FDCWD: m_at is the path
    QByteArray m_at;
    State m_state = State::None;
};

// Moves a file or folder (a path relative to the current folder, or
// absolute) to the trash, flushed to disk; false, the file in place, where
// it cannot.
bool MoveToTrash(const QString& path, QString& err);
