#pragma once

// The style sheet the notes editor works with: twelve text styles and nine paragraph styles.

#include "richtext/model/RNStyle.h"

inline void SetUpNotesSheet(TRNStyle& sheet) {
    using S = TFontStyle;
    struct Text {
        const char* name;
        const char* font;
        int size;
        TFontStyles style;
        TColor color;
    };
    const Text texts[] = {
        {"Normal", "Arial", 10, {}, clWindowText},
        {"Heading", "Arial", 20, {S::fsBold}, clBlue},
        {"Subheading", "Arial", 14, {S::fsBold}, clNavy},
        {"Courier", "Courier New", 10, {S::fsItalic}, clMaroon},
        {"Jump Arial", "Arial", 10, {S::fsUnderline}, clGreen},
        {"Colored Jump Times", "Times New Roman", 12, {S::fsUnderline}, clWhite},
        {"Symbols", "Symbol", 10, {S::fsBold}, 0x004080},
        {"Subscript", "Arial", 9, {}, clWindowText},
        {"Superscript", "Arial", 9, {}, clWindowText},
        {"Vector", "Arial", 12, {S::fsBold}, clWindowText},
        {"Window Caption", "Arial", 10, {S::fsBold, S::fsItalic}, clCaptionText},
        {"Unicode", "Arial Unicode MS", 10, {}, clWindowText},
    };
    TFontInfos& t = sheet.TextStyles();
    t.Clear();
    for (const Text& x : texts) {
        TFontInfo& f = t.Add();
        f.StyleName = x.name;
        f.FontName = x.font;
        f.Size = x.size;
        f.Style = x.style;
        f.Color = x.color;
    }
    t[1].NextStyleNo = t[2].NextStyleNo = t[10].NextStyleNo = 0;
    t[4].Jump = t[5].Jump = true;
    t[5].BackColor = 0x808040;
    t[5].HoverColor = 0xCEFFFF;
    t[5].HoverBackColor = clBlue;
    t[6].Protection = {TRNProtectOption::rnprStyleProtect, TRNProtectOption::rnprDoNotAutoSwitch};
    t[7].VShift = -50;
    t[8].VShift = 50;
    t[9].StyleEx = {TRNFontStyleEx::rnfsOverline};
    t[11].Unicode = true;

    TParaInfos& p = sheet.ParaStyles();
    p.Clear();
    const char* names[] = {"Left",           "Left Indent",      "Centered",
                           "Right",          "Justify",          "Framed",
                           "Window Caption", "Window Workspace", "Paragraph Style"};
    for (const char* name : names) {
        TParaInfo& s = p.Add();
        s.StyleName = name;
        s.NextParaNo = 0;
    }
    p[8].NextParaNo = -1;
    p[1].LeftIndent = 50;
    p[2].LeftIndent = p[2].RightIndent = 50;
    p[2].Alignment = TRNAlignment::rnaCenter;
    p[3].Alignment = TRNAlignment::rnaRight;
    p[4].FirstIndent = 30;
    p[4].Alignment = TRNAlignment::rnaJustify;
    p[5].LeftIndent = p[5].RightIndent = 20;
    p[5].SpaceBefore = p[5].SpaceAfter = 5;
    p[5].Alignment = TRNAlignment::rnaCenter;
    p[5].Border.Style = TRNBorderStyle::rnbSingle;
    p[5].Border.BorderOffsets = {2, 2, 2, 2};
    for (int i : {6, 7}) {
        TParaInfo& s = p[i];
        s.LeftIndent = s.RightIndent = s.FirstIndent = 10;
        s.SpaceBefore = s.SpaceAfter = 10;
        s.Alignment = TRNAlignment::rnaCenter;
        s.Border.Style = TRNBorderStyle::rnbThickOutside;
    }
    p[6].NextParaNo = 7;
    p[6].Border.VisibleBorders.Bottom = false;
    p[6].Border.BorderOffsets = {5, 5, 5, 10}; // left, right, top, bottom
    p[6].Background.Color = clActiveCaption;
    p[6].Background.BorderOffsets = {2, 2, 2, 8};
    p[7].Border.VisibleBorders.Top = false;
    p[7].Border.BorderOffsets = {5, 10, 5, 5};
    p[7].Background.Color = clBtnFace;
    p[7].Background.BorderOffsets = {2, 8, 2, 2};
    sheet.HoverColor = clRed;
    sheet.CheckpointColor = clLime;
    sheet.DefUnicodeStyle = 11;
}
