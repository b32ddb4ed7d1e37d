#include "compare/window/fmCmpr.h"

#include "app/state/Usr.h"
#include "compare/grid/FindBar.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/RowActions.h"
#include "compare/grid/vSpr.h"
#include "compare/window/CmprDialogs.h"
#include "compare/window/SyncActions.h"
#include "compare/window/WinSettings.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"
#include "foldertree/view/uTrD.h"
#include "ui/Guard.h"
#include "ui/PrgEnd.h"
#include "ui/ScreenFit.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStorageInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
fmCmpr* g_main = nullptr;
// Designed sizes in twips.
const int kDesignW = 13500, kDesignH = 8400;
const int kPaneW = 3525, kPaneH = 3300;
} // namespace

fmCmpr& fmCmpr::Instance()
{
    if (!g_main) {
        g_main = new fmCmpr();
        g_main->Form_Load();
    }
    return *g_main;
}

bool fmCmpr::Exists() { return g_main != nullptr; }

fmCmpr::~fmCmpr() = default;

void fmCmpr::Discard()
{
    delete g_main;
    g_main = nullptr;
    Usr::bLdMain = false;
}

fmCmpr::fmCmpr() : m_store(ResultStore::PathIn(Usr::sUsrFld))
{
    setWindowTitle(QStringLiteral("指定ﾌｫﾙﾀﾞ内のﾌｧｲﾙの比較"));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    setAcceptDrops(true);
    BuildPanes();
    m_list = std::make_unique<CmprList>(*Spr, m_store);
    m_sync = std::make_unique<SyncActions>(*m_list);
    m_list->onShown = [this] {
        for (QAction* a : mnRowAct)
            a->setEnabled(true);
        for (QAction* a : mnPlan)
            a->setEnabled(true);
        m_actions->SetFolders(m_list->Fld1(), m_list->Fld2());
        Spr->FitSizeColumns();
        ShowStatus();
    };
    BuildMenus();
    // the designed size, as far as the screen has room for it
    resize(FitOnScreens(QRect(0, 0, Twips::ToPx(kDesignW), Twips::ToPx(kDesignH))).size());
}

void fmCmpr::PlaceOnScreen(QRect want)
{
    // never smaller than the window can be drawn, which Qt would enforce
    // after the fit and so push the window off the screen's edge
    want.setSize(want.size().expandedTo(minimumSizeHint()));
    setGeometry(FitOnScreens(want));
}

void fmCmpr::BuildPanes()
{
    m_split = new QSplitter(Qt::Horizontal, this);
    m_left = new QSplitter(Qt::Vertical, m_split);
    Label1[0] = new QLabel(QStringLiteral("ﾌｫﾙﾀﾞ 1"), m_left);
    uTrD1 = new uTrD(m_left);
    Label1[1] = new QLabel(QStringLiteral("ﾌｫﾙﾀﾞ 2"), m_left);
    uTrD2 = new uTrD(m_left);
    for (QLabel* l : Label1)
        l->setMinimumHeight(l->sizeHint().height());
    for (int i : {0, 2})
        m_left->setCollapsible(i, false);
    // the grid with the find bar over it and the status line under it
    auto* list = new QWidget(m_split);
    auto* lay = new QVBoxLayout(list);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    Spr = new vSpr(list);
    m_find = new FindBar(*Spr, list);
    m_status = new QLabel(list);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setMinimumWidth(1); // a long line never widens the window
    lay->addWidget(m_find);
    lay->addWidget(Spr, 1);
    lay->addWidget(m_status);
    m_actions = new RowActions(*Spr);
    m_split->setStretchFactor(1, 1);
    setCentralWidget(m_split);
    m_split->setSizes({Twips::ToPx(kPaneW), Twips::ToPx(kDesignW - kPaneW)});
    m_left->setSizes(
        {Label1[0]->sizeHint().height(), Twips::ToPx(kPaneH), Label1[1]->sizeHint().height(), Twips::ToPx(kPaneH)});
    connect(uTrD1, &uTrD::eRClick, this, [this] { Popup(0); });
    connect(uTrD2, &uTrD::eRClick, this, [this] { Popup(1); });
    for (uTrD* t : {uTrD1, uTrD2}) {
        connect(t, &uTrD::eCngDr, this, [this] { ShowStatus(); });
        connect(t, &uTrD::eCngRt, this, [this] { ShowStatus(); });
    }
}

