#include "richtext/view/RNUndo.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNUni.h"

#include <algorithm>

void FreeUndoItem(TCustomRNData* rnData, std::unique_ptr<TCustomRNItemInfo> item) {
    if (!item) {
        return;
    }
    // The tag and checkpoint go with the item.
    if (rnData) {
        rnData->ControlAction(TRNControlAction::rncaDestroyInUndoList, -1, *item);
    }
}

// Records.

void TRNUndoItemNoInfo::SetItemsRange(int& startItemNo, int& endItemNo) const {
    startItemNo = ItemNo;
    endItemNo = LastAffectedItemNo == -1 ? ItemNo : LastAffectedItemNo;
}

bool TRNUndoResizeInfo::RequiresFullReformat1(IRNUndoTarget& target) {
    MinWidthBefore = target.MinItemWidth(ItemNo);
    return MinWidthBefore >= target.RecordedDocMinWidth();
}

bool TRNUndoResizeInfo::RequiresFullReformat2(IRNUndoTarget& target) {
    const int width = target.MinItemWidth(ItemNo);
    return width != MinWidthBefore && width > target.RecordedDocMinWidth();
}

namespace {

TCustomRNItemInfo& TextItemForUndo(IRNUndoTarget& target, int itemNo) {
    TCustomRNData& data = target.UndoData();
    if (itemNo < 0 || itemNo >= data.ItemCount() || !data.GetItem(itemNo).IsText()) {
        throw ERichNoteError("Undo error");
    }
    return data.GetItem(itemNo);
}

} // namespace

namespace {

bool IsLowSurrogateAt(const std::string& bytes, size_t at) {
    const unsigned unit = static_cast<unsigned char>(bytes[at]) |
                          static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    return unit >= 0xDC00 && unit < 0xE000;
}

bool IsHighSurrogateAt(const std::string& bytes, size_t at) {
    const unsigned unit = static_cast<unsigned char>(bytes[at]) |
                          static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    return unit >= 0xD800 && unit < 0xDC00;
}

} // namespace

void TRNRedoTypingInfo::Undo(IRNUndoTarget& target) {
    TCustomRNItemInfo& item = TextItemForUndo(target, ItemNo);
    size_t unit = Unicode ? 2 : 1;
    if (S.size() < unit) {
        throw ERichNoteError("Undo error");
    }
    // A surrogate pair goes back as one character.
    if (Unicode && S.size() >= 4 && IsLowSurrogateAt(S, S.size() - 2) &&
        IsHighSurrogateAt(S, S.size() - 4)) {
        unit = 4;
    }
    std::string& text = target.UndoData().Items()[static_cast<size_t>(ItemNo)].Text;
    const int pos = Pos - CharCount();
    const std::string ch = S.substr(S.size() - unit);
    if (pos < 1 || pos > RNU_Length(text, item.ItemOptions) + 1) {
        throw ERichNoteError("Undo error");
    }
    RNU_Insert(ch, text, pos, item.ItemOptions);
    S.resize(S.size() - unit);
    LastStep = static_cast<int>(Unicode ? unit / 2 : unit);
    for (int i = 0; i < LastStep; ++i) {
        target.UndoList().AddTyping(ItemNo, pos + i, Unicode);
    }
}

void TRNUndoTypingInfo::Undo(IRNUndoTarget& target) {
    TCustomRNItemInfo& item = TextItemForUndo(target, ItemNo);
    std::string& text = target.UndoData().Items()[static_cast<size_t>(ItemNo)].Text;
    if (Unicode) {
        RNCheckUni(text.size());
    }
    int pos = Pos + Length - 1;
    if (Length < 1 || pos < 1 || pos > RNU_Length(text, item.ItemOptions)) {
        throw ERichNoteError("Undo error");
    }
    int count = 1;
    const size_t at = static_cast<size_t>(pos - 1) * 2;
    if (Unicode && Length >= 2 && pos >= 2 && IsLowSurrogateAt(text, at) &&
        IsHighSurrogateAt(text, at - 2)) {
        count = 2;
        --pos;
    }
    const std::string removed = RNU_Copy(text, pos, count, item.ItemOptions);
    RNU_Delete(text, pos, count, item.ItemOptions);
    Length -= count;
    LastStep = count;
    target.RedoList().AddUntyping(removed, ItemNo, Pos + Length + count);
}

