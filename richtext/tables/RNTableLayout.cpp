// Column widths, row heights and the table's size for one device, and the position look-ups
// on the result.

#include "platform/base/Rounding.h"
#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTablePrint.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

int Clamp32(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));
}

// Among the cells of the column that span no further column.
template <class F> void ForNarrowCells(const TRNTableRows& rows, int col, F f) {
    for (int r = 0; r < rows.Count(); ++r) {
        if (const TRNTableCellData* cell = rows.Cell(r, col); cell && cell->ColSpan < 2) {
            f(*cell);
        }
    }
}

// One width pass: the working values shared by its steps.
class WidthPass {
public:
    WidthPass(const TRNTableItemInfo& t, TRNTableItemFormattingInfo& info, bool fixed)
        : T(t), I(info), Fixed(fixed), Padding2(t.GetDevX(2 * t.CellPadding)),
          Kind(static_cast<size_t>(t.Rows.ColCount()), 0) {}

    const TRNTableItemInfo& T;
    TRNTableItemFormattingInfo& I;
    bool Fixed;
    int Padding2;
    int64_t Free = 0;
    int64_t MinTotal = 0;
    std::vector<int> Kind;

    int Width(int c) const { return I.ColWidths[c]; }

    // Widens the columns under a merged cell so that they hold `needed`; grow mode takes every
    // column, limited mode the columns of the lowest kind up to maxKind.
    void Widen(int col, int colSpan, int needed, bool grow, int maxKind) {
        int64_t need = static_cast<int64_t>(needed) + Padding2;
        int step = T.GetDevX(T.CellHSpacing + 2 * T.CellPadding + 2 * T.CellBorderWidth);
        int64_t have = T.GetDevX(-T.CellHSpacing - 2 * T.CellBorderWidth);
        for (int c = col; c < col + colSpan; ++c) {
            have += static_cast<int64_t>(Width(c)) + step;
        }
        std::vector<int> cols;
        if (grow) {
            for (int c = col; c < col + colSpan; ++c) {
                cols.push_back(c);
            }
        } else {
            for (int k = 0; k <= maxKind && cols.empty(); ++k) {
                for (int c = col; c < col + colSpan; ++c) {
                    if (Kind[static_cast<size_t>(c)] <= k) {
                        cols.push_back(c);
                    }
                }
            }
        }
        if (have >= need || cols.empty()) {
            return;
        }
        int64_t delta = need - have;
        if (!grow && !Fixed) {
            delta = std::min(delta, Free);
            Free -= delta;
        }
        int64_t weight = 0;
        for (int c : cols) {
            weight += static_cast<int64_t>(Width(c)) + Padding2;
        }
        int64_t total = weight + delta;
        for (size_t i = 0; i < cols.size(); ++i) {
            int c = cols[i];
            int old = Width(c) + Padding2;
            // Columns without weight share what is left equally, the last taking the rest.
            int64_t now = weight > 0 ? MulDiv(old, Clamp32(total), Clamp32(weight))
                                     : total / static_cast<int64_t>(cols.size() - i);
            I.ColWidths.Put(c, Clamp32(now - Padding2));
            weight -= old;
            total -= now;
            if (grow) {
                MinTotal += now - old;
            }
        }
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Grid queries

int TRNTableRows::GetMinColWidth(int col) const {
    int width = 0;
    ForNarrowCells(*this, col,
                   [&](const TRNTableCellData& c) { width = std::max(width, c.GetMinWidth()); });
    return width;
}

int TRNTableRows::GetPixelColWidth(int col) const {
    int width = 0;
    bool percent = false;
    ForNarrowCells(*this, col, [&](const TRNTableCellData& c) {
        percent = percent || c.BestWidth < 0;
        width = std::max(width, c.BestWidth);
    });
    return percent ? 0 : width;
}

int TRNTableRows::GetPercentColWidth(int col, int width) const {
    int result = 0;
    ForNarrowCells(*this, col, [&](const TRNTableCellData& c) {
        if (c.BestWidth < 0) {
            result = std::max(result, Clamp32(-static_cast<int64_t>(c.BestWidth) * width / 100));
        }
    });
    return result;
}

bool TRNTableRows::IsPercentWidthColumn(int col) const {
    bool last = col == ColCount() - 1;
    for (int r = 0; r < Count(); ++r) {
        const TRNTableCellData* cell = Cell(r, col);
        if (cell) {
            if (cell->ColSpan < 2 && cell->BestWidth < 0) {
                return true;
            }
            continue;
        }
        int mr = 0, mc = 0;
        const TRNTableCellData* main = GetMainCell(r, col, mr, mc);
        if (main->BestWidth >= 0) {
            continue;
        }
        if (last || Cell(r, col + 1)) {
            return true;
        }
        int nr = 0, nc = 0;
        if (GetMainCell(r, col + 1, nr, nc) != main) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// The pass

int TRNTableItemInfo::GetDevX(int x) const {
    return DeviceContext ? MulDiv(x, DeviceContext->ppixDevice, DeviceContext->ppixScreen) : x;
}

int TRNTableItemInfo::GetDevY(int y) const {
    return DeviceContext ? MulDiv(y, DeviceContext->ppiyDevice, DeviceContext->ppiyScreen) : y;
}

int TRNTableItemInfo::GetHorzExtra() const {
    int cols = Rows.ColCount();
    return GetDevX((cols - 1) * CellHSpacing + 2 * (BorderWidth + BorderHSpacing) +
                   cols * 2 * CellBorderWidth);
}

bool TRNTableItemInfo::IsFixedWidthTable() const {
    int cols = Rows.ColCount();
    std::vector<bool> ownCell(static_cast<size_t>(cols), false);
    std::vector<bool> endsPixelCell(static_cast<size_t>(cols), false);
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < cols; ++c) {
            const TRNTableCellData* cell = Rows.Cell(r, c);
            if (!cell) {
                continue;
            }
            if (cell->BestWidth < 0) {
                return false;
            }
            ownCell[static_cast<size_t>(c)] = true;
            if (cell->BestWidth > 0) {
                endsPixelCell[static_cast<size_t>(c + cell->ColSpan - 1)] = true;
            }
        }
    }
    for (int c = 0; c < cols; ++c) {
        if (!ownCell[static_cast<size_t>(c)] || !endsPixelCell[static_cast<size_t>(c)]) {
            return false;
        }
    }
    return true;
}

void TRNTableItemInfo::OnDocWidthChange(int docWidth, TRNDrawLineInfo* drawLineInfo,
                                        bool printing) {
    if (auto* print = dynamic_cast<TRNTablePrintInfo*>(drawLineInfo); print && printing) {
        struct DeviceScope {
            const TRNScreenAndDevice*& Slot;
            ~DeviceScope() { Slot = nullptr; }
        } scope{DeviceContext};
        DeviceContext = &print->Sad;
        InternalOnDocWidthChange(docWidth, print->FormattingInfo);
        print->Width = print->FormattingInfo.Width;
        print->Height = print->FormattingInfo.Height;
        return;
    }
    if (NeedsReformat) {
        NeedsReformat = false;
        FormattingInfo.Width = 0;
    }
    InternalOnDocWidthChange(docWidth, FormattingInfo);
}

void TRNTableItemInfo::InternalOnDocWidthChange(int docWidth, TRNTableItemFormattingInfo& info) {
    if (!LayOutColumns(docWidth, info)) {
        return;
    }
    UpdateCellXCoords(info);
    LayOutRows(info);
}

bool TRNTableItemInfo::LayOutColumns(int docWidth, TRNTableItemFormattingInfo& info) const {
    const bool fixed = BestWidth == 0 && IsFixedWidthTable();
    int w = BestWidth > 0   ? GetDevX(BestWidth)
            : BestWidth < 0 ? Clamp32(-static_cast<int64_t>(BestWidth) * docWidth / 100)
            : fixed         ? 0
                            : docWidth;
    if (w != 0 && w == info.Width) {
        return false;
    }
    info.Width = w;
    if (Rows.Count() == 0) {
        return false;
    }
    const int cols = Rows.ColCount();
    const int horzExtra = GetHorzExtra();
    WidthPass p(*this, info, fixed);
    const int64_t available =
        fixed ? 0 : static_cast<int64_t>(w) - horzExtra - GetDevX(cols * 2 * CellPadding);
    info.QuickClear();
    for (int c = 0; c < cols; ++c) {
        info.ColWidths.Add(GetDevX(Rows.GetMinColWidth(c)));
        p.MinTotal += info.ColWidths[c];
    }
    auto forSpanningCells = [&](auto f) {
        for (int r = 0; r < Rows.Count(); ++r) {
            for (int c = 0; c < cols; ++c) {
                if (TRNTableCellData* cell = Rows.Cell(r, c); cell && cell->ColSpan > 1) {
                    f(*cell, c);
                }
            }
        }
    };
    forSpanningCells([&](const TRNTableCellData& cell, int c) {
        p.Widen(c, cell.ColSpan, GetDevX(cell.GetMinWidth()), true, 0);
    });
    bool minimal = !fixed && p.MinTotal >= available;
    if (minimal) {
        info.Width = Clamp32(info.Width - available + p.MinTotal);
    } else {
        int determined = 0, pixelColumns = 0;
        const int refWidth = w - horzExtra;
        auto markKind = [&](const TRNTableCellData& cell, int c, int kind) {
            for (int k = c; k < c + cell.ColSpan; ++k) {
                if (p.Kind[static_cast<size_t>(k)] == 0) {
                    p.Kind[static_cast<size_t>(k)] = kind;
                    ++determined;
                    pixelColumns += kind == 1;
                }
            }
        };
        if (!fixed) {
            p.Free = available - p.MinTotal;
            for (int c = 0; c < cols; ++c) {
                int64_t pw =
                    static_cast<int64_t>(Rows.GetPercentColWidth(c, refWidth)) - p.Padding2;
                if (pw > 0) {
                    p.Kind[static_cast<size_t>(c)] = 2;
                    ++determined;
                }
                if (pw > info.ColWidths[c]) {
                    p.Free += info.ColWidths[c];
                    pw = std::min(pw, p.Free);
                    info.ColWidths.Put(c, Clamp32(pw));
                    p.Free -= pw;
                    if (p.Free <= 0) {
                        break;
                    }
                }
            }
            if (p.Free > 0) {
                forSpanningCells([&](const TRNTableCellData& cell, int c) {
                    if (cell.BestWidth < 0) {
                        p.Widen(c, cell.ColSpan,
                                MulDiv(-cell.BestWidth, refWidth, 100) - p.Padding2, false, 2);
                        markKind(cell, c, 2);
                    }
                });
            }
        }
        if (fixed || p.Free > 0) {
            for (int c = 0; c < cols; ++c) {
                if (p.Kind[static_cast<size_t>(c)] != 0) {
                    continue;
                }
                int64_t pw = GetDevX(Rows.GetPixelColWidth(c));
                if (pw > 0) {
                    p.Kind[static_cast<size_t>(c)] = 1;
                    ++determined;
                }
                if (pw > info.ColWidths[c]) {
                    if (!fixed) {
                        p.Free += info.ColWidths[c];
                        pw = std::min(pw, p.Free);
                    }
                    info.ColWidths.Put(c, Clamp32(pw));
                    ++pixelColumns;
                    if (!fixed) {
                        p.Free -= pw;
                        if (p.Free <= 0) {
                            break;
                        }
                    }
                }
            }
            if (fixed || p.Free > 0) {
                forSpanningCells([&](const TRNTableCellData& cell, int c) {
                    if (cell.BestWidth > 0) {
                        p.Widen(c, cell.ColSpan, GetDevX(cell.BestWidth), false, 1);
                        markKind(cell, c, 1);
                    }
                });
            }
        }
        if (fixed) {
            int64_t sum = 0;
            for (int c = 0; c < cols; ++c) {
                sum += info.ColWidths[c];
            }
            info.Width = Clamp32(horzExtra + GetDevX(cols * 2 * CellPadding) + sum);
        } else if (p.Free > 0) {
            auto handOut = [&](auto weightOf) {
                int64_t weights = 0;
                for (int c = 0; c < cols; ++c) {
                    weights += weightOf(c);
                }
                for (int c = 0; c < cols && p.Free > 0 && weights > 0; ++c) {
                    int64_t weight = weightOf(c);
                    if (weight == 0) {
                        continue;
                    }
                    int64_t share = std::min<int64_t>(
                        MulDiv(Clamp32(p.Free), Clamp32(weight), Clamp32(weights)), p.Free);
                    info.ColWidths.Put(c, Clamp32(info.ColWidths[c] + share));
                    p.Free -= share;
                    weights -= weight;
                }
            };
            if (determined < cols) {
                for (int c = 0; c < cols && p.Free > 0; ++c) {
                    if (p.Kind[static_cast<size_t>(c)] != 0) {
                        continue;
                    }
                    int64_t share = p.Free / (cols - determined);
                    info.ColWidths.Put(c, Clamp32(info.ColWidths[c] + share));
                    p.Free -= share;
                    ++determined;
                }
            } else if (pixelColumns > 0) {
                handOut([&](int c) -> int64_t {
                    if (Rows.IsPercentWidthColumn(c)) {
                        return 0;
                    }
                    int px = Rows.GetPixelColWidth(c);
                    return px == 0 ? 1 : px;
                });
            } else {
                handOut([&](int c) -> int64_t {
                    if (!Rows.IsPercentWidthColumn(c)) {
                        return 0;
                    }
                    int64_t pw =
                        static_cast<int64_t>(Rows.GetPercentColWidth(c, refWidth)) - p.Padding2;
                    return pw > 0 ? pw : 1;
                });
            }
        }
    }
    SetColumnStarts(info);
    return true;
}

void TRNTableItemInfo::LayOutRows(TRNTableItemFormattingInfo& info) {
    const int cols = Rows.ColCount();
    const int rows = Rows.Count();
    int64_t height = GetDevY(2 * (rows * CellPadding + BorderWidth + BorderVSpacing) +
                             (rows - 1) * CellVSpacing + rows * 2 * CellBorderWidth);
    const bool print = info.PrintCells != nullptr;
    for (int r = 0; r < rows; ++r) {
        int h = 0;
        if (!print) {
            h = GetDevY(Rows.Get(r)->GetHeight());
        } else {
            h = GetDevY(Rows.Get(r)->GetBestHeight());
            for (int c = 0; c < cols; ++c) {
                const TRNTableCellData* cell = Rows.Cell(r, c);
                const TCustomRNFormattedData* printed =
                    cell && cell->RowSpan == 1 ? info.PrintCell(r * cols + c) : nullptr;
                if (printed) {
                    h = std::max(h, printed->DocumentHeight);
                }
            }
            h = std::max(h, GetDevY(10));
        }
        info.RowHeights.Add(h);
        height += h;
    }
    const int rowStep = GetDevY(2 * CellPadding + CellVSpacing + 2 * CellBorderWidth);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const TRNTableCellData* cell = Rows.Cell(r, c);
            if (!cell || cell->RowSpan < 2) {
                continue;
            }
            int64_t need = 0;
            if (!print) {
                need =
                    GetDevY(Clamp32(static_cast<int64_t>(cell->GetCellHeight()) + 2 * CellPadding));
            } else {
                need = cell->BestHeight <= 10 ? GetDevY(10) : GetDevY(cell->BestHeight);
                if (const TCustomRNFormattedData* printed = info.PrintCell(r * cols + c)) {
                    need = std::max<int64_t>(need, printed->DocumentHeight);
                }
                need += GetDevY(2 * CellPadding);
            }
            int64_t have = GetDevY(-CellVSpacing - 2 * CellBorderWidth);
            int64_t weight = 0;
            for (int k = r; k < r + cell->RowSpan; ++k) {
                have += static_cast<int64_t>(info.RowHeights[k]) + rowStep;
                weight += info.RowHeights[k];
            }
            if (have >= need) {
                continue;
            }
            int64_t extra = need - have;
            height += extra;
            for (int k = r; k < r + cell->RowSpan && extra > 0; ++k) {
                int old = info.RowHeights[k];
                // Rows of no height at all leave the whole growth to the last row.
                int64_t add = weight > 0 ? MulDiv(old, Clamp32(extra), Clamp32(weight))
                              : k == r + cell->RowSpan - 1 ? extra
                                                           : 0;
                info.RowHeights.Put(k, Clamp32(old + add));
                weight -= old;
                extra -= add;
            }
        }
    }
    info.Height = Clamp32(height);
    UpdateCellYCoords(info);
}

