// Drawing a laid-out table: background, rules, the visible cells and the borders. Right and
// bottom edges and line ends are exclusive, as the canvas draws them.

#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/PtRNData.h"

#include <algorithm>

namespace {

bool Intersects(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

void HLine(TCanvas& canvas, int x1, int x2, int y) {
    canvas.MoveTo(x1, y);
    canvas.LineTo(x2, y);
}

void VLine(TCanvas& canvas, int x, int y1, int y2) {
    canvas.MoveTo(x, y1);
    canvas.LineTo(x, y2);
}

} // namespace

void TRNTableItemInfo::DrawBorder(TCanvas& canvas, int left, int top, int right, int bottom,
                                  int width, TColor lightColor, TColor color, TColor backColor,
                                  TRNTableBorderStyle style, bool showZeroWidth, bool printing,
                                  const TRect& clipRect,
                                  const TRNBooleanRect* visibleBorders) const {
    if (!Intersects(Rect(left, top, right + 1, bottom + 1), clipRect)) {
        return;
    }
    if (width == 0) {
        if (showZeroWidth && !printing) {
            canvas.Pen().SetColor(clBtnFace);
            canvas.Pen().SetWidth(1);
            canvas.Pen().SetStyle(TPenStyle::psDot);
            canvas.Brush().SetStyle(TBrushStyle::bsClear);
            // As a polyline: the canvas fills figures with solid outlines only.
            canvas.Polyline(
                {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}});
            canvas.Pen().SetStyle(TPenStyle::psSolid);
        }
        return;
    }
    const bool halftone =
        printing && PrintOptions.Contains(TRNTablePrintOption::rntoHalftoneBorders);
    const int clipTop = clipRect.Top - 1, clipBottom = clipRect.Bottom + 1;
    width = GetDevY(width);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    if (style == TRNTableBorderStyle::rntbColor) {
        if (color == clNone) {
            return;
        }
        canvas.Pen().SetColor(color);
        const bool all = !visibleBorders || (visibleBorders->Left && visibleBorders->Top &&
                                             visibleBorders->Right && visibleBorders->Bottom);
        if (all) {
            canvas.Pen().SetWidth(width);
            canvas.Pen().SetStyle(TPenStyle::psInsideFrame);
            canvas.Rectangle(left, top, right, bottom);
            canvas.Pen().SetStyle(TPenStyle::psSolid);
            canvas.Pen().SetWidth(1);
            return;
        }
        const TRNBooleanRect& v = *visibleBorders;
        // The visible sides, `inset` pixels inside the edges.
        auto sides = [&](int inset) {
            if (v.Top) {
                HLine(canvas, left, right, top + inset);
            }
            if (v.Bottom) {
                HLine(canvas, left, right, bottom - 1 - inset);
            }
            if (v.Left) {
                VLine(canvas, left + inset, std::max(top, clipTop), std::min(bottom, clipBottom));
            }
            if (v.Right) {
                VLine(canvas, right - 1 - inset, std::max(top, clipTop),
                      std::min(bottom, clipBottom));
            }
        };
        if (halftone) {
            // One thick line, its middle half a width inside the edge.
            canvas.Pen().SetWidth(width);
            sides(width / 2);
        } else {
            canvas.Pen().SetWidth(1);
            for (int i = 0; i < width; ++i) {
                sides(i);
            }
        }
        canvas.Pen().SetWidth(1);
        return;
    }
    // 3-D styles.
    TColor first = clNone, second = clNone;
    const bool backIsHighlight = ColorToRGB(backColor) == ColorToRGB(clBtnHighlight);
    switch (style) {
    case TRNTableBorderStyle::rntbRaised:
        first = backIsHighlight ? clBtnFace : clBtnHighlight;
        second = clBtnShadow;
        break;
    case TRNTableBorderStyle::rntbLowered:
        first = clBtnShadow;
        second = backIsHighlight ? clBtnFace : clBtnHighlight;
        break;
    case TRNTableBorderStyle::rntbRaisedColor:
        first = lightColor;
        second = color;
        break;
    default:
        first = color;
        second = lightColor;
        break;
    }
    --right;
    --bottom;
    int passes = width;
    if (halftone) {
        int h = width / 2;
        left += h;
        top += h;
        right -= h;
        bottom -= h;
        canvas.Pen().SetWidth(width);
        passes = 1;
    } else {
        canvas.Pen().SetWidth(1);
    }
    for (int i = 0; i < passes; ++i) {
        canvas.Pen().SetColor(first);
        HLine(canvas, left, right + 1, top);
        VLine(canvas, left, std::max(top, clipTop), std::min(bottom + 1, clipBottom));
        canvas.Pen().SetColor(second);
        HLine(canvas, left, right + 1, bottom);
        VLine(canvas, right, std::max(top, clipTop), std::min(bottom + 1, clipBottom));
        ++left;
        ++top;
        --right;
        --bottom;
    }
    canvas.Pen().SetWidth(1);
}

