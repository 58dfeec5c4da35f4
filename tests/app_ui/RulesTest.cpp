// The window's rules that need no window: switches, status texts and progress, node images
// and the zones of the tree a drop can hit.
#include "app/binder/PageInfo.h"
#include "app/ui/CommandLine.h"
#include "app/ui/NodeImages.h"
#include "app/ui/StatusRules.h"
#include "app/ui/TreeHitZone.h"

#include <gtest/gtest.h>

TEST(CommandLine, SwitchesAreComparedInLowerCaseAndTheFirstOtherArgumentIsTheFile) {
    struct Case {
        std::vector<std::string> args;
        bool nodde, tip;
        std::optional<std::string> file;
    };
    const Case cases[] = {
        {{"/nodde"}, true, false, {}}, // the program's own path counts as an argument too
        {{"tarnwick", "/NODDE", "/Tip"}, true, true, {}},
        {{"tarnwick", "-nodde", "-tip", "--x"}, false, false, {}},
        {{"tarnwick", "/nodde", "/home/u/a.bdf", "b.bdf"}, true, false, "/home/u/a.bdf"},
        {{"tarnwick", "", "/nodd", "x"}, false, false, "/nodd"},
    };
    for (const Case& c : cases) {
        const TCommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.CmdNODDE, c.nodde) << c.args.back();
        EXPECT_EQ(line.CmdTIP, c.tip) << c.args.back();
        EXPECT_EQ(line.FileArgument, c.file) << c.args.back();
    }
}

TEST(StatusRules, BrowserTextsProgressAndPanelTexts) {
    EXPECT_TRUE(BrowserStatusShown("Opening page http://a.example/x"));
    EXPECT_FALSE(BrowserStatusShown("Done"));
    EXPECT_FALSE(BrowserStatusShown("FILE:///c/a.htm"));
    EXPECT_FALSE(BrowserStatusShown("profile.htm"));
    const int progress[][3] = {{50, 200, 25},        {1, 100, 0},  {7, 0, 0},
                               {-1, 100, 0},         {-1, 50, 0},  {300, 100, 100},
                               {2000000000, 3, 100}, {99, 100, 99}};
    for (const auto& [value, maximum, expected] : progress) {
        EXPECT_EQ(BrowserProgressPosition(value, maximum), expected) << value << "/" << maximum;
    }
    EXPECT_EQ(CaretPositionText(3, 14), "Ln 3 , Col. 14");
    EXPECT_EQ(GetLongHint("Cut|Cut the node"), "Cut the node");
    EXPECT_EQ(GetLongHint("Plain"), "Plain");
}

TEST(NodeImages, ByKindChildrenExpansionAndSelection) {
    TTreeNodes tree;
    const auto add = [&](TTreeNode* parent, NodeKind kind) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = kind;
        return tree.AddChildObject(parent, "n", std::move(record));
    };
    TTreeNode* folder = add(nullptr, NodeKind::Folder);
    TTreeNode* page = add(nullptr, NodeKind::WebPage);
    EXPECT_EQ(NodeImageIndex(folder, false), ImageClosedFolder);
    EXPECT_EQ(NodeImageIndex(page, false), ImagePage);
    EXPECT_EQ(NodeImageIndex(page, true), ImagePageSelected);
    EXPECT_EQ(NodeImageIndex(add(nullptr, NodeKind::Notes), true), ImageNotes);
    EXPECT_EQ(NodeImageIndex(add(nullptr, NodeKind::Link), false), ImageLink);
    EXPECT_EQ(NodeImageIndex(tree.Add(nullptr, "no record"), false), -1);
    // Any node with children shows the folder images, a page too.
    add(page, NodeKind::Notes);
    EXPECT_EQ(NodeImageIndex(page, true), ImageClosedFolder);
    page->Expand(false);
    EXPECT_EQ(NodeImageIndex(page, false), ImageOpenParent);
}

TEST(TreeHitZone, FromIndentToLabelAndBeyond) {
    // A row at level 1: indent up to 20, button 20..40, icon 40..60, label 60..120.
    TTreeRowGeometry row{40, 20, true, 60, 120};
    const std::pair<int, THitZone> withButton[] = {
        {0, THitZone::Indent},     {19, THitZone::Indent}, {20, THitZone::Elsewhere},
        {39, THitZone::Elsewhere}, {40, THitZone::Icon},   {59, THitZone::Icon},
        {60, THitZone::Label},     {119, THitZone::Label}, {120, THitZone::Elsewhere}};
    for (const auto& [x, zone] : withButton) {
        EXPECT_EQ(TreeHitZone(x, &row, false), zone) << x;
    }
    row.HasButton = false; // a leaf: the button's place is indent
    EXPECT_EQ(TreeHitZone(25, &row, false), THitZone::Indent);
    EXPECT_EQ(TreeHitZone(25, nullptr, true), THitZone::BelowNodes);
    EXPECT_EQ(TreeHitZone(25, nullptr, false), THitZone::Elsewhere);
}
