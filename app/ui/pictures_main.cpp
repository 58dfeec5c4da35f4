// tarnwick-pictures: the program Tarnwick starts to convert and draw its enhanced metafiles, each
// within the bounds of one picture. It loads only what drawing needs, so it starts quickly.
#include "platform/graphics/MetafileConversion.h"

int main(int argc, char** argv) {
    return RunEnhancedMetafileConverter(argc, argv);
}
