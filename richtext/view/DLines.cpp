#include "richtext/view/DLines.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNUni.h"

#include <algorithm>
#include <iterator>

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

namespace {

[[noreturn]] void RaiseOutOfBounds() {
    throw ERichNoteError("Draw item index is out of bounds");
}

[[noreturn]] void RaiseFreed() {
    throw ERichNoteError("Draw item was freed for reformatting");
}

} // namespace

void TRNDrawLines::RaiseFreedSlot() {
    RaiseFreed();
}

void TRNDrawLines::CheckIndex(int index) const {
    if (index < 0 || index >= count_) {
        RaiseOutOfBounds();
    }
}

void TRNDrawLines::ComputeStarts() const {
    for (size_t b = validStarts_; b < blocks_.size(); ++b) {
        starts_[b] = b == 0 ? 0 : starts_[b - 1] + static_cast<int32_t>(blocks_[b - 1].size());
    }
    validStarts_ = blocks_.size();
}

void TRNDrawLines::InvalidateFrom(size_t block) const {
    validStarts_ = std::min(validStarts_, block);
}

TRNDrawLines::Place TRNDrawLines::Locate(int index) const {
    const size_t count = blocks_.size();
    if (index == count_) {
        return {count - 1, blocks_.back().size()};
    }
    if (lastBlock_ < validStarts_) {
        const int start = starts_[lastBlock_];
        if (index >= start && static_cast<size_t>(index - start) < blocks_[lastBlock_].size()) {
            return {lastBlock_, static_cast<size_t>(index - start)};
        }
    }
    if (validStarts_ < count &&
        (validStarts_ == 0 ||
         index >=
             starts_[validStarts_ - 1] + static_cast<int32_t>(blocks_[validStarts_ - 1].size()))) {
        ComputeStarts();
    }
    const auto valid = starts_.begin() + static_cast<std::ptrdiff_t>(validStarts_);
    const size_t b =
        static_cast<size_t>(std::upper_bound(starts_.begin(), valid, index) - starts_.begin()) - 1;
    lastBlock_ = b;
    return {b, static_cast<size_t>(index - starts_[b])};
}

void TRNDrawLines::Settle(size_t block) const {
    const int32_t dTop = pendingTop_[block];
    const int32_t dItemNo = pendingItemNo_[block];
    if (dTop == 0 && dItemNo == 0) {
        return;
    }
    const Slots& run = blocks_[block];
    const size_t count = run.size();
    for (size_t i = 0; i < count; ++i) {
        // The pieces live apart on the heap: ask for one well ahead so that its cache line
        // is on its way by the time the loop gets there.
        if (i + 16 < count) {
            __builtin_prefetch(run[i + 16].get(), 1);
        }
        if (TRNDrawLineInfo* d = run[i].get()) {
            d->Top += dTop;
            d->ItemNo += dItemNo;
        }
    }
    pendingTop_[block] = 0;
    pendingItemNo_[block] = 0;
}

const std::unique_ptr<TRNDrawLineInfo>& TRNDrawLines::SlotAt(int index, size_t& block) const {
    CheckIndex(index);
    const Place p = Locate(index);
    block = p.Block;
    const std::unique_ptr<TRNDrawLineInfo>& slot = blocks_[p.Block][p.Offset];
    if (!slot) {
        RaiseFreed();
    }
    return slot;
}

TRNDrawLineInfo* TRNDrawLines::Find(int index) const {
    size_t block;
    TRNDrawLineInfo* d = SlotAt(index, block).get();
    Settle(block);
    return d;
}

int TRNDrawLines::TopAt(int index) const {
    size_t block;
    return SlotAt(index, block)->Top + pendingTop_[block];
}

int TRNDrawLines::ItemNoAt(int index) const {
    size_t block;
    return SlotAt(index, block)->ItemNo + pendingItemNo_[block];
}

void TRNDrawLines::Put(int index, std::unique_ptr<TRNDrawLineInfo> item) {
    CheckIndex(index);
    const Place p = Locate(index);
    Settle(p.Block);
    blocks_[p.Block][p.Offset] = std::move(item);
}

