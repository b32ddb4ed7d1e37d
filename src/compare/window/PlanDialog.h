#pragma once
// The preview of a plan: the actions grouped by kind, each with its path
// and a box to leave it out, the counts and bytes of what is ticked, and
// what the ticked lines write on each side against its free space, which
// follow the boxes as the user ticks them. Nothing is done unless the user
// confirms; when the ticked lines do not fit, 実行 asks again.
#include "compare/act/PlanTotals.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QTreeWidget;

class PlanDialog : public QDialog {
    Q_OBJECT
public:
    PlanDialog(const QString& title, const PlanNote& note, const std::vector<PlanLine>& lines,
               QWidget* parent = nullptr);
    // The lines with the user's choice.
    void Take(std::vector<PlanLine>& lines) const;
    QTreeWidget* Tree() const { return m_tree; }
    QLabel* SpaceLine() const { return m_space; }
    void accept() override;

private:
    void AddLine(size_t i);
    void Update();
    QTreeWidget* m_tree;
    QLabel* m_space;
    PlanTotals m_totals;
    bool m_pending = false; // an update of the texts is on its way
};

// A line's path ("ﾌｫﾙﾀﾞ2: abc/def/xyz/name.txt") shortened in the middle to
// `room` as `width` measures it ("ﾌｫﾙﾀﾞ2: abc/…/xyz/name.txt"), folders
// taken out from the middle one by one; the side and the file name are
// kept whole.
QString ShortPath(const QString& path, int room, const std::function<int(const QString&)>& width);
