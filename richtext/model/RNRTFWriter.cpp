// Writing a document as RTF.
#include "richtext/model/RNRTFWriter.h"

#include "platform/base/CodePage.h"
#include "platform/base/Files.h"
#include "platform/base/Rounding.h"
#include "platform/base/Stream.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ScreenMetrics.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

// The charset a font is declared with. The default charset (1) means "whatever the system's
// page is", which a reader on another system cannot know: such a font's text is written in the
// system's ANSI page, so the charset of that page is declared instead.
int DeclaredCharset(TFontCharset charset) {
    if (charset != DEFAULT_CHARSET) {
        return charset;
    }
    const unsigned page = SystemAnsiCodePage();
    for (TFontCharset candidate :
         {ANSI_CHARSET, EASTEUROPE_CHARSET, RUSSIAN_CHARSET, GREEK_CHARSET, TURKISH_CHARSET,
          HEBREW_CHARSET, ARABIC_CHARSET, BALTIC_CHARSET, VIETNAMESE_CHARSET, THAI_CHARSET,
          SHIFTJIS_CHARSET, HANGEUL_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET}) {
        if (CharsetToCodePage(candidate) == page) {
            return candidate;
        }
    }
    return ANSI_CHARSET;
}

// The bytes after a \u: readers skip one character there, so "\", "{" and "}" go as hex
// escapes, never as control symbols that some readers count as two.
std::string EscapeReplacement(std::string_view ansi) {
    std::string out;
    for (char c : ansi) {
        out += c == '\\'  ? std::string("\\'5c")
               : c == '{' ? std::string("\\'7b")
               : c == '}' ? std::string("\\'7d")
                          : RN_RTFEscapeText(std::string_view(&c, 1));
    }
    return out;
}

int ClampInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string Fmt(const char* format, int a) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a);
    return buffer;
}

// Everything one save at level 0 hands down to its items and nested documents.
struct RTFTables {
    TRNColorList* Colors;
    TRNIntegerList* StyleToFont;
    TRNIntegerList* FontTable;
    double TwipsPerPixel;
};

class RTFWriter {
public:
    RTFWriter(TCustomRNData& data, TStream& stream, int level, const RTFTables& tables)
        : data_(data), sheet_(*data.GetRNStyle()), out_(stream), level_(level), t_(tables),
          options_(data.GetRTFOptions()) {}

    void Header() {
        const TFontInfos& texts = sheet_.TextStyles();
        int lang = RNU_Charset2Language(texts.Count() > 0 ? texts[0].Charset : DEFAULT_CHARSET);
        // Code page 0 stands for the system's ANSI page; readers need the page itself.
        unsigned cp = sheet_.DefCodePage != 0 ? static_cast<unsigned>(sheet_.DefCodePage)
                                              : SystemAnsiCodePage();
        char head[128];
        std::snprintf(head, sizeof head,
                      "{\\rtf1\\ansi\\ansicpg%u\\uc1\\deff0\\deflang%d\\deflangfe%d", cp, lang,
                      lang);
        std::string s = head;
        s += "{\\fonttbl";
        for (int i = 0; i < t_.FontTable->Count(); ++i) {
            const TFontInfo& font = texts[t_.FontTable->Get(i)];
            std::string name = RN_RTFEscapeText(font.FontName);
            std::string escaped;
            for (char c : name) {
                escaped += c == ';' ? std::string("\\'3b") : std::string(1, c);
            }
            s += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" +
                 std::to_string(DeclaredCharset(font.Charset)) + " " + escaped + ";}";
        }
        s += "}{\\colortbl;";
        for (int i = 1; i < t_.Colors->Count(); ++i) {
            uint32_t rgb = ColorToRGB(t_.Colors->Get(i));
            char entry[48];
            std::snprintf(entry, sizeof entry, "\\red%d\\green%d\\blue%d;", GetRValue(rgb),
                          GetGValue(rgb), GetBValue(rgb));
            s += entry;
        }
        s += "}";
        if (options_.Contains(TRNRTFOption::rnrtfSaveStyleSheet)) {
            s += StyleSheet();
        }
        s += "\r\n";
        s += options_.Contains(TRNRTFOption::rnrtfDuplicateUnicode) ? "\\uc1" : "\\uc0";
        out_.WriteString(s);
    }

