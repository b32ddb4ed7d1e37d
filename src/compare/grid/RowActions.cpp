#include "compare/grid/RowActions.h"

#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "env/CompareTool.h"
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

CompareTool RowActions::Tool() const { return ToolFor(m_cmd, SearchPath()); }

void RowActions::RunCompare(const RowPaths& p, const CompareTool& tool)
{
    QStringList args = CompareCommand(tool.cmdLine, p.file1, p.file2);
    const QString program = args.isEmpty() ? QString() : args.takeFirst();
    // detached: the tool outlives the program, and no child is left unreaped
    if (program.isEmpty() || !QProcess::startDetached(program, args))
        Usr::Dlg().MsgBox(QStringLiteral("比較ﾂｰﾙを起動できません") + QLatin1Char('\n') + tool.cmdLine);
}

void RowActions::Compare(int row)
{
    const RowPaths p = Paths(row);
    if (p.file1.isEmpty() || p.file2.isEmpty())
        return;
    const CompareTool tool = Tool();
    if (!tool.Usable())
        Usr::Dlg().MsgBox(NoCompareToolText());
    else
        RunCompare(p, tool);
}

void RowActions::Activate(int row)
{
    const RowPaths p = Paths(row);
    if (!p.file1.isEmpty() && !p.file2.isEmpty()) {
        const CompareTool tool = Tool();
        if (tool.Usable()) {
            RunCompare(p, tool);
            return;
        }
    }
    OpenFile(row, p.file1.isEmpty() ? 2 : 1);
}

QString RowActions::CompareCaption() const
{
    const CompareTool tool = Tool();
    if (!tool.Usable() || tool.name.isEmpty())
        return QStringLiteral("比較ﾂｰﾙで比較(&T)");
    QString name = tool.name;
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("比較ﾂｰﾙで比較 (") + name + QStringLiteral(")(&T)");
}

void RowActions::Menu(int row, const QPoint& at)
{
    const RowPaths p = Paths(row);
    QMenu menu(&m_grid);
    const struct {
        QString text;
        bool enabled;
        std::function<void()> act;
    } items[] = {
        {QStringLiteral("ﾌｫﾙﾀﾞ1のﾌｧｲﾙを開く(&1)"), !p.file1.isEmpty(), [=, this] { OpenFile(row, 1); }},
        {QStringLiteral("ﾌｫﾙﾀﾞ2のﾌｧｲﾙを開く(&2)"), !p.file2.isEmpty(), [=, this] { OpenFile(row, 2); }},
        {QStringLiteral("ﾌｫﾙﾀﾞ1のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&3)"), !p.file1.isEmpty(), [=, this] { OpenFolder(row, 1); }},
        {QStringLiteral("ﾌｫﾙﾀﾞ2のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&4)"), !p.file2.isEmpty(), [=, this] { OpenFolder(row, 2); }},
        {QStringLiteral("2つのﾊﾟｽをｺﾋﾟｰ(&P)"), true, [=, this] { CopyPaths(row); }},
        // enabled without a tool too: choosing it then says what is missing
        {CompareCaption(), !p.file1.isEmpty() && !p.file2.isEmpty(), [=, this] { Compare(row); }},
    };
    for (const auto& it : items) {
        QAction* a = menu.addAction(it.text);
        a->setEnabled(it.enabled);
        connect(a, &QAction::triggered, this, it.act);
    }
    if (m_extend) {
        menu.addSeparator();
        m_extend(menu);
    }
    menu.exec(at);
}
