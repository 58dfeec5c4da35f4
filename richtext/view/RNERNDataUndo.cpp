// The primitives: the only ways editing changes the item list. Each one checks what it is
// given, records its reverse when a group is open, and then makes its change, so a refused
// call leaves both the document and the list as they were.

#include "richtext/model/RNError.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>

namespace {

// Appends `record` to `list` and hands back a pointer to it, so the caller can move what the
// record holds in only once the list has accepted it.
template <class T> T* Record(TRNUndoList& list, std::unique_ptr<T> record) {
    T* raw = record.get();
    list.AddInfo(std::move(record));
    return raw;
}

} // namespace

void TRNEditRNData::MoveItemToUndo(int itemNo, TCustomRNItemInfo& item) {
    item.MovingToUndoList(itemNo, *this);
    ForgetItem(&item);
    if (TCustomRNFormattedData* root = GetFormattedRoot(); root && root != this) {
        root->ForgetItem(&item);
    }
}

void TRNEditRNData::InsertSlot(int itemNo, std::string text,
                               std::unique_ptr<TCustomRNItemInfo> item, bool fromUndo) {
    TCustomRNItemInfo& raw = *item;
    Items().insert(Items().begin() + itemNo, TRNItemSlot{std::move(text), std::move(item)});
    if (fromUndo) {
        raw.MovingFromUndoList(itemNo, *this);
    }
    raw.Inserted(this, false);
    raw.UpdatePaletteInfo(GetDoInPaletteMode(), false);
}

void TRNEditRNData::Do_DeleteItem(int itemNo, bool& fullReformat) {
    CheckItemNo(itemNo);
    fullReformat = CalculateMinItemWidthPlus(itemNo) == DocMinWidth;
    if (GetItem(itemNo).Checkpoint) {
        Do_DeleteCP(itemNo);
    }
    TRNItemSlot& slot = Items()[static_cast<size_t>(itemNo)];
    if (TRNUndoList* list = GetUndoList()) {
        auto* record = Record(
            *list, std::make_unique<TRNUndoDeleteItemInfo>(itemNo, slot.Text, nullptr, this));
        MoveItemToUndo(itemNo, *slot.Item);
        record->Item = std::move(slot.Item);
    } else {
        FreeItem(itemNo);
    }
    Items().erase(Items().begin() + itemNo);
}

void TRNEditRNData::Do_DeleteItems(int first, int last, bool& fullReformat) {
    if (first > last) {
        return;
    }
    CheckItemNo(first);
    CheckItemNo(last);
    fullReformat = CalculateMinItemsWidthPlus(first, last) == DocMinWidth;
    for (int i = last; i >= first; --i) {
        if (GetItem(i).Checkpoint) {
            Do_DeleteCP(i);
        }
    }
    TRNUndoList* list = GetUndoList();
    TRNUndoDeleteItemsInfo* record =
        list ? Record(*list, std::make_unique<TRNUndoDeleteItemsInfo>(first, this)) : nullptr;
    if (record) {
        record->List.resize(static_cast<size_t>(last - first + 1));
    }
    for (int i = last; i >= first; --i) {
        TRNItemSlot& slot = Items()[static_cast<size_t>(i)];
        if (record) {
            MoveItemToUndo(i, *slot.Item);
            record->List[static_cast<size_t>(i - first)] = std::move(slot);
        } else {
            FreeItem(i);
        }
    }
    Items().erase(Items().begin() + first, Items().begin() + last + 1);
}

void TRNEditRNData::Do_InsertItem(int itemNo, std::string text,
                                  std::unique_ptr<TCustomRNItemInfo> item, bool fromUndo,
                                  bool& fullReformat) {
    fullReformat = false;
    if (itemNo < 0 || itemNo > ItemCount()) {
        throw ERichNoteError("Undo error");
    }
    int paraEnd = -1;
    if (item->CanBeBorderStart() && itemNo < ItemCount() && !GetItem(itemNo).CanBeBorderStart()) {
        paraEnd = GetParaEndItemNo(itemNo);
    }
    std::unique_ptr<TRNCPInfo> checkpoint = std::move(item->Checkpoint);
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoInsertItemInfo>(itemNo, paraEnd));
    }
    const int paraNo = item->ParaNo;
    InsertSlot(itemNo, std::move(text), std::move(item), fromUndo);
    if (paraEnd != -1) {
        Do_Para(itemNo + 1, paraEnd + 1, fullReformat, paraNo);
    }
    if (checkpoint) {
        Do_AddCP(itemNo, std::move(checkpoint));
    }
}

