#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleIni.h"
#include "richtext/model/RNStyleStream.h"

#include "platform/base/MemorySettingsStore.h"
#include "platform/graphics/FakeCanvas.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace {

using DS = TRNTextDrawStateItem;

std::string Encode(const TRNStyle& sheet) {
    TWriter writer;
    RN_WriteTextStyles(writer, sheet.TextStyles());
    RN_WriteParaStyles(writer, sheet.ParaStyles());
    return writer.Bytes();
}

} // namespace

TEST(RNStyleSheet, ColoursFollowTheDrawState) {
    struct Case {
        const char* What;
        std::function<void(TRNStyle&)> Setup;
        TRNTextDrawState State;
        TColor Font;
        TColor Brush; // clNone: a clear brush
    };
    const Case cases[] = {
        {"normal", nullptr, {}, clGreen, clNone},
        {"background",
         [](TRNStyle& s) { s.TextStyles()[4].BackColor = clYellow; },
         {},
         clGreen,
         clYellow},
        {"selected", nullptr, {DS::rntsSelected, DS::rntsHover}, clHighlightText, clHighlight},
        {"hover without hover colours", nullptr, {DS::rntsHover}, clGreen, clNone},
        {"hover with the sheet's colour",
         [](TRNStyle& s) { s.HoverColor = clRed; },
         {DS::rntsHover},
         clRed,
         clNone},
        {"hover with the style's colours",
         [](TRNStyle& s) {
             s.HoverColor = clRed;
             s.TextStyles()[4].HoverColor = clBlue;
             s.TextStyles()[4].HoverBackColor = clAqua;
         },
         {DS::rntsHover},
         clBlue,
         clAqua},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TRNStyle sheet;
        if (c.Setup) {
            c.Setup(sheet);
        }
        TFakeCanvas canvas;
        sheet.ApplyStyleColor(canvas, 4, c.State);
        EXPECT_EQ(canvas.Font().Color(), c.Font);
        if (c.Brush == clNone) {
            EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsClear);
        } else {
            EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsSolid);
            EXPECT_EQ(canvas.Brush().Color(), c.Brush);
        }
    }
}

TEST(RNStyleSheet, HoverSensitivity) {
    TRNStyle sheet;
    EXPECT_FALSE(sheet.StyleHoverSensitive(4));
    EXPECT_EQ(sheet.GetHoverColor(4), clNone);
    sheet.TextStyles()[4].HoverBackColor = clYellow;
    EXPECT_TRUE(sheet.StyleHoverSensitive(4));
    sheet.TextStyles()[4].BackColor = clYellow;
    EXPECT_FALSE(sheet.StyleHoverSensitive(4));
    sheet.HoverColor = clRed;
    EXPECT_TRUE(sheet.StyleHoverSensitive(4));
    EXPECT_EQ(sheet.GetHoverColorByColor(clBlue), clBlue);
    EXPECT_EQ(sheet.GetHoverColor(4), clRed);
    sheet.OnStyleHoverSensitive = [](TRNStyle&, int, bool& sensitive) { sensitive = false; };
    EXPECT_FALSE(sheet.StyleHoverSensitive(4));
}

TEST(RNStyleSheet, HandlersThatClearTheFlagSuppressDrawing) {
    const TRNMarkArea area{200, 180};
    const std::function<void(TRNStyle&, TFakeCanvas&)> draws[] = {
        [&](TRNStyle& s, TFakeCanvas& c) { s.DrawCheckpoint(c, 10, 10, 0, 0, false, area); },
        [&](TRNStyle& s, TFakeCanvas& c) { s.DrawPageBreak(c, 10, 0, area); },
        [&](TRNStyle& s, TFakeCanvas& c) { s.DrawParaBack(c, 0, Rect(0, 0, 50, 20)); },
        [&](TRNStyle& s, TFakeCanvas& c) {
            s.DrawStyleText("ab", c, 0, 1, 0, nullptr, 0, 0, 0, 20, 10, {});
        },
        // the style-applying routines: a font that draws shows in the next text
        [&](TRNStyle& s, TFakeCanvas& c) {
            s.ApplyStyle(c, 1);
            s.ApplyStyleColor(c, 1, {});
            c.ClearCalls();
            if (c.Font().Name() == "Arial" || c.Font().Color() == clBlue) {
                c.TextOut(0, 0, "x");
            }
        },
    };
    for (bool stop : {false, true}) {
        TRNStyle sheet;
        sheet.ParaStyles()[0].Background.Color = clYellow;
        sheet.OnDrawCheckpoint = [=](TRNStyle&, TCanvas&, int, int, int, int, bool,
                                     const TRNMarkArea&, bool& d) { d = !stop; };
        sheet.OnDrawPageBreak = [=](TRNStyle&, TCanvas&, int, int, const TRNMarkArea&, bool& d) {
            d = !stop;
        };
        sheet.OnDrawParaBack = [=](TRNStyle&, TCanvas&, int, const TRect&, bool& d) { d = !stop; };
        sheet.OnDrawStyleText = [=](TRNStyle&, std::string_view, TCanvas&, int, int, int, int, int,
                                    int, TRNTextDrawState, bool& d) { d = !stop; };
        sheet.OnApplyStyle = [=](TRNStyle&, TCanvas&, int, bool& d) { d = !stop; };
        sheet.OnApplyStyleColor = [=](TRNStyle&, TCanvas&, int, TRNTextDrawState, bool& d) {
            d = !stop;
        };
        for (size_t k = 0; k < std::size(draws); ++k) {
            TFakeCanvas canvas;
            draws[k](sheet, canvas);
            EXPECT_EQ(canvas.Calls().empty(), stop) << k;
        }
    }
}

