#pragma once
// Everything that asks the user or the desktop: message boxes, the input
// box, the folder browse dialog and shell actions. The program installs the
// Qt implementation; tests install one that answers and records.
#include <QString>
#include <memory>

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