void TRNDrawLines::InsertBlock(size_t at, Slots run) {
    const auto pos = static_cast<std::ptrdiff_t>(at);
    const int32_t start =
        at == 0 ? 0 : starts_[at - 1] + static_cast<int32_t>(blocks_[at - 1].size());
    blocks_.insert(blocks_.begin() + pos, std::move(run));
    pendingTop_.insert(pendingTop_.begin() + pos, 0);
    pendingItemNo_.insert(pendingItemNo_.begin() + pos, 0);
    // The blocks after it keep their first indexes: only the new one needs a start.
    starts_.insert(starts_.begin() + pos, start);
    if (at <= validStarts_) {
        ++validStarts_;
    }
    if (lastBlock_ >= at && lastBlock_ + 1 < blocks_.size()) {
        ++lastBlock_;
    }
}

void TRNDrawLines::EraseBlock(size_t block) {
    const auto pos = static_cast<std::ptrdiff_t>(block);
    blocks_.erase(blocks_.begin() + pos);
    pendingTop_.erase(pendingTop_.begin() + pos);
    pendingItemNo_.erase(pendingItemNo_.begin() + pos);
    starts_.erase(starts_.begin() + pos);
    if (block < validStarts_) {
        --validStarts_;
    }
    lastBlock_ = 0;
}

void TRNDrawLines::SplitBlock(size_t block, size_t cut) {
    Slots& run = blocks_[block];
    Slots tail(std::make_move_iterator(run.begin() + static_cast<std::ptrdiff_t>(cut)),
               std::make_move_iterator(run.end()));
    run.resize(cut);
    InsertBlock(block + 1, std::move(tail));
}

void TRNDrawLines::MoveTailOut(size_t block, size_t from) {
    Slots& run = blocks_[block];
    const size_t tail = run.size() - from;
    const auto cut = run.begin() + static_cast<std::ptrdiff_t>(from);
    if (block + 1 < blocks_.size() && blocks_[block + 1].size() + tail <= MaxBlock) {
        Settle(block + 1);
        Slots& next = blocks_[block + 1];
        next.insert(next.begin(), std::make_move_iterator(cut), std::make_move_iterator(run.end()));
        run.resize(from);
        if (block + 1 < validStarts_) {
            starts_[block + 1] -= static_cast<int32_t>(tail);
        }
    } else {
        SplitBlock(block, from);
    }
}