void fmCmpr::BuildMenus()
{
    auto guard = [](auto f) { return [f] { Usr::Guard(f); }; };
    QMenu* mnJb0 = menuBar()->addMenu(QStringLiteral("ﾌｫﾙﾀﾞ(&F)"));
    const QString fldNames[2] = {QStringLiteral("ﾌｫﾙﾀﾞ1"), QStringLiteral("ﾌｫﾙﾀﾞ2")};
    for (int t = 0; t < 2; ++t) {
        mnFile[size_t(t)] = mnJb0->addMenu(fldNames[t]);
        mnFileAct[size_t(t)] = mnFile[size_t(t)]->menuAction();
        auto& acts = t == 0 ? mnFld1 : mnFld2;
        acts[0] = mnFile[size_t(t)]->addAction(QStringLiteral("ﾙｰﾄﾌｫﾙﾀﾞを参照して開く"));
        acts[1] = mnFile[size_t(t)]->addAction(QStringLiteral("指定ﾊﾟｽをｴｸｽﾌﾟﾛｰﾗｰで開く"));
        for (int i = 0; i < 2; ++i)
            connect(acts[size_t(i)], &QAction::triggered, this,
                    guard([this, t, i] { t == 0 ? mnFld1_Click(i) : mnFld2_Click(i); }));
    }
    mnFileAct[2] = mnJb0->addAction(QStringLiteral("ﾃﾞｰﾀｰﾍﾞｰｽの最適化"));
    mnFileAct[3] = mnJb0->addSeparator();
    mnFileAct[4] = mnJb0->addAction(QStringLiteral("終了(&X)"));
    for (int i : {2, 4})
        connect(mnFileAct[size_t(i)], &QAction::triggered, this, guard([this, i] { mnFile_Click(i); }));

    QMenu* mnJb1 = menuBar()->addMenu(QStringLiteral("比較(&C)"));
    mnCmpr[0] = mnJb1->addAction(QStringLiteral("ﾌｫﾙﾀﾞ1とﾌｫﾙﾀﾞ2のﾌｧｲﾙを比較する"));
    mnCmpr[1] = mnJb1->addAction(QStringLiteral("比較ﾘｽﾄをｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付け"));
    mnCmpr[1]->setEnabled(false);
    for (int i = 0; i < 2; ++i)
        connect(mnCmpr[size_t(i)], &QAction::triggered, this, guard([this, i] { mnCmpr_Click(i); }));
    mnCmpr[0]->setShortcut(QKeySequence(Qt::Key_F5));
    mnCmpr[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    mnJb1->addSeparator();
    BuildRuleMenus(mnJb1);
    mnFilter =
        mnJb1->addAction(QStringLiteral("比較から除くﾌｧｲﾙとﾌｫﾙﾀﾞ..."), this, guard([this] { mnFilter_Click(); }));
    mnTool = mnJb1->addAction(QStringLiteral("比較ﾂｰﾙの設定..."), this, guard([this] { mnTool_Click(); }));
    mnJb1->addSeparator();
    BuildSyncMenus(mnJb1);
    mnJb1->addSeparator();
    mnSave = mnJb1->addAction(QStringLiteral("比較ﾘｽﾄをﾌｧｲﾙに保存..."), QKeySequence::Save, this,
                              guard([this] { m_list->SaveList(); }));
    mnSave->setEnabled(false);
    const struct {
        const char* text;
        QKeySequence key;
        void (FindBar::*act)();
    } finds[] = {{"比較ﾘｽﾄ内を検索...", QKeySequence::Find, &FindBar::Open},
                 {"次を検索", QKeySequence(Qt::Key_F3), &FindBar::Next},
                 {"前を検索", QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindBar::Previous}};
    for (size_t i = 0; i < 3; ++i)
        mnFind[i] = mnJb1->addAction(QString::fromUtf8(finds[i].text), finds[i].key, m_find, finds[i].act);

    QMenu* mnJb2 = menuBar()->addMenu(QStringLiteral("表示設定(&D)"));
    const char* const disp[3] = {"全てのﾌｧｲﾙを表示", "ﾌｧｲﾙ名と属性が同一は除いて表示",
                                 "同一ﾌｧｲﾙ名で属性が異なる分だけ表示"};
    for (int i = 0; i < 3; ++i) {
        mnDisp[size_t(i)] = mnJb2->addAction(QString::fromUtf8(disp[i]));
        mnDisp[size_t(i)]->setCheckable(true);
        connect(mnDisp[size_t(i)], &QAction::triggered, this, guard([this, i] { mnDisp_Click(i); }));
        mnDisp[size_t(i)]->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)));
    }
    m_list->SetMenus(mnDisp, mnCmpr[1], mnSave);
}

