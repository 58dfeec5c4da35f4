#include "richtext/model/RNStyleStream.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNStoredProps.h"

#include <string_view>

namespace {

using rnprops::Names;

constexpr std::string_view FontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr std::string_view StyleExNames[] = {"rnfsOverline", "rnfsAllCaps"};
constexpr std::string_view ProtectionNames[] = {
    "rnprStyleProtect",     "rnprModifyProtect",   "rnprDeleteProtect",    "rnprConcateProtect",
    "rnprRNFInsertProtect", "rnprDoNotAutoSwitch", "rnprParaStartProtect", "rnprSticking"};
constexpr std::string_view AlignmentNames[] = {"rnaLeft", "rnaRight", "rnaCenter", "rnaJustify"};
constexpr std::string_view LineSpacingTypeNames[] = {"rnlsPercent", "rnlsSpaceBetween"};
constexpr std::string_view BorderStyleNames[] = {"rnbNone",   "rnbSingle",      "rnbDouble",
                                                 "rnbTriple", "rnbThickInside", "rnbThickOutside"};

const TRNStoredProperty<TFontInfo> FontProperties[] = {
    RN_STORED_TEXT(TFontInfo, "StyleName", StyleName),
    RN_STORED_VALUE(TFontInfo, "BaseStyleNo", Integer, {}, BaseStyleNo),
    RN_STORED_TEXT(TFontInfo, "FontName", FontName),
    RN_STORED_VALUE(TFontInfo, "Size", Integer, {}, Size),
    RN_STORED_VALUE(TFontInfo, "Charset", Charset, {}, Charset),
    RN_STORED_VALUE(TFontInfo, "Style", Set, FontStyleNames, Style),
    RN_STORED_VALUE(TFontInfo, "StyleEx", Set, StyleExNames, StyleEx),
    RN_STORED_VALUE(TFontInfo, "VShift", Integer, {}, VShift),
    RN_STORED_VALUE(TFontInfo, "Color", Color, {}, Color),
    RN_STORED_VALUE(TFontInfo, "BackColor", Color, {}, BackColor),
    RN_STORED_VALUE(TFontInfo, "HoverColor", Color, {}, HoverColor),
    RN_STORED_VALUE(TFontInfo, "HoverBackColor", Color, {}, HoverBackColor),
    RN_STORED_VALUE(TFontInfo, "Jump", Boolean, {}, Jump),
    RN_STORED_VALUE(TFontInfo, "JumpCursor", Cursor, {}, JumpCursor),
    RN_STORED_VALUE(TFontInfo, "CharScale", Integer, {}, CharScale),
    RN_STORED_VALUE(TFontInfo, "NextStyleNo", Integer, {}, NextStyleNo),
    RN_STORED_VALUE(TFontInfo, "Unicode", Boolean, {}, Unicode),
    RN_STORED_VALUE(TFontInfo, "Protection", Set, ProtectionNames, Protection),
};

const TRNStoredProperty<TParaInfo> ParaProperties[] = {
    RN_STORED_TEXT(TParaInfo, "StyleName", StyleName),
    RN_STORED_VALUE(TParaInfo, "BaseStyleNo", Integer, {}, BaseStyleNo),
    RN_STORED_VALUE(TParaInfo, "FirstIndent", Integer, {}, FirstIndent),
    RN_STORED_VALUE(TParaInfo, "LeftIndent", Integer, {}, LeftIndent),
    RN_STORED_VALUE(TParaInfo, "RightIndent", Integer, {}, RightIndent),
    RN_STORED_VALUE(TParaInfo, "SpaceBefore", Integer, {}, SpaceBefore),
    RN_STORED_VALUE(TParaInfo, "SpaceAfter", Integer, {}, SpaceAfter),
    RN_STORED_VALUE(TParaInfo, "Alignment", Enum, AlignmentNames, Alignment),
    RN_STORED_VALUE(TParaInfo, "LineSpacing", Integer, {}, LineSpacing),
    RN_STORED_VALUE(TParaInfo, "LineSpacingType", Enum, LineSpacingTypeNames, LineSpacingType),
    RN_STORED_VALUE(TParaInfo, "NextParaNo", Integer, {}, NextParaNo),
    RN_STORED_VALUE(TParaInfo, "Border.Width", Integer, {}, Border.Width),
    RN_STORED_VALUE(TParaInfo, "Border.InternalWidth", Integer, {}, Border.InternalWidth),
    RN_STORED_VALUE(TParaInfo, "Border.Color", Color, {}, Border.Color),
    RN_STORED_VALUE(TParaInfo, "Border.Style", Enum, BorderStyleNames, Border.Style),
    RN_STORED_VALUE(TParaInfo, "Border.VisibleBorders.Left", Boolean, {},
                    Border.VisibleBorders.Left),
    RN_STORED_VALUE(TParaInfo, "Border.VisibleBorders.Right", Boolean, {},
                    Border.VisibleBorders.Right),
    RN_STORED_VALUE(TParaInfo, "Border.VisibleBorders.Top", Boolean, {}, Border.VisibleBorders.Top),
    RN_STORED_VALUE(TParaInfo, "Border.VisibleBorders.Bottom", Boolean, {},
                    Border.VisibleBorders.Bottom),
    RN_STORED_VALUE(TParaInfo, "Border.BorderOffsets.Left", Integer, {}, Border.BorderOffsets.Left),
    RN_STORED_VALUE(TParaInfo, "Border.BorderOffsets.Right", Integer, {},
                    Border.BorderOffsets.Right),
    RN_STORED_VALUE(TParaInfo, "Border.BorderOffsets.Top", Integer, {}, Border.BorderOffsets.Top),
    RN_STORED_VALUE(TParaInfo, "Border.BorderOffsets.Bottom", Integer, {},
                    Border.BorderOffsets.Bottom),
    RN_STORED_VALUE(TParaInfo, "Background.Color", Color, {}, Background.Color),
    RN_STORED_VALUE(TParaInfo, "Background.BorderOffsets.Left", Integer, {},
                    Background.BorderOffsets.Left),
    RN_STORED_VALUE(TParaInfo, "Background.BorderOffsets.Right", Integer, {},
                    Background.BorderOffsets.Right),
    RN_STORED_VALUE(TParaInfo, "Background.BorderOffsets.Top", Integer, {},
                    Background.BorderOffsets.Top),
    RN_STORED_VALUE(TParaInfo, "Background.BorderOffsets.Bottom", Integer, {},
                    Background.BorderOffsets.Bottom),
};

template <class Style, size_t N>
void WriteStyle(TWriter& writer, const Style& style, const TRNStoredProperty<Style> (&table)[N]) {
    static const Style defaults;
    writer.WriteListBegin();
    RN_WriteStoredProperties(writer, style, defaults, table);
    writer.WriteListEnd();
}

// The properties of one style, up to the end of its list; `extra` takes the names the table
// does not hold (false: skipped).
template <class Style, size_t N, class Extra>
void ReadStyle(TReader& reader, Style& style, const TRNStoredProperty<Style> (&table)[N],
               Extra extra) {
    reader.ReadProperties([&](const std::string& name) {
        return RN_ReadStoredProperty(reader, style, table, name) || extra(name);
    });
}

template <class Infos, class Style, size_t N, class Extra>
void ReadStyles(TReader& reader, Infos& styles, const TRNStoredProperty<Style> (&table)[N],
                Extra extra) {
    // Read into a copy, so that bad bytes leave the collection as it was.
    Infos read(styles.GetOwner());
    try {
        reader.ReadCollectionBegin();
        while (!reader.EndOfList()) {
            reader.ReadCollectionItemBegin();
            auto& style = read.Add();
            ReadStyle(reader, style, table,
                      [&](const std::string& name) { return extra(name, style); });
        }
        reader.ReadListEnd();
    } catch (const EReadError& e) {
        throw ERichNoteError("Cannot read the styles: " + e.Message());
    }
    styles.Assign(read);
}

} // namespace

