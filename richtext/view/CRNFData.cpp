#include "richtext/view/CRNFData.h"

#include "platform/graphics/Canvas.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <algorithm>
#include <climits>
#include <vector>

TCustomRNFormattedData::TCustomRNFormattedData() = default;

TCustomRNFormattedData::~TCustomRNFormattedData() {
    FreeContents();
}

void TCustomRNFormattedData::FreeContents() {
    if (HoldsNothing()) {
        return;
    }
    ClearTemporal();
    TCustomRNData::Clear();
}

bool TCustomRNFormattedData::HoldsNothing() const {
    return !BorrowsItems() && ItemCount() == 0 && !NotAddedCP && !FirstCP && !LastCP &&
           CPCount == 0 && DrawItems.Count() == 0 && Jumps.Count() == 0 && JumpCount == 0 &&
           !CurrentItem && !CaptureMouseItem && HotDrawItemNo == -1 && !LastRNDataMovedAbove &&
           LastJumpMovedAbove == -1 && LastJumpDowned == -1 &&
           !State.Contains(TRNStateItem::rnstClickedBeyondLine) &&
           !State.Contains(TRNStateItem::rnstMakingSelection) &&
           !State.Contains(TRNStateItem::rnstDrawHover);
}

bool TCustomRNFormattedData::SelectsNothing() const {
    return SelStartNo == -1 && SelEndNo == -1 && SelStartOffs == 0 && SelEndOffs == 0 &&
           FocusedItemNo == -1 && !PartialSelectedItem && !LastReportedCheckpoint;
}

void TCustomRNFormattedData::GetSADForFormatting(TCanvas& canvas, TRNScreenAndDevice& sad) {
    RN_InfoAboutSaD(sad, canvas);
}

void TCustomRNFormattedData::GetOrigin(int& x, int& y) {
    x = 0;
    y = 0;
}

// Construction and clearing.

void TCustomRNFormattedData::ClearTemporal() {
    DrawItems.Clear();
    ClearJumps();
    JumpCount = 0;
    CurrentItem = nullptr;
    CaptureMouseItem = nullptr;
    HotDrawItemNo = -1;
    LastRNDataMovedAbove = nullptr;
    State.Exclude(TRNStateItem::rnstClickedBeyondLine)
        .Exclude(TRNStateItem::rnstMakingSelection)
        .Exclude(TRNStateItem::rnstDrawHover);
}

void TCustomRNFormattedData::ClearJumps() {
    Jumps.Clear();
    ClearLastJump();
}

void TCustomRNFormattedData::ClearLastJump() {
    if (TCustomRNFormattedData* hot = LastRNDataMovedAbove) {
        hot->State.Exclude(TRNStateItem::rnstDrawHover);
        hot->LastJumpMovedAbove = -1;
        hot->LastJumpDowned = -1;
        hot->DoRNMouseMove(-1);
    }
    State.Exclude(TRNStateItem::rnstDrawHover);
    LastJumpMovedAbove = -1;
    LastJumpDowned = -1;
    LastRNDataMovedAbove = nullptr;
}

void TCustomRNFormattedData::Clear() {
    State.Include(TRNStateItem::rnstClearing);
    Deselect(nullptr);
    ClearTemporal();
    LastReportedCheckpoint = nullptr;
    TCustomRNData::Clear();
    State.Exclude(TRNStateItem::rnstClearing);
}

void TCustomRNFormattedData::InternalFreeItem(std::unique_ptr<TCustomRNItemInfo> item) {
    if (item) {
        ForgetItem(item.get());
        if (TCustomRNFormattedData* root = GetFormattedRoot(); root && root != this) {
            root->ForgetItem(item.get());
        }
    }
    TCustomRNData::InternalFreeItem(std::move(item));
}

