// Items inserted at the caret: pictures, bullets, hotspots, breaks, controls, prepared items
// (tables) and page breaks, each one undo step that replaces the selection.

#include "platform/graphics/Graphic.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/view/RNEdit.h"

TRichNoteEdit* TRichNoteEdit::InplaceEdit() const {
    return dynamic_cast<TRichNoteEdit*>(InplaceEditor());
}

TRichNoteEdit& TRichNoteEdit::GetActiveRichNoteEdit() {
    TRichNoteEdit* cell = InplaceEdit();
    return cell ? cell->GetActiveRichNoteEdit() : *this;
}

bool TRichNoteEdit::BeforeInserting() {
    if (!SelectionReplaceable() || !BeforeChange(false)) {
        return false;
    }
    TRNEditRNData& data = EditData();
    // Removing the selection and inserting are one change to the user: AfterInserting tells it.
    insertingHeld_ = HoldNotices();
    data.BeginUndoSequence(TRNUndoType::rnutInsert);
    data.SetUndoGroupMode(true);
    if (data.SelectionExists(false, true)) {
        data.DeleteSelection_();
    }
    data.Deselect(nullptr);
    return true;
}

void TRichNoteEdit::AfterInserting(bool inserted) {
    TRNEditRNData& data = EditData();
    data.SetUndoGroupMode(false);
    data.UndoList().PopIfEmpty();
    Update();
    // A refusal alone changed nothing and keeps the redo list.
    if (inserted) {
        DoChange(true);
    }
    ReleaseNotices(insertingHeld_);
}

bool TRichNoteEdit::InsertItem(const std::string& name, std::unique_ptr<TCustomRNItemInfo> item) {
    if (!item) {
        return false;
    }
    if (!BeforeInserting()) {
        return false;
    }
    bool inserted = false;
    try {
        inserted = EditData().InsertSomething(std::move(item), name);
    } catch (...) {
        AfterInserting(false);
        EditData().Format();
        throw;
    }
    AfterInserting(inserted);
    return inserted;
}

bool TRichNoteEdit::InsertPicture(const std::string& name, std::unique_ptr<TGraphic> graphic,
                                  TRNVAlign vAlign) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertPicture(name, std::move(graphic), vAlign);
    }
    if (!graphic) {
        return false;
    }
    auto item = std::make_unique<TRNGraphicItemInfo>(&EditData(), std::move(graphic), vAlign);
    item->UpdatePaletteInfo(DoInPaletteMode(), false);
    return InsertItem(name, std::move(item));
}

bool TRichNoteEdit::InsertBullet(int imageIndex, const TImageList* imageList) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertBullet(imageIndex, imageList);
    }
    return InsertItem({}, std::make_unique<TRNBulletItemInfo>(&EditData(), imageIndex, imageList,
                                                              TRNVAlign::rnvaBaseline));
}

bool TRichNoteEdit::InsertHotspot(int imageIndex, int hotImageIndex, const TImageList* imageList) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertHotspot(imageIndex, hotImageIndex, imageList);
    }
    return InsertItem({},
                      std::make_unique<TRNHotspotItemInfo>(&EditData(), imageIndex, hotImageIndex,
                                                           imageList, TRNVAlign::rnvaBaseline));
}

bool TRichNoteEdit::InsertBreak(uint8_t width, TRNBreakStyle style, TColor color) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertBreak(width, style, color);
    }
    return InsertItem({}, std::make_unique<TRNBreakItemInfo>(&EditData(), width, style, color));
}

bool TRichNoteEdit::InsertControl(const std::string& name,
                                  std::unique_ptr<IEmbeddedControl> control, TRNVAlign vAlign) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertControl(name, std::move(control), vAlign);
    }
    if (!control) {
        return false;
    }
    // Shown only once formatting has given it its place.
    control->SetVisible(false);
    control->SetParent(AsControlParent());
    return InsertItem(
        name, std::make_unique<TRNControlItemInfo>(&EditData(), std::move(control), vAlign));
}

void TRichNoteEdit::InsertPageBreak() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->InsertPageBreak();
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    TRNEditRNData& data = EditData();
    if (data.PartialSelectedItem) {
        data.Beep();
        return;
    }
    const int depth = data.UndoList().GroupModeCounter;
    try {
        // The Enter it may need first is part of the one change.
        OneNotice([&] {
            data.InsertPageBreak();
            return true;
        });
    } catch (...) {
        while (data.UndoList().GroupModeCounter > depth) {
            data.SetUndoGroupMode(false);
        }
        data.UndoList().PopIfEmpty();
        data.Format();
        throw;
    }
}
