#pragma once
// The launch file named on the command line: the window rectangle in twips
// and Folder 1's root and path.
#include <QString>
#include <QtGlobal>

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
// FcError(FileSystem) when the file cannot be read.
LaunchRecord ReadLaunchFile(const QString& path);
// Parses the bytes of a launch file (same rules).
LaunchRecord ParseLaunchRecord(const QByteArray& bytes);
// A record is used only when its width and height are both above 0.
bool LaunchRecordUsable(const LaunchRecord& r);
