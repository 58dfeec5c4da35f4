#include "richtext/tables/RNTable.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNItemRegistry.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleFontInfo.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Cells

TRNTableCellData::TRNTableCellData(TRNTableRow* row, bool withParagraph)
    : TRNItemFormattedData(row) {
    if (withParagraph) {
        AddNL("", 0, 0);
    }
}

void TRNTableCellData::Clear() {
    if (HoldsNothing() && SelectsNothing()) {
        return;
    }
    TRNItemFormattedData::Clear();
}

TRNTableRow* TRNTableCellData::GetRow() const {
    return static_cast<TRNTableRow*>(List);
}

TRNTableItemInfo* TRNTableCellData::GetTable() const {
    TRNTableRow* row = GetRow();
    return row && row->Rows ? row->Rows->Table : nullptr;
}

TCustomRNData* TRNTableCellData::GetParentData() const {
    return List ? List->RNData : DetachedParent;
}

int TRNTableCellData::Padding() const {
    const TRNTableItemInfo* table = GetTable();
    return table ? table->CellPadding : 0;
}

int TRNTableCellData::GetHOffs() const {
    const TRNTableItemInfo* table = GetTable();
    return -((table ? table->PaintLeft : 0) + Padding() + Left);
}

int TRNTableCellData::GetVOffs() const {
    const TRNTableItemInfo* table = GetTable();
    return -((table ? table->PaintTop : 0) + Padding() + Top);
}

void TRNTableCellData::GetOrigin(int& x, int& y) {
    x = 0;
    y = 0;
    TRNTableItemInfo* table = GetTable();
    if (TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(GetParentData())) {
        doc->GetOrigin(x, y);
        if (const int d = table ? doc->FirstDrawItemOf(*table) : -1; d >= 0) {
            x += doc->DrawItems[d]->Left;
            y += doc->DrawItems[d]->Top;
        }
    }
    x += Left + Padding();
    y += Top + Padding();
}

int TRNTableCellData::GetWidth() const {
    return Width - 2 * Padding();
}
int TRNTableCellData::GetHeight() const {
    return Height - 2 * Padding();
}

TRNCellHAlign TRNTableCellData::GetAlign() const {
    if (!UseRowAlign) {
        return HAlign;
    }
    return GetRow() ? GetRow()->HAlign : TRNCellHAlign::rncLeft;
}

TRNCellVAlign TRNTableCellData::GetVAlign() const {
    if (!UseRowVAlign) {
        return VAlign;
    }
    return GetRow() ? GetRow()->VAlign : TRNCellVAlign::rncTop;
}

void TRNTableCellData::SetAlign(TRNCellHAlign value) {
    HAlign = value;
    UseRowAlign = false;
}

void TRNTableCellData::SetVAlign(TRNCellVAlign value) {
    VAlign = value;
    UseRowVAlign = false;
}

int TRNTableCellData::GetCellHeight() const {
    // While the cell is edited in place its items are the editor's.
    const TRNTableItemInfo* table = GetTable();
    if (const TCustomRNFormattedData* edited = table ? table->InplaceDocOf(this) : nullptr) {
        return std::max(edited->DocumentHeight - 2 * Padding(), BestHeight);
    }
    return std::max(DocumentHeight, BestHeight);
}

int TRNTableCellData::GetMinWidth() const {
    const TRNTableItemInfo* table = GetTable();
    const TCustomRNFormattedData* edited = table ? table->InplaceDocOf(this) : nullptr;
    int width = (edited ? edited : this)->CalculateMinDocWidthPlus();
    return width == 0 ? 10 : width;
}

int TRNTableCellData::GetWidthInFixedTable(int tableWidth) const {
    if (BestWidth > 0) {
        return BestWidth;
    }
    if (BestWidth < 0) {
        return static_cast<int>(static_cast<int64_t>(tableWidth) * -BestWidth / 100);
    }
    return GetMinWidth();
}

bool TRNTableCellData::HasData() const {
    if (ItemCount() == 0) {
        return false;
    }
    if (ItemCount() > 1) {
        return true;
    }
    const TCustomRNItemInfo& item = GetItem(0);
    return !(item.StyleNo == 0 && item.ParaNo == 0 && GetItemText(0).empty());
}

