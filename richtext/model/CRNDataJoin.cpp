// Joining neighbouring text items of one style into one.

#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"

#include <algorithm>

namespace {

// Everything but the texts: both text items of one style and encoding, the second continuing
// the first's paragraph (unless that does not matter), equal tags, no checkpoint on the
// second. Then empty texts always join; others unless the style forbids it.
bool CanJoin(const TCustomRNItemInfo* item1, const TCustomRNItemInfo* item2, bool ignorePara,
             bool tagsArePChars, const TRNStyle* sheet, bool firstEmpty, bool secondEmpty) {
    if (!item1 || !item2 || !item1->IsText() || item1->StyleNo != item2->StyleNo) {
        return false;
    }
    if (!ignorePara && !item2->GetSameAsPrev()) {
        return false;
    }
    if (!RN_CompareTags(item1->Tag, item2->Tag, tagsArePChars) || item2->Checkpoint) {
        return false;
    }
    // 8-bit and UTF-16 bytes never join: the result would be neither.
    if (item1->ItemOptions.Contains(TRNItemOption::rnioUnicode) !=
        item2->ItemOptions.Contains(TRNItemOption::rnioUnicode)) {
        return false;
    }
    if (firstEmpty || secondEmpty) {
        return true;
    }
    if (!sheet || item1->StyleNo >= sheet->TextStyles().Count()) {
        return true;
    }
    TRNProtectOptions protection = sheet->TextStyles()[item1->StyleNo].Protection;
    return !protection.Contains(TRNProtectOption::rnprModifyProtect) &&
           !protection.Contains(TRNProtectOption::rnprConcateProtect);
}

} // namespace

bool TCustomRNData::RN_CanConcateItems(int firstItemNo, const TCustomRNItemInfo* item1,
                                       const TCustomRNItemInfo* item2, bool ignorePara) const {
    if (firstItemNo < 0 || firstItemNo + 1 >= ItemCount()) {
        return false;
    }
    return CanJoin(item1, item2, ignorePara, TagsArePChars(), GetRNStyle(),
                   GetItemText(firstItemNo).empty(), GetItemText(firstItemNo + 1).empty());
}

void TCustomRNData::SimpleConcate(int firstItemNo) {
    CheckItemNo(firstItemNo);
    CheckItemNo(firstItemNo + 1);
    TRNItemList& items = *items_;
    auto first = static_cast<size_t>(firstItemNo);
    items[first].Text += items[first + 1].Text;
    InternalFreeItem(std::move(items[first + 1].Item));
    items.erase(items.begin() + firstItemNo + 1);
}

void TCustomRNData::MassSimpleConcate(int firstItemNo, int lastItemNo) {
    lastItemNo = std::min(lastItemNo, ItemCount() - 1);
    firstItemNo = std::max(firstItemNo, 0);
    if (lastItemNo <= firstItemNo) {
        return;
    }
    // Walking down from the end, each item joins the one before it when it can, so a run of
    // joinable items collapses into its first. The texts of a run are put together once, and
    // the freed slots are removed in one pass.
    TRNItemList& items = *items_;
    bool strings = TagsArePChars();
    const TRNStyle* sheet = GetRNStyle();
    auto at = [&](int i) -> TRNItemSlot& { return items[static_cast<size_t>(i)]; };
    int head = lastItemNo;
    size_t runLength = at(head).Text.size();
    std::vector<int> followers; // in descending order
    auto flush = [&] {
        if (followers.empty()) {
            return;
        }
        std::string& text = at(head).Text;
        size_t total = text.size();
        for (int f : followers) {
            total += at(f).Text.size();
        }
        text.reserve(total);
        for (auto it = followers.rbegin(); it != followers.rend(); ++it) {
            text += at(*it).Text;
            at(*it).Text.clear();
            InternalFreeItem(std::move(at(*it).Item));
        }
        followers.clear();
    };
    for (int i = lastItemNo - 1; i >= firstItemNo; --i) {
        if (CanJoin(at(i).Item.get(), at(head).Item.get(), false, strings, sheet,
                    at(i).Text.empty(), runLength == 0)) {
            followers.push_back(head);
            runLength += at(i).Text.size();
        } else {
            flush();
            runLength = at(i).Text.size();
        }
        head = i;
    }
    flush();
    items.erase(std::remove_if(items.begin() + firstItemNo + 1, items.begin() + lastItemNo + 1,
                               [](const TRNItemSlot& slot) { return !slot.Item; }),
                items.begin() + lastItemNo + 1);
}
