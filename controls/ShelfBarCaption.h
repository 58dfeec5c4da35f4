#pragma once

// The look shared by all caption bars of a side bar: height, shape, fonts, the shade and its
// colour, the open/close mark and the pictures of the bitmap shades. A change of the shade
// (colour, type, light, grain, height) has the bar compute its shade again; any other change
// repaints.

#include "controls/ShelfBarShade.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/widgets/Alignment.h"
#include "platform/widgets/Cursors.h"

#include <functional>

enum class TCaptionShape { csRectangle, csRounded, csSemiRounded };
enum class TVAlignment { vaCenter, vaTop, vaBottom };
enum class TOpenCloseGraphic { ocgNone, ocgCross, ocgTriangle, ocgGlyph };
enum class TOpenClosePosition { ocpLeft, ocpRight };

class TShelfCaption {
public:
    TShelfCaption();
    TShelfCaption(const TShelfCaption&) = delete;
    TShelfCaption& operator=(const TShelfCaption&) = delete;

    // Copies every property, then raises ShadeChanged and Changed.
    void Assign(const TShelfCaption& source);

    int Height() const { return height_; }
    void SetHeight(int value);
    TCaptionShape Shape() const { return shape_; }
    void SetShape(TCaptionShape value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Closed panels; ActiveFont is the top panel's.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& value);
    TVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TVAlignment value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TShadeType ShadeType() const { return shadeType_; }
    void SetShadeType(TShadeType value);
    // At least 200.
    int ShadeLight() const { return shadeLight_; }
    void SetShadeLight(int value);
    int ShadeGrain() const { return shadeGrain_; }
    void SetShadeGrain(int value);
    const TBitmap& GlyphClose() const { return glyphClose_; }
    void SetGlyphClose(const TBitmap& value);
    const TBitmap& GlyphOpen() const { return glyphOpen_; }
    void SetGlyphOpen(const TBitmap& value);
    // Only stored; the bar shows it over captions.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value) { cursor_ = value; }
    bool Button() const { return button_; }
    void SetButton(bool value);
    TOpenCloseGraphic OpenCloseGraphic() const { return openCloseGraphic_; }
    void SetOpenCloseGraphic(TOpenCloseGraphic value);
    TOpenClosePosition OpenClosePosition() const { return openClosePosition_; }
    void SetOpenClosePosition(TOpenClosePosition value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    const TBitmap& Background() const { return background_; }
    void SetBackground(const TBitmap& value);
    const TBitmap& ActiveBackground() const { return activeBackground_; }
    void SetActiveBackground(const TBitmap& value);
    TFont& ActiveFont() { return activeFont_; }
    const TFont& ActiveFont() const { return activeFont_; }
    void SetActiveFont(const TFont& value);
    int Indent() const { return indent_; }
    void SetIndent(int value);

    void Changed();
    void ShadeChanged();

    std::function<void()> OnChange;
    std::function<void()> OnShadeChange;

private:
    template <typename T> void Set(T& field, const T& value) {
        field = value;
        Changed();
    }
    template <typename T> void SetShade(T& field, const T& value) {
        field = value;
        ShadeChanged();
    }

    int height_ = 20;
    TCaptionShape shape_ = TCaptionShape::csRectangle;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TFont font_;
    TVAlignment vAlignment_ = TVAlignment::vaCenter;
    TColor color_ = clBtnFace;
    TShadeType shadeType_ = TShadeType::stNormal;
    int shadeLight_ = 255;
    int shadeGrain_ = 32;
    TBitmap glyphClose_;
    TBitmap glyphOpen_;
    TCursor cursor_ = crDefault;
    bool button_ = false;
    TOpenCloseGraphic openCloseGraphic_ = TOpenCloseGraphic::ocgNone;
    TOpenClosePosition openClosePosition_ = TOpenClosePosition::ocpLeft;
    bool flat_ = false;
    TBitmap background_;
    TBitmap activeBackground_;
    TFont activeFont_;
    int indent_ = 0;
};