void TRNDrawLines::Insert(int index, std::unique_ptr<TRNDrawLineInfo> item) {
    if (index < 0 || index > count_) {
        RaiseOutOfBounds();
    }
    if (markedCount_ > 0 && index >= firstMarked_ && index <= firstMarked_ + markedCount_) {
        Put(firstMarked_, std::move(item));
        ++firstMarked_;
        --markedCount_;
        return;
    }
    if (blocks_.empty()) {
        InsertBlock(0, {});
    }
    Place p;
    if (lastBlock_ < validStarts_ && !blocks_[lastBlock_].empty() &&
        index == starts_[lastBlock_] + static_cast<int32_t>(blocks_[lastBlock_].size())) {
        // Right after the block found last, where a run of insertions goes on: the starts of
        // the blocks after it, out of date since the run began, are not worked out again for
        // every line of a paste.
        p = {lastBlock_, blocks_[lastBlock_].size()};
    } else {
        p = Locate(index);
        if (p.Offset == 0 && p.Block > 0) {
            // At a seam the earlier block takes it: a run of insertions then appends there.
            --p.Block;
            p.Offset = blocks_[p.Block].size();
        }
    }
    Settle(p.Block);
    if (index == runNext_ && p.Offset > 0 && p.Offset < blocks_[p.Block].size()) {
        // The second of a run of insertions at one place (a pasted text being laid out): move
        // the slots after it out of the way once, so that the rest of the run appends.
        MoveTailOut(p.Block, p.Offset);
    }
    if (const size_t size = blocks_[p.Block].size(); size >= MaxBlock) {
        // Cut where the item goes when both parts stay reasonably full: the rest of a run of
        // insertions then appends to the first part. Else cut in the middle.
        const size_t cut =
            p.Offset >= MinBlock && size - p.Offset >= MinBlock ? p.Offset : size / 2;
        SplitBlock(p.Block, cut);
        if (p.Offset > cut) {
            ++p.Block;
            p.Offset -= cut;
        }
    }
    Slots& run = blocks_[p.Block];
    run.insert(run.begin() + static_cast<std::ptrdiff_t>(p.Offset), std::move(item));
    ++count_;
    InvalidateFrom(p.Block + 1);
    lastBlock_ = p.Block;
    runNext_ = index + 1;
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
        const Place p = Locate(i);
        blocks_[p.Block][p.Offset].reset();
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

void TRNDrawLines::JoinSmall(size_t block) {
    if (block >= blocks_.size() || blocks_[block].size() >= MinBlock) {
        return;
    }
    size_t into = block;
    size_t from = block + 1;
    if (block > 0 && blocks_[block - 1].size() + blocks_[block].size() <= MaxBlock) {
        into = block - 1;
        from = block;
    } else if (from >= blocks_.size() || blocks_[block].size() + blocks_[from].size() > MaxBlock) {
        return;
    }
    Settle(into);
    Settle(from);
    Slots& target = blocks_[into];
    Slots& source = blocks_[from];
    target.insert(target.end(), std::make_move_iterator(source.begin()),
                  std::make_move_iterator(source.end()));
    source.clear();
    // The joined block starts where `into` did; the ones after keep their starts.
    EraseBlock(from);
}

void TRNDrawLines::DeleteRange(int first, int last) {
    if (last < first) {
        return;
    }
    CheckIndex(first);
    CheckIndex(last);
    const Place p = Locate(first);
    // From here on the first indexes change: the block holding `first` keeps its own unless
    // it loses its head.
    InvalidateFrom(p.Offset > 0 ? p.Block + 1 : p.Block);
    size_t block = p.Block;
    size_t offset = p.Offset;
    size_t remaining = static_cast<size_t>(last - first) + 1;
    while (remaining > 0) {
        Slots& run = blocks_[block];
        const size_t n = std::min(remaining, run.size() - offset);
        const auto from = run.begin() + static_cast<std::ptrdiff_t>(offset);
        run.erase(from, from + static_cast<std::ptrdiff_t>(n));
        remaining -= n;
        count_ -= static_cast<int>(n);
        if (run.empty()) {
            EraseBlock(block);
        } else {
            ++block;
        }
        offset = 0;
    }
    JoinSmall(p.Block + 1);
    JoinSmall(p.Block);
    lastBlock_ = 0;
}

void TRNDrawLines::Clear() {
    blocks_.clear();
    pendingTop_.clear();
    pendingItemNo_.clear();
    starts_.clear();
    validStarts_ = 0;
    lastBlock_ = 0;
    runNext_ = -1;
    count_ = 0;
    firstMarked_ = -1;
    markedCount_ = 0;
}

void TRNDrawLines::ShiftFrom(int first, int dTop, int dItemNo) {
    if (first < 0 || first > count_) {
        RaiseOutOfBounds();
    }
    if (markedCount_ > 0 && firstMarked_ + markedCount_ > first) {
        RaiseFreed();
    }
    if (first == count_ || (dTop == 0 && dItemNo == 0)) {
        return;
    }
    const Place p = Locate(first);
    Settle(p.Block);
    const Slots& run = blocks_[p.Block];
    for (size_t i = p.Offset; i < run.size(); ++i) {
        run[i]->Top += dTop;
        run[i]->ItemNo += dItemNo;
    }
    // The blocks below take the shift when one of their items is next asked for.
    for (size_t b = p.Block + 1; b < blocks_.size(); ++b) {
        pendingTop_[b] += dTop;
        pendingItemNo_[b] += dItemNo;
    }
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