    // The items from `first` to `last`; with a selection, the first and last items only from
    // `startOffs` and up to `endOffs` (skipped when the selection holds none of them).
    void Items(int first, int last, bool selection, int startOffs, int endOffs) {
        bool firstPara = true;
        int cpCounter = 0;
        bool styleSheet = options_.Contains(TRNRTFOption::rnrtfSaveStyleSheet);
        for (int i = first; i <= last; ++i) {
            TCustomRNItemInfo& item = data_.GetItem(i);
            const std::string& text = data_.GetItemText(i);
            int length = item.IsText() ? RNU_Length(text, item.ItemOptions) : 1;
            int from = selection && i == first ? startOffs : (item.IsText() ? 1 : 0);
            int to = selection && i == last ? endOffs : (item.IsText() ? length + 1 : 1);
            if (selection &&
                ((i == first && from >= (item.IsText() ? length + 1 : 1) && length > 0) ||
                 (i == last && to <= (item.IsText() ? 1 : 0) && length > 0))) {
                continue;
            }
            std::string s;
            // What a selection leaves of a paragraph still starts with the paragraph's marks.
            if (!item.GetSameAsPrev() || firstPara) {
                s += "\r\n";
                if (item.GetBR() && !firstPara) {
                    s += "\\line";
                } else {
                    // A table that wrote its rows has closed the paragraph already.
                    if (!firstPara && !data_.LastContentClosedPara) {
                        s += "\\par";
                    }
                    data_.LastContentClosedPara = false;
                    s += "\\pard";
                    if (item.GetPageBreakBefore()) {
                        s += "\\page";
                    }
                    if (styleSheet) {
                        s += "\\s" + std::to_string(item.ParaNo);
                    }
                    s += ParaProps(item.ParaNo, false);
                    firstPara = false;
                }
            }
            if (item.Checkpoint) {
                std::string name = item.Checkpoint->Name.empty()
                                       ? "RichNoteCheckpoint" + std::to_string(cpCounter)
                                       : RN_RTFEscapeText(item.Checkpoint->Name);
                ++cpCounter;
                s += "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}";
            }
            out_.WriteString(s);
            if (!item.IsText()) {
                item.SaveRTF(out_, data_, i, text, t_.TwipsPerPixel, level_, *t_.Colors,
                             t_.StyleToFont, t_.FontTable);
                continue;
            }
            s = "\\plain ";
            if (styleSheet) {
                s += "\\cs" + std::to_string(sheet_.ParaStyles().Count() + item.StyleNo);
            }
            s += CharProps(item.StyleNo);
            std::string part = from == 1 && to == length + 1
                                   ? text
                                   : RNU_Copy(text, from, to - from, item.ItemOptions);
            if (item.ItemOptions.Contains(TRNItemOption::rnioUnicode)) {
                s += UnicodeText(part, data_.GetStyleCodePage(item.StyleNo));
            } else {
                s += RN_RTFEscapeText(part);
            }
            // A shifted run is ended where it ends: word processors that carry the shift past
            // the next run's reset lift, or drop, the rest of the paragraph.
            if (sheet_.TextStyles()[item.StyleNo].VShift != 0) {
                s += "\\nosupersub ";
            }
            out_.WriteString(s);
        }
    }

private:
    // Word processors take styles by name: styles of one name become one style, and the
    // formatting of the runs in the others is lost (the editor names the styles it makes
    // for bold or a colour after the style they came from). So each name is written once,
    // and "Normal", a word processor's default paragraph style, names no character style:
    // a name already taken gets the style's number.
    std::string StyleSheet() const {
        std::string s = "{\\stylesheet";
        std::set<std::string> taken;
        auto unique = [&taken](const std::string& name, int number) {
            std::string result = name.empty() ? "Style" : name;
            while (!taken.insert(UpperCase(result)).second) {
                result += " " + std::to_string(number);
            }
            return RN_RTFEscapeName(result);
        };
        const TParaInfos& paras = sheet_.ParaStyles();
        for (int i = 0; i < paras.Count(); ++i) {
            s += "{\\s" + std::to_string(i) + ParaProps(i, true) + unique(paras[i].StyleName, i) +
                 ";}";
        }
        taken.insert("NORMAL");
        const TFontInfos& texts = sheet_.TextStyles();
        for (int j = 0; j < texts.Count(); ++j) {
            const int number = paras.Count() + j;
            s += "{\\*\\cs" + std::to_string(number) + CharProps(j) +
                 unique(texts[j].StyleName, number) + ";}";
        }
        return s + "}";
    }

