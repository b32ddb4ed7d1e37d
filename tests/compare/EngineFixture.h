#pragma once
// A comparison into a real store below a temporary folder, and the stored
// rows read back in their order.
#include "compare/run/CmprRun.h"
#include "compare/store/ResultStore.h"
#include "compare/store/SqlDb.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

inline const QDateTime T0(QDate(2007, 3, 5), QTime(9, 41, 59));

struct Row {
    qint64 nNo;
    QString sPh, sFL, sU1, sU2, sED;
    qint64 nS1, nS2;
};

// Stops a run the first time a phase reports; keeps every report.
class StopIn : public CmprObserver {
public:
    explicit StopIn(std::optional<CmprPhase> at = std::nullopt) : m_at(at) {}
    void Progress(const CmprProgress& p) override
    {
        seen.push_back(p);
        if (p.phase == m_at)
            stop = true;
    }
    std::vector<CmprProgress> seen;

private:
    std::optional<CmprPhase> m_at;
};

class Engine : public ::testing::Test {
protected:
    TestDir dir;
    ResultStore store{dir.path("Cmpr.mdb")};
    CmprOutcome outcome; // of the last run
    QString digestCache; // the digest cache the runs use; empty: none

    QString one() { return dir.path("one"); }
    QString two() { return dir.path("two"); }
    void file(const QString& rel, const QByteArray& data = "x", const QDateTime& t = T0)
    {
        dir.createFile(rel, data, t);
    }

    // One whole run into the store, as the window and the CLI make it; with
    // `readBack` the rows are read back before the commit, as the window
    // does.
    CmprCounts run(const QString& a, const QString& b, const CmprRule& rule = {}, CmprObserver* obs = nullptr,
                   bool readBack = false)
    {
        CmprRequest req;
        req.sFld1 = a;
        req.sFld2 = b;
        req.rule = rule;
        req.storePath = store.Path();
        req.digestCache = digestCache;
        CmprNeeds needs;
        if (readBack)
            needs.readBack = DispMode::All;
        CmprObserver quiet;
        outcome = CmprRun::Run(std::move(req), needs, obs ? *obs : quiet);
        return outcome.counts;
    }
    std::vector<Row> rows()
    {
        store.OpnDb();
        std::vector<Row> out;
        {
            SqlStmt st = store.Db().Prepare("Select nNo, sPh, sFL, sU1, sU2, sED, nS1, nS2 From tbCmpr Order By nNo");
            while (st.Step())
                out.push_back(
                    {st.Int(0), st.Text(1), st.Text(2), st.Text(3), st.Text(4), st.Text(5), st.Int(6), st.Int(7)});
        }
        store.ClsDb();
        return out;
    }
};