int TRNTableItemInfo::GetMinWidth() const {
    const int cols = Rows.ColCount();
    TRNTableItemFormattingInfo scratch(false);
    WidthPass p(*this, scratch, false);
    for (int c = 0; c < cols; ++c) {
        int m = Rows.GetMinColWidth(c);
        if (BestWidth == 0) {
            m = std::max(m, Rows.GetPixelColWidth(c));
        }
        scratch.ColWidths.Add(GetDevX(m));
        p.MinTotal += scratch.ColWidths[c];
    }
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < cols; ++c) {
            if (const TRNTableCellData* cell = Rows.Cell(r, c); cell && cell->ColSpan > 1) {
                int m = cell->GetMinWidth();
                if (BestWidth == 0) {
                    m = std::max(m, cell->BestWidth);
                }
                p.Widen(c, cell->ColSpan, GetDevX(m), true, 0);
            }
        }
    }
    int64_t result = GetDevX(cols * CellPadding * 2) + GetHorzExtra() + p.MinTotal;
    return Clamp32(std::max<int64_t>(result, GetDevX(BestWidth)));
}

// ---------------------------------------------------------------------------------------------
// Cell placement

void TRNTableItemInfo::SetColumnStarts(TRNTableItemFormattingInfo& info) const {
    const int n = Rows.ColCount();
    int remaining = ColumnsExtra();
    int x = GetDevX(BorderWidth + BorderHSpacing + CellBorderWidth);
    info.ColStarts.Clear();
    for (int c = 0; c < n; ++c) {
        info.ColStarts.Add(x);
        int share = remaining / (n - c);
        remaining -= share;
        x += share + info.ColWidths[c];
    }
}

