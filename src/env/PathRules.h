#pragma once
// Path rules of the two platform styles. Every test for a separator or a
// drive root goes through here, so the rest of the code stays neutral.
#include <QString>

enum class PathStyle { Windows, Posix };

PathStyle NativeStyle();
QChar PathSep(PathStyle st = NativeStyle());

// A root as the tree hands it out: "C:" (Windows) or "/" (Posix).
bool IsDriveRoot(const QString& path, PathStyle st = NativeStyle());
// The folder to open for a path the tree hands out: "C:" becomes "C:\".
QString OpenPath(const QString& path, PathStyle st = NativeStyle());
// The path without one trailing separator, keeping a bare Posix root "/".
QString StripTrailingSep(const QString& path, PathStyle st = NativeStyle());
// The path with exactly one trailing separator.
QString WithTrailingSep(const QString& path, PathStyle st = NativeStyle());
// Joins a parent path and a name with one separator ("/" + "a" is "/a").
QString JoinPath(const QString& parent, const QString& name, PathStyle st = NativeStyle());
// How many leading characters of a file path below `folder` name the
// compared folder and the separator after it.
qsizetype RootPrefixLen(const QString& folder, PathStyle st = NativeStyle());
// A path below the compared folder, less the folder and its separator.
QString RelPath(const QString& path, const QString& folder, PathStyle st = NativeStyle());
// A path made absolute against the folder `current`, links not resolved
// (so ".." parts stay): only "." parts and doubled or trailing separators go.
QString AbsolutePath(const QString& path, const QString& current, PathStyle st = NativeStyle());
// Relative folder of a file: its path less the compared folder prefix and
// less "sep + name"; empty for a file directly in the folder.
QString RelFolder(const QString& filePath, const QString& fileName, const QString& folder,
                  PathStyle st = NativeStyle());
