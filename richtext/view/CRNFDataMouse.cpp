// The mouse over a formatted document: drag selection, word selection, hypertext areas that
// light up and fire, items that take the mouse, and the look-ups of checkpoint and jump
// positions. Points arrive in window coordinates.

#include "richtext/view/CRNFData.h"

#include "platform/base/InputTypes.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <algorithm>

namespace {

constexpr int LeftButton = static_cast<int>(TMouseButton::mbLeft);
constexpr int RightButton = static_cast<int>(TMouseButton::mbRight);
constexpr uint32_t ShiftKey = 1u << static_cast<int>(TShiftStateItem::ssShift);
constexpr uint32_t LeftDown = 1u << static_cast<int>(TShiftStateItem::ssLeft);

bool InWindowRect(const TRNJumpInfo& j, int x, int y, int hOffs, int vOffs, bool inclusive) {
    const int left = j.Left - hOffs;
    const int top = j.Top - vOffs;
    if (inclusive) {
        return x >= left && x <= left + j.Width && y >= top && y <= top + j.Height;
    }
    return x >= left && x < left + j.Width && y >= top && y < top + j.Height;
}

} // namespace

void TCustomRNFormattedData::SetCursor(TCursor cursor) {
    if (TCustomRNFormattedData* root = GetFormattedRoot(); root && root != this) {
        root->SetCursor(cursor);
    }
}

void TCustomRNFormattedData::SearchHotItem(int x, int y) {
    if (CaptureMouseItem) {
        return;
    }
    x += GetZHOffs();
    y += GetZVOffs();
    if (HotDrawItemNo >= 0 && HotDrawItemNo < DrawItems.Count()) {
        const TRNDrawLineInfo& d = *DrawItems[HotDrawItemNo];
        if (!(x >= d.Left && x < d.Left + d.Width && y >= d.Top && y < d.Top + d.Height)) {
            HotDrawItemNo = -1;
        }
    } else {
        HotDrawItemNo = -1;
    }
    if (HotDrawItemNo == -1) {
        HotDrawItemNo = FindDrawItemAtPos(x, y);
    }
}

bool TCustomRNFormattedData::HotItemMove(uint32_t shift, int x, int y) {
    SearchHotItem(x, y);
    if (HotDrawItemNo < 0 || HotDrawItemNo >= DrawItems.Count()) {
        return false;
    }
    const TRNDrawLineInfo& d = *DrawItems[HotDrawItemNo];
    return GetItem(d.ItemNo).MouseMove(shift, x - (d.Left - GetZHOffs()), y - (d.Top - GetZVOffs()),
                                       d.ItemNo, *this);
}

bool TCustomRNFormattedData::JumpHover(int x, int y) {
    for (int i = 0; i < Jumps.Count(); ++i) {
        const TRNJumpInfo& j = *Jumps[i];
        if (!InWindowRect(j, x, y, GetZHOffs(), GetZVOffs(), false)) {
            continue;
        }
        TCustomRNFormattedData* data = j.RNData ? j.RNData : this;
        // After a partial reformat an area may name a draw item that is gone.
        if (j.DrawItemNo < 0 || j.DrawItemNo >= data->DrawItems.Count()) {
            continue;
        }
        SetCursor(j.Cursor);
        if (LastJumpMovedAbove != j.Id) {
            DoRNMouseMove(GetFirstJumpNo() + j.Id);
        }
        if (TCustomRNFormattedData* old = LastRNDataMovedAbove;
            old && old->State.Contains(TRNStateItem::rnstDrawHover) &&
            old->LastJumpMovedAbove != j.Id) {
            old->State.Exclude(TRNStateItem::rnstDrawHover);
            old->InvalidateJumpRect(old->LastJumpMovedAbove);
        }
        data->LastJumpMovedAbove = j.Id;
        data->HotDrawItemNo = j.DrawItemNo;
        LastJumpMovedAbove = j.Id;
        LastRNDataMovedAbove = data;
        const TCustomRNItemInfo& item = data->GetItem(data->DrawItems[j.DrawItemNo]->ItemNo);
        if (!data->State.Contains(TRNStateItem::rnstDrawHover) &&
            item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpHotColdJump, GetRNStyle())) {
            data->State.Include(TRNStateItem::rnstDrawHover);
            data->InvalidateJumpRect(j.Id);
        }
        return true;
    }
    return false;
}

