// JPEG pictures through libjpeg.
#include "FuzzSupport.h"

#include "platform/graphics/JPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndDraw<TJPEGImage>(data, size);
    return 0;
}
