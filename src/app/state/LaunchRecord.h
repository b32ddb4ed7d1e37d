#pragma once
// The launch file named on the command line: the window rectangle in twips
// and Folder 1's root and path.
#include <QString>
#include <QtGlobal>
#include <functional>

struct LaunchRecord {
    qint32 LEFT = 0;
    qint32 TOP = 0;
    qint32 WIDTH = 0;
    qint32 HEIGHT = 0;
    QString ROOT;
    QString PATH;
};

// Reads the first record of a launch file. A file shorter than one record
// gives what is there; the missing fields stay zero or empty. Throws
// FcError(FileSystem) when the file cannot be read; a file that would keep
// the reader waiting counts as one that cannot be read.
LaunchRecord ReadLaunchFile(const QString& path);
// Parses the bytes of a launch file (same rules). A folder text is taken
// as the folder of exactly its bytes when `folderExists` finds one there,
// otherwise decoded in the code page (or as Shift_JIS).
LaunchRecord ParseLaunchRecord(const QByteArray& bytes, const std::function<bool(const QString&)>& folderExists = {});
// A record is used only when its width and height are both above 0.
bool LaunchRecordUsable(const LaunchRecord& r);
