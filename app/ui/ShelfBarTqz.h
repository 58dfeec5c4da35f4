#pragma once

// The side bar of the main window: the side-bar control with a double click on an item as an
// event of its own.

#include "controls/ShelfBar.h"

class TShelfBarTqz : public TShelfBar {
public:
    using TShelfBar::TShelfBar;

    // Raised for a double click on an item, with the panel and the item under the pointer.
    TItemEvent OnItemDblClicked;

    // A double click at (x, y), in client coordinates.
    void OnDblClick(int x, int y);

protected:
    // The double click is ours: the base control never sees it as a second press.
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};
