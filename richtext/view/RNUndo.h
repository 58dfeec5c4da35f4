#pragma once

// Undo records, groups of records and the undo and redo lists of the editor. A record
// describes how to reverse one elementary change; replaying it calls the opposite change,
// which records its own reverse into the other list, so undo and redo mirror each other.
// Records reach the document only through IRNUndoTarget.

#include "richtext/model/CRNData.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

enum class TRNUndoType : uint8_t {
    rnutNone,
    rnutDelete,
    rnutInsert,
    rnutPara,
    rnutMiscTyping,
    rnutInsertPageBreak,
    rnutRemovePageBreak,
    rnutTyping,
    rnutTag,
    rnutStyleNo,
    rnutAddCheckpoint,
    rnutRemoveCheckpoint,
    rnutModifyCheckpoint,
    rnutModifyItem,
    rnutCustom
};

enum class TRNUndoAction : uint8_t {
    rnuDeleteItem,
    rnuDeleteItems,
    rnuDeleteSubstring,
    rnuInsertItem,
    rnuInsertItems,
    rnuInsertSubstring,
    rnuNewLine,
    rnuBR,
    rnuPara,
    rnuPageBreak,
    rnuTyping,
    rnuTag,
    rnuStyleNo,
    rnuCheckpoint,
    rnuModifyItem,
    rnuChangeText,
    rnuChangeVAlign
};

// Integer properties reached by name: items and their sub-objects (table cells, rows) that
// an editor changes property by property answer these.
class IRNIntProperties {
public:
    virtual ~IRNIntProperties() = default;
    virtual bool GetIntProp(const std::string& name, int& value) const = 0;
    virtual void SetIntProp(const std::string& name, int value) = 0;
};

using TRNUndoItemList = std::vector<TRNItemSlot>;
using TRNIntPropList = std::vector<std::pair<std::string, int>>;

class TRNUndoList;
class TRNUndoModifyItemProps;
// Makes an empty property record of one class: what the property primitives record with.
using TRNUndoPropsMaker = std::unique_ptr<TRNUndoModifyItemProps> (*)(int itemNo, bool affectsSize,
                                                                      bool affectsWidth);
template <class T>
std::unique_ptr<TRNUndoModifyItemProps> MakeUndoProps(int itemNo, bool affectsSize,
                                                      bool affectsWidth) {
    return std::make_unique<T>(itemNo, affectsSize, affectsWidth);
}

// What the records ask of the editor data: its items, the width figures, the elementary
// changes and the reformatting after a replay.
class IRNUndoTarget {
public:
    virtual ~IRNUndoTarget() = default;
    virtual TCustomRNData& UndoData() = 0;
    virtual int MinItemWidth(int itemNo) const = 0;
    virtual int MinItemsWidth(int first, int last) const = 0;
    // The minimal document width recorded at the last formatting, and the one now.
    virtual int RecordedDocMinWidth() const = 0;
    virtual int CurrentDocMinWidth() const = 0;
    virtual TRNUndoList& UndoList() = 0;
    virtual TRNUndoList& RedoList() = 0;
    virtual bool BeginRedoSequence(TRNUndoType type, const std::string& caption) = 0;
    virtual bool BeginNamedUndoSequence(TRNUndoType type, const std::string& caption) = 0;

