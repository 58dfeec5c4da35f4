#pragma once

// The classic three-dimensional look: edges, frame controls (push buttons, check boxes,
// scroll arrows) and the framework's Frame3D, drawn in the fixed classic system colours
// through any canvas.

#include "platform/graphics/Canvas.h"

constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFCS_BUTTONCHECK = 0x0;
constexpr unsigned DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_SCROLLUP = 0x0;
constexpr unsigned DFCS_SCROLLDOWN = 0x1;
constexpr unsigned DFCS_SCROLLLEFT = 0x2;
constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x5;
constexpr unsigned DFCS_INACTIVE = 0x100;
constexpr unsigned DFCS_PUSHED = 0x200;
constexpr unsigned DFCS_CHECKED = 0x400;
constexpr unsigned DFCS_HOT = 0x1000;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

// Draws the edges `edge` (BDR_* or EDGE_*) on the sides named in `flags`: the outer line
// first, then the inner one inside it; the right and bottom lines run the full length.
// BF_MIDDLE fills the inside with the button face, BF_FLAT and BF_MONO draw flat or
// one-colour borders, BF_ADJUST shrinks `r` by the lines drawn. The brush is left as it was.
void DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags);

// A push button (DFCS_BUTTONPUSH), a check box (DFCS_BUTTONCHECK, a square centred in `r`,
// ticked with DFCS_CHECKED) or a scroll arrow button (DFCS_SCROLLUP/DOWN/LEFT/RIGHT,
// DFCS_SCROLLCOMBOBOX). DFCS_PUSHED, DFCS_FLAT, DFCS_MONO and DFCS_INACTIVE change the look.
void DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned type, unsigned state);

// `width` nested one-pixel frames, top and left in `topColor`, bottom and right in
// `bottomColor`; `r` shrinks by `width`. Leaves the pen one pixel wide in bottomColor, as
// the framework does.
void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width);
