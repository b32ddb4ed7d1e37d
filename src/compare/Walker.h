#pragma once
// Walks one compared folder: every file below it, files of a folder before
// its subfolders, depth first, names in code order. Links to folders are
// followed, but each physical folder is walked once, by the first path that
// reaches it, so links leading back up end and time stays linear. A folder
// or file below that cannot be read is passed over and recorded.
#include <QString>
#include <atomic>
#include <vector>

struct WalkFile {
    quint32 folder; // index into WalkResult::folders
    QString name;
    qint64 size;
    qint64 mtime; // seconds since the epoch
};

// A folder or file the walk could not read.
struct WalkSkip {
    QString path;
    QString reason;
};

struct WalkResult {
    std::vector<QString> folders; // relative folder of each folder walked
    std::vector<WalkFile> files;
    std::vector<WalkSkip> skipped;
};

// Throws FcError(FileSystem) only when the compared folder itself cannot be
// read.
// `seen` is raised by one for every file met, as it is met. When `stop` is
// set the walk ends soon after with FcError(Stopped).
WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop = nullptr);
// The error a stopped walk ends with.
[[noreturn]] void ThrowStopped();
