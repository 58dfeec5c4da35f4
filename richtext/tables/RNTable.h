#pragma once

// The table item: a grid of rows of cell slots, each cell a complete nested document. A merged
// area is held by its top-left (main) cell, whose spans give the area; the other slots of the
// area stay empty.

#include "platform/base/CursorNumbers.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNItem.h"
#include "richtext/model/RNStyleRects.h"
#include "richtext/tables/RNTableJournal.h"
#include "richtext/tables/RNTableUndo.h"
#include "richtext/view/RNDataList.h"
#include "richtext/view/RNInplaceEditor.h"
#include "richtext/view/RNUndo.h"

#include <cstdint>
#include <memory>
#include <string>

class TD;
class TReader;
class TWriter;

enum class TRNTableOption : uint8_t {
    rntoEditing,
    rntoRowSizing,
    rntoColSizing,
    rntoRowSelect,
    rntoColSelect,
    rntoRTFSaveCellPixelBestWidth
};
enum class TRNTablePrintOption : uint8_t { rntoHalftoneBorders, rntoRowsSplit };
enum class TRNTableBorderStyle : uint8_t {
    rntbRaised,
    rntbLowered,
    rntbColor,
    rntbRaisedColor,
    rntbLoweredColor
};
enum class TRNCellHAlign : uint8_t { rncLeft, rncCenter, rncRight };
enum class TRNCellVAlign : uint8_t { rncTop, rncMiddle, rncBottom };

// A small set over an enumeration, stored as bits in member order.
template <class E> class TRNTableSet {
public:
    constexpr TRNTableSet() = default;
    constexpr explicit TRNTableSet(uint32_t bits) : Bits_(bits) {}
    constexpr bool Contains(E e) const { return (Bits_ >> static_cast<unsigned>(e)) & 1u; }
    constexpr void Include(E e) { Bits_ |= 1u << static_cast<unsigned>(e); }
    constexpr void Exclude(E e) { Bits_ &= ~(1u << static_cast<unsigned>(e)); }
    constexpr uint32_t Bits() const { return Bits_; }
    bool operator==(const TRNTableSet&) const = default;

private:
    uint32_t Bits_ = 0;
};
using TRNTableOptions = TRNTableSet<TRNTableOption>;
using TRNTablePrintOptions = TRNTableSet<TRNTablePrintOption>;

// Above 0 a width in screen pixels, below 0 a percentage of the reference width, 0 automatic.
using TRNHTMLLength = int32_t;

inline constexpr int RNTableStyleNo = -60;
inline constexpr TRNTableOptions RNTableDefaultOptions{31};
inline constexpr TRNTablePrintOptions RNTableDefaultPrintOptions{3};

class TRNTableItemInfo;
class TRNEditRNData;
class TRNTableRows;
class TRNTableRow;

class TRNTableCellData : public TRNItemFormattedData, public IRNIntProperties {
public:
    // A cell with one empty text item of text and paragraph style 0, or with no item at all
    // when its document is about to be read in.
    explicit TRNTableCellData(TRNTableRow* row, bool withParagraph = true);

    TColor Color = clNone;
    TRNCellHAlign HAlign = TRNCellHAlign::rncLeft;
    TRNCellVAlign VAlign = TRNCellVAlign::rncTop;
    bool UseRowAlign = false;
    bool UseRowVAlign = false;
    TRNHTMLLength BestWidth = 0;
    int32_t BestHeight = 0;
    int32_t RowSpan = 1;
    int32_t ColSpan = 1;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    TRNBooleanRect VisibleBorders;
    TCustomRNData* DetachedParent = nullptr;

    TRNTableRow* GetRow() const;
    TRNTableItemInfo* GetTable() const;

    TCustomRNData* GetParentData() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    int GetAreaWidth() const override { return GetWidth(); }
    // Cells scroll with the table's last painted corner.
    int GetHOffs() const override;
    int GetVOffs() const override;
    void GetOrigin(int& x, int& y) override;
    TColor GetColor() const override { return clNone; }
    // A cell built empty for a read is cleared before its document is read in: with nothing
    // in it there is nothing to deselect or free, and no selection change to report.
    void Clear() override;

    TRNCellHAlign GetAlign() const;
    TRNCellVAlign GetVAlign() const;
    void SetAlign(TRNCellHAlign value);
    void SetVAlign(TRNCellVAlign value);
    void SetVisibleBorders(const TRNBooleanRect& value) { VisibleBorders = value; }

    int GetCellHeight() const;
    int GetMinWidth() const;
    int GetWidthInFixedTable(int tableWidth) const;
    bool HasData() const;
    bool CanClear() const;
    void AssignAttributesFrom(const TRNTableCellData& source, bool includeSize, int widthDivisor,
                              int heightDivisor);
    void MovingToUndoList();
    void MovingFromUndoList();

    // A cell's selection is the table's to report: one change of the cell selection is one
    // notice, not one per cell.
    void DoSelect() override {}
    // A control in a cell acts as an item of the table's document, under the table's number;
    // a detached cell passes it to the document it was taken from, under no number.
    void ControlAction2(TRNControlAction action, int itemNo, IEmbeddedControl& control) override;
    // Focusing an item of the cell focuses the cell in its table, and the table in its
    // document.
    void AdjustFocus(int newFocusedItemNo, TCustomRNData* topLevelRNData,
                     int topLevelItemNo) override;

