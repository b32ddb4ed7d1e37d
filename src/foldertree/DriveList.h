#pragma once
// The drive list: the mounted volumes, the current one, and a change
// notification raised only when the drive really changes.
#include <QString>
#include <QStringList>
#include <functional>

class DriveList {
public:
    DriveList();
    // The home folder, then the volume roots, "/" first.
    const QStringList& Drives() const { return m_drives; }
    void SetDrives(const QStringList& roots, const QStringList& names = {});
    // What the list shows for entry i: the root and the volume's name.
    QString Label(int i) const;
    // The root of the current drive; empty before one is set.
    const QString& Drive() const { return m_drive; }
    // Sets the drive that holds `path` (the mounted volume with the longest
    // matching root). An empty path is ignored; a path on no drive throws.
    void SetDrive(const QString& path);
    // The user picked entry i.
    void UserSelect(int i);
    static QString DriveOf(const QString& path, const QStringList& roots);
    // The root of the mounted volume that holds `path` (its bytes kept).
    static QString VolumeOf(const QString& path);

    std::function<void()> Change;      // the drive changed
    std::function<void()> ListChanged; // for the view

private:
    void Select(const QString& root);
    QStringList m_drives;
    QStringList m_names;
    QString m_drive;
};
