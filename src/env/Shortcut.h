#pragma once
// Shortcut files. A shortcut path ending in ".lnk" is written as a
// freedesktop desktop entry with ".desktop" in its place.
#include <QString>

// The file actually written for a shortcut path.
QString ShortcutFile(const QString& lnkPath);
// Writes a shortcut to a URL or a file; throws FcError(FileSystem).
void SaveShortcut(const QString& lnkPath, const QString& target);
