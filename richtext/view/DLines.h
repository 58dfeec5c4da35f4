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
class TRNDrawLines {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // A slot marked and not yet reused holds nothing: reaching it raises ERichNoteError.
    TRNDrawLineInfo* Get(int index) const;
    TRNDrawLineInfo* operator[](int index) const { return Get(index); }
    void Put(int index, std::unique_ptr<TRNDrawLineInfo> item);
    void Add(std::unique_ptr<TRNDrawLineInfo> item);
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
    // `dItemNo`, calling firstOfItem(index, itemNo) for every piece whose item differs from
    // the piece before (`prevItemNo` stands for the piece before `first`). A line added or
    // removed moves everything below it, so this is one tight pass over the slots with no
    // per-item checks; no slot from `first` on may be marked.
    template <class F>
    void ShiftFrom(int first, int dTop, int dItemNo, int prevItemNo, F&& firstOfItem) {
        CheckShiftStart(first);
        const size_t count = items_.size();
        for (size_t i = static_cast<size_t>(first); i < count; ++i) {
            // The pieces live apart on the heap: ask for one well ahead so that its cache
            // line is on its way by the time the loop gets there.
            if (i + PrefetchAhead < count) {
                __builtin_prefetch(items_[i + PrefetchAhead].get(), 1);
            }
            TRNDrawLineInfo& d = *items_[i];
            d.Top += dTop;
            d.ItemNo += dItemNo;
            if (d.ItemNo != prevItemNo) {
                prevItemNo = d.ItemNo;
                firstOfItem(static_cast<int>(i), prevItemNo);
            }
        }
    }
    // The same with no renumbering: only the tops move.
    void MoveDownFrom(int first, int dTop);
    int FirstMarked() const { return firstMarked_; }
    int MarkedCount() const { return markedCount_; }

    // The characters a text draw item shows; positions and counts are characters of the
    // item (UTF-16 units in a Unicode item).
    std::string GetString(int index, const TCustomRNData& data) const;
    std::string GetRightString(int index, const TCustomRNData& data, int from) const;
    std::string GetSubString(int index, const TCustomRNData& data, int from, int len) const;

private:
    static constexpr size_t PrefetchAhead = 16;
    void CheckIndex(int index) const;
    void CheckShiftStart(int first) const;
    std::vector<std::unique_ptr<TRNDrawLineInfo>> items_;
    int firstMarked_ = -1;
    int markedCount_ = 0;
};
