// The viewer's part in interaction: the keys the document handles (Tab, Enter, the copy
// shortcuts), the double click at its own position, leaving the window, taking the focus,
// and the selection, search and copy commands passed to the document.

#include "richtext/view/RichNote.h"

#include "platform/widgets/FocusTracker.h"
#include "richtext/model/RNUni.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>

// Selection, search and copy.

std::u16string TRichNote::GetSelTextW() {
    return RNU_BytesToU16(RNData().GetSelText(true));
}

bool TRichNote::SearchText(std::string_view text, TRNSearchOptions options) {
    return RNData().SearchText(options.Contains(TRNSearchOption::rnsroDown),
                               options.Contains(TRNSearchOption::rnsroMatchCase), text);
}

bool TRichNote::SearchTextW(std::u16string_view text, TRNSearchOptions options) {
    return RNData().SearchTextW(options.Contains(TRNSearchOption::rnsroDown),
                                options.Contains(TRNSearchOption::rnsroMatchCase),
                                std::u16string(text));
}

void TRichNote::Copy() {
    RNData().Copy(GetEffectiveColor(), background_.get());
}

bool TRichNote::CopyDef() {
    return RNData().CopyDef(GetEffectiveColor(), background_.get());
}

void TRichNote::CopyRNF() {
    RNData().CopyRNF(GetEffectiveColor(), background_.get());
}

void TRichNote::CopyRTF() {
    RNData().CopyRTF(GetEffectiveColor(), background_.get());
}

void TRichNote::CopyMessage() {
    if (TRNScroller* editor = InplaceEditor()) {
        editor->PostMessage(WM_COPY, 0, 0);
    } else {
        CopyDef();
    }
}

// Keys.

void TRichNote::KeyDown(uint16_t& key, TShiftState shift) {
    TRNScroller::KeyDown(key, shift);
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool alt = shift.Contains(TShiftStateItem::ssAlt);
    if (ctrl && !alt && (key == 'C' || key == VK_INSERT)) {
        Perform(WM_COPY, 0, 0);
        return;
    }
    const TRNTabNavigationType mode = RNData().TabNavigation;
    if (key == VK_TAB && !alt && mode != TRNTabNavigationType::rntnNone &&
        ctrl == (mode == TRNTabNavigationType::rntnCtrlTab)) {
        RNData().State.Exclude(TRNStateItem::rnstDoNotTab);
        RNData().DoTabNavigation(shift.Contains(TShiftStateItem::ssShift),
                                 TRNControlData::TFocusOrigin{true, true, nullptr});
        key = 0;
    } else if (key == VK_RETURN) {
        RNData().ExecuteFocused();
    }
}

bool TRichNote::focusNextPrevChild(bool next) {
    // With tab navigation the document moves the focus itself: Tab reaches KeyDown.
    if (RNData().TabNavigation == TRNTabNavigationType::rntnNone) {
        return TRNScroller::focusNextPrevChild(next);
    }
    // Tab in a control of the document: the document takes the focus, knowing where it came
    // from, and moves on from that control's item.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != this && isAncestorOf(focus) && EmbeddedControlOf(focus, this)) {
        setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

void TRichNote::focusInEvent(QFocusEvent* e) {
    TRNScroller::focusInEvent(e);
    if (RNData().TabNavigation == TRNTabNavigationType::rntnNone || InplaceEditor()) {
        return;
    }
    QWidget* before = TFocusTracker::Instance().Before(this);
    TRNControlData::TFocusOrigin origin;
    if (!before) {
        // No window lost the focus: it comes as if from a click.
        RNData().State.Include(TRNStateItem::rnstDoNotTab);
    } else {
        // The focus came from another form: the document's focus stays as it is.
        if (before->window() != window()) {
            return;
        }
        origin.Given = true;
        origin.Self = before == this;
        // From a control inside the document (also in a table cell): its item is where the
        // navigation goes on from.
        if (!origin.Self && isAncestorOf(before)) {
            origin.Control = EmbeddedControlOf(before, this);
        }
    }
    const bool backward = e->reason() == Qt::BacktabFocusReason;
    try {
        RNData().DoTabNavigation(backward, origin);
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
}

void TRichNote::ChildFocused(QWidget* now) {
    if (destroying_ || !data_ || !now || now == this || !isAncestorOf(now)) {
        return;
    }
    IEmbeddedControl* control = EmbeddedControlOf(now, this);
    if (!control) {
        return;
    }
    // Tab navigation that focused the control has made it the focused item already.
    const TCustomRNData* top = data_->TopLevelFocusedRNData;
    const int topItemNo = data_->TopLevelFocusedItemNo;
    if (top && topItemNo >= 0 && topItemNo < top->ItemCount() &&
        top->GetItem(topItemNo).OwnsControl(control)) {
        return;
    }
    try {
        data_->ControlFocused(control);
    } catch (const std::exception& error) {
        HandleApplicationException(error);
    }
}

// The mouse.

void TRichNote::mouseDoubleClickEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    dblClickPos_ = TPoint{p.x(), p.y()};
    TRNScroller::mouseDoubleClickEvent(e);
}

void TRichNote::DblClick() {
    RNData().DblClick(dblClickPos_.X, dblClickPos_.Y);
    TRNScroller::DblClick();
}

void TRichNote::MouseLeave() {
    TRNScroller::MouseLeave();
    RNData().MouseLeave();
}

// What the root data asks of the window.

void TRichNote::ShowWindowCursor(TCursor cursor) {
    ShowCursor(cursor);
}

TPoint TRichNote::WindowToScreen(TPoint p) const {
    return ClientToScreen(p);
}

TPoint TRichNote::ScreenToWindow(TPoint p) const {
    return ScreenToClient(p);
}

void TRichNote::FocusWindow() {
    if (CanFocus()) {
        SetFocus();
    }
}

bool TRichNote::FocusNextWindow(bool backward) {
    return FocusNextInTabOrder(backward);
}
