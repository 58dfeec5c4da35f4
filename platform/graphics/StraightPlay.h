#pragma once

// A Windows metafile played straight onto a page: its own drawing, not an image of it. A page
// keeps every edge drawn on it and compresses them all in one call when it ends, the window
// waiting meanwhile, so a play takes a bounded number of edges there; and a bounded CPU time of
// the thread that plays, the window's event loop served in between inside a job (that time is
// not the picture's). Whether the picture keeps to both is found first, on a surface of the
// page's size that keeps nothing: a picture that does not leaves nothing on the page.

#include "platform/graphics/MetafileRecords.h"
#include "platform/graphics/Types.h"

#include <string_view>

class TCanvas;

enum class TStraightPlay {
    // Drawn whole.
    Drawn,
    // Not played: no time is left for it. Nothing of it is on the page.
    Unplayed,
    // It draws more edges, or takes more time, than a page takes. Nothing of it is on the page.
    TooCostly,
    // It ran out of its time on its way: what it drew by then is on the page.
    Cut,
};

// Plays the Windows metafile `bytes` (which passed ReadMetafileLayout and gave `layout`, with a
// box) so that it fills `r` of `canvas`, within `r`. Its time is what StraightDrawingMillis
// allows, counted against the job's (PictureShowing.h). A surface that records what it is asked
// to paint, and paints nothing, has it drawn.
TStraightPlay PlayStraightOnto(TCanvas& canvas, const TRect& r, std::string_view bytes,
                               const TMetafileLayout& layout);
