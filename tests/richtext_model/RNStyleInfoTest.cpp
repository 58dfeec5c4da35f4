#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleStream.h"

#include "richtext/model/RNError.h"

#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

using FP = TRNFontInfoProperty;
using PP = TRNParaInfoProperty;

// One change per stored property (one per bit of a set), with the ignore-list member that
// leaves it out of IsEqual; none for what IsEqual never compares. Text changes start from a
// link, so that the hover look counts.
template <class Style, class Member> struct Change {
    const char* What;
    std::optional<Member> Ignore;
    std::function<void(Style&)> Apply;
};

const std::vector<Change<TFontInfo, FP>> FontChanges = {
    {"StyleName", {}, [](TFontInfo& s) { s.StyleName = "Other"; }},
    {"BaseStyleNo", FP::rnfiBaseStyleNo, [](TFontInfo& s) { s.BaseStyleNo = 2; }},
    {"FontName", FP::rnfiFontName, [](TFontInfo& s) { s.FontName = "Courier New"; }},
    {"Size", FP::rnfiSize, [](TFontInfo& s) { s.Size = 300; }},
    {"Charset", FP::rnfiCharset, [](TFontInfo& s) { s.Charset = RUSSIAN_CHARSET; }},
    {"Bold", FP::rnfiBold, [](TFontInfo& s) { s.Style.Include(TFontStyle::fsBold); }},
    {"Italic", FP::rnfiItalic, [](TFontInfo& s) { s.Style.Include(TFontStyle::fsItalic); }},
    {"Underline", FP::rnfiUnderline,
     [](TFontInfo& s) { s.Style.Include(TFontStyle::fsUnderline); }},
    {"StrikeOut", FP::rnfiStrikeout,
     [](TFontInfo& s) { s.Style.Include(TFontStyle::fsStrikeOut); }},
    {"Overline", FP::rnfiOverline,
     [](TFontInfo& s) { s.StyleEx.Include(TRNFontStyleEx::rnfsOverline); }},
    {"AllCaps", FP::rnfiAllCaps,
     [](TFontInfo& s) { s.StyleEx.Include(TRNFontStyleEx::rnfsAllCaps); }},
    {"VShift", FP::rnfiVShift, [](TFontInfo& s) { s.VShift = -33; }},
    {"Color", FP::rnfiColor, [](TFontInfo& s) { s.Color = clRed; }},
    {"BackColor", FP::rnfiBackColor, [](TFontInfo& s) { s.BackColor = RGB(1, 2, 3); }},
    {"HoverColor", FP::rnfiHoverColor, [](TFontInfo& s) { s.HoverColor = clBtnFace; }},
    {"HoverBackColor", FP::rnfiHoverBackColor, [](TFontInfo& s) { s.HoverBackColor = 0x123456; }},
    {"Jump", FP::rnfiJump, [](TFontInfo& s) { s.Jump = false; }},
    {"JumpCursor", FP::rnfiJumpCursor, [](TFontInfo& s) { s.JumpCursor = -21; }},
    {"CharScale", FP::rnfiCharScale, [](TFontInfo& s) { s.CharScale = 50; }},
    {"NextStyleNo", FP::rnfiNextStyleNo, [](TFontInfo& s) { s.NextStyleNo = 0; }},
    {"Unicode", FP::rnfiUnicode, [](TFontInfo& s) { s.Unicode = true; }},
    {"Protection", FP::rnfiProtection,
     [](TFontInfo& s) { s.Protection = {TRNProtectOption::rnprSticking}; }},
};

