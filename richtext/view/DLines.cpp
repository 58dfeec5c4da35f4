#include "richtext/view/DLines.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNUni.h"

#include <algorithm>

void TRNDrawLineInfo::SetData(int left, int top, int itemNo, bool fromNewLine) {
    Left = left;
    Top = top;
    ItemNo = itemNo;
    FromNewLine = fromNewLine;
}

void TRNDrawLineInfo::SetSize(int width, int height) {
    Width = width;
    Height = height;
}

void TRNDrawLines::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw ERichNoteError("Draw item index is out of bounds");
    }
}

void TRNDrawLines::CheckShiftStart(int first) const {
    if (first < 0 || first > Count()) {
        throw ERichNoteError("Draw item index is out of bounds");
    }
    if (markedCount_ > 0 && firstMarked_ + markedCount_ > first) {
        throw ERichNoteError("Draw item was freed for reformatting");
    }
}

void TRNDrawLines::MoveDownFrom(int first, int dTop) {
    CheckShiftStart(first);
    const size_t count = items_.size();
    for (size_t i = static_cast<size_t>(first); i < count; ++i) {
        if (i + PrefetchAhead < count) {
            __builtin_prefetch(items_[i + PrefetchAhead].get(), 1);
        }
        items_[i]->Top += dTop;
    }
}

TRNDrawLineInfo* TRNDrawLines::Get(int index) const {
    CheckIndex(index);
    TRNDrawLineInfo* item = items_[static_cast<size_t>(index)].get();
    if (!item) {
        throw ERichNoteError("Draw item was freed for reformatting");
    }
    return item;
}

void TRNDrawLines::Put(int index, std::unique_ptr<TRNDrawLineInfo> item) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = std::move(item);
}

void TRNDrawLines::Add(std::unique_ptr<TRNDrawLineInfo> item) {
    items_.push_back(std::move(item));
}

void TRNDrawLines::Insert(int index, std::unique_ptr<TRNDrawLineInfo> item) {
    if (index < 0 || index > Count()) {
        throw ERichNoteError("Draw item index is out of bounds");
    }
    if (markedCount_ > 0 && index >= firstMarked_ && index <= firstMarked_ + markedCount_) {
        items_[static_cast<size_t>(firstMarked_)] = std::move(item);
        ++firstMarked_;
        --markedCount_;
        return;
    }
    items_.insert(items_.begin() + index, std::move(item));
    if (markedCount_ > 0 && index < firstMarked_) {
        ++firstMarked_;
    }
}

void TRNDrawLines::MarkForDelete(int first, int last) {
    DeleteMarked();
    if (last < first) {
        return;
    }
    CheckIndex(first);
    CheckIndex(last);
    for (int i = first; i <= last; ++i) {
        items_[static_cast<size_t>(i)].reset();
    }
    firstMarked_ = first;
    markedCount_ = last - first + 1;
}

void TRNDrawLines::DeleteMarked() {
    if (markedCount_ > 0) {
        DeleteRange(firstMarked_, firstMarked_ + markedCount_ - 1);
    }
    firstMarked_ = -1;
    markedCount_ = 0;
}

void TRNDrawLines::DeleteRange(int first, int last) {
    if (last < first) {
        return;
    }
    CheckIndex(first);
    CheckIndex(last);
    items_.erase(items_.begin() + first, items_.begin() + last + 1);
}

void TRNDrawLines::Clear() {
    items_.clear();
    firstMarked_ = -1;
    markedCount_ = 0;
}

std::string TRNDrawLines::GetString(int index, const TCustomRNData& data) const {
    const TRNDrawLineInfo* d = Get(index);
    return RNU_Copy(data.GetItemText(d->ItemNo), d->Offs, d->Length,
                    data.GetItemOptions(d->ItemNo));
}

std::string TRNDrawLines::GetRightString(int index, const TCustomRNData& data, int from) const {
    const TRNDrawLineInfo* d = Get(index);
    return RNU_Copy(data.GetItemText(d->ItemNo), d->Offs + from - 1, d->Length - from + 1,
                    data.GetItemOptions(d->ItemNo));
}

std::string TRNDrawLines::GetSubString(int index, const TCustomRNData& data, int from,
                                       int len) const {
    const TRNDrawLineInfo* d = Get(index);
    len = std::min(len, d->Length + 1 - from);
    if (len <= 0) {
        return {};
    }
    return RNU_Copy(data.GetItemText(d->ItemNo), d->Offs + from - 1, len,
                    data.GetItemOptions(d->ItemNo));
}
