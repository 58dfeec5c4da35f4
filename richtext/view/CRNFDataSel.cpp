// The selection's public face: whether it exists, its bounds, its text and picture, the word
// at a point, and text search from the selection.

#include "richtext/view/CRNFData.h"

#include "platform/base/Stream.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace {

// The data of an open in-place editor that is a viewer: it answers for the selection.
TCustomRNFormattedData* InplaceViewerData(const TCustomRNFormattedData& data) {
    return InplaceDocumentOf(data.GetInplaceEditor());
}

} // namespace

bool TCustomRNFormattedData::SelectionExists(bool allowReset, bool usePartial) {
    if (TCustomRNFormattedData* inplace = InplaceViewerData(*this)) {
        return inplace->SelectionExists(allowReset, usePartial);
    }
    if (State.Contains(TRNStateItem::rnstMakingSelection)) {
        allowReset = false;
    }
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    const bool none = startNo == -1 || endNo == -1;
    if (!none && (startNo != endNo || startOffs != endOffs)) {
        return true;
    }
    // Cells selected with the mouse leave the document's own range collapsed on their table:
    // the cells are the selection then, as they are when the document has no range at all.
    if (!none && allowReset) {
        Deselect(PartialSelectedItem);
    }
    return usePartial && PartialSelectedItem && PartialSelectedItem->PartiallySelected();
}

bool TCustomRNFormattedData::SelectionInsideItem() const {
    if (!PartialSelectedItem || !PartialSelectedItem->PartiallySelected()) {
        return false;
    }
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    return startNo == -1 || endNo == -1 || (startNo == endNo && startOffs == endOffs);
}

void TCustomRNFormattedData::GetSelStart(int& drawItemNo, int& drawItemOffs) {
    SelectionExists(true, false);
    drawItemNo = SelStartNo;
    drawItemOffs = SelStartOffs;
}

void TCustomRNFormattedData::GetSelectionBounds(int& startItemNo, int& startItemOffs,
                                                int& endItemNo, int& endItemOffs,
                                                bool normalize) const {
    StoreSelBounds(startItemNo, endItemNo, startItemOffs, endItemOffs, normalize);
}

void TCustomRNFormattedData::SetSelectionBounds(int startItemNo, int startItemOffs, int endItemNo,
                                                int endItemOffs) {
    DeselectPartiallySelectedItem();
    DestroyInplaceEditor();
    RestoreSelBounds(startItemNo, endItemNo, startItemOffs, endItemOffs);
    DoOnSelection(true);
    DoSelect();
}

void TCustomRNFormattedData::DeleteItems(int firstItemNo, int count) {
    Deselect(nullptr);
    TCustomRNData::DeleteItems(firstItemNo, count);
}

void TCustomRNFormattedData::SetPartialSelectedItem(TCustomRNItemInfo* item) {
    if (item != PartialSelectedItem) {
        {
            // One change of the selection, one notice: the deselection on the way raises none.
            const bool held = std::exchange(holdSelectNotice_, true);
            struct Restore {
                bool& Flag;
                bool Value;
                ~Restore() { Flag = Value; }
            } restore{holdSelectNotice_, held};
            Deselect(item);
        }
        PartialSelectedItem = item;
        DoSelect();
    }
}

void TCustomRNFormattedData::RNFGetLimits(bool selectionOnly, int& startItem, int& endItem,
                                          int& startOffs, int& endOffs) {
    if (selectionOnly) {
        StoreSelBounds(startItem, endItem, startOffs, endOffs, true);
    } else {
        TCustomRNData::RNFGetLimits(false, startItem, endItem, startOffs, endOffs);
    }
}

// Words.

bool TCustomRNFormattedData::FindWordAt(std::string& word, int x, int y, int& styleNo, int& itemNo,
                                        int& offs) {
    const int d = FindDrawItemAtPos(x + GetZHOffs(), y + GetZVOffs());
    itemNo = -1;
    if (d == -1) {
        return false;
    }
    const TRNDrawLineInfo& di = *DrawItems[d];
    itemNo = di.ItemNo;
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const std::string& text = GetItemText(itemNo);
    word = text;
    styleNo = item.StyleNo;
    if (!item.IsText()) {
        return true;
    }
    const TRNItemOptions options = item.ItemOptions;
    const int length = RNU_Length(text, options);
    if (length == 0) {
        word.clear();
        offs = 1;
        return true;
    }
    int fit = 0;
    TRNStyle* style = GetRNStyle();
    TCanvas* canvas = GetCanvas();
    if (style && canvas) {
        style->ApplyStyle(*canvas, styleNo);
        const std::string shown =
            RN_ReturnCapitalized(DrawItems.GetString(d, *this), style->TextStyles()[styleNo]);
        RNU_GetTextExtentExPoint(*canvas, shown, x + GetZHOffs() - di.Left - di.JustifyExtra, fit,
                                 nullptr, options);
    }
    const int p = std::clamp(fit + di.Offs, 1, length);
    if (IsDelimiter(text, p, options)) {
        word.clear();
        offs = p;
        return true;
    }
    int s = p;
    while (s > 1 && !IsDelimiter(text, s - 1, options)) {
        --s;
    }
    int e = p;
    while (e < length && !IsDelimiter(text, e + 1, options)) {
        ++e;
    }
    word = RNU_Copy(text, s, e - s + 1, options);
    offs = s;
    return true;
}

