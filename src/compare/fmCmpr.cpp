#include "compare/fmCmpr.h"

#include "app/Guard.h"
#include "app/Main.h"
#include "app/Usr.h"
#include "compare/FindBar.h"
#include "compare/RowActions.h"
#include "compare/vSpr.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"
#include "foldertree/uTrD.h"
#include "ui/Dialogs.h"
#include "ui/ScreenFit.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace {
fmCmpr* g_main = nullptr;
const QString kSection = QStringLiteral("画面");
// Designed sizes in twips.
const int kDesignW = 13500, kDesignH = 8400;
const int kPaneW = 3525, kPaneH = 3300;

// A number read back as a 32-bit integer; a damaged value outside that
// range reads as the default 0 rather than stopping the whole layout.
qint32 ToLong(const QVariant& v)
{
    double d = std::nearbyint(v.toDouble());
    if (!(d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max()))
        return 0;
    return qint32(d);
}
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

void fmCmpr::Discard()
{
    delete g_main;
    g_main = nullptr;
    Usr::bLdMain = false;
}

fmCmpr::fmCmpr() : m_store(ResultStore::DefaultPath())
{
    setWindowTitle(QStringLiteral("指定ﾌｫﾙﾀﾞ内のﾌｧｲﾙの比較"));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    BuildPanes();
    m_list = std::make_unique<CmprList>(*Spr, m_store);
    m_list->onShown = [this] {
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
        });
        connect(mnTol[size_t(i)], &QAction::triggered, this, [this, i] {
            m_list->rule.tolerance = CmprRule::Tolerance(i);
            CheckRule();
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
    const QString section = QStringLiteral("比較設定");
    ini.GetGtx(section);
    CmprRule& r = m_list->rule;
    if (!bSave) {
        r.criterion = CmprRule::Criterion(std::clamp(ToLong(ini.vGtVal(QStringLiteral("CRITERION"), 0)), 0, 2));
        r.tolerance = CmprRule::Tolerance(std::clamp(ToLong(ini.vGtVal(QStringLiteral("TOLERANCE"), 0)), 0, 2));
        CheckRule();
        return;
    }
    if (ini.Section().isEmpty() && r.IsDefault())
        return;
    ini.SetVal(QStringLiteral("CRITERION"), int(r.criterion));
    ini.SetVal(QStringLiteral("TOLERANCE"), int(r.tolerance));
    ini.SetGtx();
}

// --- menu handlers ---

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

void fmCmpr::CmprFld() { m_list->CmprFld(uTrD1->Path(), uTrD2->Path()); }

void fmCmpr::ShowStatus() { m_status->setText(ShownName(m_list->StatusText(uTrD1->Path(), uTrD2->Path()))); }

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
        QStringList widths;
        for (int c = 1; c <= 8; ++c)
            widths << IniText::ValueText(Spr->ColWidth(c));
        QString cls = widths.join(QLatin1Char(','));
        QSize pane = PaneTwips();
        ini.GetGtx(kSection);
        if (Usr::bLnch) {
            ini.SetVal(QStringLiteral("DIR_WD_R"), pane.width());
            ini.SetVal(QStringLiteral("DIR_HI_R"), pane.height());
            ini.SetVal(QStringLiteral("CLS_WD_R"), cls);
        } else {
            QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
            ini.SetVal(QStringLiteral("LEFT"), Twips::FromPx(g.x()));
            ini.SetVal(QStringLiteral("TOP"), Twips::FromPx(g.y()));
            ini.SetVal(QStringLiteral("WIDTH"), Twips::FromPx(g.width()));
            ini.SetVal(QStringLiteral("HEIGHT"), Twips::FromPx(g.height()));
            ini.SetVal(QStringLiteral("ROOT1"), uTrD1->Root());
            ini.SetVal(QStringLiteral("PATH1"), uTrD1->Path());
            ini.SetVal(QStringLiteral("ROOT2"), uTrD2->Root());
            ini.SetVal(QStringLiteral("PATH2"), uTrD2->Path());
            ini.SetVal(QStringLiteral("DIR_WD"), pane.width());
            ini.SetVal(QStringLiteral("DIR_HI"), pane.height());
            ini.SetVal(QStringLiteral("CLS_WD"), cls);
        }
        ini.SetVal(QStringLiteral("DISP"), m_list->nDisp);
        ini.SetGtx();
        RuleSettings(true);
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
    ini.GetGtx(kSection);
    const QString none;
    qint32 l, t, w, h, pw, ph;
    QString root1, path1, cls;
    if (Usr::bLnch) {
        const LaunchRecord& r = Usr::tLnch;
        l = r.LEFT, t = r.TOP, w = r.WIDTH, h = r.HEIGHT;
        root1 = r.ROOT;
        path1 = r.PATH;
        uTrD2->SetRoot(none);
        uTrD2->SetPath(none);
        pw = ToLong(ini.vGtVal(QStringLiteral("DIR_WD_R"), 0));
        ph = ToLong(ini.vGtVal(QStringLiteral("DIR_HI_R"), 0));
        cls = ini.vGtVal(QStringLiteral("CLS_WD_R"), none).toString();
    } else {
        l = ToLong(ini.vGtVal(QStringLiteral("LEFT"), 0));
        t = ToLong(ini.vGtVal(QStringLiteral("TOP"), 0));
        w = ToLong(ini.vGtVal(QStringLiteral("WIDTH"), 0));
        h = ToLong(ini.vGtVal(QStringLiteral("HEIGHT"), 0));
        root1 = ini.vGtVal(QStringLiteral("ROOT1"), none).toString();
        path1 = ini.vGtVal(QStringLiteral("PATH1"), none).toString();
        uTrD2->SetRoot(ini.vGtVal(QStringLiteral("ROOT2"), none).toString());
        uTrD2->SetPath(ini.vGtVal(QStringLiteral("PATH2"), none).toString());
        pw = ToLong(ini.vGtVal(QStringLiteral("DIR_WD"), 0));
        ph = ToLong(ini.vGtVal(QStringLiteral("DIR_HI"), 0));
        cls = ini.vGtVal(QStringLiteral("CLS_WD"), none).toString();
    }
    m_list->nDisp = ToLong(ini.vGtVal(QStringLiteral("DISP"), 0));
    uTrD1->SetRoot(root1);
    uTrD1->SetPath(path1);
    if (w > 0 && h > 0)
        PlaceOnScreen(QRect(Twips::ToPx(l), Twips::ToPx(t), Twips::ToPx(w), Twips::ToPx(h)));
    if (pw > 300 && ph > 300) {
        m_pane = QSize(pw, ph);
        m_paneLock = true;
        ApplyPane();
    }
    m_list->CheckDisp();
    ini.GetGtx(QStringLiteral("比較ﾂｰﾙ"));
    m_actions->SetCommand(ini.vGtVal(QStringLiteral("CMD"), none).toString());
    RuleSettings(false);
    if (!cls.isEmpty()) {
        const QStringList parts = cls.split(QLatin1Char(','));
        for (int c = 1; c <= 8 && c <= parts.size(); ++c)
            Spr->SetColWidth(c, IniText::LeadingNumber(parts[c - 1]));
    }
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
