#pragma once

// A side bar for tests: a fixed size, the pointer far away unless a test puts it somewhere,
// and counts of what it repaints.

#include "controls/ShelfBar.h"

#include <string>
#include <vector>

class TestShelfBar : public TShelfBar {
public:
    TestShelfBar(int width, int height) {
        resize(width, height);
        Pointer = [this] { return TPointerState{ClientToScreen(pointer), leftDown}; };
    }

    // Panels with these item counts, all items `itemHeight` high.
    void AddPanels(const std::vector<int>& itemCounts, int itemHeight = 48) {
        for (int count : itemCounts) {
            TShelfPanel& panel = Panels().Add();
            panel.SetItemHeight(itemHeight);
            for (int i = 0; i < count; ++i) {
                panel.Items().Add().SetCaption("Item " + std::to_string(i));
            }
        }
    }

    void InvalidateItem(TShelfPanel* panel, TShelfItem* item) override {
        ++rowRepaints;
        TShelfBar::InvalidateItem(panel, item);
    }
    void InvalidateBar() override {
        ++barRepaints;
        TShelfBar::InvalidateBar();
    }

    void BeginEditing(TShelfItem* item) {
        editing_ = true;
        editedItem_ = item;
    }
    bool Editing() const { return editing_; }
    const TShelfItem* EditedItem() const { return editedItem_; }

    TPoint pointer{-1000, -1000};
    bool leftDown = false;
    int rowRepaints = 0;
    int barRepaints = 0;
};
