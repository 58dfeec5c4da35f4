#pragma once

// The characters the glyphs of the fonts here show, read from the fonts' character maps: a font
// a metafile names is the font found here for that name, weight and slant, as the SVG renderer
// finds it when it draws the text. Each font's map is read once and turned round.

#include "platform/graphics/EmfTextRecords.h"

#include <map>
#include <memory>
#include <tuple>
#include <vector>

class QGuiApplication;

class TFontGlyphCharacters : public TGlyphCharacters {
public:
    TFontGlyphCharacters();
    ~TFontGlyphCharacters() override;
    TFontGlyphCharacters(const TFontGlyphCharacters&) = delete;
    TFontGlyphCharacters& operator=(const TFontGlyphCharacters&) = delete;

    // Whether fonts can be read in this process: it has no application, or one that draws.
    static bool Available();

    char16_t CharacterOf(const TEmfTextFont& font, uint32_t glyph) override;

private:
    // Fonts are found through an application's font system; a process without an application
    // (the converter) gets one of its own, drawing nowhere, for as long as this lives.
    std::unique_ptr<QGuiApplication> own_;
    std::map<std::tuple<std::u16string, int, bool>, std::vector<char16_t>> maps_;
};
