#pragma once

// Undo records of table changes.

#include "richtext/view/RNUndo.h"

// A cell's integer property: the cell is found again by its position when the record is
// replayed, since the cell object may have been replaced in between.
class TRNUndoModifyCellIntProperty : public TRNUndoModifyItemIntProperty {
public:
    using TRNUndoModifyItemIntProperty::TRNUndoModifyItemIntProperty;
    int32_t Row = 0;
    int32_t Col = 0;
    void Undo(IRNUndoTarget& target) override;
    TRNUndoPropsMaker GetOppositeClass() const override;
    void SetOppositeUndoInfoProps(TRNUndoModifyItemProps& opposite) const override;
};