void TCustomRNFormattedData::ForgetItem(const TCustomRNItemInfo* item) {
    if (PartialSelectedItem == item) {
        PartialSelectedItem = nullptr;
    }
    if (CurrentItem == item) {
        CurrentItem = nullptr;
    }
    if (CaptureMouseItem == item) {
        CaptureMouseItem = nullptr;
    }
    if (item->Checkpoint && item->Checkpoint.get() == LastReportedCheckpoint) {
        LastReportedCheckpoint = nullptr;
    }
    // A freed item on the focus path takes the path with it.
    // (The slot of an item being freed is already empty.)
    if (FocusedItemNo >= 0 && FocusedItemNo < ItemCount() &&
        Items()[static_cast<size_t>(FocusedItemNo)].Item.get() == nullptr) {
        FocusedItemNo = -1;
        if (auto* root = dynamic_cast<TRNControlData*>(GetFormattedRoot())) {
            root->ForgetFocus(nullptr);
        }
    }
}

void TCustomRNFormattedData::ForgetData(const TCustomRNFormattedData* data) {
    if (auto* control = dynamic_cast<TRNControlData*>(this)) {
        control->ForgetFocus(data);
    }
    if (LastRNDataMovedAbove == data) {
        LastRNDataMovedAbove = nullptr;
        LastJumpMovedAbove = -1;
        LastJumpDowned = -1;
        State.Exclude(TRNStateItem::rnstDrawHover);
    }
    for (int i = Jumps.Count() - 1; i >= 0; --i) {
        if (Jumps[i]->RNData == data) {
            Jumps.Delete(i);
        }
    }
}

// Selection bounds.

void TCustomRNFormattedData::Deselect(TCustomRNItemInfo* newPartiallySelected) {
    State.Exclude(TRNStateItem::rnstMakingSelection);
    SelStartNo = SelEndNo = -1;
    SelStartOffs = SelEndOffs = 0;
    FocusedItemNo = -1;
    if (newPartiallySelected != PartialSelectedItem) {
        DeselectPartiallySelectedItem();
    }
    if (!holdSelectNotice_) {
        DoSelect();
    }
}

void TCustomRNFormattedData::DeselectPartiallySelectedItem() {
    if (TCustomRNItemInfo* item = PartialSelectedItem) {
        PartialSelectedItem = nullptr;
        item->DeselectPartial();
    }
}

void TCustomRNFormattedData::SelectAll() {
    // An unformatted document has no draw items to select.
    if (ItemCount() == 0 || DrawItems.Count() == 0) {
        return;
    }
    DestroyInplaceEditor();
    DeselectPartiallySelectedItem();
    SelStartNo = 0;
    SelEndNo = DrawItems.Count() - 1;
    SelStartOffs = GetOffsBeforeDrawItem(0);
    SelEndOffs = GetOffsAfterDrawItem(SelEndNo);
    DoOnSelection(false);
    DoSelect();
}

void TCustomRNFormattedData::GetSelBounds(int& startNo, int& endNo, int& startOffs, int& endOffs,
                                          bool normalize) const {
    startNo = SelStartNo;
    endNo = SelEndNo;
    startOffs = SelStartOffs;
    endOffs = SelEndOffs;
    if (normalize && SelectedBackward()) {
        std::swap(startNo, endNo);
        std::swap(startOffs, endOffs);
    }
}

void TCustomRNFormattedData::StoreSelBounds(int& startItemNo, int& endItemNo, int& startItemOffs,
                                            int& endItemOffs, bool normalize) const {
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, normalize);
    DrawItem2Item(startNo, startOffs, startItemNo, startItemOffs);
    DrawItem2Item(endNo, endOffs, endItemNo, endItemOffs);
}

void TCustomRNFormattedData::RestoreSelBounds(int startItemNo, int endItemNo, int startItemOffs,
                                              int endItemOffs) {
    if (startItemNo >= ItemCount() || endItemNo >= ItemCount()) {
        Deselect(nullptr);
        return;
    }
    Item2DrawItem(startItemNo, startItemOffs, SelStartNo, SelStartOffs);
    Item2DrawItem(endItemNo, endItemOffs, SelEndNo, SelEndOffs);
}

// Items and draw items.

int TCustomRNFormattedData::GetOffsBeforeDrawItem(int drawItemNo) const {
    return GetItem(DrawItems[drawItemNo]->ItemNo).IsText() ? 1 : 0;
}

