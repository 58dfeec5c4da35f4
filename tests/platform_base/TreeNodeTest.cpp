#include "platform/base/TreeNode.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// "A(B,C(D)),E": labels in tree order, children in parentheses.
std::string Shape(const TTreeNode* first) {
    std::string text;
    for (const TTreeNode* node = first; node != nullptr; node = node->getNextSibling()) {
        if (!text.empty()) {
            text += ',';
        }
        text += node->Text();
        if (node->HasChildren()) {
            text += "(" + Shape(node->getFirstChild()) + ")";
        }
    }
    return text;
}

std::string Shape(const TTreeNodes& tree) {
    return Shape(tree.GetFirstNode());
}

// Counts the data objects alive, to see that each is freed exactly once.
struct Counted : TTreeNodeData {
    explicit Counted(int& alive) : alive_(alive) { ++alive_; }
    ~Counted() override { --alive_; }
    int& alive_;
};

struct Recorder : ITreeNodesObserver {
    std::vector<std::string> Calls;
    static std::string Name(const TTreeNode* node) { return node ? node->Text() : "-"; }
    void NodeInserting(TTreeNode* parent, int row) override {
        Calls.push_back("inserting " + Name(parent) + " " + std::to_string(row));
    }
    void NodeInserted(TTreeNode* node) override { Calls.push_back("inserted " + Name(node)); }
    void NodeRemoving(TTreeNode* node) override { Calls.push_back("removing " + Name(node)); }
    void NodeRemoved() override { Calls.push_back("removed"); }
    void NodeMoving(TTreeNode* node, TTreeNode* parent, int row) override {
        Calls.push_back("moving " + Name(node) + " " + Name(parent) + " " + std::to_string(row));
    }
    void NodeMoved(TTreeNode* node) override { Calls.push_back("moved " + Name(node)); }
    void TreeClearing() override { Calls.push_back("clearing"); }
    void TreeCleared() override { Calls.push_back("cleared"); }
    void NodeChanged(TTreeNode* node) override { Calls.push_back("changed " + Name(node)); }
    void SelectionChanging(TTreeNode* from, TTreeNode* to) override {
        Calls.push_back("selecting " + Name(from) + ">" + Name(to));
    }
    void EditRequested(TTreeNode* node) override { Calls.push_back("edit " + Name(node)); }
    void NodeDataChanged(TTreeNode* node) override { Calls.push_back("data " + Name(node)); }
    void TreeUpdating() override { Calls.push_back("updating"); }
    void TreeUpdated() override { Calls.push_back("updated"); }
};

// A(B,C(D)),E
struct SmallTree {
    TTreeNodes tree;
    TTreeNode* a = tree.Add(nullptr, "A");
    TTreeNode* e = tree.Add(a, "E");
    TTreeNode* b = tree.AddChild(a, "B");
    TTreeNode* c = tree.Add(b, "C");
    TTreeNode* d = tree.AddChild(c, "D");
};

} // namespace

TEST(TreeNodes, AddChildInsertAndTheWalks) {
    SmallTree t;
    EXPECT_EQ(Shape(t.tree), "A(B,C(D)),E");
    TTreeNode* first = t.tree.Insert(t.a, "0");
    TTreeNode* beforeC = t.tree.Insert(t.c, "b2");
    TTreeNode* last = t.tree.Insert(nullptr, "Z");
    EXPECT_EQ(Shape(t.tree), "0,A(B,b2,C(D)),E,Z");
    EXPECT_EQ(t.tree.Count(), 8);

    std::vector<std::string> order;
    for (const TTreeNode* node = t.tree.GetFirstNode(); node; node = node->GetNext()) {
        order.push_back(node->Text());
        EXPECT_EQ(t.tree.Item(node->AbsoluteIndex()), node);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"0", "A", "B", "b2", "C", "D", "E", "Z"}));
    EXPECT_EQ(t.tree.Item(8), nullptr);
    EXPECT_EQ(t.tree.Item(-1), nullptr);

    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_EQ(t.d->Parent(), t.c);
    EXPECT_EQ(t.d->Level(), 2);
    EXPECT_EQ(beforeC->Index(), 1);
    EXPECT_EQ(t.c->Index(), 2);
    EXPECT_EQ(t.c->getPrevSibling(), beforeC);
    EXPECT_EQ(t.d->GetNextSkippingChildren(), t.e);
    EXPECT_EQ(last->GetNext(), nullptr);
    EXPECT_TRUE(t.d->HasAsParent(t.a));
    EXPECT_FALSE(t.a->HasAsParent(t.a));
    EXPECT_EQ(t.tree.TopLevelCount(), 4);

    // Nodes of another tree are refused.
    TTreeNodes other;
    EXPECT_EQ(other.AddChild(t.a, "x"), nullptr);
    EXPECT_EQ(other.Insert(t.a, "x"), nullptr);
    other.SetSelected(t.a);
    EXPECT_EQ(other.Selected(), nullptr);
    EXPECT_EQ(other.Count(), 0);
}

