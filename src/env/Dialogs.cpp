#include "env/Dialogs.h"

#include "env/NameBytes.h"

#include <cstdio>

namespace {
// Used without a display (the command-line tool): messages go to stderr,
// questions are answered with nothing, the shell is not called.
class ConsoleDialogs : public IDialogs {
public:
    void MsgBox(const QString& text) override { std::fprintf(stderr, "%s\n", ShownName(text).toUtf8().constData()); }
    bool YesNo(const QString& text) override
    {
        MsgBox(text);
        return false;
    }
    void MsgList(const QString& text, const QString&) override { MsgBox(text); }
    QString InputBox(const QString&, const QString&, const QString&) override { return QString(); }
    QString BrowseFolder(const QString&, const QString&) override { return QString(); }
    QString SaveFile(const QString&, const QString&, const QString&) override { return QString(); }
    void ShellExecute(const QString&, const QString&) override {}
};

std::unique_ptr<IDialogs>& Current()
{
    static std::unique_ptr<IDialogs> d = std::make_unique<ConsoleDialogs>();
    return d;
}
} // namespace

namespace Usr {
QString AppTitle() { return QStringLiteral("FldCmpr"); }

IDialogs& Dlg() { return *Current(); }

std::unique_ptr<IDialogs> SetDlg(std::unique_ptr<IDialogs> d)
{
    std::unique_ptr<IDialogs> old = std::move(Current());
    Current() = std::move(d);
    return old;
}
} // namespace Usr
