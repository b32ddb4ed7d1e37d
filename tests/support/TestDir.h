#pragma once
// A temporary folder with helpers to make files and folders in it.
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

class TestDir {
public:
    TestDir();
    // Gives back the rights a test took off its folders, so the whole tree
    // can be removed by a user without special rights.
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;
    QString path() const { return m_dir.path(); }
    QString path(const QString& rel) const { return m_dir.path() + QLatin1Char('/') + rel; }
    // Makes a file (and the folders above it) with content and, when given,
    // a modification time.
    QString createFile(const QString& rel, const QByteArray& content = QByteArray(),
                       const QDateTime& mtime = QDateTime());
    QString createDir(const QString& rel);
    static void setMTime(const QString& path, const QDateTime& mtime);
    // The same from a relative path given as raw bytes (any bytes but "/"
    // and NUL in a name); returns the path as the program holds it.
    QString createFileBytes(const QByteArray& rel, const QByteArray& content = QByteArray(),
                            const QDateTime& mtime = QDateTime());
    QString createDirBytes(const QByteArray& rel);

private:
    QTemporaryDir m_dir;
};
