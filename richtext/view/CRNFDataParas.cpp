// Partial reformat after an edit, and the scrolling side of a formatted document.

#include "richtext/view/CRNFData.h"

#include "richtext/model/RNStyle.h"

#include <algorithm>
#include <climits>
#include <limits>

bool TCustomRNFormattedData::IsParaStartDrawItem(int drawItemNo) const {
    if (drawItemNo <= 0) {
        return true;
    }
    const int itemNo = DrawItems[drawItemNo]->ItemNo;
    return !GetItem(itemNo).GetSameAsPrev() && DrawItems[drawItemNo - 1]->ItemNo != itemNo;
}

void TCustomRNFormattedData::GetParaBounds(int drawItemNo1, int drawItemNo2, int& paraStart,
                                           int& paraEnd) const {
    const int count = DrawItems.Count();
    paraStart = drawItemNo1;
    while (paraStart > 0 && !IsParaStartDrawItem(paraStart)) {
        --paraStart;
    }
    if (paraStart > 0) {
        --paraStart;
        while (paraStart > 0 && !IsParaStartDrawItem(paraStart)) {
            --paraStart;
        }
    }
    auto pastPara = [&](int d) {
        const int itemNo = DrawItems[d]->ItemNo;
        while (d < count && DrawItems[d]->ItemNo == itemNo) {
            ++d;
        }
        while (d < count && !IsParaStartDrawItem(d)) {
            ++d;
        }
        return d;
    };
    paraEnd = pastPara(drawItemNo2);
    if (paraEnd < count) {
        paraEnd = pastPara(paraEnd);
    }
    --paraEnd;
}

void TCustomRNFormattedData::FormatParas(int startDrawItemNo, int endDrawItemNo,
                                         int itemsInserted) {
    const int count = DrawItems.Count();
    if (ItemCount() == 0 || count == 0) {
        FormatParasExact(0, -1, itemsInserted);
        return;
    }
    int start = std::clamp(startDrawItemNo, 0, count - 1);
    while (start > 0 && !IsParaStartDrawItem(start)) {
        --start;
    }
    int end = std::clamp(endDrawItemNo, start, count - 1);
    const int oldLastItem = ItemCount() - 1 - itemsInserted;
    const int itemNo = DrawItems[end]->ItemNo;
    if (itemNo >= oldLastItem) {
        end = count - 1;
    } else {
        while (end < count && DrawItems[end]->ItemNo == itemNo) {
            ++end;
        }
        if (end == count || DrawItems[end]->ItemNo >= oldLastItem) {
            end = count - 1;
        } else {
            // The draw items below carry the old numbers: the item they stand for now decides
            // whether it continues the paragraph.
            auto continues = [&](int d) {
                const int now = DrawItems[d]->ItemNo + itemsInserted;
                return now >= 0 && now < ItemCount() && GetItem(now).GetSameAsPrev();
            };
            while (end < count && continues(end)) {
                ++end;
            }
            end = end == count ? count - 1 : end - 1;
        }
    }
    FormatParasExact(start, end, itemsInserted);
}

int TCustomRNFormattedData::SpacingBefore(const TFormatState& s, int itemNo) const {
    // The space the pass puts between the line above and the first line of item `itemNo`.
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const bool fullLine = !item.IsText() && !dynamic_cast<const TRNRectItemInfo*>(&item);
    if (!fullLine && item.GetBR()) {
        return 0;
    }
    int space = s.V(ParaOf(itemNo - 1).SpaceAfter) + s.V(ParaOf(itemNo).SpaceBefore);
    if (fullLine && item.StyleNo == -1) {
        space += s.V(GetRNStyle()->ParaStyles()[0].SpaceBefore);
    }
    return space;
}

