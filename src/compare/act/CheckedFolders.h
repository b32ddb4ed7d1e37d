#pragma once
// The folders a plan reads from and writes into, opened from the compared
// folder one name at a time. A folder the comparison walked must still be
// that folder (the same file-system identity), so a folder replaced since
// by a link, or by another folder, is never written through; a folder it
// did not see is opened without following links, and made where asked.
// A folder that turns out to lie inside the other compared folder (a link
// the walk never followed, in a folder left out by a filter) is refused.
// Each folder is opened once and stays open until the cache goes.
#include "compare/act/SyncPlan.h"

#include <QHash>
#include <QSet>

class CheckedFolders {
public:
    explicit CheckedFolders(const SyncPlan& plan) : m_plan(plan) {}
    ~CheckedFolders();
    CheckedFolders(const CheckedFolders&) = delete;
    CheckedFolders& operator=(const CheckedFolders&) = delete;

    enum class End { Open, Changed, Failed };
    // The folder `rel` (from side's compared folder) open, in `fd`; with
    // `make`, missing folders are made on the way. Changed where a folder
    // is not the one compared; Failed (errno text in err) otherwise.
    End Open(int side, const QString& rel, bool make, int& fd, QString& err);
    // A folder to be written into: flushed at the end, and the first time
    // in the plan cleared of temporary files a killed run left there.
    void MarkWritten(int side, const QString& rel, int fd);
    // Closes every folder (the written ones flushed first).
    void FlushAndClose();

private:
    // One folder `rel` opened (or made) in its open parent `up`.
    End Step(int side, int parent, const QString& up, const QString& rel, const QByteArray& name, bool make, int& fd,
             QString& err);
    // Whether the open folder lies in the other side's compared folder.
    bool InsideOther(int side, int fd);
    const SyncPlan& m_plan;
    QByteArray m_real[3]; // each compared folder's real path, once asked
    QHash<QString, int> m_open[3];
    QList<int> m_written;
    QSet<QString> m_cleaned[3]; // for the whole plan
};
