// Formatting again after an edit: only the paragraphs touched, unless the edit may have
// changed the document's minimal width.

#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>

void TRNEditRNData::Reformat(bool fullFormat, bool forceFormat, bool noScroll, int itemNo,
                             bool scroll) {
    TCanvas* canvas = GetCanvas();
    if (!canvas) {
        return;
    }
    int caretItem = -1;
    int caretOffs = 0;
    GetCaretItem(caretItem, caretOffs);
    if (fullFormat) {
        Format_(true, forceFormat, noScroll, 0, *canvas, false);
    } else {
        int d = -1;
        if (caretItem == itemNo && HasCaret()) {
            d = CaretStop().DrawItemNo;
        } else {
            Item2FirstDrawItem(itemNo, d);
        }
        if (d >= 0) {
            FormatParas(d, d, 0);
        }
    }
    if (caretItem >= 0 && caretItem < ItemCount()) {
        SetCaretAtItem(caretItem, caretOffs);
        ChangeCaret(false, scroll, false, scroll);
    }
}

void TRNEditRNData::BeginItemModify(int itemNo, int& width) {
    width = CalculateMinItemsWidthPlus(itemNo, itemNo);
}

void TRNEditRNData::EndItemModify(int itemNo, int width) {
    const int now = CalculateMinItemsWidthPlus(itemNo, itemNo);
    Reformat(now != width && (width >= DocMinWidth || DocMinWidth < now), true, true, itemNo,
             false);
}

void TRNEditRNData::ResizeControl(int itemNo, int width, int height, bool reformat) {
    auto& item = CheckItemClass<TRNControlItemInfo>(itemNo);
    IEmbeddedControl* control = item.Control.get();
    if (!control || (control->Width() == width && control->Height() == height)) {
        return;
    }
    const int oldWidth = control->Width();
    const int oldHeight = control->Height();
    resizingControl_ = control;
    control->SetBounds(control->Left(), control->Top(), width, height);
    resizingControl_ = nullptr;
    if (reformat) {
        DoResizeControl(itemNo, oldWidth, oldHeight, width, height);
    }
}

void TRNEditRNData::DoResizeControl(int itemNo, int oldWidth, int /*oldHeight*/, int newWidth,
                                    int /*newHeight*/) {
    int indents = 0;
    if (const TRNStyle* style = GetRNStyle()) {
        const TParaInfo& para = style->ParaStyles()[GetItem(itemNo).ParaNo];
        indents = para.LeftIndent + para.RightIndent + para.FirstIndent;
    }
    const bool full = oldWidth != newWidth &&
                      (oldWidth + indents >= DocMinWidth || DocMinWidth < newWidth + indents);
    // Forced: with the text width unchanged an unforced pass would keep the old line.
    Reformat(full, true, true, itemNo, false);
    Invalidate();
}

void TRNEditRNData::AdjustControlPlacement(int itemNo) {
    // Resizing reformats, and a reformat places the controls again: one level is enough.
    if (placingControl_) {
        return;
    }
    auto& item = CheckItemClass<TRNControlItemInfo>(itemNo);
    IEmbeddedControl* control = item.Control.get();
    const int d = FindDrawItemByItem(itemNo);
    if (!control || control == resizingControl_ || d < 0) {
        return;
    }
    placingControl_ = true;
    const TRNDrawLineInfo& di = *DrawItems[d];
    if (control->Width() == di.Width - 2 && control->Height() == di.Height - 2) {
        control->SetLeft(di.Left + 1 - GetHOffs());
        control->SetTag(di.Top + 1 - GetVOffs());
        RN_Tag2Y(*control);
    } else {
        DoResizeControl(itemNo, di.Width - 2, di.Height - 2, control->Width(), control->Height());
    }
    placingControl_ = false;
}

void TRNEditRNData::Formatted(int firstItemNo, int lastItemNo, bool partial) {
    TRichNoteRNData::Formatted(firstItemNo, lastItemNo, partial);
    if (placingControl_) {
        return;
    }
    for (int i = std::max(firstItemNo, 0); i <= lastItemNo && i < ItemCount(); ++i) {
        if (dynamic_cast<TRNControlItemInfo*>(&GetItem(i))) {
            AdjustControlPlacement(i);
        }
    }
}

void TRNEditRNData::BuildJumpsCoords() {
    if (JumpBookkeeping != 0) {
        return;
    }
    ClearJumps();
    LastJumpMovedAbove = -1;
    int startJumpNo = 0;
    TCustomRNFormattedData::BuildJumpsCoords(startJumpNo, &Jumps);
    SetFlags(GetFlags().Include(TRNFlag::rnflUseJumps));
    State.Exclude(TRNStateItem::rnstDrawHover);
    Invalidate();
}

void TRNEditRNData::ClearJumpsCoords() {
    if (JumpBookkeeping != 0 || !GetFlags().Contains(TRNFlag::rnflUseJumps)) {
        return;
    }
    LastJumpMovedAbove = -1;
    ClearJumps();
    SetFlags(GetFlags().Exclude(TRNFlag::rnflUseJumps));
    State.Exclude(TRNStateItem::rnstDrawHover);
    ChangeCaret(false, false, false, true);
    Invalidate();
}
