#include "foldertree/FldTree.h"

#include "app/state/Usr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QSet>
#include <algorithm>

namespace {
const QString kClose = QStringLiteral("icClose");
const QString kOpen = QStringLiteral("icOpen");
const QString kHolder = QStringLiteral("?");

// Sets the tree-busy flag for a scope; on leaving, puts back `after`
// (or the earlier value when `restore` is set).
class BusyScope {
public:
    explicit BusyScope(bool restore) : m_old(Usr::bTrBusy), m_restore(restore) { Usr::bTrBusy = true; }
    ~BusyScope() { Usr::bTrBusy = m_restore ? m_old : false; }

private:
    bool m_old, m_restore;
};
} // namespace

FldTree::FldTree() : dNdTm(1, 0)
{
    trView.Click = [this] { trView_Click(); };
    trView.MouseUp = [this](int b, int s, int x, int y) { trView_MouseUp(b, s, x, y); };
    trView.Expand = [this](TvNode* n) { trView_Expand(n); };
    trView.Collapse = [this](TvNode* n) { trView_Collapse(n); };
    trView.NodeCheck = [this](TvNode* n) { trView_NodeCheck(n); };
    Drive1.Change = [this] { Drive1_Change(); };
}

// --- keys and levels ---

QString FldTree::KeyOf(qint64 n)
{
    QString digits = QString::number(n);
    if (digits.size() < 3)
        digits.prepend(QString(3 - digits.size(), QLatin1Char('0')));
    return QStringLiteral("Nd") + digits;
}

QString FldTree::NwKey() const { return KeyOf(nNdCnt); }

FTime FldTree::TimeOf(const QString& path) const
{
    try {
        return Usr::ChkFso().FolderTime(OpenPath(path));
    } catch (const FcError&) {
        return 0;
    }
}

void FldTree::LdSbFld(TvNode* node)
{
    QString path = node->FullPath();
    if (path.isEmpty())
        return;
    QString open = OpenPath(path);
    Fso& fs = Usr::ChkFso();
    QStringList names = fs.SubFolders(open);
    bool c = node->Checked();
    dNdTm.resize(size_t(nNdCnt + names.size() + 1), 0);
    bool driveRoot = IsDriveRoot(path);
    for (const QString& name : names) {
        QString sub = JoinPath(open, name);
        ++nNdCnt;
        dNdTm[size_t(nNdCnt)] = TimeOf(sub);
        QString key = NwKey();
        TvNode* n = trView.Add(node, TreeView::tvwChild, key, name, kClose);
        if (bSyncChk)
            n->SetChecked(c);
        bool holder = driveRoot;
        if (!holder) {
            try {
                holder = fs.HasSubFolder(sub);
            } catch (const FcError&) {
                holder = true;
            }
        }
        if (holder) {
            trView.Add(n, TreeView::tvwChild, key + QLatin1Char('X'), kHolder);
            n->SetExpanded(false);
        }
    }
    node->SetSorted(true);
}

bool FldTree::ReadIfUnread(TvNode* node)
{
    if (!IsHolder(node->Child()))
        return false;
    trView.Remove(node->Child()->Key());
    LdSbFld(node);
    return true;
}

void FldTree::RfrshTr()
{
    Fso& fs = Usr::ChkFso();
    const qint64 last = nNdCnt;
    // Siblings mostly have neighbouring keys: their parent's path is reused.
    const TvNode* parent = nullptr;
    QString parentPath; // ends with the separator
    for (qint64 k = 0; k <= last; ++k) {
        QString key = KeyOf(k);
        TvNode* n = trView.Find(key); // no node: its folder went earlier
        if (!n || IsHolder(n))
            continue;
        QString p;
        if (n->Parent() && n->Parent() == parent) {
            p = parentPath + n->Text();
        } else {
            p = n->FullPath();
            parent = n->Parent();
            parentPath = p.left(p.size() - n->Text().size());
        }
        FTime t = 0;
        if (!fs.TryFolderTime(OpenPath(p), t)) {
            trView.Remove(key);
            parent = nullptr; // the cached parent may have gone with it
            continue;
        }
        if (IsDriveRoot(p) || IsDriveRoot(StripTrailingSep(p)))
            t = DriveRootTime();
        if (size_t(k) < dNdTm.size() && t > dNdTm[size_t(k)]) {
            SyncSbFld(n, p);
            parent = nullptr;
        }
    }
}