    int Twips(int pixels) const { return RN_PixelsToTwips(pixels, t_.TwipsPerPixel); }

    std::string ParaProps(int paraNo, bool inStyleSheet) const {
        const TParaInfo& p = sheet_.ParaStyles()[paraNo];
        std::string s;
        if (p.LineSpacingType == TRNLineSpacingType::rnlsPercent && p.LineSpacing >= 101) {
            s += Fmt("\\sl%d\\slmult1", ClampInt(int64_t{p.LineSpacing} * 240 / 100));
        }
        static const char* const align[] = {"l", "r", "c", "j"};
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "\\q%s\\fi%d\\li%d\\ri%d\\sb%d\\sa%d",
                      align[static_cast<int>(p.Alignment) & 3], Twips(p.FirstIndent),
                      Twips(p.LeftIndent), Twips(p.RightIndent), Twips(p.SpaceBefore),
                      Twips(p.SpaceAfter));
        s += buffer;
        if (p.Background.Color != clNone) {
            s += Fmt("\\cbpat%d", RN_RTFColorIndex(*t_.Colors, p.Background.Color));
        }
        const TRNBorder& b = p.Border;
        if (b.Style != TRNBorderStyle::rnbNone && b.Color != clNone) {
            s += "\\brdrbtw";
            struct Side {
                bool visible;
                const char* word;
                int32_t offset;
                bool leftOrTop;
            } sides[] = {{b.VisibleBorders.Left, "\\brdrl", b.BorderOffsets.Left, true},
                         {b.VisibleBorders.Top, "\\brdrt", b.BorderOffsets.Top, true},
                         {b.VisibleBorders.Right, "\\brdrr", b.BorderOffsets.Right, false},
                         {b.VisibleBorders.Bottom, "\\brdrb", b.BorderOffsets.Bottom, false}};
            bool thick = b.Style == TRNBorderStyle::rnbThickInside ||
                         b.Style == TRNBorderStyle::rnbThickOutside;
            for (const Side& side : sides) {
                if (!side.visible) {
                    continue;
                }
                s += side.word + Fmt("\\brsp%d", Twips(side.offset));
                switch (b.Style) {
                case TRNBorderStyle::rnbSingle:
                    s += "\\brdrs";
                    break;
                case TRNBorderStyle::rnbDouble:
                    s += "\\brdrdb";
                    break;
                case TRNBorderStyle::rnbTriple:
                    s += "\\brdrtriple";
                    break;
                case TRNBorderStyle::rnbThickInside:
                    s += side.leftOrTop ? "\\brdrthtnmg" : "\\brdrtnthmg";
                    break;
                default:
                    s += side.leftOrTop ? "\\brdrtnthmg" : "\\brdrthtnmg";
                    break;
                }
                s += Fmt("\\brdrcf%d", RN_RTFColorIndex(*t_.Colors, b.Color));
                s += Fmt("\\brdrw%d", Twips(b.Width) * (thick ? 2 : 1));
            }
        }
        if (!inStyleSheet) {
            s += Fmt("\\itap%d", level_);
            if (level_ == 1) {
                s += "\\intbl";
            }
        }
        return s + " ";
    }

    std::string CharProps(int styleNo) const {
        const TFontInfo& f = sheet_.TextStyles()[styleNo];
        std::string s = Fmt("\\f%d", t_.StyleToFont->Get(styleNo));
        if (f.Style.Contains(TFontStyle::fsBold)) {
            s += "\\b";
        }
        if (f.Style.Contains(TFontStyle::fsItalic)) {
            s += "\\i";
        }
        if (f.Style.Contains(TFontStyle::fsUnderline)) {
            s += "\\ul";
        }
        if (f.Style.Contains(TFontStyle::fsStrikeOut)) {
            s += "\\strike";
        }
        if (f.VShift < 0) {
            s += "\\sub";
        } else if (f.VShift > 0) {
            s += "\\super";
        }
        if (f.CharScale != 100) {
            s += Fmt("\\charscalex%d", f.CharScale);
        }
        if (f.StyleEx.Contains(TRNFontStyleEx::rnfsAllCaps)) {
            s += "\\caps";
        }
        s += Fmt("\\fs%d", f.Size * 2);
        if (f.BackColor != clNone) {
            s += Fmt("\\chcbpat%d", RN_RTFColorIndex(*t_.Colors, f.BackColor));
        }
        if (f.Color != clWindowText) {
            s += Fmt("\\cf%d", RN_RTFColorIndex(*t_.Colors, f.Color));
        }
        return s + " ";
    }

    std::string UnicodeText(std::string_view bytes, unsigned codePage) const {
        bool duplicate = options_.Contains(TRNRTFOption::rnrtfDuplicateUnicode);
        std::string s;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            std::string ansi;
            if (duplicate) {
                ansi = RNU_UnicodeToAnsi(codePage, bytes.substr(i, 2));
                if (ansi.size() != 1) {
                    s += Fmt("\\uc%d", static_cast<int>(ansi.size()));
                }
            }
            auto unit = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                             static_cast<uint8_t>(bytes[i + 1]) << 8);
            s += Fmt("\\u%d", unit);
            if (duplicate) {
                std::string escaped = EscapeReplacement(ansi);
                if (escaped.empty() || escaped[0] != '\\') {
                    s += " ";
                }
                s += escaped;
                if (ansi.size() != 1) {
                    s += "\\uc1";
                }
            }
        }
        return s;
    }

    TCustomRNData& data_;
    const TRNStyle& sheet_;
    TStream& out_;
    int level_;
    RTFTables t_;
    TRNRTFOptions options_;
};

} // namespace

