// Styles applied to and clearing of the selected cells, the export bracket, and the caret
// entering the table.

#include "platform/base/Stream.h"
#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableCellUndo.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// What a style can change in a document: each item's styles and text.
using ItemLook = std::vector<std::tuple<int, int, std::string>>;
ItemLook LookOf(const TCustomRNData& doc) {
    ItemLook look;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        look.emplace_back(doc.GetItemStyle(i), doc.GetItemPara(i), doc.GetItemText(i));
    }
    return look;
}

// The main cells the cell selection touches, row by row.
std::vector<std::pair<int, int>> SelectedCells(const TRNTableItemInfo& table) {
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < table.Rows.Count(); ++r) {
        for (int c = 0; c < table.Rows.Get(r)->Count(); ++c) {
            if (table.Cells(r, c) && table.IsCellSelected(r, c)) {
                cells.emplace_back(r, c);
            }
        }
    }
    return cells;
}

// A cell's items lent to the temporary editor, formatted and all selected there; they go back
// into the cell however the work on them ends. Formatting stays off while a style is applied.
class LentCell {
public:
    LentCell(TRNTableCellData& cell, IRNTableScratchEditor& editor)
        : cell_(cell), editor_(editor), doc_(editor.EditData()) {
        doc_.Clear();
        doc_.DrainFrom(&cell_);
        doc_.Inserted(&doc_, false);
        editor_.Format();
        doc_.SelectAll();
        doc_.State.Include(TRNStateItem::rnstSkipFormatting);
    }
    ~LentCell() {
        doc_.State.Exclude(TRNStateItem::rnstSkipFormatting);
        doc_.UndoList().Clear();
        cell_.DrainFrom(&doc_);
        cell_.Inserted(&cell_, false);
    }
    LentCell(const LentCell&) = delete;
    LentCell& operator=(const LentCell&) = delete;

private:
    TRNTableCellData& cell_;
    IRNTableScratchEditor& editor_;
    TRNEditRNData& doc_;
};

} // namespace

void TRNTableItemInfo::ApplyToPartiallySelected(int mode, int value) {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    IRNEditContext* context = TCustomRNFormattedData::EditContextOf(Rows.MainRNData);
    if (!context || !GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan) ||
        !BeforeChange()) {
        return;
    }
    const int itemNo = GetMyItemNo();
    const int data = BeginModify(itemNo);
    TRNTableUndoGroup undo(*this);
    std::unique_ptr<IRNTableScratchEditor> editor = CreateTemporalEditor();
    if (!editor) {
        return;
    }
    TRNUndoMultiCellsModify* record = nullptr;
    TRNUndoList* list = context->GetUndoList();
    if (list && list->Count() > 0) {
        auto owned = std::make_unique<TRNUndoMultiCellsModify>(itemNo);
        record = owned.get();
        list->AddInfo(std::move(owned));
    }
    TRNEditRNData& temp = editor->EditData();
    bool changed = false;
    for (const auto& [r, c] : SelectedCells(*this)) {
        LentCell lent(*Cells(r, c), *editor);
        const ItemLook before = LookOf(temp);
        if (mode == 0) {
            editor->ApplyStyleConversion(value);
        } else {
            editor->ApplyParaStyle(value);
        }
        // A cell the style left as it was keeps no step of its own.
        if (LookOf(temp) == before) {
            continue;
        }
        changed = true;
        const int groups = temp.UndoList().Count();
        if (record && groups > 0) {
            record->RowList.Add(r);
            record->ColList.Add(c);
            record->CountList.Add(groups);
            while (temp.UndoList().Count() > 0) {
                record->UndoList.Groups.Add(temp.UndoList().Groups.DeleteAsPointer(0));
            }
        }
    }
    if (record) {
        record->UndoList.ChangeRNData(Rows.MainRNData, true);
        if (TRNUndoInfos* group = list->Last(); !changed && group) {
            if (const int at = group->Records.IndexOf(record); at >= 0) {
                group->Records.Delete(at);
            }
        }
    }
    editor.reset();
    if (changed) {
        NeedsReformat = true;
        EndModify(itemNo, data);
        Change();
    }
}

int TRNTableItemInfo::PartiallySelectedTextStyle() const {
    for (const auto& [r, c] : SelectedCells(*this)) {
        const TRNTableCellData& cell = *Cells(r, c);
        for (int i = 0; i < cell.ItemCount(); ++i) {
            if (cell.GetItem(i).IsText()) {
                return cell.GetItemStyle(i);
            }
        }
    }
    return -1;
}

bool TRNTableItemInfo::CanDeletePartiallySelected() const {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    if (!CanChange() || !GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan)) {
        return true;
    }
    for (const auto& [r, c] : SelectedCells(*this)) {
        if (!Cells(r, c)->CanClear()) {
            return false;
        }
    }
    return true;
}

void TRNTableItemInfo::DeletePartiallySelected() {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    if (!GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan) || !BeforeChange()) {
        return;
    }
    const int itemNo = GetEditorItemNo();
    TRNIntegerList rows, cols;
    for (const auto& [r, c] : SelectedCells(*this)) {
        rows.Add(r);
        cols.Add(c);
    }
    if (rows.Count() == 0) {
        return;
    }
    const int data = BeginModify(itemNo);
    {
        TRNTableUndoGroup undo(*this);
        const TRNGridEdit edit(Rows);
        TRNUndoCellsClear* record = Rows.Do_BeforeClearCells(rows, cols);
        Rows.Do_ClearCells(record ? &record->CellList : nullptr, rows, cols);
    }
    NeedsReformat = true;
    EndModify(itemNo, data);
    Change();
}

// Export and entering.

namespace {

// While a cell is edited its items live in the editor. An export takes a copy of them into
// the cell, so that it writes what the user sees; the copy goes when the export ends.
void LendEditedContent(TRNTableItemInfo& table) {
    TRNTableCellData* cell = table.InplaceEditorCell();
    TRNEditRNData* editor = table.InplaceEditorData();
    if (!editor || cell->ItemCount() != 0) {
        return;
    }
    TMemoryStream stream;
    if (!editor->SaveRNFToStream(stream, false, clNone, nullptr)) {
        return;
    }
    stream.SetPosition(0);
    TColor color = clNone;
    cell->LoadRNFFromStream(stream, color, nullptr);
}

void TakeBackEditedContent(TRNTableItemInfo& table) {
    if (TRNTableCellData* cell = table.InplaceEditorCell()) {
        cell->Clear();
    }
}

} // namespace

void TRNTableItemInfo::StartExport() {
    if (ExportLevel == 0) {
        LendEditedContent(*this);
        Rows.ForEachCell([](TRNTableCellData& cell) { cell.StartExport(); });
    }
    ++ExportLevel;
}

void TRNTableItemInfo::EndExport() {
    if (ExportLevel <= 0) {
        return;
    }
    if (--ExportLevel == 0) {
        Rows.ForEachCell([](TRNTableCellData& cell) { cell.EndExport(); });
        TakeBackEditedContent(*this);
    }
}

bool TRNTableItemInfo::EnterItem(int fromStart) {
    int row = 0, col = 0;
    if (!fromStart) {
        Rows.GetMainCell(Rows.Count() - 1, Rows.ColCount() - 1, row, col);
    }
    CreateInplace(-1, row, col, !fromStart, false);
    return InplaceEditor != nullptr;
}

void TRNTableItemInfo::EditCell(int row, int col) {
    CreateInplace(-1, row, col, false, false);
}
