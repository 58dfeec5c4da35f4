// A table in HTML (TABLE, TR and TD with unquoted attributes, with or without CSS) and in
// plain text (cells joined by the table's separators).

#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNUni.h"
#include "richtext/tables/RNTable.h"

#include <string>

namespace {

// " name=value", or nothing for an empty value or the attribute's default.
std::string Attr(const char* name, const std::string& value, const char* defaultValue = "") {
    if (value.empty() || value == defaultValue) {
        return {};
    }
    return std::string(" ") + name + "=" + value;
}

// Pixels as the number, a percentage as the number and "%", automatic as nothing.
std::string HTMLLength(int value) {
    if (value > 0) {
        return std::to_string(value);
    }
    if (value < 0) {
        return std::to_string(-static_cast<int64_t>(value)) + "%";
    }
    return {};
}

std::string StyleAttr(const std::string& style) {
    return style.empty() ? std::string() : " style='" + style + "'";
}

// "border-color : a b c d; border-style: solid" for the four sides top, right, bottom, left.
std::string BorderColors(TColor top, TColor right, TColor bottom, TColor left) {
    return "border-color : " + RN_GetHTMLRGBStr(top) + " " + RN_GetHTMLRGBStr(right) + " " +
           RN_GetHTMLRGBStr(bottom) + " " + RN_GetHTMLRGBStr(left) + "; border-style: solid";
}

} // namespace

void TRNTableItemInfo::SaveToHTML(TStream& stream, TCustomRNData&, int, std::string_view,
                                  const std::string& path, const std::string& imagesPrefix,
                                  int& imageSaveNo, TColor currentFileColor, bool overrideImages,
                                  bool useCSS, TRNList<TRNHTMLBulletInfo>& bullets) {
    using S = TRNTableBorderStyle;
    const bool colorStyles =
        BorderStyle == S::rntbRaisedColor || BorderStyle == S::rntbLoweredColor;
    std::string cellBase;
    std::string tableStyle;
    if (useCSS) {
        if (!(CellBorderWidth == BorderWidth && BorderWidth <= 1) &&
            !(CellBorderWidth == 1 && BorderWidth > 1)) {
            cellBase = "border-width : " + std::to_string(CellBorderWidth) + "px; ";
        }
        switch (CellBorderStyle) {
        case S::rntbRaised:
            cellBase += "border-style: outset";
            break;
        case S::rntbLowered:
            break;
        case S::rntbColor:
            if (!(BorderStyle == S::rntbColor && CellBorderColor == BorderColor)) {
                cellBase +=
                    "border-color : " + RN_GetHTMLRGBStr(CellBorderColor) + "; border-style: solid";
            }
            break;
        case S::rntbRaisedColor:
            cellBase += BorderColors(CellBorderLightColor, CellBorderColor, CellBorderColor,
                                     CellBorderLightColor);
            break;
        case S::rntbLoweredColor:
            if (!(CellBorderColor == BorderColor && CellBorderLightColor == BorderLightColor &&
                  colorStyles)) {
                cellBase += BorderColors(CellBorderColor, CellBorderLightColor,
                                         CellBorderLightColor, CellBorderColor);
            }
            break;
        }
        if (BorderStyle == S::rntbLowered) {
            tableStyle = "border-style: inset";
        } else if (BorderStyle == S::rntbLoweredColor) {
            tableStyle = BorderColors(BorderColor, BorderLightColor, BorderLightColor, BorderColor);
        }
    }
    std::string borderColors;
    if (BorderStyle == S::rntbColor) {
        borderColors = Attr("bordercolor", RN_GetHTMLRGBStr(BorderColor));
    } else if (colorStyles) {
        borderColors = Attr("bordercolordark", RN_GetHTMLRGBStr(BorderColor)) +
                       Attr("bordercolorlight", RN_GetHTMLRGBStr(BorderLightColor));
    }
    const std::string tableColor = RN_GetHTMLRGBStr(Color);
    RNWriteLn(stream, "<TABLE" + Attr("width", HTMLLength(BestWidth)) +
                          Attr("bgcolor", tableColor) +
                          Attr("border", std::to_string(BorderWidth), "0") +
                          Attr("cellpadding", std::to_string(CellPadding)) + borderColors +
                          Attr("cellspacing", std::to_string((CellVSpacing + CellHSpacing) / 2)) +
                          StyleAttr(tableStyle) + ">");
    using O = TRNSaveOption;
    TRNSaveOptions options{O::rnsoMiddleOnly};
    if (overrideImages) {
        options.Include(O::rnsoOverrideImages);
    }
    for (int r = 0; r < Rows.Count(); ++r) {
        RNWriteLn(stream, "  <TR>");
        const TRNTableRow& row = *Rows.Get(r);
        for (int c = 0; c < row.Count(); ++c) {
            TRNTableCellData* cell = row.Cell(c);
            if (!cell) {
                continue;
            }
            std::string style;
            if (useCSS) {
                style = cellBase;
                const size_t n = style.size();
                if (n > 0 && style[n - 1] != ';' && (n < 2 || style[n - 2] != ';')) {
                    style += "; ";
                }
                const TRNBooleanRect& v = cell->VisibleBorders;
                const std::pair<bool, const char*> sides[] = {{v.Top, "border-top: none; "},
                                                              {v.Right, "border-right: none; "},
                                                              {v.Bottom, "border-bottom: none; "},
                                                              {v.Left, "border-left: none; "}};
                for (auto [shown, word] : sides) {
                    if (!shown) {
                        style += word;
                    }
                }
            }
            RNWriteLn(stream,
                      "    <TD" + Attr("colspan", std::to_string(cell->ColSpan), "1") +
                          Attr("rowspan", std::to_string(cell->RowSpan), "1") +
                          Attr("width", HTMLLength(cell->BestWidth)) +
                          Attr("height", HTMLLength(cell->BestHeight)) +
                          Attr("bgcolor", RN_GetHTMLRGBStr(cell->Color), tableColor.c_str()) +
                          StyleAttr(style) + " valign=top>");
            if (cell->HasData()) {
                const TColor back = GetCellColor(*cell);
                if (useCSS) {
                    cell->SaveHTMLToStreamEx(stream, path, "", imagesPrefix, "", "", "", options,
                                             back, currentFileColor, imageSaveNo, 0, 0, 0, 0,
                                             nullptr, &bullets);
                } else {
                    cell->SaveHTMLToStream(stream, path, "", imagesPrefix, options, back,
                                           imageSaveNo, 0, 0, 0, 0, nullptr, &bullets);
                }
            } else {
                RNWriteLn(stream, "&nbsp;");
            }
            RNWriteLn(stream, "    </TD>");
        }
        RNWriteLn(stream, "  </TR>");
    }
    RNWriteLn(stream, "</TABLE>");
}