TEST(RNStyleSheet, TextHandlerSeesTheItemAndTheStyleText) {
    TRNStyle sheet;
    sheet.TextStyles()[0].StyleEx.Include(TRNFontStyleEx::rnfsAllCaps);
    int seenItem = -1;
    int seenOffset = -1;
    std::string seenText;
    sheet.OnDrawStyleText = [&](TRNStyle& s, std::string_view text, TCanvas&, int, int, int, int,
                                int, int, TRNTextDrawState, bool&) {
        seenItem = s.ItemNo;
        seenOffset = s.OffsetInItem;
        seenText = text;
    };
    TFakeCanvas canvas;
    sheet.DrawStyleText("caps\xe9", canvas, 7, 3, 0, nullptr, 0, 0, 0, 30, 10, {});
    EXPECT_EQ(seenItem, 7);
    EXPECT_EQ(seenOffset, 3);
    EXPECT_EQ(seenText, "CAPS\xc9");
    ASSERT_EQ(canvas.CallsOf("TextOut").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "CAPS\xc3\x89");
}

TEST(RNStyleSheet, CharScaleNarrowsTheFont) {
    TRNStyle sheet;
    TFakeCanvas canvas;
    sheet.ApplyStyle(canvas, 0);
    const int natural = canvas.TextWidth("x");
    ASSERT_GT(natural, 2);
    sheet.TextStyles()[0].CharScale = 50;
    sheet.ApplyStyle(canvas, 0);
    EXPECT_EQ(canvas.TextWidth("x"), natural / 2);
    EXPECT_EQ(canvas.Font().Height(), -13); // 10 points at 96 pixels per inch
    sheet.TextStyles()[0].CharScale = 100;
    sheet.ApplyStyle(canvas, 0);
    EXPECT_EQ(canvas.TextWidth("x"), natural);
}

TEST(RNStyleSheet, TextSpaceBeforeAndOverline) {
    struct Case {
        const char* What;
        std::string Text;
        TRNTextDrawState State;
        TColor Fill; // clNone: nothing filled
    };
    const Case cases[] = {
        {"plain style, nothing behind the space", "a", {}, clNone},
        {"selected text: the space is selected", "a", {DS::rntsSelected}, clHighlight},
        {"selected empty text: the style's own background", "", {DS::rntsSelected}, clYellow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TRNStyle sheet;
        TFontInfo& style = sheet.TextStyles()[0];
        style.StyleEx.Include(TRNFontStyleEx::rnfsOverline);
        if (c.Fill == clYellow) {
            style.BackColor = clYellow;
        }
        TFakeCanvas canvas;
        sheet.ApplyStyleColor(canvas, 0, c.State);
        sheet.DrawStyleText(c.Text, canvas, 0, 1, 0, nullptr, 5, 10, 20, 40, 12, c.State);
        const auto fills = canvas.CallsOf("FillRect");
        if (c.Fill == clNone) {
            EXPECT_TRUE(fills.empty());
        } else {
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].Rect, Rect(10, 20, 15, 32));
            EXPECT_EQ(fills[0].BrushColor, c.Fill);
        }
        const auto lines = canvas.CallsOf("Line");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{10, 20}, {50, 20}}));
        EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsClear);
    }
}