void TRNEditRNData::Do_InsertItems(int itemNo, TRNUndoItemList& list, bool fromUndo,
                                   bool& fullReformat) {
    fullReformat = false;
    if (list.empty()) {
        return;
    }
    if (itemNo < 0 || itemNo > ItemCount()) {
        throw ERichNoteError("Undo error");
    }
    const int count = static_cast<int>(list.size());
    TRNUndoList* undo = GetUndoList();
    TRNUndoInsertItemsInfo* record =
        undo ? Record(*undo, std::make_unique<TRNUndoInsertItemsInfo>(itemNo, count)) : nullptr;
    std::vector<std::unique_ptr<TRNCPInfo>> checkpoints(list.size());
    for (int i = 0; i < count; ++i) {
        TRNItemSlot& slot = list[static_cast<size_t>(i)];
        checkpoints[static_cast<size_t>(i)] = std::move(slot.Item->Checkpoint);
        InsertSlot(itemNo + i, std::move(slot.Text), std::move(slot.Item), fromUndo);
    }
    const int lastNew = itemNo + count - 1;
    if (lastNew + 1 < ItemCount() && !GetItem(lastNew + 1).CanBeBorderStart()) {
        const int paraEnd = GetParaEndItemNo(lastNew);
        if (record) {
            record->LastAffectedItemNo = paraEnd;
        }
        Do_Para(lastNew, paraEnd, fullReformat, GetItem(lastNew).ParaNo);
    }
    for (int i = 0; i < count; ++i) {
        if (checkpoints[static_cast<size_t>(i)]) {
            Do_AddCP(itemNo + i, std::move(checkpoints[static_cast<size_t>(i)]));
        }
    }
}

void TRNEditRNData::Do_DeleteSubstring(int itemNo, int pos, int count) {
    TCustomRNItemInfo& item = TextItem(itemNo);
    std::string& text = Items()[static_cast<size_t>(itemNo)].Text;
    const int length = RNU_Length(text, item.ItemOptions);
    if (pos < 1 || pos > length + 1) {
        throw ERichNoteError("Undo error");
    }
    count = count < 0 ? length - pos + 1 : std::min(count, length - pos + 1);
    if (count == 0) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoDeleteSubstringInfo>(
            itemNo, pos, RNU_Copy(text, pos, count, item.ItemOptions)));
    }
    RNU_Delete(text, pos, count, item.ItemOptions);
}

void TRNEditRNData::Do_InsertSubstring(int itemNo, int pos, const std::string& text) {
    if (text.empty()) {
        return;
    }
    TCustomRNItemInfo& item = TextItem(itemNo);
    std::string& itemText = Items()[static_cast<size_t>(itemNo)].Text;
    const bool unicode = item.ItemOptions.Contains(TRNItemOption::rnioUnicode);
    if (unicode) {
        RNCheckUni(text.size());
    }
    if (pos < 1 || pos > RNU_Length(itemText, item.ItemOptions) + 1) {
        throw ERichNoteError("Undo error");
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoInsertSubstringInfo>(
            TRNUndoAction::rnuInsertSubstring, itemNo, pos, RNU_Length(text, item.ItemOptions)));
    }
    RNU_Insert(text, itemText, pos, item.ItemOptions);
}

void TRNEditRNData::Do_Concate(int itemNo) {
    CheckItemNo(itemNo + 1);
    const std::string next = GetItemText(itemNo + 1);
    Do_InsertSubstring(itemNo, ItemLength(itemNo) + 1, next);
    bool fullReformat = false;
    Do_DeleteItem(itemNo + 1, fullReformat);
}

