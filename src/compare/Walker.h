#pragma once
// Walks one compared folder: every file below it, files of a folder before
// its subfolders, depth first, names in code order. A folder already being
// walked (a link leading back up) is not walked again.
#include <QString>
#include <atomic>
#include <vector>

struct WalkFile {
    quint32 folder; // index into WalkResult::folders
    QString name;
    qint64 size;
    qint64 mtime; // seconds since the epoch
};

struct WalkResult {
    std::vector<QString> folders; // relative folder of each folder walked
    std::vector<WalkFile> files;
};

// Throws FcError(FileSystem) when the folder or one below it cannot be read.
// `seen` is raised by one for every file met.
WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen);
