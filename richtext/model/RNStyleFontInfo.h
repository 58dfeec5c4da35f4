#pragma once

// Text styles: the base of both style kinds (TCustomRNInfo) and the text style (TFontInfo)
// with its comparisons, its similarity score and how it sets up a canvas.

#include "platform/base/Set.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Types.h"

#include <cstdint>
#include <string>
#include <string_view>

class TCanvas;
class TRNStyle;

using TCursor = int16_t;

// The hypertext hand, registered by the style sheet.
constexpr TCursor crJump = 101;

enum class TRNFontStyleEx : uint8_t { rnfsOverline, rnfsAllCaps };
using TRNFontStylesEx = TSet<TRNFontStyleEx>;

enum class TRNProtectOption : uint8_t {
    rnprStyleProtect,
    rnprModifyProtect,
    rnprDeleteProtect,
    rnprConcateProtect,
    rnprRNFInsertProtect,
    rnprDoNotAutoSwitch,
    rnprParaStartProtect,
    rnprSticking
};
using TRNProtectOptions = TSet<TRNProtectOption>;

enum class TRNFontInfoProperty : uint8_t {
    rnfiFontName,
    rnfiSize,
    rnfiCharset,
    rnfiUnicode,
    rnfiBold,
    rnfiItalic,
    rnfiUnderline,
    rnfiStrikeout,
    rnfiOverline,
    rnfiAllCaps,
    rnfiVShift,
    rnfiColor,
    rnfiBackColor,
    rnfiJump,
    rnfiHoverBackColor,
    rnfiHoverColor,
    rnfiJumpCursor,
    rnfiNextStyleNo,
    rnfiProtection,
    rnfiCharScale,
    rnfiBaseStyleNo
};
using TRNFontInfoProperties = TSet<TRNFontInfoProperty>;

enum class TRNTextDrawStateItem : uint8_t {
    rntsSelected,
    rntsHover,
    rntsItemStart,
    rntsItemEnd,
    rntsDrawItemStart,
    rntsDrawItemEnd
};
using TRNTextDrawState = TSet<TRNTextDrawStateItem>;

// What both style kinds share: a display name and the style this one is based on.
class TCustomRNInfo {
public:
    virtual ~TCustomRNInfo() = default;

    std::string StyleName;
    int32_t BaseStyleNo = -1;

    const std::string& GetDisplayName() const { return StyleName; }
    // The whole style; a style of the other kind raises ERichNoteError.
    virtual void Assign(const TCustomRNInfo& source) = 0;
    virtual bool IsSimpleEqual(const TCustomRNInfo& value) const = 0;
    virtual int32_t SimilarityValue(const TCustomRNInfo& value) const = 0;

protected:
    void AssignBase(const TCustomRNInfo& source);
    TCustomRNInfo() = default;
    TCustomRNInfo(const TCustomRNInfo&) = default;
    TCustomRNInfo& operator=(const TCustomRNInfo&) = default;
};

class TFontInfo : public TCustomRNInfo {
public:
    TFontInfo() { StyleName = "Font Style"; }

    std::string FontName = "Arial";
    int32_t Size = 10;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontStyles Style;
    TRNFontStylesEx StyleEx;
    int32_t VShift = 0;
    TColor Color = clWindowText;
    TColor BackColor = clNone;
    TColor HoverColor = clNone;
    TColor HoverBackColor = clNone;
    bool Jump = false;
    TCursor JumpCursor = crJump;
    int32_t CharScale = 100;
    int32_t NextStyleNo = -1;
    bool Unicode = false;
    TRNProtectOptions Protection;

    void Assign(const TCustomRNInfo& source) override;
    // From a font: name, size, colour, style and charset.
    void AssignFont(const TFont& font);
    // To a font: name, size, colour, style; the charset only for 8-bit text.
    void AssignTo(TFont& font) const;
    // Sets `font` up as the canvas's device would create it: height from the size at the
    // canvas's vertical resolution, style, charset, name, natural width.
    void AssignToLogFont(TFont& font, const TCanvas& canvas) const;

    bool IsEqual(const TFontInfo& value, TRNFontInfoProperties ignoreList) const;
    bool IsSimpleEqual(const TCustomRNInfo& value) const override;
    int32_t SimilarityValue(const TCustomRNInfo& value) const override;

    // The canvas font for this style (scaled by CharScale).
    void Apply(TCanvas& canvas) const;
    // Font and brush colours for a draw state.
    void ApplyColor(TCanvas& canvas, const TRNStyle& sheet, TRNTextDrawState drawState) const;
    // `text` is 8-bit, or raw UTF-16LE for a Unicode style.
    void Draw(std::string_view text, TCanvas& canvas, int styleNo, int spaceBefore, int left,
              int top, int width, int height, const TRNStyle& sheet,
              TRNTextDrawState drawState) const;
    void DrawVertical(std::string_view text, TCanvas& canvas, int styleNo, int spaceBefore,
                      int left, int top, int width, int height, const TRNStyle& sheet,
                      TRNTextDrawState drawState) const;

private:
    void DrawText(std::string_view text, TCanvas& canvas, int x, int y) const;
    void DrawSpaceBefore(std::string_view text, TCanvas& canvas, const TRect& r,
                         const TRNStyle& sheet, TRNTextDrawState drawState) const;
    void DrawOverline(TCanvas& canvas, int left, int top, int width) const;
};
