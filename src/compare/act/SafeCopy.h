#pragma once
// One file copied over another the way a backup tool does it: into a new
// temporary file beside the destination (unique, created exclusively),
// flushed to disk, given the source's permission bits and modification
// time to the nanosecond, then renamed over the destination. At every
// moment the destination holds the old whole file or the new whole file;
// a replaced file keeps a name in the trash.
#include <QString>
#include <atomic>

enum class CopyEnd { Done, Failed, Stopped };

// Copies src to dst, creating missing folders of dst; with `replace` the
// file at dst goes to the trash as the new one takes its place. Once
// `stop` is set the copy ends inside the file, dst as it was. `bytes` rises
// as data is written. On failure `err` says why and dst is as it was.
CopyEnd SafeCopy(const QString& src, const QString& dst, bool replace, const std::atomic<bool>& stop,
                 std::atomic<qint64>& bytes, QString& err);
// Moves a file to the trash; false, the file in place, where it cannot.
bool MoveToTrash(const QString& path, QString& err);
