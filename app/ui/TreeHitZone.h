#pragma once

// Where a point lies on the binder tree, for drops: worked out from the geometry of the row
// under it, the way the tree view lays a row out (indent, expand button, icon, label).

#include "app/binder/TreeCommands.h"

struct TTreeRowGeometry {
    int ItemLeft = 0;    // where the icon begins: left of it are the indent and the button
    int Indentation = 0; // width of one level; the button takes the last one
    bool HasButton = false;
    int IconRight = 0;  // where the icon ends and the label begins
    int LabelRight = 0; // where the label's text ends
};

// `row` is null when no row lies under the point; `belowRows` tells then whether the point is
// below the last row.
THitZone TreeHitZone(int x, const TTreeRowGeometry* row, bool belowRows);
