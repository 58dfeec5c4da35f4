#pragma once

// Undo steps made of the edits inside table cells: what a cell editor did while it was open,
// and one step over several cells at once. Each holds the cells' own groups of records and
// replays them in an editor on the cell.

#include "richtext/model/RNClasses.h"
#include "richtext/view/RNUndo.h"

class TRNUndoCellModify : public TRNCompositeUndo {
public:
    TRNUndoCellModify(int itemNo, bool isRedo, int row, int col, int caretItemNo, int caretOffs)
        : TRNCompositeUndo(itemNo), IsRedo(isRedo), Row(row), Col(col), CaretItemNo(caretItemNo),
          CaretOffs(caretOffs) {}
    bool IsRedo;
    int32_t Row;
    int32_t Col;
    int32_t CaretItemNo;
    int32_t CaretOffs;
    // Opens the cell editor on the cell, hands it the groups and lets it replay them itself.
    void Undo(IRNUndoTarget& target) override;
};

class TRNUndoMultiCellsModify : public TRNCompositeUndo {
public:
    explicit TRNUndoMultiCellsModify(int itemNo) : TRNCompositeUndo(itemNo) {}
    bool IsRedo = false;
    // For each cell in turn: its position and how many groups of UndoList are its own.
    TRNIntegerList RowList;
    TRNIntegerList ColList;
    TRNIntegerList CountList;
    bool RequiresFormat() const override { return true; }
    bool RequiresFullReformat1(IRNUndoTarget& target) override;
    bool RequiresFullReformat2(IRNUndoTarget& target) override;
    void Undo(IRNUndoTarget& target) override;

private:
    int32_t MinWidthBefore = 0;
};