void TCustomRNFormattedData::GetWordAt(int x, int y, int& itemNo, std::string& word) {
    int styleNo = 0, offs = 0;
    if (!FindWordAt(word, x, y, styleNo, itemNo, offs)) {
        itemNo = -1;
    }
}

void TCustomRNFormattedData::SelectWordAt(int x, int y) {
    std::string word;
    int styleNo = 0, itemNo = -1, offs = 0;
    if (!GetOptions().Contains(TRNOption::rnoAllowSelection) ||
        !FindWordAt(word, x, y, styleNo, itemNo, offs)) {
        return;
    }
    SelectFoundWord(itemNo, offs, word);
}

void TCustomRNFormattedData::SelectFoundWord(int itemNo, int offs, const std::string& word) {
    // A text item gets the word selected, any other item itself.
    const TCustomRNItemInfo& item = GetItem(itemNo);
    if (item.IsText()) {
        SetSelectionBounds(itemNo, offs, itemNo, offs + RNU_Length(word, item.ItemOptions));
    } else {
        SetSelectionBounds(itemNo, 0, itemNo, 1);
    }
    Invalidate();
}

// Selected text and picture.

std::string TCustomRNFormattedData::GetSelText(bool unicode) {
    if (TCustomRNFormattedData* inplace = InplaceViewerData(*this)) {
        return inplace->GetSelText(unicode);
    }
    if (!SelectionExists(false, true)) {
        return {};
    }
    if (SelectionInsideItem()) {
        return PartialSelectedItem->PartiallySelectedText(*EmptyCopyDocument(), unicode);
    }
    TMemoryStream stream;
    if (!SaveTextToStream("", stream, 80, true, true, unicode)) {
        return {};
    }
    return stream.Bytes();
}

TGraphic* TCustomRNFormattedData::GetSelectedImage() {
    if (TCustomRNFormattedData* inplace = InplaceViewerData(*this)) {
        return inplace->GetSelectedImage();
    }
    int startNo, startOffs, endNo, endOffs;
    GetSelectionBounds(startNo, startOffs, endNo, endOffs, true);
    if (startNo < 0 || endNo < 0) {
        return nullptr;
    }
    const bool firstGivesNothing = startOffs >= GetOffsAfterItem(startNo);
    const bool lastGivesNothing =
        endOffs <= GetOffsBeforeItem(endNo) && endOffs < GetOffsAfterItem(endNo);
    int candidate = -1;
    if (endNo == startNo) {
        if (startOffs <= 0 && endOffs >= 1) {
            candidate = startNo;
        }
    } else if (endNo == startNo + 1) {
        if (firstGivesNothing && endOffs >= GetOffsAfterItem(endNo)) {
            candidate = endNo;
        } else if (startOffs <= GetOffsBeforeItem(startNo) && lastGivesNothing) {
            candidate = startNo;
        }
    } else if (endNo == startNo + 2 && firstGivesNothing && lastGivesNothing) {
        candidate = startNo + 1;
    }
    return candidate < 0 ? nullptr : GetItem(candidate).AsImage();
}

TRect TCustomRNFormattedData::GetClientSelectionRect() {
    const TRect view = Rect(0, 0, GetWidth(), GetHeight());
    if (!SelectionExists(false, false)) {
        return view;
    }
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    TRect r = Rect(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int i = startNo; i <= endNo; ++i) {
        const TRNDrawLineInfo& d = *DrawItems[i];
        r.Left = std::min(r.Left, d.Left - GetZHOffs());
        r.Top = std::min(r.Top, d.Top - GetZVOffs());
        r.Right = std::max(r.Right, d.Left - GetZHOffs() + d.Width);
        r.Bottom = std::max(r.Bottom, d.Top - GetZVOffs() + d.Height);
    }
    TRect out{};
    IntersectRect(out, r, view);
    return out;
}

TRect TCustomRNFormattedData::GetSelectionRect() {
    TRect r = GetClientSelectionRect();
    const TPoint origin = ClientToScreen(TPoint{0, 0});
    r.Left += origin.X;
    r.Right += origin.X;
    r.Top += origin.Y;
    r.Bottom += origin.Y;
    return r;
}

// Search.

namespace {

template <class Char>
int FindIn(std::basic_string_view<Char> part, std::basic_string_view<Char> key, bool down) {
    if (down) {
        const size_t p = part.find(key);
        return p == part.npos ? -1 : static_cast<int>(p);
    }
    // The last of the matches a forward scan finds; they do not overlap.
    int last = -1;
    size_t from = 0;
    for (;;) {
        const size_t p = part.find(key, from);
        if (p == part.npos) {
            return last;
        }
        last = static_cast<int>(p);
        from = p + key.size();
    }
}

} // namespace