int TRNTableItemInfo::ColumnsExtra() const {
    return GetDevX(((CellPadding + CellBorderWidth) * 2 + CellHSpacing) * Rows.ColCount());
}

void TRNTableItemInfo::UpdateCellXCoords(TRNTableItemFormattingInfo& info) {
    const int n = Rows.ColCount();
    const int extra = ColumnsExtra();
    const int pad = GetDevX(CellPadding);
    const bool print = info.PrintCells != nullptr;
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < n; ++c) {
            TRNTableCellData* cell = Rows.Cell(r, c);
            if (!cell) {
                continue;
            }
            int64_t width = GetDevX(2 * CellPadding) +
                            static_cast<int64_t>(MulDiv(extra, cell->ColSpan - 1, n));
            for (int k = c; k < c + cell->ColSpan; ++k) {
                width += info.ColWidths[k];
            }
            if (!print) {
                cell->Left = info.ColStarts[c];
                cell->Width = Clamp32(width);
            } else if (auto* printed = dynamic_cast<TRectPtblRNData*>(info.PrintCell(r * n + c))) {
                printed->Left = info.ColStarts[c] + pad;
                printed->Width = Clamp32(width - 2 * static_cast<int64_t>(pad));
            }
        }
    }
    if (print) {
        FormatPrintedCells(info);
        return;
    }
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < n; ++c) {
            TRNTableCellData* cell = Rows.Cell(r, c);
            TCanvas* canvas = cell ? cell->GetCanvas() : nullptr;
            if (!canvas) {
                continue;
            }
            cell->State.Include(TRNStateItem::rnstDoNotMoveChildren);
            cell->Format_(false, true, false, 0, *canvas, false);
            cell->State.Exclude(TRNStateItem::rnstDoNotMoveChildren);
        }
    }
}

