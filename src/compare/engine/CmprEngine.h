#pragma once
// The comparison engine, a pipeline that knows neither SQL nor widgets:
// walks both folders, matches Folder 2's files to Folder 1's, gives every
// row its code and hands the rows in order to a sink (the result store, or
// anything else).
#include "compare/engine/CmprCode.h"
#include "compare/engine/CmprObserver.h"
#include "compare/engine/CmprRule.h"
#include "compare/engine/WalkFilter.h"
#include "compare/engine/Walker.h"

#include <QString>
#include <vector>

// One row of a result: what the store keeps, and the two modification
// times as numbers (seconds since the epoch; 0 for a side without the file).
struct CmprRow {
    qint64 nNo;
    const QString& sPh;
    QString sFL;
    QString sU1, sU2;
    qint64 nS1, nS2;
    CmprCode cd;
    qint64 nT1, nT2;
    // A moved file's place on side 2; null for every other row.
    const QString* sPh2 = nullptr;
    QString sFL2 = {};
    const QString& sED() const { return CodeText(cd); }
};

struct CmprCounts {
    qint64 rows = 0;
    std::array<qint64, kCmprCodes.size()> byCode{}; // rows of each code, in the order of kCmprCodes
    qint64 skipped = 0;                             // folders and files that could not be read
    qint64 leftOutFolders = 0, leftOutFiles = 0;    // by the filter, both sides
    // The rows of a code.
    qint64 Of(CmprCode c) const { return byCode[size_t(c)]; }
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

struct CmprInput;
class DigestCache;
class WalkFiles;

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
    // What the digest cache said, once, where it could not be used (read,
    // or written); empty otherwise.
    const QString& CacheNote() const { return m_cacheNote; }
    // A row with each side's own spelling, for acting on the files.
    struct Pair {
        CmprCode cd;
        QString folder1, name1, folder2, name2; // empty for a side without the file
        qint64 size1, size2, mtime1, mtime2;
        FileStamp stamp1{}, stamp2{}; // where the walks kept stamps
    };
    // Every row as a Pair, in running-number order.
    std::vector<Pair> Pairs() const;
    // The walk of side 1 or 2: its folders (with their stamps where the
    // walk kept them) and what it could not read.
    const WalkResult& WalkOf(int side) const { return side == 1 ? m_1.w : m_2.w; }

private:
    friend class CmprEngine;
    // Partners and codes of the two walks, and the counts.
    void Classify(const CmprRule& rule, const std::atomic<bool>& stop);
    void Count();
    // Pairs of the same time: other size, or under the content criterion
    // other bytes, make them differ.
    void CheckContents(const CmprInput& in, WalkFiles& source, DigestCache& cache, CmprObserver& obs, CmprProgress& p);
    // Files on one side only paired with files on the other side only of
    // the same bytes: moved.
    void FindMoves(WalkFiles& source, DigestCache& cache, CmprObserver& obs, CmprProgress& p);
    struct Side {
        WalkResult w;
        std::vector<int> partner; // the other side's index of each file, or -1
    };
    Side m_1, m_2;
    std::vector<CmprCode> m_code; // per Folder 1 file
    QString m_fld1, m_fld2;
    CmprCounts m_n;
    std::vector<WalkSkip> m_skipped;
    std::vector<WalkSkip> m_contentSkipped;
    QString m_cacheNote;
};

class Fso;

// What to compare, and how.
struct CmprInput {
    QString sFld1, sFld2;
    CmprRule rule;
    WalkOptions walk;
    WalkFilter filter; // what is left out; empty: nothing
    // The program's file-system service; a plain one where none is given.
    const Fso* fso = nullptr;
    // The digest cache a comparison by content uses; empty: every pair of
    // equal size is read.
    QString digestCache;
};

class CmprEngine {
public:
    // Walks, matches and classifies by the rule, telling `obs` how far it
    // is. Throws FcError; once obs.stop is set it ends soon with
    // FcError(Stopped).
    static CmprResult Run(const CmprInput& in, CmprObserver& obs);
};

// Code of a file seen on both sides, from its two modification times.
CmprCode SetCmprCd(qint64 mtime1, qint64 mtime2);
