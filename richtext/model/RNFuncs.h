#pragma once

// Small helpers shared by the readers, writers and painters of rich text: tabs, colours,
// geometry, pictures on a device, and the search options of the find dialog.

#include "platform/base/FindOptions.h"
#include "platform/base/Set.h"
#include "platform/graphics/Color.h"

#include <string>
#include <string_view>

class TCanvas;
class TGraphic;
struct TRNScreenAndDevice;

// Every tab becomes `spacesInTab` spaces: in 8-bit text, and in raw UTF-16LE text (a tab is
// the unit 9, a space the unit 32).
std::string RN_ReplaceTabsA(std::string_view s, int spacesInTab);
std::string RN_ReplaceTabsW(std::string_view s, int spacesInTab);

// What RNF cannot hold in an item text becomes "?": line ends and NUL in 8-bit text, the
// paragraph separator in UTF-16 text.
void RN_CleanItemText(std::string& text, bool unicode);

// "#RRGGBB" in upper-case hexadecimal, system colours resolved; empty for clNone.
std::string RN_GetHTMLRGBStr(TColor color);

// Left <= x < Left + Width and Top <= y < Top + Height.
bool RN_PointInRect(int x, int y, int left, int top, int width, int height);

// The device pair from the canvas's resolution, the screen pair from the screen's; the margins
// are left as they are.
void RN_InfoAboutSaD(TRNScreenAndDevice& sad, const TCanvas& canvas);

// Draws the picture at (x, y), scaled from screen to device resolution. With `stretch` every
// picture is drawn; without it only bitmaps are.
void RN_PictureToDevice(TCanvas& canvas, int x, int y, const TRNScreenAndDevice& sad,
                        const TGraphic& graphic, bool stretch);

// Pictures here carry no palettes: there is nothing to give them.
inline void RN_SetPaletteToPicture(TGraphic&, const void* /*logPalette*/) {}

enum class TRNSearchOption { rnsroMatchCase, rnsroDown };
using TRNSearchOptions = TSet<TRNSearchOption>;
enum class TRNESearchOption { rnseoMatchCase, rnseoDown };
using TRNESearchOptions = TSet<TRNESearchOption>;

TRNSearchOptions GetRNSearchOptions(TFindOptions findOptions);
TRNESearchOptions GetRNESearchOptions(TFindOptions findOptions);
