#include "foldertree/view/uTrD.h"

#include "app/state/Usr.h"
#include "env/NameBytes.h"
#include "foldertree/view/TreeItemModel.h"
#include "ui/Guard.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

uTrD::uTrD(QWidget* parent)
        : QWidget(parent), Drive1(new QComboBox(this)), cmFld(new QToolButton(this)), trView(new QTreeView(this)),
          m_model(new TreeItemModel(m_t.trView, this)), Timer1(new QTimer(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->setSpacing(2);
    grid->addWidget(Drive1, 0, 0);
    grid->addWidget(cmFld, 0, 1);
    grid->addWidget(trView, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    cmFld->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
    cmFld->setToolTip(QStringLiteral("ﾌｫﾙﾀﾞの指定"));
    Drive1->setMinimumWidth(10);
    trView->setModel(m_model);
    trView->setHeaderHidden(true);
    // long folder names scroll sideways instead of being cut short
    trView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    trView->header()->setStretchLastSection(false);
    trView->setUniformRowHeights(true);
    trView->setMinimumSize(10, 10);
    trView->viewport()->installEventFilter(this);
    Timer1->setInterval(1000);
    setMinimumSize(12, 12);
    ShowDrives();
    Connect();
}

void uTrD::Connect()
{
    m_t.eCngRt = [this](const QString& s) { emit eCngRt(s); };
    m_t.eCngDr = [this](const QString& s) { emit eCngDr(s); };
    m_t.eChkExp = [this] { emit eChkExp(); };
    m_t.eRClick = [this] { emit eRClick(); };
    m_t.Drive1.ListChanged = [this] { ShowDrives(); };

    connect(m_model, &TreeItemModel::expansionWanted, this,
            [this](const QModelIndex& i, bool on) { trView->setExpanded(i, on); });
    connect(m_model, &TreeItemModel::selectionWanted, this, [this](const QModelIndex& i) {
        QSignalBlocker b(trView->selectionModel());
        trView->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
        trView->viewport()->update();
        if (i.isValid())
            trView->scrollTo(i);
    });
    connect(trView, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { Usr::Guard([&] { m_model->NodeOf(i)->SetExpanded(true); }); });
    connect(trView, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { Usr::Guard([&] { m_model->NodeOf(i)->SetExpanded(false); }); });
    connect(trView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) { m_t.trView.UserSelect(m_model->NodeOf(i)); });
    connect(trView, &QTreeView::clicked, this, [this] { Usr::Guard([&] { m_t.trView.UserClick(); }); });
    connect(Drive1, &QComboBox::activated, this, [this](int i) { Usr::Guard([&] { m_t.Drive1.UserSelect(i); }); });
    connect(cmFld, &QToolButton::clicked, this, [this] { Usr::Guard([&] { m_t.cmFld_Click(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { m_t.Timer1_Timer(); });
}

void uTrD::ShowDrives()
{
    QSignalBlocker b(Drive1);
    const QStringList& drives = m_t.Drive1.Drives();
    if (Drive1->count() != drives.size()) {
        Drive1->clear();
        for (int i = 0; i < drives.size(); ++i)
            Drive1->addItem(ShownName(m_t.Drive1.Label(i)));
    }
    Drive1->setCurrentIndex(int(drives.indexOf(m_t.Drive1.Drive())));
}

void uTrD::SetRoot(const QString& sPh) { m_t.SetRoot(sPh); }
void uTrD::SetPath(const QString& sPh) { m_t.SetPath(sPh); }
void uTrD::F_GtFld(qint32 nFlg, bool bDrct) { m_t.F_GtFld(nFlg, bDrct); }
void uTrD::OpnFld() { m_t.OpnFld(); }
void uTrD::ExpndALL(int iExp, bool bRoot) { m_t.ExpndALL(iExp, bRoot); }

void uTrD::bHdSlct(bool bHide)
{
    m_t.trView.HideSelection = bHide;
    QPalette pal = trView->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 bHide ? pal.color(QPalette::Inactive, QPalette::Base)
                       : pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 bHide ? pal.color(QPalette::Inactive, QPalette::Text)
                       : pal.color(QPalette::Active, QPalette::HighlightedText));
    trView->setPalette(pal);
}

void uTrD::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (Usr::bLdMain && m_t.trView.Count() > 0)
        Timer1->start();
}

void uTrD::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    Timer1->stop();
}

bool uTrD::eventFilter(QObject* o, QEvent* e)
{
    if (o == trView->viewport() && e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        int button = me->button() == Qt::RightButton ? 2 : me->button() == Qt::MiddleButton ? 4 : 1;
        int shift = (me->modifiers() & Qt::ShiftModifier ? 1 : 0) | (me->modifiers() & Qt::ControlModifier ? 2 : 0) |
                    (me->modifiers() & Qt::AltModifier ? 4 : 0);
        QPoint p = me->position().toPoint();
        Usr::Guard([&] { m_t.trView.UserMouseUp(button, shift, p.x(), p.y()); });
    }
    return QWidget::eventFilter(o, e);
}