TEST(RNStyleSheet, UnicodeTextIsDrawnAsUtf16) {
    TRNStyle sheet;
    sheet.TextStyles()[0].Unicode = true;
    TFakeCanvas canvas;
    sheet.DrawStyleText(std::string("\xac\x20h\0", 4), canvas, 0, 1, 0, nullptr, 0, 3, 4, 20, 10,
                        {});
    ASSERT_EQ(canvas.CallsOf("TextOut").size(), 1u);
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Text, "\xe2\x82\xac"
                                                 "h");
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].Points[0], Point(3, 4));
}

TEST(RNStyleSheet, BorderLinesAndGaps) {
    using B = TRNBorderStyle;
    struct Case {
        B Style;
        int Width, Internal;
        std::vector<int> Tops;   // y of each top line, inside first
        std::vector<int> Widths; // its pen width
    };
    const Case cases[] = {
        {B::rnbSingle, 1, 1, {10}, {1}},
        {B::rnbDouble, 1, 2, {10, 7}, {1, 1}},
        {B::rnbTriple, 1, 1, {10, 8, 6}, {1, 1, 1}},
        {B::rnbThickInside, 2, 1, {10, 8}, {4, 2}},
        {B::rnbThickOutside, 2, 1, {10, 8}, {2, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Style));
        TRNBorder border;
        border.Style = c.Style;
        border.Width = c.Width;
        border.InternalWidth = c.Internal;
        border.Color = clRed;
        TFakeCanvas canvas;
        border.Draw(Rect(10, 10, 100, 50), canvas);
        const auto lines = canvas.CallsOf("Line");
        // four sides, each forth and back, per line
        ASSERT_EQ(lines.size(), 8 * c.Tops.size());
        for (size_t k = 0; k < c.Tops.size(); ++k) {
            const TCanvasCall& top = lines[8 * k];
            EXPECT_EQ(top.Points[0].Y, c.Tops[k]);
            EXPECT_EQ(top.Points[1].Y, c.Tops[k]);
            EXPECT_EQ(top.PenWidth, c.Widths[k]);
            EXPECT_EQ(top.PenColor, clRed);
        }
        EXPECT_EQ(canvas.Pen().Width(), 1);
    }
    // the double border of width 1 and gap 2: two rectangles 3 pixels apart
    TRNBorder border;
    border.Style = B::rnbDouble;
    border.InternalWidth = 2;
    border.BorderOffsets.Left = 4;
    border.VisibleBorders.Bottom = false;
    TFakeCanvas canvas;
    border.Draw(Rect(10, 10, 100, 50), canvas);
    std::set<std::pair<int, int>> corners;
    for (const TCanvasCall& line : canvas.CallsOf("Line")) {
        for (TPoint p : line.Points) {
            corners.insert({p.X, p.Y});
        }
        EXPECT_NE(line.Points[0].Y == line.Points[1].Y && line.Points[0].Y >= 50, true);
    }
    EXPECT_EQ(corners,
              (std::set<std::pair<int, int>>{
                  {6, 10}, {100, 10}, {100, 50}, {6, 50}, {3, 7}, {103, 7}, {103, 53}, {3, 53}}));
    // nothing for a border of no style
    TFakeCanvas empty;
    TRNBorder().Draw(Rect(0, 0, 10, 10), empty);
    EXPECT_TRUE(empty.Calls().empty());
}

TEST(RNStyleSheet, BordersAndBackgroundsScaleToTheDevice) {
    TRNScreenAndDevice sad;
    sad.ppixDevice = sad.ppiyDevice = 600;
    TRNBorder border;
    border.Style = TRNBorderStyle::rnbSingle;
    border.Width = 2;
    border.BorderOffsets.Top = 1;
    TFakeCanvas canvas;
    border.DrawSaD(Rect(16, 16, 96, 32), canvas, sad);
    const auto lines = canvas.CallsOf("Line");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{100, 94}, {600, 94}}));
    EXPECT_EQ(lines[0].PenWidth, 13); // 2 * 600 / 96, rounded

    TRNBackgroundRect background;
    background.BorderOffsets.Left = 16;
    TRect r = Rect(100, 100, 200, 200);
    sad.ppixScreen = 0; // a screen that reports no resolution counts as 96
    background.PrepareDrawSaD(r, sad);
    EXPECT_EQ(r, Rect(0, 100, 200, 200));
}

