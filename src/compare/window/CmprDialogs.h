#pragma once
// The comparison window's own dialogs: what a comparison leaves out, the
// external compare command and the preview of a plan. The program installs
// the Qt ones at start; tests install one that answers and records. With
// none installed every dialog is cancelled.
#include "compare/act/PlanLine.h"

#include <QString>
#include <vector>

class ICmprDialogs {
public:
    virtual ~ICmprDialogs() = default;
    // The dialog of what a comparison leaves out, filled with the lists;
    // false when cancelled, otherwise the lists as set (checked patterns).
    virtual bool EditFilters(QString& exclude, QString& include) = 0;
    // The dialog of the external compare command, filled with `cmd`; false
    // when cancelled, otherwise the command as set (checked; empty: the
    // automatic choice).
    virtual bool EditCompareTool(QString& cmd) = 0;
    // The preview of a plan: its lines grouped, with the counts and bytes of
    // the ticked ones, what they write on each side against its free space,
    // and the note; true when the user carries it out, with the lines they
    // left out unchosen.
    virtual bool ConfirmPlan(const QString& title, const PlanNote& note, std::vector<PlanLine>& lines) = 0;
};

namespace CmprDialogs {
// Every dialog cancelled: what a window asks with none installed.
class None final : public ICmprDialogs {
public:
    bool EditFilters(QString&, QString&) override { return false; }
    bool EditCompareTool(QString&) override { return false; }
    bool ConfirmPlan(const QString&, const PlanNote&, std::vector<PlanLine>&) override { return false; }
};

// Defined here, so that a test's support code installs a service without
// linking the window.
inline ICmprDialogs* installed = nullptr;
} // namespace CmprDialogs

// The service in force.
inline ICmprDialogs& CmprDlg()
{
    static CmprDialogs::None none;
    return CmprDialogs::installed ? *CmprDialogs::installed : none;
}

// Installs a service its installer keeps alive (nullptr: none); returns the
// one it replaces.
inline ICmprDialogs* SetCmprDlg(ICmprDialogs* d)
{
    ICmprDialogs* old = CmprDialogs::installed;
    CmprDialogs::installed = d;
    return old;
}
