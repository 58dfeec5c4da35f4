#pragma once

// The hostile samples of every kind in one list, the enhanced metafiles or the Windows ones: those
// of HostileMetafiles.h, and pictures that cost a drawing more than a picture may.

#include "tests/support/HostileMetafiles.h"
#include "tests/support/WidePenMetafiles.h"

#include <vector>

namespace hostile_metafile {

// Metafiles that cost a drawing more than a picture may, or read past their bytes: one text
// record that took 45 s, a PNG of 5,600 x 5,600 pixels inside (125 MB once decoded), bitmaps and
// records the players once spun on or sized by, the slow drawings of the time tests; and text
// given as glyph indices, which crashed the converter once the process had drawn text; a
// polyline with a wide pen, one drawing call that took a quarter of a minute on a printed page.
inline std::vector<THostile> HostileSamples(bool enhanced) {
    std::vector<THostile> samples;
    for (THostile& hostile : Hostile()) {
        if ((hostile.Bytes.compare(40, 4, " EMF") == 0) == enhanced) {
            samples.push_back(std::move(hostile));
        }
    }
    if (enhanced) {
        samples.push_back({"EMF PNG of 5600 x 5600", EmfWithImage(EncodedImage(5600, 5600))});
        samples.push_back({"EMF text as glyph indices", metafile_fixture::EmfGlyphText()});
        samples.push_back({"EMF of 1000 ellipses", SlowEmf(1000, 0x3366CC, 2100)});
        samples.push_back({"EMF bitmap in runs", EmfWithBitmap(Rle8(true))});
        samples.push_back({"EMF polyline with a wide pen", wide_pen::Emf(2000, 100)});
        return samples;
    }
    for (THostile& hostile : HostileWmfs()) {
        samples.push_back(std::move(hostile));
    }
    samples.push_back({"WMF of one slow text record", SlowTextWmf(0x336699)});
    samples.push_back({"WMF of 100 bitmaps in runs", SlowBitmapsWmf(0x996633)});
    samples.push_back({"WMF polyline with a wide pen", wide_pen::Wmf(2000, 100)});
    return samples;
}

} // namespace hostile_metafile
