#include "richtext/view/RNERNData.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"

#include <algorithm>

TRNEditRNData::TRNEditRNData(IRichNoteHost& richNote, IRNEditHost& editHost)
    : TRichNoteRNData(richNote), EditHost(editHost) {
    TabNavigation = TRNTabNavigationType::rntnNone;
}

TRNEditRNData::~TRNEditRNData() {
    // The records may hold items whose controls ask this document on their way out.
    undoList_.Clear();
    redoList_.Clear();
}

void TRNEditRNData::ClearTemporal() {
    CharEnds.clear();
    CaretDrawItemNo = -1;
    CaretOffs = -1;
    TRichNoteRNData::ClearTemporal();
}

void TRNEditRNData::Clear() {
    TRichNoteRNData::Clear();
    undoList_.Clear();
    redoList_.Clear();
    SetCurParaStyleNo(0);
    SetCurTextStyleNo(0);
    // The next note may bring a sheet of fewer styles.
    FallbackTextStyleNo = 0;
}

// Undo groups.

TRNUndoList* TRNEditRNData::GetUndoList() {
    switch (UndoDest) {
    case TRNUndoDestination::Undo:
        return undoList_.Limit == 0 ? nullptr : &undoList_;
    case TRNUndoDestination::Redo:
        return &redoList_;
    default:
        return nullptr;
    }
}

bool TRNEditRNData::BeginUndoSequence(TRNUndoType undoType) {
    return BeginNamedUndoSequence(undoType, {});
}

bool TRNEditRNData::BeginNamedUndoSequence(TRNUndoType undoType, const std::string& caption) {
    const bool accepted =
        undoList_.BeginItem(undoType, caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = accepted ? TRNUndoDestination::Undo : TRNUndoDestination::None;
    return accepted;
}

bool TRNEditRNData::BeginRedoSequence(TRNUndoType undoType, const std::string& caption) {
    const bool accepted =
        redoList_.BeginItem(undoType, caption, GetCurItemNo(), GetOffsetInCurItem());
    UndoDest = accepted ? TRNUndoDestination::Redo : TRNUndoDestination::None;
    return accepted;
}

void TRNEditRNData::EndUndoSequence() {
    undoList_.EndItem();
}

void TRNEditRNData::SetUndoGroupMode(bool on) {
    undoList_.GroupModeCounter += on ? 1 : -1;
}

void TRNEditRNData::BeginItemUndoGroup() {
    BeginUndoSequence(TRNUndoType::rnutModifyItem);
    SetUndoGroupMode(true);
}

void TRNEditRNData::EndItemUndoGroup() {
    SetUndoGroupMode(false);
    // A command that changed nothing leaves no empty step behind.
    UndoList().PopIfEmpty();
}

void TRNEditRNData::ItemResized(int itemNo) {
    Reformat(false, true, true, itemNo, false);
    Invalidate();
    Change();
}

// Paragraphs and items.

int TRNEditRNData::GetParaEndItemNo(int itemNo) const {
    for (int i = itemNo + 1; i < ItemCount(); ++i) {
        if (GetItem(i).CanBeBorderStart()) {
            return i - 1;
        }
    }
    return ItemCount() - 1;
}

void TRNEditRNData::SetParaStyle(int first, int last, int paraNo, bool& fullReformat) {
    const int w1 = CalculateMinItemsWidthPlus(first, last);
    for (int i = first; i <= last; ++i) {
        GetItem(i).ParaNo = static_cast<int16_t>(paraNo);
    }
    const int w2 = CalculateMinItemsWidthPlus(first, last);
    fullReformat = w2 != w1 && (w2 > DocMinWidth || DocMinWidth <= w1);
}

bool TRNEditRNData::StyleIsUnicode(int styleNo) const {
    const TRNStyle* style = GetRNStyle();
    return style && styleNo >= 0 && styleNo < style->TextStyles().Count() &&
           style->TextStyles()[styleNo].Unicode;
}

std::unique_ptr<TCustomRNItemInfo>
TRNEditRNData::CreateTextCopy(const TCustomRNItemInfo& item) const {
    auto copy = std::make_unique<TRNTextItemInfo>(const_cast<TRNEditRNData*>(this));
    copy->StyleNo = item.StyleNo;
    copy->ParaNo = item.ParaNo;
    copy->SetSameAsPrev(item.GetSameAsPrev());
    if (item.ItemOptions.Contains(TRNItemOption::rnioUnicode)) {
        copy->ItemOptions.Include(TRNItemOption::rnioUnicode);
    }
    copy->Tag = RN_CopyTag(item.Tag, TagsArePChars());
    return copy;
}

TCustomRNItemInfo& TRNEditRNData::TextItem(int itemNo) const {
    if (itemNo < 0 || itemNo >= ItemCount() || !GetItem(itemNo).IsText()) {
        throw ERichNoteError("Undo error");
    }
    return GetItem(itemNo);
}

// After a replay.

void TRNEditRNData::UndoParaRange(int firstItem, int lastItem, int& firstDrawItem,
                                  int& lastDrawItem) {
    firstDrawItem = 0;
    lastDrawItem = DrawItems.Count() - 1;
    if (DrawItems.Count() == 0 || ItemCount() == 0) {
        return;
    }
    int offs = 0;
    Item2DrawItem(firstItem, GetOffsBeforeItem(firstItem), firstDrawItem, offs);
    Item2DrawItem(lastItem, GetOffsBeforeItem(lastItem), lastDrawItem, offs);
    if (firstDrawItem < 0) {
        firstDrawItem = 0;
    }
    if (lastDrawItem < 0) {
        lastDrawItem = DrawItems.Count() - 1;
    }
    GetParaBounds(firstDrawItem, lastDrawItem, firstDrawItem, lastDrawItem);
}

void TRNEditRNData::UndoSetCaret(int itemNo, int offs) {
    if (ItemCount() == 0) {
        return;
    }
    // A group's caret may point past a document that changed in other ways since.
    itemNo = std::clamp(itemNo, 0, ItemCount() - 1);
    offs = std::clamp(offs, GetOffsBeforeItem(itemNo), GetOffsAfterItem(itemNo));
    // The selection's end takes the caret with it (DoOnSelection).
    SetSelectionBounds(itemNo, offs, itemNo, offs);
}

void TRNEditRNData::UndoFailed() {
    undoList_.Clear();
    redoList_.Clear();
    Format();
}