void fmCmpr::BuildSyncMenus(QMenu* parent)
{
    auto guard = [](auto f) { return [f] { Usr::Guard(f); }; };
    QMenu* rows = parent->addMenu(QStringLiteral("選択した行の操作"));
    QMenu* plans = parent->addMenu(QStringLiteral("ﾌｫﾙﾀﾞを揃える"));
    for (int i = 0; i < 4; ++i) {
        mnRowAct[size_t(i)] =
            rows->addAction(SyncActions::RowCaption(RowAct(i)), this, guard([this, i] { mnRowAct_Click(i); }));
        mnRowAct[size_t(i)]->setEnabled(false);
    }
    for (int i = 0; i < 5; ++i) {
        mnPlan[size_t(i)] = plans->addAction(SyncActions::PlanCaption(PlanKind(i)), this,
                                             guard([this, i] { m_sync->RunPlan(PlanKind(i)); }));
        mnPlan[size_t(i)]->setEnabled(false);
    }
    m_actions->extend = [this](QMenu& menu) {
        for (QAction* a : mnRowAct)
            menu.addAction(a);
    };
}

void fmCmpr::mnRowAct_Click(int Index)
{
    QStringList keys;
    for (int r : Spr->SelectedRows()) {
        const GridRow row = Spr->Model().Row(r);
        keys << RowKey(row.sPh, row.sFL);
    }
    m_sync->ActOnRows(RowAct(Index), keys);
}

void fmCmpr::BuildRuleMenus(QMenu* parent)
{
    const char* const criteria[3] = {"更新日時(分まで)で比較", "更新日時とｻｲｽﾞで比較", "更新日時と内容で比較"};
    const char* const tolerances[3] = {"許容差なし", "2秒までの違いは同じとみなす",
                                       "2秒と、ちょうど1･2時間の違いは同じとみなす"};
    QMenu* how = parent->addMenu(QStringLiteral("比較の方法"));
    QMenu* tol = parent->addMenu(QStringLiteral("更新日時の許容差"));
    for (int i = 0; i < 3; ++i) {
        mnRule[size_t(i)] = how->addAction(QString::fromUtf8(criteria[i]));
        mnTol[size_t(i)] = tol->addAction(QString::fromUtf8(tolerances[i]));
        for (QAction* a : {mnRule[size_t(i)], mnTol[size_t(i)]})
            a->setCheckable(true);
        connect(mnRule[size_t(i)], &QAction::triggered, this, [this, i] {
            m_list->rule.criterion = CmprRule::Criterion(i);
            CheckRule();
            ShowStatus();
        });
        connect(mnTol[size_t(i)], &QAction::triggered, this, [this, i] {
            m_list->rule.tolerance = CmprRule::Tolerance(i);
            CheckRule();
            ShowStatus();
        });
    }
    CheckRule();
}

void fmCmpr::CheckRule()
{
    for (int i = 0; i < 3; ++i) {
        mnRule[size_t(i)]->setChecked(m_list->rule.criterion == i);
        mnTol[size_t(i)]->setChecked(m_list->rule.tolerance == i);
    }
}

// The comparison settings live in a section of their own, written only once
// the user has chosen other than the defaults, so a settings file of the
// plain program stays as it was.
void fmCmpr::RuleSettings(bool bSave)
{
    yIni& ini = Usr::Ini();
    CmprRule& r = m_list->rule;
    WinSettings s;
    if (!bSave) {
        LoadSection(ini, kRuleSection, false, s);
        r.criterion = CmprRule::Criterion(std::clamp(s.criterion, 0, 2));
        r.tolerance = CmprRule::Tolerance(std::clamp(s.tolerance, 0, 2));
        CheckRule();
        return;
    }
    ini.GetGtx(kRuleSection);
    if (ini.Section().isEmpty() && r.IsDefault())
        return;
    s.criterion = int(r.criterion);
    s.tolerance = int(r.tolerance);
    SaveSection(ini, kRuleSection, false, s);
}

// The patterns live in a section of their own, written once the user has
// set them.
void fmCmpr::FilterSettings(bool bSave)
{
    yIni& ini = Usr::Ini();
    WinSettings s;
    if (!bSave) {
        LoadSection(ini, kFilterSection, false, s);
        m_list->exclude = s.exclude;
        m_list->include = s.include;
        return;
    }
    ini.GetGtx(kFilterSection);
    if (ini.Section().isEmpty() && !m_filterSet)
        return;
    s.exclude = m_list->exclude;
    s.include = m_list->include;
    SaveSection(ini, kFilterSection, false, s);
}

