// Acting on a comparison, on real folders: what each plan does, and that no
// file is ever lost: conflicts are left alone, a failure fails its action
// alone, replaced and removed files go to the trash, and a stop or a kill
// leaves every file old and whole or new and whole.
#include "EngineFixture.h"

#include "compare/act/SafeCopy.h"
#include "compare/act/SyncRun.h"
#include "support/Files.h"

#include <QDir>
#include <QUrl>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
class Sync : public Engine {
protected:
    void SetUp() override
    {
        m_was = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.createDir("share").toUtf8()); // the user's trash is below it
        file("one/only1.txt", "1");
        file("two/only2.txt", "22");
        file("one/d/newer1", "new one", T0.addSecs(600));
        file("two/d/newer1", "old", T0);
        file("one/newer2", "old", T0);
        file("two/newer2", "new two", T0.addSecs(600));
        file("one/differ", "aaa");
        file("two/differ", "bb");
        file("one/same", "s");
        file("two/same", "s");
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_was); }
    std::vector<SyncAction> Plan(PlanKind k)
    {
        CmprInput in;
        in.sFld1 = one();
        in.sFld2 = two();
        in.rule.criterion = CmprRule::TimeSize;
        CmprObserver quiet;
        return MakePlan(CmprEngine::Run(in, quiet).Pairs(), k);
    }
    static QStringList Lines(const std::vector<SyncAction>& plan)
    {
        QStringList out;
        for (const SyncAction& a : plan)
            out << ActionWord(a.kind) + " " + QString::number(a.side) + " " + a.Path();
        return out;
    }
    QString Trashed(const QString& name) { return dir.path("share/Trash/files/" + name); }
    QByteArray m_was;
};

