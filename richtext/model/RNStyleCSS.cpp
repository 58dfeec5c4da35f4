// The style sheet as CSS, for pages exported with style classes.
#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNStyle.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Fmt(const char* format, int value) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A style name inside a CSS comment: "*/" would end the comment early.
std::string CommentText(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        out += name[i];
        if (name[i] == '*' && i + 1 < name.size() && name[i + 1] == '/') {
            out += ' ';
        }
    }
    return out;
}

// A font name inside a double-quoted CSS string.
std::string CSSString(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string Upper(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string BackColorText(TColor color) {
    return color == clNone ? "transparent" : RN_GetHTMLRGBStr(color);
}

std::string VAlignText(const TFontInfo& f) {
    return f.VShift > 0 ? "super" : f.VShift < 0 ? "sub" : "";
}

std::string Decoration(const TFontInfo& f) {
    std::string first = f.Style.Contains(TFontStyle::fsUnderline)   ? "underline"
                        : f.Style.Contains(TFontStyle::fsStrikeOut) ? "line-through"
                                                                    : "";
    std::string second = f.StyleEx.Contains(TRNFontStyleEx::rnfsOverline) ? "overline" : "";
    if (!first.empty() && !second.empty()) {
        return second + " " + first;
    }
    if (!first.empty() || !second.empty()) {
        return first + second;
    }
    return "none";
}

} // namespace

void TRNStyle::SaveCSSToStream(TStream& stream, TRNSaveCSSOptions options) const {
    const TFontInfos& texts = TextStyles();
    RNWriteLn(stream, "/*----------Text Styles----------*/");
    RNWriteLn(stream,
              "HR { color: " + (texts.Count() > 0 ? RN_GetHTMLRGBStr(texts[0].Color) : "") + "}");
    for (int i = 0; i < texts.Count(); ++i) {
        const TFontInfo& f = texts[i];
        std::string name = CommentText(f.StyleName);
        if (i == 0 && !f.Jump && f.BackColor == clNone) {
            RNWriteLn(stream, "BODY, TABLE /* " + name + " */");
        } else if (!f.Jump) {
            RNWriteLn(stream, Fmt("SPAN.RNTS%d /* ", i) + name + " */");
        } else {
            RNWriteLn(stream, Fmt("A.RNTS%d, ", i) + Fmt("SPAN.RNTS%d /* ", i) + name + " */");
        }
        RNWriteLn(stream, "{");
        const TFontInfo* base = nullptr;
        if (options.Contains(TRNSaveCSSOption::rncssOnlyDifference) && f.BaseStyleNo >= 0 &&
            f.BaseStyleNo < texts.Count()) {
            base = &texts[f.BaseStyleNo];
        }
        if (!base || base->Size != f.Size) {
            RNWriteLn(stream, Fmt("  font-size: %dpt;", f.Size));
        }
        if (!base || Upper(base->FontName) != Upper(f.FontName)) {
            RNWriteLn(stream, "  font-family: \"" + CSSString(f.FontName) + "\";");
        }
        bool italic = f.Style.Contains(TFontStyle::fsItalic);
        if (!base || base->Style.Contains(TFontStyle::fsItalic) != italic) {
            RNWriteLn(stream, std::string("  font-style: ") + (italic ? "italic" : "normal") + ";");
        }
        bool bold = f.Style.Contains(TFontStyle::fsBold);
        if (!base || base->Style.Contains(TFontStyle::fsBold) != bold) {
            RNWriteLn(stream, std::string("  font-weight: ") + (bold ? "bold" : "normal") + ";");
        }
        if (!base || base->Color != f.Color) {
            RNWriteLn(stream, "  color: " + RN_GetHTMLRGBStr(f.Color) + ";");
        }
        if (base ? base->BackColor != f.BackColor : (i != 0 || f.BackColor != clNone)) {
            RNWriteLn(stream, "  background-color: " + BackColorText(f.BackColor) + ";");
        }
        std::string vAlign = VAlignText(f);
        if (base ? VAlignText(*base) != vAlign : !vAlign.empty()) {
            RNWriteLn(stream, "  vertical-align: " + vAlign + ";");
        }
        std::string decoration = Decoration(f);
        if (!base || Decoration(*base) != decoration) {
            RNWriteLn(stream, "  text-decoration: " + decoration + ";");
        }
        RNWriteLn(stream, "}");
        if (f.Jump) {
            TColor hover = GetHoverColorByColor(f.HoverColor);
            TColor baseHover = base ? GetHoverColorByColor(base->HoverColor) : clNone;
            bool hoverDiffers = !base || baseHover != hover;
            bool backDiffers = !base || base->HoverBackColor != f.HoverBackColor;
            bool writeHover = hover != clNone && hoverDiffers;
            bool writeBack = f.HoverBackColor != clNone && backDiffers;
            if (writeHover || writeBack) {
                std::string s = Fmt("A.RNTS%d:hover {", i);
                if (writeHover) {
                    s += " color: " + RN_GetHTMLRGBStr(hover) + ";";
                }
                if (writeBack) {
                    s += " background-color: " + RN_GetHTMLRGBStr(f.HoverBackColor) + ";";
                }
                stream.WriteString(s + " }");
            }
        }
    }
    RNWriteLn(stream, "/*----------Para Styles----------*/");
    const TParaInfos& paras = ParaStyles();
    for (int i = 0; i < paras.Count(); ++i) {
        const TParaInfo& p = paras[i];
        std::string name = CommentText(p.StyleName);
        RNWriteLn(stream, i == 0 ? "P /* " + name + " */" : Fmt("P.RNPS%d  /* ", i) + name + " */");
        RNWriteLn(stream, "{");
        if (!(options.Contains(TRNSaveCSSOption::rncssIgnoreLeftAlignment) &&
              p.Alignment == TRNAlignment::rnaLeft)) {
            static const char* const align[] = {"left", "right", "center", "justify"};
            RNWriteLn(stream, std::string("  text-align: ") +
                                  align[static_cast<int>(p.Alignment) & 3] + ";");
        }
        RNWriteLn(stream, Fmt("  text-indent: %dpx;", p.FirstIndent));
        TRNRect padding;
        const TRNBorder& b = p.Border;
        if (b.Style != TRNBorderStyle::rnbNone && b.Color != clNone) {
            RNWriteLn(stream, "  border-color: " + RN_GetHTMLRGBStr(b.Color) + ";");
            const char* style = b.Style == TRNBorderStyle::rnbSingle ? "solid" : "double";
            RNWriteLn(stream, std::string("  border-style: ") + style + ";");
            int width = b.Width;
            switch (b.Style) {
            case TRNBorderStyle::rnbDouble:
                width = b.Width + b.InternalWidth;
                break;
            case TRNBorderStyle::rnbTriple:
                width = b.Width + 2 * b.InternalWidth;
                break;
            case TRNBorderStyle::rnbThickInside:
            case TRNBorderStyle::rnbThickOutside:
                width = 3 * b.Width / 2 + b.InternalWidth;
                break;
            default:
                break;
            }
            RNWriteLn(stream, Fmt("  border-width: %dpx;", width));
            if (!b.VisibleBorders.Top) {
                RNWriteLn(stream, "  border-top: none;");
            }
            if (!b.VisibleBorders.Right) {
                RNWriteLn(stream, "  border-right: none;");
            }
            if (!b.VisibleBorders.Bottom) {
                RNWriteLn(stream, "  border-bottom: none;");
            }
            if (!b.VisibleBorders.Left) {
                RNWriteLn(stream, "  border-left: none;");
            }
            padding = b.BorderOffsets;
        }
        if (p.Background.Color != clNone) {
            RNWriteLn(stream, "  background: " + RN_GetHTMLRGBStr(p.Background.Color) + ";");
            const TRNRect& o = p.Background.BorderOffsets;
            padding.Left = std::max(padding.Left, o.Left);
            padding.Top = std::max(padding.Top, o.Top);
            padding.Right = std::max(padding.Right, o.Right);
            padding.Bottom = std::max(padding.Bottom, o.Bottom);
        }
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "  padding: %dpx %dpx %dpx %dpx;", padding.Top,
                      padding.Right, padding.Bottom, padding.Left);
        RNWriteLn(stream, buffer);
        std::snprintf(buffer, sizeof buffer, "  margin: %dpx %dpx %dpx %dpx;",
                      p.SpaceBefore - padding.Top, p.RightIndent - padding.Right,
                      p.SpaceAfter - padding.Bottom, p.LeftIndent - padding.Left);
        RNWriteLn(stream, buffer);
        RNWriteLn(stream, "}");
    }
}

bool TRNStyle::SaveCSS(const std::string& fileName, TRNSaveCSSOptions options) const {
    try {
        TMemoryStream buffer;
        SaveCSSToStream(buffer, options);
        AtomicFileWriter file(fileName);
        return file.Write(buffer.Memory(), static_cast<size_t>(buffer.Size())) && file.Commit();
    } catch (...) {
        return false;
    }
}
