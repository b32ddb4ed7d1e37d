#include "compare/grid/RowActions.h"

#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "env/Dialogs.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <functional>

RowPaths PathsOf(const GridRow& r, const QString& sFld1, const QString& sFld2)
{
    const auto folder = [&](const QString& root) { return r.sPh.isEmpty() ? root : JoinPath(root, r.sPh); };
    RowPaths p;
    if (HasSide(r.sED, 1)) {
        p.folder1 = folder(sFld1);
        p.file1 = JoinPath(p.folder1, r.sFL);
    }
    if (HasSide(r.sED, 2)) {
        p.folder2 = folder(sFld2);
        p.file2 = JoinPath(p.folder2, r.sFL);
    }
    return p;
}

namespace {
// Words as a shell splits them: blanks separate, '...' and "..." quote, a
// backslash outside single quotes takes the next character as it is.
QStringList SplitWords(const QString& line)
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
    return words;
}
} // namespace

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

RowActions::RowActions(vSpr& grid) : QObject(&grid), m_grid(grid)
{
    connect(&grid, &vSpr::RowActivated, this, &RowActions::Activate);
    connect(&grid, &vSpr::RowMenu, this, &RowActions::Menu);
}

void RowActions::SetFolders(const QString& sFld1, const QString& sFld2)
{
    m_fld1 = sFld1;
    m_fld2 = sFld2;
}

RowPaths RowActions::Paths(int row) const { return PathsOf(m_grid.Model().Row(row), m_fld1, m_fld2); }

void RowActions::OpenFile(int row, int side)
{
    const RowPaths p = Paths(row);
    const QString& f = side == 1 ? p.file1 : p.file2;
    if (!f.isEmpty())
        Usr::Dlg().ShellExecute(QStringLiteral("open"), f);
}

void RowActions::OpenFolder(int row, int side)
{
    const RowPaths p = Paths(row);
    const QString& f = side == 1 ? p.folder1 : p.folder2;
    if (!f.isEmpty())
        Usr::Dlg().ShellExecute(QStringLiteral("open"), f);
}

void RowActions::CopyPaths(int row)
{
    const RowPaths p = Paths(row);
    QGuiApplication::clipboard()->setText(ShownName(p.file1) + QLatin1Char('\n') + ShownName(p.file2) +
                                          QLatin1Char('\n'));
}

void RowActions::Activate(int row)
{
    const RowPaths p = Paths(row);
    if (!p.file1.isEmpty() && !p.file2.isEmpty() && !m_cmd.trimmed().isEmpty()) {
        QStringList args = CompareCommand(m_cmd, p.file1, p.file2);
        const QString program = args.isEmpty() ? QString() : args.takeFirst();
        if (program.isEmpty() || !QProcess::startDetached(program, args))
            Usr::Dlg().MsgBox(QStringLiteral("比較ﾂｰﾙを起動できません") + QLatin1Char('\n') + m_cmd);
        return;
    }
    OpenFile(row, p.file1.isEmpty() ? 2 : 1);
}

void RowActions::Menu(int row, const QPoint& at)
{
    const RowPaths p = Paths(row);
    QMenu menu(&m_grid);
    const struct {
        const char* text;
        bool enabled;
        std::function<void()> act;
    } items[] = {
        {"ﾌｫﾙﾀﾞ1のﾌｧｲﾙを開く(&1)", !p.file1.isEmpty(), [=, this] { OpenFile(row, 1); }},
        {"ﾌｫﾙﾀﾞ2のﾌｧｲﾙを開く(&2)", !p.file2.isEmpty(), [=, this] { OpenFile(row, 2); }},
        {"ﾌｫﾙﾀﾞ1のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&3)", !p.file1.isEmpty(), [=, this] { OpenFolder(row, 1); }},
        {"ﾌｫﾙﾀﾞ2のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&4)", !p.file2.isEmpty(), [=, this] { OpenFolder(row, 2); }},
        {"2つのﾊﾟｽをｺﾋﾟｰ(&P)", true, [=, this] { CopyPaths(row); }},
        {"比較ﾂｰﾙで比較(&T)", !p.file1.isEmpty() && !p.file2.isEmpty() && !m_cmd.trimmed().isEmpty(),
         [=, this] { Activate(row); }},
    };
    for (const auto& it : items) {
        QAction* a = menu.addAction(QString::fromUtf8(it.text));
        a->setEnabled(it.enabled);
        connect(a, &QAction::triggered, this, it.act);
    }
    if (extend) {
        menu.addSeparator();
        extend(menu);
    }
    menu.exec(at);
}
