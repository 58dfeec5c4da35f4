#include "ShelfBarTestBar.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TRect ItemRect(TShelfBar& bar, int panel, int item) {
    TShelfPanel& p = bar.Panels()[panel];
    return bar.GetItemRect(&p, &p.Items()[item]);
}

} // namespace

TEST(ShelfBarGeometry, SinglePanelCaptionsStackAroundTheOpenPanel) {
    struct Case {
        int top;
        int captionTops[3];
        TRect area;
        TRect item1;
    };
    for (Case c : {Case{0, {0, 260, 280}, Rect(0, 20, 180, 260), Rect(0, 68, 180, 116)},
                   Case{1, {0, 20, 280}, Rect(0, 40, 180, 280), Rect(0, 88, 180, 136)},
                   Case{2, {0, 20, 40}, Rect(0, 60, 180, 300), Rect(0, 108, 180, 156)}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({4, 4, 4});
        bar.SetTopPanel(c.top);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(bar.GetCaptionRect(&bar.Panels()[i]),
                      Rect(0, c.captionTops[i], 180, c.captionTops[i] + 20));
        }
        EXPECT_EQ(bar.OpenAreaRect(), c.area);
        EXPECT_EQ(ItemRect(bar, c.top, 1), c.item1);
    }
}

TEST(ShelfBarGeometry, MultiPanelModeScrollsOpenPanels) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({5, 3, 2});
    bar.SetMode(TShelfBarMode::imMultiPanelActive);
    bar.Panels()[2].SetOpen(true);
    ASSERT_TRUE(bar.ScrollBarShown());
    EXPECT_EQ(bar.ScrollBar().Max(), 60 + 7 * 48 - 300);
    bar.ScrollBar().SetPosition(30);
    EXPECT_EQ(bar.GetCaptionRect(&bar.Panels()[0]), Rect(0, -30, 180, -10));
    EXPECT_EQ(bar.GetCaptionRect(&bar.Panels()[1]), Rect(0, 230, 180, 250));
    EXPECT_EQ(bar.GetCaptionRect(&bar.Panels()[2]), Rect(0, 250, 180, 270));
    EXPECT_EQ(ItemRect(bar, 0, 1), Rect(0, 38, 164, 86));
    EXPECT_EQ(ItemRect(bar, 2, 0), Rect(0, 270, 164, 318));
    EXPECT_EQ(ItemRect(bar, 1, 0), TRect{});
    EXPECT_EQ(bar.GetItem(5, 39), &bar.Panels()[0].Items()[1]);
    EXPECT_EQ(bar.GetCaption(5, 240), &bar.Panels()[1]);
}

TEST(ShelfBarGeometry, ScrollBarFollowsTheContentHeight) {
    struct Case {
        int items;
        bool shown;
        int max;
    };
    for (Case c : {Case{4, false, 0}, {10, true, 250}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({c.items, 1, 1}, 49);
        bar.SetMode(TShelfBarMode::imMultiPanelActive);
        EXPECT_EQ(bar.ScrollBarShown(), c.shown);
        if (c.shown) {
            EXPECT_EQ(bar.ScrollBar().Max(), c.max);
            EXPECT_EQ(bar.ScrollBar().LargeChange(), 100);
        }
        bar.SetMode(TShelfBarMode::imSinglePanelActive);
        EXPECT_FALSE(bar.ScrollBarShown());
    }
}

TEST(ShelfBarGeometry, HostedControlsFillTheirPanel) {
    struct Case {
        TShelfBarMode mode;
        int height;
        int items;
        QRect place;
        bool shown;
    };
    using enum TShelfBarMode;
    for (Case c : {Case{imSinglePanelActive, 300, 0, QRect(0, 40, 180, 240), true},
                   Case{imSinglePanelActive, 40, 0, QRect(0, 40, 180, 0), false},
                   Case{imMultiPanelActive, 300, 4, QRect(0, 40, 180, 192), true},
                   Case{imMultiPanelActive, 300, 0, QRect(0, 40, 180, 0), false}}) {
        TestShelfBar bar(180, c.height);
        bar.AddPanels({0, c.items, 0});
        auto* tree = new QWidget(&bar);
        bar.Panels()[1].SetControl(tree);
        bar.SetMode(c.mode);
        if (c.mode == imSinglePanelActive) {
            bar.SetTopPanel(1);
        } else {
            bar.Panels()[0].SetOpen(false);
            bar.Panels()[1].SetOpen(true);
        }
        EXPECT_EQ(tree->geometry(), c.place);
        EXPECT_EQ(!tree->isHidden(), c.shown);
    }
}

TEST(ShelfBar, SetTopPanelOutsideThePanelsChangesNothing) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({1, 1, 1});
    bar.SetTopPanel(1);
    int events = 0;
    bar.OnPanelOpen = bar.OnPanelClose = [&](TShelfBar&, TShelfPanel*) { ++events; };
    for (int index : {3, -1, 1}) {
        bar.SetTopPanel(index);
        EXPECT_EQ(bar.TopPanel(), 1);
        EXPECT_TRUE(bar.Panels()[1].Open());
        EXPECT_FALSE(bar.Panels()[0].Open());
    }
    EXPECT_EQ(events, 0);
}

TEST(ShelfBar, GetItemHitsInsideTheOpenArea) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({10, 2, 1});
    struct Case {
        int panel, x, y, item;
    };
    for (Case c : {Case{0, 10, 20, -1},
                   {0, 10, 21, 0},
                   {0, 10, 67, 0},
                   {0, 10, 68, 1},
                   {0, 10, 259, 4},
                   {0, 10, 260, -1},
                   {0, 0, 30, -1},
                   {0, 1, 30, 0},
                   {0, 179, 30, 0},
                   {0, 180, 30, -1},
                   {1, 10, 41, 0},
                   {1, 10, 89, 1},
                   {1, 10, 137, -1}}) {
        bar.SetTopPanel(c.panel);
        TShelfItem* expected = c.item < 0 ? nullptr : &bar.Panels()[c.panel].Items()[c.item];
        EXPECT_EQ(bar.GetItem(c.x, c.y), expected) << c.panel << " " << c.x << "," << c.y;
    }
}

TEST(ShelfBar, ItemClickOpensTheUrlUnlessVetoed) {
    struct Case {
        TMouseButton button;
        int handler; // 0 none, 1 keeps the default, 2 vetoes
        bool opened;
    };
    for (Case c : {Case{TMouseButton::mbLeft, 0, true},
                   {TMouseButton::mbLeft, 1, true},
                   {TMouseButton::mbLeft, 2, false},
                   {TMouseButton::mbRight, 0, false}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({1});
        TShelfItem& item = bar.Panels()[0].Items()[0];
        item.SetURL("https://example.org/");
        std::string opened;
        bar.ShellOpen = [&](const std::string& url) { opened = url; };
        if (c.handler) {
            bar.OnURLClick = [&](TShelfBar&, const std::string&, bool& defaultHandler) {
                defaultHandler = c.handler == 1;
            };
        }
        int clicks = 0;
        bar.OnItemClick = bar.OnItemRightClick = [&](TShelfBar&, TShelfPanel*, TShelfItem* i) {
            clicks += i == &item;
        };
        bar.ItemClicked(c.button, &bar.Panels()[0], &item);
        EXPECT_EQ(opened, c.opened ? "https://example.org/" : "");
        EXPECT_EQ(clicks, 1);
    }
}