void RN_WriteTextStyles(TWriter& writer, const TFontInfos& styles) {
    writer.WriteCollectionBegin();
    for (int i = 0; i < styles.Count(); ++i) {
        WriteStyle(writer, styles[i], FontProperties);
    }
    writer.WriteListEnd();
}

void RN_WriteParaStyles(TWriter& writer, const TParaInfos& styles) {
    writer.WriteCollectionBegin();
    for (int i = 0; i < styles.Count(); ++i) {
        WriteStyle(writer, styles[i], ParaProperties);
    }
    writer.WriteListEnd();
}

void RN_ReadTextStyles(TReader& reader, TFontInfos& styles) {
    ReadStyles(reader, styles, FontProperties,
               [&reader](const std::string& name, TFontInfo& style) {
                   // Older notes marked symbol styles so; today that is two protection options.
                   if (!SameText(name, "SingleSymbols")) {
                       return false;
                   }
                   if (reader.ReadBoolean()) {
                       style.Protection.Include(TRNProtectOption::rnprStyleProtect)
                           .Include(TRNProtectOption::rnprDoNotAutoSwitch);
                   }
                   return true;
               });
}

void RN_ReadParaStyles(TReader& reader, TParaInfos& styles) {
    ReadStyles(reader, styles, ParaProperties,
               [](const std::string&, TParaInfo&) { return false; });
}
