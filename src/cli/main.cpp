// fldcmpr-cli: compares two folders into the result store and prints the
// rows the grid shows, without a window.
#include "app/Usr.h"
#include "compare/CmprEngine.h"
#include "compare/ResultStore.h"
#include "compare/RowFormat.h"
#include "compare/StoreSink.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
const char* const kHelp =
    "Usage: fldcmpr-cli [--mode 0|1|2] [--db FILE] FOLDER1 FOLDER2\n"
    "\n"
    "Compares every file below FOLDER1 with the file of the same relative folder\n"
    "and name (letter case ignored) below FOLDER2, writes the result into the\n"
    "result store and prints the rows of the chosen display mode in order, one\n"
    "line per row, UTF-8, eight fields separated by a tab:\n"
    "  relative folder, name, extension, code, Folder 1 size, Folder 1 date,\n"
    "  Folder 2 size, Folder 2 date.\n"
    "In names, a backslash, tab, line feed and carriage return are written as\n"
    "\\\\, \\t, \\n and \\r, and a byte that is not valid UTF-8 as \\xHH, so every\n"
    "row is one line.\n"
    "Links to folders are followed, but each physical folder is walked once per\n"
    "side, by the first path that reaches it. A folder or file below FOLDER1 or\n"
    "FOLDER2 that cannot be read is skipped and named on standard error\n"
    "(\"fldcmpr-cli: skipped PATH (reason)\"); the run still succeeds.\n"
    "Codes: 1-* only in FOLDER1, 2-* only in FOLDER2, 1=2 same time to the minute,\n"
    "1>2 FOLDER1's copy newer, 2>1 FOLDER2's copy newer.\n"
    "\n"
    "  --mode 0   all rows (default)\n"
    "  --mode 1   rows whose code is not 1=2\n"
    "  --mode 2   rows whose code is 1>2 or 2>1\n"
    "  --db FILE  the result store to use (default: Cmpr.mdb in the usData folder\n"
    "             beside this program, created if missing)\n"
    "  --help     this text\n"
    "\n"
    "Exit status 0 on success; 1 with a one-line message on standard error when a\n"
    "folder is missing or unreadable, an option is wrong or the store cannot be\n"
    "opened.\n";

struct Options {
    int mode = 0;
    QString db;
    QStringList folders;
    bool help = false;
};

Options Parse(const QStringList& args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--mode") || a == QLatin1String("--db")) {
            if (i + 1 >= args.size())
                throw FcError(ErrKind::InvalidArgument, a + QStringLiteral(" needs a value"));
            const QString& v = args[++i];
            if (a == QLatin1String("--db")) {
                o.db = v;
                continue;
            }
            if (v != QLatin1String("0") && v != QLatin1String("1") && v != QLatin1String("2"))
                throw FcError(ErrKind::InvalidArgument, QStringLiteral("--mode takes 0, 1 or 2, not ") + v);
            o.mode = v.toInt();
        } else if (a.startsWith(QLatin1String("--"))) {
            throw FcError(ErrKind::InvalidArgument, QStringLiteral("unknown option ") + a);
        } else {
            o.folders.append(a);
        }
    }
    if (!o.help && o.folders.size() != 2)
        throw FcError(ErrKind::InvalidArgument, QStringLiteral("two folders are needed (see --help)"));
    return o;
}

// A reader that stopped reading (a pipe into head) is no failure.
struct OutputClosed {};

[[noreturn]] void OutputFailed()
{
    if (errno == EPIPE)
        throw OutputClosed{};
    throw FcError(ErrKind::FileSystem, QStringLiteral("cannot write the output (") +
                                           QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')'));
}

void Write(const QByteArray& bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        OutputFailed();
}

void Print(SqlDb& db, int mode)
{
    QString text;
    FetchRows(db, mode, 10000, [&](std::vector<GridRow>& rows) {
        text.clear();
        for (const GridRow& r : rows)
            AppendRowLine(text, r, LineStyle::Tsv);
        Write(text.toUtf8());
    });
    if (std::fflush(stdout) != 0)
        OutputFailed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN); // a closed output is seen as EPIPE and ends the run quietly
#endif
    try {
        Options o = Parse(DecodeArguments(argc, argv));
        if (o.help) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (o.db.isEmpty()) {
            Usr::Ini().W_UserData(0);
            o.db = ResultStore::DefaultPath();
        }
        ResultStore store(o.db);
        store.OpnDb();
        CmprEngine engine;
        StoreSink sink(store.Db());
        engine.Compare(o.folders[0], o.folders[1], sink);
        for (const WalkSkip& s : engine.Skipped())
            std::fprintf(stderr, "fldcmpr-cli: skipped %s (%s)\n", ShownName(s.path).toUtf8().constData(),
                         s.reason.toUtf8().constData());
        Print(store.Db(), o.mode);
        store.ClsDb();
        return 0;
    } catch (const OutputClosed&) {
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fldcmpr-cli: %s\n", ShownName(ErrText(e)).toUtf8().constData());
        return 1;
    }
}