int TCustomRNFormattedData::GetOffsAfterDrawItem(int drawItemNo) const {
    const TRNDrawLineInfo* d = DrawItems[drawItemNo];
    return GetItem(d->ItemNo).IsText() ? d->Length + 1 : 1;
}

void TCustomRNFormattedData::DrawItem2Item(int drawItemNo, int drawItemOffs, int& itemNo,
                                           int& itemOffs) const {
    if (drawItemNo == -1) {
        itemNo = -1;
        itemOffs = 0;
        return;
    }
    const TRNDrawLineInfo* d = DrawItems[drawItemNo];
    itemNo = d->ItemNo;
    itemOffs = GetItem(itemNo).IsText() ? drawItemOffs + d->Offs - 1 : drawItemOffs;
}

void TCustomRNFormattedData::Item2DrawItem(int itemNo, int itemOffs, int& drawItemNo,
                                           int& drawItemOffs) const {
    drawItemNo = -1;
    drawItemOffs = 0;
    if (itemNo == -1) {
        return;
    }
    int d = -1;
    Item2FirstDrawItem(itemNo, d);
    if (d < 0) {
        // No draw item of its own (an empty text item continuing its paragraph): the end of
        // the draw item before it.
        for (int i = DrawItems.Count() - 1; i >= 0; --i) {
            if (DrawItems[i]->ItemNo < itemNo) {
                drawItemNo = i;
                drawItemOffs = GetOffsAfterDrawItem(i);
                return;
            }
        }
        return;
    }
    if (!GetItem(itemNo).IsText()) {
        drawItemNo = d;
        drawItemOffs = std::clamp(itemOffs, 0, 1);
        return;
    }
    while (d + 1 < DrawItems.Count() && DrawItems[d + 1]->ItemNo == itemNo &&
           DrawItems[d + 1]->Offs <= itemOffs) {
        ++d;
    }
    drawItemNo = d;
    drawItemOffs = std::clamp(itemOffs - DrawItems[d]->Offs + 1, 1, GetOffsAfterDrawItem(d));
}

void TCustomRNFormattedData::Item2FirstDrawItem(int itemNo, int& drawItemNo) const {
    if (itemNo == -1) {
        drawItemNo = -1;
        return;
    }
    // The recorded number is trusted only while it still names this item's first piece.
    const int recorded = GetItem(itemNo).DrawItemNo;
    if (recorded >= 0 && recorded < DrawItems.Count() && DrawItems.ItemNoAt(recorded) == itemNo &&
        (recorded == 0 || DrawItems.ItemNoAt(recorded - 1) != itemNo)) {
        drawItemNo = recorded;
        return;
    }
    drawItemNo = FindDrawItemByItem(itemNo);
}

int TCustomRNFormattedData::FirstDrawItemOf(TCustomRNItemInfo& item) {
    const int recorded = item.DrawItemNo;
    if (recorded >= 0 && recorded < DrawItems.Count()) {
        const int itemNo = DrawItems.ItemNoAt(recorded);
        if (itemNo >= 0 && itemNo < ItemCount() && &GetItem(itemNo) == &item &&
            (recorded == 0 || DrawItems.ItemNoAt(recorded - 1) != itemNo)) {
            return recorded;
        }
    }
    // Lines added or removed above leave the record behind: look the item up.
    const int itemNo = GetItemNo(&item);
    if (itemNo < 0) {
        return -1;
    }
    int d = -1;
    Item2FirstDrawItem(itemNo, d);
    if (d >= 0 && !ShareItems()) {
        item.DrawItemNo = d;
    }
    return d;
}

int TCustomRNFormattedData::FindDrawItemByItem(int itemNo) const {
    if (itemNo == -1) {
        return -1;
    }
    // Draw items follow their items in order: the first one of the item is found by halving.
    int lo = 0;
    int hi = DrawItems.Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (DrawItems.ItemNoAt(mid) < itemNo) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < DrawItems.Count() && DrawItems.ItemNoAt(lo) == itemNo ? lo : -1;
}