std::string RN_RTFEscapeText(std::string_view s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (b < 26 || b > 127) {
            out += "\\'";
            out += digits[b >> 4];
            out += digits[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string RN_RTFEscapeName(std::string_view s) {
    std::string name(s);
    for (char& c : name) {
        if (c == '\\' || c == '{' || c == '}') {
            c = '_';
        }
    }
    return RN_RTFEscapeText(name);
}

int RN_RTFColorIndex(const TRNColorList& colorList, TColor color) {
    if (color == clNone) {
        return 0;
    }
    return std::max(colorList.IndexOf(color), 0);
}

int RN_PixelsToTwips(int pixels, double twipsPerPixel) {
    return ClampInt(DelphiRound(pixels * twipsPerPixel));
}

TRNRTFReaderProperties* TCustomRNData::GetRTFProperties() {
    return nullptr;
}

TRNRTFErrorCode TCustomRNData::LoadRTF(const std::string& fileName) {
    TRNRTFReaderProperties* props = GetRTFProperties();
    if (!props) {
        return TRNRTFErrorCode::rtf_ec_Assertion;
    }
    int first = ItemCount();
    TRNRTFErrorCode ec = props->ReadFromFile(fileName, *this);
    if (ItemCount() > first) {
        MassSimpleConcate(std::max(first - 1, 0), ItemCount() - 1);
    }
    return ec;
}

TRNRTFErrorCode TCustomRNData::LoadRTFFromStream(TStream& stream) {
    TRNRTFReaderProperties* props = GetRTFProperties();
    if (!props) {
        return TRNRTFErrorCode::rtf_ec_Assertion;
    }
    int first = ItemCount();
    TRNRTFErrorCode ec = props->ReadFromStream(stream, *this);
    if (ItemCount() > first) {
        MassSimpleConcate(std::max(first - 1, 0), ItemCount() - 1);
    }
    return ec;
}

void TCustomRNData::MakeRTFColorTable(TRNColorList& colorList, bool clear) {
    if (clear) {
        colorList.Clear();
        for (TColor c :
             {clWindowText, clBlack, clBlue, clAqua, clLime, clFuchsia, clRed, clYellow, clWhite,
              clNavy, clTeal, clGreen, clPurple, clMaroon, clOlive, clGray, clSilver}) {
            colorList.Add(c);
        }
    }
    if (const TRNStyle* sheet = GetRNStyle()) {
        const TFontInfos& texts = sheet->TextStyles();
        for (int i = 0; i < texts.Count(); ++i) {
            colorList.AddUnique(texts[i].Color);
            colorList.AddUnique(texts[i].BackColor);
            colorList.AddUnique(texts[i].HoverColor);
            colorList.AddUnique(texts[i].HoverBackColor);
        }
        const TParaInfos& paras = sheet->ParaStyles();
        for (int i = 0; i < paras.Count(); ++i) {
            if (paras[i].Border.Style != TRNBorderStyle::rnbNone) {
                colorList.AddUnique(paras[i].Border.Color);
            }
            colorList.AddUnique(paras[i].Background.Color);
        }
    }
    for (int i = 0; i < ItemCount(); ++i) {
        if (!GetItem(i).IsText()) {
            GetItem(i).FillRTFColorTable(colorList);
        }
    }
}

bool TCustomRNData::SaveRTFToStream(TStream& stream, bool selectionOnly, int level, TColor color,
                                    IRNBackground* /*background*/, TRNColorList* colorList,
                                    TRNIntegerList* styleToFont, TRNIntegerList* fontTable,
                                    double twipsPerPixel) {
    int first = -1, last = -1, startOffs = 0, endOffs = 0;
    RNFGetLimits(selectionOnly, first, last, startOffs, endOffs);
    if (first < 0 || last < first || last >= ItemCount() || !GetRNStyle()) {
        return true;
    }
    if (level > 0 && colorList && styleToFont && fontTable) {
        RTFWriter writer(*this, stream, level, {colorList, styleToFont, fontTable, twipsPerPixel});
        writer.Items(first, last, selectionOnly, startOffs, endOffs);
        return true;
    }
    StartPartialExport(first, last);
    TRNColorList colors;
    TRNIntegerList styleToFontList;
    TRNIntegerList fonts;
    const TFontInfos& texts = GetRNStyle()->TextStyles();
    for (int i = 0; i < texts.Count(); ++i) {
        int found = -1;
        for (int k = 0; k < fonts.Count() && found < 0; ++k) {
            const TFontInfo& other = texts[fonts[k]];
            if (other.FontName == texts[i].FontName && other.Charset == texts[i].Charset) {
                found = k;
            }
        }
        if (found < 0) {
            fonts.Add(i);
            found = fonts.Count() - 1;
        }
        styleToFontList.Add(found);
    }
    MakeRTFColorTable(colors, true);
    if (color != clWindow) {
        colors.AddUnique(color);
    }
    RTFWriter writer(*this, stream, 0,
                     {&colors, &styleToFontList, &fonts, 1440.0 / ScreenPixelsPerInch()});
    writer.Header();
    writer.Items(first, last, selectionOnly, startOffs, endOffs);
    // An empty last paragraph is closed: without its mark no reader makes a paragraph of it.
    const TCustomRNItemInfo& lastItem = GetItem(last);
    if (lastItem.IsText() && !lastItem.GetSameAsPrev() &&
        RNU_Length(GetItemText(last), lastItem.ItemOptions) == 0) {
        stream.WriteString("\\par");
    }
    stream.WriteString("}");
    EndPartialExport(first, last);
    return true;
}

bool TCustomRNData::SaveRTF(const std::string& fileName, bool selectionOnly, TColor color,
                            IRNBackground* background) {
    try {
        TMemoryStream buffer;
        if (!SaveRTFToStream(buffer, selectionOnly, 0, color, background, nullptr, nullptr, nullptr,
                             0)) {
            return false;
        }
        AtomicFileWriter file(fileName);
        return file.Write(buffer.Memory(), static_cast<size_t>(buffer.Size())) && file.Commit();
    } catch (...) {
        return false;
    }
}
