// Changes to one item, by index or at the caret, each an undo step of its own.

#include "platform/graphics/Graphic.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/view/RNEdit.h"

bool TRichNoteEdit::ItemChange(TRNUndoType undoType, const std::function<void()>& change) {
    if (!BeforeChange(false)) {
        return false;
    }
    TRNEditRNData& data = EditData();
    data.BeginUndoSequence(undoType);
    data.SetUndoGroupMode(true);
    try {
        change();
    } catch (...) {
        data.SetUndoGroupMode(false);
        data.UndoList().PopIfEmpty();
        throw;
    }
    data.SetUndoGroupMode(false);
    data.UndoList().PopIfEmpty();
    data.Invalidate();
    DoChange(true);
    return true;
}

void TRichNoteEdit::ReplaceItemEd(int itemNo, const std::string& name,
                                  std::unique_ptr<TCustomRNItemInfo> item, const RNTag& tag) {
    item->Tag = RN_CopyTag(tag, Options.Contains(TRNOption::rnoTagsArePChars));
    EditData().Do_ModifyItem(itemNo, name, std::move(item));
}

void TRichNoteEdit::SetBreakInfoEd(int itemNo, uint8_t width, TRNBreakStyle style, TColor color,
                                   const RNTag& tag) {
    EditData().CheckItemClass<TRNBreakItemInfo>(itemNo);
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        ReplaceItemEd(itemNo, EditData().GetItemText(itemNo),
                      std::make_unique<TRNBreakItemInfo>(&EditData(), width, style, color), tag);
    });
}

namespace {

// A new item of the same class as `old`, holding its values.
template <class T> std::unique_ptr<T> CopyOf(const T& old, TCustomRNData* rnData) {
    std::unique_ptr<TCustomRNItemInfo> item = old.CreateEmptyLike(rnData);
    item->Assign(old);
    return std::unique_ptr<T>(static_cast<T*>(item.release()));
}

} // namespace

void TRichNoteEdit::SetBulletInfoEd(int itemNo, const std::string& name, int imageIndex,
                                    const TImageList*, const RNTag& tag) {
    auto& old = EditData().CheckItemClass<TRNBulletItemInfo>(itemNo);
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        auto item = CopyOf(old, &EditData());
        item->ImageIndex = imageIndex;
        ReplaceItemEd(itemNo, name, std::move(item), tag);
    });
}

void TRichNoteEdit::SetHotspotInfoEd(int itemNo, const std::string& name, int imageIndex,
                                     int hotImageIndex, const TImageList*, const RNTag& tag) {
    auto& old = EditData().CheckItemClass<TRNHotspotItemInfo>(itemNo);
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        auto item = CopyOf(old, &EditData());
        item->ImageIndex = imageIndex;
        item->HotImageIndex = hotImageIndex;
        ReplaceItemEd(itemNo, name, std::move(item), tag);
    });
}

void TRichNoteEdit::SetPictureInfoEd(int itemNo, const std::string& name,
                                     std::unique_ptr<TGraphic> graphic, TRNVAlign vAlign,
                                     const RNTag& tag) {
    TRNEditRNData& data = EditData();
    auto& old = data.CheckItemClass<TRNGraphicItemInfo>(itemNo);
    if (!graphic) {
        if (!old.Image) {
            return;
        }
        graphic = old.Image->Clone();
    }
    const bool resized = graphic->Width() != old.GetImageWidth() ||
                         graphic->Height() != old.GetImageHeight() || vAlign != old.VAlign;
    const int oldWidth = data.CalculateMinItemWidthPlus(itemNo);
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        ReplaceItemEd(itemNo, name,
                      std::make_unique<TRNGraphicItemInfo>(&data, std::move(graphic), vAlign), tag);
        if (resized) {
            const int newWidth = data.CalculateMinItemWidthPlus(itemNo);
            data.Reformat(oldWidth >= data.DocMinWidth || newWidth > data.DocMinWidth, true, true,
                          itemNo, false);
        }
    });
}