bool TRNTableCellData::CanClear() const {
    const TRNStyle* sheet = GetRNStyle();
    if (!sheet) {
        return true;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        int styleNo = GetItemStyle(i);
        if (styleNo >= 0 && styleNo < sheet->TextStyles().Count() &&
            sheet->TextStyles()[styleNo].Protection.Contains(TRNProtectOption::rnprDeleteProtect)) {
            return false;
        }
    }
    return true;
}

void TRNTableCellData::AssignAttributesFrom(const TRNTableCellData& source, bool includeSize,
                                            int widthDivisor, int heightDivisor) {
    Color = source.Color;
    VisibleBorders = source.VisibleBorders;
    if (includeSize) {
        BestWidth = source.BestWidth / widthDivisor;
        BestHeight = source.BestHeight / heightDivisor;
    }
}

void TRNTableCellData::MovingToUndoList() {
    // One item that refuses leaves those before it as they were.
    AllOrNone(
        ItemCount(), [this](int i) { GetItem(i).MovingToUndoList(i, *this); },
        [this](int i) { GetItem(i).MovingFromUndoList(i, *this); });
}

void TRNTableCellData::MovingFromUndoList() {
    for (int i = 0; i < ItemCount(); ++i) {
        GetItem(i).MovingFromUndoList(i, *this);
    }
}

void TRNTableCellData::ControlAction2(TRNControlAction action, int /*itemNo*/,
                                      IEmbeddedControl& control) {
    TRNTableItemInfo* table = GetTable();
    if (!table) {
        if (DetachedParent) {
            DetachedParent->ControlAction2(action, -1, control);
        }
        return;
    }
    if (TCustomRNData* doc = table->Rows.MainRNData) {
        doc->ControlAction2(action, table->GetMyItemNo(), control);
    }
}

void TRNTableCellData::AdjustFocus(int newFocusedItemNo, TCustomRNData* topLevelRNData,
                                   int topLevelItemNo) {
    TRNItemFormattedData::AdjustFocus(newFocusedItemNo, topLevelRNData, topLevelItemNo);
    TRNTableItemInfo* table = GetTable();
    if (!table) {
        return;
    }
    int row = -1, col = -1;
    table->GetCellPositon(this, row, col);
    if (row >= 0) {
        table->AdjustFocus(row, col, topLevelRNData, topLevelItemNo);
    }
}

// ---------------------------------------------------------------------------------------------
// Rows

TRNTableRow::TRNTableRow(int cols, TRNTableRows* rows, TCustomRNData* mainRNData,
                         bool cellParagraphs)
    : TRNDataList(mainRNData), Rows(rows) {
    // A table of many rows would otherwise regrow each row's slot list several times.
    Reserve(cols);
    for (int i = 0; i < cols; ++i) {
        AddCell(cellParagraphs);
    }
}

TRNTableCellData* TRNTableRow::AddCell(bool withParagraph) {
    return static_cast<TRNTableCellData*>(
        Add(std::make_unique<TRNTableCellData>(this, withParagraph)));
}

TRNTableCellData* TRNTableRow::InsertCell(int index) {
    return static_cast<TRNTableCellData*>(Insert(index, std::make_unique<TRNTableCellData>(this)));
}

void TRNTableRow::InsertEmpty(int index) {
    Insert(index, nullptr);
}

std::unique_ptr<TRNTableCellData> TRNTableRow::Take(int index) {
    std::unique_ptr<TRNTableCellData> old(
        static_cast<TRNTableCellData*>(DeleteAsPointer(index).release()));
    Insert(index, nullptr);
    if (old) {
        old->List = nullptr;
    }
    return old;
}

std::unique_ptr<TRNTableCellData> TRNTableRow::Put(int index,
                                                   std::unique_ptr<TRNTableCellData> cell) {
    std::unique_ptr<TRNTableCellData> old = Take(index);
    Delete(index);
    InsertPointer(index, std::move(cell));
    return old;
}