void TCustomRNFormattedData::LimitToView(int& x, int& y) const {
    if (!GetFlags().Contains(TRNFlag::rnflMouseXYAlwaysCorrect)) {
        x = std::clamp(x, 0, std::max(GetWidth(), 0));
        y = std::clamp(y, 0, std::max(GetHeight(), 0));
    }
}

void TCustomRNFormattedData::MouseMove(uint32_t shift, int x, int y) {
    ZoomInt(x);
    ZoomInt(y);
    ClearXorDrawing();
    if (!CaptureMouseItem) {
        if (State.Contains(TRNStateItem::rnstMakingSelection)) {
            int sx = x, sy = y;
            LimitToView(sx, sy);
            int no, offs;
            FindDrawItemForSel(sx + GetZHOffs(), sy + GetZVOffs(), no, offs);
            if (no != SelEndNo || offs != SelEndOffs) {
                SelEndNo = no;
                SelEndOffs = offs;
                DoOnSelection(true);
                Invalidate();
            }
        }
        if (GetFlags().Contains(TRNFlag::rnflUseJumps)) {
            if (JumpHover(x, y)) {
                XorDrawingEx(x, y);
                return;
            }
            if (TCustomRNFormattedData* old = LastRNDataMovedAbove) {
                old->State.Exclude(TRNStateItem::rnstDrawHover);
                old->InvalidateJumpRect(old->LastJumpMovedAbove);
                old->LastJumpMovedAbove = -1;
                old->HotDrawItemNo = -1;
                LastJumpMovedAbove = -1;
                LastRNDataMovedAbove = nullptr;
                DoRNMouseMove(-1);
            }
        }
    }
    if (!HotItemMove(shift, x, y)) {
        SetCursor(GetNormalCursor());
    }
    XorDrawingEx(x, y);
}

void TCustomRNFormattedData::CollapseSelection(int drawItemNo, int offs) {
    SelStartNo = SelEndNo = drawItemNo;
    SelStartOffs = SelEndOffs = offs;
}