bool TRNTableItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    using P = TRNItemBoolProperty;
    switch (prop) {
    case P::rnbpPrintToBMP:
        return false;
    case P::rnbpDrawingChangesFont:
    case P::rnbpPrintRequiresPrinterDPI:
    case P::rnbpCanSaveUnicode:
    case P::rnbpAlwaysInText:
        return true;
    default:
        return TRNFullLineItemInfo::GetBoolValue(prop);
    }
}

namespace {

// A field as spreadsheets write it: one holding a line break, a tab or a double quote goes in
// double quotes, its own doubled; any other as it is. UTF-16 text is read by its 16-bit units.
std::string SpreadsheetField(std::string text, bool unicode) {
    const size_t unit = unicode ? 2 : 1;
    const auto at = [&](size_t i) {
        const auto low = static_cast<unsigned char>(text[i]);
        return unicode ? low | static_cast<unsigned char>(text[i + 1]) << 8 : unsigned{low};
    };
    const auto quoting = [&] {
        for (size_t i = 0; i + unit <= text.size(); i += unit) {
            const unsigned u = at(i);
            if (u == '\r' || u == '\n' || u == '\t' || u == '"') {
                return true;
            }
        }
        return false;
    };
    if (!quoting()) {
        return text;
    }
    const std::string quote = unicode ? std::string("\"\0", 2) : std::string("\"");
    std::string field = quote;
    for (size_t i = 0; i + unit <= text.size(); i += unit) {
        field.append(text, i, unit);
        if (at(i) == '"') {
            field += quote;
        }
    }
    return field + quote;
}

// The cells' texts row by row with the table's separators, each cell's as it is or as a field.
std::string GridText(const TRNTableItemInfo& table, int lineWidth, TCustomRNData& rnData,
                     const std::string& path, bool textOnly, bool unicode, bool asFields) {
    std::string rowSeparator = table.TextRowSeparator;
    std::string colSeparator = table.TextColSeparator;
    if (unicode) {
        const unsigned codePage = rnData.GetDefaultCodePage();
        rowSeparator = RNU_AnsiToUnicode(codePage, rowSeparator);
        colSeparator = RNU_AnsiToUnicode(codePage, colSeparator);
    }
    TMemoryStream text;
    for (int r = 0; r < table.Rows.Count(); ++r) {
        const TRNTableRow& row = *table.Rows.Get(r);
        for (int c = 0; c < row.Count(); ++c) {
            if (TRNTableCellData* cell = row.Cell(c); cell && !asFields) {
                cell->SaveTextToStream(path, text, lineWidth, false, textOnly, unicode);
            } else if (cell) {
                TMemoryStream field;
                cell->SaveTextToStream(path, field, lineWidth, false, textOnly, unicode);
                text.WriteString(SpreadsheetField(field.Bytes(), unicode));
            }
            if (c < row.Count() - 1) {
                text.WriteString(colSeparator);
            }
        }
        text.WriteString(rowSeparator);
    }
    return text.Bytes();
}

} // namespace

std::string TRNTableItemInfo::AsText(int lineWidth, TCustomRNData& rnData, std::string_view,
                                     const std::string& path, bool textOnly, bool unicode) {
    return GridText(*this, lineWidth, rnData, path, textOnly, unicode, false);
}

std::string TRNTableItemInfo::AsSpreadsheetText(int lineWidth, TCustomRNData& rnData,
                                                const std::string& path, bool textOnly,
                                                bool unicode) {
    return GridText(*this, lineWidth, rnData, path, textOnly, unicode, true);
}