    // "Color", "BestWidth" and "BestHeight" by name.
    bool GetIntProp(const std::string& name, int& value) const override;
    void SetIntProp(const std::string& name, int value) override;

private:
    int Padding() const;
};

class TRNTableRow : public TRNDataList {
public:
    TRNTableRow(int cols, TRNTableRows* rows, TCustomRNData* mainRNData,
                bool cellParagraphs = true);

    TRNCellHAlign HAlign = TRNCellHAlign::rncLeft;
    TRNCellVAlign VAlign = TRNCellVAlign::rncTop;
    TRNTableRows* Rows;

    // The slot's cell, null for an empty slot.
    TRNTableCellData* Cell(int col) const { return static_cast<TRNTableCellData*>(Get(col)); }
    TRNTableCellData* AddCell(bool withParagraph = true);
    TRNTableCellData* InsertCell(int index);
    void InsertEmpty(int index);
    // Stores `cell` into the slot and hands back what the slot held.
    std::unique_ptr<TRNTableCellData> Put(int index, std::unique_ptr<TRNTableCellData> cell);
    void InsertPointer(int index, std::unique_ptr<TRNTableCellData> cell);
    std::unique_ptr<TRNTableCellData> Take(int index);

    int GetBestHeight() const;
    int GetHeight() const;
};

class TRNTableRows : public TRNList<TRNTableRow> {
public:
    TRNTableRows(TCustomRNData* mainRNData, TRNTableItemInfo* table)
        : MainRNData(mainRNData), Table(table) {}

    TCustomRNData* MainRNData;
    TRNTableItemInfo* Table;
    // The changes of the structural edit under way, to take it back if it fails; null between
    // edits (TRNGridEdit).
    TRNGridJournal* Journal = nullptr;

    int ColCount() const { return Count() > 0 ? Get(0)->Count() : 0; }
    TRNTableCellData* Cell(int row, int col) const { return Get(row)->Cell(col); }
    // Whether (row, col) is a slot of the grid.
    bool InGrid(int row, int col) const {
        return row >= 0 && row < Count() && col >= 0 && col < Get(row)->Count();
    }
    // The cell at (row, col); null outside the grid and in a slot a merge covers.
    TRNTableCellData* CellAt(int row, int col) const {
        return InGrid(row, col) ? Cell(row, col) : nullptr;
    }
    // Without `cellParagraphs` the cells are left without items, for a read to fill.
    void Reset(int rows, int cols, bool cellParagraphs = true);
    TRNTableRow* AddRow(int cols);
    TRNTableRow* InsertRow(int index, int cols);
    void InsertPointer(int index, std::unique_ptr<TRNTableRow> row);
    // The cell covering the slot and its position; raises ERichNoteError on a grid whose
    // empty slot lies under no cell.
    TRNTableCellData* GetMainCell(int row, int col, int& mainRow, int& mainCol) const;
    // Every cell of the grid (not the slots a merge covers), row by row.
    template <class Visit> void ForEachCell(Visit visit) const {
        for (int r = 0; r < Count(); ++r) {
            const TRNTableRow& row = *Get(r);
            for (int c = 0; c < row.Count(); ++c) {
                if (TRNTableCellData* cell = row.Cell(c)) {
                    visit(*cell);
                }
            }
        }
    }

    // Grid queries used by layout and merging; each looks at the cells of the column that
    // span no further column.
    int GetMinColWidth(int col) const;
    int GetPixelColWidth(int col) const;
    int GetPercentColWidth(int col, int width) const;
    bool IsPercentWidthColumn(int col) const;
    TRNHTMLLength GetBestWidth(int topRow, int leftCol, int colCount, int rowCount) const;

