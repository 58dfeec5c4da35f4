// The side bar's mouse, keyboard, hints and drops.

#include "controls/ShelfBar.h"
#include "controls/ShelfBarDropTarget.h"
#include "controls/ShelfBarEditors.h"

#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolTip>

#include <cctype>
#include <cstdlib>

namespace {

bool HasShortcut(const std::string& caption, char upper) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&' &&
            std::toupper(static_cast<unsigned char>(caption[i + 1])) == upper) {
            return true;
        }
    }
    return false;
}

// The panel whose caption, or else the item of an open panel whose caption, has "&" before
// the key's letter; one pass, panel by panel.
bool FindShortcut(TShelfPanels& panels, uint16_t key, TShelfPanel*& panel, TShelfItem*& item) {
    panel = nullptr;
    item = nullptr;
    if (key == 0 || key > 0x7F) {
        return false;
    }
    const char upper = static_cast<char>(std::toupper(key));
    for (int i = 0; i < panels.Count(); ++i) {
        TShelfPanel& p = panels[i];
        if (HasShortcut(p.Caption(), upper)) {
            panel = &p;
            return true;
        }
        if (!p.Open()) {
            continue;
        }
        for (int j = 0; j < p.Items().Count(); ++j) {
            if (HasShortcut(p.Items()[j].Caption(), upper)) {
                panel = &p;
                item = &p.Items()[j];
                return true;
            }
        }
    }
    return false;
}

bool HasLocalFiles(const QMimeData* data) {
    return data && !ReadDropData(*data).Files.empty();
}

} // namespace

// ---- mouse

void TShelfBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (TabStop()) {
        SetFocus();
    }
    mouseDown_ = button == TMouseButton::mbLeft;
    StopEdit(editedItem_);
    if (mode_ == TShelfBarMode::imMultiPanelActive) {
        MouseDownMultiPanel(button, x, y);
    } else {
        MouseDownSinglePanel(button, x, y);
    }
}

namespace {

// Opens the drop-down of the editor just placed, for a click on the value's button.
void OpenDropDown(TShelfBar& bar) {
    switch (bar.EditorKind()) {
    case 0:
        bar.Editors().Combo->showPopup();
        break;
    case 1:
        bar.Editors().DateTimePicker->DropDown();
        break;
    case 2:
        bar.EditBtnClick();
        break;
    case 4:
        bar.Editors().ColorCombo->showPopup();
        break;
    default:
        break;
    }
}

void ToggleButtons(TShelfPanel& panel, TShelfItem& clicked) {
    for (int i = 0; i < panel.Items().Count(); ++i) {
        TShelfItem& item = panel.Items()[i];
        item.SetDown(&item == &clicked ? !item.Down() : false);
    }
}

} // namespace

void TShelfBar::MouseDownSinglePanel(TMouseButton button, int x, int y) {
    const int n = panels_->Count();
    if (n == 0) {
        return;
    }
    const int ch = CaptionHeight();
    const int w = width();
    const int top = (topPanel_ + 1) * ch;
    const int bottom = height() - (n - 1 - topPanel_) * ch;
    if (TShelfPanel* caption = GetCaption(x, y)) {
        if (!MouseDownCaptionOptions(caption, x, y) && caption->Index() != topPanel_) {
            PanelOpened(caption);
            PanelClosed(&(*panels_)[topPanel_]);
            SetTopPanel(caption->Index());
            return;
        }
    }
    TShelfPanel& panel = (*panels_)[topPanel_];
    if (x >= w - 20 && x <= w) {
        if (scrollUp_ && y >= top && y <= top + 20) {
            if (panel.TopItem() > 0) {
                panel.SetTopItem(panel.TopItem() - 1);
            }
            Invalidate();
            return;
        }
        if (scrollDown_ && y >= bottom - 20 && y <= bottom) {
            if (panel.TopItem() + 1 < panel.Items().Count()) {
                panel.SetTopItem(panel.TopItem() + 1);
            }
            Invalidate();
            return;
        }
    }
    const int index = y > top && y < bottom ? (y - top) / panel.ItemHeight() + panel.TopItem() : -1;
    if (index < 0 || index >= panel.Items().Count()) {
        Invalidate();
        return;
    }
    TShelfItem& item = panel.Items()[index];
    switch (panel.Style()) {
    case TPanelStyle::psLargeIcon:
        if (((w - 32) / 2 < x && x < (w - 32) / 2 + 32) || panel.HoverCaption()) {
            ItemClicked(button, &panel, &item);
        }
        break;
    case TPanelStyle::psSmallIcon:
    case TPanelStyle::psButtons:
        if (x < w - 20 || panel.HoverCaption() || panel.Style() == TPanelStyle::psButtons) {
            ItemClicked(button, &panel, &item);
            if (panel.Style() == TPanelStyle::psButtons) {
                ToggleButtons(panel, item);
            }
        }
        break;
    case TPanelStyle::psProperties:
        if (x > panel.CaptionWidth() && Cursor() != crHSplit && x < ShelfWidth()) {
            ItemClicked(button, &panel, &item);
            if (mouseDown_) {
                StartEdit(&item);
            }
            if (x > ShelfWidth() - 32) {
                OpenDropDown(*this);
            }
        }
        break;
    }
    Invalidate();
}