TEST(RNStyleSheet, CheckpointAndPageBreakMarks) {
    TRNStyle sheet;
    const TRNMarkArea area{300, 280};
    TFakeCanvas canvas;
    sheet.DrawCheckpoint(canvas, 40, 20, -1, 5, false, area);
    EXPECT_TRUE(canvas.CallsOf("Ellipse").empty());
    auto lines = canvas.CallsOf("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{-5, 20}, {300, 20}}));
    EXPECT_EQ(lines[0].PenStyle, TPenStyle::psDot);
    EXPECT_EQ(lines[0].PenColor, clGreen);

    canvas.ClearCalls();
    sheet.DrawCheckpoint(canvas, 40, 20, 3, 0, true, area);
    const auto circles = canvas.CallsOf("Ellipse");
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].Rect, Rect(38, 18, 42, 22));
    EXPECT_EQ(circles[0].PenColor, clLime);
    EXPECT_EQ(circles[0].PenStyle, TPenStyle::psSolid);
    EXPECT_EQ(canvas.Pen().Style(), TPenStyle::psSolid);

    canvas.ClearCalls();
    sheet.DrawPageBreak(canvas, 50, 2, area);
    lines = canvas.CallsOf("Line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{-2, 50}, {270, 50}}));
    EXPECT_EQ(lines[0].PenColor, clBtnShadow);
    const auto corner = canvas.CallsOf("Polygon");
    ASSERT_EQ(corner.size(), 1u);
    EXPECT_EQ(corner[0].Points, (std::vector<TPoint>{{270, 50}, {278, 58}, {270, 58}}));
    EXPECT_EQ(corner[0].BrushColor, clWindow);
    EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsClear);
}

// A sheet read back from its settings names no next style it lacks, below -1 included.
TEST(RNStyleSheet, SettingsNamingAStyleTheSheetLacksNameNone) {
    TRNStyle sheet;
    sheet.TextStyles()[0].NextStyleNo = 6;
    sheet.TextStyles()[1].NextStyleNo = -5;
    sheet.ParaStyles()[0].NextParaNo = 2;
    sheet.ParaStyles()[1].NextParaNo = 1;
    MemorySettingsStore store;
    sheet.SaveReg(store, "Software/Test");
    TRNStyle read;
    read.LoadReg(store, "Software/Test");
    EXPECT_EQ(read.TextStyles()[0].NextStyleNo, -1);
    EXPECT_EQ(read.TextStyles()[1].NextStyleNo, -1);
    EXPECT_EQ(read.ParaStyles()[0].NextParaNo, -1);
    EXPECT_EQ(read.ParaStyles()[1].NextParaNo, 1);
}

TEST(RNStyleSheet, IniFileAndSettingsStoreKeepTheWholeSheet) {
    TRNStyle sheet;
    sheet.SelColor = clRed;
    sheet.UseSound = false;
    sheet.DefCodePage = 1251;
    sheet.TextStyles()[1].Size = 12;
    sheet.TextStyles()[4].Jump = false;
    TFontInfo& extra = sheet.TextStyles()[sheet.AddTextStyle()];
    extra.StyleName = "Extra";
    extra.StyleEx = {TRNFontStyleEx::rnfsAllCaps};
    extra.Protection = {TRNProtectOption::rnprSticking};
    TParaInfo& para = sheet.ParaStyles()[1];
    para.Border.Style = TRNBorderStyle::rnbTriple;
    para.Border.VisibleBorders.Top = false;
    para.Background.BorderOffsets.Bottom = 3;
    para.LineSpacingType = TRNLineSpacingType::rnlsSpaceBetween;

    const TempDir dir;
    const std::string file = (dir / "rnstyle.ini").string();
    // a value saved earlier must not outlive a save of the default
    TRNStyle earlier;
    earlier.TextStyles()[0].Size = 40;
    earlier.SaveINI(file, "Notes");
    sheet.SaveINI(file, "Notes");
    TRNStyle fromFile;
    fromFile.LoadINI(file, "Notes");

    MemorySettingsStore store;
    sheet.SaveReg(store, "Software/Test");
    EXPECT_TRUE(store.KeyExists("Software/Test/RNStyle"));
    EXPECT_EQ(store.ReadValue("Software/Test/RNStyle", "UseSound"), "No");
    TRNStyle fromStore;
    fromStore.LoadReg(store, "Software/Test");

    for (const TRNStyle* loaded : {&fromFile, &fromStore}) {
        EXPECT_EQ(Encode(*loaded), Encode(sheet));
        EXPECT_EQ(loaded->SelColor, clRed);
        EXPECT_FALSE(loaded->UseSound);
        EXPECT_EQ(loaded->DefCodePage, 1251);
    }

    // an empty section gives six text styles, 4 and 5 links, and two paragraph styles
    TRNStyle fromNothing;
    fromNothing.LoadReg(store, "Software/Other");
    ASSERT_EQ(fromNothing.TextStyles().Count(), 6);
    EXPECT_EQ(fromNothing.ParaStyles().Count(), 2);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(fromNothing.TextStyles()[i].Jump, i >= 4) << i;
    }
}
