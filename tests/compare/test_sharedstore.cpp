#include "EngineFixture.h"

#include "compare/store/SqlDb.h"
#include "env/Error.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
QString Integrity(SqlDb& db)
{
    SqlStmt st = db.Prepare("PRAGMA integrity_check");
    return st.Step() ? st.Text(0) : QString();
}

qint64 Count(SqlDb& db, const char* table)
{
    SqlStmt st = db.Prepare(QString("Select Count(*) From %1").arg(table));
    return st.Step() ? st.Int(0) : -1;
}
} // namespace

// Another connection keeps reading and writing while the store is compacted
// again and again: every write lands, nothing is lost, the file stays whole.
TEST_F(Engine, CompactionWhileAnotherConnectionReadsAndWrites)
{
    for (int i = 0; i < 300; ++i)
        file(QString("one/d%1/f%2.txt").arg(i % 7).arg(i));
    file("two/x.txt");
    run(one(), two());
    const qint64 rowsBefore = qint64(rows().size());
    {
        SqlDb setup(store.Path());
        setup.Exec("Create Table If Not Exists tbOther (n INTEGER)");
    }
    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::string otherError;
    std::thread other([&] {
        try {
            SqlDb db(store.Path());
            while (!stop) {
                InTransaction(db, [&] {
                    SqlStmt ins = db.Prepare("Insert Into tbOther (n) Values (?)");
                    SqlPrm(ins, {qint64(written.load())});
                    ins.Step();
                });
                ++written;
                Count(db, "tbCmpr");
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // a writer that pauses, as real ones do
            }
        } catch (const std::exception& e) {
            otherError = e.what();
        }
    });
    int compacted = 0;
    std::string compactError;
    try {
        for (; compacted < 5; ++compacted) {
            store.CmpctDb();
            store.ClsDb();
        }
    } catch (const std::exception& e) {
        compactError = e.what();
    }
    stop = true;
    other.join();
    EXPECT_EQ(compactError, "");
    EXPECT_EQ(otherError, "");
    EXPECT_GT(written.load(), 0);
    SqlDb check(store.Path());
    EXPECT_EQ(Integrity(check), "ok");
    EXPECT_EQ(Count(check, "tbOther"), written.load());
    EXPECT_EQ(Count(check, "tbCmpr"), rowsBefore);
}

// A store another process is writing is reported as in use and left alone.
TEST_F(Engine, CompactionOfABusyStoreChangesNothing)
{
    file("one/a.txt");
    file("two/a.txt");
    run(one(), two());
    SqlDb other(store.Path());
    other.Exec("BEGIN IMMEDIATE");
    other.Exec("Delete From tbCmpr");
    store.SetBusyTimeout(100);
    try {
        store.CmpctDb();
        FAIL() << "no error";
    } catch (const FcError& e) {
        EXPECT_EQ(e.kind(), ErrKind::Busy);
        EXPECT_TRUE(e.message().contains("使用中")) << e.message().toStdString();
    }
    store.ClsDb();
    other.Exec("ROLLBACK");
    EXPECT_EQ(rows().size(), 1u);
}