void TRNTableItemInfo::PaintFullWidth(int left, int, int top, TCanvas& canvas,
                                      TRNItemDrawStates state, TRNStyle& style,
                                      const TRect& clipRect, TRNDrawLineInfo*) {
    PaintTo(left, top, 0, Rows.Count(), canvas, state, style, FormattingInfo, clipRect);
}

void TRNTableItemInfo::PaintTo(int left, int top, int startRow, int rowCount, TCanvas& canvas,
                               TRNItemDrawStates state, TRNStyle& style,
                               TRNTableItemFormattingInfo& info, const TRect& clipRect) {
    PaintLeft = left;
    PaintTop = top;
    if (Rows.Count() == 0 || info.RowStarts.Count() != Rows.Count() ||
        info.ColStarts.Count() != Rows.ColCount()) {
        return;
    }
    const bool print = info.PrintCells != nullptr;
    const bool printing = state.Contains(TRNItemDrawState::rnidsPrinting);
    const int cols = Rows.ColCount();
    const int cb = GetDevY(CellBorderWidth);
    int firstRow = 0, lastRow = Rows.Count() - 1;
    TRect r;
    if (!print) {
        firstRow = GetCrossed(clipRect.Top - top - GetDevY(BorderWidth), info.RowStarts);
        r = Rect(left, top, left + info.Width, top + info.Height);
    } else {
        firstRow = std::clamp(startRow, 0, Rows.Count() - 1);
        lastRow = std::clamp(startRow + rowCount - 1, firstRow, Rows.Count() - 1);
        int lastEnd = info.RowStarts[Rows.Count() - 1] + info.RowHeights[Rows.Count() - 1];
        int partEnd = info.RowStarts[lastRow] + info.RowHeights[lastRow];
        int height =
            info.RowStarts[0] + (partEnd - info.RowStarts[firstRow]) + (info.Height - lastEnd);
        top -= info.RowStarts[firstRow] - info.RowStarts[0];
        r = Rect(left, top + info.RowStarts[firstRow] - info.RowStarts[0], left + info.Width,
                 top + info.RowStarts[firstRow] - info.RowStarts[0] + height);
    }
    if (Color != clNone) {
        TRect fill = Rect(std::max(r.Left, clipRect.Left), std::max(r.Top, clipRect.Top),
                          std::min(r.Right, clipRect.Right), std::min(r.Bottom, clipRect.Bottom));
        if (fill.Left < fill.Right && fill.Top < fill.Bottom) {
            canvas.Brush().SetStyle(TBrushStyle::bsSolid);
            canvas.Brush().SetColor(Color);
            canvas.FillRect(fill);
        }
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Pen().SetStyle(TPenStyle::psSolid);

    const bool vRules = VRuleWidth != 0 && VRuleColor != clNone;
    const bool hRules = HRuleWidth != 0 && HRuleColor != clNone;
    if (vRules) {
        const int t = GetDevX(VRuleWidth);
        const int half = (GetDevX(CellHSpacing + 2 * CellBorderWidth) + 1) / 2;
        const int firstCol =
            GetCrossed(clipRect.Left - left - GetDevX(BorderWidth + CellHSpacing + BorderHSpacing),
                       info.ColStarts);
        const int inset = hRules && HOutermostRule ? GetDevX(BorderWidth + BorderVSpacing / 2) : 0;
        const int y1 = std::max(r.Top + inset, clipRect.Top - 1);
        const int y2 = std::min(r.Bottom - inset, clipRect.Bottom + 1);
        canvas.Pen().SetColor(VRuleColor);
        canvas.Pen().SetWidth(1);
        auto rule = [&](int x) {
            for (int i = 0; i < t; ++i) {
                VLine(canvas, x - t / 2 + i, y1, y2);
            }
        };
        if (VOutermostRule && firstCol == 0) {
            rule(left + GetDevX(BorderWidth + BorderHSpacing / 2));
        }
        for (int c = firstCol; c + 1 < cols; ++c) {
            int x = left + info.ColStarts[c + 1] - half;
            if (x - t > clipRect.Right) {
                break;
            }
            rule(x);
        }
        if (VOutermostRule) {
            rule(left + info.Width - GetDevX(BorderWidth + BorderHSpacing / 2) - 1 + (t % 2 == 0));
        }
    }
    if (hRules) {
        const int t = GetDevY(HRuleWidth);
        const int half = (GetDevY(CellVSpacing + 2 * CellBorderWidth) + 1) / 2;
        const int inset = vRules && VOutermostRule ? GetDevY(BorderWidth + BorderHSpacing / 2) : 0;
        canvas.Pen().SetColor(HRuleColor);
        canvas.Pen().SetWidth(1);
        auto rule = [&](int y) {
            for (int i = 0; i < t; ++i) {
                HLine(canvas, r.Left + inset, r.Right - inset, y - t / 2 + i);
            }
        };
        if (HOutermostRule && (firstRow <= 1 || print)) {
            rule(r.Top + GetDevY(BorderWidth + BorderVSpacing / 2));
        }
        for (int row = std::max(firstRow - 1, 0); row < lastRow; ++row) {
            int y = top + info.RowStarts[row + 1] - half;
            if (y - t > clipRect.Bottom) {
                break;
            }
            rule(y);
        }
        if (HOutermostRule) {
            rule(r.Bottom - GetDevY(BorderWidth + BorderVSpacing / 2) - 1 + (t % 2 == 0));
        }
    }

    auto paintCell = [&](TRNTableCellData& cell, int row, int col) {
        int x = left + info.ColStarts[col];
        int y = top + info.RowStarts[row];
        int w = cell.Width, h = cell.Height;
        if (print) {
            const int hStep = GetDevX(2 * CellPadding + CellHSpacing + 2 * CellBorderWidth);
            const int vStep = GetDevY(2 * CellPadding + CellVSpacing + 2 * CellBorderWidth);
            w = info.ColWidths[col] + GetDevX(2 * CellPadding);
            for (int k = col + 1; k < col + cell.ColSpan; ++k) {
                w += info.ColWidths[k] + hStep;
            }
            h = info.RowHeights[row] + GetDevY(2 * CellPadding);
            for (int k = row + 1; k < row + cell.RowSpan && k <= lastRow; ++k) {
                h += info.RowHeights[k] + vStep;
            }
        }
        // With the whole table selected every cell shows as selected, its text in the
        // selection's text colour, for this paint only. A cell selection is the screen's: it
        // is not printed.
        const bool whole = state.Contains(TRNItemDrawState::rnidsSelected);
        const bool mark = whole && !cell.State.Contains(TRNStateItem::rnstCompletelySelected);
        if (mark) {
            cell.State.Include(TRNStateItem::rnstCompletelySelected);
        }
        const bool selected = whole || (!print && IsCellSelected(row, col));
        TColor back = selected ? style.SelColor : cell.Color;
        if (back != clNone) {
            canvas.Brush().SetStyle(TBrushStyle::bsSolid);
            canvas.Brush().SetColor(back);
            canvas.Pen().SetColor(back);
            canvas.FillRect(Rect(x, y, x + w, y + h));
            canvas.Brush().SetStyle(TBrushStyle::bsClear);
        }
        if (!print) {
            cell.PaintTo(canvas, Rect(0, 0, clipRect.Right, clipRect.Bottom));
        } else if (auto* printed =
                       dynamic_cast<TRectPtblRNData*>(info.PrintCell(cols * row + col))) {
            printed->DX = left;
            printed->DY = top;
            printed->DrawPage(1, canvas, state.Contains(TRNItemDrawState::rnidsPreview),
                              state.Contains(TRNItemDrawState::rnidsPreviewCorrection));
        }
        DrawBorder(canvas, x - cb, y - cb, x + w + cb, y + h + cb, CellBorderWidth,
                   CellBorderLightColor, CellBorderColor, Color, CellBorderStyle, InEditor,
                   printing, clipRect, &cell.VisibleBorders);
        if (mark) {
            cell.State.Exclude(TRNStateItem::rnstCompletelySelected);
        }
    };
    if (firstRow > 0) {
        for (int c = cols - 1; c >= 0;) {
            int mr = 0, mc = 0;
            TRNTableCellData* cell = Rows.GetMainCell(firstRow, c, mr, mc);
            if (mr < firstRow) {
                paintCell(*cell, print ? firstRow : mr, mc);
            }
            c = mc - 1;
        }
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        if (top + info.RowStarts[row] - cb > clipRect.Bottom) {
            break;
        }
        for (int c = 0; c < cols; ++c) {
            if (left + info.ColStarts[c] - cb > clipRect.Right) {
                break;
            }
            if (TRNTableCellData* cell = Rows.Cell(row, c)) {
                paintCell(*cell, row, c);
            }
        }
    }
    TColor docBack = clWindow;
    if (const TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(Rows.MainRNData)) {
        docBack = doc->GetColor();
    }
    DrawBorder(canvas, r.Left, r.Top, r.Right, r.Bottom, BorderWidth, BorderLightColor, BorderColor,
               docBack, BorderStyle, InEditor, printing, clipRect, nullptr);
    canvas.Pen().SetWidth(1);
}
