#include "app/ui/NotesStyles.h"

namespace {

struct TFontStyleCode {
    int On;
    int Off;
    TFontStyle Style;
};

constexpr TFontStyleCode FontStyleCodes[] = {
    {ncBoldOn, ncBoldOff, TFontStyle::fsBold},
    {ncItalicOn, ncItalicOff, TFontStyle::fsItalic},
    {ncUnderlineOn, ncUnderlineOff, TFontStyle::fsUnderline},
    {ncStrikeOutOn, ncStrikeOutOff, TFontStyle::fsStrikeOut},
};

// A copy of `styleNo` changed by `change`, appended; its number.
template <class Change> int AddChanged(TFontInfos& styles, int styleNo, Change change) {
    TFontInfo& added = styles.Add();
    added.Assign(styles[styleNo]);
    change(added);
    return styles.Count() - 1;
}

} // namespace

int ConvertNoteStyle(TFontInfos& styles, int styleNo, int code,
                     const TConversionOperands& operands) {
    for (const TFontStyleCode& row : FontStyleCodes) {
        if (code != row.On && code != row.Off) {
            continue;
        }
        const bool on = code == row.On;
        const TFontStyles mask{row.Style};
        const int found = styles.FindStyleWithFontStyle(styleNo, on ? mask : TFontStyles{}, mask);
        if (found != -1) {
            return found;
        }
        return AddChanged(styles, styleNo, [&](TFontInfo& f) {
            if (on) {
                f.Style.Include(row.Style);
            } else {
                f.Style.Exclude(row.Style);
            }
        });
    }
    const TFontInfo& current = styles[styleNo];
    int found = -1;
    switch (code) {
    case ncFontName:
        found = styles.FindStyleWithFontName(styleNo, operands.FontName);
        return found != -1 ? found : AddChanged(styles, styleNo, [&](TFontInfo& f) {
            f.FontName = operands.FontName;
        });
    case ncFontSize:
        found = styles.FindStyleWithFontSize(styleNo, operands.FontSize);
        return found != -1
                   ? found
                   : AddChanged(styles, styleNo, [&](TFontInfo& f) { f.Size = operands.FontSize; });
    case ncTextColor:
        found = styles.FindStyleWithColor(styleNo, operands.Color, current.BackColor);
        return found != -1
                   ? found
                   : AddChanged(styles, styleNo, [&](TFontInfo& f) { f.Color = operands.Color; });
    case ncBackColor:
        found = styles.FindStyleWithColor(styleNo, current.Color, operands.Color);
        return found != -1 ? found : AddChanged(styles, styleNo, [&](TFontInfo& f) {
            f.BackColor = operands.Color;
        });
    default:
        return styleNo;
    }
}

int FindOrAddParaStyle(TParaInfos& styles, TRNAlignment alignment, int leftIndent, TColor color) {
    for (int i = styles.Count() - 1; i >= 0; --i) {
        const TParaInfo& p = styles[i];
        if (p.Alignment == alignment && p.LeftIndent == leftIndent && p.Background.Color == color) {
            return i;
        }
    }
    TParaInfo& added = styles.Add();
    added.Alignment = alignment;
    added.LeftIndent = leftIndent;
    added.Background.Color = color;
    return styles.Count() - 1;
}

std::optional<int> IndentTarget(int leftIndent, bool right, int width) {
    if (!right) {
        return leftIndent < IndentStep ? std::nullopt : std::optional(leftIndent - IndentStep);
    }
    return leftIndent + IndentStep > width ? std::nullopt : std::optional(leftIndent + IndentStep);
}