// The searched text in both forms: UTF-16 for Unicode items, the document's code page for
// 8-bit items, with the page's capitals as a table (upper-casing is per byte there).
struct TCustomRNFormattedData::TSearchKey {
    std::u16string Wide;
    std::string Narrow;
    bool NarrowUsable = false;
    bool MatchCase = false;
    unsigned CodePage = 0;
    char Upper[256] = {};
};

bool TCustomRNFormattedData::SearchPart(int itemNo, int from, bool down, const TSearchKey& key,
                                        std::string& buffer, int& found) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const std::string& text = GetItemText(itemNo);
    // Positions count characters from 1: the part searched starts at `from` going down and
    // ends before `from` - 1 going up.
    const bool unicode = item.ItemOptions.Contains(TRNItemOption::rnioUnicode);
    const int length = unicode ? static_cast<int>(text.size() / 2) : static_cast<int>(text.size());
    const int first = down ? std::clamp(from, 1, length + 1) : 1;
    const int count = down ? length - first + 1 : std::clamp(from - 2, 0, length);
    int p = -1;
    if (unicode) {
        std::string part =
            text.substr(static_cast<size_t>(first - 1) * 2, static_cast<size_t>(count) * 2);
        if (!key.MatchCase) {
            part = RNU_UpperCase(part, 0, true);
        }
        const std::u16string units = RNU_BytesToU16(part);
        p = FindIn<char16_t>(units, key.Wide, down);
    } else {
        if (!key.NarrowUsable) {
            return false;
        }
        std::string_view part = std::string_view(text).substr(first - 1, count);
        if (!key.MatchCase) {
            // Plain pointers: a char store may alias anything, so through the string and the
            // view every byte would load their data and sizes again.
            buffer.resize(part.size());
            char* out = buffer.data();
            const char* in = part.data();
            const char* upper = key.Upper;
            for (size_t i = 0, n = part.size(); i < n; ++i) {
                out[i] = upper[static_cast<unsigned char>(in[i])];
            }
            part = buffer;
        }
        p = FindIn<char>(part, key.Narrow, down);
    }
    if (p < 0) {
        return false;
    }
    found = first + p;
    return true;
}

bool TCustomRNFormattedData::SearchText(bool down, bool matchCase, std::string_view text) {
    return SearchTextW(down, matchCase,
                       RNU_BytesToU16(RNU_AnsiToUnicode(GetDefaultCodePage(), text)));
}

bool TCustomRNFormattedData::SearchTextW(bool down, bool matchCase, std::u16string text) {
    if (text.empty() || ItemCount() == 0) {
        return false;
    }
    TSearchKey key;
    key.MatchCase = matchCase;
    key.CodePage = GetDefaultCodePage();
    key.Wide = matchCase ? text : RNU_BytesToU16(RNU_UpperCase(RNU_U16ToBytes(text), 0, true));
    key.Narrow = RNU_UnicodeToAnsi(key.CodePage, RNU_U16ToBytes(text));
    // A text with characters the page lacks cannot occur in 8-bit items.
    key.NarrowUsable = RNU_BytesToU16(RNU_AnsiToUnicode(key.CodePage, key.Narrow)) == text;
    if (!matchCase) {
        for (int b = 0; b < 256; ++b) {
            key.Upper[b] =
                RNU_UpperCase(std::string(1, static_cast<char>(b)), key.CodePage, false)[0];
        }
        for (char& c : key.Narrow) {
            c = key.Upper[static_cast<unsigned char>(c)];
        }
    }
    int itemNo = 0, offs = 1;
    SrchStart(down, itemNo, offs);
    itemNo = std::max(itemNo, 0);
    std::string buffer;
    int found = 0;
    const int length = static_cast<int>(key.Wide.size());
    if (itemNo < ItemCount() && GetItem(itemNo).IsText() &&
        SearchPart(itemNo, offs, down, key, buffer, found)) {
        SrchSelectIt(itemNo, found, length);
        return true;
    }
    const int step = down ? 1 : -1;
    for (int i = itemNo + step; i >= 0 && i < ItemCount(); i += step) {
        if (GetItem(i).IsText() &&
            SearchPart(i, down ? 1 : INT_MAX / 2, down, key, buffer, found)) {
            SrchSelectIt(i, found, length);
            return true;
        }
    }
    return false;
}

void TCustomRNFormattedData::SrchStart(bool down, int& itemNo, int& offs) {
    if (SelectionExists(true, false)) {
        int startNo, startOffs;
        GetSelectionBounds(startNo, startOffs, itemNo, offs, true);
    } else if (down) {
        itemNo = GetFirstItemVisible();
        offs = 1;
    } else {
        itemNo = GetLastItemVisible();
        offs = itemNo >= 0 ? GetOffsAfterItem(itemNo) + 1 : 1;
    }
    itemNo = std::max(itemNo, 0);
}

void TCustomRNFormattedData::SrchSelectIt(int itemNo, int offs, int length) {
    DeselectPartiallySelectedItem();
    RestoreSelBounds(itemNo, itemNo, offs, offs + length);
    if (SelStartNo >= 0) {
        ScrollTo(DrawItems[SelStartNo]->Top, true);
    }
    Invalidate();
    DoOnSelection(true);
    DoSelect();
}
