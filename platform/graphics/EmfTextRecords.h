#pragma once

// The text of an enhanced metafile made ready for the converter, which copies it into SVG as it
// finds it. Text given as glyph indices of its font, as Windows programs write it, becomes the
// characters those glyphs show: the converter would look each record's font up in the font
// library again (6.5 ms a record: 300 of them took a picture's whole time). 8-bit text becomes
// Unicode text read in its font's code page (the converter made every byte past ASCII a
// space). Text stays text whatever it holds: "]]>" would end the section it is written in and
// turn the rest into markup, and characters that are no XML text would spoil the whole SVG. A
// font's name is written so that it stays a name where the converter puts it, inside quotes.

#include <cstdint>
#include <string>
#include <string_view>

// A font as a text record uses it.
struct TEmfTextFont {
    std::u16string Face;
    int Weight = 400;
    bool Italic = false;
    uint8_t Charset = 1;
};

// What character each glyph of a font shows.
class TGlyphCharacters {
public:
    virtual ~TGlyphCharacters() = default;
    // The character glyph `glyph` of `font` shows, 0 when it shows none.
    virtual char16_t CharacterOf(const TEmfTextFont& font, uint32_t glyph) = 0;
};

// Whether a text record of `bytes` (which passed ReadMetafileLayout) gives glyph indices.
bool EmfHasGlyphText(std::string_view bytes);

// `bytes`, which passed ReadMetafileLayout, with its text records written as characters the
// converter copies as they are (glyph indices through `glyphs`; left as they are without it)
// and its font names written to stay names. A text record whose characters or advances lie
// outside it is left out.
std::string EmfWithConvertibleText(std::string_view bytes, TGlyphCharacters* glyphs);

// The SVG the converter wrote for such a metafile, with the characters that stood in for text
// that would have ended its section put back, so that they are drawn as text.
std::string SvgWithTextRestored(std::string svg);
