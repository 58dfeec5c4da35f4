#pragma once

// Undo records of table changes. A grid record names its table by item number and replays
// either the primitive or its inverse, depending on its direction flag; while replaying it
// pushes the same record with the flag flipped into the list being filled (the redo list
// during an undo), so undo and redo are one path. Rows and cells a record keeps are detached
// from the grid and belong to the record until they go back.

#include "richtext/model/RNClasses.h"
#include "richtext/view/RNUndo.h"

#include <memory>

class TRNTableItemInfo;
class TRNTableRows;
class TRNTableRow;
class TRNTableCellData;

// Appends a new record of the given class to the document's current undo list; null (and no
// record) when the document records nothing now. `needsFormat` and `sizeMayChange` tell how
// much of the document is laid out again after a replay.
TRNUndoModifyItemProps* AddTableUndoInfo(TCustomRNData* mainRNData, TRNUndoPropsMaker recordClass,
                                         int itemNo, bool needsFormat, bool sizeMayChange);
template <class T>
T* AddTableUndo(TCustomRNData* mainRNData, int itemNo, bool needsFormat, bool sizeMayChange) {
    return static_cast<T*>(
        AddTableUndoInfo(mainRNData, &MakeUndoProps<T>, itemNo, needsFormat, sizeMayChange));
}

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

class TRNUndoModifyCellIntProperties : public TRNUndoModifyItemIntProperties {
public:
    using TRNUndoModifyItemIntProperties::TRNUndoModifyItemIntProperties;
    int32_t Row = 0;
    int32_t Col = 0;
    void Undo(IRNUndoTarget& target) override;
    TRNUndoPropsMaker GetOppositeClass() const override;
    void SetOppositeUndoInfoProps(TRNUndoModifyItemProps& opposite) const override;
};

// The common replay of the grid records.
class TCustomRNUndoTableGrid : public TRNUndoModifyItemProps {
public:
    using TRNUndoModifyItemProps::TRNUndoModifyItemProps;
    bool RequiresFormat() const override { return true; }
    void Undo(IRNUndoTarget& target) final;
    // Takes the change back on the grid itself, recording nothing: a structural edit that
    // failed half-way.
    void Revert(TRNTableRows& rows) { Perform(rows, nullptr); }

protected:
    // Copies the fields into a fresh opposite record of the same class, direction flipped.
    virtual void FillOpposite(TCustomRNUndoTableGrid& opposite) const = 0;
    // The primitive (direction true) or its inverse; `opposite` keeps what is removed.
    virtual void Perform(TRNTableRows& rows, TCustomRNUndoTableGrid* opposite) = 0;
};

template <class Self> class TRNUndoTableGridOf : public TCustomRNUndoTableGrid {
public:
    using TCustomRNUndoTableGrid::TCustomRNUndoTableGrid;
    TRNUndoPropsMaker GetOppositeClass() const override { return &MakeUndoProps<Self>; }

protected:
    void FillOpposite(TCustomRNUndoTableGrid& opposite) const override {
        static_cast<Self&>(opposite).CopyFlipped(static_cast<const Self&>(*this));
    }
    void Perform(TRNTableRows& rows, TCustomRNUndoTableGrid* opposite) override {
        static_cast<Self*>(this)->Replay(rows, static_cast<Self*>(opposite));
    }
};

class TRNUndoInsertTableRows : public TRNUndoTableGridOf<TRNUndoInsertTableRows> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    int32_t Row = 0, Count = 0;
    bool Insert = false;
    void CopyFlipped(const TRNUndoInsertTableRows& o);
    void Replay(TRNTableRows& rows, TRNUndoInsertTableRows* opposite);
};

class TRNUndoInsertTableCell : public TRNUndoTableGridOf<TRNUndoInsertTableCell> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    int32_t Row = 0, Col = 0;
    bool Insert = false;
    void CopyFlipped(const TRNUndoInsertTableCell& o);
    void Replay(TRNTableRows& rows, TRNUndoInsertTableCell* opposite);
};

class TRNUndoSpreadOverEmptyCells : public TRNUndoTableGridOf<TRNUndoSpreadOverEmptyCells> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    int32_t Row = 0, Col = 0, ColSpan = 0;
    bool Spread = false;
    void CopyFlipped(const TRNUndoSpreadOverEmptyCells& o);
    void Replay(TRNTableRows& rows, TRNUndoSpreadOverEmptyCells* opposite);
};

class TRNUndoSpan : public TRNUndoTableGridOf<TRNUndoSpan> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool IsColSpan = false;
    int32_t Row = 0, Col = 0, OldValue = 0;
    void CopyFlipped(const TRNUndoSpan& o);
    void Replay(TRNTableRows& rows, TRNUndoSpan* opposite);
};