TEST_F(Sync, EachPlan)
{
    const struct {
        PlanKind plan;
        QStringList lines;
    } cases[] = {
        {PlanKind::Update2, {"copy 2 only1.txt", "replace 2 d/newer1"}},
        {PlanKind::Update1, {"replace 1 newer2", "copy 1 only2.txt"}},
        {PlanKind::UpdateBoth, {"copy 2 only1.txt", "replace 2 d/newer1", "replace 1 newer2", "copy 1 only2.txt"}},
        {PlanKind::Mirror2,
         {"copy 2 only1.txt", "replace 2 d/newer1", "replace 2 newer2", "replace 2 differ", "trash 2 only2.txt"}},
        {PlanKind::Mirror1,
         {"trash 1 only1.txt", "replace 1 d/newer1", "replace 1 newer2", "replace 1 differ", "copy 1 only2.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.plan));
        QStringList got = Lines(Plan(c.plan)), want = c.lines;
        got.sort();
        want.sort();
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(PlanOf(u"mirror-1"), PlanKind::Mirror1);
    EXPECT_FALSE(PlanOf(u"mirror"));
}

// Folder 2 made like Folder 1: copies are whole with the source's time and
// mode, what was replaced or removed is in the trash with its .trashinfo,
// and the trees then compare the same.
TEST_F(Sync, MirrorMakesTheOtherSideAlikeAndLosesNothing)
{
    QFile::setPermissions(dir.path("one/only1.txt"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    const auto plan = Plan(PlanKind::Mirror2);
    CmprObserver quiet;
    const auto done = ApplyPlan(plan, one(), two(), quiet);
    for (const SyncOutcome& o : done)
        EXPECT_EQ(o.state, SyncOutcome::Done) << o.reason.toStdString();
    EXPECT_EQ(ReadBytes(dir.path("two/d/newer1")), "new one");
    EXPECT_EQ(QFileInfo(dir.path("two/only1.txt")).lastModified(), QFileInfo(dir.path("one/only1.txt")).lastModified());
    EXPECT_EQ(QFile::permissions(dir.path("two/only1.txt")) & 0x0FFF,
              QFile::permissions(dir.path("one/only1.txt")) & 0x0FFF);
    EXPECT_EQ(ReadBytes(Trashed("newer1")), "old");
    EXPECT_EQ(ReadBytes(Trashed("only2.txt")), "22");
    EXPECT_EQ(ReadBytes(Trashed("differ")), "bb");
    const QString info = QString::fromUtf8(ReadBytes(dir.path("share/Trash/info/only2.txt.trashinfo")));
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(dir.path("two/only2.txt"), "/")))
        << info.toStdString();
    EXPECT_TRUE(info.contains("\nDeletionDate=20"));
    EXPECT_TRUE(QDir(dir.path("two")).entryList({"*$$$*"}, QDir::Files | QDir::Hidden).isEmpty());
    CmprInput in;
    in.sFld1 = one();
    in.sFld2 = two();
    in.rule.criterion = CmprRule::TimeSize;
    CmprObserver again;
    const CmprCounts n = CmprEngine::Run(in, again).Counts();
    EXPECT_EQ(n.rows, n.same);
}

// A file changed after the comparison is a conflict and left alone; a
// destination that cannot be written fails that action alone.
TEST_F(Sync, ConflictsAndFailuresAreLeftAloneAndReported)
{
    const auto plan = Plan(PlanKind::UpdateBoth);
    file("two/newer2", "changed since", T0.addSecs(1200));
    QFile::setPermissions(dir.path("two"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool root = QFile(dir.path("two/x")).open(QIODevice::WriteOnly);
    CmprObserver quiet;
    const auto out = ApplyPlan(plan, one(), two(), quiet);
    QFile::setPermissions(dir.path("two"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (size_t i = 0; i < plan.size(); ++i) {
        const QString what = plan[i].Path();
        SyncOutcome::State want = SyncOutcome::Done;
        if (what == "newer2")
            want = SyncOutcome::Conflict;
        else if (what == "only1.txt") // two/ takes no new file
            want = root ? out[i].state : SyncOutcome::Failed;
        EXPECT_EQ(out[i].state, want) << what.toStdString() << " " << out[i].reason.toStdString();
    }
    EXPECT_EQ(ReadBytes(dir.path("two/newer2")), "changed since");
    EXPECT_EQ(ReadBytes(dir.path("one/newer2")), "old");
    EXPECT_FALSE(QFileInfo::exists(Trashed("newer2")));
    if (root)
        GTEST_SKIP() << "needs a user without root rights: a folder that takes no new file";
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/only1.txt")));
}

// A stop after the first action leaves the rest undone; a full disk fails
// the copy with the destination whole.
TEST_F(Sync, AStopAndAFullDiskLeaveEveryFileWhole)
{
    class StopAtOnce : public CmprObserver {
        void Progress(const CmprProgress&) override { stop = true; }
    } stopper;
    const auto plan = Plan(PlanKind::Mirror2);
    const auto out = ApplyPlan(plan, one(), two(), stopper);
    EXPECT_EQ(out.back().state, SyncOutcome::NotDone);
    EXPECT_EQ(ReadBytes(dir.path("two/only2.txt")), "22");

    const QString small = dir.createDir("small");
    const MountedTmpfs fs(small, "size=64k");
    if (!fs.Ok())
        GTEST_SKIP() << "needs root to mount a small file system";
    file("big/one/f", QByteArray(200 * 1024, 'n'));
    dir.createFile("small/f", "old");
    SyncAction a{SyncAction::Replace,
                 2,
                 {},
                 "f",
                 {},
                 "f",
                 200 * 1024,
                 200 * 1024,
                 T0.toSecsSinceEpoch(),
                 3,
                 QFileInfo(dir.path("small/f")).lastModified().toSecsSinceEpoch()};
    CmprObserver quiet;
    const auto full = ApplyPlan({a}, dir.path("big/one"), small, quiet);
    EXPECT_EQ(full[0].state, SyncOutcome::Failed);
    EXPECT_EQ(ReadBytes(dir.path("small/f")), "old");
    EXPECT_TRUE(QDir(small).entryList({"*$$$*"}, QDir::Files | QDir::Hidden).isEmpty());
}

// A file on another file system goes to that volume's trash, never copied
// across to the user's.
TEST_F(Sync, AFileOnAnotherVolumeGoesToThatVolumesTrash)
{
    const QString vol = dir.createDir("vol");
    const MountedTmpfs fs(vol, "size=1m");
    if (!fs.Ok())
        GTEST_SKIP() << "needs root to mount a file system";
    const QString f = dir.createFile("vol/sub/gone.txt", "bye");
    QString err;
    ASSERT_TRUE(MoveToTrash(f, err)) << err.toStdString();
    const QString trash = vol + "/.Trash-" + QString::number(::getuid());
    EXPECT_EQ(ReadBytes(trash + "/files/gone.txt"), "bye");
    EXPECT_TRUE(ReadBytes(trash + "/info/gone.txt.trashinfo").contains("Path=" + QUrl::toPercentEncoding(f, "/")));
    EXPECT_FALSE(QFileInfo::exists(f));
}

// A process killed while it copies: every destination old and whole or new
// and whole, every file it replaced still somewhere (in place or in the
// trash).
TEST_F(Sync, AKillWhileCopyingLosesNothing)
{
    for (int i = 0; i < 6; ++i) {
        file(QString("one/big%1").arg(i), QByteArray(8 << 20, char('a' + i)), T0.addSecs(600));
        file(QString("two/big%1").arg(i), "old", T0);
    }
    const auto plan = Plan(PlanKind::Update2);
    for (int round = 0; round < 6; ++round) {
        QDir(dir.path("share/Trash")).removeRecursively();
        const pid_t child = ::fork();
        if (child == 0) {
            CmprObserver quiet;
            ApplyPlan(plan, one(), two(), quiet);
            ::_exit(0);
        }
        ::usleep(useconds_t(5000 + 15000 * round));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (int i = 0; i < 6; ++i) {
            const QByteArray now = ReadBytes(dir.path(QString("two/big%1").arg(i)));
            EXPECT_TRUE(now == "old" || now == QByteArray(8 << 20, char('a' + i))) << "round " << round << " big" << i;
            if (now != "old") { // replaced: the old one is in the trash
                EXPECT_EQ(ReadBytes(Trashed(QString("big%1").arg(i))), "old") << "round " << round << " big" << i;
            }
        }
        if (round == 5)
            break;
        for (int i = 0; i < 6; ++i) // the old text again for the next round
            file(QString("two/big%1").arg(i), "old", T0);
    }
}
} // namespace