void TShelfBar::MouseDownMultiPanel(TMouseButton button, int x, int y) {
    const int ch = CaptionHeight();
    int top = -scrollBar_->Position();
    for (int i = 0; i < panels_->Count(); ++i) {
        TShelfPanel& panel = (*panels_)[i];
        if (y >= top && y <= top + ch) {
            if (panel.Items().Count() > 0 && !MouseDownCaptionOptions(&panel, x, y)) {
                panel.SetOpen(!panel.Open());
                panel.Open() ? PanelOpened(&panel) : PanelClosed(&panel);
            }
            break;
        }
        top += ch;
        if (!panel.Open()) {
            continue;
        }
        const int ih = panel.ItemHeight();
        const int count = panel.Items().Count();
        const int j = y > top && y <= top + count * ih ? (y - top - 1) / ih : -1;
        if (j >= 0) {
            TShelfItem& item = panel.Items()[j];
            if (panel.Style() == TPanelStyle::psProperties) {
                if (x > panel.CaptionWidth() && x < ShelfWidth()) {
                    StartEdit(&item);
                    if (x > ShelfWidth() - 32) {
                        OpenDropDown(*this);
                    }
                }
            } else if (x >= 1 && x < width()) {
                ItemClicked(button, &panel, &item);
                if (panel.Style() == TPanelStyle::psButtons) {
                    ToggleButtons(panel, item);
                }
            }
            break;
        }
        top += count * ih;
    }
    ArrangeOpenClose();
    Invalidate();
}

void TShelfBar::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    if (panels_->Count() == 0) {
        return;
    }
    const std::string hint = GetHint(x, y);
    if (hint != lastHint_) {
        QToolTip::hideText();
        lastHint_ = hint;
    }
    TShelfPanel* panel = nullptr;
    TShelfItem* item = nullptr;
    if (GetPanelItemAtXY(x, y, panel, item) && panel->GridLines() &&
        panel->Style() == TPanelStyle::psProperties && panel->AllowResize()) {
        if (Cursor() == crHSplit && shift.Contains(TShiftStateItem::ssLeft)) {
            panel->SetCaptionWidth(x);
            return;
        }
        SetCursor(std::abs(x - panel->CaptionWidth()) < 4 ? crHSplit : crDefault);
    } else {
        SetCursor(crDefault);
    }
    if (caption_.Cursor() != crDefault) {
        const bool overCaption = mode_ == TShelfBarMode::imMultiPanelActive ? GetCursorMulti(x, y)
                                                                            : GetCursorSingle(x, y);
        if (overCaption) {
            if (!savedCursor_) {
                savedCursor_ = Cursor();
            }
            SetCursor(caption_.Cursor());
        } else if (savedCursor_) {
            SetCursor(*savedCursor_);
            savedCursor_.reset();
        }
    }
    if (item != hoverItem_) {
        if (hoverItem_) {
            InvalidateItem(hoverItem_->GetShelfPanel(), hoverItem_);
        }
        if (item) {
            InvalidateItem(panel, item);
        }
    }
    if (TShelfPanel* caption = GetCaption(x, y)) {
        if (caption->Index() != hoverCaption_ || MouseMoveCaptionOptions(caption, x, y)) {
            if (hoverCaption_ >= 0 && hoverCaption_ < panels_->Count()) {
                InvalidateRect(GetCaptionRect(&(*panels_)[hoverCaption_]));
            }
            InvalidateRect(GetCaptionRect(caption));
            hoverCaption_ = caption->Index();
        }
    } else {
        if (hoverCaption_ >= 0 && hoverCaption_ < panels_->Count()) {
            InvalidateRect(GetCaptionRect(&(*panels_)[hoverCaption_]));
        }
        hoverCaption_ = -1;
    }
    hoverItem_ = item;
}

void TShelfBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseUp(button, shift, x, y);
    mouseDown_ = false;
    Invalidate();
}

void TShelfBar::MouseLeave() {
    TCustomControl::MouseLeave();
    if (hoverCaption_ >= 0 && hoverCaption_ < panels_->Count()) {
        InvalidateRect(GetCaptionRect(&(*panels_)[hoverCaption_]));
    }
    hoverCaption_ = -1;
    if (hoverItem_) {
        InvalidateItem(hoverItem_->GetShelfPanel(), hoverItem_);
    }
}

void TShelfBar::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        return;
    }
    try {
        DblClick();
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
}

// ---- keys

void TShelfBar::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) {
        return;
    }
    if (shift.Contains(TShiftStateItem::ssAlt)) {
        SearchShortcutCaption(key);
    }
    // A check box row is edited without an editor: the bar takes its keys.
    if (editedItem_ && editedItem_->PropertyType() == TPropertyType::ptBoolean) {
        if (key == VK_SPACE) {
            editedItem_->SetBoolValue(!editedItem_->BoolValue());
        } else if (key == VK_RETURN || key == VK_UP || key == VK_DOWN) {
            NextEdit(editedItem_, key);
        }
    }
}