void FldTree::SyncSbFld(TvNode* node, const QString& path)
{
    struct Entry {
        QString name, key;
    };
    Fso& fs = Usr::ChkFso();
    std::vector<Entry> entries;
    QSet<QString> shown;
    if (node->Children() > 0) {
        if (IsHolder(node->Child()))
            return;
        QStringList gone;
        for (TvNode* c = node->Child(); c; c = c->Next()) {
            if (fs.FolderExists(OpenPath(c->FullPath()))) {
                entries.push_back({c->Text(), c->Key()});
                shown.insert(c->Text());
            } else {
                gone << c->Key();
            }
        }
        for (const QString& k : gone)
            trView.Remove(k);
    }
    qint64 added = 0;
    for (const QString& name : fs.SubFolders(OpenPath(path))) {
        if (!shown.contains(name)) {
            entries.push_back({name, QString()});
            ++added;
        }
    }
    if (added == 0)
        return;
    dNdTm.resize(size_t(nNdCnt + added + 1), 0);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    QString prev;
    for (const Entry& e : entries) {
        if (!e.key.isEmpty()) {
            prev = e.key;
            continue;
        }
        ++nNdCnt;
        QString key = NwKey();
        TvNode* n;
        if (!prev.isEmpty())
            n = trView.Add(trView.Item(prev), TreeView::tvwNext, key, e.name, kClose);
        else if (node->Child())
            n = trView.Add(node->Child(), TreeView::tvwFirst, key, e.name, kClose);
        else
            n = trView.Add(node, TreeView::tvwChild, key, e.name, kClose);
        n->SetExpanded(false);
        if (bSyncChk && node->Checked())
            n->SetChecked(true);
        QString sub = OpenPath(n->FullPath());
        dNdTm[size_t(nNdCnt)] = fs.FolderTime(sub);
        if (fs.HasSubFolder(sub))
            trView.Add(n, TreeView::tvwChild, key + QLatin1Char('X'), kHolder);
        prev = key;
    }
}

// --- root and path ---

QString FldTree::Root() const
{
    TvNode* r = trView.Root();
    return r ? r->FullPath() : QString();
}

void FldTree::SetRoot(QString sPh)
{
    Fso& fs = Usr::ChkFso();
    if (sPh.isEmpty() || !fs.FolderExists(OpenPath(sPh)))
        sPh = Usr::sUsrFld;
    BusyScope busy(true);
    if (SlctDrv(sPh)) {
        QString copy = sPh;
        MkRoot(copy);
    }
}

bool FldTree::SlctDrv(const QString& path)
{
    try {
        Drive1.SetDrive(path);
        return true;
    } catch (const FcError&) {
        Usr::Dlg().MsgBox(path + QStringLiteral(" Not Found !!"));
        trView.Clear();
        return false;
    }
}

void FldTree::MkRoot(QString& path)
{
    if (path.isEmpty())
        return;
    Fso& fs = Usr::ChkFso();
    path = StripTrailingSep(path);
    QString folder = OpenPath(path);
    Drive1.SetDrive(path);
    dNdTm.assign(1, 0);
    trView.Clear();
    nNdCnt = 0;
    if (!fs.FolderExists(folder)) {
        Usr::Dlg().MsgBox(path + QStringLiteral(" Not Found"));
        return;
    }
    dNdTm[0] = IsDriveRoot(path) ? DriveRootTime() : TimeOf(folder);
    TvNode* root = trView.Add(nullptr, TreeView::tvwChild, NwKey(), path, kOpen);
    if (eCngRt)
        eCngRt(path);
    LdSbFld(root);
    if (nNdCnt < 1) {
        root->SetImage(kClose);
        root->SetExpanded(false);
    } else {
        root->SetImage(kOpen);
        root->SetExpanded(true);
    }
    root->SetSelected(true);
    root->SetSorted(true);
}

QString FldTree::Path() const
{
    try {
        TvNode* n = trView.SelectedItem();
        return n ? n->FullPath() : QString();
    } catch (...) {
        return QString();
    }
}

