#pragma once
// Whole-file reads and writes for checking what the program left on disk.
#include <QByteArray>
#include <QString>

QByteArray ReadBytes(const QString& path);
QString ReadUtf8(const QString& path);
// Writes the bytes over the file; false when that failed.
bool WriteBytes(const QString& path, const QByteArray& bytes);

// The bytes of a launch file: left, top, width, height (little-endian
// 32-bit), then the root and path texts, each after its 16-bit length.
QByteArray LaunchFileBytes(qint32 l, qint32 t, qint32 w, qint32 h, const QByteArray& root, const QByteArray& path);

// Takes every permission off a folder. False when the process can still
// read it (root, or a file system without permissions): the test that
// needs an unreadable folder then has to skip.
bool LockFolder(const QString& path);

// While it lives, no file of this process can grow past `bytes`: a write
// beyond fails as on a full disk, for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    qint64 m_old;
};

// A tmpfs mounted at a folder for the life of the object ("size=64k");
// only root may mount, so Ok() is false for other users.
class MountedTmpfs {
public:
    MountedTmpfs(const QString& at, const char* options);
    ~MountedTmpfs();
    MountedTmpfs(const MountedTmpfs&) = delete;
    MountedTmpfs& operator=(const MountedTmpfs&) = delete;
    bool Ok() const { return m_ok; }

private:
    QByteArray m_at;
    bool m_ok;
};