void TRNTableItemInfo::FormatPrintedCells(TRNTableItemFormattingInfo& info) {
    std::unique_ptr<TCanvas> canvas;
    for (int i = 0; i < info.PrintCells->Count(); ++i) {
        auto* printed = dynamic_cast<TRectPtblRNData*>(info.PrintCells->Get(i));
        if (!printed) {
            continue;
        }
        if (!canvas && !(canvas = printed->InitPrinterCanvas())) {
            return;
        }
        // The printed copy shares the cell's items: the cell's own screen layout keeps the
        // draw lines and jump numbers its items name.
        std::vector<std::pair<int32_t, int32_t>> saved;
        for (int k = 0; k < printed->ItemCount(); ++k) {
            saved.emplace_back(printed->GetItem(k).DrawItemNo, printed->GetItem(k).JumpNo);
        }
        printed->Format_(false, true, true, 0, *canvas, false);
        for (int k = 0; k < printed->ItemCount() && k < static_cast<int>(saved.size()); ++k) {
            printed->GetItem(k).DrawItemNo = saved[static_cast<size_t>(k)].first;
            printed->GetItem(k).JumpNo = saved[static_cast<size_t>(k)].second;
        }
    }
}

void TRNTableItemInfo::UpdateCellYCoords(TRNTableItemFormattingInfo& info) {
    const int rows = Rows.Count();
    const int extra = GetDevY(((CellPadding + CellBorderWidth) * 2 + CellVSpacing) * rows);
    const int pad = GetDevY(CellPadding);
    int remaining = extra;
    int y = GetDevY(BorderWidth + BorderVSpacing + CellBorderWidth);
    const bool print = info.PrintCells != nullptr;
    info.RowStarts.Clear();
    for (int r = 0; r < rows; ++r) {
        info.RowStarts.Add(y);
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            TRNTableCellData* cell = Rows.Cell(r, c);
            if (!cell) {
                continue;
            }
            int64_t height = GetDevY(2 * CellPadding) +
                             static_cast<int64_t>(MulDiv(extra, cell->RowSpan - 1, rows));
            for (int k = r; k < r + cell->RowSpan; ++k) {
                height += info.RowHeights[k];
            }
            if (!print) {
                cell->Top = y;
                cell->Height = Clamp32(height);
            } else if (auto* printed = dynamic_cast<TRectPtblRNData*>(
                           info.PrintCell(r * Rows.Get(r)->Count() + c))) {
                printed->Top = y + pad;
                printed->Height = Clamp32(height - 2 * static_cast<int64_t>(pad));
            }
        }
        int share = remaining / (rows - r);
        remaining -= share;
        y += share + info.RowHeights[r];
    }
}

