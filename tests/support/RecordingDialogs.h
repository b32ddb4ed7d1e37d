#pragma once
// A dialog service for tests: records every message and shell call and
// answers input boxes, questions, browse dialogs and the comparison
// window's dialogs from queues.
#include "compare/act/PlanTotals.h"
#include "compare/window/CmprDialogs.h"
#include "env/Dialogs.h"

#include <QStringList>
#include <deque>
#include <utility>

class RecordingDialogs : public IDialogs, public ICmprDialogs {
public:
    void MsgBox(const QString& text) override { messages.append(text); }
    bool YesNo(const QString& text) override
    {
        questions.append(text);
        if (yesNoAnswers.empty())
            return false;
        const bool yes = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return yes;
    }
    void MsgList(const QString& text, const QString& list) override
    {
        messages.append(text);
        lists.append(list);
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& def) override;
    QString BrowseFolder(const QString& title, const QString& initial) override;
    QString SaveFile(const QString& title, const QString& name, const QString& filters) override
    {
        saved.append(title + QLatin1Char('|') + name + QLatin1Char('|') + filters);
        return saveAnswers.empty() ? QString() : saveAnswers.front();
    }
    bool EditFilters(QString& exclude, QString& include) override
    {
        filtersShown.append(exclude + QLatin1Char('|') + include);
        if (filterAnswers.empty())
            return false;
        exclude = filterAnswers.front().first;
        include = filterAnswers.front().second;
        filterAnswers.pop_front();
        return true;
    }
    bool EditCompareTool(QString& cmd) override
    {
        toolsShown.append(cmd);
        if (toolAnswers.empty())
            return false;
        cmd = toolAnswers.front();
        toolAnswers.pop_front();
        return true;
    }
    bool ConfirmPlan(const QString& title, const PlanNote& note, std::vector<PlanLine>& lines) override
    {
        plans.append(title + QLatin1Char('|') + PlanTotals(lines, note).Space() +
                     (note.text.isEmpty() ? QString() : QLatin1Char('\n') + note.text));
        planLines = lines;
        if (planAnswers.empty())
            return false;
        const QStringList leaveOut = planAnswers.front();
        planAnswers.pop_front();
        for (PlanLine& l : lines)
            l.chosen = !l.shownOnly && !leaveOut.contains(l.path);
        return true;
    }
    void ShellExecute(const QString& verb, const QString& path) override
    {
        shell.append(verb + QLatin1Char(' ') + path);
    }

    QStringList messages;
    QStringList lists; // the copyable list of each MsgList, beside its message
    QStringList shell;
    QStringList prompts; // "prompt|title|default" of each input box
    QStringList browsed; // "title|initial" of each browse dialog
    std::deque<QString> inputAnswers;
    std::deque<QString> browseAnswers;
    QStringList saved;                                     // "title|name|filters" of each save dialog
    std::deque<QString> saveAnswers;                       // the first is given every time
    QStringList filtersShown;                              // "exclude|include" the filter dialog opened with
    std::deque<std::pair<QString, QString>> filterAnswers; // none left: cancelled
    QStringList toolsShown;                                // the command the compare tool dialog opened with
    std::deque<QString> toolAnswers;                       // none left: cancelled
    QStringList questions;                                 // the text of each Yes/No question
    std::deque<bool> yesNoAnswers;                         // none left: No
    QStringList plans;                                     // "title|space\nnote" of each preview, the space as it opens
    std::vector<PlanLine> planLines;                       // the lines of the last preview
    std::deque<QStringList> planAnswers;                   // paths left out; none left: cancelled
};

// Installs a RecordingDialogs as both services for the life of the object.
class DialogsScope {
public:
    DialogsScope();
    ~DialogsScope();

private:
    std::unique_ptr<IDialogs> m_old; // set before dlg is bound

public:
    RecordingDialogs& dlg;

private:
    ICmprDialogs* m_oldCmpr; // set once dlg is bound
};
