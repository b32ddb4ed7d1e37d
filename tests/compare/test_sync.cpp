// Acting on a comparison, on real folders: what each plan does, and that no
// file is ever lost: conflicts are left alone, a failure fails its action
// alone, replaced and removed files go to the trash, and a stop or a kill
// leaves every file old and whole or new and whole.
#include "EngineFixture.h"

#include "compare/act/SyncRun.h"
#include "compare/act/Trash.h"
#include "support/Files.h"

#include <QDir>
#include <QUrl>
#include <csignal>
#include <sys/wait.h>
#include <thread>
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
    CmprResult Compare(const QString& a, const QString& b, CmprRule::Criterion c = CmprRule::TimeSize,
                       bool moves = false)
    {
        CmprInput in;
        in.sFld1 = a;
        in.sFld2 = b;
        in.rule.criterion = c;
        in.rule.moves = moves;
        in.walk.stamps = true;
        CmprObserver quiet;
        return CmprEngine::Run(in, quiet);
    }
    SyncPlan Plan(PlanKind k) { return MakePlan(Compare(one(), two()), k); }
    static std::vector<SyncOutcome> Apply(const SyncPlan& plan)
    {
        CmprObserver quiet;
        return ApplyPlan(plan, quiet);
    }
    static QStringList Lines(const SyncPlan& plan)
    {
        QStringList out;
        for (const SyncAction& a : plan.actions)
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
        {PlanKind::Update2, {"copy 2 only1.txt", "replace 2 d/newer1", "conflict 2 differ"}},
        {PlanKind::Update1, {"replace 1 newer2", "copy 1 only2.txt", "conflict 1 differ"}},
        {PlanKind::UpdateBoth,
         {"copy 2 only1.txt", "replace 2 d/newer1", "replace 1 newer2", "copy 1 only2.txt", "conflict 2 differ"}},
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
    const auto done = Apply(plan);
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
    EXPECT_TRUE(QDir(dir.path("two")).entryList({".fldcmpr-*"}, QDir::Files | QDir::Hidden).isEmpty());
    const CmprCounts n = Compare(one(), two()).Counts();
    EXPECT_EQ(n.rows, n.Of(CmprCode::Same));
}

