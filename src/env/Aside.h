#pragma once
// Writing a file aside: the new text or copy goes to a temporary file of
// the program's own beside its place (a short unique name, created
// exclusively, never through a link), is flushed, and only then takes its
// place by a rename, so the place always holds the old whole file or the
// new whole one. The settings file and the copies of a plan share it.
// Names are the bytes of the file system; folders are open descriptors.
#include <QByteArray>
#include <QString>
#include <functional>

namespace Aside {
// Whether a name is one of the program's temporary files: ".fldcmpr-"
// eight letters or digits ".tmp". A comparison never lists such a file.
bool IsAsideName(const char* name);

// A new temporary file in the folder `dirfd`, open for writing and locked
// while it is open; its name in `name`. -1 with errno set where none can
// be made. Keep it open until it is placed or removed.
int Create(int dirfd, QByteArray& name, mode_t mode = 0600);

enum class Place { Done, Exists, Failed };
// Renames an entry without ever replacing one at the new name: Exists where
// one stands there. File systems that refuse the atomic form get a link and
// an unlink, and without hard links a check just before the rename.
Place RenameNoReplace(int fromDir, const char* from, int toDir, const char* to);
// Whether a failed link() means the volume or the file takes no second
// name (a folder, vfat, exfat, a file at its most links).
bool NoHardLinks(int err);
// Gives the temporary file `tmp` the name `name` in the same folder
// without ever replacing an entry there (RenameNoReplace).
Place PlaceNew(int dirfd, const QByteArray& tmp, const QByteArray& name);
// Swaps the two entries atomically where the file system can; false with
// errno EINVAL where it cannot.
bool Exchange(int dirfd, const QByteArray& a, const QByteArray& b);

// Takes away temporary files that a killed process left in the folder:
// those no process holds open, or (where they cannot be opened to tell)
// whose status changed more than `minAge` seconds ago. `dispose` is given
// each name (a file of the user's may bear such a name: the plans move
// them to the trash); without it they are removed, links as links.
void CleanUp(int dirfd, const std::function<void(const char*)>& dispose = {}, int minAge = 60);

// Makes the folder and each missing one above it, from the top down, 0700
// (a trash or a cache is the user's alone); an existing folder is taken as
// it is. False with errno set where one cannot be made.
bool MakeFolders(const QByteArray& path);

// Flushes a folder, so the renames in it last; by its path where it is not
// open.
bool SyncFolder(int dirfd);
void SyncFolderAt(const QByteArray& path);
} // namespace Aside
