// fldcmpr-cli: compares two folders without a window and prints the rows,
// for scripts: diff's exit status, tab-separated, CSV or JSON lines.
#include "app/state/Usr.h"
#include "cli/CliOptions.h"
#include "cli/Output.h"
#include "cli/PrintSink.h"
#include "cli/SyncCli.h"
#include "compare/run/CmprRun.h"
#include "compare/store/ResultStore.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/NameBytes.h"
#include "env/yIni.h"

#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <thread>

namespace {
// diff's exit status
constexpr int kSame = 0, kDiffer = 1, kTrouble = 2;

void Err(const QString& text) { std::fprintf(stderr, "fldcmpr-cli: %s\n", ShownName(text).toUtf8().constData()); }

// The store's path, only where one is asked for: --db, or with --store the
// program's own store, whose data folder is made when missing.
QString StorePath(const CliOptions& o)
{
    if (!o.Stores() || o.sync)
        return QString();
    if (!o.db.isEmpty())
        return o.db;
    Usr::Ini().W_UserData(0);
    return ResultStore::PathIn(Usr::sUsrFld);
}

// The patterns of the options; a file of them that cannot be read fails the
// run, never a run without the patterns asked for.
WalkFilter Filter(const CliOptions& o)
{
    QStringList lines;
    const Fso fs;
    for (const QString& f : o.excludeFrom) {
        QString text;
        try {
            text = fs.ReadAnsiText(f);
        } catch (const FcError& e) {
            throw FcError(ErrKind::FileSystem, QStringLiteral("--exclude-from のﾌｧｲﾙを読めません: ") + e.message());
        }
        for (QString line : text.split(QLatin1Char('\n'))) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
                lines << line.trimmed();
        }
    }
    return WalkFilter(o.exclude, o.include, lines);
}

// The comparison the options ask for: the CLI's only place that makes one.
CmprRequest RequestOf(const CliOptions& o)
{
    CmprRequest req;
    req.sFld1 = o.folders[0];
    req.sFld2 = o.folders[1];
    req.rule = o.rule;
    req.walk = o.walk;
    req.filter = Filter(o);
    req.fso = &Usr::ChkFso();
    req.storePath = StorePath(o);
    if (o.rule.ReadsContents() && !o.noCache)
        req.digestCache = Usr::DigestCacheFile();
    return req;
}

// What the printing of the rows takes from the options.
PrintSettings PrintOf(const CliOptions& o)
{
    PrintSettings s;
    s.format = o.format;
    s.mode = o.mode;
    s.header = o.header;
    s.bytes = o.bytes;
    s.bom = o.bom;
    s.summary = o.summary;
    s.quiet = o.quiet;
    s.differ = o.rule.criterion != CmprRule::Time;
    s.moves = o.rule.moves;
    s.leftOut = o.Filtered();
    return s;
}

int PrintThreads() { return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)); }

int Status(const CmprCounts& n)
{
    if (n.skipped > 0)
        return kTrouble;
    return n.rows == n.Of(CmprCode::Same) ? kSame : kDiffer;
}

void ReportSkipped(const CmprResult& r)
{
    for (const WalkSkip& s : r.Skipped())
        Err(QStringLiteral("読めないため除きました: ") + s.path + QStringLiteral(" (") + s.reason + QLatin1Char(')'));
    if (!r.CacheNote().isEmpty())
        Err(r.CacheNote());
}

// The rows are printed while the store (where one is asked for) is written
// on a thread of its own; the run gives them to the printer once the store
// has taken its write lock, so a store that cannot be opened or is held by
// another program fails the run before any row is printed. A plan is made
// from the result instead, and no store is written.
int Run(const CliOptions& o)
{
    int status = kTrouble;
    std::exception_ptr printFailed; // the rows are stored all the same
    CmprNeeds needs;
    needs.stamps = o.sync.has_value(); // a plan checks each file again against these
    needs.use = [&](const CmprResult& r) {
        ReportSkipped(r);
        if (o.sync) {
            status = RunSync({*o.sync, o.apply, o.rule}, r);
            return;
        }
        status = Status(r.Counts());
        Output out(stdout);
        try {
            // with a store, its thread has the other core; without, the
            // rows are all the work left
            PrintRows(PrintOf(o), r, out, !o.Stores() && o.walk.readers != 1 ? PrintThreads() : 1);
        } catch (const OutputClosed&) {
            // the reader has what it wanted: the status still tells the result
        } catch (...) {
            printFailed = std::current_exception();
        }
    };
    CmprObserver quiet;
    CmprRun::Run(RequestOf(o), needs, quiet);
    if (printFailed)
        std::rethrow_exception(printFailed);
    return status;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Usr::SetIniHost();
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
            std::printf("\n--store で書く比較結果ﾌｧｲﾙ: %s\n",
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
