#include "richtext/model/RNStyleFontInfo.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNSimilarity.h"

#include "platform/base/Rounding.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cstdint>

void TCustomRNInfo::AssignBase(const TCustomRNInfo& source) {
    StyleName = source.StyleName;
    BaseStyleNo = source.BaseStyleNo;
}

void TFontInfo::Assign(const TCustomRNInfo& source) {
    const auto* font = dynamic_cast<const TFontInfo*>(&source);
    if (font == nullptr) {
        throw ERichNoteError("Cannot assign a paragraph style to a text style");
    }
    if (font != this) {
        *this = *font;
    }
}

void TFontInfo::AssignFont(const TFont& font) {
    FontName = font.Name();
    Size = font.Size();
    Color = font.Color();
    Style = font.Style();
    Charset = font.Charset();
}

void TFontInfo::AssignTo(TFont& font) const {
    font.SetName(FontName);
    font.SetSize(Size);
    font.SetColor(Color);
    font.SetStyle(Style);
    if (!Unicode) {
        font.SetCharset(Charset);
    }
}

void TFontInfo::AssignToLogFont(TFont& font, const TCanvas& canvas) const {
    font.SetPixelsPerInch(canvas.PixelsPerInchY());
    font.SetHeight(-MulDiv(Size, canvas.PixelsPerInchY(), 72));
    font.SetStyle(Style);
    font.SetCharset(Charset);
    font.SetName(FontName);
    font.SetWidth(0);
}

bool TFontInfo::IsEqual(const TFontInfo& value, TRNFontInfoProperties ignoreList) const {
    using P = TRNFontInfoProperty;
    auto same = [ignoreList](P property, bool equal) {
        return ignoreList.Contains(property) || equal;
    };
    auto sameStyle = [&](P property, TFontStyle bit) {
        return same(property, Style.Contains(bit) == value.Style.Contains(bit));
    };
    auto sameStyleEx = [&](P property, TRNFontStyleEx bit) {
        return same(property, StyleEx.Contains(bit) == value.StyleEx.Contains(bit));
    };
    if (!same(P::rnfiSize, Size == value.Size) || !same(P::rnfiCharset, Charset == value.Charset) ||
        !same(P::rnfiUnicode, Unicode == value.Unicode) ||
        !sameStyle(P::rnfiBold, TFontStyle::fsBold) ||
        !sameStyle(P::rnfiItalic, TFontStyle::fsItalic) ||
        !sameStyle(P::rnfiUnderline, TFontStyle::fsUnderline) ||
        !sameStyle(P::rnfiStrikeout, TFontStyle::fsStrikeOut) ||
        !sameStyleEx(P::rnfiOverline, TRNFontStyleEx::rnfsOverline) ||
        !sameStyleEx(P::rnfiAllCaps, TRNFontStyleEx::rnfsAllCaps) ||
        !same(P::rnfiFontName, SameText(FontName, value.FontName)) ||
        !same(P::rnfiVShift, VShift == value.VShift) || !same(P::rnfiColor, Color == value.Color) ||
        !same(P::rnfiBackColor, BackColor == value.BackColor) ||
        !same(P::rnfiJump, Jump == value.Jump)) {
        return false;
    }
    // The hover look and the cursor only matter for links.
    if (Jump && (!same(P::rnfiHoverColor, HoverColor == value.HoverColor) ||
                 !same(P::rnfiHoverBackColor, HoverBackColor == value.HoverBackColor) ||
                 !same(P::rnfiJumpCursor, JumpCursor == value.JumpCursor))) {
        return false;
    }
    return same(P::rnfiNextStyleNo, NextStyleNo == value.NextStyleNo) &&
           same(P::rnfiProtection, Protection == value.Protection) &&
           same(P::rnfiCharScale, CharScale == value.CharScale) &&
           same(P::rnfiBaseStyleNo, BaseStyleNo == value.BaseStyleNo);
}

bool TFontInfo::IsSimpleEqual(const TCustomRNInfo& value) const {
    const auto* font = dynamic_cast<const TFontInfo*>(&value);
    if (font == nullptr) {
        return false;
    }
    return IsEqual(*font, {TRNFontInfoProperty::rnfiBaseStyleNo});
}

int32_t TFontInfo::SimilarityValue(const TCustomRNInfo& value) const {
    const auto* font = dynamic_cast<const TFontInfo*>(&value);
    if (font == nullptr) {
        return 0;
    }
    const TFontInfo& v = *font;
    int64_t score = RN_CompareInts64(v.Size, Size, RNSMW_FONTSIZE) +
                    RN_CompareInts64(v.VShift, VShift, RNSMW_VSHIFTRATIO) +
                    RN_CompareInts64(v.CharScale, CharScale, RNSMW_CHARSCALE);
    score += RN_CompareColors64(v.Color, Color, RNSMW_EACHRGBCOLOR, RNSMW_COLORSET);
    score += RN_CompareColors64(v.BackColor, BackColor, RNSMW_EACHRGBBCOLOR, RNSMW_BCOLORSET);
    if (SameText(v.FontName, FontName)) {
        score += RNSMW_FONTNAME;
    }
    for (TFontStyle bit : {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                           TFontStyle::fsStrikeOut}) {
        if (v.Style.Contains(bit) == Style.Contains(bit)) {
            score += RNSMW_FONTEACHSTYLE;
        }
    }
    for (TRNFontStyleEx bit : {TRNFontStyleEx::rnfsOverline, TRNFontStyleEx::rnfsAllCaps}) {
        if (v.StyleEx.Contains(bit) == StyleEx.Contains(bit)) {
            score += RNSMW_OVERLINE;
        }
    }
    const bool plain1 = v.Style.Empty() && v.StyleEx.Empty();
    const bool plain2 = Style.Empty() && StyleEx.Empty();
    if (plain1 == plain2) {
        score += RNSMW_FONTSTYLESET;
    }
    if (v.Jump && Jump) {
        if (v.JumpCursor == JumpCursor) {
            score += RNSMW_CURSOR;
        }
        score +=
            RN_CompareColors64(v.HoverColor, HoverColor, RNSMW_EACHRGBCOLOR, RNSMW_COLORSET) / 2;
        score += RN_CompareColors64(v.HoverBackColor, HoverBackColor, RNSMW_EACHRGBBCOLOR,
                                    RNSMW_BCOLORSET) /
                 2;
    }
    if (v.Protection != Protection) {
        score -= RNSMW_PROTECTION;
    }
    if (v.Charset == Charset) {
        score += RNSMW_FONTCHARSET;
    } else if (v.Charset == DEFAULT_CHARSET || Charset == DEFAULT_CHARSET) {
        score += RNSMW_FONTCHARSET / 4;
    }
    return RN_ClampScore(score);
}