void TCustomRNFormattedData::GetScreenLineBounds(int drawItemNo, int& first, int& last) const {
    first = drawItemNo;
    while (first > 0 && !DrawItems[first]->FromNewLine) {
        --first;
    }
    last = drawItemNo;
    while (last + 1 < DrawItems.Count() && !DrawItems[last + 1]->FromNewLine) {
        ++last;
    }
}

// Positional look-ups.

int TCustomRNFormattedData::SearchLineByTop(int y) const {
    // The first draw item (from 1) whose top is at or below y, else the last one.
    int lo = 1;
    int hi = DrawItems.Count() - 1;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (DrawItems.TopAt(mid) >= y) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return std::min(lo, DrawItems.Count() - 1);
}

int TCustomRNFormattedData::GetDrawItemNo(int y, int kind) const {
    const int count = DrawItems.Count();
    if (count == 0 || y <= DrawItems[0]->Top) {
        return 0;
    }
    if (kind == 3 && y > DrawItems[count - 1]->Top) {
        return count - 1;
    }
    int i = SearchLineByTop(y);
    if (kind == 1) {
        // Back to the last piece of the line two lines up, so that a tall item that starts
        // higher is not missed.
        while (i > 0 && !DrawItems[i]->FromNewLine) {
            --i;
        }
        if (i > 0) {
            --i;
            while (i > 0 && !DrawItems[i]->FromNewLine) {
                --i;
            }
        }
        i = std::max(i - 1, 0);
    } else if (kind == 3) {
        while (i + 1 < count && y > DrawItems[i]->Top) {
            ++i;
        }
    }
    return i;
}

int TCustomRNFormattedData::GetFirstItemVisible() const {
    if (DrawItems.Count() == 0) {
        return -1;
    }
    const int d = std::min(GetDrawItemNo(GetVOffs(), 1), DrawItems.Count() - 1);
    return DrawItems[d]->ItemNo;
}

int TCustomRNFormattedData::GetLastItemVisible() const {
    if (DrawItems.Count() == 0) {
        return -1;
    }
    const int d = std::min(GetDrawItemNo(GetVOffs() + GetHeight(), 3), DrawItems.Count() - 1);
    return DrawItems[d]->ItemNo;
}

static bool Holds(const TRNDrawLineInfo& d, int x, int y) {
    return x >= d.Left && x < d.Left + d.Width && y >= d.Top && y < d.Top + d.Height;
}