    // Structural edits.
    void InsertRows(int index, int count, int copyIndex, bool divideHeights);
    void InsertCols(int index, int count, int copyIndex, bool divideWidths);
    void DeleteRows(int index, int count, bool decreaseHeight);
    void DeleteCols(int index, int count, bool decreaseWidth);
    bool StartMergeCells(int topRow, int leftCol, int& colSpan, int& rowSpan) const;
    bool CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC) const;
    void MergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC);
    void UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols);
    void UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                      bool unmergeCols);
    // Make a cell colCount columns wide (rowCount rows high) in cells; the result is the
    // number of grid columns (rows) inserted.
    int SplitCellVertically(int row, int col, int colCount);
    int SplitCellHorizontally(int row, int col, int rowCount);
    int SplitCellsVertically(int topRow, int leftCol, int colSpan, int rowSpan, int colCount);
    int SplitCellsHorizontally(int topRow, int leftCol, int colSpan, int rowSpan, int rowCount);
    bool IsEmptyRows(int row1, int col, int colCount, int count1, int row2, int count2) const;
    bool IsEmptyCols(int row, int col1, int count1, int rowCount, int col2, int count2) const;
    // Makes any grid sound: every row as wide as the widest (one slot at least), each cell's
    // area inside the grid and over no other cell (spans shortened), and a new cell in every
    // slot no cell covers. No cell is dropped.
    void MakeSound();

    // Call the cells' own moves to and from the undo list over a rectangle; the second also
    // attaches each cell to its row again.
    void MovingToUndoList(int row, int col, int colCount, int rowCount);
    void MovingFromUndoList(int row, int col, int colCount, int rowCount);

    // Primitives, each with its inverse. A primitive that removes rows or cells hands them to
    // `keep` (an undo record's list) or, with none, frees them.
    void Do_InsertRows(int index, int count);
    void Do_UnInsertRows(int index, int count);
    void Do_InsertEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_UnInsertEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_SpreadOverEmptyCells(int row, int col, int colSpan);
    void Do_UnSpreadOverEmptyCells(int row, int col, int colSpan);
    void Do_FreeEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_UnFreeEmptyCells(int row, int col, int colCount, int rowCount);
    // Records the old span itself; nothing when the value is already set.
    void Do_SetSpan(int row, int col, int value, bool isColSpan);
    void Do_SplitCellHorz(int row, int col, int newRow, bool decreaseHeight);
    void Do_UnSplitCellHorz(int row, int col, int newRow, int oldBestHeight);
    void Do_SplitCellVert(int row, int col, int newCol, bool decreaseWidth);
    void Do_UnSplitCellVert(int row, int col, int newCol, int oldBestWidth);
    void Do_DeleteRows(int index, int count, TRNList<TRNTableRow>* keep);
    void Do_UnDeleteRows(int index, TRNList<TRNTableRow>& rowList);
    // `keep` gets, row by row, the slots of the columns from the rightmost to the leftmost.
    void Do_DeleteCols(int index, int count, TRNList<TRNTableCellData>* keep);
    void Do_UnDeleteCols(int index, TRNList<TRNTableCellData>& cellList);
    void Do_ClearCells(TRNList<TRNTableCellData>* keep, const TRNIntegerList& rowList,
                       const TRNIntegerList& colList);
    void Do_UnClearCells(TRNList<TRNTableCellData>& cellList, const TRNIntegerList& rowList,
                         const TRNIntegerList& colList);
    void Do_MergeCells(int row, int col, int colSpan, int rowSpan, TRNList<TRNUndoMergeItem>* keep);
    void Do_UndoMergeCells(int row, int col, int oldColSpan, int oldRowSpan, int oldBestWidth,
                           TRNList<TRNUndoMergeItem>& mergeItems);
    void Do_UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols);
    void Do_UndoUnmergeCell(int row, int col, int oldColSpan, int oldRowSpan, int oldBestWidth,
                            int oldBestHeight);

    // The records made before the primitives: null unless the table records undo now.
    void Do_BeforeInsertRows(int index, int count);
    void Do_BeforeInsertCell(int row, int col);
    void Do_BeforeInsertEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_BeforeSpreadOverEmptyCells(int row, int col, int colSpan);
    void Do_BeforeFreeEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_BeforeSplitCellHorz(int row, int col, int newRow, bool decreaseHeight);
    void Do_BeforeSplitCellVert(int row, int col, int newCol, bool decreaseWidth);
    TRNUndoDeleteRows* Do_BeforeDeleteRows(int index, int count);
    TRNUndoDeleteCols* Do_BeforeDeleteCols(int index, int count);
    TRNUndoCellsClear* Do_BeforeClearCells(const TRNIntegerList& rowList,
                                           const TRNIntegerList& colList);
    TRNUndoMerge* Do_BeforeMergeCells(int row, int col, int colSpan, int rowSpan);
    void Do_BeforeUnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols);
    template <class T> T* Do_BeforeUndo(bool sizeMayChange);

private:
    void CheckIndex(bool valid) const;
    std::unique_ptr<TRNTableCellData> NewCell(int row);
    // A cell leaving the grid for an undo record.
    void Detach(TRNTableCellData& cell);
    // The primitive whose record was made last has made its change.
    void MarkDone() {
        if (Journal) {
            Journal->Done();
        }
    }
};

class IRNEditContext;

// Every structural edit of a table in an editor is one undoable step: the records it makes
// are enclosed between an opening and a closing item-modify record. The edit happens whole or
// not at all: one that fails is taken back, its records with it.
class TRNTableModifyBracket {
public:
    explicit TRNTableModifyBracket(TRNTableRows& rows);
    ~TRNTableModifyBracket();
    TRNTableModifyBracket(const TRNTableModifyBracket&) = delete;
    TRNTableModifyBracket& operator=(const TRNTableModifyBracket&) = delete;
    // The table's item number while it records undo, else -1.
    int ItemNo() const { return itemNo_; }

private:
    // First in, last out: it notes the opening record and takes back the closing one.
    TRNGridEdit edit_;
    IRNEditContext* data_;
    int itemNo_;
};

// The layout of one table for one device: widths exclude the cell padding; starts are the
// padding boxes' X and Y.
class TRNTableItemFormattingInfo {
public:
    explicit TRNTableItemFormattingInfo(bool createPrintCells);

    TRNIntegerList ColWidths, RowHeights, ColStarts, RowStarts;
    int32_t Width = 0;
    int32_t Height = 0;
    std::unique_ptr<TRNList<TCustomRNFormattedData>> PrintCells;

    // The printable document of a slot; null for an empty slot or one that prints nothing.
    TCustomRNFormattedData* PrintCell(int index) const {
        return PrintCells && index >= 0 && index < PrintCells->Count() ? PrintCells->Get(index)
                                                                       : nullptr;
    }

    void Clear();
    void QuickClear() { Clear(); }
};

// ---- Cell selection, the mouse and the focus among the cells --------------------------------