void TRNEditRNData::Do_ModifyItem(int itemNo, std::string text,
                                  std::unique_ptr<TCustomRNItemInfo> newItem) {
    CheckItemNo(itemNo);
    TRNItemSlot& slot = Items()[static_cast<size_t>(itemNo)];
    TCustomRNItemInfo& old = *slot.Item;
    TRNUndoList* list = GetUndoList();
    TRNUndoModifyItemInfo* record =
        list ? Record(*list,
                      std::make_unique<TRNUndoModifyItemInfo>(itemNo, slot.Text, nullptr, this))
             : nullptr;
    newItem->Checkpoint = std::move(old.Checkpoint);
    if (newItem->Checkpoint) {
        newItem->Checkpoint->ItemInfo = newItem.get();
    }
    newItem->ParaNo = old.ParaNo;
    newItem->ItemOptions = old.ItemOptions;
    newItem->JumpNo = old.JumpNo;
    newItem->DrawItemNo = old.DrawItemNo;
    for (TCustomRNItemInfo** ref : {&PartialSelectedItem, &CurrentItem, &CaptureMouseItem}) {
        if (*ref == &old) {
            *ref = newItem.get();
        }
    }
    std::unique_ptr<TCustomRNItemInfo> oldItem = std::move(slot.Item);
    slot.Item = std::move(newItem);
    slot.Text = std::move(text);
    if (record) {
        oldItem->MovingToUndoList(itemNo, *this);
        record->Item = std::move(oldItem);
    } else {
        InternalFreeItem(std::move(oldItem));
    }
}

void TRNEditRNData::Do_ChangeText(int itemNo, const std::string& text) {
    CheckItemNo(itemNo);
    std::string& itemText = Items()[static_cast<size_t>(itemNo)].Text;
    if (itemText == text) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoChangeTextInfo>(itemNo, itemText));
    }
    itemText = text;
}

void TRNEditRNData::Do_StyleNo(int itemNo, int styleNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    if (!item.IsText() || item.StyleNo == styleNo) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoStyleNoInfo>(itemNo, item.StyleNo));
    }
    const bool wasUnicode = StyleIsUnicode(item.StyleNo);
    const bool isUnicode = StyleIsUnicode(styleNo);
    if (wasUnicode && !isUnicode) {
        item.ItemOptions.Exclude(TRNItemOption::rnioUnicode);
    } else if (!wasUnicode && isUnicode) {
        item.ItemOptions.Include(TRNItemOption::rnioUnicode);
    }
    item.StyleNo = static_cast<int16_t>(styleNo);
}

void TRNEditRNData::Do_Para(int first, int last, bool& fullReformat, int paraNo) {
    fullReformat = false;
    if (last < first) {
        return;
    }
    CheckItemNo(first);
    CheckItemNo(last);
    if (TRNUndoList* list = GetUndoList()) {
        auto record = std::make_unique<TRNUndoParaListInfo>(first);
        for (int i = first; i <= last; ++i) {
            record->List.push_back(GetItem(i).ParaNo);
        }
        list->AddInfo(std::move(record));
    }
    SetParaStyle(first, last, paraNo, fullReformat);
}

void TRNEditRNData::Do_ParaList(int first, const std::vector<int>& list, bool& fullReformat) {
    fullReformat = false;
    if (list.empty()) {
        return;
    }
    const int last = first + static_cast<int>(list.size()) - 1;
    CheckItemNo(first);
    CheckItemNo(last);
    if (TRNUndoList* undo = GetUndoList()) {
        int paraNo = GetItem(first).ParaNo;
        for (int i = first; i <= last; ++i) {
            if (!GetItem(i).GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
                paraNo = GetItem(i).ParaNo;
                break;
            }
        }
        undo->AddInfo(
            std::make_unique<TRNUndoParaInfo>(first, paraNo, static_cast<int>(list.size())));
    }
    const int w1 = CalculateMinItemsWidthPlus(first, last);
    for (int i = first; i <= last; ++i) {
        GetItem(i).ParaNo = static_cast<int16_t>(list[static_cast<size_t>(i - first)]);
    }
    const int w2 = CalculateMinItemsWidthPlus(first, last);
    fullReformat = w2 != w1 && (w2 > DocMinWidth || DocMinWidth <= w1);
}

