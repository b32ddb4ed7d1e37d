#pragma once
// Walks one compared folder: every file below it, files of a folder before
// its subfolders, depth first, names in code order. Links to folders are
// followed, but each physical folder is walked once, by the first path that
// reaches it, so links leading back up end and time stays linear. A folder
// or file below that cannot be read is passed over and recorded.
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <vector>

class QFile;

struct WalkFile {
    qint64 size;
    qint64 mtime;   // seconds since the epoch
    quint32 folder; // index into WalkResult::folders
    quint32 name;   // offset of the name in its folder's names
};

// What identifies the state of a file or folder, kept only when a walk is
// asked for it (acting on a result checks each file against it again):
// the file system, the inode, and the modification and change times in
// nanoseconds since the epoch.
struct FileStamp {
    quint64 dev = 0, ino = 0;
    qint64 mtimeNs = 0, ctimeNs = 0;
    bool SameFile(const FileStamp& o) const { return dev == o.dev && ino == o.ino; }
};

// The stamp of an open file, and its size; zeros where the platform cannot
// tell.
FileStamp StampOfOpen(QFile& f, qint64* size);
// Whether the file system holding `path` keeps a change time of its own,
// set by every write and every change of times (ext4, xfs, btrfs, tmpfs and
// the like). FAT, exFAT, ISO images, squashfs and network or FUSE file
// systems give the modification time or keep none, so a file rewritten
// with its old size and time would look as it was.
bool KeepsChangeTimes(const QString& path);

// A folder or file the walk could not read.
struct WalkSkip {
    QString path;
    QString reason;
};

// The files of a walk, held compactly: names as the system gave them, in
// one buffer per folder, each ended by a zero byte.
struct WalkResult {
    std::vector<QString> folders;         // relative folder of each folder walked
    std::vector<std::vector<char>> names; // the file names of each folder
    std::vector<WalkFile> files;
    std::vector<size_t> keys; // each file's match key (see Matcher.h), made while walking
    std::vector<WalkSkip> skipped;
    // Per file and per folder, when the walk was asked for stamps; empty otherwise.
    std::vector<FileStamp> stamps, folderStamps;
    qint64 leftOutFolders = 0, leftOutFiles = 0; // by the walk's filter

    const char* NameBytes(const WalkFile& f) const { return names[f.folder].data() + f.name; }
    QString Name(const WalkFile& f) const;
    const QString& Folder(const WalkFile& f) const { return folders[f.folder]; }
    // Builds the result: a folder, then its files in order.
    void AddFolder(const QString& rel, std::vector<char> names = {});
    void AddFile(QByteArrayView name, qint64 size, qint64 mtime);
};

class WalkFilter;

// How many folders of one side are read at a time (0: chosen by the
// cores), and whether stamps are kept.
struct WalkOptions {
    int readers = 0;
    bool stamps = false; // keep each file's and folder's FileStamp
};

// Throws FcError(FileSystem) only when the compared folder itself cannot be
// read.
// `seen` is raised by one for every file met, as it is met. When `stop` is
// set the walk ends soon after with FcError(Stopped).
// What `filter` leaves out is neither listed nor opened (none when null).
WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop = nullptr,
                      const WalkOptions& opt = {}, const WalkFilter* filter = nullptr);
// The readers a walk uses for opt.
int WalkReaders(const WalkOptions& opt);
// The error a stopped walk ends with.
[[noreturn]] void ThrowStopped();
