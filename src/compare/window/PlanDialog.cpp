#include "compare/window/PlanDialog.h"

#include "compare/rows/GridRow.h"
#include "env/Dialogs.h"
#include "env/NameBytes.h"

#include <QApplication>
#include <QColor>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kLine = Qt::UserRole; // a line's index in the plan; none on a group heading

// Draws a line's path shortened in the middle to the width of its column.
class ShortPathDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        if (index.column() == 0 && index.data(kLine).isValid()) {
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
            const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).width() - 2 * margin;
            opt.text =
                ShortPath(opt.text, room, [&](const QString& s) { return opt.fontMetrics.horizontalAdvance(s); });
        }
        style->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
    }
};

// Groups of older files put over newer ones come first, those never
// carried out last, the others in the order of their first line.
int Rank(const PlanLine& l) { return l.shownOnly ? 2 : l.olderOverNewer ? 0 : 1; }
} // namespace

QString ShortPath(const QString& path, int room, const std::function<int(const QString&)>& width)
{
    if (width(path) <= room)
        return path;
    const qsizetype colon = path.indexOf(QLatin1String(": "));
    const QString side = colon < 0 ? QString() : path.left(colon + 2);
    const QStringList parts = path.mid(side.size()).split(QLatin1Char('/'));
    const qsizetype folders = parts.size() - 1;
    QString shown = path;
    for (qsizetype keep = folders - 1; keep >= 0; --keep) {
        const qsizetype left = (keep + 1) / 2, right = keep - left;
        shown = side + QStringList(parts.mid(0, left) + QStringList{QStringLiteral("…")} +
                                   parts.mid(folders - right, right) + QStringList{parts.last()})
                           .join(QLatin1Char('/'));
        if (width(shown) <= room)
            break;
    }
    return shown;
}

PlanDialog::PlanDialog(const QString& title, const PlanNote& note, const std::vector<PlanLine>& lines, QWidget* parent)
        : QDialog(parent), m_tree(new QTreeWidget(this)), m_space(new QLabel(this)), m_totals(lines, note)
{
    setWindowTitle(title);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ｻｲｽﾞ")});
    m_tree->setItemDelegate(new ShortPathDelegate(m_tree));
    for (int rank : {0, 1, 2})
        for (size_t i = 0; i < lines.size(); ++i)
            if (Rank(lines[i]) == rank)
                AddLine(i);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(m_tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it, int column) {
        const QVariant i = it->data(0, kLine);
        if (column != 0 || !i.isValid())
            return;
        const PlanLine& l = m_totals.Lines()[size_t(i.toULongLong())];
        if (l.shownOnly && it->checkState(0) != Qt::Unchecked) // a group's box reaches it too
            it->setCheckState(0, Qt::Unchecked);
        m_totals.Choose(size_t(i.toULongLong()), it->checkState(0) == Qt::Checked);
        // a group's box ticks each of its lines: the texts are written once after
        if (!m_pending) {
            m_pending = true;
            QTimer::singleShot(0, this, [this] { Update(); });
        }
    });
    auto* noteLine = new QLabel(ShownName(note.text), this);
    noteLine->setWordWrap(true);
    noteLine->setVisible(!note.text.isEmpty());
    m_space->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("実行(&R)"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_tree, 1);
    lay->addWidget(m_space);
    lay->addWidget(noteLine);
    lay->addWidget(buttons);
    Update();
    resize(720, 480);
}

// The line under its group's heading, the group made at its first line.
void PlanDialog::AddLine(size_t i)
{
    const PlanLine& l = m_totals.Lines()[i];
    QTreeWidgetItem* g = nullptr;
    for (int n = 0; n < m_tree->topLevelItemCount() && !g; ++n)
        if (m_tree->topLevelItem(n)->data(1, Qt::UserRole).toString() == l.group)
            g = m_tree->topLevelItem(n);
    if (!g) {
        g = new QTreeWidgetItem(m_tree);
        g->setData(1, Qt::UserRole, l.group);
        g->setFlags(l.shownOnly ? g->flags() & ~Qt::ItemIsUserCheckable
                                : g->flags() | Qt::ItemIsAutoTristate | Qt::ItemIsUserCheckable);
        g->setExpanded(true);
        g->setFirstColumnSpanned(true);
    }
    const QString path = ShownName(l.path);
    auto* it = new QTreeWidgetItem(g, {path, l.bytes == 0 ? QStringLiteral("0") : SizeText(l.bytes)});
    it->setToolTip(0, path);
    it->setData(0, kLine, qulonglong(i));
    it->setFlags(l.shownOnly ? it->flags() & ~Qt::ItemIsUserCheckable : it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(0, l.chosen ? Qt::Checked : Qt::Unchecked);
    it->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    if (l.olderOverNewer)
        for (QTreeWidgetItem* marked : {g, it})
            marked->setForeground(0, QColor(Qt::darkRed));
}

// The headings and the space line as the boxes are now.
void PlanDialog::Update()
{
    m_pending = false;
    for (int n = 0; n < m_tree->topLevelItemCount(); ++n) {
        QTreeWidgetItem* g = m_tree->topLevelItem(n);
        g->setText(0, m_totals.Heading(g->data(1, Qt::UserRole).toString()));
    }
    m_space->setText(m_totals.Space());
    const QString sheet = m_totals.Fits() ? QString() : QStringLiteral("color: #b00000");
    if (m_space->styleSheet() != sheet)
        m_space->setStyleSheet(sheet);
}

void PlanDialog::accept()
{
    // the ticked lines do not fit: the user is asked again, and No returns to the preview
    if (!m_totals.Fits() && !Usr::Dlg().YesNo(m_totals.Shortfall()))
        return;
    QDialog::accept();
}

void PlanDialog::Take(std::vector<PlanLine>& lines) const
{
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i].chosen = m_totals.Lines()[i].chosen;
}
