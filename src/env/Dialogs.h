#pragma once
// Everything that asks the user or the desktop: message boxes, the input
// box, the folder browse dialog and shell actions. The program installs the
// Qt implementation; tests install one that answers and records.
#include <QString>
#include <memory>
#include <vector>

// One action of a plan as its preview lists it, under its group ("ｺﾋﾟｰ",
// "置き換え(古いﾌｧｲﾙはごみ箱へ)", "ごみ箱へ"); the user may leave it out.
struct PlanLine {
    QString group, path; // path: "ﾌｫﾙﾀﾞ2: sub/a.txt"
    qint64 bytes = 0;
    bool chosen = true;
    int side = 0;                // the side it changes: 1 or 2
    bool writes = false;         // writes `bytes` on that side: a copy or a replace
    bool replaces = false;       // writes over a file, which the trash keeps on the same volume
    bool olderOverNewer = false; // a replace that puts an older file over a newer one
    bool shownOnly = false;      // never carried out (a conflict, an action held back): not tickable
};

// What a preview shows beside its lines: a note (the filters in force, what
// could not be read) and each side's free space, against which it weighs
// what the ticked lines write there.
struct PlanNote {
    QString text;
    qint64 free[3] = {-1, -1, -1}; // by side, 1 and 2; -1 when not known
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Message box with an OK button and the program's title.
    virtual void MsgBox(const QString& text) = 0;
    // Message box with Yes and No, No the default; true for Yes.
    virtual bool YesNo(const QString& text) = 0;
    // Message box whose "ｺﾋﾟｰ" button puts `list` (the whole list the
    // message names, one entry a line) on the clipboard; OK closes it.
    virtual void MsgList(const QString& text, const QString& list) = 0;
    // Input box; empty text when cancelled.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& def) = 0;
    // Folder browse dialog starting at `initial` (empty: nothing selected);
    // the chosen folder, or empty text when cancelled.
    virtual QString BrowseFolder(const QString& title, const QString& initial) = 0;
    // Save dialog offering `name` in the folder last used, with file type
    // filters ("CSV (*.csv);;TSV (*.tsv)"); the chosen path, or empty text
    // when cancelled.
    virtual QString SaveFile(const QString& title, const QString& name, const QString& filters) = 0;
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
    // Shell action on a local file or folder: verb "open" or "explore".
    virtual void ShellExecute(const QString& verb, const QString& path) = 0;
};

namespace Usr {
// The program's title in message boxes and input boxes.
QString AppTitle();
IDialogs& Dlg();
// Installs a service; returns the one it replaces.
std::unique_ptr<IDialogs> SetDlg(std::unique_ptr<IDialogs> d);
} // namespace Usr
