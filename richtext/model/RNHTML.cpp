// Writing a document as an HTML page: with FONT markup, or with the style sheet's CSS classes.
#include "richtext/model/RNHTML.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PictureShowing.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <cstdio>
#include <filesystem>

std::string RN_MakeHTMLStr(std::string_view s, bool fillEmpty) {
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        if (c == '&') {
            out += "&amp";
        } else if (c == '>') {
            out += "&gt";
        } else if (c == '<') {
            out += "&lt";
        } else {
            out += c;
        }
    }
    // Pairs of spaces, each pair leaving one space that may pair with the next.
    for (size_t at = out.find("  "); at != std::string::npos; at = out.find("  ", at)) {
        out.replace(at, 2, "&nbsp ");
        at += 5;
    }
    if (fillEmpty && out.empty()) {
        out = "&nbsp;";
    }
    return out;
}

std::string RN_CharSet2HTMLLang(TFontCharset charset) {
    switch (charset) {
    case 128:
        return "shift_jis";
    case 134:
        return "gb2312";
    case 136:
        return "big5";
    case 161:
        return "Windows-1253";
    case 162:
        return "Windows-1254";
    case 163:
        return "Windows-1258";
    case 177:
        return "Windows-1255";
    case 178:
        return "Windows-1256";
    case 186:
        return "Windows-1257";
    case 204:
        return "Windows-1251";
    case 222:
        return "Windows-874";
    case 238:
        return "Windows-1250";
    case 255:
        return "ascii";
    default:
        return "";
    }
}

void RNWriteLn(TStream& stream, std::string_view text) {
    stream.WriteString(text);
    stream.WriteString("\r\n");
}

std::string RN_HTMLAttrEscape(std::string_view s) {
    return HtmlEscape(s);
}

namespace {

// Which of head, body and tail a save writes.
struct HTMLParts {
    bool Head, Body, Tail;
    explicit HTMLParts(TRNSaveOptions o) {
        bool first = o.Contains(TRNSaveOption::rnsoFirstOnly);
        bool middle = o.Contains(TRNSaveOption::rnsoMiddleOnly);
        bool last = o.Contains(TRNSaveOption::rnsoLastOnly);
        Head = !middle && !last;
        Body = !first && !last;
        Tail = !first && !middle;
    }
};

std::string Fmt(const char* format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

int HTMLSize(int points) {
    if (points < 9) {
        return 1;
    }
    if (points <= 10) {
        return 2;
    }
    if (points <= 12) {
        return 3;
    }
    if (points <= 14) {
        return 4;
    }
    if (points <= 18) {
        return 5;
    }
    if (points <= 24) {
        return 6;
    }
    return 7;
}

constexpr struct {
    TFontStyle Style;
    const char* Tag;
} StyleTags[] = {{TFontStyle::fsBold, "B"},
                 {TFontStyle::fsItalic, "I"},
                 {TFontStyle::fsUnderline, "U"},
                 {TFontStyle::fsStrikeOut, "S"}};

// The FONT markup that opens text style s, in full or relative to style b.
std::string OpenMarkup(const TFontInfo& s, const TFontInfo* b) {
    std::string out = "<FONT";
    if (!b || b->Size != s.Size) {
        out += Fmt(" size=%d", HTMLSize(s.Size));
    }
    if (!b || b->Color != s.Color) {
        out += " color=" + RN_GetHTMLRGBStr(s.Color);
    }
    if (!b || b->FontName != s.FontName) {
        out += " face=\"" + RN_HTMLAttrEscape(s.FontName) + "\"";
    }
    out += ">";
    if (b) {
        for (const auto& t : StyleTags) {
            if (b->Style.Contains(t.Style) && !s.Style.Contains(t.Style)) {
                out += std::string("</") + t.Tag + ">";
            }
        }
    }
    for (const auto& t : StyleTags) {
        if (s.Style.Contains(t.Style) && !(b && b->Style.Contains(t.Style))) {
            out += std::string("<") + t.Tag + ">";
        }
    }
    if (s.VShift < 0) {
        out += "<SUB>";
    } else if (s.VShift > 0) {
        out += "<SUP>";
    }
    return out;
}

std::string CloseMarkup(const TFontInfo& s, const TFontInfo* b) {
    std::string out;
    if (s.VShift < 0) {
        out += "</SUB>";
    } else if (s.VShift > 0) {
        out += "</SUP>";
    }
    for (const auto& t : StyleTags) {
        if (s.Style.Contains(t.Style) && !(b && b->Style.Contains(t.Style))) {
            out += std::string("</") + t.Tag + ">";
        }
    }
    if (b) {
        for (const auto& t : StyleTags) {
            if (b->Style.Contains(t.Style) && !s.Style.Contains(t.Style)) {
                out += std::string("<") + t.Tag + ">";
            }
        }
    }
    return out + "</FONT>";
}

void HeadStart(TStream& stream, const TRNStyle& sheet, const std::string& title) {
    RNWriteLn(stream, "<HTML><HEAD><TITLE>" + RN_HTMLAttrEscape(title) + "</TITLE>");
    const TFontInfos& texts = sheet.TextStyles();
    std::string lang = RN_CharSet2HTMLLang(texts.Count() > 0 ? texts[0].Charset : 0);
    if (!lang.empty()) {
        RNWriteLn(stream, "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=" +
                              lang + "\">");
    }
}

bool IsJump(const TCustomRNItemInfo& item, TRNStyle& sheet) {
    return item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, &sheet);
}

std::string FolderOf(const std::string& fileName) {
    std::string folder = std::filesystem::path(fileName).parent_path().string();
    return folder.empty() ? folder : folder + "/";
}

// Writes the page into memory, then replaces the file with it as one step.
template <class Write> bool SaveFile(const std::string& fileName, Write write) {
    TMemoryStream buffer;
    bool result = write(buffer, FolderOf(fileName));
    AtomicFileWriter file(fileName);
    if (!file.Write(buffer.Memory(), static_cast<size_t>(buffer.Size())) || !file.Commit()) {
        throw EStreamError("Cannot create file \"" + fileName + "\". " + file.Error());
    }
    return result;
}

// The page's background picture saved beside the page: its file name, or "" for none.
std::string SaveBackground(TCustomRNData& data, IRNBackground* background, const std::string& path,
                           const std::string& imagesPrefix, int& imageSaveNo, bool overrideImages,
                           TColor color) {
    if (!background || background->GetStyle() == TBackgroundStyle::bsNoBitmap ||
        background->Bitmap().Empty()) {
        return {};
    }
    return data.SavePicture(TRNSaveFormat::rnsfHTML, imagesPrefix, path, imageSaveNo,
                            overrideImages, color, background->Bitmap());
}

} // namespace