int TCustomRNFormattedData::FindDrawItemAtPos(int x, int y) const {
    const int count = DrawItems.Count();
    if (count == 0) {
        return -1;
    }
    if (Holds(*DrawItems[0], x, y)) {
        return 0;
    }
    if (count == 1) {
        return -1;
    }
    int lo = 1;
    int hi = count - 1;
    while (hi - lo >= 2) {
        const int mid = (lo + hi) / 2;
        if (y < DrawItems.TopAt(mid)) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    // Pieces of one line overlap vertically: start from the first that reaches this one.
    int i = lo;
    while (i > 0 && DrawItems[i - 1]->Top + DrawItems[i - 1]->Height > DrawItems[i]->Top) {
        --i;
    }
    for (int band = 0; band < 2 && i < count; ++band) {
        const int limit = DrawItems[i]->Top + DrawItems[i]->Height - 1;
        while (i < count && DrawItems[i]->Top <= limit) {
            if (Holds(*DrawItems[i], x, y)) {
                return i;
            }
            ++i;
        }
    }
    return -1;
}

void TCustomRNFormattedData::FindDrawItemForSel(int x, int y, int& drawItemNo, int& drawItemOffs,
                                                bool strict) {
    const int count = DrawItems.Count();
    drawItemNo = -1;
    drawItemOffs = 0;
    if (count == 0) {
        return;
    }
    int found = 0;
    if (y >= DrawItems[0]->Top + DrawItems[0]->Height) {
        found = SearchLineByTop(y);
        if (DrawItems[found]->Top > y) {
            --found;
        }
    }
    int first, last;
    GetScreenLineBounds(found, first, last);
    while (last + 1 < count && DrawItems[last + 1]->Top <= y) {
        GetScreenLineBounds(last + 1, first, last);
    }
    int top = INT_MAX, left = INT_MAX, bottom = INT_MIN, right = INT_MIN;
    for (int i = first; i <= last; ++i) {
        const TRNDrawLineInfo& d = *DrawItems[i];
        top = std::min(top, d.Top);
        left = std::min(left, d.Left);
        bottom = std::max(bottom, d.Top + d.Height);
        right = std::max(right, d.Left + d.Width);
    }
    State.Exclude(TRNStateItem::rnstClickedBeyondLine);
    const bool outside = y < top || x < left || y >= bottom || x >= right;
    if (outside && strict) {
        return;
    }
    if (y < top || x < left) {
        drawItemNo = first;
        drawItemOffs = GetOffsBeforeDrawItem(first);
        return;
    }
    if (y >= bottom || x >= right) {
        drawItemNo = last;
        drawItemOffs = GetOffsAfterDrawItem(last);
        return;
    }
    int d = first;
    while (d + 1 <= last && DrawItems[d + 1]->Left <= x) {
        ++d;
    }
    drawItemNo = d;
    const TRNDrawLineInfo& di = *DrawItems[d];
    const TCustomRNItemInfo& item = GetItem(di.ItemNo);
    if (!item.IsText()) {
        drawItemOffs = di.Left + di.Width / 2 < x ? 1 : 0;
        return;
    }
    TRNStyle* style = GetRNStyle();
    TCanvas* canvas = GetCanvas();
    if (!style || !canvas || di.Length == 0) {
        drawItemOffs = 1;
        return;
    }
    style->ApplyStyle(*canvas, item.StyleNo);
    const std::string text =
        RN_ReturnCapitalized(DrawItems.GetString(d, *this), style->TextStyles()[item.StyleNo]);
    std::vector<int> extents;
    int fit = 0;
    RNU_GetTextExtentExPoint(*canvas, text, INT_MAX / 2, fit, &extents, item.ItemOptions);
    int best = 0;
    int bestDistance = std::abs(x - di.Left);
    for (int k = 1; k <= di.Length && k <= static_cast<int>(extents.size()); ++k) {
        const int distance = std::abs(x - (di.Left + di.JustifyExtra + extents[k - 1]));
        if (distance < bestDistance) {
            best = k;
            bestDistance = distance;
        }
    }
    drawItemOffs = std::clamp(best + 1, 1, di.Length + 1);
}

// After formatting.

void TCustomRNFormattedData::AdjustJumpsCoords() {
    for (int i = 0; i < Jumps.Count(); ++i) {
        TRNJumpInfo& jump = *Jumps[i];
        TCustomRNFormattedData* data = jump.RNData ? jump.RNData : this;
        int ox = 0, oy = 0;
        data->GetOrigin(ox, oy);
        const TRNDrawLineInfo* d = data->DrawItems[jump.DrawItemNo];
        jump.Left = d->Left + ox;
        jump.Top = d->Top + oy;
    }
}

void TCustomRNFormattedData::AdjustChildrenCoords() {
    // Borrowed items (a note laid out for paper) keep their controls, and a table its cell
    // editor, where the window that owns them put them.
    if (BorrowsItems() || GetFlags().Contains(TRNFlag::rnflShareContents) || !GetParentControl() ||
        State.Contains(TRNStateItem::rnstDoNotMoveChildren)) {
        return;
    }
    // Runs after every keystroke over the whole document. Text pieces, by far the most of
    // it, are told by their Offs (other items' pieces have none) and passed over in one
    // quick walk; the rest are visited by index, as moving a control may reformat.
    std::vector<int> others;
    DrawItems.ForEach([&](int i, const TRNDrawLineInfo& d) {
        if (d.Offs == 0) {
            others.push_back(i);
        }
    });
    for (int i : others) {
        if (i >= DrawItems.Count()) {
            break;
        }
        const TRNDrawLineInfo& d = *DrawItems[i];
        if (auto* item = dynamic_cast<TRNNonTextItemInfo*>(&GetItem(d.ItemNo))) {
            item->AdjustInserted(d.Left - GetZHOffs(), d.Top - GetZVOffs(), true);
        }
    }
}
