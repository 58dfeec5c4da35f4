// A table in RTF: per row a "\trowd" group with its gaps, paddings, spacings, widths and
// borders, then per slot the merge, width, border and shading words and the right edge from
// the layout, then the cells' documents one level deeper. Tables inside cells use the
// nested-table syntax. The layout is the screen's where it fits the page of the file; a table
// wider than that is laid out again for the page.

#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNRTFWriter.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"

#include <cmath>
#include <cstdio>

namespace {

// The text width of an RTF that names no page: a letter sheet of 12240 twips less the margins
// of 1800 a reader gives it on either side.
constexpr int PageTextTwips = 12240 - 2 * 1800;

// The width, in pixels, a table inside a cell being written has: its cell's. 0 outside.
thread_local int cellRoom = 0;

class CellRoomScope {
public:
    explicit CellRoomScope(int room) : saved_(cellRoom) { cellRoom = room; }
    ~CellRoomScope() { cellRoom = saved_; }
    CellRoomScope(const CellRoomScope&) = delete;
    CellRoomScope& operator=(const CellRoomScope&) = delete;

private:
    int saved_;
};

// The room a table has in the file, in pixels: the page's text width, or inside a cell the
// cell's width.
int RoomInFile(int level, double twipsPerPixel) {
    if (level > 0 && cellRoom > 0) {
        return cellRoom;
    }
    return twipsPerPixel > 0 ? static_cast<int>(PageTextTwips / twipsPerPixel) : 0;
}

// Pixels in RTF units: the nearest integer, halves to the even neighbour.
int Twips(double pixels, double twipsPerPixel) {
    return static_cast<int>(std::nearbyint(pixels * twipsPerPixel));
}
int HalfTwips(double pixels, double twipsPerPixel) {
    return static_cast<int>(std::nearbyint(pixels * twipsPerPixel / 2.0));
}

template <class... Args> std::string Fmt(const char* format, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// The width words of a table ("tr") or cell ("cl"): pixels, fiftieths of a percent, or auto.
std::string WidthWords(const char* prefix, TRNHTMLLength width, double twipsPerPixel) {
    if (width > 0) {
        return Fmt("\\%swWidth%d\\%sftsWidth3", prefix, Twips(width, twipsPerPixel), prefix);
    }
    if (width < 0) {
        return Fmt("\\%swWidth%d\\%sftsWidth2", prefix, -width * 50, prefix);
    }
    return Fmt("\\%sftsWidth1", prefix);
}

std::string BorderWords(TRNTableBorderStyle style, int width, TColor color, TColor lightColor,
                        const TRNBooleanRect* visible, const char* prefix, double twipsPerPixel,
                        const TRNColorList& colorList) {
    if (width <= 0) {
        return {};
    }
    using S = TRNTableBorderStyle;
    const int w = Twips(width, twipsPerPixel);
    const TColor leftTop = style == S::rntbRaisedColor ? lightColor : color;
    const TColor rightBottom = style == S::rntbLoweredColor ? lightColor : color;
    auto word = [&](TColor sideColor) {
        switch (style) {
        case S::rntbRaised:
            return Fmt("\\brdroutset\\brdrw%d", w);
        case S::rntbLowered:
            return Fmt("\\brdrinset\\brdrw%d", w);
        default:
            return Fmt("\\brdrs\\brdrw%d\\brdrcf%d", w, RN_RTFColorIndex(colorList, sideColor));
        }
    };
    struct Side {
        bool shown;
        const char* letter;
        TColor color;
    };
    const Side sides[] = {{!visible || visible->Left, "l", leftTop},
                          {!visible || visible->Top, "t", leftTop},
                          {!visible || visible->Right, "r", rightBottom},
                          {!visible || visible->Bottom, "b", rightBottom}};
    std::string s;
    for (const Side& side : sides) {
        if (side.shown) {
            s += Fmt("\\%sbrdr%s", prefix, side.letter) + word(side.color);
        }
    }
    return s;
}

void AddBorderColors(TRNColorList& colorList, TRNTableBorderStyle style, TColor color,
                     TColor lightColor) {
    using S = TRNTableBorderStyle;
    switch (style) {
    case S::rntbRaised:
    case S::rntbLowered:
        colorList.AddUnique(clBtnHighlight);
        colorList.AddUnique(clBtnShadow);
        colorList.AddUnique(clBtnFace);
        break;
    case S::rntbColor:
        colorList.AddUnique(color);
        break;
    case S::rntbRaisedColor:
    case S::rntbLoweredColor:
        colorList.AddUnique(color);
        colorList.AddUnique(lightColor);
        break;
    }
}

} // namespace

void TRNTableItemInfo::FillRTFColorTable(TRNColorList& colorList) {
    colorList.AddUnique(Color);
    AddBorderColors(colorList, BorderStyle, BorderColor, BorderLightColor);
    AddBorderColors(colorList, CellBorderStyle, CellBorderColor, CellBorderLightColor);
    if (VRuleWidth > 0) {
        colorList.AddUnique(VRuleColor);
    }
    if (HRuleWidth > 0) {
        colorList.AddUnique(HRuleColor);
    }
    Rows.ForEachCell([&](TRNTableCellData& cell) {
        colorList.AddUnique(cell.Color);
        cell.MakeRTFColorTable(colorList, false);
    });
}

void TRNTableItemInfo::SaveRTF(TStream& stream, TCustomRNData& rnData, int, const std::string&,
                               double twipsPerPixel, int level, TRNColorList& colorList,
                               TRNIntegerList* styleToFont, TRNIntegerList* fontTable) {
    // The cell edges come from the screen layout; a layout that does not match the grid (or
    // none at all) is made for the room the table has in the file. A table wider than that
    // room (as wide as a wide window) is laid out again for it, the screen's layout kept.
    const int room = RoomInFile(level, twipsPerPixel);
    if (FormattingInfo.Width == 0 || FormattingInfo.ColStarts.Count() != Rows.ColCount() ||
        FormattingInfo.ColWidths.Count() != Rows.ColCount()) {
        FormattingInfo.Width = 0;
        OnDocWidthChange(room > 0 ? room : 600, nullptr, false);
    }
    TRNTableItemFormattingInfo fitted(false);
    const TRNTableItemFormattingInfo& layout =
        room > 0 && FormattingInfo.Width > room && LayOutColumns(room, fitted) ? fitted
                                                                               : FormattingInfo;
    const double tpp = twipsPerPixel;
    const bool nest = level > 0;
    const int itap = level + 1;
    const char* const openPrefix = nest ? "\\*\\nesttableprops" : "";
    const char* const closePrefix = nest ? "nest" : "";
    const char* align = "";
    if (const TRNStyle* sheet = rnData.GetRNStyle();
        sheet && ParaNo >= 0 && ParaNo < sheet->ParaStyles().Count()) {
        switch (sheet->ParaStyles()[ParaNo].Alignment) {
        case TRNAlignment::rnaRight:
            align = "\\trqr";
            break;
        case TRNAlignment::rnaCenter:
            align = "\\trqc";
            break;
        default:
            break;
        }
    }
    const int rowCount = Rows.Count();
    for (int r = 0; r < rowCount; ++r) {
        const TRNTableRow& row = *Rows.Get(r);
        std::string s = Fmt("{%s", openPrefix);
        s += Fmt("\\trowd%s\\trgaph%d\\trleft%d\\itap%d", align, HalfTwips(CellHSpacing, tpp), 0,
                 itap);
        if (row.GetBestHeight() > 0) {
            s += Fmt("\\trrh%d", Twips(row.GetBestHeight(), tpp));
        }
        const int padding = Twips(CellPadding, tpp);
        s += Fmt("\\trpaddl%d\\trpaddt%d\\trpaddr%d\\trpaddb%d"
                 "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3",
                 padding, padding, padding, padding);
        const int hSpacing = Twips(CellHSpacing, tpp);
        s += Fmt("\\trspdl%d\\trspdr%d\\trspdfl3\\trspdfr3", hSpacing, hSpacing);
        s += Fmt("\\trspdt%d\\trspdb%d\\trspdft3\\trspdfb3",
                 HalfTwips(r == 0 ? BorderVSpacing : CellVSpacing, tpp),
                 HalfTwips(r == rowCount - 1 ? BorderVSpacing : CellVSpacing, tpp));
        s += WidthWords("tr", BestWidth, tpp);
        s += BorderWords(BorderStyle, BorderWidth, BorderColor, BorderLightColor, nullptr, "tr",
                         tpp, colorList);
        for (int c = 0; c < row.Count(); ++c) {
            int mr = 0, mc = 0;
            const TRNTableCellData& main = *Rows.GetMainCell(r, c, mr, mc);
            if (!row.Cell(c)) {
                if (r > mr) {
                    s += "\\clvmrg";
                    if (c == mc && main.ColSpan > 1) {
                        s += "\\clmgf";
                    }
                }
                if (c > mc) {
                    s += "\\clmrg";
                    if (r == mr && main.RowSpan > 1) {
                        s += "\\clvmgf";
                    }
                }
            } else {
                if (main.RowSpan > 1) {
                    s += "\\clvmgf";
                }
                if (main.ColSpan > 1) {
                    s += "\\clmgf";
                }
                if (main.BestWidth < 0 || main.BestWidth == 0 ||
                    Options.Contains(TRNTableOption::rntoRTFSaveCellPixelBestWidth)) {
                    s += WidthWords("cl", main.BestWidth, tpp);
                }
            }
            s += BorderWords(CellBorderStyle, CellBorderWidth, CellBorderColor,
                             CellBorderLightColor, &main.VisibleBorders, "cl", tpp, colorList);
            // The document's own background may be missing from the table: no shading then,
            // as an index of -1 would make the file unreadable.
            if (const TColor back = GetCellColor(main); back != clNone) {
                if (const int index = colorList.IndexOf(back); index >= 0) {
                    s += Fmt("\\clcbpat%d", index);
                }
            }
            s += Fmt("\\cellx%d", static_cast<int>(std::nearbyint(
                                      (layout.ColStarts[c] + layout.ColWidths[c]) * tpp +
                                      CellHSpacing * tpp / 2.0)));
        }
        s += Fmt("\\pard\\intbl\\itap%d{", itap);
        stream.WriteString(s);
        for (int c = 0; c < row.Count(); ++c) {
            stream.WriteString("{");
            if (TRNTableCellData* cell = row.Cell(c)) {
                const int last = c + cell->ColSpan - 1;
                const CellRoomScope inCell(layout.ColStarts[last] + layout.ColWidths[last] -
                                           layout.ColStarts[c]);
                cell->SaveRTFToStream(stream, false, itap, clNone, nullptr, &colorList, styleToFont,
                                      fontTable, tpp);
            }
            stream.WriteString(Fmt("\\%scell}", closePrefix));
        }
        stream.WriteString(Fmt("}\\pard\\intbl\\itap%d", itap) + Fmt("\\%srow}", closePrefix));
    }
    rnData.LastContentClosedPara = true;
}
