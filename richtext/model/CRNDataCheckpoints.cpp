// The checkpoint chain of a document: every checkpoint belongs to one item, and the chain
// runs in item order. A checkpoint made before its item exists waits as the pending one.

#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"

namespace {

void CheckNotNull(const TRNCPInfo* cp) {
    if (!cp) {
        throw ERichNoteError("Parameter can't be NIL");
    }
}

[[noreturn]] void InvalidData() {
    throw ERichNoteError("Invalid checkpoint data");
}

} // namespace

void TCustomRNData::SetCP(TCustomRNItemInfo& item, std::unique_ptr<TRNCPInfo> cp) {
    cp->ItemInfo = &item;
    cp->Next = nullptr;
    cp->Prev = LastCP;
    if (LastCP) {
        LastCP->Next = cp.get();
    } else {
        FirstCP = cp.get();
    }
    LastCP = cp.get();
    item.Checkpoint = std::move(cp);
}

void TCustomRNData::InsertCheckpoint(int itemNo, const RNTag& tag, const std::string& name,
                                     bool raiseEvent) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    if (item.Checkpoint) {
        throw ERichNoteError("Checkpoint already exists");
    }
    auto cp = std::make_unique<TRNCPInfo>();
    cp->Name = name;
    cp->RaiseEvent = raiseEvent;
    cp->Tag = RN_CopyTag(tag, TagsArePChars());
    cp->ItemInfo = &item;
    TRNCPInfo* raw = cp.get();
    item.Checkpoint = std::move(cp);
    ++CPCount;
    UpdateCPPos(raw, itemNo);
}

void TCustomRNData::SetCheckpointInfo(int itemNo, const RNTag& tag, const std::string& name,
                                      bool raiseEvent) {
    TRNCPInfo* cp = GetItem(itemNo).Checkpoint.get();
    if (!cp) {
        InsertCheckpoint(itemNo, tag, name, raiseEvent);
        return;
    }
    cp->Name = name;
    cp->RaiseEvent = raiseEvent;
    cp->Tag = RN_CopyTag(tag, TagsArePChars());
}

bool TCustomRNData::RemoveCheckpoint(int itemNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    bool had = item.Checkpoint != nullptr;
    FreeCheckpoint(item, true, true);
    return had;
}

TRNCPInfo* TCustomRNData::FindCheckpointByName(const std::string& name) const {
    for (TRNCPInfo* cp = FirstCP; cp; cp = cp->Next) {
        if (cp->Name == name) {
            return cp;
        }
    }
    return NotAddedCP && NotAddedCP->Name == name ? NotAddedCP.get() : nullptr;
}

TRNCPInfo* TCustomRNData::FindCheckpointByTag(const RNTag& tag) const {
    bool strings = TagsArePChars();
    for (TRNCPInfo* cp = FirstCP; cp; cp = cp->Next) {
        if (RN_CompareTags(cp->Tag, tag, strings)) {
            return cp;
        }
    }
    return NotAddedCP && RN_CompareTags(NotAddedCP->Tag, tag, strings) ? NotAddedCP.get() : nullptr;
}

TRNCPInfo* TCustomRNData::GetCheckpointByNo(int no) const {
    if (no < 0 || no >= CPCount) {
        throw ERichNoteError("Invalid checkpoint index - " + std::to_string(no));
    }
    if (NotAddedCP && no == CPCount - 1) {
        return NotAddedCP.get();
    }
    TRNCPInfo* cp = FirstCP;
    for (int i = 0; cp && i < no; ++i) {
        cp = cp->Next;
    }
    if (!cp) {
        InvalidData();
    }
    return cp;
}

TRNCPInfo* TCustomRNData::GetFirstCheckpoint() const {
    return FirstCP ? FirstCP : NotAddedCP.get();
}

