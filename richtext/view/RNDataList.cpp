#include "richtext/view/RNDataList.h"

#include "richtext/model/RNError.h"

TRNItemFormattedData::~TRNItemFormattedData() {
    // The root may still name this document or its items (the hot hypertext area, the item
    // holding the mouse): it forgets them before they go.
    if (TCustomRNFormattedData* root = Root()) {
        root->ForgetData(this);
    }
    FreeContents();
}

TCustomRNData* TRNItemFormattedData::GetRootData() {
    TCustomRNData* parent = GetParentData();
    return parent ? parent->GetRootData() : this;
}

TCustomRNFormattedData* TRNItemFormattedData::Root() const {
    auto* root = Formatted(const_cast<TRNItemFormattedData*>(this)->GetRootData());
    return root == this ? nullptr : root;
}

void TRNItemFormattedData::SetFlags(TRNFlags) {
    throw ERichNoteError("This method is not supported for TRNItemFormattedData");
}

TCanvas* TRNItemFormattedData::GetCanvas() const {
    TCustomRNFormattedData* root = Root();
    return root ? root->GetCanvas() : nullptr;
}

TCursor TRNItemFormattedData::GetNormalCursor() const {
    TCustomRNFormattedData* root = Root();
    return root ? root->GetNormalCursor() : TCursor{0}; // the default cursor
}

std::string TRNItemFormattedData::GetURL(int id) {
    TCustomRNFormattedData* root = Root();
    return root ? root->GetURL(id) : std::string();
}

void TRNItemFormattedData::HTMLSaveImage(TCustomRNData& rnData, int itemNo, const std::string& path,
                                         TColor backgroundColor, std::string& location,
                                         bool& doDefault) {
    if (TCustomRNFormattedData* root = Root()) {
        root->HTMLSaveImage(rnData, itemNo, path, backgroundColor, location, doDefault);
    } else {
        location.clear();
        doDefault = true;
    }
}

void TRNItemFormattedData::ShowRectangle(int x, int y, int w, int h) {
    if (TCustomRNFormattedData* root = Root()) {
        int ox = 0, oy = 0;
        GetOrigin(ox, oy);
        root->ShowRectangle(x + ox, y + oy, w, h);
    }
}

void TRNItemFormattedData::DoCopy() {
    if (TCustomRNFormattedData* root = Root()) {
        root->DoCopy();
    }
}

bool TRNItemFormattedData::IsAssignedCopy() const {
    TCustomRNFormattedData* root = Root();
    return root && root->IsAssignedCopy();
}

bool TRNItemFormattedData::IsAssignedRNRightClick() const {
    TCustomRNFormattedData* root = Root();
    return root && root->IsAssignedRNRightClick();
}

bool TRNItemFormattedData::IsAssignedRNDblClick() const {
    TCustomRNFormattedData* root = Root();
    return root && root->IsAssignedRNDblClick();
}

void TRNItemFormattedData::DoRNRightClick(const std::string& clickedWord, int styleNo, int x,
                                          int y) {
    if (TCustomRNFormattedData* root = Root()) {
        root->DoRNRightClick(clickedWord, styleNo, x, y);
    }
}

void TRNItemFormattedData::DoRNDblClick(const std::string& clickedWord, int styleNo) {
    if (TCustomRNFormattedData* root = Root()) {
        root->DoRNDblClick(clickedWord, styleNo);
    }
}

void TRNItemFormattedData::DoSelect() {
    if (TCustomRNFormattedData* root = Root()) {
        root->DoSelect();
    }
}

TCPEventKind TRNItemFormattedData::GetCPEventKind() const {
    TCustomRNFormattedData* root = Root();
    return root ? root->GetCPEventKind() : TCPEventKind::cpeNone;
}
