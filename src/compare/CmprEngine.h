#pragma once
// The comparison engine: walks two folders, matches Folder 2's files to
// Folder 1's by relative folder and name regardless of case, gives every row
// its code and writes the whole result into tbCmpr in one transaction.
#include "compare/Walker.h"

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

class SqlDb;

struct CmprCounts {
    qint64 rows = 0;
    qint64 only1 = 0, only2 = 0, same = 0, newer1 = 0, newer2 = 0;
    qint64 skipped = 0; // folders and files that could not be read
};

class CmprEngine {
public:
    using Progress = std::function<void(qint64 filesSeen)>;
    // Runs one whole comparison into the open store. Throws FcError; the
    // store then keeps its previous complete result.
    // When `stop` is set the run ends soon with FcError(Stopped), the store
    // unchanged.
    CmprCounts Run(const QString& sFld1, const QString& sFld2, SqlDb& db, const Progress& progress = {},
                   const std::atomic<bool>* stop = nullptr);
    // The running number of the last file met (1000 + files of both sides).
    qint64 nCnt() const { return m_nCnt; }
    // The number the store's run log gave this run.
    qint64 nRun() const { return m_nRun; }
    // What the last run could not read (Folder 1's first), in walk order.
    const std::vector<WalkSkip>& Skipped() const { return m_skipped; }

private:
    qint64 m_nCnt = 1000;
    qint64 m_nRun = 0;
    std::vector<WalkSkip> m_skipped;
};

// The codes of the table.
namespace CmprCd {
inline const QString Only1 = QStringLiteral("1-*");
inline const QString Only2 = QStringLiteral("2-*");
inline const QString Same = QStringLiteral("1=2");
inline const QString Newer1 = QStringLiteral("1>2");
inline const QString Newer2 = QStringLiteral("2>1");
// Code of a file seen on both sides, from its two modification times.
const QString& SetCmprCd(qint64 mtime1, qint64 mtime2);
} // namespace CmprCd