TRNCPInfo* TCustomRNData::GetNextCheckpoint(const TRNCPInfo* cp) const {
    CheckNotNull(cp);
    if (cp == NotAddedCP.get()) {
        return nullptr;
    }
    return cp->Next ? cp->Next : NotAddedCP.get();
}

int TCustomRNData::GetCheckpointItemNo(const TRNCPInfo* cp) const {
    CheckNotNull(cp);
    if (cp == NotAddedCP.get()) {
        return -1;
    }
    int itemNo = GetItemNo(cp->ItemInfo);
    if (itemNo < 0) {
        InvalidData();
    }
    return itemNo;
}

int TCustomRNData::GetCheckpointNo(const TRNCPInfo* cp) const {
    CheckNotNull(cp);
    int no = 0;
    for (const TRNCPInfo* c = FirstCP; c; c = c->Next, ++no) {
        if (c == cp) {
            return no;
        }
    }
    if (cp == NotAddedCP.get()) {
        return no;
    }
    InvalidData();
}

void TCustomRNData::GetCheckpointInfo(const TRNCPInfo* cp, RNTag& tag, std::string& name,
                                      bool& raiseEvent) const {
    CheckNotNull(cp);
    tag = cp->Tag;
    name = cp->Name;
    raiseEvent = cp->RaiseEvent;
}

TRNCPInfo* TCustomRNData::FindCPBeforeItem(int itemNo) {
    UpdateCPItemNo();
    TRNCPInfo* found = nullptr;
    for (TRNCPInfo* cp = FirstCP; cp && cp->ItemNo < itemNo; cp = cp->Next) {
        found = cp;
    }
    return found;
}

void TCustomRNData::UpdateCPItemNo() {
    int seen = 0;
    for (int i = 0; i < ItemCount() && seen < CPCount; ++i) {
        if (TRNCPInfo* cp = (*items_)[static_cast<size_t>(i)].Item->Checkpoint.get()) {
            cp->ItemNo = i;
            ++seen;
        }
    }
}

void TCustomRNData::UpdateCPPos(TRNCPInfo* cp, int itemNo) {
    if (!cp || itemNo == -1) {
        return;
    }
    UpdateCPItemNo();
    cp->ItemNo = itemNo;
    cp->Next = cp->Prev = nullptr;
    if (!FirstCP) {
        FirstCP = LastCP = cp;
        return;
    }
    if (itemNo < FirstCP->ItemNo) {
        cp->Next = FirstCP;
        FirstCP->Prev = cp;
        FirstCP = cp;
        return;
    }
    if (itemNo >= LastCP->ItemNo) {
        cp->Prev = LastCP;
        LastCP->Next = cp;
        LastCP = cp;
        return;
    }
    TRNCPInfo* after = FirstCP;
    while (after->Next && after->Next->ItemNo <= itemNo) {
        after = after->Next;
    }
    cp->Prev = after;
    cp->Next = after->Next;
    after->Next->Prev = cp;
    after->Next = cp;
}

void TCustomRNData::UnlinkCheckpoint(TRNCPInfo* cp, bool decCPCount) {
    if (!cp) {
        return;
    }
    if (cp->Prev) {
        cp->Prev->Next = cp->Next;
    } else if (FirstCP == cp) {
        FirstCP = cp->Next;
    }
    if (cp->Next) {
        cp->Next->Prev = cp->Prev;
    } else if (LastCP == cp) {
        LastCP = cp->Prev;
    }
    cp->Next = cp->Prev = nullptr;
    cp->ItemInfo = nullptr;
    if (decCPCount) {
        --CPCount;
    }
}

void TCustomRNData::FreeCheckpoint(TCustomRNItemInfo& item, bool adjustLinks, bool decCPCount) {
    if (!item.Checkpoint) {
        return;
    }
    if (adjustLinks) {
        UnlinkCheckpoint(item.Checkpoint.get(), false);
    }
    if (decCPCount) {
        --CPCount;
    }
    item.Checkpoint.reset();
}
