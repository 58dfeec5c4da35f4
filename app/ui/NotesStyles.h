#pragma once

// How the notes editor's formatting commands pick styles on the sheet "rns": a text style for
// each conversion code (one with the wanted look is reused, else one is added), a paragraph
// style by alignment, left indent and background colour (the last match is reused, else one is
// added), and the indent a step left or right reaches. Style tables only grow: stored notes
// carry them.

#include "richtext/model/RNStyleInfos.h"

#include <optional>
#include <string>

// The codes the commands pass to the editor's style conversion.
enum TNoteConversion : int {
    ncBoldOn = 1,
    ncItalicOn = 2,
    ncUnderlineOn = 3,
    ncFontName = 4,
    ncBoldOff = 6,
    ncItalicOff = 7,
    ncUnderlineOff = 8,
    ncFontSize = 9,
    ncStrikeOutOn = 10,
    ncStrikeOutOff = 11,
    ncTextColor = 12,
    ncBackColor = 13,
};

// What codes 4, 9, 12 and 13 apply.
struct TConversionOperands {
    int FontSize = 10;
    TColor Color = clBlack;
    std::string FontName;
};

// The text style that `styleNo` becomes under `code`; any other code gives `styleNo`.
int ConvertNoteStyle(TFontInfos& styles, int styleNo, int code,
                     const TConversionOperands& operands);

// The last paragraph style with this alignment, left indent and background colour, or a new
// one with these three and everything else at its default. Nothing else is compared.
int FindOrAddParaStyle(TParaInfos& styles, TRNAlignment alignment, int leftIndent, TColor color);

inline constexpr int IndentStep = 50;
// The left indent one step left (none below a whole step) or right (none past `width`).
std::optional<int> IndentTarget(int leftIndent, bool right, int width);
