// Notes and RTF documents read into the editor at the caret. The readers place the first
// item through InsertFirstRNFItem, which records it like any insertion, and the rest
// straight into the item list; those are recorded afterwards as one insertion.

#include "richtext/model/RNRTFProps.h"
#include "richtext/view/RNERNData.h"

void TRNEditRNData::Do_InsertItems_1(int itemNo, int count) {
    if (count <= 0) {
        return;
    }
    if (TRNUndoList* undo = GetUndoList()) {
        undo->AddInfo(std::make_unique<TRNUndoInsertItemsInfo>(itemNo, count));
    }
}

void TRNEditRNData::Do_InsertItems_2(int itemNo, int count, bool& fullReformat) {
    fullReformat = false;
    const int lastNew = itemNo + count - 1;
    // Nothing continues a paragraph past a rule or another full-width item: the rest of the
    // paragraph the insertion split starts a paragraph of its own, as the saved note reads.
    if (count > 0 && ContinuesPastFullWidth(lastNew + 1)) {
        bool f = false;
        Do_NewLine(lastNew + 1, false, f, GetItem(lastNew + 1).ParaNo);
        fullReformat = true;
    }
    if (count > 0 && lastNew + 1 < ItemCount() && !GetItem(lastNew + 1).CanBeBorderStart()) {
        bool f = false;
        Do_Para(lastNew, GetParaEndItemNo(lastNew), f, GetItem(lastNew).ParaNo);
        fullReformat = fullReformat || f;
    }
    for (int i = itemNo; i <= lastNew; ++i) {
        if (std::unique_ptr<TRNCPInfo> checkpoint = std::move(GetItem(i).Checkpoint)) {
            Do_AddCP(i, std::move(checkpoint));
            fullReformat = true;
        }
    }
}

bool TRNEditRNData::InsertReadAtCaret(
    const std::function<bool(int& index, int& nonFirstAdded)>& read) {
    PrepareForEdit();
    if (!HasCaret() || PartialSelectedItem) {
        return Refuse();
    }
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    GetParaBounds(CharEnds.front().DrawItemNo, CharEnds.back().DrawItemNo, firstDrawItem,
                  lastDrawItem);
    const int countBefore = ItemCount();
    const int caretItem = GetCurItemNo();
    int index = caretItem;
    int nonFirstAdded = 0;
    if (!read(index, nonFirstAdded)) {
        // Take out what was placed without a record, then reverse what was recorded.
        DeleteItems(index - nonFirstAdded, nonFirstAdded);
        Format();
        if (undoList_.Count() > 0 && undoList_.Last()->Records.Count() > 0) {
            undoList_.Undo(*this);
            redoList_.Pop();
        } else {
            undoList_.PopIfEmpty();
        }
        Beep();
        return false;
    }
    if (index == caretItem) {
        return true; // a document without items
    }
    int firstItem = index - nonFirstAdded - 1;
    int lastItem = index - 1;
    Do_InsertItems_1(firstItem + 1, nonFirstAdded);
    bool fullReformat = false;
    Do_InsertItems_2(firstItem + 1, nonFirstAdded, fullReformat);
    fullReformat = fullReformat || CalculateMinItemsWidthPlus(firstItem, lastItem) > DocMinWidth;
    int caretOffset = GetOffsAfterItem(lastItem);
    int itemsAdded = ItemCount() - countBefore;
    ConcateAfterAdding(firstItem, lastItem, caretOffset, itemsAdded);
    if (fullReformat) {
        // A wider item (a picture, a table) or a checkpoint lays the whole document out
        // again, which draws nothing by itself: a note shorter than the window does not
        // scroll to the caret either, so all of it is drawn anew here.
        FormatKeepingTextStyle([this] { Format(); });
        Invalidate();
    } else {
        FormatParasExact(firstDrawItem, lastDrawItem, itemsAdded);
    }
    SetCaretAtItem(lastItem, caretOffset);
    ChangeCaret(false, true, false, false);
    Change();
    return true;
}

bool TRNEditRNData::InsertRNFFromStreamEd_(TStream& stream) {
    return InsertReadAtCaret([&](int& index, int& nonFirstAdded) {
        TRNFReadResult result;
        TColor color = clNone;
        const bool ok =
            InsertRNFFromStream_(stream, index, -1, false, false, true, color, nullptr, result);
        index = result.FirstItemNo + result.ItemsInserted;
        nonFirstAdded = result.NonFirstItemsAdded;
        return ok && result.ItemsInserted > 0;
    });
}

bool TRNEditRNData::InsertRTFFromStreamEd_(TStream& stream) {
    TRNRTFReaderProperties* properties = RichNote.GetRTFReadProperties();
    if (!properties) {
        return Refuse();
    }
    return InsertReadAtCaret([&](int& index, int& nonFirstAdded) {
        const TRNRTFErrorCode code = properties->InsertFromStreamEd(stream, *this, index);
        nonFirstAdded = properties->NonFirstItemsAdded;
        return code == TRNRTFErrorCode::rtf_ec_OK;
    });
}
