#pragma once
// The comparison engine, a pipeline that knows neither SQL nor widgets:
// walks both folders, matches Folder 2's files to Folder 1's, gives every
// row its code and hands the rows in order to a sink (the result store, or
// anything else).
#include "compare/Walker.h"

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

// One row of a result, as the store keeps it.
struct CmprRow {
    qint64 nNo;
    const QString& sPh;
    const QString& sFL;
    QString sU1, sU2;
    qint64 nS1, nS2;
    const QString& sED;
};

struct CmprCounts {
    qint64 rows = 0;
    qint64 only1 = 0, only2 = 0, same = 0, newer1 = 0, newer2 = 0;
    qint64 skipped = 0; // folders and files that could not be read
};

// Where the rows go. Begin comes after both walks, so a run that fails or
// is stopped while walking reaches no sink; End comes after the last row.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Begin() {}
    virtual void Row(const CmprRow& r) = 0;
    virtual void End(const QString& sFld1, const QString& sFld2, const CmprCounts& n) = 0;
};

class CmprEngine {
public:
    using Progress = std::function<void(qint64 filesSeen)>;
    // Runs one whole comparison into the sink. Throws FcError; when `stop`
    // is set the run ends soon with FcError(Stopped).
    CmprCounts Compare(const QString& sFld1, const QString& sFld2, RowSink& sink, const Progress& progress = {},
                       const std::atomic<bool>* stop = nullptr);
    // The running number of the last file met (1000 + files of both sides).
    qint64 nCnt() const { return m_nCnt; }
    // What the last run could not read (Folder 1's first), in walk order.
    const std::vector<WalkSkip>& Skipped() const { return m_skipped; }

private:
    qint64 m_nCnt = 1000;
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
