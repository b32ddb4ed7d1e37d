#pragma once
// What a copy of a regular file carries over from the source, as `cp -a`
// keeps it: the data with its holes (shared with the source where the file
// system can clone), the extended attributes, the permission bits and the
// times to the nanosecond. The caller opens both files, flushes and renames.
#include <QString>
#include <atomic>
#include <sys/stat.h>

enum class CopyEnd { Done, Failed, Stopped };

// Copies the data of `in` (a regular file, fstat'ed as st) into `out` (a new,
// empty file open for writing). Where the file system can, out becomes a
// clone of in sharing its blocks; otherwise only the ranges that hold data
// are copied, in the kernel where it can (else by read and write), the holes
// left as holes and the size set to st.st_size at the end. `stop` is looked
// at between pieces of at most 8 MiB; `bytes` rises by the data bytes as
// they are written (by st.st_size at once for a clone). On failure or a stop
// `err` says why and out holds a part of the data.
CopyEnd CopyFileData(int in, const struct stat& st, int out, const std::atomic<bool>& stop, std::atomic<qint64>& bytes,
                     QString& err);
// Copies every extended attribute of `in` onto `out`. One the destination
// refuses (a file system without them, a namespace reserved to root) does not
// fail the copy: the text returned names those not copied and why, empty
// when all were copied.
QString CopyXattrs(int in, int out);
// Gives out the permission bits (st_mode & 07777) and the access and
// modification times of st. Call it after the data and the attributes: a
// write would move the time and take away a set-user-ID bit. False with err
// on failure.
bool CopyModeAndTimes(int out, const struct stat& st, QString& err);
