#pragma once
// The comparison and its list: runs a comparison into the store, fills the
// grid under the display mode, switches the mode and copies the list.
// Independent of the folder trees; the main window plugs it in.
#include "compare/ResultStore.h"
#include "compare/Walker.h"

#include <QString>
#include <array>

class QAction;
class vSpr;

class CmprList {
public:
    CmprList(vSpr& grid, ResultStore& store);
    void SetMenus(const std::array<QAction*, 3>& disp, QAction* copy);

    void ShwLst();
    void mnDisp_Click(int Index);
    // The message after a run that could not read everything: the count and
    // the first paths.
    static QString SkippedText(const std::vector<WalkSkip>& skipped);
    // Every skipped path with its reason, a line each, for the clipboard.
    static QString SkippedList(const std::vector<WalkSkip>& skipped);
    // Checks the display entries by nDisp (none for a value outside 0 to 2).
    void CheckDisp();
    void CopyList();
    // One whole comparison: the wait window with the running count, the
    // engine, the grid; a failure withdraws the wait window and is reported.
    void CmprFld(const QString& sFld1, const QString& sFld2);

    int nDisp = 0;
    bool bCmprd = false;
    qint64 nRun = 0; // the run whose rows the grid shows

private:
    vSpr& m_grid;
    ResultStore& m_store;
    std::array<QAction*, 3> m_disp{};
    QAction* m_copy = nullptr;
};
