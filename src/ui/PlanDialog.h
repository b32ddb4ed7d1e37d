#pragma once
// The preview of a plan: the actions grouped by kind with their counts and
// bytes, each with its path and a box to leave it out, and a note on the
// free space. Nothing is done unless the user confirms.
#include "env/Dialogs.h"

#include <QDialog>
#include <vector>

class QTreeWidget;

class PlanDialog : public QDialog {
    Q_OBJECT
public:
    PlanDialog(const QString& title, const QString& note, const std::vector<PlanLine>& lines,
               QWidget* parent = nullptr);
    // The lines with the user's choice.
    void Take(std::vector<PlanLine>& lines) const;
    QTreeWidget* Tree() const { return m_tree; }

private:
    QTreeWidget* m_tree;
};
