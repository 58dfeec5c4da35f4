#pragma once

// Colours as the framework stores them: red in the low byte, then green and blue; a negative
// value (top bit set) is a system colour whose low byte is the system colour index.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using TColor = int32_t;

constexpr TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
constexpr int GetRValue(uint32_t rgb) {
    return static_cast<int>(rgb & 0xFF);
}
constexpr int GetGValue(uint32_t rgb) {
    return static_cast<int>(rgb >> 8 & 0xFF);
}
constexpr int GetBValue(uint32_t rgb) {
    return static_cast<int>(rgb >> 16 & 0xFF);
}

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// The colour of a system colour index in the classic scheme (grey 3D faces, navy highlight),
// fixed so that drawing and written files do not depend on the desktop. Unknown indexes
// give black.
uint32_t GetSysColor(int index);

// The RGB value of a colour: system colours through GetSysColor, anything else as it is
// (clNone stays 0x1FFFFFFF).
uint32_t ColorToRGB(TColor color);

// The framework's colour identifiers ("clRed", "clBtnFace", "clNone" ...), as component
// streams write them. IdentToColor ignores letter case.
std::optional<std::string> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(std::string_view ident);

// The short name of one of the 16 basic or 24 system colours that lists and value texts show
// ("Red", "BtnFace", "3ddkShadow", "Infobk"); none for any other value.
std::optional<std::string> ColorToName(TColor color);
