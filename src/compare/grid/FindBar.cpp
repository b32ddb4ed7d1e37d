#include "compare/grid/FindBar.h"

#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

FindBar::FindBar(vSpr& grid, QWidget* parent) : QWidget(parent), m_grid(grid)
{
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(2, 2, 2, 2);
    lay->addWidget(new QLabel(QStringLiteral("検索:"), this));
    m_edit = new QLineEdit(this);
    m_edit->setPlaceholderText(QStringLiteral("ﾊﾟｽまたはﾌｧｲﾙ名"));
    lay->addWidget(m_edit, 1);
    m_count = new QLabel(this);
    lay->addWidget(m_count);
    const struct {
        const char* text;
        void (FindBar::*act)();
    } buttons[] = {{"前へ", &FindBar::Previous}, {"次へ", &FindBar::Next}, {"閉じる", &FindBar::hide}};
    for (const auto& b : buttons) {
        auto* t = new QToolButton(this);
        t->setText(QString::fromUtf8(b.text));
        connect(t, &QToolButton::clicked, this, b.act);
        lay->addWidget(t);
    }
    connect(m_edit, &QLineEdit::textChanged, this, &FindBar::Search);
    connect(m_edit, &QLineEdit::returnPressed, this, &FindBar::Next);
    // a refill or another order moves the rows
    connect(&m_grid.Model(), &QAbstractItemModel::modelReset, this, &FindBar::Search);
    connect(&m_grid.Model(), &QAbstractItemModel::layoutChanged, this, &FindBar::Search);
    hide();
}

void FindBar::Open()
{
    show();
    m_edit->setFocus(Qt::ShortcutFocusReason);
    m_edit->selectAll();
}

void FindBar::Search()
{
    if (isHidden() && m_edit->text().isEmpty())
        return;
    m_hits = m_grid.Model().Find(m_edit->text());
    m_count->setText(m_edit->text().isEmpty() ? QString() : QString::number(m_hits.size()) + QStringLiteral(" 件"));
}

void FindBar::Step(int dir)
{
    if (m_hits.empty())
        return;
    const int cur = m_grid.currentIndex().isValid() ? m_grid.currentIndex().row() : -1;
    int row;
    if (dir > 0) {
        auto it = std::upper_bound(m_hits.begin(), m_hits.end(), cur);
        row = it == m_hits.end() ? m_hits.front() : *it; // round to the first
    } else {
        auto it = std::lower_bound(m_hits.begin(), m_hits.end(), cur);
        row = it == m_hits.begin() ? m_hits.back() : *(it - 1);
    }
    const int col = m_grid.currentIndex().isValid() ? m_grid.currentIndex().column() : 0;
    const QModelIndex i = m_grid.model()->index(row, col);
    m_grid.setCurrentIndex(i);
    m_grid.scrollTo(i);
    const int at = int(std::lower_bound(m_hits.begin(), m_hits.end(), row) - m_hits.begin());
    m_count->setText(QString::number(at + 1) + QStringLiteral(" / ") + QString::number(m_hits.size()) +
                     QStringLiteral(" 件"));
}

void FindBar::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        hide();
        m_grid.setFocus();
        return;
    }
    QWidget::keyPressEvent(e);
}