void FldTree::SetPath(QString sPh)
{
    if (trView.Count() == 0)
        return;
    const QString text = sPh + PathSep();
    TvNode* n = trView.Item(1);
    qsizetype p = n->FullPath().size() - 1;
    int level = 0;
    Usr::ChkFso();
    while (n) {
        qsizetype at = text.indexOf(PathSep(), p);
        if (at < 0)
            break;
        p = at + 1;
        ++level;
        QString prefix = sPh.left(p - 1);
        if (level == 1) {
            QString rootText = n->FullPath();
            if (rootText == QString(PathSep()))
                rootText.clear(); // a Posix root ends where its separator begins
            if (!SameNameIgnoringCase(rootText, prefix))
                break;
            continue;
        }
        if (SameNameIgnoringCase(prefix, n->FullPath()))
            break; // the path ends at this node ("/" itself, the drive root)
        if (n->Children() == 0)
            break;
        if (ReadIfUnread(n) && n->Children() == 0)
            break;
        n->SetExpanded(true);
        n->SetImage(kOpen);
        TvNode* match = nullptr;
        for (TvNode* c = n->Child(); c && !match; c = c->Next())
            if (SameNameIgnoringCase(c->FullPath(), prefix))
                match = c;
        n = match;
    }
    if (n)
        n->SetSelected(true);
}

QString FldTree::BrowseStart() const
{
    const QString p = Path();
    return p.isEmpty() ? Root() : p;
}

void FldTree::F_GtFld(qint32 nFlg, bool bDrct)
{
    QString path = BrowseStart();
    if (bDrct)
        path = Usr::Dlg().InputBox(QStringLiteral("ﾙｰﾄﾊﾟｽを指定して下さい"), Usr::AppTitle(), Root());
    else
        Usr::BrwsFld(path, nFlg);
    BusyScope busy(false);
    if (SlctDrv(path)) {
        QString copy = path;
        MkRoot(copy);
    }
}

void FldTree::OpnFld()
{
    QString p = Path();
    if (!p.isEmpty())
        Usr::ExpFld(OpenPath(p));
}

void FldTree::ExpndALL(int iExp, bool bRoot)
{
    TvNode* start = bRoot ? trView.Item(1) : trView.SelectedItem();
    if (!start)
        return;
    {
        BusyScope busy(false);
        Usr::ChkFso();
        ExpndSub(start, iExp);
    }
    if (eChkExp)
        eChkExp();
}

void FldTree::ExpndSub(TvNode* node, int iExp)
{
    if (node->Children() == 0)
        return;
    if (iExp == 0 || iExp == 2) {
        ReadIfUnread(node);
        if (node->Children() == 0)
            return;
        if (iExp == 0) {
            node->SetImage(kOpen);
            node->SetExpanded(true);
        }
    } else if (iExp == 1 && node->Index() >= 2) {
        node->SetImage(kClose);
        node->SetExpanded(false);
    }
    for (TvNode* c = node->Child(); c; c = c->Next())
        ExpndSub(c, iExp);
}

// --- handlers ---

void FldTree::Drive1_Change()
{
    if (Usr::bTrBusy)
        return;
    try {
        QString drv = Drive1.Drive();
        MkRoot(drv);
    } catch (...) {
        // the rebuild stops where it failed; nothing is reported
    }
}

void FldTree::cmFld_Click()
{
    QString path = BrowseStart(); // the dialog opens where the pane is
    qint32 flg = 64;
    Usr::BrwsFld(path, flg);
    MkRoot(path);
}

void FldTree::Timer1_Timer()
{
    try {
        RfrshTr();
    } catch (...) {
        // the next tick starts again from the first node
    }
}

void FldTree::trView_Click()
{
    if (!Usr::bTrBusy && eCngDr)
        eCngDr(Path());
}

void FldTree::trView_MouseUp(int button, int, int, int)
{
    if (button == 2 && eRClick)
        eRClick();
}

void FldTree::trView_Expand(TvNode* node)
{
    if (Usr::bTrBusy)
        return;
    if (eChkExp)
        eChkExp();
    node->SetImage(kOpen);
    try {
        ReadIfUnread(node);
    } catch (const std::exception& e) {
        Usr::Dlg().MsgBox(ErrText(e));
    }
}

void FldTree::trView_Collapse(TvNode* node)
{
    if (Usr::bTrBusy)
        return;
    node->SetImage(kClose);
    if (eChkExp)
        eChkExp();
}
