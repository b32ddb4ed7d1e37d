#pragma once
// The comparison and its list: runs a comparison into the store, fills the
// grid under the display mode, switches the mode and copies the list.
// Independent of the folder trees; the main window plugs it in.
#include "compare/engine/CmprRule.h"
#include "compare/engine/Walker.h"
#include "compare/rows/DispMode.h"
#include "compare/store/ResultStore.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QAction;
class RowTable;
class vSpr;

class CmprList {
public:
    CmprList(vSpr& grid, ResultStore& store);
    // The display entries, and the entries usable once the grid is filled.
    void SetMenus(const std::array<QAction*, kDispModes>& disp, QAction* copy, QAction* save = nullptr);
    // Called after every fill of the grid.
    std::function<void()> onShown;

    // Fills the grid with the store's rows of the display mode; false,
    // changing nothing, when the store no longer holds this window's run.
    bool ShwLst();
    void mnDisp_Click(int Index);
    // The message after a run that could not read everything: the count and
    // the first paths.
    static QString SkippedText(const std::vector<WalkSkip>& skipped);
    // Every skipped path with its reason, a line each, for the clipboard.
    static QString SkippedList(const std::vector<WalkSkip>& skipped);
    // Checks the display entries by nDisp (none for a value outside them).
    void CheckDisp();
    void CopyList();
    // Saves the list as shown to a file the user picks (CSV or TSV).
    void SaveList();
    // The status line: the compared folders, when they were compared, the
    // rows shown and the count per code; it says so when `cur1` or `cur2`
    // (the folders selected now) are no longer the compared ones.
    QString StatusText(const QString& cur1, const QString& cur2) const;
    const QString& Fld1() const { return m_fld1; }
    const QString& Fld2() const { return m_fld2; }
    // One whole comparison: the wait window with the running count, the
    // engine, the grid; a failure withdraws the wait window and is reported.
    void CmprFld(const QString& sFld1, const QString& sFld2);

    DispMode nDisp = DispMode::All;
    CmprRule rule;            // how the copies of a file are compared
    QString exclude, include; // patterns of what a comparison leaves out
    QString done;             // what the last plan did, for the status line
    bool bCmprd = false;
    qint64 nRun = 0; // the run whose rows the grid shows

private:
    // Fills the grid with the rows of the display mode `filter` and ends
    // the wait window.
    void Show(std::shared_ptr<const RowTable> rows, DispMode filter);
    vSpr& m_grid;
    ResultStore& m_store;
    std::array<QAction*, kDispModes> m_disp{};
    QAction* m_copy = nullptr;
    QAction* m_save = nullptr;
    QString m_fld1, m_fld2; // compared folders of the rows shown
    QDateTime m_when;
    QString m_excluded, m_included; // the patterns of the rows shown
    CmprRule m_ruleShown;           // the rule of the rows shown
    // Every row of this window's run, kept whatever the store holds later.
    std::shared_ptr<const RowTable> m_own;
};