    // The elementary changes.
    virtual void Do_DeleteItem(int itemNo, bool& fullReformat) = 0;
    virtual void Do_DeleteItems(int first, int last, bool& fullReformat) = 0;
    virtual void Do_InsertItem(int itemNo, std::string text,
                               std::unique_ptr<TCustomRNItemInfo> item, bool fromUndo,
                               bool& fullReformat) = 0;
    virtual void Do_InsertItems(int itemNo, TRNUndoItemList& list, bool fromUndo,
                                bool& fullReformat) = 0;
    virtual void Do_DeleteSubstring(int itemNo, int pos, int count) = 0;
    virtual void Do_InsertSubstring(int itemNo, int pos, const std::string& text) = 0;
    virtual void Do_ModifyItem(int itemNo, std::string text,
                               std::unique_ptr<TCustomRNItemInfo> newItem) = 0;
    virtual void Do_ChangeText(int itemNo, const std::string& text) = 0;
    virtual void Do_StyleNo(int itemNo, int styleNo) = 0;
    virtual void Do_Para(int first, int last, bool& fullReformat, int paraNo) = 0;
    virtual void Do_ParaList(int first, const std::vector<int>& list, bool& fullReformat) = 0;
    virtual void Do_NewLine(int itemNo, bool sameAsPrev, bool& fullReformat, int paraNo) = 0;
    virtual void Do_BR(int itemNo, bool br) = 0;
    virtual void Do_PageBreak(int itemNo, bool pageBreak) = 0;
    virtual void Do_Tag(int itemNo, const RNTag& tag, bool assignAsIs) = 0;
    virtual void Do_AddCP(int itemNo, std::unique_ptr<TRNCPInfo> checkpoint) = 0;
    virtual void Do_DeleteCP(int itemNo) = 0;
    virtual void Do_ChangeVAlign(int itemNo, TRNVAlign vAlign) = 0;
    virtual void Do_Resize(int itemNo, int width, int height, bool reformat) = 0;
    virtual TRNUndoModifyItemProps* Do_ModifyItemIntProperty(int itemNo,
                                                             IRNIntProperties* subObject,
                                                             const std::string& propName, int value,
                                                             bool affectsSize, bool affectsWidth,
                                                             TRNUndoPropsMaker undoClass) = 0;
    virtual TRNUndoModifyItemProps* Do_ModifyItemIntProperties(int itemNo,
                                                               IRNIntProperties* subObject,
                                                               const TRNIntPropList& propList,
                                                               bool affectsSize, bool affectsWidth,
                                                               TRNUndoPropsMaker undoClass) = 0;
    virtual void Do_ItemModifyTerminator(int itemNo, bool opening) = 0;

    // After a replay.
    virtual void UndoDeselect() = 0;
    // The draw items of the paragraphs around items first..last, before the replay.
    virtual void UndoParaRange(int firstItem, int lastItem, int& firstDrawItem,
                               int& lastDrawItem) = 0;
    virtual void UndoFormatWhole() = 0;
    virtual void UndoFormatParas(int firstDrawItem, int lastDrawItem, int itemsAdded) = 0;
    virtual bool UndoHasInplaceEditor() const = 0;
    virtual void UndoSetCaret(int itemNo, int offs) = 0;
    virtual void UndoInvalidate() = 0;
    // A replay failed half-way: both lists are emptied and the whole document formatted.
    virtual void UndoFailed() = 0;
};

class TRNUndoInfo {
public:
    explicit TRNUndoInfo(TRNUndoAction action) : Action(action) {}
    virtual ~TRNUndoInfo() = default;
    TRNUndoInfo(const TRNUndoInfo&) = delete;
    TRNUndoInfo& operator=(const TRNUndoInfo&) = delete;

    TRNUndoAction Action;

    virtual void ChangeRNData(TCustomRNData* /*rnData*/, bool /*flag*/) {}
    virtual bool RequiresFullReformat1(IRNUndoTarget& /*target*/) { return false; }
    virtual bool RequiresFullReformat2(IRNUndoTarget& /*target*/) { return false; }
    virtual bool RequiresFormat() const { return true; }
    virtual void Undo(IRNUndoTarget& target) = 0;
    virtual void SetItemsRange(int& /*startItemNo*/, int& /*endItemNo*/) const {}
    virtual int ItemsAdded() const { return 0; }
};

class TRNUndoItemNoInfo : public TRNUndoInfo {
public:
    TRNUndoItemNoInfo(TRNUndoAction action, int itemNo, int lastAffectedItemNo = -1)
        : TRNUndoInfo(action), ItemNo(itemNo), LastAffectedItemNo(lastAffectedItemNo) {}
    int32_t ItemNo;
    int32_t LastAffectedItemNo;
    void SetItemsRange(int& startItemNo, int& endItemNo) const override;
};

class TRNUndoChangeVAlignInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoChangeVAlignInfo(int itemNo, TRNVAlign old)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuChangeVAlign, itemNo), VAlign(old) {}
    TRNVAlign VAlign;
    void Undo(IRNUndoTarget& target) override { target.Do_ChangeVAlign(ItemNo, VAlign); }
};

class TRNUndoResizeInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoResizeInfo(int itemNo, int oldWidth, int oldHeight)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuModifyItem, itemNo), OldWidth(oldWidth),
          OldHeight(oldHeight) {}
    int32_t MinWidthBefore = 0;
    int32_t OldWidth;
    int32_t OldHeight;
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
    bool RequiresFullReformat2(IRNUndoTarget& target) override;
    void Undo(IRNUndoTarget& target) override {
        target.Do_Resize(ItemNo, OldWidth, OldHeight, false);
    }
};

class TRNUndoStringInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoStringInfo(TRNUndoAction action, int itemNo, std::string s)
        : TRNUndoItemNoInfo(action, itemNo), S(std::move(s)) {}
    std::string S;
};

class TRNUndoChangeTextInfo : public TRNUndoStringInfo {
public:
    TRNUndoChangeTextInfo(int itemNo, std::string oldText)
        : TRNUndoStringInfo(TRNUndoAction::rnuChangeText, itemNo, std::move(oldText)) {}
    bool RequiresFormat() const override { return false; }
    void Undo(IRNUndoTarget& target) override { target.Do_ChangeText(ItemNo, S); }
};

class TRNUndoSubStringInfo : public TRNUndoStringInfo {
public:
    TRNUndoSubStringInfo(TRNUndoAction action, int itemNo, int pos, std::string s)
        : TRNUndoStringInfo(action, itemNo, std::move(s)), Pos(pos) {}
    int32_t Pos;
};

class TRNUndoDeleteSubstringInfo : public TRNUndoSubStringInfo {
public:
    TRNUndoDeleteSubstringInfo(int itemNo, int pos, std::string deleted)
        : TRNUndoSubStringInfo(TRNUndoAction::rnuDeleteSubstring, itemNo, pos, std::move(deleted)) {
    }
    void Undo(IRNUndoTarget& target) override { target.Do_InsertSubstring(ItemNo, Pos, S); }
};

// Characters taken away by undoing typing, in the order they went: each Redo puts the last
// one back.
class TRNRedoTypingInfo : public TRNUndoSubStringInfo {
public:
    TRNRedoTypingInfo(int itemNo, int pos, std::string s, bool unicode)
        : TRNUndoSubStringInfo(TRNUndoAction::rnuTyping, itemNo, pos, std::move(s)),
          Unicode(unicode) {}
    bool Unicode;
    // Characters the last replay put back: 2 for a surrogate pair.
    int LastStep = 1;
    int CharCount() const { return static_cast<int>(Unicode ? S.size() / 2 : S.size()); }
    void Undo(IRNUndoTarget& target) override;
};

// Records that hold an item taken out of the document; freeing the record frees the item.
class TRNUndoItemInfo : public TRNUndoStringInfo {
public:
    TRNUndoItemInfo(TRNUndoAction action, int itemNo, std::string text,
                    std::unique_ptr<TCustomRNItemInfo> item, TCustomRNData* rnData)
        : TRNUndoStringInfo(action, itemNo, std::move(text)), RNData(rnData),
          Item(std::move(item)) {}
    ~TRNUndoItemInfo() override;
    TCustomRNData* RNData;
    std::unique_ptr<TCustomRNItemInfo> Item;
    void ChangeRNData(TCustomRNData* rnData, bool flag) override;
};

class TRNUndoDeleteItemInfo : public TRNUndoItemInfo {
public:
    TRNUndoDeleteItemInfo(int itemNo, std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                          TCustomRNData* rnData)
        : TRNUndoItemInfo(TRNUndoAction::rnuDeleteItem, itemNo, std::move(text), std::move(item),
                          rnData) {}
    bool FullReformat = false;
    void Undo(IRNUndoTarget& target) override;
    int ItemsAdded() const override { return 1; }
    bool RequiresFullReformat2(IRNUndoTarget& target) override;
};

class TRNUndoModifyItemInfo : public TRNUndoItemInfo {
public:
    TRNUndoModifyItemInfo(int itemNo, std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                          TCustomRNData* rnData)
        : TRNUndoItemInfo(TRNUndoAction::rnuModifyItem, itemNo, std::move(text), std::move(item),
                          rnData) {}
    void Undo(IRNUndoTarget& target) override;
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
};