enum class TRNCellDirection : uint8_t { rncdLeft, rncdUp, rncdRight, rncdDown, rncdNext, rncdPrev };

// The table's cursors for selecting a whole row (the left edge) or column (the top edge).
inline constexpr TCursor crRNSelectRow = crSelectRow;
inline constexpr TCursor crRNSelectCol = crSelectCol;

// The editor a table opens over one of its cells. The table reaches it only through this
// seam; while nothing is plugged in, no cell is ever edited in place.
class IRNTableCellEditor {
public:
    virtual ~IRNTableCellEditor() = default;
    // An editor is open on the cell at EditedCellRow, EditedCellCol.
    virtual bool IsOpen() const = 0;
    // Opens the editor on a main cell; with `buildJumps` its hypertext areas are built at once.
    virtual void Open(int row, int col, bool buildJumps) = 0;
    // Closes the editor; its content and history go back into the cell.
    virtual void Close() = 0;
    // Save closes an open editor remembering its cell and the selection in it (nothing when
    // none is open); Restore reopens a saved editor, or forgets a cell that is gone since.
    // Every border drag ends with Restore, whether or not the drag changed the table.
    virtual void Save() = 0;
    virtual void Restore() = 0;
    // Gives the open editor the mouse and a press at a point of its cell (cell coordinates).
    virtual void MouseDown(int button, uint32_t shift, int x, int y) = 0;
    virtual void ClearSelection() = 0;
    // The cell selection now covers (or no longer covers) the edited cell.
    virtual void SelectCompletely(bool selected) = 0;
    // The table's top-left corner moved to (x, y) in window coordinates.
    virtual void Place(int x, int y) = 0;
    virtual bool Owns(const void* editor) const = 0;
    // Builds the editor's hypertext areas numbered from `firstJumpNo`; answers how many.
    virtual int BuildJumps(int firstJumpNo) = 0;
};

// A hidden editor inside the editor control that holds a table, lent one cell's items at a
// time to apply a style to them.
class IRNTableScratchEditor {
public:
    virtual ~IRNTableScratchEditor() = default;
    virtual TRNEditRNData& EditData() = 0;
    virtual void Format() = 0;
    // The conversion goes through the holding editor's own conversion handler.
    virtual void ApplyStyleConversion(int userData) = 0;
    virtual void ApplyParaStyle(int paraNo) = 0;
};

// The cell editor the controls plug into a table that lies on a viewer control: the seam, and
// what the table's own commands, undo steps and export ask of the open editor.
class IRNTableInplace : public IRNTableCellEditor {
public:
    // Opens the editor on the cell at (row, col) of the table, item `itemNo` of its document
    // (-1: look it up), the caret at the cell's start or end.
    virtual void Create(int itemNo, int row, int col, bool caretAtEnd, bool buildJumps) = 0;
    // Closes the editor; without `keepState` the cell takes its items back unformatted.
    virtual void Destroy(bool keepState) = 0;
    // The open editor's document and the cell it edits; null while none is open.
    virtual TRNEditRNData* EditorData() const = 0;
    virtual TRNTableCellData* EditorCell() const = 0;
    // Has the open editor undo (redo) its last step once the current replay is over.
    virtual void PostReplay(bool redo) = 0;
    // A hidden editor with the options and style sheet of the editor control that holds the
    // table; null when the table is not in an editor control.
    virtual std::unique_ptr<IRNTableScratchEditor> CreateTemporalEditor() = 0;
};

// ---- end of cell selection declarations --------------------------------------------------------

class TRNTableItemInfo : public TRNFullLineItemInfo, public IRNIntProperties {
public:
    explicit TRNTableItemInfo(TCustomRNData* rnData);
    TRNTableItemInfo(int rows, int cols, TCustomRNData* mainRNData);
    ~TRNTableItemInfo() override;

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;

    bool InsertedInData = false;
    bool InEditor = false;
    bool NeedsReformat = false;
    int32_t ItemNoCache = -1;
    int32_t PaintTop = 0;
    int32_t PaintLeft = 0;
    TRNTableRows Rows;
    int32_t CellVSpacing = 2;
    int32_t CellHSpacing = 2;
    int32_t CellPadding = 1;
    TRNHTMLLength BestWidth = 0;
    int32_t BorderWidth = 0;
    TColor BorderColor = clWindowText;
    TColor Color = clWindow;
    int32_t CellBorderWidth = 0;
    int32_t HRuleWidth = 0;
    int32_t VRuleWidth = 0;
    TColor HRuleColor = clWindowText;
    TColor CellBorderColor = clWindowText;
    TColor VRuleColor = clWindowText;
    TRNTableBorderStyle BorderStyle = TRNTableBorderStyle::rntbRaised;
    TRNTableBorderStyle CellBorderStyle = TRNTableBorderStyle::rntbLowered;
    int32_t BorderHSpacing = 2;
    int32_t BorderVSpacing = 2;
    bool HOutermostRule = false;
    bool VOutermostRule = false;
    TColor CellBorderLightColor = clBtnHighlight;
    TColor BorderLightColor = clBtnHighlight;
    int32_t SelStartCol = -1, SelStartRow = -1, SelColOffs = 0, SelRowOffs = 0;
    TRNTableOptions Options = RNTableDefaultOptions;
    TRNTablePrintOptions PrintOptions = RNTableDefaultPrintOptions;
    std::string TextRowSeparator = "\r\n";
    std::string TextColSeparator = "\r\n";
    int32_t EditedCellRow = -1, EditedCellCol = -1;
    TRNTableItemFormattingInfo FormattingInfo{false};

