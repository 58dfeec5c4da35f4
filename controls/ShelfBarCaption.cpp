#include "controls/ShelfBarCaption.h"

#include <algorithm>

TShelfCaption::TShelfCaption() {
    font_.OnChange = [this] { Changed(); };
    activeFont_.OnChange = [this] { Changed(); };
}

void TShelfCaption::Assign(const TShelfCaption& source) {
    if (&source == this) {
        return;
    }
    height_ = source.height_;
    shape_ = source.shape_;
    alignment_ = source.alignment_;
    vAlignment_ = source.vAlignment_;
    color_ = source.color_;
    shadeType_ = source.shadeType_;
    shadeLight_ = source.shadeLight_;
    shadeGrain_ = source.shadeGrain_;
    glyphClose_ = source.glyphClose_;
    glyphOpen_ = source.glyphOpen_;
    cursor_ = source.cursor_;
    button_ = source.button_;
    openCloseGraphic_ = source.openCloseGraphic_;
    openClosePosition_ = source.openClosePosition_;
    flat_ = source.flat_;
    background_ = source.background_;
    activeBackground_ = source.activeBackground_;
    indent_ = source.indent_;
    font_.Assign(source.font_);
    activeFont_.Assign(source.activeFont_);
    ShadeChanged();
    Changed();
}

void TShelfCaption::Changed() {
    if (OnChange) {
        OnChange();
    }
}

void TShelfCaption::ShadeChanged() {
    if (OnShadeChange) {
        OnShadeChange();
    }
}

void TShelfCaption::SetHeight(int value) {
    height_ = value;
    ShadeChanged();
    Changed();
}

void TShelfCaption::SetShape(TCaptionShape value) {
    Set(shape_, value);
}

void TShelfCaption::SetAlignment(TAlignment value) {
    Set(alignment_, value);
}

void TShelfCaption::SetFont(const TFont& value) {
    font_.Assign(value);
}

void TShelfCaption::SetVAlignment(TVAlignment value) {
    Set(vAlignment_, value);
}

void TShelfCaption::SetColor(TColor value) {
    SetShade(color_, value);
}

void TShelfCaption::SetShadeType(TShadeType value) {
    SetShade(shadeType_, value);
}

void TShelfCaption::SetShadeLight(int value) {
    SetShade(shadeLight_, std::clamp(value, 200, 255));
}

void TShelfCaption::SetShadeGrain(int value) {
    SetShade(shadeGrain_, std::clamp(value, 0, 255));
}

void TShelfCaption::SetGlyphClose(const TBitmap& value) {
    Set(glyphClose_, value);
}

void TShelfCaption::SetGlyphOpen(const TBitmap& value) {
    Set(glyphOpen_, value);
}

void TShelfCaption::SetButton(bool value) {
    Set(button_, value);
}

void TShelfCaption::SetOpenCloseGraphic(TOpenCloseGraphic value) {
    Set(openCloseGraphic_, value);
}

void TShelfCaption::SetOpenClosePosition(TOpenClosePosition value) {
    Set(openClosePosition_, value);
}

void TShelfCaption::SetFlat(bool value) {
    Set(flat_, value);
}

void TShelfCaption::SetBackground(const TBitmap& value) {
    Set(background_, value);
}

void TShelfCaption::SetActiveBackground(const TBitmap& value) {
    Set(activeBackground_, value);
}

void TShelfCaption::SetActiveFont(const TFont& value) {
    activeFont_.Assign(value);
}

void TShelfCaption::SetIndent(int value) {
    Set(indent_, value);
}