// Records that hold a run of items taken out of the document.
class TRNUndoStringItemListInfo : public TRNUndoInfo {
public:
    TRNUndoStringItemListInfo(TRNUndoAction action, TCustomRNData* rnData)
        : TRNUndoInfo(action), RNData(rnData) {}
    ~TRNUndoStringItemListInfo() override;
    TRNUndoItemList List;
    TCustomRNData* RNData;
    void ChangeRNData(TCustomRNData* rnData, bool flag) override;
};

class TRNUndoItemRangeInfo : public TRNUndoStringItemListInfo {
public:
    TRNUndoItemRangeInfo(TRNUndoAction action, int startItemNo, TCustomRNData* rnData)
        : TRNUndoStringItemListInfo(action, rnData), StartItemNo(startItemNo) {}
    int32_t StartItemNo;
    int32_t LastAffectedItemNo = -1;
    void SetItemsRange(int& startItemNo, int& endItemNo) const override;
};

class TRNUndoDeleteItemsInfo : public TRNUndoItemRangeInfo {
public:
    TRNUndoDeleteItemsInfo(int startItemNo, TCustomRNData* rnData)
        : TRNUndoItemRangeInfo(TRNUndoAction::rnuDeleteItems, startItemNo, rnData) {}
    int32_t EndItemNo = -1;
    bool FullReformat = false;
    void Undo(IRNUndoTarget& target) override;
    int ItemsAdded() const override { return static_cast<int>(List.size()); }
    bool RequiresFullReformat2(IRNUndoTarget& target) override;
};

class TRNUndoInsertSubstringInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoInsertSubstringInfo(TRNUndoAction action, int itemNo, int pos, int length)
        : TRNUndoItemNoInfo(action, itemNo), Pos(pos), Length(length) {}
    int32_t Pos;
    int32_t Length;
    void Undo(IRNUndoTarget& target) override { target.Do_DeleteSubstring(ItemNo, Pos, Length); }
};

// Characters typed one after another at one place: each Undo takes the last one away.
class TRNUndoTypingInfo : public TRNUndoInsertSubstringInfo {
public:
    TRNUndoTypingInfo(int itemNo, int pos, bool unicode)
        : TRNUndoInsertSubstringInfo(TRNUndoAction::rnuTyping, itemNo, pos, 1), Unicode(unicode) {}
    bool Unicode;
    // Characters the last replay took away: 2 for a surrogate pair.
    int LastStep = 1;
    void Undo(IRNUndoTarget& target) override;
};

class TRNUndoInsertItemInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoInsertItemInfo(int itemNo, int lastAffectedItemNo)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuInsertItem, itemNo, lastAffectedItemNo) {}
    bool FullReformat = false;
    void Undo(IRNUndoTarget& target) override { target.Do_DeleteItem(ItemNo, FullReformat); }
    int ItemsAdded() const override { return -1; }
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
    bool RequiresFullReformat2(IRNUndoTarget&) override { return FullReformat; }
};

class TRNUndoInsertItemsInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoInsertItemsInfo(int itemNo, int count)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuInsertItems, itemNo), Count(count) {}
    bool FullReformat = false;
    int32_t Count;
    void Undo(IRNUndoTarget& target) override {
        target.Do_DeleteItems(ItemNo, ItemNo + Count - 1, FullReformat);
    }
    int ItemsAdded() const override { return -Count; }
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
    bool RequiresFullReformat2(IRNUndoTarget&) override { return FullReformat; }
};

class TRNUndoNewLineInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoNewLineInfo(int itemNo, bool sameAsPrev, int paraNo)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuNewLine, itemNo), SameAsPrev(sameAsPrev),
          ParaNo(paraNo) {}
    bool FullReformat = false;
    bool SameAsPrev;
    int32_t ParaNo;
    void Undo(IRNUndoTarget& target) override {
        target.Do_NewLine(ItemNo, SameAsPrev, FullReformat, ParaNo);
    }
    bool RequiresFullReformat2(IRNUndoTarget&) override { return FullReformat; }
};

class TRNUndoBRInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoBRInfo(int itemNo, bool br) : TRNUndoItemNoInfo(TRNUndoAction::rnuBR, itemNo), BR(br) {}
    bool BR;
    void Undo(IRNUndoTarget& target) override { target.Do_BR(ItemNo, BR); }
};

class TRNUndoPageBreakInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoPageBreakInfo(int itemNo, bool pageBreak)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuPageBreak, itemNo), PageBreak(pageBreak) {}
    bool PageBreak;
    void Undo(IRNUndoTarget& target) override { target.Do_PageBreak(ItemNo, PageBreak); }
};

class TRNUndoListInfo : public TRNUndoInfo {
public:
    using TRNUndoInfo::TRNUndoInfo;
    std::vector<int> List;
};

class TRNUndoParaListInfo : public TRNUndoListInfo {
public:
    explicit TRNUndoParaListInfo(int startItemNo)
        : TRNUndoListInfo(TRNUndoAction::rnuPara), StartItemNo(startItemNo) {}
    bool FullReformat = false;
    int32_t StartItemNo;
    void Undo(IRNUndoTarget& target) override {
        target.Do_ParaList(StartItemNo, List, FullReformat);
    }
    void SetItemsRange(int& startItemNo, int& endItemNo) const override;
    bool RequiresFullReformat2(IRNUndoTarget&) override { return FullReformat; }
};

class TRNUndoParaInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoParaInfo(int itemNo, int paraNo, int count)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuPara, itemNo), ParaNo(paraNo), Count(count) {}
    bool FullReformat = false;
    int32_t ParaNo;
    int32_t Count;
    void Undo(IRNUndoTarget& target) override {
        target.Do_Para(ItemNo, ItemNo + Count - 1, FullReformat, ParaNo);
    }
    void SetItemsRange(int& startItemNo, int& endItemNo) const override;
    bool RequiresFullReformat2(IRNUndoTarget&) override { return FullReformat; }
};

class TRNUndoStyleNoInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoStyleNoInfo(int itemNo, int styleNo)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuStyleNo, itemNo), StyleNo(styleNo) {}
    int32_t StyleNo;
    void Undo(IRNUndoTarget& target) override { target.Do_StyleNo(ItemNo, StyleNo); }
};

class TRNUndoTagInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoTagInfo(int itemNo, RNTag tag, bool tagsArePChars)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuTag, itemNo), Tag(std::move(tag)),
          TagsArePChars(tagsArePChars) {}
    RNTag Tag;
    bool TagsArePChars;
    bool RequiresFormat() const override { return false; }
    void Undo(IRNUndoTarget& target) override { target.Do_Tag(ItemNo, Tag, false); }
};

class TRNUndoAddCPInfo : public TRNUndoItemNoInfo {
public:
    explicit TRNUndoAddCPInfo(int itemNo)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuCheckpoint, itemNo) {}
    void Undo(IRNUndoTarget& target) override { target.Do_DeleteCP(ItemNo); }
};

class TRNUndoDeleteCPInfo : public TRNUndoItemNoInfo {
public:
    TRNUndoDeleteCPInfo(int itemNo, std::unique_ptr<TRNCPInfo> checkpoint, bool tagsArePChars)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuCheckpoint, itemNo),
          Checkpoint(std::move(checkpoint)), TagsArePChars(tagsArePChars) {}
    std::unique_ptr<TRNCPInfo> Checkpoint;
    bool TagsArePChars;
    void Undo(IRNUndoTarget& target) override { target.Do_AddCP(ItemNo, std::move(Checkpoint)); }
};

// Base of the records of item properties changed one by one (the table's among them).
class TRNUndoModifyItemProps : public TRNUndoItemNoInfo {
public:
    TRNUndoModifyItemProps(int itemNo, bool affectsSize, bool affectsWidth)
        : TRNUndoItemNoInfo(TRNUndoAction::rnuModifyItem, itemNo), AffectsWidth(affectsWidth),
          AffectsSize(affectsSize) {}
    int32_t MinWidthBefore = 0;
    bool AffectsWidth;
    bool AffectsSize;
    bool RequiresFormat() const override { return AffectsSize; }
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
    bool RequiresFullReformat2(IRNUndoTarget& target) override;
    void Undo(IRNUndoTarget&) override {}
    // The class of the record that reverses this one.
    virtual TRNUndoPropsMaker GetOppositeClass() const;
    virtual void SetOppositeUndoInfoProps(TRNUndoModifyItemProps& /*opposite*/) const {}
};

