#include "env/CompareTool.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// The usual two-file compare programs, in the order they are looked for,
// each with its arguments.
const struct {
    const char* name;
    const char* args;
} kKnownTools[] = {
    {"meld", "%1 %2"},  {"kdiff3", "%1 %2"}, {"kompare", "%1 %2"}, {"diffuse", "%1 %2"},
    {"kdiff", "%1 %2"}, {"tkdiff", "%1 %2"}, {"xxdiff", "%1 %2"},
};

// Words as a shell splits them: blanks separate, '...' and "..." quote, a
// backslash outside single quotes takes the next character as it is.
// `closed` tells whether every quote was closed.
QStringList SplitWords(const QString& line, bool* closed = nullptr)
{
    QStringList words;
    QString w;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quote.isNull() && (c == u' ' || c == u'\t')) {
            if (inWord)
                words << w;
            w.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\' && quote != u'\'' && i + 1 < line.size())
            w += line[++i];
        else if (quote.isNull() && (c == u'\'' || c == u'"'))
            quote = c;
        else if (c == quote)
            quote = QChar();
        else
            w += c;
    }
    if (inWord)
        words << w;
    if (closed)
        *closed = quote.isNull();
    return words;
}
} // namespace

QStringList SearchPath() { return qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts); }

QStringList KnownToolNames()
{
    QStringList names;
    for (const auto& t : kKnownTools)
        names << QString::fromUtf8(t.name);
    return names;
}

QString FindProgram(const QString& program, const QStringList& dirs)
{
    if (program.isEmpty())
        return QString();
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo fi(program);
        return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
    }
    // no folders: nothing is found (QStandardPaths would read PATH itself)
    return dirs.isEmpty() ? QString() : QStandardPaths::findExecutable(program, dirs);
}

CompareTool FindCompareTool(const QStringList& dirs)
{
    for (const auto& t : kKnownTools) {
        const QString name = QString::fromUtf8(t.name);
        if (!FindProgram(name, dirs).isEmpty())
            return {name + QLatin1Char(' ') + QString::fromUtf8(t.args), name, true};
    }
    return {};
}

CompareTool ToolFor(const QString& cmdLine, const QStringList& dirs)
{
    if (cmdLine.trimmed().isEmpty())
        return FindCompareTool(dirs);
    const QStringList words = SplitWords(cmdLine);
    return {cmdLine, words.isEmpty() ? QString() : QFileInfo(words.first()).fileName(), false};
}

QStringList CompareCommand(const QString& cmdLine, const QString& p1, const QString& p2)
{
    QStringList args = SplitWords(cmdLine);
    for (QString& a : args) {
        QString out;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] == QLatin1Char('%') && i + 1 < a.size() && (a[i + 1] == u'1' || a[i + 1] == u'2')) {
                out += a[i + 1] == u'1' ? p1 : p2;
                ++i;
            } else {
                out += a[i];
            }
        }
        a = out;
    }
    return args;
}

QString CheckCompareCommand(const QString& cmdLine, const QStringList& dirs)
{
    if (cmdLine.trimmed().isEmpty())
        return QString();
    bool closed = true;
    const QStringList words = SplitWords(cmdLine, &closed);
    if (!closed)
        return QStringLiteral("閉じていない引用符があります。");
    // the placeholders are looked for in the arguments, after the program
    const QString args = QStringList(words.mid(1)).join(QLatin1Char(' '));
    if (!args.contains(QLatin1String("%1")) || !args.contains(QLatin1String("%2")))
        return QStringLiteral("引数に %1 と %2 (比較する2つのﾌｧｲﾙのﾊﾟｽ) を入れてください。");
    if (FindProgram(words.first(), dirs).isEmpty())
        return QStringLiteral("ﾌﾟﾛｸﾞﾗﾑが見つかりません: ") + words.first() +
               QStringLiteral("\n(PATH のﾌｫﾙﾀﾞにある名前か、実行できるﾌｧｲﾙのﾊﾟｽを指定してください)");
    return QString();
}

QString NoCompareToolText()
{
    return QStringLiteral("比較ﾂｰﾙが見つかりません。\nPATH から次のﾌﾟﾛｸﾞﾗﾑを探しました: ") +
           KnownToolNames().join(QStringLiteral(", ")) +
           QStringLiteral(
               "\nどれかをｲﾝｽﾄｰﾙするか、「比較(C)」ﾒﾆｭｰの「比較ﾂｰﾙの設定...」で"
               "ｺﾏﾝﾄﾞ (例: meld %1 %2) を設定してください。");
}
