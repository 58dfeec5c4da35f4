#include "app/ui/TreeSelection.h"

#include "tests/app_binder/BinderTreeFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The binder tree with its view's multi-selection, which the delete command takes.
struct SelectingBinder : PagesBinder {
    TTreeSelection selection{binder};

    SelectingBinder() { commands.SetSelection(&selection); }
    ~SelectingBinder() { commands.SetSelection(nullptr); }
};

} // namespace

TEST(TreeSelection, MultiDeleteOfAParentWithItsChildDeletesEachOnce) {
    for (bool childFirst : {false, true}) {
        SelectingBinder b;
        // Click G, Ctrl-click Q and R; or Q first, then G.
        b.Tree().SetSelected(childFirst ? b.q : b.g);
        b.selection.TreeView1Changing();
        b.Tree().SetSelected(childFirst ? b.g : b.q);
        b.selection.TreeView1MouseDown(childFirst ? b.g : b.q, false, true, true);
        b.selection.TreeView1MouseDown(b.r, false, true, true);
        ASSERT_EQ(b.selection.MultiSelection().size(), 3u);
        b.commands.EditDelete1Execute();
        EXPECT_EQ(TreeShape(b.Tree()), "F#F(P#A1)");
        EXPECT_EQ(b.capture.Calls.size(), 3u);
        EXPECT_FALSE(fs::exists(b.StoreFolder(0xA2)));
        EXPECT_TRUE(b.selection.MultiSelection().empty());
    }
}

TEST(TreeSelection, MultiSelectionPresses) {
    SelectingBinder b;
    auto titles = [&] {
        std::string text;
        for (const TTreeNode* node : b.selection.MultiSelection()) {
            text += TitleOf(node);
        }
        return text;
    };
    b.Tree().SetSelected(b.p);
    b.selection.TreeView1Changing();
    b.Tree().SetSelected(b.q);
    b.selection.TreeView1MouseDown(b.q, true, false, true);
    EXPECT_EQ(titles(), "PGQ");
    b.selection.TreeView1MouseDown(b.g, false, true, true); // Ctrl on a listed node: it leaves
    EXPECT_EQ(titles(), "PQ");
    b.selection.TreeView1MouseDown(b.r, false, true, false);
    EXPECT_EQ(titles(), "PQR");
    b.selection.TreeView1MouseDown(b.r, false, false, false); // right button: list stays
    EXPECT_EQ(titles(), "PQR");
    b.selection.TreeView1MouseDown(b.r, false, false, true);
    EXPECT_EQ(titles(), "");
    // Ctrl with an anchor not listed: the anchor joins first.
    b.selection.TreeView1Changing(); // anchor Q
    b.selection.TreeView1MouseDown(b.f, false, true, true);
    EXPECT_EQ(titles(), "QF");
}

TEST(TreeSelection, ABinderReadOrClosedEmptiesTheList) {
    for (bool close : {false, true}) {
        SelectingBinder b;
        b.Tree().SetSelected(b.p);
        b.selection.TreeView1Changing();
        b.Tree().SetSelected(b.q);
        b.selection.TreeView1MouseDown(b.q, true, false, true);
        ASSERT_EQ(b.selection.MultiSelection().size(), 3u);
        // The list was made for the tree as it was: a binder read anew or closed starts
        // without one, and without the anchor a Ctrl press would add first.
        TTreeNode* target = b.r;
        if (close) {
            b.binder.CloseTree();
            target = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0xB1, "B");
        } else {
            b.commands.LoadBinderTree();
        }
        EXPECT_TRUE(b.selection.MultiSelection().empty()) << close;
        b.selection.TreeView1MouseDown(target, false, true, true);
        EXPECT_EQ(b.selection.MultiSelection(), std::vector<TTreeNode*>{target}) << close;
    }
}