TRNUndoItemInfo::~TRNUndoItemInfo() {
    FreeUndoItem(RNData, std::move(Item));
}

void TRNUndoItemInfo::ChangeRNData(TCustomRNData* rnData, bool flag) {
    RNData = rnData;
    if (Item) {
        Item->Inserted(rnData, !flag);
    }
}

void TRNUndoDeleteItemInfo::Undo(IRNUndoTarget& target) {
    target.Do_InsertItem(ItemNo, S, std::move(Item), true, FullReformat);
}

bool TRNUndoDeleteItemInfo::RequiresFullReformat2(IRNUndoTarget& target) {
    return FullReformat || target.MinItemWidth(ItemNo) > target.RecordedDocMinWidth();
}

void TRNUndoModifyItemInfo::Undo(IRNUndoTarget& target) {
    target.Do_ModifyItem(ItemNo, S, std::move(Item));
}

bool TRNUndoModifyItemInfo::RequiresFullReformat1(IRNUndoTarget& target) {
    if (!Item) {
        return false;
    }
    // The held item gets the current item's paragraph, so their indents are the same.
    const TCustomRNItemInfo& current = target.UndoData().GetItem(ItemNo);
    const int w2 = target.MinItemWidth(ItemNo);
    const int w1 = w2 - current.GetMinWidth() + Item->GetMinWidth();
    if (w1 == w2) {
        return false;
    }
    const int doc = target.RecordedDocMinWidth();
    return !(w1 <= doc && doc > w2);
}

TRNUndoStringItemListInfo::~TRNUndoStringItemListInfo() {
    for (TRNItemSlot& slot : List) {
        FreeUndoItem(RNData, std::move(slot.Item));
    }
}

void TRNUndoStringItemListInfo::ChangeRNData(TCustomRNData* rnData, bool flag) {
    RNData = rnData;
    for (TRNItemSlot& slot : List) {
        if (slot.Item) {
            slot.Item->Inserted(rnData, !flag);
        }
    }
}

void TRNUndoItemRangeInfo::SetItemsRange(int& startItemNo, int& endItemNo) const {
    startItemNo = StartItemNo;
    endItemNo =
        LastAffectedItemNo == -1 ? StartItemNo + static_cast<int>(List.size()) : LastAffectedItemNo;
}

void TRNUndoDeleteItemsInfo::Undo(IRNUndoTarget& target) {
    const int count = static_cast<int>(List.size());
    target.Do_InsertItems(StartItemNo, List, true, FullReformat);
    EndItemNo = StartItemNo + count - 1;
    List.clear();
}

bool TRNUndoDeleteItemsInfo::RequiresFullReformat2(IRNUndoTarget& target) {
    return FullReformat ||
           target.MinItemsWidth(StartItemNo, EndItemNo) > target.RecordedDocMinWidth();
}

bool TRNUndoInsertItemInfo::RequiresFullReformat1(IRNUndoTarget& target) {
    return target.MinItemWidth(ItemNo) >= target.RecordedDocMinWidth();
}

bool TRNUndoInsertItemsInfo::RequiresFullReformat1(IRNUndoTarget& target) {
    return target.MinItemsWidth(ItemNo, ItemNo + Count - 1) >= target.RecordedDocMinWidth();
}

void TRNUndoParaListInfo::SetItemsRange(int& startItemNo, int& endItemNo) const {
    startItemNo = StartItemNo;
    endItemNo = StartItemNo + static_cast<int>(List.size());
}

