#include "ShelfBarTestBar.h"

#include <gtest/gtest.h>

#include <QWidget>

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
