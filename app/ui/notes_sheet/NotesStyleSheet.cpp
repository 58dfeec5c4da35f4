#include "app/ui/notes_sheet/NotesStyleSheet.h"

#include "platform/graphics/Font.h"
#include "richtext/model/RNRTFProps.h"

namespace {

using S = TFontStyle;

TRNRect Offsets(int left, int top, int right, int bottom) {
    TRNRect r;
    r.Left = left;
    r.Top = top;
    r.Right = right;
    r.Bottom = bottom;
    return r;
}

TFontInfo& Text(TRNStyle& sheet, const char* name, const char* font, int size, TColor color,
                TFontStyles style, bool jump) {
    TFontInfo& f = sheet.TextStyles().Add();
    f.StyleName = name;
    f.FontName = font;
    f.Size = size;
    f.Color = color;
    f.Style = style;
    f.Jump = jump;
    f.JumpCursor = jump ? crJump : 0;
    return f;
}

TParaInfo& Para(TRNStyle& sheet, const char* name, int left, int right, TRNAlignment align) {
    TParaInfo& p = sheet.ParaStyles().Add();
    p.StyleName = name;
    p.LeftIndent = left;
    p.RightIndent = right;
    p.Alignment = align;
    return p;
}

void Caption(TParaInfo& p, bool top, TRNRect offsets, TColor back, TRNRect backOffsets, int next) {
    p.FirstIndent = 0;
    p.LeftIndent = p.RightIndent = 10;
    p.SpaceBefore = p.SpaceAfter = 10;
    p.Border.Style = TRNBorderStyle::rnbThickOutside;
    p.Border.VisibleBorders.Top = top;
    p.Border.VisibleBorders.Bottom = !top;
    p.Border.BorderOffsets = offsets;
    p.Background.Color = back;
    p.Background.BorderOffsets = backOffsets;
    p.NextParaNo = next;
}

} // namespace

void SetUpNotesSheet(TRNStyle& sheet) {
    sheet.Name = "rns";
    sheet.HoverColor = clRed;
    sheet.CheckpointColor = clLime;
    sheet.DefUnicodeStyle = 11;
    TFontInfos& t = sheet.TextStyles();
    t.Clear();
    Text(sheet, "Normal", "Arial", 10, clWindowText, {}, false);
    Text(sheet, "Heading", "Arial", 20, clBlue, {S::fsBold}, false).NextStyleNo = 0;
    Text(sheet, "Subheading", "Arial", 14, clNavy, {S::fsBold}, false).NextStyleNo = 0;
    Text(sheet, "Courier", "Courier New", 10, clMaroon, {S::fsItalic}, false);
    Text(sheet, "Jump Arial", "Arial", 10, clGreen, {S::fsUnderline}, true);
    TFontInfo& times =
        Text(sheet, "Colored Jump Times", "Times New Roman", 12, clWhite, {S::fsUnderline}, true);
    times.BackColor = 0x808040;
    times.HoverColor = 0xCEFFFF;
    times.HoverBackColor = clBlue;
    TFontInfo& symbols = Text(sheet, "Symbols", "Symbol", 10, 0x004080, {S::fsBold}, false);
    symbols.Charset = SYMBOL_CHARSET;
    symbols.Protection = {TRNProtectOption::rnprStyleProtect,
                          TRNProtectOption::rnprDoNotAutoSwitch};
    Text(sheet, "Subscript", "Arial", 9, clWindowText, {}, false).VShift = -50;
    Text(sheet, "Superscript", "Arial", 9, clWindowText, {}, false).VShift = 50;
    Text(sheet, "Vector", "Arial", 12, clWindowText, {S::fsBold}, false).StyleEx = {
        TRNFontStyleEx::rnfsOverline};
    // The last two are not links, though they show the hand cursor.
    TFontInfo& caption =
        Text(sheet, "Window Caption", "Arial", 10, clCaptionText, {S::fsBold, S::fsItalic}, false);
    caption.NextStyleNo = 0;
    caption.JumpCursor = crJump;
    TFontInfo& unicode = Text(sheet, "Unicode", "Arial Unicode MS", 10, clWindowText, {}, false);
    unicode.Unicode = true;
    unicode.JumpCursor = crJump;

    using A = TRNAlignment;
    sheet.ParaStyles().Clear();
    Para(sheet, "Left", 0, 0, A::rnaLeft);
    Para(sheet, "Left Indent", 50, 0, A::rnaLeft);
    Para(sheet, "Centered", 50, 50, A::rnaCenter);
    Para(sheet, "Right", 0, 0, A::rnaRight);
    Para(sheet, "Justify", 0, 0, A::rnaJustify).FirstIndent = 30;
    TParaInfo& framed = Para(sheet, "Framed", 20, 20, A::rnaCenter);
    framed.SpaceBefore = framed.SpaceAfter = 5;
    framed.Border.Style = TRNBorderStyle::rnbSingle;
    framed.Border.BorderOffsets = Offsets(2, 2, 2, 2);
    Caption(Para(sheet, "Window Caption", 0, 0, A::rnaCenter), true, Offsets(5, 5, 5, 10),
            clActiveCaption, Offsets(2, 2, 2, 8), 7);
    Caption(Para(sheet, "Window Workspace", 0, 0, A::rnaCenter), false, Offsets(5, 5, 10, 5),
            clBtnFace, Offsets(2, 2, 8, 2), 0);
    Para(sheet, "Paragraph Style", 0, 0, A::rnaLeft);
    for (int i = 0; i < 6; ++i) {
        sheet.ParaStyles()[i].NextParaNo = 0;
    }
}

void SetUpNotesRTFReader(TRNRTFReaderProperties& properties) {
    properties.UnicodeMode = TRNReaderUnicode::rnruMixed;
}

TRNOptions NotesDocumentOptions() {
    TRNOptions options = RNDefaultOptions;
    options.Include(TRNOption::rnoTagsArePChars);
    return options;
}

TRNFOptions NotesRNFOptions() {
    return {TRNFOption::rnfoSavePicturesBody, TRNFOption::rnfoSaveControlsBody,
            TRNFOption::rnfoSaveBinary, TRNFOption::rnfoSaveTextStyles,
            TRNFOption::rnfoSaveParaStyles};
}

TRNRTFOptions NotesRTFOptions() {
    return {TRNRTFOption::rnrtfSaveStyleSheet, TRNRTFOption::rnrtfDuplicateUnicode,
            TRNRTFOption::rnrtfSaveEMFAsWMF, TRNRTFOption::rnrtfSaveJpegAsJpeg};
}
