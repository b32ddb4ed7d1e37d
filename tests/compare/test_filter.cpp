// Exclusion and inclusion patterns on real folders: what each kind of
// pattern leaves out, and that an excluded folder is never opened.
#include "EngineFixture.h"

#include "env/Error.h"
#include "support/Files.h"

#include <QFile>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
class Filter : public Engine {
protected:
    void SetUp() override
    {
        for (const char* f : {"a.c", "a.TMP", "Thumbs.db", "x~", "build/out.o", "build/cache/c.bin", "docs/r.bak",
                              "docs/sub/s.bak", "src/build", "src/m.c", ".git/HEAD", "node_modules/p/i.js"})
            for (const char* side : {"one/", "two/"})
                file(side + QString(f));
    }
    // The compared files (names with their folders) under the patterns.
    QStringList Kept(const QStringList& ex, const QStringList& in = {})
    {
        CmprRequest req;
        req.sFld1 = one();
        req.sFld2 = two();
        req.filter = WalkFilter(ex, in);
        QStringList out;
        Rows rows(out);
        CmprNeeds needs;
        needs.use = [&](const CmprResult& r) { r.Emit(rows); };
        CmprObserver quiet;
        CmprRun::Run(std::move(req), needs, quiet);
        return out;
    }
    class Rows : public RowSink {
    public:
        explicit Rows(QStringList& out) : m_out(out) {}
        void Row(const CmprRow& r) override { m_out << (r.sPh.isEmpty() ? QString() : r.sPh + "/") + r.sFL; }
        void End(const QString&, const QString&, const CmprCounts&) override {}

    private:
        QStringList& m_out;
    };
};

TEST_F(Filter, EachKindOfPattern)
{
    const QStringList all = Kept({});
    ASSERT_EQ(all.size(), 12);
    const struct {
        QStringList ex, in;
        QStringList gone;
    } cases[] = {
        {{"*.tmp thumbs.db,x~"}, {}, {"a.TMP", "Thumbs.db", "x~"}},             // names, any case, either separator
        {{"build/"}, {}, {"build/out.o", "build/cache/c.bin"}},                 // folders only: src/build stays
        {{"build"}, {}, {"build/out.o", "build/cache/c.bin", "src/build"}},     // a name: files and folders
        {{"build/cache"}, {}, {"build/cache/c.bin"}},                           // a path from the compared folder
        {{"docs/*.bak"}, {}, {"docs/r.bak", "docs/sub/s.bak"}},                 // a path with a wildcard
        {{".git/", "node_modules/"}, {}, {".git/HEAD", "node_modules/p/i.js"}}, // repeated lists
        {{"[ab].c", "#.bin"}, {}, {"a.c"}},                                     // lists and digits
        {{}, {"*.c"}, {}},                                                      // inclusion: see below
        {{""}, {" , "}, {}},                                                    // empty lists: no filter
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ex.join("|").toStdString() + " / " + c.in.join("|").toStdString());
        QStringList want = all;
        for (const QString& g : c.gone)
            want.removeAll(g);
        if (!c.in.isEmpty() && !c.in.join("").trimmed().remove(',').isEmpty())
            want = {"a.c", "src/m.c"};
        EXPECT_EQ(Kept(c.ex, c.in), want);
    }
    EXPECT_THROW(WalkFilter({"ok a[b"}, {}), FcError);
    EXPECT_THROW(WalkFilter({}, {"[!x"}), FcError);
}

// An excluded folder is never opened (the kernel tells of every opening),
// so one that cannot be read is no skip either.
TEST_F(Filter, AnExcludedFolderIsNeverOpened)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(fd, 0);
    const int git = ::inotify_add_watch(fd, QFile::encodeName(dir.path("one/.git")).constData(), IN_OPEN);
    const int src = ::inotify_add_watch(fd, QFile::encodeName(dir.path("one/src")).constData(), IN_OPEN);
    file("two/locked/f");
    QFile::setPermissions(dir.path("two/locked"), QFileDevice::Permissions());
    CmprRequest req;
    req.sFld1 = one();
    req.sFld2 = two();
    req.filter = WalkFilter({".git/ locked"}, {});
    CmprObserver quiet;
    const CmprCounts n = CmprRun::Run(std::move(req), {}, quiet).counts;
    alignas(inotify_event) char buf[4096];
    bool gitOpened = false, srcOpened = false;
    for (ssize_t len; (len = ::read(fd, buf, sizeof buf)) > 0;)
        for (char* p = buf; p < buf + len; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
            const auto* e = reinterpret_cast<inotify_event*>(p);
            gitOpened = gitOpened || e->wd == git;
            srcOpened = srcOpened || e->wd == src;
        }
    ::close(fd);
    QFile::setPermissions(dir.path("two/locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(srcOpened);
    EXPECT_FALSE(gitOpened);
    EXPECT_EQ(n.skipped, 0);
    EXPECT_EQ(n.leftOutFolders, 3); // .git on both sides, locked
    EXPECT_EQ(n.rows, n.Of(CmprCode::Same));
}
// The run log keeps how each run was made (patterns, rule) and the count of
// every code; a log made before it kept them gains the columns.
TEST_F(Filter, TheRunLogKeepsHowTheRunWasMade)
{
    store.OpnDb();
    store.Db().Exec(
        "DROP TABLE tbRun; CREATE TABLE tbRun (nRun INTEGER PRIMARY KEY, sFld1 TEXT, sFld2 TEXT,"
        " dRun TEXT, nRows INTEGER, n1Only INTEGER, n2Only INTEGER, nSame INTEGER, nNew1 INTEGER,"
        " nNew2 INTEGER, nSkip INTEGER, sPrg TEXT)");
    store.ClsDb();
    file("one/d.c", "1");
    file("two/d.c", "2");
    CmprRequest req;
    req.sFld1 = one();
    req.sFld2 = two();
    req.storePath = store.Path();
    req.filter = WalkFilter({".GIT/, build"}, {"*.c"});
    req.rule = {CmprRule::Content, CmprRule::TwoSeconds};
    CmprObserver quiet;
    CmprRun::Run(std::move(req), {}, quiet);
    store.OpnDb();
    {
        SqlStmt st = store.Db().Prepare("Select sExcl, sIncl, sCrit, sTol, nSame, nDiffer, nRows From tbRun");
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Text(0), ".git/ build");
        EXPECT_EQ(st.Text(1), "*.c");
        EXPECT_EQ(st.Text(2), "content");
        EXPECT_EQ(st.Text(3), "2s");
        EXPECT_EQ(st.Int(4), 2); // a.c, src/m.c
        EXPECT_EQ(st.Int(5), 1);
        EXPECT_EQ(st.Int(6), 3);
    }
    store.ClsDb();
}
} // namespace
