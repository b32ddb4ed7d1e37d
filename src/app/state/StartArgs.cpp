#include "app/state/StartArgs.h"

#include "env/Fso.h"
#include "env/PathRules.h"

#include <QDir>

StartArgs ReadStartArgs(const QStringList& args, const Fso& fs)
{
    StartArgs s;
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h"))
        s.help = true;
    else if (args.size() == 1 && args[0] == u"--version")
        s.version = true;
    else if (!args.isEmpty() && args.size() <= 2) {
        QStringList folders;
        for (const QString& a : args)
            if (fs.FolderExists(OpenPath(a)))
                folders << QDir::cleanPath(QDir::current().absoluteFilePath(a));
        if (folders.size() == args.size())
            s.folders = folders;
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
