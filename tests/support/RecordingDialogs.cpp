#include "support/RecordingDialogs.h"
#include "support/Printers.h"

QString RecordingDialogs::InputBox(const QString& prompt, const QString& title, const QString& def)
{
    prompts.append(prompt + QLatin1Char('|') + title + QLatin1Char('|') + def);
    if (inputAnswers.empty())
        return QString();
    QString a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

QString RecordingDialogs::BrowseFolder(const QString& title, const QString& initial)
{
    browsed.append(title + QLatin1Char('|') + initial);
    if (browseAnswers.empty())
        return QString();
    QString a = browseAnswers.front();
    browseAnswers.pop_front();
    return a;
}

static RecordingDialogs* Install(std::unique_ptr<IDialogs>& old)
{
    auto rec = std::make_unique<RecordingDialogs>();
    RecordingDialogs* p = rec.get();
    old = Usr::SetDlg(std::move(rec));
    return p;
}

DialogsScope::DialogsScope() : dlg(*Install(m_old)), m_oldCmpr(SetCmprDlg(&dlg)) {}

DialogsScope::~DialogsScope()
{
    SetCmprDlg(m_oldCmpr);
    Usr::SetDlg(std::move(m_old));
}
