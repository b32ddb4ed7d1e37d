#pragma once
// One file copied the way a backup tool does it. The copy is written to a
// temporary file of its own in the destination folder (see env/Aside.h),
// keeping the source's data with its holes, mode, times to the nanosecond
// and extended attributes; once the volume is flushed it takes its place:
// a new file never replaces anything that appeared meanwhile, and a
// replaced file is checked again right before and keeps a name in the
// trash. At every moment the destination holds the old whole file or the
// new whole one.
#include "compare/act/FileData.h"
#include "compare/act/Trash.h"
#include "compare/engine/Walker.h"

#include <QByteArray>
#include <QString>
#include <atomic>

// How one step of an action ended.
enum class StepEnd { Done, Conflict, Failed, Stopped };

// Whether an entry is a regular file still as the comparison saw it: the
// same file (where its identity was kept), size, and modification and
// change times to the nanosecond (a file rewritten with the same size and
// time still has another change time).
bool AsSeen(const struct stat& st, const FileStamp& seen, qint64 size);

// The same for the entry `name` in the open folder `dir`, whose lstat goes
// to `entry`: a link to a file is held to the file the walk saw through it
// (the link itself is what is then replaced or trashed).
bool EntryAsSeen(int dir, const char* name, const FileStamp& seen, qint64 size, struct stat& entry);

// A copy written aside in its destination folder, waiting to be placed.
struct AsideCopy {
    int dir = -1; // the destination folder (not owned)
    int fd = -1;  // the temporary file, open (so locked) until placed or removed
    QByteArray tmp, name;
    QString note; // what of the source could not be kept
    AsideCopy() = default;
    AsideCopy(AsideCopy&& o) noexcept;
    AsideCopy& operator=(AsideCopy&&) = delete;
    ~AsideCopy() { Discard(); }
    // The temporary file removed, if it is still there.
    void Discard();
};

// The source file (`srcName` in folder `srcDir`), if still as compared,
// copied into a new temporary file in `out.dir` (its future name in
// out.name). `bytes` rises as data is written; once `stop` is set the copy
// ends inside the file, nothing left behind.
StepEnd WriteAside(int srcDir, const QByteArray& srcName, const FileStamp& seen, qint64 size, AsideCopy& out,
                   const std::atomic<bool>& stop, std::atomic<qint64>& bytes, QString& err);
// A written copy given its name where nothing stands: Conflict where an
// entry appeared meanwhile.
StepEnd PlaceNew(AsideCopy& c, QString& err);
// A written copy put in place of the file compared there (`seen`, `size`;
// its absolute path `path`), that file keeping a name in the trash. Checked
// again right before; a file that is not the one compared is never replaced.
StepEnd PlaceOver(AsideCopy& c, const FileStamp& seen, qint64 size, const QByteArray& path, Trash& trash, QString& err);