void TCustomRNFormattedData::MouseDown(int button, uint32_t shift, int x, int y) {
    SearchHotItem(x, y);
    int clickedItemNo = -1;
    if (HotDrawItemNo >= 0 && HotDrawItemNo < DrawItems.Count()) {
        const TRNDrawLineInfo& d = *DrawItems[HotDrawItemNo];
        clickedItemNo = d.ItemNo;
        TCustomRNItemInfo& item = GetItem(clickedItemNo);
        if (&item != PartialSelectedItem) {
            DeselectPartiallySelectedItem();
            FocusControl();
        }
        if (IRNInplaceEditor* editor = GetInplaceEditor();
            editor && !item.OwnsInplaceEditor(editor)) {
            DestroyInplaceEditor();
            FocusControl();
        }
        item.MouseDown(button, shift, x - (d.Left - GetZHOffs()), y - (d.Top - GetZVOffs()),
                       clickedItemNo, *this);
    } else {
        DestroyInplaceEditor();
        FocusControl();
    }
    if (!GetInplaceEditor() && IsAssignedRNMouseDown()) {
        DoRNMouseDown(button, shift, clickedItemNo, x, y);
    }
    if (!GetInplaceEditor() && button == LeftButton) {
        LastJumpDowned = -1;
        for (int i = 0; i < Jumps.Count(); ++i) {
            if (InWindowRect(*Jumps[i], x, y, GetZHOffs(), GetZVOffs(), true)) {
                LastJumpDowned = Jumps[i]->Id;
                break;
            }
        }
    }
    if (CaptureMouseItem || GetInplaceEditor()) {
        if (HotDrawItemNo >= 0) {
            CollapseSelection(HotDrawItemNo, 1);
            DoOnSelection(true);
        }
        return;
    }
    if (button != LeftButton || State.Contains(TRNStateItem::rnstIgnoreNextMouseDown)) {
        return;
    }
    const TRNOptions options = GetOptions();
    if (options.Contains(TRNOption::rnoSingleClick) && IsAssignedRNDblClick()) {
        std::string word;
        int styleNo = 0, itemNo = -1, offs = 0;
        if (FindWordAt(word, x, y, styleNo, itemNo, offs)) {
            DoRNDblClick(word, styleNo);
        }
    }
    if (options.Contains(TRNOption::rnoAllowSelection) && (shift & LeftDown)) {
        DeselectPartiallySelectedItem();
        GetSelStart(SelStartNo, SelStartOffs);
        FindDrawItemForSel(x + GetZHOffs(), y + GetZVOffs(), SelEndNo, SelEndOffs);
        if (!(shift & ShiftKey) || SelStartNo == -1) {
            SelStartNo = SelEndNo;
            SelStartOffs = SelEndOffs;
        }
        if (SelEndNo != -1) {
            State.Include(TRNStateItem::rnstMakingSelection);
        } else {
            State.Exclude(TRNStateItem::rnstMakingSelection);
        }
        DoOnSelection(true);
        Invalidate();
    }
}

void TCustomRNFormattedData::MouseUp(int button, uint32_t shift, int x, int y) {
    const bool existedBefore = SelectionExists(true, true);
    if (!CaptureMouseItem) {
        State.Exclude(TRNStateItem::rnstIgnoreNextMouseDown);
        if (State.Contains(TRNStateItem::rnstMakingSelection) && button == LeftButton) {
            int sx = x, sy = y;
            LimitToView(sx, sy);
            FindDrawItemForSel(sx + GetZHOffs(), sy + GetZVOffs(), SelEndNo, SelEndOffs);
            State.Exclude(TRNStateItem::rnstMakingSelection);
            DoOnSelection(true);
            Invalidate();
            DoSelect();
        }
        if (GetOptions().Contains(TRNOption::rnoRClickDeselects) && button == RightButton) {
            int startNo, endNo, startOffs, endOffs;
            GetSelBounds(startNo, endNo, startOffs, endOffs, true);
            int no, offs;
            FindDrawItemForSel(x + GetZHOffs(), y + GetZVOffs(), no, offs);
            const bool before = no < startNo || (no == startNo && offs < startOffs);
            const bool after = no > endNo || (no == endNo && offs > endOffs);
            if (no != -1 && (before || after)) {
                CollapseSelection(no, offs);
                DoOnSelection(true);
                Invalidate();
                DoSelect();
            }
        }
    }
    SearchHotItem(x, y);
    int clickedItemNo = -1;
    if (HotDrawItemNo >= 0 && HotDrawItemNo < DrawItems.Count()) {
        const TRNDrawLineInfo& d = *DrawItems[HotDrawItemNo];
        clickedItemNo = d.ItemNo;
        GetItem(clickedItemNo)
            .MouseUp(button, shift, x - (d.Left - GetZHOffs()), y - (d.Top - GetZVOffs()),
                     clickedItemNo, *this);
    }
    if (CaptureMouseItem) {
        return;
    }
    if (!existedBefore && (button == LeftButton || button == RightButton) && clickedItemNo != -1 &&
        GetItem(clickedItemNo)
            .GetBoolValueEx(TRNItemBoolPropertyEx::rnbpAllowsFocus, GetRNStyle())) {
        auto* root = dynamic_cast<TRNControlData*>(GetFormattedRoot());
        if (root && root->TabNavigation != TRNTabNavigationType::rntnNone) {
            root->ClearFocus();
            AdjustFocus(clickedItemNo, this, clickedItemNo);
        }
    }
    if (IsAssignedRNMouseUp()) {
        DoRNMouseUp(button, shift, clickedItemNo, x, y);
    }
    if (button == RightButton && IsAssignedRNRightClick()) {
        std::string word;
        int styleNo = 0, itemNo = -1, offs = 0;
        if (FindWordAt(word, x, y, styleNo, itemNo, offs)) {
            const TPoint p = ClientToScreen(TPoint{x, y});
            DoRNRightClick(word, styleNo, p.X, p.Y);
        }
    }
    if (button == LeftButton && LastJumpDowned != -1 && IsAssignedJump() && !existedBefore) {
        const int downed = LastJumpDowned;
        LastJumpDowned = -1;
        for (int i = 0; i < Jumps.Count(); ++i) {
            const TRNJumpInfo& j = *Jumps[i];
            if (j.Id == downed && InWindowRect(j, x, y, GetZHOffs(), GetZVOffs(), true)) {
                DoJump(GetFirstJumpNo() + j.Id);
                break;
            }
        }
    }
}

