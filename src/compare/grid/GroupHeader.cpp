#include "compare/grid/GroupHeader.h"

#include "compare/grid/ResultModel.h"

#include <QPainter>

GroupHeader::GroupHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setDefaultAlignment(Qt::AlignCenter);
}

QString GroupHeader::Marked(int logical, const QString& text) const
{
    const auto* m = qobject_cast<const ResultModel*>(model());
    if (!m || m->SortColumn() != logical)
        return text;
    return text + (m->SortOrder() == Qt::AscendingOrder ? QStringLiteral(" ▲") : QStringLiteral(" ▼"));
}

QSize GroupHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(2 * (fontMetrics().height() + 6));
    return s;
}

void GroupHeader::PaintCell(QPainter* p, const QRect& r, const QString& text) const
{
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = r;
    opt.text = text;
    opt.textAlignment = Qt::AlignCenter;
    opt.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_Header, &opt, p, this);
}

void GroupHeader::paintSection(QPainter* p, const QRect& rect, int logical) const
{
    QString sub = ResultModel::SubHeader(logical);
    if (sub.isEmpty()) {
        PaintCell(p, rect, Marked(logical, ResultModel::TopHeader(logical)));
        return;
    }
    QRect lower = rect;
    lower.setTop(rect.top() + rect.height() / 2);
    PaintCell(p, lower, Marked(logical, sub));
}

void GroupHeader::paintEvent(QPaintEvent* e)
{
    QHeaderView::paintEvent(e);
    QPainter p(viewport());
    int half = height() / 2;
    for (int col = 0; col < count(); ++col) {
        if (ResultModel::GroupSpan(col) < 2)
            continue;
        int x = sectionViewportPosition(col);
        int w = sectionSize(col) + sectionSize(col + 1);
        PaintCell(&p, QRect(x, 0, w, half), ResultModel::TopHeader(col));
    }
}
