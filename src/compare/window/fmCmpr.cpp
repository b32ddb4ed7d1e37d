#include "compare/window/fmCmpr.h"

#include "app/state/Usr.h"
#include "compare/grid/FindBar.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/RowActions.h"
#include "compare/grid/vSpr.h"
#include "compare/window/CmprDialogs.h"
#include "compare/window/CmprSettings.h"
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
    m_how = std::make_unique<CmprSettings>();
    m_list = std::make_unique<CmprList>(*Spr, m_store);
    m_sync = std::make_unique<SyncActions>(*m_list, *m_how);
    m_how->OnChanged([this](CmprSettings::Change c) {
        // the list shown follows the patterns' dialog: compared again where there is one
        if (c == CmprSettings::Change::Filters && m_list->Compared() && !uTrD1->Path().isEmpty() &&
            !uTrD2->Path().isEmpty())
            CmprFld();
        ShowStatus();
    });
    m_list->OnShown([this] {
        m_sync->Enable();
        m_actions->SetFolders(m_list->Fld1(), m_list->Fld2());
        Spr->FitSizeColumns();
        ShowStatus();
    });
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

namespace {
// A menu entry as the tables below describe it.
struct MenuEntry {
    const char16_t* text;
    QKeySequence key;
    std::function<void()> act;
};

QAction* Add(QMenu* menu, QObject* owner, const MenuEntry& e)
{
    QAction* a = menu->addAction(QString::fromUtf16(e.text));
    a->setShortcut(e.key);
    QObject::connect(a, &QAction::triggered, owner, [act = e.act] { Usr::Guard(act); });
    return a;
}
} // namespace

void fmCmpr::BuildMenus()
{
    QMenu* mnJb0 = menuBar()->addMenu(QStringLiteral("ﾌｫﾙﾀﾞ(&F)"));
    const char16_t* const fldNames[2] = {u"ﾌｫﾙﾀﾞ1", u"ﾌｫﾙﾀﾞ2"};
    for (int t = 0; t < 2; ++t) {
        mnFile[size_t(t)] = mnJb0->addMenu(QString::fromUtf16(fldNames[t]));
        mnFileAct[size_t(t)] = mnFile[size_t(t)]->menuAction();
        auto click = [this, t](int i) { return [this, t, i] { t == 0 ? mnFld1_Click(i) : mnFld2_Click(i); }; };
        const MenuEntry fld[] = {{u"ﾙｰﾄﾌｫﾙﾀﾞを参照して開く", {}, click(0)},
                                 {u"指定ﾊﾟｽをｴｸｽﾌﾟﾛｰﾗｰで開く", {}, click(1)}};
        auto& acts = t == 0 ? mnFld1 : mnFld2;
        for (size_t i = 0; i < acts.size(); ++i)
            acts[i] = Add(mnFile[size_t(t)], this, fld[i]);
    }
    mnFileAct[2] = Add(mnJb0, this, {u"ﾃﾞｰﾀｰﾍﾞｰｽの最適化", {}, [this] { mnFile_Click(2); }});
    mnFileAct[3] = mnJb0->addSeparator();
    mnFileAct[4] = Add(mnJb0, this, {u"終了(&X)", {}, [this] { mnFile_Click(4); }});

    QMenu* mnJb1 = menuBar()->addMenu(QStringLiteral("比較(&C)"));
    const MenuEntry cmpr[] = {
        {u"ﾌｫﾙﾀﾞ1とﾌｫﾙﾀﾞ2のﾌｧｲﾙを比較する", QKeySequence(Qt::Key_F5), [this] { mnCmpr_Click(0); }},
        {u"比較ﾘｽﾄをｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付け", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
         [this] { mnCmpr_Click(1); }}};
    for (size_t i = 0; i < mnCmpr.size(); ++i)
        mnCmpr[i] = Add(mnJb1, this, cmpr[i]);
    mnCmpr[1]->setEnabled(false);
    mnJb1->addSeparator();
    m_how->BuildMenus(mnJb1, this);
    mnTool = Add(mnJb1, this, {u"比較ﾂｰﾙの設定...", {}, [this] { mnTool_Click(); }});
    mnJb1->addSeparator();
    m_sync->BuildMenus(mnJb1, this, [this] {
        QStringList keys;
        for (int r : Spr->SelectedRows()) {
            const GridRow row = Spr->Model().Row(r);
            keys << RowKey(row.sPh, row.sFL);
        }
        return keys;
    });
    m_actions->Extend([this](QMenu& menu) {
        for (const RowActInfo& r : kRowActs)
            menu.addAction(m_sync->RowAction(r.act));
    });
    mnJb1->addSeparator();
    mnSave = Add(mnJb1, this, {u"比較ﾘｽﾄをﾌｧｲﾙに保存...", QKeySequence::Save, [this] { m_list->SaveList(); }});
    mnSave->setEnabled(false);
    const MenuEntry finds[] = {{u"比較ﾘｽﾄ内を検索...", QKeySequence::Find, [this] { m_find->Open(); }},
                               {u"次を検索", QKeySequence(Qt::Key_F3), [this] { m_find->Next(); }},
                               {u"前を検索", QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_find->Previous(); }}};
    for (size_t i = 0; i < mnFind.size(); ++i)
        mnFind[i] = Add(mnJb1, this, finds[i]);

    QMenu* mnJb2 = menuBar()->addMenu(QStringLiteral("表示設定(&D)"));
    const char16_t* const disp[kDispModes] = {u"全てのﾌｧｲﾙを表示", u"ﾌｧｲﾙ名と属性が同一は除いて表示",
                                              u"同一ﾌｧｲﾙ名で属性が異なる分だけ表示"};
    for (int i = 0; i < kDispModes; ++i) {
        mnDisp[size_t(i)] =
            Add(mnJb2, this, {disp[i], QKeySequence(Qt::CTRL | (Qt::Key_1 + i)), [this, i] { mnDisp_Click(i); }});
        mnDisp[size_t(i)]->setCheckable(true);
    }
    m_list->SetMenus(mnDisp, mnCmpr[1], mnSave);
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

void fmCmpr::CmprFld() { m_list->CmprFld(*m_how, uTrD1->Path(), uTrD2->Path()); }

void fmCmpr::ShowStatus()
{
    m_status->setText(ShownName(m_list->StatusText(uTrD1->Path(), uTrD2->Path(), *m_how)));
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
        m_how->Save(ini);
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
    m_how->Load(ini);
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
    s.disp = int(m_list->Disp());
    return s;
}

void fmCmpr::ApplyLayout(const WinSettings& s)
{
    m_list->SetDisp(DispMode(s.disp));
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
