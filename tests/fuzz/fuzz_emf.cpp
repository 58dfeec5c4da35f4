// Enhanced metafiles: loaded and drawn as the program does, and the bytes made ready for the
// converter here as well, where a fault is seen (in the converter's process it only ends that
// conversion, and the picture is its frame).
#include "MetafileFuzz.h"

#include "platform/graphics/EmfBitmapRecords.h"
#include "platform/graphics/EmfTextRecords.h"
#include "platform/graphics/MetafileRecords.h"
#include "platform/graphics/SvgStrokeSplitting.h"

namespace {

// Every glyph shows a character, some of them ones that are no text.
class TAnyCharacters : public TGlyphCharacters {
public:
    char16_t CharacterOf(const TEmfTextFont&, uint32_t glyph) override {
        return static_cast<char16_t>(glyph * 7);
    }
};

void PrepareForTheConverter(std::string_view bytes) {
    try {
        if (!ReadMetafileLayout(bytes).Enhanced) {
            return;
        }
    } catch (const EInvalidGraphic&) {
        return;
    }
    TAnyCharacters characters;
    const std::string prepared =
        EmfWithConvertibleText(EmfWithConvertibleBitmaps(bytes), &characters);
    // What is made ready is still a metafile that loads.
    ReadMetafileLayout(prepared);
    // The answer's paths, read from whatever text.
    SvgWithTextRestored(SvgWithStrokesSplit(std::string(bytes)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareForTheConverter(std::string_view(reinterpret_cast<const char*>(data), size));
    LoadAndPlayMetafile(data, size, true);
    return 0;
}