void TRNEditRNData::Do_NewLine(int itemNo, bool sameAsPrev, bool& fullReformat, int paraNo) {
    fullReformat = false;
    TCustomRNItemInfo& item = GetItem(itemNo);
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth) ||
        (!sameAsPrev && !item.GetSameAsPrev())) {
        return;
    }
    if (sameAsPrev) {
        Do_BR(itemNo, false);
        Do_PageBreak(itemNo, false);
    }
    int paraEnd = -1;
    if (itemNo + 1 < ItemCount() && !GetItem(itemNo + 1).CanBeBorderStart()) {
        paraEnd = GetParaEndItemNo(itemNo + 1);
    }
    if (TRNUndoList* list = GetUndoList()) {
        auto record =
            std::make_unique<TRNUndoNewLineInfo>(itemNo, item.GetSameAsPrev(), item.ParaNo);
        record->LastAffectedItemNo = paraEnd;
        list->AddInfo(std::move(record));
    }
    if (paraEnd == -1) {
        paraEnd = itemNo;
    }
    if (!sameAsPrev && paraNo != -1) {
        Do_Para(itemNo, paraEnd, fullReformat, paraNo);
    } else if (sameAsPrev && itemNo > 0) {
        Do_Para(itemNo, paraEnd, fullReformat, GetItem(itemNo - 1).ParaNo);
    }
    item.SetSameAsPrev(sameAsPrev);
}

void TRNEditRNData::Do_BR(int itemNo, bool br) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    const bool current = item.GetSameAsPrev() || item.GetBR();
    if (current == br) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoBRInfo>(itemNo, item.GetBR()));
    }
    item.SetBR(br);
}

void TRNEditRNData::Do_PageBreak(int itemNo, bool pageBreak) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    const bool current = item.GetSameAsPrev() || item.GetPageBreakBefore();
    if (current == pageBreak) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoPageBreakInfo>(itemNo, item.GetPageBreakBefore()));
    }
    item.SetPageBreakBefore(pageBreak);
}

void TRNEditRNData::Do_Tag(int itemNo, const RNTag& tag, bool assignAsIs) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    const bool strings = TagsArePChars();
    if (RN_CompareTags(item.Tag, tag, strings)) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(
            std::make_unique<TRNUndoTagInfo>(itemNo, RN_CopyTag(item.Tag, strings), strings));
    }
    item.Tag = assignAsIs ? tag : RN_CopyTag(tag, strings);
}

void TRNEditRNData::Do_AddCP(int itemNo, std::unique_ptr<TRNCPInfo> checkpoint) {
    if (itemNo == -1 ? NotAddedCP != nullptr : GetItem(itemNo).Checkpoint != nullptr) {
        throw ERichNoteError("Checkpoint error");
    }
    if (!checkpoint) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoAddCPInfo>(itemNo));
    }
    TRNCPInfo* cp = checkpoint.get();
    if (itemNo == -1) {
        cp->ItemInfo = nullptr;
        NotAddedCP = std::move(checkpoint);
    } else {
        TCustomRNItemInfo& item = GetItem(itemNo);
        cp->ItemInfo = &item;
        item.Checkpoint = std::move(checkpoint);
    }
    ++CPCount;
    UpdateCPPos(cp, itemNo);
}

void TRNEditRNData::Do_DeleteCP(int itemNo) {
    std::unique_ptr<TRNCPInfo>& owner = itemNo == -1 ? NotAddedCP : GetItem(itemNo).Checkpoint;
    if (!owner) {
        throw ERichNoteError("Checkpoint error");
    }
    if (owner.get() == LastReportedCheckpoint) {
        LastReportedCheckpoint = nullptr;
    }
    TRNUndoList* list = GetUndoList();
    auto* record =
        list
            ? Record(*list, std::make_unique<TRNUndoDeleteCPInfo>(itemNo, nullptr, TagsArePChars()))
            : nullptr;
    UnlinkCheckpoint(owner.get(), true);
    if (record) {
        record->Checkpoint = std::move(owner);
    } else {
        owner.reset();
    }
}