// A file changed after the comparison is a conflict and left alone; a
// destination that cannot be written fails that action alone.
TEST_F(Sync, ConflictsAndFailuresAreLeftAloneAndReported)
{
    const auto plan = Plan(PlanKind::UpdateBoth);
    file("two/newer2", "changed since", T0.addSecs(1200));
    QFile::setPermissions(dir.path("two"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool root = QFile(dir.path("two/x")).open(QIODevice::WriteOnly);
    const auto out = Apply(plan);
    QFile::setPermissions(dir.path("two"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (size_t i = 0; i < plan.actions.size(); ++i) {
        const QString what = plan.actions[i].Path();
        SyncOutcome::State want = SyncOutcome::Done;
        if (what == "newer2" || what == "differ")
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
    const auto out = ApplyPlan(plan, stopper);
    EXPECT_EQ(out.back().state, SyncOutcome::NotDone);
    EXPECT_EQ(ReadBytes(dir.path("two/only2.txt")), "22");

    const QString small = dir.createDir("small");
    const MountedTmpfs fs(small, "size=64k");
    if (!fs.Ok())
        GTEST_SKIP() << "needs root to mount a small file system";
    file("big/one/f", QByteArray(200 * 1024, 'n'), T0.addSecs(600));
    file("small/f", "old", T0);
    const auto full = Apply(MakePlan(Compare(dir.path("big/one"), small), PlanKind::Update2));
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].state, SyncOutcome::Failed);
    EXPECT_EQ(ReadBytes(dir.path("small/f")), "old");
    EXPECT_TRUE(QDir(small).entryList({".fldcmpr-*"}, QDir::Files | QDir::Hidden).isEmpty());
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

// A process killed at any moment of a mixed plan (copies, replaces, files
// and a folder to the trash, folders made): every destination old and
// whole or new and whole, every replaced or removed file in the trash with
// its info file, and no temporary file seen by the next comparison.
TEST_F(Sync, AKillAtAnyMomentLosesNothing)
{
    for (int i = 0; i < 6; ++i) {
        file(QString("one/big%1").arg(i), QByteArray(8 << 20, char('a' + i)), T0.addSecs(600));
        file(QString("two/big%1").arg(i), "old", T0);
    }
    file("two/gone/sub/f", "only here");
    dir.createDir("one/new/empty");
    const auto plan = Plan(PlanKind::Mirror2);
    for (int round = 0; round < 6; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            Apply(plan);
            ::_exit(0);
        }
        ::usleep(useconds_t(3000 + 12000 * round));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (int i = 0; i < 6; ++i) {
            const QByteArray now = ReadBytes(dir.path(QString("two/big%1").arg(i)));
            EXPECT_TRUE(now == "old" || now == QByteArray(8 << 20, char('a' + i))) << "round " << round << " big" << i;
        }
        const QString trash = dir.path("share/Trash");
        for (const QString& f :
             QDir(trash + "/files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            EXPECT_TRUE(QFileInfo::exists(trash + "/info/" + f + ".trashinfo")) << f.toStdString();
        const CmprResult again = Compare(one(), two());
        for (const auto& p : again.Pairs())
            EXPECT_FALSE((p.name1 + p.name2).startsWith(".fldcmpr-")) << "round " << round;
        if (round == 5)
            break;
        QDir(trash).removeRecursively();
        for (int i = 0; i < 6; ++i) // the old text again for the next round
            file(QString("two/big%1").arg(i), "old", T0);
        file("two/gone/sub/f", "only here");
        file("two/only2.txt", "22");
    }
}

// What changed after the comparison is left alone and reported: a file
// that appeared where a copy goes, a file replaced by another of the same
// size and time, a folder on the way replaced by a link, a changed source.
TEST_F(Sync, ChangesSinceTheComparisonAreConflicts)
{
    file("one/e/new.txt", "new", T0.addSecs(600));
    dir.createDir("two/e");
    const QString outside = dir.createDir("outside");
    const auto plan = Plan(PlanKind::Update2);
    file("two/only1.txt", "saved meanwhile");
    const QByteArray old = ReadBytes(dir.path("two/d/newer1"));
    QFile::remove(dir.path("two/d/newer1")); // same bytes and second, another file
    file("two/d/newer1", old, T0);
    QDir().rename(dir.path("two/e"), dir.path("two/e-was"));
    QFile::link(outside, dir.path("two/e"));
    const auto out = Apply(plan);
    for (size_t i = 0; i < plan.actions.size(); ++i)
        EXPECT_EQ(out[i].state, SyncOutcome::Conflict) << plan.actions[i].Path().toStdString();
    EXPECT_EQ(ReadBytes(dir.path("two/only1.txt")), "saved meanwhile");
    EXPECT_EQ(ReadBytes(dir.path("two/d/newer1")), "old");
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path("share/Trash/files/newer1")));
}

// Links: a link in Folder 2 to a folder of Folder 1 that a filter kept the
// walk out of is never written through or trashed from; a link to a file
// at the destination is itself replaced or trashed, its target untouched.
TEST_F(Sync, LinksNeverLeadIntoTheOtherFolder)
{
    file("one/keep/k", "k");
    file("one/sub/s", "s");
    QFile::link(dir.path("one/keep"), dir.path("two/sub"));
    file("outside/t", "target");
    QFile::remove(dir.path("two/newer2"));
    file("outside/t2", "new two", T0.addSecs(600));
    QFile::link(dir.path("outside/t2"), dir.path("two/newer2"));
    QFile::link(dir.path("outside/t"), dir.path("two/tlink"));
    CmprInput in;
    in.sFld1 = one();
    in.sFld2 = two();
    in.walk.stamps = true;
    WalkFilter keepOut({"keep/"}, {});
    in.filter = keepOut;
    CmprObserver quiet;
    const SyncPlan plan = MakePlan(CmprEngine::Run(in, quiet), PlanKind::Mirror2);
    const auto out = Apply(plan);
    for (size_t i = 0; i < plan.actions.size(); ++i) {
        const QString p = plan.actions[i].Path();
        EXPECT_EQ(out[i].state, p.startsWith("sub") ? SyncOutcome::Conflict : SyncOutcome::Done)
            << p.toStdString() << " " << out[i].reason.toStdString();
    }
    EXPECT_EQ(ReadBytes(dir.path("one/keep/k")), "k");
    EXPECT_FALSE(QFileInfo::exists(dir.path("one/keep/s")));
    EXPECT_EQ(ReadBytes(dir.path("two/newer2")), "old"); // the link replaced by Folder 1's file
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/tlink")));
    EXPECT_EQ(ReadBytes(dir.path("outside/t")), "target");
    EXPECT_EQ(ReadBytes(dir.path("outside/t2")), "new two");
    EXPECT_TRUE(QFileInfo(Trashed("newer2")).isSymLink());
}

// Folders: a new file goes into the other side's own spelling of its
// folder, folders only on the source side are made (empty ones too), a
// folder only on the made side goes to the trash whole, and one holding
// anything the comparison did not see stays.
TEST_F(Sync, FoldersAreMadeAndTrashedWhole)
{
    file("one/Docs/new.txt", "n");
    file("two/docs/old.txt", "o");
    dir.createDir("one/empty/inner");
    file("two/gone/sub/f", "g");
    file("two/busy/f", "b");
    const auto plan = Plan(PlanKind::Mirror2);
    file("two/busy/added", "a");
    for (const SyncOutcome& o : Apply(plan))
        EXPECT_TRUE(o.state == SyncOutcome::Done || o.reason.contains("added")) << o.reason.toStdString();
    EXPECT_EQ(ReadBytes(dir.path("two/docs/new.txt")), "n");
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/Docs")));
    EXPECT_TRUE(QFileInfo(dir.path("two/empty/inner")).isDir());
    EXPECT_EQ(ReadBytes(Trashed("gone/sub/f")), "g");
    EXPECT_TRUE(QFileInfo::exists(dir.path("share/Trash/info/gone.trashinfo")));
    EXPECT_EQ(ReadBytes(dir.path("two/busy/f")), "b");
}

// Below a folder that could not be read on the source side nothing on the
// other side is trashed or replaced.
TEST_F(Sync, WhatCouldNotBeReadIsNeverActedOnByAbsence)
{
    file("one/locked/a", "a");
    file("two/locked/a", "a");
    file("two/locked/b", "b");
    if (!LockFolder(dir.path("one/locked")))
        GTEST_SKIP() << "needs a user without root rights: an unreadable folder";
    const auto plan = Plan(PlanKind::Mirror2);
    QFile::setPermissions(dir.path("one/locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(plan.unread.size(), 1u);
    EXPECT_EQ(plan.unread[0], std::make_pair(1, QString("locked")));
    EXPECT_FALSE(Lines(plan).join(' ').contains("locked"));
    EXPECT_EQ(plan.held.size(), 1u); // the folder only Folder 2 seems to have
    Apply(plan);
    EXPECT_EQ(ReadBytes(dir.path("two/locked/b")), "b");
}

// One compared folder inside the other, or the same folder: no plan.
// Times agree by the full time, the coarser clock and the tolerance, not
// by the minute.
TEST_F(Sync, RulesOfPlans)
{
    dir.createDir("one/backup");
    EXPECT_FALSE(NestedFolders(one(), dir.path("one/backup")).isEmpty());
    EXPECT_FALSE(NestedFolders(dir.path("one/backup"), one()).isEmpty());
    EXPECT_FALSE(NestedFolders(one(), one() + "/.").isEmpty());
    EXPECT_TRUE(NestedFolders(one(), dir.path("one-b")).isEmpty());
    EXPECT_FALSE(MakePlan(Compare(one(), dir.path("one/backup")), PlanKind::Mirror2).refused.isEmpty());
    QFile::link(one(), dir.path("two/link-to-one")); // Folder 1 reached from inside Folder 2
    EXPECT_FALSE(MakePlan(Compare(one(), two()), PlanKind::Mirror2).refused.isEmpty());
    QFile::remove(dir.path("two/link-to-one"));
    constexpr qint64 s = 1000000000;
    const struct {
        qint64 t1, t2, step;
        CmprRule::Tolerance tol;
        bool agree;
    } cases[] = {
        {10 * s + 5, 10 * s + 5, 1, CmprRule::None, true},
        {10 * s + 5, 10 * s + 6, 1, CmprRule::None, false},      // a nanosecond newer is newer
        {10 * s, 10 * s + 700, 1, CmprRule::None, false},        // a whole second is no wildcard
        {10 * s + 1, 11 * s + 900, 2 * s, CmprRule::None, true}, // a FAT disk's 2 s
        {10 * s, 12 * s + 1, 2 * s, CmprRule::None, false},      //
        {10 * s + 1, 12 * s, 1, CmprRule::TwoSeconds, true},     //
        {10 * s, 3610 * s + 3, 1, CmprRule::WholeHours, true},   // a disk one hour off
        {10 * s, 50 * s, 1, CmprRule::WholeHours, false},        //
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimesAgree(c.t1, c.t2, c.step, c.tol), c.agree) << c.t1 << " " << c.t2;
    QFile::link(dir.path("one/same"), dir.path("one/linked")); // copied as the file it leads to
    EXPECT_EQ(Apply(Plan(PlanKind::Update2)).back().state, SyncOutcome::Done);
    EXPECT_EQ(ReadBytes(dir.path("two/linked")), "s");
    file("one/minute", "new", T0.addSecs(-20)); // the grid's same minute, 20 s newer
    file("two/minute", "old", T0.addSecs(-40));
    EXPECT_TRUE(Lines(Plan(PlanKind::Update2)).contains("replace 2 minute"));
}

// A temporary file a killed run left is never a row, and the next plan
// writing into its folder takes it away, into the trash (a file of the
// user's may bear such a name).
TEST_F(Sync, LeftoversAreNeverRowsAndGoWithTheNextPlan)
{
    file("two/.fldcmpr-AbCd1234.tmp", "half a copy");
    for (const auto& p : Compare(one(), two()).Pairs())
        EXPECT_NE(p.name2, ".fldcmpr-AbCd1234.tmp");
    Apply(Plan(PlanKind::Update2));
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/.fldcmpr-AbCd1234.tmp")));
    EXPECT_EQ(ReadBytes(Trashed(".fldcmpr-AbCd1234.tmp")), "half a copy");
}
} // namespace
// Compared by content alone, a copy made without keeping times (equal
// bytes, another time) is left alone by every plan; other bytes follow the
// newer time as before.
TEST_F(Sync, ByContentAloneEqualBytesAreNeverCopiedAgain)
{
    file("two/same", "s", T0.addSecs(3600)); // the same bytes, an hour later
    const SyncPlan plan = MakePlan(Compare(one(), two(), CmprRule::ContentOnly), PlanKind::Mirror2,
                                   {CmprRule::ContentOnly, CmprRule::None});
    EXPECT_EQ(Lines(plan), QStringList({"replace 2 differ", "replace 2 newer2", "copy 2 only1.txt",
                                        "replace 2 d/newer1", "trash 2 only2.txt"}));
    EXPECT_TRUE(Lines(MakePlan(Compare(one(), two()), PlanKind::Mirror2)).contains("replace 2 same"));
}

// Moves: each plan renames a moved file on the side it changes (for both
// sides, the side whose file changed longer ago follows), making the
// folders it needs; a mirror then trashes the emptied old folder. Checked
// again right before: a file put at the new place meanwhile, or a moved
// file changed meanwhile, is a conflict and nothing is renamed or lost.
TEST_F(Sync, MovesAreRenamesCheckedAgainAndNeverOverAnything)
{
    file("one/new/place.txt", "moved bytes");
    file("two/old/place.txt", "moved bytes");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QFile::setPermissions(dir.path("two/old/place.txt"),
                          QFile::permissions(dir.path("two/old/place.txt"))); // changed last
    auto moves = [&](PlanKind k) {
        QStringList out;
        for (const QString& l : Lines(MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), k)))
            if (l.startsWith("move") || l.startsWith("mkdir") || l.startsWith("trash-folder"))
                out << l;
        return out;
    };
    EXPECT_EQ(moves(PlanKind::Update2), QStringList({"mkdir 2 new", "move 2 new/place.txt"}));
    EXPECT_EQ(moves(PlanKind::Update1), QStringList({"mkdir 1 old", "move 1 old/place.txt"}));
    EXPECT_EQ(moves(PlanKind::UpdateBoth), QStringList({"mkdir 2 new", "mkdir 1 old", "move 1 old/place.txt"}));
    EXPECT_EQ(moves(PlanKind::Mirror2), QStringList({"mkdir 2 new", "move 2 new/place.txt", "trash-folder 2 old"}));
    EXPECT_TRUE(Lines(Plan(PlanKind::Mirror2)).contains("copy 2 new/place.txt")); // without the option: as ever

    const SyncPlan plan = MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::Mirror2);
    file("two/new/place.txt", "put there meanwhile");
    auto state = [&](const std::vector<SyncOutcome>& out, const QString& path) {
        for (size_t i = 0; i < plan.actions.size(); ++i)
            if (plan.actions[i].Path() == path)
                return out[i].state;
        return SyncOutcome::NotDone;
    };
    auto out = Apply(plan);
    EXPECT_EQ(state(out, "new/place.txt"), SyncOutcome::Conflict);
    EXPECT_EQ(ReadBytes(dir.path("two/new/place.txt")), "put there meanwhile");
    EXPECT_EQ(ReadBytes(dir.path("two/old/place.txt")), "moved bytes"); // and its folder kept with it
    QFile::remove(dir.path("two/new/place.txt"));

    const SyncPlan again = MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::Mirror2);
    file("two/old/place.txt", "moved bytes, then changed");
    out = Apply(again);
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/new/place.txt")));
    EXPECT_EQ(ReadBytes(dir.path("two/old/place.txt")), "moved bytes, then changed");

    out = Apply(MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::Mirror1));
    for (const SyncOutcome& o : out)
        EXPECT_EQ(o.state, SyncOutcome::Done) << o.reason.toStdString();
    EXPECT_EQ(ReadBytes(dir.path("one/old/place.txt")), "moved bytes, then changed"); // other bytes: no move
    out = Apply(MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::Mirror2));
    const CmprResult after = Compare(one(), two(), CmprRule::TimeSize, true);
    EXPECT_EQ(after.Counts().rows, after.Counts().Of(CmprCode::Same));
}

