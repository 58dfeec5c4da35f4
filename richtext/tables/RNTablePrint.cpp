#include "richtext/tables/RNTablePrint.h"
#include "richtext/tables/RNTablePrintCells.h"

#include "richtext/model/RNError.h"

namespace {

[[noreturn]] void PrintingError() {
    throw ERichNoteError("Internal printing error");
}

} // namespace

int TRNTableItemInfo::GetSplitRowBelow(int row) const {
    int r = row;
    for (bool moved = true; moved && r < Rows.Count() - 1;) {
        moved = false;
        for (int c = Rows.Get(r)->Count() - 1; c >= 0;) {
            int mr = 0, mc = 0;
            const TRNTableCellData* cell = Rows.GetMainCell(r, c, mr, mc);
            if (mr + cell->RowSpan - 1 > r) {
                r = mr + cell->RowSpan - 1;
                moved = true;
                break;
            }
            c = mc - 1;
        }
    }
    return r;
}

int TRNTableItemInfo::GetSplitRowAbove(int row) const {
    if (row < 1) {
        return row;
    }
    int r = row;
    for (bool moved = true; moved && r > 0;) {
        moved = false;
        for (int c = Rows.Get(r)->Count() - 1; c >= 0;) {
            int mr = 0, mc = 0;
            Rows.GetMainCell(r, c, mr, mc);
            if (mr < r) {
                r = mr;
                moved = true;
                break;
            }
            c = mc - 1;
        }
    }
    return r;
}

namespace {

// The page a printing document belongs to: itself, or for a printed cell of a nested table,
// the page of that cell.
TPrintableRNData* PageOf(TCustomRNData* data) {
    for (; data; data = data->GetParentData()) {
        TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(data);
        if (TPrintableRNData* page = formatted ? formatted->AsPrintableData() : nullptr) {
            return page;
        }
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TRNDrawItemBase>
TRNTableItemInfo::CreatePrintingDrawItem(TCustomRNData& rnData, const TRNScreenAndDevice& sad) {
    auto info = std::make_unique<TRNTablePrintInfo>(this);
    info->Sad = sad;
    TPrintableRNData* page = PageOf(&rnData);
    TRNList<TCustomRNFormattedData>& cells = *info->FormattingInfo.PrintCells;
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            const TRNTableCellData* cell = Rows.Cell(r, c);
            // While a cell is edited its items are the editor's: they are what prints.
            const TCustomRNFormattedData* edited = InplaceDocOf(cell);
            // A plain empty cell prints nothing but its frame.
            if (!page || !cell ||
                (!edited && cell->ColSpan == 1 && cell->RowSpan == 1 && !cell->HasData())) {
                cells.Add(nullptr);
                continue;
            }
            const TCustomRNFormattedData* source = edited ? edited : cell;
            cells.Add(std::make_unique<TCellPtblRNData>(
                *const_cast<TCustomRNFormattedData*>(source), *page, GetCellColor(*cell)));
        }
    }
    return info;
}

void TRNTableItemInfo::Print(TCanvas& canvas, int x, int y, int /*x2*/, bool preview,
                             bool correction, const TRNScreenAndDevice& /*sad*/,
                             TCustomRNData& rnData, TRNDrawLineInfo* drawLineInfo, int part) {
    auto* info = dynamic_cast<TRNTablePrintInfo*>(drawLineInfo);
    TRNStyle* style = rnData.GetRNStyle();
    if (!info || !style) {
        return;
    }
    int startRow = 0;
    int rowCount = Rows.Count();
    if (part >= 0) {
        // A part the table was not cut into is the paginator's mistake: printing every row
        // instead would repeat rows another page prints.
        if (part >= static_cast<int>(info->Parts.size())) {
            PrintingError();
        }
        startRow = info->Parts[static_cast<size_t>(part)].StartRow;
        rowCount = info->Parts[static_cast<size_t>(part)].RowCount;
    }
    struct DeviceScope {
        const TRNScreenAndDevice*& Slot;
        ~DeviceScope() { Slot = nullptr; }
    } scope{DeviceContext};
    DeviceContext = &info->Sad;
    TRNItemDrawStates state{TRNItemDrawState::rnidsPrinting};
    if (preview) {
        state.Include(TRNItemDrawState::rnidsPreview);
    }
    if (correction) {
        state.Include(TRNItemDrawState::rnidsPreviewCorrection);
    }
    constexpr int far = 1 << 28;
    PaintTo(x, y, startRow, rowCount, canvas, state, *style, info->FormattingInfo,
            Rect(-far, -far, far, far));
}

int TRNTablePrintInfo::Extra() const {
    const TRNTableItemFormattingInfo& f = FormattingInfo;
    int last = f.RowStarts.Count() - 1;
    return f.RowStarts[0] + (f.Height - f.RowStarts[last] - f.RowHeights[last]);
}

void TRNTablePrintInfo::AddPart(int startRow, int rowCount, int height) {
    TRNTablePrintPart part;
    part.StartRow = startRow;
    part.RowCount = rowCount;
    part.Height = height;
    Parts.push_back(part);
    PartsList.push_back(part);
}

bool TRNTablePrintInfo::InitSplit() {
    if (!Table->PrintOptions.Contains(TRNTablePrintOption::rntoRowsSplit)) {
        return false;
    }
    AddPart(0, Table->Rows.Count(), FormattingInfo.Height);
    return true;
}

bool TRNTablePrintInfo::CanSplitFirst(int y) {
    const TRNTableItemFormattingInfo& f = FormattingInfo;
    int r = Table->GetSplitRowBelow(0);
    return y - Extra() + f.RowStarts[0] > f.RowStarts[r] + f.RowHeights[r];
}

bool TRNTablePrintInfo::SplitAt(int y) {
    if (Parts.empty()) {
        PrintingError();
    }
    TRNTablePrintPart& p = Parts.back();
    if (p.RowCount <= 1 || p.Height <= y) {
        return false;
    }
    const TRNTableItemFormattingInfo& f = FormattingInfo;
    const int extra = Extra();
    const int start = f.RowStarts[p.StartRow];
    int n = 1;
    for (; n < p.RowCount; ++n) {
        int r = p.StartRow + n;
        if (f.RowStarts[r] + f.RowHeights[r] >= y - extra + start) {
            break;
        }
    }
    if (n >= p.RowCount) {
        PrintingError();
    }
    int s = Table->GetSplitRowAbove(p.StartRow + n);
    if (s <= p.StartRow + 1) {
        s = Table->GetSplitRowBelow(p.StartRow) + 1;
    }
    int newCount = s - p.StartRow;
    if (newCount > p.RowCount) {
        PrintingError();
    }
    if (newCount == p.RowCount) {
        return false;
    }
    p.RowCount = newCount;
    p.Height = f.RowStarts[s - 1] + f.RowHeights[s - 1] + extra - start;
    PartsList.back().Height = p.Height;
    const int rows = Table->Rows.Count();
    AddPart(s, rows - s, f.RowStarts[rows - 1] + f.RowHeights[rows - 1] + extra - f.RowStarts[s]);
    return true;
}