    // Set only while the table is laid out for a printer.
    const TRNScreenAndDevice* DeviceContext = nullptr;
    int32_t LastHitRow = -1, LastHitCol = -1;

    int GetWidth() const override { return FormattingInfo.Width; }
    int GetHeight() const override { return FormattingInfo.Height; }
    TRNTableCellData* Cells(int row, int col) const { return Rows.Cell(row, col); }
    void SetCell(int row, int col, const TRNTableCellData& source);
    void SetBestWidth(TRNHTMLLength value) { BestWidth = value; }
    void ClearTemporal();
    int GetMyItemNo();
    // The table's index in its document while it is recorded for undo, else -1.
    int GetEditorItemNo();

    // The integer, colour, enumeration, set and boolean properties by name; Options and
    // PrintOptions as their set bits.
    bool GetIntProp(const std::string& name, int& value) const override;
    void SetIntProp(const std::string& name, int value) override;
    // How a change of the named property affects the table: its size, and its width too.
    static bool GetPropertyEffect(const std::string& name, bool& affectSize, bool& affectWidth);
    static bool GetCellPropertyEffect(const std::string& name, bool& affectSize, bool& affectWidth);
    // Sets the named property, recorded for undo when the table is in an editor; the table is
    // laid out anew either way.
    void SetProperty(const std::string& name, int value, bool affectSize, bool affectWidth);
    void SetCellProperty(int itemNo, const std::string& name, int value, int row, int col,
                         bool affectSize, bool affectWidth);
    // Copies a cell's colour (and with `includeSize` its sizes, divided) into the cell at
    // (row, col); one undoable change in an editor.
    void AssignCellAttributes(int itemNo, int row, int col, const TRNTableCellData& source,
                              bool includeSize, int widthDivisor, int heightDivisor);
    // A property change replayed by the editor sets the field plainly.
    void BeforeUndoChangeProperty() override { InsertedInData = false; }
    void AfterUndoChangeProperty() override {
        InsertedInData = true;
        NeedsReformat = true;
    }
    void SetCellBestWidth(TRNHTMLLength value, int row, int col);
    void SetCellBestHeight(int value, int row, int col);
    void SetCellColor(TColor value, int row, int col);
    void SetBorderWidth(int value) { SetNamed("BorderWidth", value); }
    void SetBorderColor(TColor value) { SetNamed("BorderColor", value); }
    void SetBorderLightColor(TColor value) { SetNamed("BorderLightColor", value); }
    void SetBorderStyle(TRNTableBorderStyle value) {
        SetNamed("BorderStyle", static_cast<int>(value));
    }
    void SetBorderHSpacing(int value) { SetNamed("BorderHSpacing", value); }
    void SetBorderVSpacing(int value) { SetNamed("BorderVSpacing", value); }
    void SetCellBorderColor(TColor value) { SetNamed("CellBorderColor", value); }
    void SetCellBorderLightColor(TColor value) { SetNamed("CellBorderLightColor", value); }
    void SetCellBorderWidth(int value) { SetNamed("CellBorderWidth", value); }
    void SetCellBorderStyle(TRNTableBorderStyle value) {
        SetNamed("CellBorderStyle", static_cast<int>(value));
    }
    void SetCellHSpacing(int value) { SetNamed("CellHSpacing", value); }
    void SetCellVSpacing(int value) { SetNamed("CellVSpacing", value); }
    void SetCellPadding(int value) { SetNamed("CellPadding", value); }
    void SetColor(TColor value) { SetNamed("Color", value); }
    void SetHOutermostRule(bool value) { SetNamed("HOutermostRule", value); }
    void SetVOutermostRule(bool value) { SetNamed("VOutermostRule", value); }
    void SetHRuleColor(TColor value) { SetNamed("HRuleColor", value); }
    void SetVRuleColor(TColor value) { SetNamed("VRuleColor", value); }
    void SetHRuleWidth(int value) { SetNamed("HRuleWidth", value); }
    void SetVRuleWidth(int value) { SetNamed("VRuleWidth", value); }

    // The editor that holds the table: undo grouping, item modification, change notices.
    void InitUndo();
    void DoneUndo();
    int BeginModify(int itemNo);
    void EndModify(int itemNo, int data);
    void Change() { ChangeEx(true); }
    void ChangeEx(bool clearRedo);
    void Changed() { NeedsReformat = true; }
    // Whether the editor accepts a change now (a read-only editor refuses, with a beep).
    bool BeforeChange();
    bool CanChange() const;
    // The background a cell shows: its own, else the table's, else the document's.
    TColor GetCellColor(const TRNTableCellData& cell) const;
    void Inserted(TCustomRNData* rnData, bool flag) override;
    void MovingToUndoList(int itemNo, TCustomRNData& rnData) override;
    void MovingFromUndoList(int itemNo, TCustomRNData& rnData) override;