void TCustomRNFormattedData::FormatParasExact(int startDrawItemNo, int endDrawItemNo,
                                              int itemsInserted) {
    TCanvas* canvas = GetCanvas();
    if (!canvas || !GetRNStyle()) {
        return;
    }
    if (ItemCount() == 0 || DrawItems.Count() == 0 || startDrawItemNo < 0 ||
        endDrawItemNo < startDrawItemNo || endDrawItemNo >= DrawItems.Count()) {
        Format_(false, true, false, 0, *canvas, false);
        return;
    }
    State.Include(TRNStateItem::rnstFormatParas);
    // Hypertext areas are built only by a full pass: the flag is off while we rewrap, and
    // the jump numbers stay as they are.
    const TRNFlags flags = GetFlags();
    const int jumpCount = JumpCount;
    if (flags.Contains(TRNFlag::rnflUseJumps)) {
        TRNFlags without = flags;
        without.Exclude(TRNFlag::rnflUseJumps);
        SetFlags(without);
    }
    struct Restore {
        TCustomRNFormattedData& data;
        TRNFlags flags;
        int jumpCount;
        ~Restore() {
            if (data.GetFlags() != flags) {
                data.SetFlags(flags);
            }
            data.JumpCount = jumpCount;
            data.State.Exclude(TRNStateItem::rnstFormatParas);
        }
    } restore{*this, flags, jumpCount};

    const int oldCount = DrawItems.Count();
    const int lastItem = ItemCount() - 1;
    const int firstItemNo = std::min(DrawItems[startDrawItemNo]->ItemNo, lastItem);
    const int lastItemNo =
        std::clamp(DrawItems[endDrawItemNo]->ItemNo + itemsInserted, firstItemNo, lastItem);

    TFormatState s;
    s.Canvas = canvas;
    GetSADForFormatting(*canvas, s.Sad);
    s.Sad.LeftMargin = s.H(GetLeftMargin());
    s.Sad.RightMargin = s.H(GetRightMargin());
    s.Y = GetTopMargin();
    if (startDrawItemNo > 0) {
        int first, last;
        GetScreenLineBounds(startDrawItemNo - 1, first, last);
        int bottom = INT_MIN;
        for (int i = first; i <= last; ++i) {
            const TRNDrawLineInfo& d = *DrawItems[i];
            bottom = std::max(bottom, d.Top + d.Height + d.LineExtra);
        }
        s.Y = bottom;
    }
    // What was drawn from here down to the next paragraph is drawn anew.
    const int changedTop = s.Y;
    int oldNextTop = -1;
    if (endDrawItemNo + 1 < oldCount) {
        int first, last;
        GetScreenLineBounds(endDrawItemNo + 1, first, last);
        oldNextTop = INT_MAX;
        for (int i = endDrawItemNo + 1; i <= last; ++i) {
            oldNextTop = std::min(oldNextTop, DrawItems[i]->Top);
        }
    }

    DrawItems.MarkForDelete(startDrawItemNo, endDrawItemNo);
    s.Index = startDrawItemNo;
    s.LineFirst = s.Index;
    for (int i = firstItemNo; i <= lastItemNo; ++i) {
        FormatItem(s, i);
    }
    int extra = 0;
    FinishScreenLine(s.Sad, s.LineLeft + s.LineMaxWidth, s.Index, s.NoLineToFinish, extra, true);
    const int bottom = s.Y + s.LineDescent + extra;
    DrawItems.DeleteMarked();

    const int oldHeight = DocumentHeight;
    int delta = 0;
    if (lastItemNo == lastItem) {
        DocumentHeight = GetBottomMargin() + bottom + s.V(ParaOf(lastItem).SpaceAfter);
    } else {
        delta = bottom + SpacingBefore(s, lastItemNo + 1) - oldNextTop;
        // The draw items below move by the height change and take the new item numbers.
        // Their items' recorded first draw items are left as they were: a look-up checks the
        // record against the draw items and searches when it no longer fits.
        DrawItems.ShiftFrom(s.Index, delta, itemsInserted);
        DocumentHeight += delta;
    }
    if (DocumentHeight != oldHeight) {
        AdjustVScrollUnits();
        SkipNextFormat = true;
        SetDocumentAreaSize(GetAreaWidth(), DocumentHeight, false);
        SkipNextFormat = false;
    }
    AdjustChildrenCoords();
    LastFormattedItemNo = lastItem;
    InvalidateReformatted(changedTop, lastItemNo == lastItem || delta != 0
                                          ? std::numeric_limits<int>::max()
                                          : std::max(bottom, oldNextTop));
    Formatted(firstItemNo, lastItemNo, true);
}

void TCustomRNFormattedData::InvalidateReformatted(int top, int bottom) {
    // A document inside another (a table cell) is drawn in its holder's coordinates: the
    // holder is repainted whole.
    if (GetFormattedRoot() != this) {
        Invalidate();
        return;
    }
    const int v = GetVOffs();
    const int clientBottom = GetHeight();
    const int y1 = std::max(top - v, 0);
    const int y2 = bottom - v >= clientBottom || bottom == std::numeric_limits<int>::max()
                       ? clientBottom
                       : bottom - v;
    if (y2 > y1) {
        InvalidateRect(Rect(0, y1, GetWidth(), y2));
    }
}

