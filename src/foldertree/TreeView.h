#pragma once
// The folder tree's node model: keyed nodes with text, picture, check mark,
// expansion and sorted children, a node collection indexed from 1, and the
// notifications of a tree view (Click, MouseUp, Expand, Collapse,
// NodeCheck). A Qt item model presents it; user actions come back here.
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TvNode;

// Told of every change so a view can follow.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void BeginInsert(TvNode* parent, int row) = 0;
    virtual void EndInsert() = 0;
    virtual void BeginRemove(TvNode* parent, int row) = 0;
    virtual void EndRemove() = 0;
    virtual void BeginReset() = 0;
    virtual void EndReset() = 0;
    virtual void BeginLayout() = 0;
    virtual void EndLayout() = 0;
    virtual void Changed(TvNode* node) = 0;
    virtual void ExpandedChanged(TvNode* node) = 0;
    virtual void SelectionChanged(TvNode* node) = 0;
};

class TreeView;

class TvNode {
public:
    const QString& Key() const { return m_key; }
    const QString& Text() const { return m_text; }
    const QString& Image() const { return m_image; }
    QString FullPath() const;
    int Index() const;
    bool Checked() const { return m_checked; }
    bool Expanded() const { return m_expanded; }
    bool Sorted() const { return m_sorted; }
    bool Selected() const;
    int Children() const { return int(m_kids.size()); }
    TvNode* Child() const { return m_kids.empty() ? nullptr : m_kids.front(); }
    TvNode* Next() const;
    TvNode* Parent() const { return m_parent; }
    TvNode* ChildAt(int row) const { return m_kids[size_t(row)]; }
    int Row() const { return m_row; }

    void SetChecked(bool on);
    void SetImage(const QString& img);
    void SetExpanded(bool on);
    void SetSelected(bool on);
    void SetSorted(bool on);

private:
    friend class TreeView;
    TreeView* m_tv = nullptr;
    QString m_key, m_text, m_image;
    int m_index = 0;
    int m_row = 0;
    bool m_checked = false, m_expanded = false, m_sorted = false;
    TvNode* m_parent = nullptr;
    std::vector<TvNode*> m_kids;
};

class TreeView {
public:
    enum Rel { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };

    TreeView();
    ~TreeView();
    TreeView(const TreeView&) = delete;
    TreeView& operator=(const TreeView&) = delete;

    // --- node collection ---
    int Count() const { return m_live; }
    TvNode* Item(int index) const;          // from 1; throws when out of range
    TvNode* Item(const QString& key) const; // throws when no node has the key
    TvNode* Find(const QString& key) const; // nullptr when no node has the key
    // Adds a node; `relative` null adds a top-level node.
    TvNode* Add(TvNode* relative, Rel rel, const QString& key, const QString& text, const QString& image = QString());
    void Remove(int index);
    void Remove(const QString& key);
    void Clear();

    TvNode* SelectedItem() const { return m_selected; }
    TvNode* Root() const { return m_top.empty() ? nullptr : m_top.front(); }
    const std::vector<TvNode*>& TopNodes() const { return m_top; }
    bool HideSelection = true;
    bool CheckBoxes() const { return m_checkBoxes; }
    void SetCheckBoxes(bool on);
    QChar PathSeparator;

    // --- what a user does (from the view) ---
    void UserClick();
    void UserMouseUp(int button, int shift, int x, int y);
    void UserCheck(TvNode* node, bool on);
    void UserSelect(TvNode* node);

    // --- notifications ---
    std::function<void()> Click;
    std::function<void(int, int, int, int)> MouseUp;
    std::function<void(TvNode*)> Expand;
    std::function<void(TvNode*)> Collapse;
    std::function<void(TvNode*)> NodeCheck;

    void SetObserver(TreeObserver* obs) { m_obs = obs; }
    TreeObserver* Observer() const { return m_obs; }

private:
    friend class TvNode;
    std::vector<TvNode*>& Siblings(TvNode* parent) { return parent ? parent->m_kids : m_top; }
    void Insert(TvNode* parent, int row, TvNode* node);
    void RemoveNode(TvNode* node);
    void Renumber(std::vector<TvNode*>& kids, size_t from);
    void SortChildren(TvNode* node);
    int SortedRow(TvNode* parent, const QString& text);

    void Compact() const;

    // Nodes in collection order; removed ones leave an empty slot until the
    // next lookup by position, so removing is cheap.
    mutable std::vector<std::unique_ptr<TvNode>> m_all;
    mutable bool m_holes = false;
    int m_live = 0;
    std::vector<TvNode*> m_top;
    QHash<QString, TvNode*> m_keys;
    TvNode* m_selected = nullptr;
    TreeObserver* m_obs = nullptr;
    bool m_checkBoxes = false;
};

// The tree's alphabetical order of node texts.
bool TextBefore(const QString& a, const QString& b);