void TRNUndoParaInfo::SetItemsRange(int& startItemNo, int& endItemNo) const {
    startItemNo = ItemNo;
    endItemNo = ItemNo + Count;
}

bool TRNUndoModifyItemProps::RequiresFullReformat1(IRNUndoTarget& target) {
    if (!AffectsSize || !AffectsWidth) {
        return false;
    }
    MinWidthBefore = target.MinItemWidth(ItemNo);
    return MinWidthBefore >= target.RecordedDocMinWidth();
}

bool TRNUndoModifyItemProps::RequiresFullReformat2(IRNUndoTarget& target) {
    if (!AffectsSize || !AffectsWidth) {
        return false;
    }
    const int width = target.MinItemWidth(ItemNo);
    return width != MinWidthBefore && width > target.RecordedDocMinWidth();
}

TRNUndoPropsMaker TRNUndoModifyItemProps::GetOppositeClass() const {
    return &MakeUndoProps<TRNUndoModifyItemProps>;
}

void TRNUndoModifyItemIntProperty::Undo(IRNUndoTarget& target) {
    if (TRNUndoModifyItemProps* opposite = target.Do_ModifyItemIntProperty(
            ItemNo, SubObject, PropName, Value, AffectsSize, AffectsWidth, GetOppositeClass())) {
        SetOppositeUndoInfoProps(*opposite);
    }
}

TRNUndoPropsMaker TRNUndoModifyItemIntProperty::GetOppositeClass() const {
    return &MakeUndoProps<TRNUndoModifyItemIntProperty>;
}

void TRNUndoModifyItemIntProperties::Undo(IRNUndoTarget& target) {
    if (TRNUndoModifyItemProps* opposite = target.Do_ModifyItemIntProperties(
            ItemNo, SubObject, PropList, AffectsSize, AffectsWidth, GetOppositeClass())) {
        SetOppositeUndoInfoProps(*opposite);
    }
}

TRNUndoPropsMaker TRNUndoModifyItemIntProperties::GetOppositeClass() const {
    return &MakeUndoProps<TRNUndoModifyItemIntProperties>;
}

// Groups.

void TRNUndoInfos::Undo(IRNUndoTarget& target, bool reformat) {
    target.BeginRedoSequence(UndoType, Caption);
    PerformUndo(target, reformat);
}

void TRNUndoInfos::Redo(IRNUndoTarget& target, bool reformat) {
    target.BeginNamedUndoSequence(UndoType, Caption);
    PerformUndo(target, reformat);
}

void TRNUndoInfos::PerformUndo(IRNUndoTarget& target, bool reformat) {
    if (Records.Count() == 0) {
        return;
    }
    target.UndoDeselect();
    const int itemCount = target.UndoData().ItemCount();
    int minItem = itemCount - 1;
    int maxItem = 0;
    int delta = 0;
    bool needFormat = false;
    for (int i = Records.Count() - 1; i >= 0; --i) {
        const TRNUndoInfo& record = *Records[i];
        needFormat = needFormat || record.RequiresFormat();
        int start = 0;
        int end = 0;
        record.SetItemsRange(start, end);
        if (delta < 0) {
            start += delta;
        } else if (delta > 0) {
            end += delta;
        }
        const int added = record.ItemsAdded();
        if (added > 0) {
            end += added;
        }
        delta += added;
        minItem = std::min(minItem, start);
        maxItem = std::max(maxItem, end);
    }
    if (maxItem < minItem) {
        std::swap(minItem, maxItem);
    }
    minItem = std::max(minItem, 0);
    maxItem = std::max(maxItem, minItem);
    if (maxItem + delta < minItem) {
        maxItem = minItem - delta;
    }
    maxItem = std::min(maxItem, itemCount - 1);
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    target.UndoParaRange(minItem, maxItem, firstDrawItem, lastDrawItem);

    int depth = 0;
    int rememberedWidth = 0;
    bool fullReformat = false;
    for (int i = Records.Count() - 1; i >= 0; --i) {
        TRNUndoInfo& record = *Records[i];
        if (depth == 0) {
            fullReformat = needFormat && (fullReformat || record.RequiresFullReformat1(target));
        }
        if (auto* terminator = dynamic_cast<TRNUndoModifyItemTerminator*>(&record)) {
            if (terminator->Opening) {
                if (--depth == 0) {
                    terminator->MinWidthBefore = rememberedWidth;
                }
            } else {
                if (depth == 0) {
                    rememberedWidth = terminator->MinWidthBefore;
                }
                ++depth;
            }
        }
        record.Undo(target);
        if (depth == 0) {
            fullReformat = needFormat && (fullReformat || record.RequiresFullReformat2(target));
        }
    }
    if (reformat && needFormat) {
        if (fullReformat && target.CurrentDocMinWidth() != target.RecordedDocMinWidth()) {
            target.UndoFormatWhole();
        } else {
            target.UndoFormatParas(firstDrawItem, lastDrawItem, delta);
        }
    }
    if (!target.UndoHasInplaceEditor()) {
        target.UndoSetCaret(CaretItemNo, CaretOffs);
    }
    target.UndoInvalidate();
}