namespace {

// The arguments both HTML flavours take.
TRNHTMLExportOptions CommonExport(const std::string& path, const std::string& title,
                                  const std::string& imagesPrefix, TRNSaveOptions options,
                                  TColor color, int imageSaveNo, int leftMargin, int topMargin,
                                  int rightMargin, int bottomMargin, IRNBackground* background,
                                  TRNList<TRNHTMLBulletInfo>* bullets) {
    TRNHTMLExportOptions exp;
    exp.Path = path;
    exp.Title = title;
    exp.ImagesPrefix = imagesPrefix;
    exp.Options = options;
    exp.Color = color;
    exp.ImageSaveNo = imageSaveNo;
    exp.LeftMargin = leftMargin;
    exp.TopMargin = topMargin;
    exp.RightMargin = rightMargin;
    exp.BottomMargin = bottomMargin;
    exp.Background = background;
    exp.Bullets = bullets;
    return exp;
}

} // namespace

bool TCustomRNData::SaveHTMLToStream(TStream& stream, const std::string& path,
                                     const std::string& title, const std::string& imagesPrefix,
                                     TRNSaveOptions options, TColor color, int& imageSaveNo,
                                     int leftMargin, int topMargin, int rightMargin,
                                     int bottomMargin, IRNBackground* background,
                                     TRNList<TRNHTMLBulletInfo>* bullets) {
    TRNHTMLExportOptions exp =
        CommonExport(path, title, imagesPrefix, options, color, imageSaveNo, leftMargin, topMargin,
                     rightMargin, bottomMargin, background, bullets);
    const bool ok = SaveHTMLExport(stream, exp);
    imageSaveNo = exp.ImageSaveNo;
    return ok;
}

bool TCustomRNData::SaveHTMLToStreamEx(TStream& stream, const std::string& path,
                                       const std::string& title, const std::string& imagesPrefix,
                                       const std::string& extraStyles,
                                       const std::string& externalCSS, const std::string& cpPrefix,
                                       TRNSaveOptions options, TColor color, TColor& currentColor,
                                       int& imageSaveNo, int leftMargin, int topMargin,
                                       int rightMargin, int bottomMargin, IRNBackground* background,
                                       TRNList<TRNHTMLBulletInfo>* bullets) {
    TRNHTMLExportOptions exp =
        CommonExport(path, title, imagesPrefix, options, color, imageSaveNo, leftMargin, topMargin,
                     rightMargin, bottomMargin, background, bullets);
    exp.StyleClasses = true;
    exp.ExtraStyles = extraStyles;
    exp.ExternalCSS = externalCSS;
    exp.CPPrefix = cpPrefix;
    exp.CurrentColor = currentColor;
    const bool ok = SaveHTMLExport(stream, exp);
    currentColor = exp.CurrentColor;
    imageSaveNo = exp.ImageSaveNo;
    return ok;
}

