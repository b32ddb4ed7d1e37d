#pragma once
// The key files are matched by, made while walking.
#include <QByteArrayView>
#include <QString>

// A file's match key: a hash of its case-folded relative folder and name.
// `folded` is FolderKey of the file's relative folder; `buf` is room the
// caller keeps from file to file.
QString FolderKey(const QString& relFolder);
size_t FileKey(QString& buf, const QString& folded, QByteArrayView name);
