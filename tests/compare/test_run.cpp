// One run as the window and the CLI make it: every phase reports how far it
// is, and a stop in any phase leaves the store with the previous result.
#include "EngineFixture.h"

#include "compare/store/RunLog.h"
#include "env/Error.h"

namespace {
class Run : public Engine {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 300; ++i)
            file(QString("one/d%1/f%2.txt").arg(i % 7).arg(i));
        for (int i = 0; i < 200; ++i)
            file(QString("two/d%1/f%2.txt").arg(i % 7).arg(i), "x", T0.addSecs(3600 * (i % 2)));
    }
};

TEST_F(Run, AStopInAnyPhaseKeepsThePreviousResult)
{
    run(one(), two());
    const auto before = rows();
    const qint64 runBefore = outcome.nRun;
    dir.createFile("two/new.txt", "y"); // the next run would differ
    for (CmprPhase phase : {CmprPhase::Walk, CmprPhase::Match, CmprPhase::Store, CmprPhase::Read}) {
        SCOPED_TRACE(int(phase));
        StopIn stop(phase);
        try {
            run(one(), two(), {}, &stop, true);
            ADD_FAILURE() << "the run went on";
        } catch (const FcError& e) {
            EXPECT_EQ(e.kind(), ErrKind::Stopped);
        }
        EXPECT_EQ(rows().size(), before.size());
        EXPECT_EQ(rows().back().sFL, before.back().sFL);
        store.OpnDb();
        EXPECT_EQ(RunLog::Latest(store.Db()), runBefore);
        store.ClsDb();
    }
    run(one(), two()); // the store is whole and takes the next run
    EXPECT_EQ(rows().size(), before.size() + 1);
}

TEST_F(Run, EveryPhaseReportsAndTheCountsEndWhole)
{
    StopIn watch;
    const CmprCounts n = run(one(), two(), {}, &watch, true);
    std::vector<CmprPhase> phases;
    for (const CmprProgress& p : watch.seen)
        if (phases.empty() || phases.back() != p.phase)
            phases.push_back(p.phase);
    EXPECT_EQ(phases, (std::vector<CmprPhase>{CmprPhase::Walk, CmprPhase::Match, CmprPhase::Store, CmprPhase::Read}));
    qint64 files = 0, written = 0, read = 0;
    for (const CmprProgress& p : watch.seen) {
        EXPECT_GE(p.files, files);
        EXPECT_GE(p.phase == CmprPhase::Read ? p.rowsRead : read, read);
        files = p.files;
        written = std::max(written, p.rowsWritten);
        read = p.phase == CmprPhase::Read ? p.rowsRead : read;
    }
    EXPECT_EQ(files, 500);
    EXPECT_EQ(written, n.rows);
    EXPECT_EQ(read, n.rows);
}
} // namespace