const std::vector<Change<TParaInfo, PP>> ParaChanges = {
    {"StyleName", {}, [](TParaInfo& s) { s.StyleName = ""; }},
    {"BaseStyleNo", {}, [](TParaInfo& s) { s.BaseStyleNo = 0; }},
    {"FirstIndent", PP::rnpiFirstIndent, [](TParaInfo& s) { s.FirstIndent = -10; }},
    {"LeftIndent", PP::rnpiLeftIndent, [](TParaInfo& s) { s.LeftIndent = 20; }},
    {"RightIndent", PP::rnpiRightIndent, [](TParaInfo& s) { s.RightIndent = 70000; }},
    {"SpaceBefore", PP::rnpiSpaceBefore, [](TParaInfo& s) { s.SpaceBefore = 4; }},
    {"SpaceAfter", PP::rnpiSpaceAfter, [](TParaInfo& s) { s.SpaceAfter = 5; }},
    {"Alignment", PP::rnpiAlignment, [](TParaInfo& s) { s.Alignment = TRNAlignment::rnaJustify; }},
    {"LineSpacing", PP::rnpiLineSpacing, [](TParaInfo& s) { s.LineSpacing = 150; }},
    {"LineSpacingType", PP::rnpiLineSpacingType,
     [](TParaInfo& s) { s.LineSpacingType = TRNLineSpacingType::rnlsSpaceBetween; }},
    {"NextParaNo", PP::rnpiNextParaNo, [](TParaInfo& s) { s.NextParaNo = 0; }},
    {"Border.Width", PP::rnpiBorder_Width, [](TParaInfo& s) { s.Border.Width = 3; }},
    {"Border.InternalWidth", PP::rnpiBorder_InternalWidth,
     [](TParaInfo& s) { s.Border.InternalWidth = 2; }},
    {"Border.Color", PP::rnpiBorder_Color, [](TParaInfo& s) { s.Border.Color = clNavy; }},
    {"Border.Style", PP::rnpiBorder_Style,
     [](TParaInfo& s) { s.Border.Style = TRNBorderStyle::rnbThickOutside; }},
    {"Border.VisibleBorders.Left", PP::rnpiBorder_Vis_Left,
     [](TParaInfo& s) { s.Border.VisibleBorders.Left = false; }},
    {"Border.VisibleBorders.Right", PP::rnpiBorder_Vis_Right,
     [](TParaInfo& s) { s.Border.VisibleBorders.Right = false; }},
    {"Border.VisibleBorders.Top", PP::rnpiBorder_Vis_Top,
     [](TParaInfo& s) { s.Border.VisibleBorders.Top = false; }},
    {"Border.VisibleBorders.Bottom", PP::rnpiBorder_Vis_Bottom,
     [](TParaInfo& s) { s.Border.VisibleBorders.Bottom = false; }},
    {"Border.BorderOffsets.Left", PP::rnpiBorder_BO_Left,
     [](TParaInfo& s) { s.Border.BorderOffsets.Left = 1; }},
    {"Border.BorderOffsets.Right", PP::rnpiBorder_BO_Right,
     [](TParaInfo& s) { s.Border.BorderOffsets.Right = 2; }},
    {"Border.BorderOffsets.Top", PP::rnpiBorder_BO_Top,
     [](TParaInfo& s) { s.Border.BorderOffsets.Top = 3; }},
    {"Border.BorderOffsets.Bottom", PP::rnpiBorder_BO_Bottom,
     [](TParaInfo& s) { s.Border.BorderOffsets.Bottom = 4; }},
    {"Background.Color", PP::rnpiBackground_Color,
     [](TParaInfo& s) { s.Background.Color = clYellow; }},
    {"Background.BorderOffsets.Left", PP::rnpiBackground_BO_Left,
     [](TParaInfo& s) { s.Background.BorderOffsets.Left = 5; }},
    {"Background.BorderOffsets.Right", PP::rnpiBackground_BO_Right,
     [](TParaInfo& s) { s.Background.BorderOffsets.Right = 6; }},
    {"Background.BorderOffsets.Top", PP::rnpiBackground_BO_Top,
     [](TParaInfo& s) { s.Background.BorderOffsets.Top = 7; }},
    {"Background.BorderOffsets.Bottom", PP::rnpiBackground_BO_Bottom,
     [](TParaInfo& s) { s.Background.BorderOffsets.Bottom = 8; }},
};

// The style the text changes start from.
TFontInfo Link() {
    TFontInfo link;
    link.Jump = true;
    return link;
}

TRNIntegerList Ints(std::initializer_list<int32_t> values) {
    TRNIntegerList list;
    for (int32_t v : values) {
        list.Add(v);
    }
    return list;
}

// Every stored property survives Assign and a pass through the stream, and each change
// shows in the stream, so none is left out of it.
template <class Style, class Member, class Infos>
void CheckEveryPropertyKept(const std::vector<Change<Style, Member>>& changes, const Style& base,
                            void (*write)(TWriter&, const Infos&), void (*read)(TReader&, Infos&)) {
    const auto encode = [&](const Style& style) {
        Infos styles;
        styles.Add().Assign(style);
        TWriter writer;
        write(writer, styles);
        return writer.Bytes();
    };
    const std::string plain = encode(base);
    for (const auto& change : changes) {
        SCOPED_TRACE(change.What);
        Style changed = base;
        change.Apply(changed);
        const std::string bytes = encode(changed);
        EXPECT_NE(bytes, plain);
        Style copy;
        copy.Assign(changed);
        EXPECT_EQ(encode(copy), bytes);
        Infos decoded;
        TReader reader(bytes);
        read(reader, decoded);
        ASSERT_EQ(decoded.Count(), 1);
        EXPECT_EQ(encode(decoded[0]), bytes);
    }
}