// ---------------------------------------------------------------------------------------------
// Look-ups

namespace {

int FirstCovering(int v, const TRNIntegerList& starts, const TRNIntegerList& sizes) {
    for (int i = 0; i < starts.Count() && i < sizes.Count(); ++i) {
        if (v < starts[i]) {
            return -1;
        }
        if (v <= starts[i] + sizes[i]) {
            return i;
        }
    }
    return -1;
}

} // namespace

int TRNTableItemInfo::GetColNo(int x) const {
    return FirstCovering(x, FormattingInfo.ColStarts, FormattingInfo.ColWidths);
}

int TRNTableItemInfo::GetRowNo(int y) const {
    return FirstCovering(y, FormattingInfo.RowStarts, FormattingInfo.RowHeights);
}

int TRNTableItemInfo::GetCrossed(int coord, const TRNIntegerList& starts) {
    if (starts.Count() < 2) {
        return 0;
    }
    int high = starts.Count() - 1;
    if (starts[high] <= coord) {
        return high;
    }
    int low = 0;
    while (high - low >= 2) {
        int mid = (low + high) / 2;
        if (starts[mid] >= coord) {
            high = mid;
        } else {
            low = mid;
        }
    }
    return low;
}

namespace {

bool Near(int v, int p, int thickness) {
    return std::abs(v - p) <= std::max(thickness / 2, 2);
}

int RuleNo(int v, int size, int outer, int inner, const TRNIntegerList& starts, int& prevStart,
           int& rulePos) {
    if (v < 0 || v > size) {
        return -1;
    }
    if (Near(v, outer / 2, outer)) {
        prevStart = -1;
        rulePos = outer / 2;
        return 0;
    }
    if (Near(v, size - outer / 2, outer) && starts.Count() > 0) {
        prevStart = starts[starts.Count() - 1];
        rulePos = size - outer / 2;
        return starts.Count();
    }
    for (int c = 0; c + 1 < starts.Count(); ++c) {
        if (Near(v, starts[c + 1] - inner / 2, inner)) {
            prevStart = starts[c];
            // The middle of the gap: a drag that ends where it started changes nothing.
            rulePos = starts[c + 1] - inner / 2;
            return c + 1;
        }
    }
    return -1;
}

} // namespace

