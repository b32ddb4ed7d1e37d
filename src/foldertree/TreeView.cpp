#include "foldertree/TreeView.h"

#include "env/Error.h"
#include "env/PathRules.h"

#include <algorithm>
#include <unordered_set>

bool TextBefore(const QString& a, const QString& b)
{
    int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// --- TvNode ---

QString TvNode::FullPath() const
{
    // Built in one piece from the top: this runs for every node on each
    // refresh pass.
    const TvNode* chain[256];
    int depth = 0;
    std::vector<const TvNode*> deep;
    for (const TvNode* n = this; n; n = n->m_parent) {
        if (depth < 256)
            chain[depth++] = n;
        else
            deep.push_back(n);
    }
    if (!deep.empty()) {
        PathStyle st = m_tv->PathSeparator == QLatin1Char('\\') ? PathStyle::Windows : PathStyle::Posix;
        return JoinPath(m_parent->FullPath(), m_text, st);
    }
    const QChar sep = m_tv->PathSeparator;
    QString out = chain[depth - 1]->m_text;
    for (int i = depth - 2; i >= 0; --i) {
        if (!out.endsWith(sep))
            out += sep;
        out += chain[i]->m_text;
    }
    return out;
}

int TvNode::Index() const
{
    m_tv->Compact();
    return m_index;
}

bool TvNode::Selected() const { return m_tv->m_selected == this; }

TvNode* TvNode::Next() const
{
    const std::vector<TvNode*>& sib = m_parent ? m_parent->m_kids : m_tv->m_top;
    size_t r = size_t(m_row) + 1;
    return r < sib.size() ? sib[r] : nullptr;
}

void TvNode::SetChecked(bool on)
{
    if (m_checked == on)
        return;
    m_checked = on;
    if (m_tv->m_obs)
        m_tv->m_obs->Changed(this);
}

void TvNode::SetImage(const QString& img)
{
    if (m_image == img)
        return;
    m_image = img;
    if (m_tv->m_obs)
        m_tv->m_obs->Changed(this);
}

void TvNode::SetExpanded(bool on)
{
    if (m_expanded == on || (on && m_kids.empty()))
        return;
    m_expanded = on;
    if (m_tv->m_obs)
        m_tv->m_obs->ExpandedChanged(this);
    if (on && m_tv->Expand)
        m_tv->Expand(this);
    if (!on && m_tv->Collapse)
        m_tv->Collapse(this);
}

void TvNode::SetSelected(bool on)
{
    TvNode* want = on ? this : (Selected() ? nullptr : m_tv->m_selected);
    if (want == m_tv->m_selected)
        return;
    m_tv->m_selected = want;
    if (m_tv->m_obs)
        m_tv->m_obs->SelectionChanged(want);
}

void TvNode::SetSorted(bool on)
{
    m_sorted = on;
    if (on)
        m_tv->SortChildren(this);
}

// --- TreeView ---

TreeView::TreeView() : PathSeparator(PathSep()) {}
TreeView::~TreeView() = default;

TvNode* TreeView::Item(int index) const
{
    if (index < 1 || index > Count())
        throw FcError(ErrKind::InvalidArgument, QStringLiteral("ｲﾝﾃﾞｯｸｽが範囲外です: %1").arg(index));
    Compact();
    return m_all[size_t(index - 1)].get();
}

TvNode* TreeView::Item(const QString& key) const
{
    TvNode* n = Find(key);
    if (!n)
        throw FcError(ErrKind::InvalidArgument, QStringLiteral("ｷｰが見つかりません: ") + key);
    return n;
}

TvNode* TreeView::Find(const QString& key) const { return m_keys.value(key, nullptr); }

TvNode* TreeView::Add(TvNode* relative, Rel rel, const QString& key, const QString& text, const QString& image)
{
    if (!key.isEmpty() && m_keys.contains(key))
        throw FcError(ErrKind::InvalidArgument, QStringLiteral("ｷｰが重複しています: ") + key);
    auto owned = std::make_unique<TvNode>();
    TvNode* n = owned.get();
    n->m_tv = this;
    n->m_key = key;
    n->m_text = text;
    n->m_image = image;

    TvNode* parent = nullptr;
    int row = 0;
    if (!relative) {
        row = int(m_top.size());
    } else if (rel == tvwChild) {
        parent = relative;
        row = parent->m_sorted ? SortedRow(parent, text) : parent->Children();
    } else {
        parent = relative->m_parent;
        int size = int(Siblings(parent).size());
        switch (rel) {
        case tvwFirst: row = 0; break;
        case tvwLast: row = size; break;
        case tvwNext: row = relative->m_row + 1; break;
        default: row = relative->m_row; break;
        }
    }
    n->m_index = int(m_all.size()) + 1;
    m_all.push_back(std::move(owned));
    ++m_live;
    if (!key.isEmpty())
        m_keys.insert(key, n);
    Insert(parent, row, n);
    return n;
}

void TreeView::Insert(TvNode* parent, int row, TvNode* node)
{
    if (m_obs)
        m_obs->BeginInsert(parent, row);
    std::vector<TvNode*>& sib = Siblings(parent);
    node->m_parent = parent;
    sib.insert(sib.begin() + row, node);
    Renumber(sib, size_t(row));
    if (m_obs)
        m_obs->EndInsert();
}

void TreeView::Renumber(std::vector<TvNode*>& kids, size_t from)
{
    for (size_t i = from; i < kids.size(); ++i)
        kids[i]->m_row = int(i);
}

int TreeView::SortedRow(TvNode* parent, const QString& text)
{
    const std::vector<TvNode*>& kids = parent->m_kids;
    auto it = std::upper_bound(kids.begin(), kids.end(), text,
                               [](const QString& t, const TvNode* n) { return TextBefore(t, n->m_text); });
    return int(it - kids.begin());
}

void TreeView::Remove(int index) { RemoveNode(Item(index)); }
void TreeView::Remove(const QString& key) { RemoveNode(Item(key)); }

void TreeView::RemoveNode(TvNode* node)
{
    std::vector<TvNode*>& sib = Siblings(node->m_parent);
    int row = node->m_row;
    if (m_obs)
        m_obs->BeginRemove(node->m_parent, row);
    sib.erase(sib.begin() + row);
    Renumber(sib, size_t(row));

    std::unordered_set<TvNode*> gone;
    std::vector<TvNode*> stack{node};
    while (!stack.empty()) {
        TvNode* n = stack.back();
        stack.pop_back();
        gone.insert(n);
        m_keys.remove(n->m_key);
        stack.insert(stack.end(), n->m_kids.begin(), n->m_kids.end());
    }
    bool selGone = m_selected && gone.count(m_selected);
    if (selGone)
        m_selected = nullptr;
    for (TvNode* n : gone) {
        m_all[size_t(n->m_index - 1)].reset();
        --m_live;
    }
    m_holes = true;
    if (m_obs) {
        m_obs->EndRemove();
        if (selGone)
            m_obs->SelectionChanged(nullptr);
    }
}

void TreeView::Clear()
{
    if (m_obs)
        m_obs->BeginReset();
    m_top.clear();
    m_keys.clear();
    m_selected = nullptr;
    m_all.clear();
    m_live = 0;
    m_holes = false;
    if (m_obs)
        m_obs->EndReset();
}

void TreeView::Compact() const
{
    if (!m_holes)
        return;
    std::erase_if(m_all, [](const std::unique_ptr<TvNode>& n) { return !n; });
    for (size_t i = 0; i < m_all.size(); ++i)
        m_all[i]->m_index = int(i) + 1;
    m_holes = false;
}

void TreeView::SortChildren(TvNode* node)
{
    if (m_obs)
        m_obs->BeginLayout();
    std::stable_sort(node->m_kids.begin(), node->m_kids.end(),
                     [](const TvNode* a, const TvNode* b) { return TextBefore(a->m_text, b->m_text); });
    Renumber(node->m_kids, 0);
    if (m_obs)
        m_obs->EndLayout();
}

void TreeView::SetCheckBoxes(bool on)
{
    if (m_checkBoxes == on)
        return;
    m_checkBoxes = on;
    if (m_obs) {
        m_obs->BeginLayout();
        m_obs->EndLayout();
    }
}

void TreeView::UserClick()
{
    if (Click)
        Click();
}

void TreeView::UserMouseUp(int button, int shift, int x, int y)
{
    if (MouseUp)
        MouseUp(button, shift, x, y);
}

void TreeView::UserCheck(TvNode* node, bool on)
{
    if (node->m_checked == on)
        return;
    node->SetChecked(on);
    if (NodeCheck)
        NodeCheck(node);
}

void TreeView::UserSelect(TvNode* node)
{
    if (m_selected == node)
        return;
    m_selected = node;
    if (m_obs)
        m_obs->SelectionChanged(node);
}
