#pragma once
// What a result row's files can be used for: open either side's file or the
// folder holding it, copy the two full paths, and for a row on both sides
// run the external compare command (a command line with %1 and %2 for the
// two paths, kept in the settings; when none is set, the first usual
// compare program found on PATH).
#include "env/CompareTool.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;

struct GridRow;
class vSpr;

// The two full paths of a row and the folders holding them; empty for a
// side that has no file.
struct RowPaths {
    QString file1, file2;
    QString folder1, folder2;
};
RowPaths PathsOf(const GridRow& r, const QString& sFld1, const QString& sFld2);

class RowActions : public QObject {
    Q_OBJECT
public:
    explicit RowActions(vSpr& grid);
    // The compared folders of the rows shown.
    void SetFolders(const QString& sFld1, const QString& sFld2);
    void SetCommand(const QString& cmdLine) { m_cmd = cmdLine; }
    const QString& Command() const { return m_cmd; }

    void OpenFile(int row, int side);
    void OpenFolder(int row, int side);
    void CopyPaths(int row);
    // The tool the command stands for now (PATH is searched each time, so a
    // program installed meanwhile is found).
    CompareTool Tool() const;
    // The row menu's entry: "比較ﾂｰﾙで比較 (meld)(&T)", the tool named.
    QString CompareCaption() const;
    // The compare command for a row on both sides; with no tool set or
    // found, a message says what is missing.
    void Compare(int row);
    // A double-click or Enter: the compare command for a row on both sides
    // when there is a tool, otherwise the file there is (Folder 1's first).
    void Activate(int row);
    // The context menu of a row at a screen position.
    void Menu(int row, const QPoint& at);
    // `f` adds the window's own entries to a row's context menu.
    void Extend(std::function<void(QMenu&)> f) { m_extend = std::move(f); }

private:
    RowPaths Paths(int row) const;
    void RunCompare(const RowPaths& p, const CompareTool& tool);
    vSpr& m_grid;
    std::function<void(QMenu&)> m_extend;
    QString m_fld1, m_fld2, m_cmd;
};