class TRNUndoModifyItemTerminator : public TRNUndoModifyItemProps {
public:
    TRNUndoModifyItemTerminator(int itemNo, bool opening)
        : TRNUndoModifyItemProps(itemNo, true, true), Opening(opening) {}
    bool Opening;
    void Undo(IRNUndoTarget& target) override { target.Do_ItemModifyTerminator(ItemNo, !Opening); }
};

class TRNUndoModifyItemIntProperty : public TRNUndoModifyItemProps {
public:
    using TRNUndoModifyItemProps::TRNUndoModifyItemProps;
    IRNIntProperties* SubObject = nullptr;
    std::string PropName;
    int32_t Value = 0;
    void Undo(IRNUndoTarget& target) override;
    TRNUndoPropsMaker GetOppositeClass() const override;
};

class TRNUndoModifyItemIntProperties : public TRNUndoModifyItemProps {
public:
    using TRNUndoModifyItemProps::TRNUndoModifyItemProps;
    IRNIntProperties* SubObject = nullptr;
    TRNIntPropList PropList;
    void Undo(IRNUndoTarget& target) override;
    TRNUndoPropsMaker GetOppositeClass() const override;
};

// One group: what one command did.
class TRNUndoInfos {
public:
    TRNList<TRNUndoInfo> Records;
    std::string Caption;
    TRNUndoType UndoType = TRNUndoType::rnutNone;
    int32_t CaretItemNo = 0;
    int32_t CaretOffs = 0;

    void Undo(IRNUndoTarget& target, bool reformat);
    void Redo(IRNUndoTarget& target, bool reformat);
    void PerformUndo(IRNUndoTarget& target, bool reformat);
    bool CanDelete() const;
    void ChangeRNData(TCustomRNData* rnData, bool flag);
};

// The groups, the most recent last.
class TRNUndoList {
public:
    explicit TRNUndoList(int limit = -1) : Limit(limit) {}

    TRNList<TRNUndoInfos> Groups;
    int32_t ReformatLock = 0;
    // The number of groups kept; -1 no limit, 0 nothing recorded.
    int32_t Limit;
    int32_t GroupModeCounter = 0;

    int Count() const { return Groups.Count(); }
    TRNUndoInfos* Last() const { return Count() ? Groups[Count() - 1] : nullptr; }
    void Clear() { Groups.Clear(); }
    bool BeginItem(TRNUndoType undoType, const std::string& caption, int itemNo, int offs);
    void EndItem();
    void AddInfo(std::unique_ptr<TRNUndoInfo> info);
    void AddTyping(int itemNo, int offs, bool unicode);
    void AddUntyping(const std::string& s, int itemNo, int offs);
    void Pop();
    void PopIfEmpty();
    void Undo(IRNUndoTarget& target);
    void Redo(IRNUndoTarget& target);
    void ChangeRNData(TCustomRNData* rnData, bool flag);
    TRNUndoType CurrentUndoType() const;
    std::string CurrentUndoCaption() const;
    void LockRFR() { ++ReformatLock; }
    void UnlockRFR() { --ReformatLock; }

private:
    void DropEmptyLast();
    void Replay(IRNUndoTarget& target, bool redo);
};

// A nested document's own undo list, replayed as one record of the document that holds it.
class TRNCompositeUndo : public TRNUndoInfo {
public:
    explicit TRNCompositeUndo(int itemNo)
        : TRNUndoInfo(TRNUndoAction::rnuModifyItem), ItemNo(itemNo) {}
    int32_t ItemNo;
    TRNUndoList UndoList;
    bool RequiresFormat() const override { return false; }
    void SetItemsRange(int& startItemNo, int& endItemNo) const override {
        startItemNo = endItemNo = ItemNo;
    }
    void ChangeRNData(TCustomRNData* rnData, bool flag) override {
        UndoList.ChangeRNData(rnData, flag);
    }
    void Undo(IRNUndoTarget& target) override { UndoList.Undo(NestedTarget(target)); }
    // The nested document the list belongs to; the item that holds it answers.
    virtual IRNUndoTarget& NestedTarget(IRNUndoTarget& target) { return target; }
};

// Frees an item an undo record held, telling its document first.
void FreeUndoItem(TCustomRNData* rnData, std::unique_ptr<TCustomRNItemInfo> item);