bool TRNUndoInfos::CanDelete() const {
    if (Records.Count() == 0) {
        return true;
    }
    const TRNUndoInfo* first = Records[0];
    if (auto* typing = dynamic_cast<const TRNUndoTypingInfo*>(first)) {
        return typing->Length == 0;
    }
    if (auto* redo = dynamic_cast<const TRNRedoTypingInfo*>(first)) {
        return redo->S.empty();
    }
    if (auto* composite = dynamic_cast<const TRNCompositeUndo*>(first)) {
        return composite->UndoList.Count() == 0;
    }
    return true;
}

void TRNUndoInfos::ChangeRNData(TCustomRNData* rnData, bool flag) {
    for (int i = 0; i < Records.Count(); ++i) {
        Records[i]->ChangeRNData(rnData, flag);
    }
}

// The list.

namespace {

bool IsSingleTyping(const TRNUndoInfos& group) {
    return group.Records.Count() == 1 && group.Records[0]->Action == TRNUndoAction::rnuTyping;
}

} // namespace

void TRNUndoList::DropEmptyLast() {
    if (Count() > 0 && Last()->Records.Count() == 0) {
        Groups.Delete(Count() - 1);
    }
}

bool TRNUndoList::BeginItem(TRNUndoType undoType, const std::string& caption, int itemNo,
                            int offs) {
    if (Limit == 0) {
        return false;
    }
    if (GroupModeCounter > 0 && Count() > 0 && !IsSingleTyping(*Last())) {
        return true;
    }
    auto group = std::make_unique<TRNUndoInfos>();
    group->Caption = caption;
    group->CaretItemNo = itemNo;
    group->CaretOffs = offs;
    if (Count() > 0 && Last()->Records.Count() == 0) {
        const TRNUndoInfos& empty = *Last();
        group->Caption = empty.Caption;
        group->CaretItemNo = empty.CaretItemNo;
        group->CaretOffs = empty.CaretOffs;
        Groups.Delete(Count() - 1);
    }
    // A lowered limit drops every group beyond it, not only one.
    while (Limit > 0 && Count() >= Limit) {
        Groups.Delete(0);
    }
    group->UndoType = undoType;
    Groups.Add(std::move(group));
    return true;
}

void TRNUndoList::EndItem() {
    DropEmptyLast();
}

void TRNUndoList::PopIfEmpty() {
    if (GroupModeCounter == 0) {
        DropEmptyLast();
    }
}

