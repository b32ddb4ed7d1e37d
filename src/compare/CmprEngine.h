#pragma once
// The comparison engine, a pipeline that knows neither SQL nor widgets:
// walks both folders, matches Folder 2's files to Folder 1's, gives every
// row its code and hands the rows in order to a sink (the result store, or
// anything else).
#include "compare/CmprRule.h"
#include "compare/Walker.h"

#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <vector>

// One row of a result: what the store keeps, and the two modification
// times as numbers (seconds since the epoch; 0 for a side without the file).
struct CmprRow {
    qint64 nNo;
    const QString& sPh;
    QString sFL;
    QString sU1, sU2;
    qint64 nS1, nS2;
    const QString& sED;
    qint64 nT1, nT2;
};

struct CmprCounts {
    qint64 rows = 0;
    qint64 only1 = 0, only2 = 0, same = 0, newer1 = 0, newer2 = 0;
    qint64 differ = 0;  // same time, other size or content
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

// Both folders walked and matched, every row's code known: the result of a
// comparison, whose rows can be handed to sinks in order as often as asked.
class CmprResult {
public:
    const CmprCounts& Counts() const { return m_n; }
    const QString& Folder1() const { return m_fld1; }
    const QString& Folder2() const { return m_fld2; }
    // What could not be read (Folder 1's first), in walk order.
    const std::vector<WalkSkip>& Skipped() const { return m_skipped; }
    // The running number of the last file (1000 + files of both sides).
    qint64 nCnt() const;
    // Begin, every row in running-number order, End.
    void Emit(RowSink& sink) const;
    // The places rows come from, in running-number order: each file of
    // Folder 1, then each of Folder 2 (a row where it has no partner).
    size_t Places() const { return m_1.w.files.size() + m_2.w.files.size(); }
    // The rows of places [from, to), in order, without Begin or End: parts
    // of one run may be handed out on several threads at once.
    void EmitRows(RowSink& sink, size_t from, size_t to) const;

private:
    friend class CmprEngine;
    // Pairs of the same time: other size, or under the content criterion
    // other bytes, make them differ.
    void CheckContents(const CmprRule& rule, const std::function<void(qint64)>& bytes, const std::atomic<bool>* stop);
    struct Side {
        WalkResult w;
        std::vector<int> partner; // the other side's index of each file, or -1
    };
    Side m_1, m_2;
    std::vector<quint8> m_code; // index into the code table, per Folder 1 file
    QString m_fld1, m_fld2;
    CmprCounts m_n;
    std::vector<WalkSkip> m_skipped;
    std::vector<WalkSkip> m_contentSkipped;
};

class CmprEngine {
public:
    using Progress = std::function<void(qint64 filesSeen)>;
    // Walks, matches and classifies by the rule; `bytes` follows a content
    // compare. Throws FcError; when `stop` is set the run ends soon with
    // FcError(Stopped).
    static CmprResult Run(const QString& sFld1, const QString& sFld2, const Progress& progress = {},
                          const std::atomic<bool>* stop = nullptr, const CmprRule& rule = {},
                          const Progress& bytes = {}, const WalkOptions& walk = {});
    // Runs one whole comparison into the sink.
    CmprCounts Compare(const QString& sFld1, const QString& sFld2, RowSink& sink, const Progress& progress = {},
                       const std::atomic<bool>* stop = nullptr, const CmprRule& rule = {}, const Progress& bytes = {});
    // Of the last Compare: the running number of the last file met.
    qint64 nCnt() const { return m_nCnt; }
    // Of the last Compare: what could not be read, in walk order.
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
// On both sides, same time (under the tolerance), but another size or content.
inline const QString Differ = QStringLiteral("1≠2");
// Every code, in the order counts of them are shown.
inline const std::array<const QString*, 6> kAll = {&Only1, &Only2, &Same, &Newer1, &Newer2, &Differ};
// Code of a file seen on both sides, from its two modification times.
const QString& SetCmprCd(qint64 mtime1, qint64 mtime2);
} // namespace CmprCd
