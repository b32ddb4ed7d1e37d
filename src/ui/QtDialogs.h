#pragma once
// The dialog and shell service of the running program, on Qt widgets.
#include "env/Dialogs.h"

class QWidget;

class QtDialogs : public IDialogs {
public:
    void MsgBox(const QString& text) override;
    bool YesNo(const QString& text) override;
    void MsgList(const QString& text, const QString& list) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& def) override;
    QString BrowseFolder(const QString& title, const QString& initial) override;
    QString SaveFile(const QString& title, const QString& name, const QString& filters) override;
    void ShellExecute(const QString& verb, const QString& path) override;
};
