// Enhanced metafiles.
#include "MetafileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndPlayMetafile(data, size, true);
    return 0;
}