// The compare command lives in a section of its own, written once the user
// has set one; emptied again, the key says so (the automatic choice).
void fmCmpr::SaveTool()
{
    yIni& ini = Usr::Ini();
    ini.GetGtx(kToolSection);
    if (ini.Section().isEmpty() && m_actions->Command().isEmpty())
        return;
    WinSettings s;
    s.cmd = m_actions->Command();
    SaveSection(ini, kToolSection, false, s);
}

// --- menu handlers ---

void fmCmpr::mnTool_Click()
{
    QString cmd = m_actions->Command();
    if (CmprDlg().EditCompareTool(cmd))
        m_actions->SetCommand(cmd.trimmed());
}

void fmCmpr::mnFilter_Click()
{
    QString ex = m_list->exclude, in = m_list->include;
    if (!CmprDlg().EditFilters(ex, in))
        return;
    m_list->exclude = ex;
    m_list->include = in;
    m_filterSet = true;
    // the list shown follows the dialog: compared again where there is one
    if (m_list->bCmprd && !uTrD1->Path().isEmpty() && !uTrD2->Path().isEmpty())
        CmprFld();
    ShowStatus();
}

void fmCmpr::mnFile_Click(int Index)
{
    if (Index == 2)
        m_store.CmpctDb();
    else if (Index == 4)
        Usr::PrgEnd();
}

void fmCmpr::mnFld1_Click(int Index) { Index == 0 ? uTrD1->F_GtFld() : uTrD1->OpnFld(); }
void fmCmpr::mnFld2_Click(int Index) { Index == 0 ? uTrD2->F_GtFld() : uTrD2->OpnFld(); }

void fmCmpr::mnCmpr_Click(int Index)
{
    if (Index == 0)
        CmprFld();
    else
        m_list->CopyList();
}

void fmCmpr::mnDisp_Click(int Index) { m_list->mnDisp_Click(Index); }

void fmCmpr::OpenFolder(int pane, const QString& folder)
{
    uTrD* t = pane == 2 ? uTrD2 : uTrD1;
    t->SetRoot(DriveList::VolumeOf(folder)); // by the path's bytes, which QStorageInfo would lose
    t->SetPath(folder);
    ShowStatus();
}

void fmCmpr::OpenFolders(const QString& sFld1, const QString& sFld2)
{
    OpenFolder(1, sFld1);
    if (sFld2.isEmpty())
        return;
    OpenFolder(2, sFld2);
    QTimer::singleShot(0, this, [this] { Usr::Guard([this] { CmprFld(); }); });
}

namespace {
// The local folders a drag carries, when it carries one or two and nothing else.
QStringList DroppedFolders(const QMimeData* m)
{
    QStringList out;
    for (const QUrl& u : m ? m->urls() : QList<QUrl>()) {
        const QString p = u.isLocalFile() ? DecodeName(QFile::encodeName(u.toLocalFile())) : QString();
        if (p.isEmpty() || !Usr::ChkFso().FolderExists(p))
            return {};
        out << QDir::cleanPath(p);
    }
    return out.size() <= 2 ? out : QStringList();
}
} // namespace

