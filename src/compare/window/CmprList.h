#pragma once
// The comparison and its list: runs a comparison into the store, fills the
// grid under the display mode, switches the mode and copies the list.
// Independent of the folder trees; the main window plugs it in.
#include "compare/rows/DispMode.h"
#include "compare/run/CmprRun.h"
#include "compare/store/ResultStore.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class CmprSettings;
class QAction;
class RowTable;
class vSpr;

class CmprList {
public:
    CmprList(vSpr& grid, ResultStore& store);
    // The display entries, and the entries usable once the grid is filled.
    void SetMenus(const std::array<QAction*, kDispModes>& disp, QAction* copy, QAction* save = nullptr);
    // `f` is called after every fill of the grid.
    void OnShown(std::function<void()> f) { m_onShown = std::move(f); }

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
    // rows shown and the count per code, the rule and patterns they were
    // made with; it says so when `cur1` or `cur2` (the folders selected now)
    // are no longer the compared ones, or `now` is set otherwise.
    QString StatusText(const QString& cur1, const QString& cur2, const CmprSettings& now) const;
    const QString& Fld1() const { return m_shown.sFld1; }
    const QString& Fld2() const { return m_shown.sFld2; }
    bool Compared() const { return bCmprd; }
    DispMode Disp() const { return nDisp; }
    // The display mode the next fill uses.
    void SetDisp(DispMode d) { nDisp = d; }
    // One whole comparison of two folders the way `how` says, into the
    // store: the wait window with the running count, the run, the grid; a
    // failure withdraws the wait window and is reported. `done` (what a plan
    // did just before) goes on the status line.
    void CmprFld(const CmprSettings& how, const QString& sFld1, const QString& sFld2, const QString& done = QString());
    // Takes the store's rows of run `run` as this window's result, as if it
    // had made them.
    void Adopt(qint64 run)
    {
        bCmprd = true;
        nRun = run;
    }

private:
    // Fills the grid with the rows of the display mode `filter` and ends
    // the wait window.
    void Show(std::shared_ptr<const RowTable> rows, DispMode filter);
    vSpr& m_grid;
    ResultStore& m_store;
    std::array<QAction*, kDispModes> m_disp{};
    QAction* m_copy = nullptr;
    QAction* m_save = nullptr;
    DispMode nDisp = DispMode::All;
    bool bCmprd = false;
    qint64 nRun = 0;   // the run whose rows the grid shows
    CmprInput m_shown; // what the rows shown compared, and how
    QDateTime m_when;
    QString m_done; // what the last plan did, for the status line
    std::function<void()> m_onShown;
    // Every row of this window's run, kept whatever the store holds later.
    std::shared_ptr<const RowTable> m_own;
};