bool TCustomRNData::SaveHTMLExport(TStream& stream, TRNHTMLExportOptions& exp) {
    // The pictures written as image files share one time, those of its tables' cells with them.
    const TPictureJob pictures;
    return exp.StyleClasses ? WriteHTMLWithClasses(stream, exp) : WriteHTMLWithFonts(stream, exp);
}

bool TCustomRNData::WriteHTMLWithFonts(TStream& stream, TRNHTMLExportOptions& exp) {
    const std::string& path = exp.Path;
    const std::string& imagesPrefix = exp.ImagesPrefix;
    const TRNSaveOptions options = exp.Options;
    const TColor color = exp.Color;
    int& imageSaveNo = exp.ImageSaveNo;
    IRNBackground* const background = exp.Background;
    TRNStyle* sheet = GetRNStyle();
    if (!sheet) {
        return false;
    }
    TRNList<TRNHTMLBulletInfo> ownBullets;
    TRNList<TRNHTMLBulletInfo>& bulletList = exp.Bullets ? *exp.Bullets : ownBullets;
    using O = TRNSaveOption;
    HTMLParts parts(options);
    const TFontInfos& texts = sheet->TextStyles();
    const TFontInfo* style0 = texts.Count() > 0 ? &texts[0] : nullptr;
    try {
        if (parts.Head) {
            HeadStart(stream, *sheet, exp.Title);
            RNWriteLn(stream, "</HEAD>");
            RNWriteLn(stream, "<BODY");
            if (color != clNone) {
                RNWriteLn(stream, "bgcolor=" + RN_GetHTMLRGBStr(color));
            }
            std::string picture = SaveBackground(*this, background, path, imagesPrefix, imageSaveNo,
                                                 options.Contains(O::rnsoOverrideImages), color);
            if (!picture.empty()) {
                RNWriteLn(stream, "      background=\"" + RN_HTMLAttrEscape(picture) + "\"");
                if (background->GetStyle() != TBackgroundStyle::bsTiledAndScrolled) {
                    RNWriteLn(stream, "      bgproperties=fixed");
                }
            }
            char margins[160];
            std::snprintf(margins, sizeof margins,
                          "      leftmargin=%d topmargin=%d rightmargin=%d bottommargin=%d>",
                          exp.LeftMargin, exp.TopMargin, exp.RightMargin, exp.BottomMargin);
            RNWriteLn(stream, margins);
        }
        if (parts.Body) {
            bool default0 = options.Contains(O::rnsoDefault0Style);
            if (!default0 && style0) {
                RNWriteLn(stream, OpenMarkup(*style0, nullptr));
            }
            StartExport();
            bool paraOpen = false;
            int cpCounter = 0;
            for (int i = 0; i < ItemCount(); ++i) {
                TCustomRNItemInfo& item = GetItem(i);
                const std::string& text = GetItemText(i);
                if (!item.GetSameAsPrev()) {
                    if (paraOpen) {
                        if (item.GetBR()) {
                            RNWriteLn(stream, "<BR>");
                        } else {
                            RNWriteLn(stream, "</DIV>");
                            paraOpen = false;
                        }
                    }
                    if (!item.GetBR() && item.StyleNo != -1) {
                        static const char* const divs[] = {"<DIV>", "<DIV align=right>",
                                                           "<DIV align=center>",
                                                           "<DIV align=justify>"};
                        TRNAlignment a = sheet->ParaStyles()[item.ParaNo].Alignment;
                        RNWriteLn(stream, divs[static_cast<int>(a) & 3]);
                        paraOpen = true;
                    }
                }
                if (item.Checkpoint) {
                    RNWriteLn(stream, "");
                    RNWriteLn(stream, Fmt("<A name=RichNoteCheckpoint%d></A>", cpCounter++));
                }
                std::string url = IsJump(item, *sheet) ? GetURL(i) : std::string();
                if (!url.empty()) {
                    stream.WriteString("<A href=\"" + RN_HTMLAttrEscape(url) + "\">");
                }
                if (!item.IsText()) {
                    item.SaveToHTML(stream, *this, i, text, path, imagesPrefix, imageSaveNo, color,
                                    options.Contains(O::rnsoOverrideImages), false, bulletList);
                    if (item.StyleNo == -1) {
                        stream.WriteString("\r\n");
                    }
                } else {
                    std::string body = item.ItemOptions.Contains(TRNItemOption::rnioUnicode)
                                           ? RNU_GetHTMLEncodedUnicode(text, true)
                                           : RN_MakeHTMLStr(text, true);
                    if (item.StyleNo == 0 || !style0) {
                        stream.WriteString(body);
                    } else {
                        const TFontInfo& s = texts[item.StyleNo];
                        stream.WriteString(OpenMarkup(s, style0) + body + CloseMarkup(s, style0));
                    }
                }
                if (!url.empty()) {
                    stream.WriteString("</A>");
                }
            }
            if (paraOpen) {
                RNWriteLn(stream, "</DIV>");
            }
            if (!default0 && style0) {
                RNWriteLn(stream, CloseMarkup(*style0, nullptr));
            }
            EndExport();
        }
        if (parts.Tail) {
            RNWriteLn(stream, "</BODY></HTML>");
        }
    } catch (...) {
        return false;
    }
    return true;
}