void TRNUndoList::AddInfo(std::unique_ptr<TRNUndoInfo> info) {
    if (Count() == 0) {
        throw ERichNoteError("Can't modify empty undo list");
    }
    if (IsSingleTyping(*Last())) {
        throw ERichNoteError("Incorrect adding into undo list");
    }
    Last()->Records.Add(std::move(info));
}

void TRNUndoList::AddTyping(int itemNo, int offs, bool unicode) {
    if (Limit == 0) {
        return;
    }
    DropEmptyLast();
    if (TRNUndoInfos* last = Last(); last && last->Records.Count() > 0) {
        auto* typing = dynamic_cast<TRNUndoTypingInfo*>(last->Records[0]);
        if (typing && typing->ItemNo == itemNo && typing->Pos + typing->Length == offs) {
            ++typing->Length;
            ++last->CaretOffs;
            return;
        }
    }
    BeginItem(TRNUndoType::rnutTyping, {}, itemNo, offs);
    Last()->Records.Add(std::make_unique<TRNUndoTypingInfo>(itemNo, offs, unicode));
}

void TRNUndoList::AddUntyping(const std::string& s, int itemNo, int offs) {
    DropEmptyLast();
    if (TRNUndoInfos* last = Last(); last && last->Records.Count() > 0) {
        auto* redo = dynamic_cast<TRNRedoTypingInfo*>(last->Records[0]);
        if (redo && redo->ItemNo == itemNo && redo->Pos - redo->CharCount() == offs) {
            redo->S += s;
            last->CaretOffs -= s.size() > 1 ? static_cast<int>(s.size() / 2) : 1;
            return;
        }
    }
    auto group = std::make_unique<TRNUndoInfos>();
    group->UndoType = TRNUndoType::rnutTyping;
    group->CaretItemNo = itemNo;
    group->CaretOffs = offs;
    group->Records.Add(std::make_unique<TRNRedoTypingInfo>(itemNo, offs, s, s.size() > 1));
    if (Limit > 0) {
        while (Count() >= Limit) {
            Groups.Delete(0);
        }
    }
    Groups.Add(std::move(group));
}

void TRNUndoList::Pop() {
    TRNUndoInfos* last = Last();
    if (!last) {
        return;
    }
    if (last->CanDelete()) {
        Groups.Delete(Count() - 1);
    } else if (auto* typing = dynamic_cast<TRNUndoTypingInfo*>(last->Records[0])) {
        last->CaretOffs -= typing->LastStep;
    } else if (auto* redo = dynamic_cast<TRNRedoTypingInfo*>(last->Records[0])) {
        last->CaretOffs += redo->LastStep;
    } else {
        ++last->CaretOffs;
    }
}

void TRNUndoList::Replay(IRNUndoTarget& target, bool redo) {
    if (Count() == 0) {
        throw ERichNoteError("Undo buffer is empty");
    }
    TRNUndoList& opposite = redo ? target.UndoList() : target.RedoList();
    try {
        if (redo) {
            Last()->Redo(target, ReformatLock < 1);
        } else {
            Last()->Undo(target, ReformatLock < 1);
        }
    } catch (const std::exception& e) {
        // A half-replayed group must never be replayed again.
        target.UndoFailed();
        throw ERichNoteError(e.what());
    }
    opposite.PopIfEmpty();
    Pop();
}

void TRNUndoList::Undo(IRNUndoTarget& target) {
    Replay(target, false);
}

void TRNUndoList::Redo(IRNUndoTarget& target) {
    Replay(target, true);
}

void TRNUndoList::ChangeRNData(TCustomRNData* rnData, bool flag) {
    for (int i = 0; i < Count(); ++i) {
        Groups[i]->ChangeRNData(rnData, flag);
    }
}

TRNUndoType TRNUndoList::CurrentUndoType() const {
    return Count() ? Last()->UndoType : TRNUndoType::rnutNone;
}

std::string TRNUndoList::CurrentUndoCaption() const {
    return Count() ? Last()->Caption : std::string();
}
