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
#include <csignal>
#include <cstdio>

namespace {
// diff's exit status
constexpr int kSame = 0, kDiffer = 1, kTrouble = 2;

void Err(const QString& text) { std::fprintf(stderr, "fldcmpr-cli: %s\n", ShownName(text).toUtf8().constData()); }

void Store(const CliOptions& o, const CmprResult& r)
{
    QString db = o.db;
    if (db.isEmpty()) {
        Usr::Ini().W_UserData(0);
        db = ResultStore::DefaultPath();
    }
    ResultStore store(db);
    store.OpnDb();
    StoreSink sink(store.Db());
    r.Emit(sink);
    store.ClsDb();
}

int Status(const CmprCounts& n)
{
    if (n.skipped > 0)
        return kTrouble;
    return n.rows == n.same ? kSame : kDiffer;
}

int Run(const CliOptions& o)
{
    const CmprResult r = CmprEngine::Run(o.folders[0], o.folders[1], {}, nullptr, o.rule);
    for (const WalkSkip& s : r.Skipped())
        Err(QStringLiteral("読めないため除きました: ") + s.path + QStringLiteral(" (") + s.reason + QLatin1Char(')'));
    if (!o.noStore)
        Store(o, r);
    const int status = Status(r.Counts());
    Output out(stdout);
    PrintSink print(o, out);
    try {
        r.Emit(print);
    } catch (const OutputClosed&) {
        // the reader has what it wanted: the status still tells the result
    }
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
        return std::fflush(stdout) == 0 ? kSame : kTrouble;
    }
    try {
        return Run(o);
    } catch (const std::exception& e) {
        Err(ErrText(e));
        return kTrouble;
    }
}