void TRNTableRow::InsertPointer(int index, std::unique_ptr<TRNTableCellData> cell) {
    if (cell) {
        cell->List = this;
    }
    Insert(index, std::move(cell));
}

int TRNTableRow::GetBestHeight() const {
    int best = 0;
    for (int i = 0; i < Count(); ++i) {
        if (const TRNTableCellData* cell = Cell(i); cell && cell->RowSpan < 2) {
            best = std::max(best, cell->BestHeight);
        }
    }
    return best;
}

int TRNTableRow::GetHeight() const {
    int height = 0;
    for (int i = 0; i < Count(); ++i) {
        if (const TRNTableCellData* cell = Cell(i); cell && cell->RowSpan < 2) {
            height = std::max(height, cell->GetCellHeight());
        }
    }
    return height == 0 ? 10 : height;
}

// ---------------------------------------------------------------------------------------------
// Formatting info

TRNTableItemFormattingInfo::TRNTableItemFormattingInfo(bool createPrintCells) {
    if (createPrintCells) {
        PrintCells = std::make_unique<TRNList<TCustomRNFormattedData>>();
    }
}

void TRNTableItemFormattingInfo::Clear() {
    ColWidths.Clear();
    RowHeights.Clear();
    ColStarts.Clear();
    RowStarts.Clear();
}

// ---------------------------------------------------------------------------------------------
// The item

TRNTableItemInfo::TRNTableItemInfo(TCustomRNData* rnData)
    : TRNFullLineItemInfo(rnData), Rows(rnData, this) {
    Init(1, 1);
}

TRNTableItemInfo::TRNTableItemInfo(int rows, int cols, TCustomRNData* mainRNData)
    : TRNFullLineItemInfo(mainRNData), Rows(mainRNData, this) {
    Init(rows, cols);
}

TRNTableItemInfo::~TRNTableItemInfo() {
    // The document forgets the guide line of a border drag and the mouse it holds for the
    // table, which a note replaced before the button is let go would otherwise still reach. An
    // open cell editor is let go by the editor seam without writing back into the cells.
    ReleaseDocumentHooks();
    FormattingInfo.Clear();
}

void TRNTableItemInfo::Init(int rows, int cols) {
    if (InplaceFactory) {
        InplaceSeam = InplaceFactory(*this);
    }
    PlugCellEditor();
    StyleNo = RNTableStyleNo;
    Rows.Reset(rows, cols);
}

std::unique_ptr<TCustomRNItemInfo> TRNTableItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNTableItemInfo>(rnData);
}

void TRNTableItemInfo::SetCell(int row, int col, const TRNTableCellData& source) {
    if (TRNTableCellData* cell = Cells(row, col)) {
        cell->Clear();
        cell->AppendFrom(source);
    }
}

void TRNTableItemInfo::ClearTemporal() {
    if (InsertedInData && EditorOpen()) {
        CellEditor->Close();
    }
    ReleaseDocumentHooks();
    FormattingInfo.Clear();
}

void TRNTableItemInfo::ReleaseDocumentHooks() {
    if (!InsertedInData) {
        return;
    }
    if (TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(Rows.MainRNData)) {
        doc->UnAssignXorDrawing(&ResizeGuide);
        doc->ReleaseMouseCapture(this);
    }
}

int TRNTableItemInfo::GetMyItemNo() {
    TCustomRNData* data = Rows.MainRNData;
    if (!data) {
        return -1;
    }
    if (ItemNoCache >= 0 && ItemNoCache < data->ItemCount() &&
        &data->GetItem(ItemNoCache) == this) {
        return ItemNoCache;
    }
    ItemNoCache = -1;
    for (int i = 0; i < data->ItemCount(); ++i) {
        if (&data->GetItem(i) == this) {
            ItemNoCache = i;
            break;
        }
    }
    return ItemNoCache;
}

int TRNTableItemInfo::GetEditorItemNo() {
    return InsertedInData && InEditor ? GetMyItemNo() : -1;
}

void RegisterTableItemClass() {
    RegisterRichNoteItemClass<TRNTableItemInfo>(RNTableStyleNo);
}