void TCustomRNFormattedData::DblClick(int x, int y) {
    const TRNOptions options = GetOptions();
    const bool selectsWord = options.Contains(TRNOption::rnoDblClickSelectsWord);
    if (!selectsWord && (options.Contains(TRNOption::rnoSingleClick) || !IsAssignedRNDblClick())) {
        return;
    }
    std::string word;
    int styleNo = 0, itemNo = -1, offs = 0;
    if (selectsWord && options.Contains(TRNOption::rnoAllowSelection)) {
        if (!FindWordAt(word, x, y, styleNo, itemNo, offs)) {
            return;
        }
        SelectFoundWord(itemNo, offs, word);
        State.Exclude(TRNStateItem::rnstMakingSelection);
        DoRNDblClick(word, styleNo);
        State.Include(TRNStateItem::rnstIgnoreNextMouseDown);
    } else if (IsAssignedRNDblClick() && FindWordAt(word, x, y, styleNo, itemNo, offs)) {
        DoRNDblClick(word, styleNo);
    }
}

void TCustomRNFormattedData::MouseLeave() {
    HotDrawItemNo = -1;
    CaptureMouseItem = nullptr;
    if (GetFlags().Contains(TRNFlag::rnflUseJumps)) {
        TCustomRNFormattedData* data = LastRNDataMovedAbove;
        const int id = data ? data->LastJumpMovedAbove : -1;
        ClearLastJump();
        if (id != -1) {
            (data ? data : this)->InvalidateJumpRect(id);
        }
    }
}

// Items that take the mouse.

void TCustomRNFormattedData::SetMouseCapture(TCustomRNItemInfo* item, int& left, int& top) {
    CaptureMouseItem = item;
    const int itemNo = GetItemNo(item);
    if (HotDrawItemNo < 0 || HotDrawItemNo >= DrawItems.Count() ||
        DrawItems[HotDrawItemNo]->ItemNo != itemNo) {
        Item2FirstDrawItem(itemNo, HotDrawItemNo);
    }
    if (HotDrawItemNo >= 0) {
        left = DrawItems[HotDrawItemNo]->Left;
        top = DrawItems[HotDrawItemNo]->Top;
    }
}

void TCustomRNFormattedData::ReleaseMouseCapture(TCustomRNItemInfo* item) {
    if (CaptureMouseItem == item) {
        CaptureMouseItem = nullptr;
    }
}

// Hypertext areas.