bool TCustomRNData::WriteHTMLWithClasses(TStream& stream, TRNHTMLExportOptions& exp) {
    const std::string& path = exp.Path;
    const std::string& imagesPrefix = exp.ImagesPrefix;
    const TRNSaveOptions options = exp.Options;
    const TColor color = exp.Color;
    TColor& currentColor = exp.CurrentColor;
    int& imageSaveNo = exp.ImageSaveNo;
    IRNBackground* const background = exp.Background;
    TRNStyle* sheet = GetRNStyle();
    if (!sheet) {
        return false;
    }
    TRNList<TRNHTMLBulletInfo> ownBullets;
    TRNList<TRNHTMLBulletInfo>& bulletList = exp.Bullets ? *exp.Bullets : ownBullets;
    using O = TRNSaveOption;
    HTMLParts parts(options);
    const TFontInfos& texts = sheet->TextStyles();
    try {
        if (parts.Head) {
            HeadStart(stream, *sheet, exp.Title);
            RNWriteLn(stream, "<STYLE type=\"text/css\"><!--");
            RNWriteLn(stream, "BODY {");
            char margins[160];
            std::snprintf(margins, sizeof margins, "  margin: %dpx %dpx %dpx %dpx;", exp.TopMargin,
                          exp.RightMargin, exp.BottomMargin, exp.LeftMargin);
            RNWriteLn(stream, margins);
            std::string rgb = RN_GetHTMLRGBStr(color);
            if (!rgb.empty()) {
                RNWriteLn(stream, "  background-color: " + rgb + ";");
            }
            std::string picture = SaveBackground(*this, background, path, imagesPrefix, imageSaveNo,
                                                 options.Contains(O::rnsoOverrideImages), color);
            if (!picture.empty()) {
                using B = TBackgroundStyle;
                B style = background->GetStyle();
                bool tiled = style == B::bsTiled || style == B::bsTiledAndScrolled;
                RNWriteLn(stream,
                          " background-image: url(\"" + RN_HTMLAttrEscape(picture) + "\");");
                RNWriteLn(stream, std::string("  background-repeat: ") +
                                      (tiled ? "repeat" : "no-repeat") + ";");
                RNWriteLn(stream, std::string("  background-attachment: ") +
                                      (style == B::bsTiledAndScrolled ? "scroll" : "fixed") + ";");
                if (style == B::bsStretched || style == B::bsCentered) {
                    RNWriteLn(stream, "  background-position: center center;");
                }
            }
            RNWriteLn(stream, "}");
            if (exp.ExternalCSS.empty()) {
                sheet->SaveCSSToStream(stream, {});
            }
            RNWriteLn(stream, exp.ExtraStyles);
            RNWriteLn(stream, "--></STYLE>");
            if (!exp.ExternalCSS.empty()) {
                RNWriteLn(stream, "<LINK type=\"text/css\" href=\"" +
                                      RN_HTMLAttrEscape(exp.ExternalCSS) + "\" rel=STYLESHEET>");
            }
            RNWriteLn(stream, "</HEAD>");
            stream.WriteString("<BODY>");
        }
        if (parts.Body) {
            StartExport();
            bool paraOpen = false;
            int openSpan = -1;
            int cpCounter = 0;
            for (int i = 0; i < ItemCount(); ++i) {
                TCustomRNItemInfo& item = GetItem(i);
                const std::string& text = GetItemText(i);
                if (!item.GetSameAsPrev()) {
                    if (paraOpen && !item.GetBR()) {
                        RNWriteLn(stream, "</P>");
                        paraOpen = false;
                    } else {
                        stream.WriteString("\r\n");
                    }
                    if (item.GetBR()) {
                        stream.WriteString("<BR>");
                    } else {
                        const TParaInfo& para = sheet->ParaStyles()[item.ParaNo];
                        currentColor =
                            para.Background.Color == clNone ? color : para.Background.Color;
                        stream.WriteString(item.ParaNo == 0 ? std::string("<P>")
                                                            : Fmt("<P class=RNPS%d>", item.ParaNo));
                        paraOpen = true;
                    }
                }
                if (item.Checkpoint) {
                    RNWriteLn(stream,
                              "<A name=" + exp.CPPrefix + std::to_string(cpCounter++) + "></A>");
                }
                std::string url = IsJump(item, *sheet) ? GetURL(i) : std::string();
                if (!item.IsText()) {
                    if (!url.empty()) {
                        stream.WriteString("<A href=\"" + RN_HTMLAttrEscape(url) + "\">");
                    }
                    item.SaveToHTML(stream, *this, i, text, path, imagesPrefix, imageSaveNo,
                                    currentColor, options.Contains(O::rnsoOverrideImages), true,
                                    bulletList);
                    if (!url.empty()) {
                        stream.WriteString("</A>");
                    }
                    continue;
                }
                bool unicode = item.ItemOptions.Contains(TRNItemOption::rnioUnicode);
                auto writeText = [&] {
                    if (unicode) {
                        RNU_WriteHTMLEncodedUnicode(stream, text, true);
                    } else {
                        stream.WriteString(RN_MakeHTMLStr(text, true));
                    }
                };
                if (!url.empty()) {
                    stream.WriteString(Fmt("<A class=RNTS%d href=\"", item.StyleNo) +
                                       RN_HTMLAttrEscape(url) + "\">");
                    writeText();
                    stream.WriteString("</A>");
                    continue;
                }
                const TFontInfo& style = texts[item.StyleNo];
                bool needSpan = !(item.StyleNo == 0 && !style.Jump && style.BackColor == clNone);
                if (needSpan && openSpan != item.StyleNo) {
                    stream.WriteString(Fmt("<SPAN class=RNTS%d>", item.StyleNo));
                    openSpan = item.StyleNo;
                }
                writeText();
                bool keep = false;
                if (i + 1 < ItemCount()) {
                    const TCustomRNItemInfo& next = GetItem(i + 1);
                    keep = next.GetSameAsPrev() && next.StyleNo == item.StyleNo &&
                           (!IsJump(next, *sheet) || GetURL(i + 1).empty());
                }
                if (openSpan >= 0 && !keep) {
                    stream.WriteString("</SPAN>");
                    openSpan = -1;
                }
            }
            if (paraOpen) {
                stream.WriteString("</P>");
            }
            EndExport();
        }
        if (parts.Tail) {
            stream.WriteString("\r\n");
            RNWriteLn(stream, "</BODY></HTML>");
        }
    } catch (...) {
        return false;
    }
    return true;
}