// For both sides, a folder renamed on one side is followed on the other,
// however much later the other side's copies of its files were made.
TEST_F(Sync, BothSidesFollowAFolderRenamedOnOneSide)
{
    file("one/old/f.txt", "renamed with its folder");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    file("two/old/f.txt", "renamed with its folder"); // a copy made later
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(QDir().rename(dir.path("one/old"), dir.path("one/new")));
    const QStringList lines = Lines(MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::UpdateBoth));
    EXPECT_TRUE(lines.contains("move 2 new/f.txt")) << lines.join(", ").toStdString();
}

// A moved file whose new place lies on another volume (a mount point
// between) is copied and its old place trashed: a rename would be refused
// on every run.
TEST_F(Sync, AMoveAcrossAMountPointIsACopyAndATrash)
{
    const MountedTmpfs fs(dir.createDir("two/mnt"), "size=1m");
    if (!fs.Ok())
        GTEST_SKIP() << "needs root to mount a file system";
    file("one/mnt/v.txt", "travelled");
    file("two/away.txt", "travelled");
    const QStringList lines = Lines(MakePlan(Compare(one(), two(), CmprRule::TimeSize, true), PlanKind::Mirror2));
    EXPECT_TRUE(lines.contains("copy 2 mnt/v.txt") && lines.contains("trash 2 away.txt"))
        << lines.join('|').toStdString();
    EXPECT_FALSE(lines.join('|').contains("move"));
}