TEST(TreeNodes, MoveToEveryModeAndTheRefusals) {
    SmallTree t;
    EXPECT_TRUE(t.e->MoveTo(t.c, TNodeAttachMode::naAddChild));
    EXPECT_EQ(Shape(t.tree), "A(B,C(D,E))");
    EXPECT_TRUE(t.b->MoveTo(t.d, TNodeAttachMode::naInsert));
    EXPECT_EQ(Shape(t.tree), "A(C(B,D,E))");
    EXPECT_TRUE(t.d->MoveTo(nullptr, TNodeAttachMode::naAdd));
    EXPECT_EQ(Shape(t.tree), "A(C(B,E)),D");
    EXPECT_TRUE(t.a->MoveTo(t.d, TNodeAttachMode::naAdd));
    EXPECT_EQ(Shape(t.tree), "D,A(C(B,E))");
    EXPECT_TRUE(t.b->MoveTo(nullptr, TNodeAttachMode::naInsert));
    EXPECT_EQ(Shape(t.tree), "D,A(C(E)),B");
    for (const TTreeNode* node = t.tree.GetFirstNode(); node; node = node->GetNext()) {
        EXPECT_EQ(node->Parent() ? node->Parent()->Item(node->Index())
                                 : t.tree.TopLevelItem(node->Index()),
                  node);
    }

    // Into itself or below itself: nothing moves.
    EXPECT_FALSE(t.a->MoveTo(t.a, TNodeAttachMode::naAddChild));
    EXPECT_FALSE(t.a->MoveTo(t.e, TNodeAttachMode::naInsert));
    EXPECT_FALSE(t.c->MoveTo(t.e, TNodeAttachMode::naAdd));
    TTreeNode loose;
    EXPECT_FALSE(loose.MoveTo(t.a, TNodeAttachMode::naAdd));
    TTreeNodes other;
    EXPECT_FALSE(t.a->MoveTo(other.Add(nullptr, "x"), TNodeAttachMode::naAdd));
    EXPECT_EQ(Shape(t.tree), "D,A(C(E)),B");
}

TEST(TreeNodes, ObserverSeesRowsAsTheyStandBeforeTheChange) {
    TTreeNodes tree;
    Recorder seen;
    tree.AddObserver(&seen);
    TTreeNode* a = tree.Add(nullptr, "A");
    TTreeNode* b = tree.Add(a, "B");
    TTreeNode* c = tree.Add(a, "C");
    b->MoveTo(c, TNodeAttachMode::naAdd);    // row 3 counts B itself, still in place
    b->MoveTo(c, TNodeAttachMode::naInsert); // back before C
    a->MoveTo(b, TNodeAttachMode::naInsert); // already there: nothing said
    c->MoveTo(a, TNodeAttachMode::naAddChild);
    c->SetText("C2");
    tree.SetSelected(c);
    c->EditText();
    a->Delete();
    EXPECT_EQ(seen.Calls,
              (std::vector<std::string>{"inserting - 0", "inserted A", "inserting - 1",
                                        "inserted B", "inserting - 2", "inserted C", "moving B - 3",
                                        "moved B", "moving B - 1", "moved B", "moving C A 0",
                                        "moved C", "changed C2", "selecting ->C2", "edit C2",
                                        "selecting C2>B", "removing A", "removed"}));
    seen.Calls.clear();
    // A second observer hears the same; a node of another tree announces nothing.
    Recorder second;
    tree.AddObserver(&second);
    tree.AddObserver(&second);
    TTreeNodes other;
    tree.DataChanged(other.Add(nullptr, "X"));
    tree.DataChanged(tree.Selected());
    tree.DataChanged(nullptr);
    tree.RemoveObserver(&second);
    tree.Clear();
    EXPECT_EQ(second.Calls, (std::vector<std::string>{"data B", "data -"}));
    EXPECT_EQ(seen.Calls, (std::vector<std::string>{"data B", "data -", "selecting B>-", "clearing",
                                                    "cleared"}));
}

TEST(TreeNodes, DeleteFreesTheSubtreeOnceAndPassesTheSelectionOn) {
    int alive = 0;
    TTreeNodes tree;
    TTreeNode* a = tree.AddObject(nullptr, "A", std::make_unique<Counted>(alive));
    TTreeNode* b = tree.AddChildObject(a, "B", std::make_unique<Counted>(alive));
    TTreeNode* c = tree.AddChildObject(a, "C", std::make_unique<Counted>(alive));
    tree.AddChildObject(c, "D", std::make_unique<Counted>(alive));
    TTreeNode* e = tree.AddObject(a, "E", std::make_unique<Counted>(alive));
    const uint64_t idC = c->ItemId();
    EXPECT_EQ(alive, 5);

    // The selection inside a deleted subtree goes to the next sibling, else the previous
    // one, else the parent.
    tree.SetSelected(c->getFirstChild());
    c->Delete();
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.Selected(), b);
    EXPECT_EQ(tree.FindByItemId(idC), nullptr);
    b->Delete();
    EXPECT_EQ(tree.Selected(), a);
    tree.SetSelected(a);
    a->Delete();
    EXPECT_EQ(tree.Selected(), e);
    EXPECT_EQ(Shape(tree), "E");

    // Item ids are never given twice.
    TTreeNode* f = tree.Add(nullptr, "F");
    EXPECT_GT(f->ItemId(), idC);
    EXPECT_EQ(tree.FindByItemId(f->ItemId()), f);
    EXPECT_EQ(tree.FindByItemId(0), nullptr);

    tree.Clear();
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Selected(), nullptr);
}