    // Layout (device pixels; table and cell properties are screen pixels converted here).
    int GetDevX(int x) const;
    int GetDevY(int y) const;
    // Printing lays out into the table's printing draw item, in device pixels.
    void OnDocWidthChange(int docWidth, TRNDrawLineInfo* drawLineInfo, bool printing) override;
    std::unique_ptr<TRNDrawItemBase> CreatePrintingDrawItem(TCustomRNData& rnData,
                                                            const TRNScreenAndDevice& sad) override;
    void InternalOnDocWidthChange(int docWidth, TRNTableItemFormattingInfo& info);
    // The width pass alone: the column widths and starts for a document width, the cells left
    // as they are; false when the width is the one laid out already or there is no row.
    bool LayOutColumns(int docWidth, TRNTableItemFormattingInfo& info) const;
    int GetMinWidth() const override;
    bool IsFixedWidthTable() const;
    int GetHorzExtra() const;
    // The padding, cell borders and spacing shared out between the columns.
    int ColumnsExtra() const;
    void SetColumnStarts(TRNTableItemFormattingInfo& info) const;
    void UpdateCellXCoords(TRNTableItemFormattingInfo& info);
    // The height pass, after the widths.
    void LayOutRows(TRNTableItemFormattingInfo& info);
    void UpdateCellYCoords(TRNTableItemFormattingInfo& info);
    // Formats the printable cell documents of a print layout at printer resolution.
    void FormatPrintedCells(TRNTableItemFormattingInfo& info);
    void Print(TCanvas& canvas, int x, int y, int x2, bool preview, bool correction,
               const TRNScreenAndDevice& sad, TCustomRNData& rnData, TRNDrawLineInfo* drawLineInfo,
               int part) override;

    // Painting, with the table's top-left corner at (left, top); a print layout paints the
    // rows startRow .. startRow + rowCount - 1.
    void PaintFullWidth(int left, int right, int top, TCanvas& canvas, TRNItemDrawStates state,
                        TRNStyle& style, const TRect& clipRect,
                        TRNDrawLineInfo* drawLineInfo) override;
    void PaintTo(int left, int top, int startRow, int rowCount, TCanvas& canvas,
                 TRNItemDrawStates state, TRNStyle& style, TRNTableItemFormattingInfo& info,
                 const TRect& clipRect);
    void DrawBorder(TCanvas& canvas, int left, int top, int right, int bottom, int width,
                    TColor lightColor, TColor color, TColor backColor, TRNTableBorderStyle style,
                    bool showZeroWidth, bool printing, const TRect& clipRect,
                    const TRNBooleanRect* visibleBorders) const;