// Each change tells two styles apart unless its member is ignored, even when everything
// else is ignored.
template <class Style, class Member>
void CheckIgnoreMatrix(const std::vector<Change<Style, Member>>& changes, const Style& base) {
    using Members = TSet<Member>;
    for (const auto& change : changes) {
        SCOPED_TRACE(change.What);
        Style other = base;
        change.Apply(other);
        // IsSimpleEqual compares what IsEqual does, but for the base style
        const bool simpleCompared = change.Ignore && std::string_view(change.What) != "BaseStyleNo";
        EXPECT_EQ(base.IsSimpleEqual(other), !simpleCompared);
        if (!change.Ignore) {
            EXPECT_TRUE(base.IsEqual(other, {}));
            continue;
        }
        EXPECT_FALSE(base.IsEqual(other, {}));
        EXPECT_TRUE(base.IsEqual(other, {*change.Ignore}));
        EXPECT_FALSE(base.IsEqual(other, Members::FromBits(~0u) - Members{*change.Ignore}));
    }
}

} // namespace

TEST(RNStyles, EveryStoredPropertyIsCopiedAndStreamed) {
    CheckEveryPropertyKept(FontChanges, Link(), &RN_WriteTextStyles, &RN_ReadTextStyles);
    CheckEveryPropertyKept(ParaChanges, TParaInfo(), &RN_WriteParaStyles, &RN_ReadParaStyles);
}

TEST(RNStyles, AssignAcrossKindsFails) {
    TFontInfo font;
    TParaInfo para;
    EXPECT_THROW(font.Assign(para), ERichNoteError);
    EXPECT_THROW(para.Assign(font), ERichNoteError);
}

TEST(RNStyles, IgnoreListMatrix) {
    CheckIgnoreMatrix(FontChanges, Link());
    CheckIgnoreMatrix(ParaChanges, TParaInfo());
    // the hover look and cursor of a style that is not a link do not count
    TFontInfo plain;
    TFontInfo hover;
    hover.HoverColor = clRed;
    hover.HoverBackColor = clRed;
    hover.JumpCursor = 0;
    EXPECT_TRUE(plain.IsEqual(hover, {}));
    // nor does the letter case of the font name
    hover.FontName = "ARIAL";
    EXPECT_TRUE(plain.IsEqual(hover, {}));
}

TEST(RNStyles, BorderTotalWidth) {
    using B = TRNBorderStyle;
    const struct {
        B Style;
        int Width, Internal, Expected;
    } cases[] = {{B::rnbNone, 5, 5, 0},        {B::rnbSingle, 3, 9, 3},
                 {B::rnbDouble, 2, 3, 7},      {B::rnbTriple, 1, 1, 5},
                 {B::rnbThickInside, 2, 1, 7}, {B::rnbThickOutside, 1, 4, 7}};
    for (const auto& c : cases) {
        TRNBorder border;
        border.Style = c.Style;
        border.Width = c.Width;
        border.InternalWidth = c.Internal;
        EXPECT_EQ(border.GetTotalWidth(), c.Expected) << static_cast<int>(c.Style);
    }
}

