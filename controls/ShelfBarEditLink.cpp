#include "controls/ShelfBarEditLink.h"

#include "controls/ShelfBar.h"

TShelfEditPopup::TShelfEditPopup() : QWidget(nullptr, Qt::Popup) {}

void TShelfEditPopup::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (OnHide) {
        // Once: the popup goes with its editor.
        std::function<void()> hide = std::move(OnHide);
        OnHide = nullptr;
        hide();
    }
}

TShelfEditLink::~TShelfEditLink() {
    if (popup_) {
        popup_->OnHide = nullptr;
        delete popup_.data();
    }
}

void TShelfEditLink::SetProperties(const TRect& r, TShelfItem* item) {
    if (OnSetProperties) {
        OnSetProperties(*this, r, item);
    }
}

void TShelfEditLink::EditKeyDown(uint16_t& key, TShiftState) {
    bool taken = false;
    switch (key) {
    case VK_RETURN:
        taken = !WantKeyReturn;
        break;
    case VK_ESCAPE:
        taken = !WantKeyEscape;
        break;
    case VK_PRIOR:
    case VK_NEXT:
        taken = !WantKeyPriorNext;
        break;
    case VK_END:
        taken = !WantKeyHomeEnd;
        break;
    case VK_LEFT:
    case VK_RIGHT:
        taken = !WantKeyLeftRight;
        break;
    case VK_UP:
    case VK_DOWN:
        taken = !WantKeyUpDown;
        break;
    default:
        break;
    }
    if (!taken || !bar_) {
        return;
    }
    if (key == VK_ESCAPE) {
        SetOriginalValue();
    } else if (key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
        bar_->NextEdit(bar_->EditedItem(), key);
        key = 0;
    }
}

void TShelfEditLink::EditExit() {
    if (bar_ && bar_->IsEditing()) {
        bar_->StopEdit(bar_->EditedItem());
    }
    ClosePopup();
}

void TShelfEditLink::OpenPopup(TPoint screenAt) {
    ClosePopup();
    auto* popup = new TShelfEditPopup;
    popup_ = popup;
    popup->setGeometry(screenAt.X, screenAt.Y, PopupWidth, PopupHeight);
    popup->OnHide = [this] { EditExit(); };
    popup->show();
    CreateEditor(popup);
}

void TShelfEditLink::ClosePopup() {
    if (!popup_) {
        return;
    }
    TShelfEditPopup* popup = popup_;
    popup_ = nullptr;
    popup->OnHide = nullptr;
    DestroyEditor();
    popup->hide();
    popup->deleteLater();
}
