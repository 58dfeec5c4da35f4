// The Qt model and view of the binder tree follow every change of the nodes.
#include "app/ui/TreeNodesModel.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/TreePane.h"
#include "app/ui/TreeSelection.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The labels of the view's rows, parents before children, as "label" or "label(children)".
std::string Shape(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
    std::string shape;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        shape += (row ? " " : "") + index.data().toString().toStdString();
        if (model.rowCount(index) > 0) {
            shape += "(" + Shape(model, index) + ")";
        }
    }
    return shape;
}

} // namespace

TEST(TreeNodesModel, MirrorsInsertsMovesRemovalsAndClearing) {
    TTreeNodes nodes;
    TTreeNodesModel model(nodes, nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTreeNode* a = nodes.Add(nullptr, "a");
    TTreeNode* b = nodes.Add(nullptr, "b");
    TTreeNode* c = nodes.AddChild(a, "c");
    nodes.AddChild(c, "d");
    nodes.Insert(a, "e");
    EXPECT_EQ(Shape(model), "e a(c(d)) b");
    ASSERT_TRUE(c->MoveTo(b, TNodeAttachMode::naAddChild));
    ASSERT_TRUE(b->MoveTo(nodes.GetFirstNode(), TNodeAttachMode::naInsert));
    ASSERT_TRUE(nodes.GetFirstNode()->MoveTo(nullptr, TNodeAttachMode::naAdd)); // down its level
    EXPECT_EQ(Shape(model), "e a b(c(d))");
    a->SetText("A");
    EXPECT_EQ(Shape(model), "e A b(c(d))");
    b->Delete();
    EXPECT_EQ(Shape(model), "e A");
    nodes.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    nodes.Add(nullptr, "f");
    EXPECT_EQ(Shape(model), "f");
}

TEST(BinderTreeView, FollowsSelectionExpansionAndEdits) {
    MainWindowRig rig;
    TBinderTreeView& view = rig.Make().TreePane().TreeView1();
    TTreeNode* folder = rig.Add(NodeKind::Folder, "Folder");
    TTreeNode* page = rig.Add(NodeKind::WebPage, "Page", folder);
    TTreeNodes& nodes = rig.Window->Binder().Items();

    // Selecting a node below a collapsed folder opens the folder, in the view and the node.
    nodes.SetSelected(page);
    EXPECT_EQ(view.currentIndex().data().toString(), "Page");
    EXPECT_TRUE(folder->Expanded());
    view.collapse(view.model()->index(0, 0));
    EXPECT_FALSE(folder->Expanded());
    folder->Expand(false);
    EXPECT_TRUE(view.isExpanded(view.model()->index(0, 0)));

    // The view's own choice goes to the nodes.
    view.setCurrentIndex(view.model()->index(0, 0));
    EXPECT_EQ(nodes.Selected(), folder);

    // An in-place edit renames through the binder, made unique over the whole tree.
    rig.Settings.ListMode = 2;
    ASSERT_TRUE(view.model()->setData(view.model()->index(0, 0), "Page", Qt::EditRole));
    EXPECT_EQ(folder->Text(), "Page(1)");
    EXPECT_TRUE(rig.Window->Binder().BinderDirty);
}

TEST(BinderTreeView, CtrlAndShiftPressesBuildTheMultiSelection) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TBinderTreeView& view = window.TreePane().TreeView1();
    auto& model = static_cast<TTreeNodesModel&>(*view.model());
    TTreeNode* a = rig.Add(NodeKind::Folder, "a");
    TTreeNode* b = rig.Add(NodeKind::WebPage, "b");
    TTreeNode* c = rig.Add(NodeKind::Notes, "c");
    window.show();
    QCoreApplication::processEvents();
    const auto press = [&](TTreeNode* node, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers,
                          view.visualRect(model.IndexOf(node)).center());
        return window.TreePane().Selection().MultiSelection();
    };
    using List = std::vector<TTreeNode*>;
    EXPECT_EQ(press(a, Qt::NoModifier), List{});
    EXPECT_EQ(press(c, Qt::ControlModifier), (List{a, c})); // the anchor joins first
    EXPECT_EQ(window.Binder().Selected(), c);
    EXPECT_TRUE(model.IndexOf(a).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(press(a, Qt::ControlModifier), List{c});
    EXPECT_FALSE(model.IndexOf(a).data(Qt::BackgroundRole).isValid());
    // A Ctrl press selects its node too: the range runs from that node, a, to b.
    EXPECT_EQ(press(b, Qt::ShiftModifier), (List{c, a, b}));
    EXPECT_EQ(press(b, Qt::NoModifier), List{});
}
