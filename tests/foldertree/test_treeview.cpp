#include "env/Error.h"
#include "foldertree/TreeView.h"

#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {
struct Tree : ::testing::Test {
    TreeView tv;
    QStringList events;
    void SetUp() override
    {
        tv.PathSeparator = '\\';
        tv.Expand = [this](TvNode* n) { events << "Expand " + n->Key(); };
        tv.Collapse = [this](TvNode* n) { events << "Collapse " + n->Key(); };
        tv.NodeCheck = [this](TvNode* n) { events << QString("Check %1 %2").arg(n->Key()).arg(n->Checked()); };
    }
    QStringList Texts(TvNode* n)
    {
        QStringList out;
        for (TvNode* c = n->Child(); c; c = c->Next())
            out << c->Text();
        return out;
    }
};
} // namespace

TEST_F(Tree, FullPathIndexAndKeys)
{
    TvNode* root = tv.Add(nullptr, TreeView::tvwChild, "Nd000", "C:", "icOpen");
    TvNode* win = tv.Add(root, TreeView::tvwChild, "Nd001", "Windows");
    TvNode* sys = tv.Add(win, TreeView::tvwChild, "Nd002", "System32");
    EXPECT_EQ(sys->FullPath(), "C:\\Windows\\System32");
    EXPECT_EQ(root->Index(), 1);
    EXPECT_EQ(tv.Item(3), sys);
    EXPECT_EQ(tv.Item("Nd001"), win);
    EXPECT_THROW(tv.Item("Nd999"), FcError);
    EXPECT_THROW(tv.Add(root, TreeView::tvwChild, "Nd001", "dup"), FcError);

    tv.Clear();
    EXPECT_EQ(tv.Count(), 0);
    TvNode* again = tv.Add(nullptr, TreeView::tvwChild, "Nd000", "D:\\Work");
    EXPECT_EQ(again->Index(), 1);
    EXPECT_EQ(tv.Add(again, TreeView::tvwChild, "Nd001", "src")->FullPath(), "D:\\Work\\src");

    TreeView posix;
    posix.PathSeparator = '/';
    TvNode* r = posix.Add(nullptr, TreeView::tvwChild, "Nd000", "/");
    EXPECT_EQ(posix.Add(r, TreeView::tvwChild, "Nd001", "home")->FullPath(), "/home");
}

TEST_F(Tree, RemovalTakesTheSubtreeAndRenumbers)
{
    TvNode* root = tv.Add(nullptr, TreeView::tvwChild, "Nd000", "C:");
    TvNode* a = tv.Add(root, TreeView::tvwChild, "Nd001", "a");
    tv.Add(a, TreeView::tvwChild, "Nd001X", "?");
    TvNode* b = tv.Add(root, TreeView::tvwChild, "Nd002", "b");
    b->SetSelected(true);
    tv.Remove("Nd001");
    EXPECT_EQ(tv.Count(), 2);
    EXPECT_EQ(tv.Find("Nd001X"), nullptr);
    EXPECT_EQ(b->Index(), 2);
    EXPECT_EQ(tv.SelectedItem(), b);
    tv.Remove(2);
    EXPECT_EQ(tv.SelectedItem(), nullptr);
    EXPECT_EQ(root->Children(), 0);
}

TEST_F(Tree, SortedOrdersChildrenAndKeepsNewOnesInOrder)
{
    TvNode* root = tv.Add(nullptr, TreeView::tvwChild, "Nd000", "C:");
    for (const char* n : {"pear", "Apple", "fig"})
        tv.Add(root, TreeView::tvwChild, QString("k") + n, n);
    EXPECT_EQ(Texts(root), QStringList({"pear", "Apple", "fig"}));
    root->SetSorted(true);
    EXPECT_EQ(Texts(root), QStringList({"Apple", "fig", "pear"}));
    tv.Add(root, TreeView::tvwChild, "kb", "banana");
    EXPECT_EQ(Texts(root), QStringList({"Apple", "banana", "fig", "pear"}));
    // an explicit place is kept
    tv.Add(tv.Item("kfig"), TreeView::tvwNext, "kz", "zz");
    tv.Add(tv.Item("kfig"), TreeView::tvwFirst, "ky", "yy");
    EXPECT_EQ(Texts(root), QStringList({"yy", "Apple", "banana", "fig", "zz", "pear"}));
}

TEST_F(Tree, ExpandedNotifiesLikeTheUserAndCheckAfterChange)
{
    TvNode* root = tv.Add(nullptr, TreeView::tvwChild, "Nd000", "C:");
    TvNode* leaf = tv.Add(root, TreeView::tvwChild, "Nd001", "a");
    root->SetExpanded(true);
    root->SetExpanded(true);
    leaf->SetExpanded(true); // no children: nothing to expand
    root->SetExpanded(false);
    EXPECT_EQ(events, QStringList({"Expand Nd000", "Collapse Nd000"}));
    events.clear();
    leaf->SetChecked(true); // the program's own change raises nothing
    tv.UserCheck(leaf, false);
    EXPECT_EQ(events, QStringList({"Check Nd001 0"}));
}
