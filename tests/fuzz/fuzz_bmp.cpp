// BMP files and packed bitmaps, as notes, RTF and the clipboard carry them.
#include "FuzzSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    QImage image;
    std::string error;
    DecodeDib(bytes, image, error);
    LoadAndDraw<TBitmap>(data, size);
    return 0;
}
