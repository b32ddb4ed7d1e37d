// Check marks and name filters of the folder tree.
#include "app/state/Usr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NamePattern.h"
#include "foldertree/FldTree.h"

namespace {
// Runs a spread with the tree-busy flag set; a level that cannot be read
// stops it, keeps the marks set so far, and is reported. False then.
template <class F>
bool Spread(F&& f)
{
    Usr::bTrBusy = true;
    try {
        f();
    } catch (const std::exception& e) {
        Usr::bTrBusy = false;
        Usr::Dlg().MsgBox(ErrText(e));
        return false;
    }
    Usr::bTrBusy = false;
    return true;
}

bool FitsAny(const QString& name, const QStringList& patterns)
{
    for (const QString& raw : patterns) {
        QString p = raw.trimmed();
        if (!p.isEmpty() && NameFits(name, p))
            return true;
    }
    return false;
}
} // namespace

void FldTree::bChkBx(bool bShw) { trView.SetCheckBoxes(bShw); }

void FldTree::prChSync(bool bSync)
{
    if (trView.CheckBoxes())
        bSyncChk = bSync;
}

void FldTree::ChkOnOff()
{
    if (TvNode* n = trView.SelectedItem())
        n->SetChecked(!n->Checked());
}

void FldTree::SetChkBx(bool bChk)
{
    TvNode* n = trView.SelectedItem();
    if (!n)
        return;
    Spread([&] {
        Usr::ChkFso();
        SetChkSub(n, bChk);
    });
}

void FldTree::SetChkFlt(const QString& sOffs, const QString& sOns)
{
    TvNode* n = trView.SelectedItem();
    if (!n)
        return;
    QStringList ons = PatternList(sOns), offs = PatternList(sOffs);
    Spread([&] { ChkFltSub(n, ons, offs); });
}

void FldTree::trView_NodeCheck(TvNode* node)
{
    if (!bSyncChk)
        return;
    bool state = node->Checked();
    // a spread that stopped was reported; the marks below it are not final
    if (Spread([&] { SetChkSub(node, state); }) && eChkExp)
        eChkExp();
}

void FldTree::SetChkSub(TvNode* node, bool state)
{
    node->SetChecked(state);
    ReadIfUnread(node);
    for (TvNode* c = node->Child(); c; c = c->Next())
        SetChkSub(c, state);
}

void FldTree::ChkFltSub(TvNode* node, const QStringList& ons, const QStringList& offs)
{
    if (!node)
        return;
    ReadIfUnread(node);
    for (TvNode* c = node->Child(); c; c = c->Next()) {
        if (IsHolder(c))
            continue;
        QString name = c->Text().toLower();
        if (FitsAny(name, ons)) {
            c->SetChecked(true);
            if (bSyncChk)
                SetChkSub(c, true);
        } else if (FitsAny(name, offs)) {
            c->SetChecked(false);
            if (bSyncChk)
                SetChkSub(c, false);
        } else {
            ChkFltSub(c, ons, offs);
        }
    }
}

QStringList FldTree::CheckedPaths() const
{
    QStringList out;
    std::vector<TvNode*> stack(trView.TopNodes().rbegin(), trView.TopNodes().rend());
    while (!stack.empty()) {
        TvNode* n = stack.back();
        stack.pop_back();
        if (n->Checked() && !IsHolder(n))
            out << n->FullPath();
        for (int i = n->Children() - 1; i >= 0; --i)
            stack.push_back(n->ChildAt(i));
    }
    return out;
}