bool TCustomRNData::SaveHTML(const std::string& fileName, const std::string& title,
                             const std::string& imagesPrefix, TRNSaveOptions options, TColor color,
                             int& imageSaveNo, int leftMargin, int topMargin, int rightMargin,
                             int bottomMargin, IRNBackground* background) {
    return SaveFile(fileName, [&](TStream& stream, const std::string& path) {
        return SaveHTMLToStream(stream, path, title, imagesPrefix, options, color, imageSaveNo,
                                leftMargin, topMargin, rightMargin, bottomMargin, background,
                                nullptr);
    });
}

bool TCustomRNData::SaveHTMLEx(const std::string& fileName, const std::string& title,
                               const std::string& imagesPrefix, const std::string& extraStyles,
                               const std::string& externalCSS, const std::string& cpPrefix,
                               TRNSaveOptions options, TColor color, TColor& currentColor,
                               int& imageSaveNo, int leftMargin, int topMargin, int rightMargin,
                               int bottomMargin, IRNBackground* background) {
    return SaveFile(fileName, [&](TStream& stream, const std::string& path) {
        return SaveHTMLToStreamEx(stream, path, title, imagesPrefix, extraStyles, externalCSS,
                                  cpPrefix, options, color, currentColor, imageSaveNo, leftMargin,
                                  topMargin, rightMargin, bottomMargin, background, nullptr);
    });
}
