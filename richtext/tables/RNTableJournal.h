#pragma once

// A structural edit of a table's grid happens whole or not at all. While one runs, every change
// it makes is noted with what takes it back: the edit's own grid records (those of the undo
// list while the table records undo, otherwise records kept here for the time of the edit) and
// the attributes cells had before they were set. An edit that fails on the way is taken back,
// newest change first, and whatever it recorded leaves the undo list again.

#include "platform/graphics/Color.h"
#include "richtext/model/RNStyleRects.h"

#include <cstdint>
#include <memory>
#include <vector>

// Runs `step(0)` to `step(count - 1)`, all or none: when a step raises, `undo` takes back the
// steps made before it, newest first, and that first failure is raised. A step that cannot be
// taken back is passed over.
template <class N, class Step, class Undo> void AllOrNone(N count, Step step, Undo undo) {
    N done = 0;
    try {
        for (; done < count; ++done) {
            step(done);
        }
    } catch (...) {
        while (done-- > 0) {
            try {
                undo(done);
            } catch (...) {
                // The first failure is the one raised.
            }
        }
        throw;
    }
}

class TCustomRNUndoTableGrid;
class TRNTableRows;
class TRNUndoInfos;
class TRNUndoList;

class TRNGridJournal {
public:
    explicit TRNGridJournal(TRNTableRows& rows);
    ~TRNGridJournal();
    TRNGridJournal(const TRNGridJournal&) = delete;
    TRNGridJournal& operator=(const TRNGridJournal&) = delete;

    // The record of a change about to be made; `owned` is the record when no undo list keeps
    // it. Until Done, the change counts as not made.
    void Add(TCustomRNUndoTableGrid& record, std::unique_ptr<TCustomRNUndoTableGrid> owned);
    // The changes of the records added so far are made.
    void Done();
    // The cell at (row, col) is about to get other attributes.
    void NoteAttributes(int row, int col);
    // Takes back every change made, newest first. A change that cannot be taken back leaves
    // the grid made sound again rather than half taken back.
    void Rollback() noexcept;

private:
    struct TEntry {
        TCustomRNUndoTableGrid* Record = nullptr; // null: the attributes of a cell
        bool Done = false;
        int32_t Row = 0, Col = 0;
        TColor Color = clNone;
        TRNBooleanRect VisibleBorders;
        int32_t BestWidth = 0, BestHeight = 0;
    };
    void Truncate();

    TRNTableRows& rows_;
    std::vector<TEntry> entries_;
    std::vector<std::unique_ptr<TCustomRNUndoTableGrid>> owned_;
    // Where the undo list stood when the edit began: its group count and its last group with
    // that group's record count. No list: the table records nothing.
    TRNUndoList* list_ = nullptr;
    int groups_ = 0;
    TRNUndoInfos* lastGroup_ = nullptr;
    int records_ = 0;
};

// One structural edit. Every edit opens one and the edits it is made of join the outermost;
// leaving the outermost by an exception takes the whole edit back.
class TRNGridEdit {
public:
    explicit TRNGridEdit(TRNTableRows& rows);
    ~TRNGridEdit();
    TRNGridEdit(const TRNGridEdit&) = delete;
    TRNGridEdit& operator=(const TRNGridEdit&) = delete;

private:
    TRNTableRows& rows_;
    std::unique_ptr<TRNGridJournal> journal_; // only in the outermost
    int exceptions_;
};