TEST(RNStyles, FindersPreferTheStyleItselfThenAnEqualOther) {
    TRNStyle sheet;
    TFontInfos& fonts = sheet.TextStyles();
    EXPECT_EQ(fonts.FindStyleWithFontSize(3, 12), -1);
    TFontInfo& big = fonts.Add();
    big.Assign(fonts[3]);
    big.StyleName = "Big keywords";
    big.Size = 12;
    fonts.Add().Assign(big);
    EXPECT_EQ(fonts.FindStyleWithFontSize(3, 12), 6);
    EXPECT_EQ(fonts.FindStyleWithFontSize(6, 10), 3);
    fonts[3].Size = 12;
    EXPECT_EQ(fonts.FindStyleWithFontSize(3, 12), 3);
    // a different colour is not "equal in all else"
    EXPECT_EQ(fonts.FindStyleWithFontSize(1, 12), -1);

    // a Unicode style never answers for a charset, not even itself
    fonts[0].Unicode = true;
    EXPECT_EQ(fonts.FindStyleWithCharset(0, DEFAULT_CHARSET), -1);
    TFontInfo& russian = fonts.Add();
    russian.Charset = RUSSIAN_CHARSET;
    russian.StyleName = "Russian";
    EXPECT_EQ(fonts.FindStyleWithCharset(0, RUSSIAN_CHARSET), 8);
    EXPECT_EQ(fonts.FindStyleWithCharset(8, RUSSIAN_CHARSET), 8);

    EXPECT_EQ(fonts.FindStyleWithFontStyle(4, {}, {TFontStyle::fsUnderline}), -1);
    EXPECT_EQ(fonts.FindStyleWithFontStyle(4, {TFontStyle::fsUnderline}, {TFontStyle::fsBold}), 4);
    EXPECT_EQ(sheet.ParaStyles().FindStyleWithAlignment(0, TRNAlignment::rnaCenter), 1);
    EXPECT_EQ(sheet.ParaStyles().FindStyleWithAlignment(0, TRNAlignment::rnaRight), -1);
    EXPECT_THROW(fonts.FindStyleWithFontSize(99, 12), ERichNoteError);
}

TEST(RNStyles, FindersByColourNameFontAndWholeStyle) {
    TRNStyle sheet;
    TFontInfos& fonts = sheet.TextStyles();
    // style 5 equals style 4 but for its colours
    fonts[5].Color = clRed;
    fonts[5].BackColor = clYellow;
    EXPECT_EQ(fonts.FindStyleWithColor(4, clRed, clYellow), 5);
    EXPECT_EQ(fonts.FindStyleWithColor(4, clRed, clNone), -1);
    fonts[5].Color = clGreen;
    fonts[5].BackColor = clNone;
    fonts[5].FontName = "Courier";
    EXPECT_EQ(fonts.FindStyleWithFontName(4, "Courier"), 5);
    // the name is compared exactly here
    EXPECT_EQ(fonts.FindStyleWithFontName(4, "courier"), -1);
    fonts[5].Size = 14;
    fonts[5].Style = {TFontStyle::fsBold};
    TFont font;
    font.SetName("Courier");
    font.SetSize(14);
    font.SetStyle({TFontStyle::fsBold});
    EXPECT_EQ(fonts.FindStyleWithFont(4, font), 5);
    font.SetCharset(ANSI_CHARSET);
    EXPECT_EQ(fonts.FindStyleWithFont(4, font), -1);

    TFontInfo wanted = fonts[2];
    wanted.StyleName = "anything";
    wanted.Size = 30;
    EXPECT_EQ(fonts.FindSuchStyle(0, wanted, {FP::rnfiSize}), 2);
    EXPECT_EQ(fonts.FindSuchStyle(2, wanted, {FP::rnfiSize}), 2);
    EXPECT_EQ(fonts.FindSuchStyle(0, wanted, {}), -1);
    TParaInfo centered;
    centered.Alignment = TRNAlignment::rnaCenter;
    EXPECT_EQ(sheet.ParaStyles().FindSuchStyle(0, centered, {}), 1);
    EXPECT_EQ(sheet.ParaStyles().FindSuchStyle(1, TParaInfo(), {PP::rnpiAlignment}), 1);
}

TEST(RNStyles, FontConversions) {
    TFont font;
    font.SetStyle({TFontStyle::fsBold});
    font.SetCharset(RUSSIAN_CHARSET);
    TFontInfo style;
    style.AssignFont(font);
    // a Unicode style leaves the font's charset alone
    style.Unicode = true;
    TFont out;
    style.AssignTo(out);
    EXPECT_EQ(out.Style(), TFontStyles{TFontStyle::fsBold});
    EXPECT_EQ(out.Charset(), DEFAULT_CHARSET);

    // as the device makes it: 12 points at 120 pixels per inch are 20 pixels high
    TFakeCanvas printer({100, 100}, 120);
    style.Size = 12;
    out.SetWidth(5);
    style.AssignToLogFont(out, printer);
    EXPECT_EQ(out.Height(), -20);
    EXPECT_EQ(out.Width(), 0);
    EXPECT_EQ(out.Charset(), RUSSIAN_CHARSET);
}

TEST(RNStyles, FirstSixTextStylesCannotBeDeleted) {
    TRNStyle sheet;
    sheet.AddTextStyle();
    for (int index : {-1, 0, 5, 7}) {
        sheet.DeleteTextStyle(index);
    }
    EXPECT_EQ(sheet.TextStyles().Count(), 7);
    sheet.DeleteTextStyle(6);
    EXPECT_EQ(sheet.TextStyles().Count(), 6);
}

