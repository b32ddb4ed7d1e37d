#include "ui/PlanDialog.h"

#include "compare/rows/GridRow.h"
#include "env/NameBytes.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString Grouped(qint64 n) { return n == 0 ? QStringLiteral("0") : SizeText(n); }
QString Bytes(qint64 n) { return Grouped(n) + QStringLiteral(" ﾊﾞｲﾄ"); }
} // namespace

PlanDialog::PlanDialog(const QString& title, const QString& note, const std::vector<PlanLine>& lines, QWidget* parent)
        : QDialog(parent), m_tree(new QTreeWidget(this))
{
    setWindowTitle(title);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ｻｲｽﾞ")});
    QMap<QString, QTreeWidgetItem*> groups;
    QMap<QString, std::pair<int, qint64>> sums;
    for (size_t i = 0; i < lines.size(); ++i) {
        const PlanLine& l = lines[i];
        QTreeWidgetItem*& g = groups[l.group];
        if (!g) {
            g = new QTreeWidgetItem(m_tree);
            g->setFlags(g->flags() | Qt::ItemIsAutoTristate | Qt::ItemIsUserCheckable);
            g->setExpanded(true);
        }
        auto* it = new QTreeWidgetItem(g, {ShownName(l.path), Grouped(l.bytes)});
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(0, l.chosen ? Qt::Checked : Qt::Unchecked);
        it->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        it->setData(0, Qt::UserRole, qulonglong(i));
        sums[l.group].first += 1;
        sums[l.group].second += l.bytes;
    }
    for (auto it = groups.begin(); it != groups.end(); ++it)
        it.value()->setText(0, it.key() + QStringLiteral("  ") + QString::number(sums[it.key()].first) +
                                   QStringLiteral(" 件  ") + Bytes(sums[it.key()].second));
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("実行(&R)"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_tree, 1);
    lay->addWidget(new QLabel(note, this));
    lay->addWidget(buttons);
    resize(640, 420);
}

void PlanDialog::Take(std::vector<PlanLine>& lines) const
{
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = m_tree->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            const QTreeWidgetItem* it = group->child(c);
            lines[size_t(it->data(0, Qt::UserRole).toULongLong())].chosen = it->checkState(0) == Qt::Checked;
        }
    }
}
