#include "app/state/StartArgs.h"

#include "env/Fso.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

namespace {
// An argument as an absolute path without "." and ".." parts, as the folder
// tree walks it by its text (what QDir::cleanPath does, every byte kept).
QString FolderPath(const QString& arg, const QString& current)
{
    const QChar sep = PathSep();
    const bool posix = NativeStyle() == PathStyle::Posix;
    QStringList parts;
    for (const QString& p : AbsolutePath(arg, current).split(sep, Qt::SkipEmptyParts)) {
        if (p != QLatin1String(".."))
            parts << p;
        else if (parts.size() > (posix ? 0 : 1)) // a drive "C:" stays
            parts.removeLast();
    }
    const QString path = parts.join(sep);
    return posix ? sep + path : path;
}
} // namespace

StartArgs ReadStartArgs(const QStringList& args, const Fso& fs, const QString& current)
{
    StartArgs s;
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h"))
        s.help = true;
    else if (args.size() == 1 && args[0] == u"--version")
        s.version = true;
    else if (!args.isEmpty() && args.size() <= 2) {
        const QString joined = AbsolutePath(args.join(QLatin1Char(' ')), current);
        if (fs.SomethingAt(joined) && !fs.FolderExists(joined))
            return s; // the launch file
        for (const QString& a : args) {
            const QString path = FolderPath(a, current);
            const bool folder = fs.FolderExists(path);
            s.folders << (folder ? path : QString());
            if (!folder)
                s.errors << (fs.SomethingAt(path) ? QStringLiteral("ﾌｫﾙﾀﾞではありません: ")
                                                  : QStringLiteral("ﾌｫﾙﾀﾞが見つかりません: ")) +
                                ShownName(path);
        }
    }
    return s;
}

const char* StartHelp()
{
    return "使い方: FldCmpr [起動ﾌｧｲﾙ | ﾌｫﾙﾀﾞ1 [ﾌｫﾙﾀﾞ2]]\n"
           "\n"
           "2つのﾌｫﾙﾀﾞの下のﾌｧｲﾙを比較するｳｨﾝﾄﾞｳを開きます。\n"
           "  起動ﾌｧｲﾙ     ﾌｫﾙﾀﾞ1 とｳｨﾝﾄﾞｳの位置を書いたﾌｧｲﾙ\n"
           "  ﾌｫﾙﾀﾞ1 ﾌｫﾙﾀﾞ2 2つのﾌｫﾙﾀﾞを開いてすぐに比較する\n"
           "  ﾌｫﾙﾀﾞ1       ﾌｫﾙﾀﾞ1 をそのﾌｫﾙﾀﾞで開く\n"
           "  --help       この説明を表示する\n"
           "  --version    版を表示する\n"
           "\n"
           "設定と比較結果は、ﾌﾟﾛｸﾞﾗﾑと同じ場所の usData ﾌｫﾙﾀﾞ(書けなければ\n"
           "~/.local/share/FldCmpr/usData)に置きます。\n";
}
