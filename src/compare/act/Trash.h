#pragma once
// The desktop's trash (freedesktop.org): the user's, or the volume's for a
// file on another file system, with the .trashinfo a file manager restores
// a file from. Nothing is unlinked here: a file goes into the trash whole.
#include <QByteArray>
#include <QString>

class Trash {
public:
    // The entry a file will take: its trash folder's files/ name and its
    // info file, written first (created exclusively). False, with why, where
    // no trash can take the file.
    bool Prepare(const QString& path, QString& err);
    // Moves the file into the trash (Prepare first).
    bool Move(QString& err);
    // Puts a second name on the file in the trash and leaves it where it is:
    // what is renamed over it next stays in the trash (Prepare first).
    bool Link(QString& err);
    // Takes back a prepared or linked entry whose file is still in place.
    void Undo();
    // The path of the file in the trash, once moved or linked.
    const QByteArray& TrashedAt() const { return m_files; }

private:
    bool Reserve(const QByteArray& trash, QString& err);
    // The file given its name in the trash by `op` (rename or link).
    bool Put(int (*op)(const char*, const char*), QString& err);
    QByteArray m_path, m_files, m_info;
};