    // Editing commands, each one undoable step in an editor. Those that work on the
    // selection beep through the document when there is none.
    void InsertRows(int index, int count, int copyIndex);
    void InsertCols(int index, int count, int copyIndex);
    void InsertRowsAbove(int count);
    void InsertRowsBelow(int count);
    void InsertColsLeft(int count);
    void InsertColsRight(int count);
    void DeleteRows(int index, int count, bool decreaseHeight);
    void DeleteCols(int index, int count, bool decreaseWidth);
    void DeleteSelectedRows();
    void DeleteSelectedCols();
    void DeleteEmptyRows();
    void DeleteEmptyCols();
    void SplitSelectedCellsVertically(int colCount);
    void SplitSelectedCellsHorizontally(int rowCount);
    bool CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC) const;
    bool CanMergeSelectedCells(bool allowMergeRC) const;
    void MergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC);
    void MergeSelectedCells(bool allowMergeRC);
    void UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                      bool unmergeCols);
    void UnmergeSelectedCells(bool unmergeRows, bool unmergeCols);
    // The editing commands close an open cell editor (its content stays in the cell) and
    // reopen it where the edit leaves the edited cell.
    void CloseCellEditor();
    void ReopenCellEditor(int row, int col);

    // Row bands joined by row-spanning cells: the last row of the band from `row` down, and
    // the first row of the band that holds `row`.
    int GetSplitRowBelow(int row) const;
    int GetSplitRowAbove(int row) const;

    // Look-ups on the screen layout.
    int GetColNo(int x) const;
    int GetRowNo(int y) const;
    static int GetCrossed(int coord, const TRNIntegerList& starts);
    int GetVerticalRuleNo(int x, int& prevStart, int& rulePos) const;
    int GetHorizontalRuleNo(int y, int& prevStart, int& rulePos) const;
    bool GetCellAt(int x, int y, int& row, int& col);
    bool GetCellAt_(int x, int y, int& row, int& col) const;

    // ---- Cell selection, the mouse and the focus among the cells ----------------------------
    int32_t ClientTop = 0, ClientLeft = 0;
    int32_t ResizePrevStart = 0, ResizeLimit = -1, ResizeIndex = 0, ResizeOffset = 0;
    bool ResizingColumn = false, ResizeOnlyLeft = false;
    bool CellsSelected = false;
    // Mouse events are ignored while the table is being exported.
    int32_t ExportLevel = 0;
    int32_t FocusedRow = -1, FocusedCol = -1;
    bool MouseSelecting = false;
    // The cell editor's seam; null: no cell is edited in place.
    IRNTableCellEditor* CellEditor = nullptr;
    // What the document calls to draw the guide line of a border drag.
    struct TResizeGuide final : IRNXorFigure {
        explicit TResizeGuide(TRNTableItemInfo& table) : Table(table) {}
        TRNTableItemInfo& Table;
        void DrawXor(TCustomRNFormattedData& sender, uint32_t shift, int x, int y) override {
            Table.XorDrawing(sender, shift, x, y);
        }
    } ResizeGuide{*this};

    bool EditorOpen() const { return CellEditor && CellEditor->IsOpen(); }
    void AdjustInserted(int x, int y, bool reformat) override;

    void Select(int startRow, int startCol, int rowOffs, int colOffs);
    void SelectRows(int startRow, int count);
    void SelectCols(int startCol, int count);
    void Deselect();
    void DeselectPartial() override { Deselect(); }
    bool PartiallySelected() const override { return CellsSelected; }
    bool GetSelectionBounds(int& startRow, int& startCol, int& rowOffs, int& colOffs) const;
    bool GetNormalizedSelectionBounds(bool includeEditedCell, int& topRow, int& leftCol,
                                      int& colSpan, int& rowSpan) const;
    bool IsCellSelected(int row, int col) const;
    void UpdateCellSel();
    bool StartSelecting(int row, int col);

    // Points are relative to the table's top-left corner.
    bool MouseDown(int button, uint32_t shift, int x, int y, int itemNo,
                   TCustomRNData& rnData) override;
    bool MouseMove(uint32_t shift, int x, int y, int itemNo, TCustomRNData& rnData) override;
    bool MouseUp(int button, uint32_t shift, int x, int y, int itemNo,
                 TCustomRNData& rnData) override;
    // The resize guide line, drawn by inverting: a second call at the same point erases it.
    void XorDrawing(TCustomRNFormattedData& sender, uint32_t shift, int x, int y);
    // The end of a border drag at the mouse's x (y): the new widths (heights) as one undo step.
    void ResizeColumn(int x, int itemNo);
    void ResizeRow(int y, int itemNo);

    // The main cell next to a main cell; false (and a beep unless `quiet`) at the grid's edge.
    bool GetCellTo(int row, int col, TRNCellDirection direction, int& newRow, int& newCol,
                   bool quiet);
    bool MoveFocus(bool goForward, TCustomRNData*& topData, int& topItemNo) override;
    void ClearFocus() override;
    bool AdjustFocusToControl(IEmbeddedControl* control, TCustomRNData*& topData,
                              int& topItemNo) override;
    void AdjustFocus(int row, int col, TCustomRNData* topData, int topItemNo);
    void ValidateFocused();
    void GetCellPositon(const TRNTableCellData* cell, int& row, int& col) const;
    bool OwnsControl(const IEmbeddedControl* control) const override;
    bool GetCellWhichOwnsControl(const IEmbeddedControl* control, int& row, int& col,
                                 int& itemNo) const;
    bool OwnsInplaceEditor(const void* editor) const override;
    void BuildJumps(int left, int top, int& startJumpNo, TRNList<TRNJumpInfo>& jumps) override;
    // ---- end of cell selection members --------------------------------------------------------

    // Stored forms. RNF keeps the table as a component stream: its properties, the grid with
    // the spans of merged cells, and every cell's document as nested RNF.
    void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                 const std::string& name) override;
    bool ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType, int lineNo,
                     int lineCount, std::string& name, TRNFReadMode& readMode,
                     TRNFReadState& readState) override;
    // The "TPF0" component stream alone; LoadFromStream raises EReadError (or another
    // exception of the cell documents) on a damaged stream and keeps what it read before.
    void SaveToStream(TStream& stream);
    void LoadFromStream(TStream& stream);
    // The value of the grid property: counts, then per cell its spans and its component,
    // written and read through the stream wrapper's cell component.
    void CellsWriter(TWriter& writer, TD& cellWrapper);
    void CellsReader(TReader& reader, TD& cellWrapper);
    void FillRTFColorTable(TRNColorList& colorList) override;
    void SaveRTF(TStream& stream, TCustomRNData& rnData, int itemNo, const std::string& name,
                 double twipsPerPixel, int level, TRNColorList& colorList,
                 TRNIntegerList* styleToFont, TRNIntegerList* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo, std::string_view text,
                    const std::string& path, const std::string& imagesPrefix, int& imageSaveNo,
                    TColor currentFileColor, bool overrideImages, bool useCSS,
                    TRNList<TRNHTMLBulletInfo>& bullets) override;
    std::string AsText(int lineWidth, TCustomRNData& rnData, std::string_view text,
                       const std::string& path, bool textOnly, bool unicode) override;
    // The same with each cell's text as a spreadsheet writes a field: quoted where it holds a
    // line break, a tab or a double quote.
    std::string AsSpreadsheetText(int lineWidth, TCustomRNData& rnData, const std::string& path,
                                  bool textOnly, bool unicode);
    // Printed and exported as itself: never as a bitmap, always in text, in UTF-16 when asked.
    bool GetBoolValue(TRNItemBoolProperty prop) const override;

    // ---- The cell editor ----------------------------------------------------------------------
    // What SaveInplace keeps of a closed editor to open it again: the cell and the selection.
    struct TRNTableInplaceParamStorage {
        bool Stored = false;
        int32_t StartItemNo = 0, StartItemOffs = 0, EndItemNo = 0, EndItemOffs = 0;
        int32_t Row = -1, Col = -1;
        TCustomRNItemInfo* PartialSelectedItem = nullptr;
    };
    // Set by the cell editor while it is open; the controls that open it reach it as their
    // control (CellEditorOf).
    IRNInplaceEditor* InplaceEditor = nullptr;
    TRNTableInplaceParamStorage InplaceStorage;
    // The minimal widths of the table in its document and of the editor's document, measured
    // when the editor last changed them.
    int32_t EditorItemMinWidth = 0;
    int32_t EditorDocMinWidth = 0;
    bool InEditorResize = false;

    // The editor's side of these is the controls' cell editor; without one (a table that is
    // only formatted, printed or stored) they do nothing.
    void CreateInplace(int itemNo, int row, int col, bool caretAtEnd, bool buildJumps);
    void DestroyInplace(bool keepState);
    IRNInplaceEditor* GetEditedCell(int& row, int& col) const;
    // Raises ERNTableInplaceError while the user selects cells with the mouse in the editor.
    void SaveInplace();
    void RestoreInplace();
    static void StoreRNSelection(TCustomRNFormattedData& rnData, TRNTableInplaceParamStorage& s);
    static void RestoreRNSelection(TCustomRNFormattedData& rnData,
                                   const TRNTableInplaceParamStorage& s);
    // The open cell editor's document and the cell it edits; null while none is open.
    TRNEditRNData* InplaceEditorData() const;
    TRNTableCellData* InplaceEditorCell() const;
    // The editor's document while it edits `cell`, else null.
    const TCustomRNFormattedData* InplaceDocOf(const TRNTableCellData* cell) const;
    // Plugs the cell editor in when the table's document lies on a viewer control.
    void PlugCellEditor();

    // Makes the cell editor of a new table; set by the controls library when it is linked in.
    using TInplaceFactory = std::unique_ptr<IRNTableInplace> (*)(TRNTableItemInfo& table);
    static TInplaceFactory InplaceFactory;
    std::unique_ptr<IRNTableInplace> InplaceSeam;
    // ---- end of cell editor members ----------------------------------------------------------

    // ---- Styles and clearing over the selected cells, export, entering the table ---------------
    // Mode 0 converts the text styles through the editor's conversion handler, mode 1 applies
    // paragraph style `value`; every selected cell in turn, one undo step for the cells that
    // changed.
    void ApplyToPartiallySelected(int mode, int value);
    void ApplyStyleConversionToPartiallySelected(int userData) override {
        ApplyToPartiallySelected(0, userData);
    }
    // The style of the first text in the first selected cell, row by row.
    int PartiallySelectedTextStyle() const override;
    void ApplyParaStyleToPartiallySelected(int paraNo) override {
        ApplyToPartiallySelected(1, paraNo);
    }
    bool CanDeletePartiallySelected() const override;
    // Empties the selected cells.
    void DeletePartiallySelected() override;
    // The selected rectangle as a table of its own for `rnData`: the cells' documents, spans
    // and the table's properties as the table stores them; null without selected cells. A
    // merged cell the selection touches comes whole, the rectangle grown to hold it, and the
    // cells it grew by come empty.
    std::unique_ptr<TCustomRNItemInfo> CopyPartiallySelected(TCustomRNData& rnData) override;
    // That table as text: a tab between the cells of a row, a line break between rows; a slot
    // covered by a merged cell is empty.
    std::string PartiallySelectedText(TCustomRNData& rnData, bool unicode) override;
    // A hidden editor inside the editor that holds the table, with its options and style sheet;
    // null when the table is not in an editor control.
    std::unique_ptr<IRNTableScratchEditor> CreateTemporalEditor();
    // While exported, every cell's document is exported too, the edited one with what its
    // editor shows.
    void StartExport() override;
    void EndExport() override;
    // The caret enters the table: from the start the editor opens on the first cell, else on
    // the last one with the caret at its end. False when no editor opened.
    bool EnterItem(int fromStart) override;
    void EditCell(int row, int col);
    // ---- end of styles, clearing and export over cells
    // -------------------------------------------