void TRichNoteEdit::SetControlInfoEd(int itemNo, const std::string& name, TRNVAlign vAlign,
                                     const RNTag& tag) {
    TRNEditRNData& data = EditData();
    auto& item = data.CheckItemClass<TRNControlItemInfo>(itemNo);
    const bool aligned = item.VAlign != vAlign;
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        data.Do_ChangeText(itemNo, name);
        data.Do_ChangeVAlign(itemNo, vAlign);
        SetItemTagEd(itemNo, tag);
        if (aligned) {
            data.Reformat(false, true, true, itemNo, false);
        }
    });
}

void TRichNoteEdit::SetItemTextEd(int itemNo, const std::string& text) {
    TRNEditRNData& data = EditData();
    data.GetItem(itemNo);
    // A group of its own, unless one is open in group mode: a record added to a typing group
    // or to no group at all would be refused. A new text needs its lines made again.
    ItemChange(TRNUndoType::rnutModifyItem, [&] {
        int width = 0;
        data.BeginItemModify(itemNo, width);
        data.Do_ChangeText(itemNo, text);
        data.EndItemModify(itemNo, width);
    });
}

void TRichNoteEdit::SetItemTagEd(int itemNo, const RNTag& tag) {
    TRNEditRNData& data = EditData();
    if (RN_CompareTags(data.GetItemTag(itemNo), tag,
                       Options.Contains(TRNOption::rnoTagsArePChars))) {
        return;
    }
    ItemChange(TRNUndoType::rnutTag, [&] { data.Do_Tag(itemNo, tag, true); });
}

void TRichNoteEdit::ResizeControl(int itemNo, int width, int height) {
    EditData().CheckItemClass<TRNControlItemInfo>(itemNo);
    ItemChange(TRNUndoType::rnutModifyItem,
               [&] { EditData().Do_Resize(itemNo, width, height, true); });
}

void TRichNoteEdit::AdjustControlPlacement2(const IEmbeddedControl* control) {
    const int itemNo = EditData().FindControlItemNo(control);
    if (itemNo >= 0) {
        AdjustControlPlacement(itemNo);
    }
}

void TRichNoteEdit::SetCheckpointInfoEd(int itemNo, const RNTag& tag, const std::string& name,
                                        bool raiseEvent) {
    TRNEditRNData& data = EditData();
    const bool had = data.GetItem(itemNo).Checkpoint != nullptr;
    ItemChange(had ? TRNUndoType::rnutModifyCheckpoint : TRNUndoType::rnutAddCheckpoint, [&] {
        // The tag is copied before the old checkpoint, which may own it, goes.
        auto cp = std::make_unique<TRNCPInfo>();
        cp->Name = name;
        cp->RaiseEvent = raiseEvent;
        cp->Tag = RN_CopyTag(tag, Options.Contains(TRNOption::rnoTagsArePChars));
        if (had) {
            data.Do_DeleteCP(itemNo);
        }
        data.Do_AddCP(itemNo, std::move(cp));
    });
}

void TRichNoteEdit::RemoveCheckpointEd(int itemNo) {
    TRNEditRNData& data = EditData();
    if (!data.GetItem(itemNo).Checkpoint) {
        return;
    }
    ItemChange(TRNUndoType::rnutRemoveCheckpoint, [&] { data.Do_DeleteCP(itemNo); });
}

void TRichNoteEdit::RemoveCurrentPageBreak() {
    TRichNoteEdit& active = GetActiveRichNoteEdit();
    const int itemNo = active.GetCurItemNo();
    if (itemNo < 0 || !active.EditData().GetItem(itemNo).GetPageBreakBefore()) {
        return;
    }
    active.ItemChange(TRNUndoType::rnutRemovePageBreak,
                      [&] { active.EditData().Do_PageBreak(itemNo, false); });
}

// At the caret of the innermost editor.

int TRichNoteEdit::GetCurItemStyle() {
    TRichNoteEdit& active = GetActiveRichNoteEdit();
    const int itemNo = active.GetCurItemNo();
    return itemNo < 0 ? -1 : active.EditData().GetItemStyle(itemNo);
}

TCustomRNItemInfo* TRichNoteEdit::GetCurrentItem() {
    TRichNoteEdit& active = GetActiveRichNoteEdit();
    const int itemNo = active.GetCurItemNo();
    return itemNo < 0 ? nullptr : &active.EditData().GetItem(itemNo);
}

