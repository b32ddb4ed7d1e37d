#pragma once
// Matching Folder 2's files to Folder 1's: by relative folder and name
// regardless of case (over all of Unicode for valid names; only ASCII case
// for names holding stray bytes), the exact spelling first, each Folder 1
// file taken by at most one Folder 2 file.
#include "compare/Walker.h"

#include <QByteArrayView>
#include <QString>
#include <vector>

// The Folder 1 file a Folder 2 file has no partner in.
inline constexpr int kNoMatch = -1;

// A file's match key: a hash of its case-folded relative folder and name.
// `folded` is FolderKey of the file's relative folder; `buf` is room the
// caller keeps from file to file.
QString FolderKey(const QString& relFolder);
size_t FileKey(QString& buf, const QString& folded, QByteArrayView name);
// Gives a walk whose keys are missing (a walk built by hand) its keys.
void KeyWalk(WalkResult& w);

// For each Folder 2 file, the index of the Folder 1 file it pairs with, or
// kNoMatch.
std::vector<int> MatchFiles(const WalkResult& w1, const WalkResult& w2);
