#pragma once

// The font, pen and brush of a canvas, with the framework's defaults. Every change calls
// OnChange, so that owners (a style, a panel) can repaint, and raises Revision(), so that a
// canvas knows when to rebuild what it measured.

#include "platform/base/Set.h"
#include "platform/graphics/Color.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

enum class TFontPitch { fpDefault, fpVariable, fpFixed };

using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset MAC_CHARSET = 77;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset JOHAB_CHARSET = 130;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset GREEK_CHARSET = 161;
constexpr TFontCharset TURKISH_CHARSET = 162;
constexpr TFontCharset VIETNAMESE_CHARSET = 163;
constexpr TFontCharset HEBREW_CHARSET = 177;
constexpr TFontCharset ARABIC_CHARSET = 178;
constexpr TFontCharset BALTIC_CHARSET = 186;
constexpr TFontCharset RUSSIAN_CHARSET = 204;
constexpr TFontCharset THAI_CHARSET = 222;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
constexpr TFontCharset OEM_CHARSET = 255;

// The code page 8-bit text in a font of this charset is written in (1252 for the ANSI and
// default charsets and for unknown ones).
unsigned CharsetToCodePage(TFontCharset charset);

// 8-bit text in a font of `charset`: symbols for the symbol charset, else text in the
// charset's code page. `unitsAfterByte`, when given, is filled as MultiByteToUtf16 fills it.
std::u16string DecodeCharsetText(std::string_view bytes, TFontCharset charset,
                                 std::vector<size_t>* unitsAfterByte = nullptr);

using TChangeEvent = std::function<void()>;

// Graphics objects notify through this base; Revision() grows with every change.
class TGraphicsObject {
public:
    TChangeEvent OnChange;
    uint64_t Revision() const { return revision_; }

protected:
    void Changed() {
        ++revision_;
        if (OnChange) {
            OnChange();
        }
    }

private:
    uint64_t revision_ = 0;
};

class TFont : public TGraphicsObject {
public:
    // "MS Sans Serif", 8 points at 96 pixels per inch (Height -11), the window text colour.
    TFont() = default;
    TFont(const TFont& other) { Assign(other); }
    TFont& operator=(const TFont& other) {
        Assign(other);
        return *this;
    }

    // Copies every property except the handler; the size in points is kept when the two
    // fonts differ in pixels per inch.
    void Assign(const TFont& source);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Negative: the character height in pixels; positive: the cell height (with the
    // internal leading).
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    // The average character width in pixels that text is stretched or narrowed to; 0 keeps
    // the font's natural width.
    int Width() const { return width_; }
    void SetWidth(int width);
    // The resolution Size is converted with; a canvas gives its own font its device's.
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi);

    bool SameAs(const TFont& other) const;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    int width_ = 0;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    int pixelsPerInch_ = 96;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// How a pen combines with what is there: pmNot inverts, pmXor and pmNotXor mix with the pen
// colour, so that drawing the same figure twice restores the surface.
enum class TPenMode { pmCopy, pmNot, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
public:
    void Assign(const TPen& source);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    TPenMode mode_ = TPenMode::pmCopy;
};

enum class TBrushStyle { bsSolid, bsClear };

// Setting a colour makes a clear brush solid, as the framework does; a solid brush of clNone
// fills nothing.
class TBrush : public TGraphicsObject {
public:
    void Assign(const TBrush& source);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
};