void TRNEditRNData::Do_ChangeVAlign(int itemNo, TRNVAlign vAlign) {
    auto* item = dynamic_cast<TRNRectItemInfo*>(&GetItem(itemNo));
    if (!item || item->VAlign == vAlign) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoChangeVAlignInfo>(itemNo, item->VAlign));
    }
    item->VAlign = vAlign;
}

void TRNEditRNData::Do_Resize(int itemNo, int width, int height, bool reformat) {
    auto* item = dynamic_cast<TRNControlItemInfo*>(&GetItem(itemNo));
    if (!item || !item->Control ||
        (item->Control->Width() == width && item->Control->Height() == height)) {
        return;
    }
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoResizeInfo>(itemNo, item->Control->Width(),
                                                          item->Control->Height()));
    }
    ResizeControl(itemNo, width, height, reformat);
}

namespace {

IRNIntProperties& PropertyTarget(TCustomRNItemInfo& item, IRNIntProperties* subObject) {
    if (subObject) {
        return *subObject;
    }
    if (auto* own = dynamic_cast<IRNIntProperties*>(&item)) {
        return *own;
    }
    throw ERichNoteError("Can't get or set this kind of information for this item");
}

int ReadProperty(const IRNIntProperties& target, const std::string& name) {
    int value = 0;
    if (!target.GetIntProp(name, value)) {
        throw ERichNoteError("Can't get or set this kind of information for this item");
    }
    return value;
}

} // namespace

TRNUndoModifyItemProps*
TRNEditRNData::Do_ModifyItemIntProperty(int itemNo, IRNIntProperties* subObject,
                                        const std::string& propName, int value, bool affectsSize,
                                        bool affectsWidth, TRNUndoPropsMaker undoClass) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    IRNIntProperties& target = PropertyTarget(item, subObject);
    const int old = ReadProperty(target, propName);
    if (old == value) {
        return nullptr;
    }
    TRNUndoModifyItemProps* pushed = nullptr;
    if (TRNUndoList* list = GetUndoList()) {
        std::unique_ptr<TRNUndoModifyItemProps> record =
            undoClass(itemNo, affectsSize, affectsWidth);
        if (auto* prop = dynamic_cast<TRNUndoModifyItemIntProperty*>(record.get())) {
            prop->SubObject = subObject;
            prop->PropName = propName;
            prop->Value = old;
        }
        pushed = Record(*list, std::move(record));
    }
    item.BeforeUndoChangeProperty();
    target.SetIntProp(propName, value);
    item.AfterUndoChangeProperty();
    return pushed;
}

TRNUndoModifyItemProps*
TRNEditRNData::Do_ModifyItemIntProperties(int itemNo, IRNIntProperties* subObject,
                                          const TRNIntPropList& propList, bool affectsSize,
                                          bool affectsWidth, TRNUndoPropsMaker undoClass) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    IRNIntProperties& target = PropertyTarget(item, subObject);
    TRNIntPropList oldValues;
    for (const auto& [name, value] : propList) {
        const int old = ReadProperty(target, name);
        if (old != value) {
            oldValues.emplace_back(name, old);
        }
    }
    if (oldValues.empty()) {
        return nullptr;
    }
    TRNUndoModifyItemProps* pushed = nullptr;
    if (TRNUndoList* list = GetUndoList()) {
        std::unique_ptr<TRNUndoModifyItemProps> record =
            undoClass(itemNo, affectsSize, affectsWidth);
        if (auto* props = dynamic_cast<TRNUndoModifyItemIntProperties*>(record.get())) {
            props->SubObject = subObject;
            props->PropList = oldValues;
        }
        pushed = Record(*list, std::move(record));
    }
    item.BeforeUndoChangeProperty();
    for (const auto& [name, value] : propList) {
        target.SetIntProp(name, value);
    }
    item.AfterUndoChangeProperty();
    return pushed;
}

void TRNEditRNData::Do_ItemModifyTerminator(int itemNo, bool opening) {
    if (TRNUndoList* list = GetUndoList()) {
        list->AddInfo(std::make_unique<TRNUndoModifyItemTerminator>(itemNo, opening));
    }
}