RNTag TRichNoteEdit::GetCurrentTag() {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    return a.EditData().GetItemTag(a.GetCurItemNo());
}

std::string TRichNoteEdit::GetCurrentItemText() {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    return a.EditData().GetItemText(a.GetCurItemNo());
}

void TRichNoteEdit::GetCurrentTextInfo(std::string& text, RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetTextInfo(a.GetCurItemNo(), text, tag);
}

void TRichNoteEdit::GetCurrentBreakInfo(uint8_t& width, TRNBreakStyle& style, TColor& color,
                                        RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetBreakInfo(a.GetCurItemNo(), width, style, color, tag);
}

void TRichNoteEdit::GetCurrentBulletInfo(std::string& name, int& imageIndex,
                                         const TImageList*& imageList, RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetBulletInfo(a.GetCurItemNo(), name, imageIndex, imageList, tag);
}

void TRichNoteEdit::GetCurrentHotspotInfo(std::string& name, int& imageIndex, int& hotImageIndex,
                                          const TImageList*& imageList, RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetHotspotInfo(a.GetCurItemNo(), name, imageIndex, hotImageIndex, imageList, tag);
}

void TRichNoteEdit::GetCurrentPictureInfo(std::string& name, TGraphic*& graphic, TRNVAlign& vAlign,
                                          RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetPictureInfo(a.GetCurItemNo(), name, graphic, vAlign, tag);
}

void TRichNoteEdit::GetCurrentControlInfo(std::string& name, IEmbeddedControl*& control,
                                          TRNVAlign& vAlign, RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EditData().GetControlInfo(a.GetCurItemNo(), name, control, vAlign, tag);
}

void TRichNoteEdit::SetCurrentBreakInfo(uint8_t width, TRNBreakStyle style, TColor color,
                                        const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetBreakInfoEd(a.GetCurItemNo(), width, style, color, tag);
}

void TRichNoteEdit::SetCurrentBulletInfo(const std::string& name, int imageIndex,
                                         const TImageList* imageList, const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetBulletInfoEd(a.GetCurItemNo(), name, imageIndex, imageList, tag);
}

void TRichNoteEdit::SetCurrentHotspotInfo(const std::string& name, int imageIndex,
                                          int hotImageIndex, const TImageList* imageList,
                                          const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetHotspotInfoEd(a.GetCurItemNo(), name, imageIndex, hotImageIndex, imageList, tag);
}

void TRichNoteEdit::SetCurrentPictureInfo(const std::string& name,
                                          std::unique_ptr<TGraphic> graphic, TRNVAlign vAlign,
                                          const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetPictureInfoEd(a.GetCurItemNo(), name, std::move(graphic), vAlign, tag);
}

void TRichNoteEdit::SetCurrentControlInfo(const std::string& name, TRNVAlign vAlign,
                                          const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetControlInfoEd(a.GetCurItemNo(), name, vAlign, tag);
}

void TRichNoteEdit::SetCurrentItemText(const std::string& text) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetItemTextEd(a.GetCurItemNo(), text);
}

void TRichNoteEdit::SetCurrentTag(const RNTag& tag) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetItemTagEd(a.GetCurItemNo(), tag);
}

void TRichNoteEdit::SetCurrentCheckpointInfo(const RNTag& tag, const std::string& name,
                                             bool raiseEvent) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.SetCheckpointInfoEd(a.GetCurItemNo(), tag, name, raiseEvent);
}

TRNCPInfo* TRichNoteEdit::GetCurrentCheckpoint() {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    return a.EditData().GetItemCheckpoint(a.GetCurItemNo());
}

void TRichNoteEdit::RemoveCurrentCheckpoint() {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.RemoveCheckpointEd(a.GetCurItemNo());
}

void TRichNoteEdit::ResizeCurrentControl(int width, int height) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.ResizeControl(a.GetCurItemNo(), width, height);
}

void TRichNoteEdit::BeginCurrentItemModify(int& width) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.BeginItemModify(a.GetCurItemNo(), width);
}

void TRichNoteEdit::EndCurrentItemModify(int width) {
    TRichNoteEdit& a = GetActiveRichNoteEdit();
    a.EndItemModify(a.GetCurItemNo(), width);
}
