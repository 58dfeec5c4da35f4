#pragma once

// The table's side of the cell editor: opening and closing the editor over a cell of a table
// that lies on a viewer control, giving its content and history back to the cell, and the
// hidden editor the table's style commands lend cells to. The controls library plugs it into
// every table it makes (TRNTableItemInfo::InplaceFactory).

#include "richtext/tables/RNTable.h"

class TRNTableInplaceEdit;

class TRNTableInplaceSeam final : public IRNTableInplace {
public:
    explicit TRNTableInplaceSeam(TRNTableItemInfo& table) : Table(table) {}
    // The table goes, and its cells with it: the editor leaves without giving anything back.
    ~TRNTableInplaceSeam() override;
    TRNTableInplaceSeam(const TRNTableInplaceSeam&) = delete;
    TRNTableInplaceSeam& operator=(const TRNTableInplaceSeam&) = delete;

    TRNTableItemInfo& Table;

    bool IsOpen() const override { return Table.InplaceEditor != nullptr; }
    void Open(int row, int col, bool buildJumps) override;
    void Close() override { Destroy(true); }
    void Save() override;
    void Restore() override;
    void MouseDown(int button, uint32_t shift, int x, int y) override;
    void ClearSelection() override;
    void SelectCompletely(bool selected) override;
    void Place(int x, int y) override;
    bool Owns(const void* editor) const override;
    int BuildJumps(int firstJumpNo) override;

    void Create(int itemNo, int row, int col, bool caretAtEnd, bool buildJumps) override;
    void Destroy(bool keepState) override;
    TRNEditRNData* EditorData() const override;
    TRNTableCellData* EditorCell() const override;
    void PostReplay(bool redo) override;
    std::unique_ptr<IRNTableScratchEditor> CreateTemporalEditor() override;

    // The editor calls these: it let go of the cell (its history folds into the document's),
    // and its content changed (the table may have to be laid out anew).
    void InplaceDeleted(bool clearing);
    void InplaceEditorChange(TRNTableInplaceEdit& editor, bool clearRedo);
};