void fmCmpr::dragEnterEvent(QDragEnterEvent* e)
{
    if (!DroppedFolders(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void fmCmpr::dropEvent(QDropEvent* e)
{
    const QStringList f = DroppedFolders(e->mimeData());
    if (f.isEmpty())
        return;
    e->acceptProposedAction();
    const QWidget* at = childAt(e->position().toPoint());
    const bool onPane2 = at && (at == uTrD2 || uTrD2->isAncestorOf(at) || at == Label1[1]);
    Usr::Guard([&] { f.size() == 2 ? OpenFolders(f[0], f[1]) : OpenFolder(onPane2 ? 2 : 1, f[0]); });
}

void fmCmpr::CmprFld()
{
    m_list->done.clear();
    m_list->CmprFld(uTrD1->Path(), uTrD2->Path());
}

void fmCmpr::ShowStatus()
{
    m_status->setText(ShownName(m_list->StatusText(uTrD1->Path(), uTrD2->Path())));
    m_status->setToolTip(m_status->text()); // the whole line, where the window is too narrow for it
}

void fmCmpr::Popup(int tree)
{
    m_lastPopup = mnFile[size_t(tree)];
    m_lastPopup->popup(QCursor::pos());
}

// --- layout ---

QSize fmCmpr::PaneTwips() const { return QSize(Twips::FromPx(uTrD1->width()), Twips::FromPx(uTrD1->height())); }

void fmCmpr::ApplyPane()
{
    if (!m_paneLock)
        return;
    int w = Twips::ToPx(m_pane.width()), h = Twips::ToPx(m_pane.height());
    QList<int> outer = m_split->sizes();
    int total = outer.value(0) + outer.value(1);
    m_split->setSizes({w, std::max(0, total - w)});
    QList<int> left = m_left->sizes();
    int rest = left.value(1) + left.value(3);
    m_left->setSizes({left.value(0), h, left.value(2), std::max(0, rest - h)});
}

void fmCmpr::WinLayout(bool bSave)
{
    yIni& ini = Usr::Ini();
    if (bSave && !m_iniLoaded)
        return;
    if (bSave) {
        SaveSection(ini, kLayoutSection, Usr::bLnch, LayoutNow());
        RuleSettings(true);
        FilterSettings(true);
        SaveTool();
        bool ok = false;
        ini.SetTxt(ok);
        return;
    }

    bool ok = false;
    try {
        ini.GetTxt(Usr::sUsrFld + QStringLiteral("User.xml"), ok);
    } catch (const FcError& e) {
        // go on with the defaults; the file that could not be read is not
        // overwritten at the end
        Usr::Dlg().MsgBox(e.message());
    }
    m_iniLoaded = ok;
    WinSettings s;
    s.root1 = s.path1 = s.root2 = s.path2 = Usr::FirstStartFolder();
    LoadSection(ini, kLayoutSection, Usr::bLnch, s);
    if (Usr::bLnch) {
        const LaunchRecord& r = Usr::tLnch;
        s.left = r.LEFT, s.top = r.TOP, s.width = r.WIDTH, s.height = r.HEIGHT;
        s.root1 = r.ROOT;
        s.path1 = r.PATH;
    }
    ApplyLayout(s);
    LoadSection(ini, kToolSection, false, s);
    m_actions->SetCommand(s.cmd);
    RuleSettings(false);
    FilterSettings(false);
    if (!s.colWidths.isEmpty()) {
        const QStringList parts = s.colWidths.split(QLatin1Char(','));
        for (int c = 0; c < kGridCols && c < parts.size(); ++c)
            Spr->SetColWidth(c, IniText::LeadingNumber(parts[c]));
    }
}

WinSettings fmCmpr::LayoutNow() const
{
    WinSettings s;
    QStringList widths;
    for (int c = 0; c < kGridCols; ++c)
        widths << IniText::ValueText(Spr->ColWidth(c));
    s.colWidths = widths.join(QLatin1Char(','));
    const QSize pane = PaneTwips();
    s.paneW = pane.width();
    s.paneH = pane.height();
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    s.left = Twips::FromPx(g.x());
    s.top = Twips::FromPx(g.y());
    s.width = Twips::FromPx(g.width());
    s.height = Twips::FromPx(g.height());
    s.root1 = uTrD1->Root();
    s.path1 = uTrD1->Path();
    s.root2 = uTrD2->Root();
    s.path2 = uTrD2->Path();
    s.disp = int(m_list->nDisp);
    return s;
}

void fmCmpr::ApplyLayout(const WinSettings& s)
{
    m_list->nDisp = DispMode(s.disp);
    uTrD2->SetRoot(s.root2);
    uTrD2->SetPath(s.path2);
    uTrD1->SetRoot(s.root1);
    uTrD1->SetPath(s.path1);
    if (s.width > 0 && s.height > 0)
        PlaceOnScreen(QRect(Twips::ToPx(s.left), Twips::ToPx(s.top), Twips::ToPx(s.width), Twips::ToPx(s.height)));
    if (s.paneW > 300 && s.paneH > 300) {
        m_pane = QSize(s.paneW, s.paneH);
        m_paneLock = true;
        ApplyPane();
    }
    m_list->CheckDisp();
}

// --- window events ---

void fmCmpr::Form_Load()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Usr::bLdMain = true;
    try {
        WinLayout(false);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        Usr::Dlg().MsgBox(ErrText(e));
        return;
    }
    QApplication::restoreOverrideCursor();
}

void fmCmpr::Form_Activate()
{
    QApplication::restoreOverrideCursor();
    m_paneLock = false;
}

void fmCmpr::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    ApplyPane();
    if (!m_activated) {
        m_activated = true;
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    }
}

void fmCmpr::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    ApplyPane();
}

void fmCmpr::Form_QueryUnload()
{
    try {
        WinLayout(true);
    } catch (const std::exception& e) {
        Usr::Dlg().MsgBox(QStringLiteral("画面の設定を保存できませんでした") + QLatin1Char('\n') + ErrText(e));
    }
}

void fmCmpr::closeEvent(QCloseEvent* e)
{
    e->accept();
    Form_QueryUnload();
    Usr::PrgEnd();
}
