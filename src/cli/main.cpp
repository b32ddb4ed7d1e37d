// fldcmpr-cli: compares two folders without a window and prints the rows,
// for scripts: diff's exit status, tab-separated, CSV or JSON lines.
#include "app/Usr.h"
#include "cli/CliOptions.h"
#include "cli/Output.h"
#include "cli/PrintSink.h"
#include "compare/CmprEngine.h"
#include "compare/ResultStore.h"
#include "compare/StoreSink.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"

#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <future>
#include <optional>
#include <thread>

namespace {
// diff's exit status
constexpr int kSame = 0, kDiffer = 1, kTrouble = 2;

void Err(const QString& text) { std::fprintf(stderr, "fldcmpr-cli: %s\n", ShownName(text).toUtf8().constData()); }

// The rows go into the store on a thread of their own while they are
// printed. Printing waits until the store has taken its write lock, so a
// store that cannot be opened or is held by another program fails the run
// before any row is printed.
class Storing {
public:
    Storing(const CliOptions& o, const CmprResult& r) : m_store(StorePath(o))
    {
        m_store.OpnDb();
        m_job = std::async(std::launch::async, [this, &r] {
            StoreSink sink(m_store.Db());
            Started started(sink, m_begun);
            r.Emit(started);
        });
        try {
            m_begun.get_future().get();
        } catch (...) {
            m_job.wait();
            throw;
        }
    }
    // Waits for the rows to be committed; throws what went wrong.
    void Finish()
    {
        m_job.get();
        m_store.ClsDb();
    }
    ~Storing()
    {
        if (m_job.valid())
            m_job.wait();
    }

private:
    class Started : public RowSink {
    public:
        Started(RowSink& in, std::promise<void>& begun) : m_in(in), m_begun(begun) {}
        void Begin() override
        {
            try {
                m_in.Begin();
            } catch (...) {
                m_begun.set_exception(std::current_exception());
                throw;
            }
            m_begun.set_value();
        }
        void Row(const CmprRow& r) override { m_in.Row(r); }
        void End(const QString& a, const QString& b, const CmprCounts& n) override { m_in.End(a, b, n); }

    private:
        RowSink& m_in;
        std::promise<void>& m_begun;
    };

    static QString StorePath(const CliOptions& o)
    {
        if (!o.db.isEmpty())
            return o.db;
        Usr::Ini().W_UserData(0);
        return ResultStore::DefaultPath();
    }

    ResultStore m_store;
    std::promise<void> m_begun;
    std::future<void> m_job;
};

int PrintThreads() { return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

int Status(const CmprCounts& n)
{
    if (n.skipped > 0)
        return kTrouble;
    return n.rows == n.same ? kSame : kDiffer;
}

int Run(const CliOptions& o)
{
    const CmprResult r = CmprEngine::Run(o.folders[0], o.folders[1], {}, nullptr, o.rule, {}, o.walk);
    for (const WalkSkip& s : r.Skipped())
        Err(QStringLiteral("読めないため除きました: ") + s.path + QStringLiteral(" (") + s.reason + QLatin1Char(')'));
    std::optional<Storing> store;
    if (!o.noStore)
        store.emplace(o, r);
    const int status = Status(r.Counts());
    Output out(stdout);
    try {
        // with a store, its thread has the other core; without, the rows
        // are all the work left
        PrintRows(o, r, out, o.noStore && o.walk.readers != 1 ? PrintThreads() : 1);
    } catch (const OutputClosed&) {
        // the reader has what it wanted: the status still tells the result
    }
    if (store)
        store->Finish();
    return status;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN); // a closed output is seen as EPIPE and ends the run quietly
#endif
    CliOptions o;
    try {
        o = ParseCli(DecodeArguments(argc, argv).mid(1));
    } catch (const UsageError& e) {
        Err(e.text());
        std::fputs(CliUsageHint(), stderr);
        return kTrouble;
    }
    if (o.help || o.version) {
        std::fputs(o.help ? CliHelp() : "fldcmpr-cli " FLDCMPR_VERSION "\n", stdout);
        if (o.help)
            std::printf("\n既定の比較結果ﾌｧｲﾙ: %s\n",
                        ShownName(Usr::UserDataFolder() + QStringLiteral("Cmpr.mdb")).toUtf8().constData());
        return std::fflush(stdout) == 0 ? kSame : kTrouble;
    }
    try {
        return Run(o);
    } catch (const std::exception& e) {
        Err(ErrText(e));
        return kTrouble;
    }
}
