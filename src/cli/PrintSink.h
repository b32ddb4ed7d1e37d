#pragma once
// The rows of a display mode written to the output in a format (tab- or
// comma-separated lines, or a JSON object a line), and the summary of a run.
#include "cli/Output.h"
#include "cli/PrintSettings.h"
#include "compare/engine/CmprEngine.h"

class PrintSink : public RowSink {
public:
    PrintSink(const PrintSettings& s, Output& out) : m_s(s), m_out(out) {}
    void Begin() override;
    void Row(const CmprRow& r) override;
    void End(const QString& sFld1, const QString& sFld2, const CmprCounts& n) override;

private:
    bool Shown(CmprCode code) const;
    void Json(const CmprRow& r);
    const PrintSettings m_s;
    Output& m_out;
};

// All of a result printed: header, rows, summary. With more than one
// thread the rows are formatted a piece at a time on that many threads and
// written in order, the same text as one thread writes.
void PrintRows(const PrintSettings& s, const CmprResult& r, Output& out, int threads);

// The summary: the two compared folders, the count of each code, the rows
// and what could not be read. As "key: value" lines, or as one JSON object
// {"summary": {...}} on a line.
// 1≠2 is counted `withDiffer`, the folders and files a filter left out
// `withLeftOut`, 1↔2 `withMoves`.
QString SummaryText(const QString& sFld1, const QString& sFld2, const CmprCounts& n, bool withDiffer,
                    bool withLeftOut = false, bool withMoves = false);
QString SummaryJson(const QString& sFld1, const QString& sFld2, const CmprCounts& n, bool withDiffer,
                    bool withLeftOut = false, bool withMoves = false);
