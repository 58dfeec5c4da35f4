#pragma once

// What an item that edits itself (a table) asks of the editor document it lies in: its undo
// history, the bracket around a change of the item, the change notice and the editor
// control's consent. A document that is only shown or printed has none, so an item that finds
// no context edits without recording anything.

#include "richtext/view/RNUndo.h"

class IRNEditContext {
public:
    virtual ~IRNEditContext() = default;

    // The records and the elementary changes of the document's history.
    virtual IRNUndoTarget& UndoTarget() = 0;
    // Opens an undo step of `undoType`; false when nothing is recorded (no undo allowed).
    virtual bool BeginUndoSequence(TRNUndoType undoType) = 0;
    // The list the open step records into, null when none is open.
    virtual TRNUndoList* GetUndoList() = 0;
    // One step that gathers every record of a command on an item, and its end: a step that
    // got no record is dropped.
    virtual void BeginItemUndoGroup() = 0;
    virtual void EndItemUndoGroup() = 0;
    // Around a change of item `itemNo` that may change its size; `data` carries what the end
    // needs from the start.
    virtual void BeginItemModify(int itemNo, int& data) = 0;
    virtual void EndItemModify(int itemNo, int data) = 0;
    // Formats the document again after a change of item `itemNo` (of all of it with
    // `fullFormat`); `scroll` keeps the caret in view.
    virtual void Reformat(bool fullFormat, bool forceFormat, bool noScroll, int itemNo,
                          bool scroll) = 0;
    // Item `itemNo` changed its size outside such a bracket: the document is reformatted
    // from it, repainted and reported changed.
    virtual void ItemResized(int itemNo) = 0;
    // The document changed; `clearRedo` empties the redo list (an edit, not an undo).
    virtual void ChangeEx(bool clearRedo) = 0;
    // The editor keeps its hypertext areas only while something (an export, a cell editor
    // numbering its links on from the document's) needs them.
    virtual void BuildJumpsCoords() = 0;
    virtual void ClearJumpsCoords() = 0;
    // Whether the editor lets the document change now (it may be read-only).
    virtual bool BeforeChange() = 0;
};