void TCustomRNFormattedData::BuildJumpsCoords(int& startJumpNo, TRNList<TRNJumpInfo>* list) {
    TRNList<TRNJumpInfo>& out = list ? *list : Jumps;
    HotDrawItemNo = -1;
    TRNStyle* style = GetRNStyle();
    if (!style) {
        return;
    }
    JumpCount = 0;
    int prevItemNo = -1;
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRNDrawLineInfo& d = *DrawItems[i];
        TCustomRNItemInfo& item = GetItem(d.ItemNo);
        if (item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, style)) {
            auto jump = std::make_unique<TRNJumpInfo>();
            jump->Left = d.Left;
            jump->Top = d.Top;
            jump->Width = d.Width;
            jump->Height = d.Height;
            jump->Id = startJumpNo + JumpCount - (d.ItemNo == prevItemNo ? 1 : 0);
            jump->RNData = this;
            jump->DrawItemNo = i;
            item.JumpNo = jump->Id;
            jump->Cursor = item.IsText() ? style->TextStyles()[item.StyleNo].JumpCursor
                                         : static_cast<TCursor>(item.GetHypertextCursor(*style));
            out.Add(std::move(jump));
            if (d.ItemNo != prevItemNo) {
                ++JumpCount;
                prevItemNo = d.ItemNo;
            }
        } else if (!item.IsText()) {
            int n = startJumpNo + JumpCount;
            item.BuildJumps(d.Left, d.Top, n, out);
            JumpCount = n - startJumpNo;
        }
    }
    startJumpNo += JumpCount;
}

// Look-ups.

void TCustomRNFormattedData::GetCheckpointXY(TRNCPInfo* checkpoint, int& x, int& y) {
    if (!checkpoint) {
        throw ERichNoteError("Parameter can't be NIL");
    }
    if (checkpoint == NotAddedCP.get()) {
        x = 0;
        y = DocumentHeight;
        return;
    }
    const int itemNo = GetCheckpointItemNo(checkpoint);
    int d = -1;
    if (itemNo >= 0 && itemNo < ItemCount()) {
        Item2FirstDrawItem(itemNo, d);
    }
    if (d < 0) {
        throw ERichNoteError("RichNote must be formatted for this operation");
    }
    x = DrawItems[d]->Left;
    y = DrawItems[d]->Top;
}

int TCustomRNFormattedData::GetCheckpointYEx(TRNCPInfo* checkpoint) {
    int x = 0, y = 0;
    GetCheckpointXY(checkpoint, x, y);
    return y;
}

int TCustomRNFormattedData::GetJumpPointY(int id) {
    if (TCustomRNFormattedData* viewer = InplaceDocumentOf(GetInplaceEditor())) {
        if (const int y = viewer->GetJumpPointY(id); y > 0) {
            return y;
        }
    }
    for (int i = 0; i < Jumps.Count(); ++i) {
        if (Jumps[i]->Id + GetFirstJumpNo() == id) {
            return Jumps[i]->Top;
        }
    }
    return 0;
}

void TCustomRNFormattedData::GetJumpPointLocation(int id, TCustomRNFormattedData*& rnData,
                                                  int& itemNo) {
    if (TCustomRNFormattedData* viewer = InplaceDocumentOf(GetInplaceEditor())) {
        viewer->GetJumpPointLocation(id, rnData, itemNo);
        if (itemNo >= 0) {
            return;
        }
    }
    rnData = nullptr;
    itemNo = -1;
    for (int i = 0; i < Jumps.Count(); ++i) {
        const TRNJumpInfo& j = *Jumps[i];
        TCustomRNFormattedData* data = j.RNData ? j.RNData : this;
        if (j.Id + GetFirstJumpNo() == id && j.DrawItemNo >= 0 &&
            j.DrawItemNo < data->DrawItems.Count()) {
            rnData = data;
            itemNo = data->DrawItems[j.DrawItemNo]->ItemNo;
            return;
        }
    }
}

int TCustomRNFormattedData::GetJumpPointItemNo(int id) {
    TCustomRNFormattedData* data = nullptr;
    int itemNo = -1;
    GetJumpPointLocation(id, data, itemNo);
    return itemNo;
}
