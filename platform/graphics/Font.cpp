#include "platform/graphics/Font.h"

#include "platform/base/CodePage.h"
#include "platform/base/Rounding.h"
#include "platform/graphics/SymbolEncoding.h"

#include <algorithm>

unsigned CharsetToCodePage(TFontCharset charset) {
    switch (charset) {
    case MAC_CHARSET:
        return 10000;
    case SHIFTJIS_CHARSET:
        return 932;
    case HANGEUL_CHARSET:
        return 949;
    case JOHAB_CHARSET:
        return 1361;
    case GB2312_CHARSET:
        return 936;
    case CHINESEBIG5_CHARSET:
        return 950;
    case GREEK_CHARSET:
        return 1253;
    case TURKISH_CHARSET:
        return 1254;
    case VIETNAMESE_CHARSET:
        return 1258;
    case HEBREW_CHARSET:
        return 1255;
    case ARABIC_CHARSET:
        return 1256;
    case BALTIC_CHARSET:
        return 1257;
    case RUSSIAN_CHARSET:
        return 1251;
    case THAI_CHARSET:
        return 874;
    case EASTEUROPE_CHARSET:
        return 1250;
    case OEM_CHARSET:
        return 437;
    default:
        return 1252;
    }
}

std::u16string DecodeCharsetText(std::string_view bytes, TFontCharset charset,
                                 std::vector<size_t>* unitsAfterByte) {
    if (charset == SYMBOL_CHARSET) {
        return DecodeSymbol(bytes, unitsAfterByte);
    }
    return MultiByteToUtf16(bytes, CharsetToCodePage(charset), unitsAfterByte);
}

namespace {

template <typename T> bool Store(T& field, const T& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

} // namespace

void TFont::Assign(const TFont& source) {
    if (&source == this) {
        return;
    }
    name_ = source.name_;
    color_ = source.color_;
    style_ = source.style_;
    charset_ = source.charset_;
    pitch_ = source.pitch_;
    width_ = source.width_;
    height_ = pixelsPerInch_ == source.pixelsPerInch_ ? source.height_
                                                      : -MulDiv(source.Size(), pixelsPerInch_, 72);
    Changed();
}

void TFont::SetName(const std::string& name) {
    if (Store(name_, name)) {
        Changed();
    }
}

void TFont::SetHeight(int height) {
    if (Store(height_, height)) {
        Changed();
    }
}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetWidth(int width) {
    if (Store(width_, std::max(0, width))) {
        Changed();
    }
}

void TFont::SetColor(TColor color) {
    if (Store(color_, color)) {
        Changed();
    }
}

void TFont::SetStyle(TFontStyles style) {
    if (Store(style_, style)) {
        Changed();
    }
}

void TFont::SetCharset(TFontCharset charset) {
    if (Store(charset_, charset)) {
        Changed();
    }
}

void TFont::SetPitch(TFontPitch pitch) {
    if (Store(pitch_, pitch)) {
        Changed();
    }
}

void TFont::SetPixelsPerInch(int ppi) {
    if (ppi > 0 && ppi != pixelsPerInch_) {
        int points = Size();
        pixelsPerInch_ = ppi;
        height_ = -MulDiv(points, ppi, 72);
        Changed();
    }
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
           style_ == other.style_ && charset_ == other.charset_ && pitch_ == other.pitch_ &&
           width_ == other.width_;
}

void TPen::Assign(const TPen& source) {
    color_ = source.color_;
    width_ = source.width_;
    style_ = source.style_;
    mode_ = source.mode_;
    Changed();
}

void TPen::SetColor(TColor color) {
    if (Store(color_, color)) {
        Changed();
    }
}

void TPen::SetWidth(int width) {
    if (Store(width_, width < 0 ? 0 : width)) {
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style) {
    if (Store(style_, style)) {
        Changed();
    }
}

void TPen::SetMode(TPenMode mode) {
    if (Store(mode_, mode)) {
        Changed();
    }
}

void TBrush::Assign(const TBrush& source) {
    color_ = source.color_;
    style_ = source.style_;
    Changed();
}

void TBrush::SetColor(TColor color) {
    // As in the framework, giving a clear brush a colour makes it solid again.
    bool changed = Store(color_, color);
    if (style_ == TBrushStyle::bsClear) {
        style_ = TBrushStyle::bsSolid;
        changed = true;
    }
    if (changed) {
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style) {
    if (Store(style_, style)) {
        Changed();
    }
}