class TRNUndoFreeEmptyCell : public TRNUndoTableGridOf<TRNUndoFreeEmptyCell> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Free = false;
    int32_t Row = 0, Col = 0, ColCount = 0, RowCount = 0;
    void CopyFlipped(const TRNUndoFreeEmptyCell& o);
    void Replay(TRNTableRows& rows, TRNUndoFreeEmptyCell* opposite);
};

class TRNUndoInsertEmptyCell : public TRNUndoTableGridOf<TRNUndoInsertEmptyCell> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Insert = false;
    int32_t Row = 0, Col = 0, ColCount = 0, RowCount = 0;
    void CopyFlipped(const TRNUndoInsertEmptyCell& o);
    void Replay(TRNTableRows& rows, TRNUndoInsertEmptyCell* opposite);
};

class TRNUndoCellSpitHorz : public TRNUndoTableGridOf<TRNUndoCellSpitHorz> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Split = false, DecreaseHeight = false;
    int32_t Row = 0, Col = 0, NewRow = 0, OldBestHeight = 0;
    void CopyFlipped(const TRNUndoCellSpitHorz& o);
    void Replay(TRNTableRows& rows, TRNUndoCellSpitHorz* opposite);
};

class TRNUndoCellSpitVert : public TRNUndoTableGridOf<TRNUndoCellSpitVert> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Split = false, DecreaseWidth = false;
    int32_t Row = 0, Col = 0, NewCol = 0, OldBestWidth = 0;
    void CopyFlipped(const TRNUndoCellSpitVert& o);
    void Replay(TRNTableRows& rows, TRNUndoCellSpitVert* opposite);
};

class TRNUndoDeleteRows : public TRNUndoTableGridOf<TRNUndoDeleteRows> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Delete = false;
    int32_t Row = 0, Count = 0;
    TRNList<TRNTableRow> RowList;
    void CopyFlipped(const TRNUndoDeleteRows& o);
    void Replay(TRNTableRows& rows, TRNUndoDeleteRows* opposite);
    void ChangeRNData(TCustomRNData* rnData, bool flag) override;
};

// Records that keep detached cells (null entries stand for empty slots).
class TCustomRNUndoWithCells {
public:
    bool Delete = false;
    TRNList<TRNTableCellData> CellList;
    void ChangeCellsRNData(TCustomRNData* rnData, bool flag);
};

class TRNUndoDeleteCols : public TRNUndoTableGridOf<TRNUndoDeleteCols>,
                          public TCustomRNUndoWithCells {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    int32_t Col = 0, Count = 0;
    void CopyFlipped(const TRNUndoDeleteCols& o);
    void Replay(TRNTableRows& rows, TRNUndoDeleteCols* opposite);
    void ChangeRNData(TCustomRNData* rnData, bool flag) override {
        ChangeCellsRNData(rnData, flag);
    }
};

class TRNUndoCellsClear : public TRNUndoTableGridOf<TRNUndoCellsClear>,
                          public TCustomRNUndoWithCells {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    TRNIntegerList RowList, ColList;
    void CopyFlipped(const TRNUndoCellsClear& o);
    void Replay(TRNTableRows& rows, TRNUndoCellsClear* opposite);
    void ChangeRNData(TCustomRNData* rnData, bool flag) override {
        ChangeCellsRNData(rnData, flag);
    }
};

// A cell merged away and how many items it gave the top-left cell.
class TRNUndoMergeItem {
public:
    int32_t Row = 0, Col = 0, ItemCount = 0;
    std::unique_ptr<TRNTableCellData> Cell;
};

class TRNUndoMerge : public TRNUndoTableGridOf<TRNUndoMerge> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Merge = false;
    int32_t Row = 0, Col = 0, OldColSpan = 0, OldRowSpan = 0, ColSpan = 0, RowSpan = 0;
    int32_t OldBestWidth = 0;
    TRNList<TRNUndoMergeItem> MergeItems;
    void CopyFlipped(const TRNUndoMerge& o);
    void Replay(TRNTableRows& rows, TRNUndoMerge* opposite);
    void ChangeRNData(TCustomRNData* rnData, bool flag) override;
};

class TRNUndoUnmerge : public TRNUndoTableGridOf<TRNUndoUnmerge> {
public:
    using TRNUndoTableGridOf::TRNUndoTableGridOf;
    bool Unmerge = false, UnmergeCols = false, UnmergeRows = false;
    int32_t Row = 0, Col = 0, OldColSpan = 0, OldRowSpan = 0, OldBestHeight = 0, OldBestWidth = 0;
    void CopyFlipped(const TRNUndoUnmerge& o);
    void Replay(TRNTableRows& rows, TRNUndoUnmerge* opposite);
};
