#include "platform/graphics/FontGlyphCharacters.h"

#include <QFont>
#include <QGuiApplication>
#include <QRawFont>

#include <algorithm>

namespace {

// The arguments the application of a process without one is started with: no window system.
int FontSystemArgumentCount = 3;
char ProgramArgument[] = "metafile-converter";
char PlatformSwitch[] = "-platform";
char NoWindowSystem[] = "offscreen";
char* FontSystemArguments[] = {ProgramArgument, PlatformSwitch, NoWindowSystem, nullptr};

// Each glyph of `font` with the lowest character its map gives it; 0 for none. Characters
// below the space are controls, not text.
std::vector<char16_t> GlyphMap(const TEmfTextFont& font) {
    QFont wanted(QString::fromStdU16String(font.Face));
    wanted.setWeight(
        static_cast<QFont::Weight>(std::clamp(font.Weight > 0 ? font.Weight : 400, 1, 1000)));
    wanted.setItalic(font.Italic);
    const QRawFont raw = QRawFont::fromFont(wanted);
    std::vector<QChar> characters;
    for (char32_t c = 0x20; c <= 0xFFFF; ++c) {
        if (c < 0xD800 || c > 0xDFFF) {
            characters.emplace_back(static_cast<char16_t>(c));
        }
    }
    std::vector<quint32> glyphs(characters.size(), 0);
    int count = static_cast<int>(glyphs.size());
    if (!raw.isValid() ||
        !raw.glyphIndexesForChars(characters.data(), count, glyphs.data(), &count)) {
        return {};
    }
    std::vector<char16_t> map;
    for (size_t i = 0; i < characters.size() && i < static_cast<size_t>(count); ++i) {
        const quint32 glyph = glyphs[i];
        if (glyph == 0 || glyph > 0xFFFF) {
            continue;
        }
        if (map.size() <= glyph) {
            map.resize(glyph + 1, 0);
        }
        if (map[glyph] == 0) {
            map[glyph] = characters[i].unicode();
        }
    }
    return map;
}

} // namespace

TFontGlyphCharacters::TFontGlyphCharacters() = default;

TFontGlyphCharacters::~TFontGlyphCharacters() = default;

bool TFontGlyphCharacters::Available() {
    return !QCoreApplication::instance() ||
           qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

char16_t TFontGlyphCharacters::CharacterOf(const TEmfTextFont& font, uint32_t glyph) {
    if (!QCoreApplication::instance()) {
        own_ = std::make_unique<QGuiApplication>(FontSystemArgumentCount, FontSystemArguments);
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return 0;
    }
    const auto key = std::make_tuple(font.Face, font.Weight, font.Italic);
    auto it = maps_.find(key);
    if (it == maps_.end()) {
        it = maps_.emplace(key, GlyphMap(font)).first;
    }
    return glyph < it->second.size() ? it->second[glyph] : 0;
}