// Scrolling.

void TCustomRNFormattedData::ShowRectangle(int left, int top, int width, int height) {
    const int h = GetHOffs();
    const int v = GetVOffs();
    const int viewHeight = GetHeight();
    const int step = GetVSmallStep();
    if (left < h || left + width > h + GetWidth()) {
        HScrollTo(left);
    }
    const int bottom = top + height;
    if (bottom > v + viewHeight - 2 * step && top < v + step) {
        return;
    }
    if (bottom <= v + viewHeight) {
        if (top < v) {
            ScrollTo(top, true);
        }
    } else {
        ScrollTo(top + height - viewHeight + step, true);
    }
}

bool TCustomRNFormattedData::GetItemCoords(int itemNo, int& left, int& top) const {
    int d = -1;
    if (itemNo >= 0 && itemNo < ItemCount()) {
        Item2FirstDrawItem(itemNo, d);
    }
    if (d < 0) {
        return false;
    }
    left = DrawItems[d]->Left;
    top = DrawItems[d]->Top;
    return true;
}

bool TCustomRNFormattedData::GetItemClientCoords(int itemNo, int& left, int& top) const {
    if (!GetItemCoords(itemNo, left, top)) {
        return false;
    }
    left -= GetHOffs();
    top -= GetVOffs();
    return true;
}

// Checkpoint events after scrolling.

void TCustomRNFormattedData::ReportCheckpoint(TRNCPInfo* checkpoint) {
    if (checkpoint != LastReportedCheckpoint) {
        LastReportedCheckpoint = checkpoint;
        DoCheckpointVisible(checkpoint);
    }
}

bool TCustomRNFormattedData::RemoveCheckpoint(int itemNo) {
    if (itemNo >= 0 && itemNo < ItemCount() &&
        GetItemCheckpoint(itemNo) == LastReportedCheckpoint) {
        LastReportedCheckpoint = nullptr;
    }
    return TCustomRNData::RemoveCheckpoint(itemNo);
}

void TCustomRNFormattedData::AfterVScroll() {
    const TCPEventKind kind = GetCPEventKind();
    if (!IsAssignedCheckpointVisible() || kind == TCPEventKind::cpeNone) {
        return;
    }
    const int v = GetVOffs();
    const int vb = v + GetHeight();
    // The top of a checkpoint's item, or -1 when it has no draw item yet.
    auto topOf = [&](const TRNCPInfo* cp) {
        int d = -1;
        const int itemNo = GetCheckpointItemNo(cp);
        if (itemNo >= 0 && itemNo < ItemCount()) {
            Item2FirstDrawItem(itemNo, d);
        }
        return d < 0 ? -1 : DrawItems[d]->Top;
    };
    auto raisingBefore = [](TRNCPInfo* cp) {
        while (cp && !cp->RaiseEvent) {
            cp = cp->Prev;
        }
        return cp;
    };
    TRNCPInfo* endCP = NotAddedCP.get();
    const bool endVisible = endCP && endCP->RaiseEvent && DocumentHeight < vb;
    for (TRNCPInfo* cp = FirstCP; cp; cp = cp->Next) {
        if (!cp->RaiseEvent) {
            continue;
        }
        const int y = topOf(cp);
        if (y < 0) {
            return;
        }
        if (y < v) {
            continue;
        }
        if (kind == TCPEventKind::cpeWhenVisible) {
            ReportCheckpoint(y < vb ? cp : nullptr);
            return;
        }
        if (y >= vb) {
            cp = raisingBefore(cp->Prev);
            if (!cp) {
                return;
            }
        }
        ReportCheckpoint(cp);
        return;
    }
    if (endVisible) {
        ReportCheckpoint(endCP);
        return;
    }
    if (kind == TCPEventKind::cpeWhenVisible) {
        ReportCheckpoint(nullptr);
        return;
    }
    // Every raising checkpoint lies above the view: the last one's section is on screen.
    if (TRNCPInfo* last = raisingBefore(LastCP); last && topOf(last) >= 0) {
        ReportCheckpoint(last);
    }
}
