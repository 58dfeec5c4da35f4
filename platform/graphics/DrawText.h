#pragma once

// Formatted text in a rectangle, with the platform's flags: alignment, word wrapping, tab
// expansion, the "&" prefix that underlines a shortcut letter, end ellipsis, and measuring
// without drawing (DT_CALCRECT).

#include "platform/graphics/Canvas.h"

#include <string_view>

constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_TABSTOP = 0x80;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_EXTERNALLEADING = 0x200;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;

// Draws `text` (8-bit in the font's code page, or UTF-16) in `r` and returns the height of
// the text; with DT_VCENTER or DT_BOTTOM on a single line, the distance from r.Top to the
// bottom of the text. With DT_CALCRECT nothing is drawn: r.Right becomes r.Left plus the
// widest line and r.Bottom r.Top plus the height of all lines (wrapped at r's width with
// DT_WORDBREAK).
//
// Lines break at CR, LF and CR LF unless DT_SINGLELINE. DT_WORDBREAK wraps between words and
// drops the blanks at the break; a word wider than the rectangle stays whole (broken between
// characters with DT_EDITCONTROL). Tabs advance to multiples of eight average character
// widths with DT_EXPANDTABS. "&x" underlines x, "&&" is one "&", unless DT_NOPREFIX
// (DT_HIDEPREFIX removes the marks without underlining). DT_END_ELLIPSIS shortens a line that
// does not fit and ends it with "...". Text is drawn in the canvas's background mode and
// clipped to `r` unless DT_NOCLIP.
int DrawText(TCanvas& canvas, std::string_view text, TRect& r, unsigned flags);
int DrawTextW(TCanvas& canvas, std::u16string_view text, TRect& r, unsigned flags);