TEST(RNStyles, SimilarityFavoursTheSameCharsetProtectionAndLinkLook) {
    TFontInfo plain, russian, ansi, locked, link;
    russian.Charset = RUSSIAN_CHARSET;
    ansi.Charset = ANSI_CHARSET;
    locked.Protection = {TRNProtectOption::rnprModifyProtect};
    link.Jump = true;
    // the default charset stands for any: nearer than another charset, farther than the same
    EXPECT_GT(russian.SimilarityValue(russian), plain.SimilarityValue(russian));
    EXPECT_GT(plain.SimilarityValue(russian), ansi.SimilarityValue(russian));
    EXPECT_GT(plain.SimilarityValue(plain), locked.SimilarityValue(plain));
    // two links also compare their cursor and hover colours
    EXPECT_GT(link.SimilarityValue(link), plain.SimilarityValue(plain));
}

TEST(RNStyles, MergeSmartReusesSimpleEqualStylesAndAppendsTheRest) {
    TRNStyle target;
    TFontInfos source;
    source.Add().Assign(target.TextStyles()[2]);
    source[0].StyleName = "Renamed";
    source.AddFont("Arial", 20, clRed, clNone, {TFontStyle::fsBold});
    source.Add();
    TRNIntegerList map(3, 99);
    target.TextStyles().MergeWith(source, TRNStyleMergeMode::rns_merge_SmartMerge, map);
    EXPECT_EQ(map, Ints({2, 6, 0}));
    ASSERT_EQ(target.TextStyles().Count(), 7);
    EXPECT_EQ(target.TextStyles()[6].Size, 20);

    // a paragraph with its own spacing keeps it instead of joining style 0
    TParaInfos paras;
    paras.Add().SpaceBefore = 10;
    target.ParaStyles().MergeWith(paras, TRNStyleMergeMode::rns_merge_SmartMerge, map);
    EXPECT_EQ(map, Ints({2}));
    EXPECT_EQ(target.ParaStyles()[2].SpaceBefore, 10);
}

// A style merged in names its next style by the number that style has here; a number its own
// sheet lacks names none.
TEST(RNStyles, MergedCopiesNameTheirNextStyleByItsNumberHere) {
    TRNStyle target;
    TFontInfos source;
    source.AddFont("Arial", 20, clRed, clNone, {}).NextStyleNo = 1;
    source.AddFont("Arial", 30, clRed, clNone, {}).NextStyleNo = 7;
    TRNIntegerList map;
    target.TextStyles().MergeWith(source, TRNStyleMergeMode::rns_merge_SmartMerge, map);
    ASSERT_EQ(map, Ints({6, 7}));
    EXPECT_EQ(target.TextStyles()[6].NextStyleNo, 7);
    EXPECT_EQ(target.TextStyles()[7].NextStyleNo, -1);
}

TEST(RNStyles, MergeAppendCopiesEveryStyle) {
    TRNStyle target;
    TRNStyle source;
    TRNIntegerList map;
    target.ParaStyles().MergeWith(source.ParaStyles(), TRNStyleMergeMode::rns_merge_Append, map);
    EXPECT_EQ(map, Ints({2, 3}));
    EXPECT_EQ(target.ParaStyles()[3].StyleName, "Centered");
}

TEST(RNStyles, MergeMapPicksTheClosestStyleWithoutAdding) {
    TRNStyle target;
    TFontInfos source;
    // a green link of 12 pt: both link styles are equally close, the first wins
    source.AddFont("Arial", 12, clGreen, clNone, {TFontStyle::fsUnderline}).Jump = true;
    // a larger italic maroon text: closest to the keywords
    source.AddFont("Arial", 14, clMaroon, clNone, {TFontStyle::fsItalic});
    // a Unicode link when the sheet has no Unicode style: the links are still preferred
    TFontInfo& unicodeLink = source.Add();
    unicodeLink.Jump = true;
    unicodeLink.Unicode = true;
    TRNIntegerList map;
    target.TextStyles().MergeWith(source, TRNStyleMergeMode::rns_merge_Map, map);
    EXPECT_EQ(map, Ints({4, 3, 4}));
    EXPECT_EQ(target.TextStyles().Count(), 6);

    // nothing to map onto: the map stays empty, no style becomes -1
    TFontInfos empty;
    empty.MergeWith(source, TRNStyleMergeMode::rns_merge_Map, map);
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(empty.Count(), 0);
}
