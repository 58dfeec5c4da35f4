#include "app/ui/ShelfBarTqz.h"

#include <QMouseEvent>

void TShelfBarTqz::OnDblClick(int x, int y) {
    TShelfPanel* panel = nullptr;
    TShelfItem* item = nullptr;
    if (GetPanelItemAtXY(x, y, panel, item) && panel != nullptr && item != nullptr &&
        OnItemDblClicked) {
        OnItemDblClicked(*this, panel, item);
    }
}

void TShelfBarTqz::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        return;
    }
    const QPoint p = e->position().toPoint();
    GuardEvent([&] { OnDblClick(p.x(), p.y()); });
}
