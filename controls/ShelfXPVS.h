#pragma once

// Visual styles for the side bar and its editors. Rather than a theme library loaded at run
// time, the themed look comes from the application's Qt style; a part the style
// cannot draw, or no style at all, answers "no visual styles" so that the control draws its
// classic look instead.

#include "platform/graphics/Canvas.h"

#include <string_view>

class QWidget;

// Theme parts and states used by the controls.
constexpr int BP_PUSHBUTTON = 1;
constexpr int BP_CHECKBOX = 3;
constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4;
// Check box states: 1-4 unchecked, 5-8 checked, 9-12 mixed; each normal, hot, pressed,
// disabled.
constexpr int CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3;
constexpr int CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6, CBS_CHECKEDPRESSED = 7;
constexpr int SBP_ARROWBTN = 1;
// Arrow states: 1-4 up, 5-8 down, 9-12 left, 13-16 right; each normal, hot, pressed, disabled.
constexpr int ABS_UPNORMAL = 1, ABS_UPHOT = 2, ABS_UPPRESSED = 3;
constexpr int ABS_DOWNNORMAL = 5, ABS_DOWNHOT = 6, ABS_DOWNPRESSED = 7;
constexpr int CP_DROPDOWNBUTTON = 1;
constexpr int CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4;
constexpr int SPNP_UP = 1, SPNP_DOWN = 2, SPNP_UPHORZ = 3, SPNP_DOWNHORZ = 4;
constexpr int UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4;

// An open theme class ("button", "scrollbar", "combobox" or "spin"); null when none.
struct TThemeClass;
using HTHEME = const TThemeClass*;

// Whether visual styles are on: a Qt style is there and they have not been switched off.
bool IsThemeActive();
// Our switch for the classic look (tests, and users who prefer it); on by default.
void SetThemesEnabled(bool enabled);

// The theme of a class for a window; null while themes are off or for a class the style
// does not draw.
HTHEME OpenThemeData(QWidget* window, std::string_view className);
void CloseThemeData(HTHEME theme);

// Draws a part in a state over `r`; false, with nothing drawn, for a part or state the class
// does not have (the caller then draws the classic look).
bool DrawThemeBackground(HTHEME theme, TCanvas& canvas, int partId, int stateId, const TRect& r);