int TRNTableItemInfo::GetVerticalRuleNo(int x, int& prevStart, int& rulePos) const {
    return RuleNo(x, FormattingInfo.Width, BorderWidth + BorderHSpacing + CellBorderWidth,
                  CellHSpacing + 2 * CellBorderWidth, FormattingInfo.ColStarts, prevStart, rulePos);
}

int TRNTableItemInfo::GetHorizontalRuleNo(int y, int& prevStart, int& rulePos) const {
    return RuleNo(y, FormattingInfo.Height, BorderWidth + BorderVSpacing + CellBorderWidth,
                  CellVSpacing + 2 * CellBorderWidth, FormattingInfo.RowStarts, prevStart, rulePos);
}

bool TRNTableItemInfo::GetCellAt_(int x, int y, int& row, int& col) const {
    const TRNTableCellData* first = Rows.Count() > 0 ? Cells(0, 0) : nullptr;
    const TRNIntegerList& rowStarts = FormattingInfo.RowStarts;
    const TRNIntegerList& colStarts = FormattingInfo.ColStarts;
    if (!first || rowStarts.Count() != Rows.Count() || colStarts.Count() != Rows.ColCount()) {
        return false;
    }
    int l = first->Left, t = first->Top;
    if (x < l || y < t || x >= GetWidth() - l || y >= GetHeight() - t) {
        return false;
    }
    int r = Rows.Count() - 1;
    for (int i = 0; i + 1 < rowStarts.Count(); ++i) {
        if (rowStarts[i + 1] > y) {
            r = i;
            break;
        }
    }
    int c = Rows.Get(r)->Count() - 1;
    for (int i = 0; i + 1 < colStarts.Count(); ++i) {
        if (colStarts[i + 1] > x) {
            c = i;
            break;
        }
    }
    int mr = 0, mc = 0;
    const TRNTableCellData* cell = Rows.GetMainCell(r, c, mr, mc);
    if (x < cell->Left || y < cell->Top || x >= cell->Left + cell->Width ||
        y >= cell->Top + cell->Height) {
        return false;
    }
    row = mr;
    col = mc;
    return true;
}

bool TRNTableItemInfo::GetCellAt(int x, int y, int& row, int& col) {
    if (LastHitRow >= 0 && LastHitRow < Rows.Count() && LastHitCol >= 0 &&
        LastHitCol < Rows.ColCount()) {
        const TRNTableCellData* cell = Cells(LastHitRow, LastHitCol);
        if (cell && x >= cell->Left && y >= cell->Top && x < cell->Left + cell->Width &&
            y < cell->Top + cell->Height) {
            row = LastHitRow;
            col = LastHitCol;
            return true;
        }
    }
    if (!GetCellAt_(x, y, row, col)) {
        return false;
    }
    LastHitRow = row;
    LastHitCol = col;
    return true;
}
