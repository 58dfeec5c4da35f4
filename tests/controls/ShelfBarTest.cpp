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

TEST(ShelfItems, ColourValuesReadAsTheirNames) {
    // The ends of both name lists, their odd spellings, and what has no name.
    const std::pair<TColor, const char*> names[] = {
        {0x000000, "Black"},
        {0x000080, "Maroon"},
        {0xFFFFFF, "White"},
        {SystemColor(1), "Background"},
        {SystemColor(19), "InactiveCaptionText"},
        {SystemColor(21), "3ddkShadow"},
        {SystemColor(22), "3dLight"},
        {SystemColor(24), "Infobk"},
        {SystemColor(0), "$80000000"},
        {clNone, "$1FFFFFFF"},
        {0x123456, "$00123456"},
    };
    TShelfItems items(nullptr);
    TShelfItem& item = items.Add();
    for (auto [color, text] : names) {
        item.SetColorValue(color);
        EXPECT_EQ(item.TextValue(), text);
        EXPECT_EQ(item.ColorValue(), color);
    }
}

TEST(ShelfItems, TypedValuesWriteTheirText) {
    TShelfItems items(nullptr);
    TShelfItem& item = items.Add();
    item.SetIntValue(-5);
    EXPECT_EQ(item.TextValue(), "-5");
    item.SetBoolValue(true);
    EXPECT_EQ(item.TextValue(), "-5");
    TFont font;
    font.SetName("Courier New");
    item.SetFontValue(font);
    EXPECT_EQ(item.TextValue(), "Courier New");

    const TDateTime date = EncodeDate(2024, 2, 29);
    const TDateTime time = EncodeTime(13, 45, 10, 0);
    item.SetDateValue(date);
    EXPECT_EQ(item.TextValue(), DateToStr(date));
    item.SetTimeValue(time);
    EXPECT_EQ(item.DateValue(), time);
    item.SetDateTimeValue(date + time);
    EXPECT_EQ(item.TextValue(), DateToStr(date) + " " + TimeToStr(time));
    EXPECT_EQ(item.GetDisplayName(), "TShelfItem0");
}

TEST(ShelfItems, ChangesRepaintARowOrTheWholeBar) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({2});
    TShelfPanel& panel = bar.Panels()[0];
    TShelfItem& item = panel.Items()[1];
    const std::function<void()> itemChanges[] = {
        [&] { item.SetCaption("x"); },       [&] { item.SetIntValue(3); },
        [&] { item.SetColorValue(clRed); },  [&] { item.SetURL("http://a/"); },
        [&] { item.SetFontValue(TFont()); }, [&] { item.SetImageIndex(2); }};
    for (const auto& change : itemChanges) {
        bar.rowRepaints = bar.barRepaints = 0;
        change();
        EXPECT_EQ(bar.rowRepaints, 1);
        EXPECT_EQ(bar.barRepaints, 0);
    }
    const std::function<void()> panelChanges[] = {
        [&] { panel.SetCaption("y"); }, [&] { panel.SetColor(clRed); },
        [&] { panel.SetItemHeight(0); }, [&] { panel.Font().SetColor(clBlue); },
        [&] { panel.Items().Add(); }};
    for (const auto& change : panelChanges) {
        bar.rowRepaints = bar.barRepaints = 0;
        change();
        EXPECT_EQ(bar.rowRepaints, 0);
        EXPECT_GE(bar.barRepaints, 1);
    }
    bar.barRepaints = 0;
    bar.Panels().Add();
    EXPECT_EQ(bar.barRepaints, 0);
}

TEST(ShelfPanels, AControlIsHostedByOnePanelAtATime) {
    TestShelfBar bar(180, 300);
    bar.AddPanels({0, 0});
    auto* tree = new QWidget(&bar);
    bar.Panels()[0].SetControl(tree);
    try {
        bar.Panels()[1].SetControl(tree);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Control already assigned to another panel");
    }
    EXPECT_EQ(bar.Panels()[0].Control(), tree);
    EXPECT_EQ(bar.Panels()[1].Control(), nullptr);
    delete tree;
    EXPECT_EQ(bar.Panels()[0].Control(), nullptr);
    EXPECT_FALSE(bar.Panels()[0].HostsControl());
}

TEST(ShelfPanels, DeletingAPanelKeepsTopPanelOnAPanel) {
    struct Case {
        int top, deleted, expected;
    };
    for (Case c : {Case{2, 0, 1}, {2, 2, 1}, {1, 1, 0}, {0, 0, 0}, {0, 2, 0}, {1, 2, 1}}) {
        TestShelfBar bar(180, 300);
        bar.AddPanels({1, 1, 1});
        bar.SetTopPanel(c.top);
        bar.Panels().Delete(c.deleted);
        EXPECT_EQ(bar.TopPanel(), c.expected) << c.top << " " << c.deleted;
    }
}

TEST(ShelfPanels, DeletingTheEditedItemEndsTheEdit) {
    struct Link : TShelfEditLink {
        int destroyed = 0;
        void DestroyEditor() override { ++destroyed; }
    } link;
    TestShelfBar bar(180, 300);
    bar.AddPanels({3});
    TShelfItems& items = bar.Panels()[0].Items();
    items[1].SetEditLink(&link);
    bar.BeginEditing(&items[1]);
    items.Delete(0);
    EXPECT_TRUE(bar.Editing());
    items.Delete(0);
    EXPECT_FALSE(bar.Editing());
    EXPECT_EQ(bar.EditedItem(), nullptr);
    EXPECT_EQ(link.destroyed, 1);
}