bool TShelfBar::SearchShortcutCaption(uint16_t key) {
    TShelfPanel* panel = nullptr;
    TShelfItem* item = nullptr;
    if (!FindShortcut(*panels_, key, panel, item)) {
        return false;
    }
    if (item) {
        ItemClicked(TMouseButton::mbLeft, panel, item);
    } else if (mode_ == TShelfBarMode::imMultiPanelActive) {
        if (panel->Items().Count() > 0) {
            panel->SetOpen(!panel->Open());
            panel->Open() ? PanelOpened(panel) : PanelClosed(panel);
            ArrangeOpenClose();
        }
    } else if (panel->Index() != topPanel_) {
        PanelOpened(panel);
        PanelClosed(&(*panels_)[topPanel_]);
        SetTopPanel(panel->Index());
    }
    return true;
}

bool TShelfBar::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // Alt and a letter of ours is claimed before the menu bar sees it.
        auto* key = static_cast<QKeyEvent*>(e);
        TShelfPanel* panel = nullptr;
        TShelfItem* item = nullptr;
        if (key->modifiers() & Qt::AltModifier &&
            FindShortcut(*panels_, VirtualKeyOf(key->key()), panel, item)) {
            e->accept();
            return true;
        }
    } else if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const std::string hint = GetCursorHint({help->pos().x(), help->pos().y()});
        if (hint.empty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), QString::fromStdString(hint), this);
        }
        return true;
    }
    return TCustomControl::event(e);
}

// ---- hints

std::string TShelfBar::GetHint(int x, int y) {
    return mode_ == TShelfBarMode::imMultiPanelActive ? GetHintMulti(x, y) : GetHintSingle(x, y);
}

std::string TShelfBar::GetHintSingle(int x, int y) {
    if (TShelfPanel* caption = GetCaption(x, y)) {
        std::string hint;
        return HintCaptionOptions(caption, x, y, hint) ? hint : caption->Hint();
    }
    if (panels_->Count() == 0) {
        return {};
    }
    const TRect area = OpenAreaRect();
    const TShelfPanel& panel = (*panels_)[topPanel_];
    if (y > area.Top && y < area.Bottom && x >= 1 && x < width()) {
        const int index = (y - area.Top) / panel.ItemHeight() + panel.TopItem();
        if (index < panel.Items().Count()) {
            return panel.Items()[index].Hint();
        }
    }
    return {};
}

std::string TShelfBar::GetHintMulti(int x, int y) {
    if (TShelfPanel* caption = GetCaption(x, y)) {
        std::string hint;
        return HintCaptionOptions(caption, x, y, hint) ? hint : caption->Hint();
    }
    TShelfItem* item = GetItem(x, y);
    return item && x >= 1 && x < width() ? item->Hint() : std::string();
}

std::string TShelfBar::GetCursorHint(TPoint p) {
    std::string hint = GetHint(p.X, p.Y);
    return hint.empty() ? toolTip().toStdString() : hint;
}

bool TShelfBar::GetCursorSingle(int x, int y) const {
    return GetCaption(x, y) != nullptr;
}

bool TShelfBar::GetCursorMulti(int x, int y) const {
    return GetCaption(x, y) != nullptr;
}

// ---- drops

void TShelfBar::WMDropFiles(const std::vector<std::string>& files) {
    for (const std::string& name : files) {
        if (name.empty()) {
            continue;
        }
        bool defaultHandler = true;
        if (OnFileDrop) {
            OnFileDrop(*this, name, defaultHandler);
        }
        // A bar without panels has nowhere to put it.
        if (defaultHandler && topPanel_ < panels_->Count()) {
            TShelfItem& item = (*panels_)[topPanel_].Items().Add();
            item.SetURL(name);
            item.SetAutoIcon(true);
            item.SetCaption(name);
        }
    }
}

void TShelfBar::dragEnterEvent(QDragEnterEvent* e) {
    if (dropTarget_) {
        dropTarget_->DragEnter(*e);
    } else if (acceptFiles_ && HasLocalFiles(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TShelfBar::dragMoveEvent(QDragMoveEvent* e) {
    if (dropTarget_) {
        dropTarget_->DragOver(*e);
    } else if (acceptFiles_ && HasLocalFiles(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TShelfBar::dragLeaveEvent(QDragLeaveEvent*) {
    if (dropTarget_) {
        dropTarget_->DragLeave();
    }
}

void TShelfBar::dropEvent(QDropEvent* e) {
    try {
        if (dropTarget_) {
            dropTarget_->Drop(*e);
        } else if (acceptFiles_ && e->mimeData()) {
            WMDropFiles(ReadDropData(*e->mimeData()).Files);
            e->acceptProposedAction();
        }
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
}
