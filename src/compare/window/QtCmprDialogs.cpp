#include "compare/window/QtCmprDialogs.h"

#include "compare/window/CompareToolDialog.h"
#include "compare/window/FilterDialog.h"
#include "compare/window/PlanDialog.h"

#include <QApplication>

namespace {
QWidget* Owner() { return QApplication::activeWindow(); }
} // namespace

bool QtCmprDialogs::EditFilters(QString& exclude, QString& include)
{
    FilterDialog d(exclude, include, Owner());
    if (d.exec() != QDialog::Accepted)
        return false;
    exclude = d.Exclude();
    include = d.Include();
    return true;
}

bool QtCmprDialogs::EditCompareTool(QString& cmd)
{
    CompareToolDialog d(cmd, Owner());
    if (d.exec() != QDialog::Accepted)
        return false;
    cmd = d.Command();
    return true;
}

bool QtCmprDialogs::ConfirmPlan(const QString& title, const PlanNote& note, std::vector<PlanLine>& lines)
{
    PlanDialog d(title, note, lines, Owner());
    return d.exec() == QDialog::Accepted && (d.Take(lines), true);
}
