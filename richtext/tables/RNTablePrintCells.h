#pragma once

// The printable document of one table cell on a page: it draws the cell's document (or the
// cell editor's, while one is open on the cell) inside the cell's padding box.

#include "richtext/view/PtRNData.h"

class TCellPtblRNData : public TRectPtblRNData {
public:
    // `color` is the background the cell shows (its own, the table's or the document's).
    TCellPtblRNData(TCustomRNData& source, TPrintableRNData& page, TColor color);

    // The cell fills its own box with its colour before its text is drawn; cleared, the
    // page under the cell shows through.
    bool OwnBackground = true;

    TColor GetColor() const override { return OwnBackground ? Color : clNone; }
};
