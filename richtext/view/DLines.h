#pragma once

// Draw items: the pieces a formatted document is cut into, each one item (or a run of one
// text item's characters) on one screen line, with its rectangle in document pixels.

#include "richtext/model/CRNData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRNDrawLineInfo : public TRNDrawItemBase {
public:
    TRNDrawLineInfo() = default;
    ~TRNDrawLineInfo() override = default;
    TRNDrawLineInfo(const TRNDrawLineInfo&) = delete;
    TRNDrawLineInfo& operator=(const TRNDrawLineInfo&) = delete;

    // Pixels justification added to the piece's width.
    int16_t JustifyExtra = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t ItemNo = 0;
    // 1-based index of the first character in the item text; 0 for other items.
    int32_t Offs = 0;
    int32_t Length = 0;
    // Extra space below the line from its line spacing; the same in every piece of the line.
    int32_t LineExtra = 0;
    bool FromNewLine = false;

    // Runs the two setters through the virtual table, so a descendant sees both; call it
    // right after construction (a constructor could not reach a descendant's override).
    void Init(int left, int top, int width, int height, int itemNo, bool fromNewLine) {
        SetData(left, top, itemNo, fromNewLine);
        SetSize(width, height);
    }
    virtual void SetData(int left, int top, int itemNo, bool fromNewLine);
    virtual void SetSize(int width, int height);

    // Page splitting: only draw items that can be cut across pages answer true.
    virtual bool InitSplit() { return false; }
    virtual bool CanSplitFirst(int /*y*/) { return false; }
    virtual bool SplitAt(int /*y*/) { return false; }
};

// A new draw item of class T, initialised through its setters.
template <class T = TRNDrawLineInfo>
std::unique_ptr<T> RN_NewDrawItem(int left, int top, int width, int height, int itemNo,
                                  bool fromNewLine) {
    auto item = std::make_unique<T>();
    item->Init(left, top, width, height, itemNo, fromNewLine);
    return item;
}

// The draw items of a document in document order. Reformatting a paragraph marks its old
// draw items, inserts the new ones over the marked slots and drops what is left, so the
// indexes outside the paragraph do not move unless its line count changes.
//
// A long document holds hundreds of thousands of draw items, and a paragraph that gains a
// line moves every one below it. So the list is cut into blocks of a few hundred slots: an
// insertion moves only the slots of its block, and a shift of the items below is noted on
// each later block and written into its items the first time one of them is handed out.
// `Get` therefore always returns an item with its true `Top` and `ItemNo`; a pointer kept
// across a later shift sees that shift only once its block is reached through `Get` again.
class TRNDrawLines {
    using Slots = std::vector<std::unique_ptr<TRNDrawLineInfo>>;

public:
    TRNDrawLines() = default;
    TRNDrawLines(const TRNDrawLines&) = delete;
    TRNDrawLines& operator=(const TRNDrawLines&) = delete;

    int Count() const { return count_; }
    // A slot marked and not yet reused holds nothing: reaching it raises ERichNoteError.
    TRNDrawLineInfo* Get(int index) const {
        // Most callers walk neighbouring indexes: the block found last usually holds this one.
        if (lastBlock_ < validStarts_) {
            const auto offset =
                static_cast<size_t>(static_cast<unsigned>(index - starts_[lastBlock_]));
            const Slots& run = blocks_[lastBlock_];
            if (offset < run.size() && pendingTop_[lastBlock_] == 0 &&
                pendingItemNo_[lastBlock_] == 0 && run[offset]) {
                return run[offset].get();
            }
        }
        return Find(index);
    }
    TRNDrawLineInfo* operator[](int index) const { return Get(index); }
    // `Top` and `ItemNo` of one draw item without bringing its whole block up to date: for
    // searches that look at a few items spread over the list.
    int TopAt(int index) const;
    int ItemNoAt(int index) const;
    void Put(int index, std::unique_ptr<TRNDrawLineInfo> item);
    void Add(std::unique_ptr<TRNDrawLineInfo> item) { Insert(count_, std::move(item)); }
    // Inside or at either end of the marked range the item takes the first marked slot
    // (live items keep their order, as every slot between them is empty); elsewhere it is
    // inserted and the marked range moves with the slots after it.
    void Insert(int index, std::unique_ptr<TRNDrawLineInfo> item);
    // Frees the draw items first..last and keeps their slots for reuse.
    void MarkForDelete(int first, int last);
    void DeleteMarked();
    void DeleteRange(int first, int last);
    void Clear();
    // Moves the draw items from `first` on down by `dTop` and renumbers their items by
    // `dItemNo`. No slot from `first` on may be marked.
    void ShiftFrom(int first, int dTop, int dItemNo);
    // The same with no renumbering: only the tops move.
    void MoveDownFrom(int first, int dTop) { ShiftFrom(first, dTop, 0); }
    // Calls f(index, item) for every draw item in order: a walk over the whole list without
    // finding each index anew.
    template <class F> void ForEach(F&& f) const {
        int index = 0;
        for (size_t b = 0; b < blocks_.size(); ++b) {
            Settle(b);
            for (const auto& slot : blocks_[b]) {
                if (!slot) {
                    RaiseFreedSlot();
                }
                f(index++, *slot);
            }
        }
    }
    int FirstMarked() const { return firstMarked_; }
    int MarkedCount() const { return markedCount_; }

    // The characters a text draw item shows; positions and counts are characters of the
    // item (UTF-16 units in a Unicode item).
    std::string GetString(int index, const TCustomRNData& data) const;
    std::string GetRightString(int index, const TCustomRNData& data, int from) const;
    std::string GetSubString(int index, const TCustomRNData& data, int from, int len) const;

private:
    // A block grows to MaxBlock slots and is then cut in two; a block left small by a
    // deletion joins a neighbour when both fit in one.
    static constexpr size_t MaxBlock = 512;
    static constexpr size_t MinBlock = MaxBlock / 4;

    struct Place {
        size_t Block;
        size_t Offset;
    };
    // The block and slot of `index` (0 .. Count() - 1); Count() gives one past the last slot.
    Place Locate(int index) const;
    void CheckIndex(int index) const;
    TRNDrawLineInfo* Find(int index) const;
    [[noreturn]] static void RaiseFreedSlot();
    // Writes a block's pending shift into its items.
    void Settle(size_t block) const;
    // Brings the first indexes of all blocks up to date.
    void ComputeStarts() const;
    void InvalidateFrom(size_t block) const;
    void SplitBlock(size_t block, size_t cut);
    // Moves the slots of `block` from `from` on to the start of the next block, or to a
    // block of their own when they do not fit there.
    void MoveTailOut(size_t block, size_t from);
    void InsertBlock(size_t at, Slots run);
    void EraseBlock(size_t block);
    void JoinSmall(size_t block);
    const std::unique_ptr<TRNDrawLineInfo>& SlotAt(int index, size_t& block) const;

    std::vector<Slots> blocks_;
    // Per block: shifts not yet written into its items, and its first index (valid for the
    // blocks before validStarts_).
    mutable std::vector<int32_t> pendingTop_;
    mutable std::vector<int32_t> pendingItemNo_;
    mutable std::vector<int32_t> starts_;
    mutable size_t validStarts_ = 0;
    // The block found last, for the runs of neighbouring indexes most callers make.
    mutable size_t lastBlock_ = 0;
    // The index right after the last insertion: one more there continues a run.
    int runNext_ = -1;
    int count_ = 0;
    int firstMarked_ = -1;
    int markedCount_ = 0;
};