private:
    void Init(int rows, int cols);
    // The document that holds the table forgets the guide line and the mouse capture it holds
    // for it.
    void ReleaseDocumentHooks();
    // How many InitUndo calls turned the editor's undo grouping on.
    int undoGroupDepth_ = 0;
    void SetNamed(const char* name, int value);
};

template <class T> T* TRNTableRows::Do_BeforeUndo(bool sizeMayChange) {
    T* record = nullptr;
    if (Table && Table->InsertedInData && Table->InEditor) {
        record = AddTableUndo<T>(MainRNData, Table->GetMyItemNo(), true, sizeMayChange);
    }
    // An edit under way notes every change, and keeps what it removes until it is done also
    // when no undo list does.
    if (Journal) {
        std::unique_ptr<T> owned;
        if (!record) {
            owned = std::make_unique<T>(-1, true, sizeMayChange);
            record = owned.get();
        }
        Journal->Add(*record, std::move(owned));
    }
    return record;
}

// The changes made while it lives are one undo group of the table's editor: InitUndo now,
// DoneUndo on every way out.
class TRNTableUndoGroup {
public:
    explicit TRNTableUndoGroup(TRNTableItemInfo& table) : table_(table) { table_.InitUndo(); }
    ~TRNTableUndoGroup() { table_.DoneUndo(); }
    TRNTableUndoGroup(const TRNTableUndoGroup&) = delete;
    TRNTableUndoGroup& operator=(const TRNTableUndoGroup&) = delete;

private:
    TRNTableItemInfo& table_;
};

// Makes the table known to the item registry under style -60; run once from the library's
// initialisation.
void RegisterTableItemClass();