TEST(TreeNodes, ExpandAndCollapseWholeTreeOrSubtree) {
    SmallTree t;
    t.tree.FullExpand();
    EXPECT_TRUE(t.a->Expanded() && t.c->Expanded() && t.d->Expanded() && t.e->Expanded());
    t.a->Collapse(true);
    EXPECT_FALSE(t.a->Expanded() || t.c->Expanded() || t.d->Expanded());
    EXPECT_TRUE(t.e->Expanded());
    t.c->Expand(false);
    EXPECT_TRUE(t.c->Expanded());
    EXPECT_FALSE(t.d->Expanded());
    t.tree.FullCollapse();
    EXPECT_FALSE(t.e->Expanded() || t.c->Expanded());
}

TEST(TreeNodes, AVeryDeepTreeIsWalkedAndFreedWithoutRecursion) {
    int alive = 0;
    {
        TTreeNodes tree;
        TTreeNode* node = nullptr;
        for (int i = 0; i < 200000; ++i) {
            node = tree.AddChildObject(node, "n", std::make_unique<Counted>(alive));
        }
        EXPECT_EQ(node->Level(), 199999);
        int walked = 0;
        for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
            ++walked;
        }
        EXPECT_EQ(walked, 200000);
        tree.GetFirstNode()->getFirstChild()->Delete();
        EXPECT_EQ(alive, 1);
        EXPECT_EQ(tree.Count(), 1);
        for (int i = 0; i < 200000; ++i) {
            tree.AddChildObject(tree.GetFirstNode(), "m", std::make_unique<Counted>(alive));
        }
    }
    EXPECT_EQ(alive, 0);
}

// A batch of changes is announced as a whole, however it nests and however it is left: the
// observers hear its start and its end, and at the end find the tree as the batch left it.
TEST(TreeNodes, AnUpdateIsAnnouncedOnceAsAWhole) {
    TTreeNodes tree;
    TTreeNode* a = tree.Add(nullptr, "A");
    Recorder seen;
    tree.AddObserver(&seen);
    TTreeNode* selectedAtEnd = nullptr;
    struct AtEnd : ITreeNodesObserver {
        TTreeNodes& Tree;
        TTreeNode*& Selected;
        int Count = -1;
        AtEnd(TTreeNodes& tree, TTreeNode*& selected) : Tree(tree), Selected(selected) {}
        void TreeUpdated() override {
            Selected = Tree.Selected();
            Count = Tree.Count();
        }
    } atEnd(tree, selectedAtEnd);
    tree.AddObserver(&atEnd);
    {
        TTreeUpdate outer(tree);
        EXPECT_TRUE(tree.Updating());
        TTreeNode* b = tree.AddChild(a, "B");
        tree.SetSelected(b);
        {
            TTreeUpdate inner(tree);
            TTreeNode* c = tree.Add(b, "C");
            c->SetText("C2");
            c->MoveTo(a, TNodeAttachMode::naInsert);
            tree.DataChanged(c);
            c->EditText();
        }
        EXPECT_TRUE(tree.Updating()); // the inner end is not the end
        b->Delete();
        tree.SetSelected(tree.GetFirstNode());
    }
    EXPECT_FALSE(tree.Updating());
    EXPECT_EQ(seen.Calls, (std::vector<std::string>{"updating", "updated"}));
    EXPECT_EQ(Shape(tree), "C2,A");
    EXPECT_EQ(selectedAtEnd, tree.GetFirstNode());
    EXPECT_EQ(atEnd.Count, 2);

    // Afterwards every change is told again, one by one; an end without a start does nothing.
    seen.Calls.clear();
    tree.EndUpdate();
    tree.Add(nullptr, "D");
    EXPECT_EQ(seen.Calls, (std::vector<std::string>{"inserting - 2", "inserted D"}));

    // Left by an exception, the batch still ends.
    seen.Calls.clear();
    try {
        TTreeUpdate update(tree);
        tree.Clear();
        throw std::runtime_error("read error");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(tree.Updating());
    EXPECT_EQ(seen.Calls, (std::vector<std::string>{"updating", "updated"}));
    tree.RemoveObserver(&atEnd);
}
