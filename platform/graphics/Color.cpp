#include "platform/graphics/Color.h"

#include "platform/base/StringUtils.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 31> ClassicScheme = {
    RGB(192, 192, 192), // scroll bar
    RGB(0, 128, 128),   // desktop
    RGB(0, 0, 128),     // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(192, 192, 192), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(192, 192, 192), // active border
    RGB(192, 192, 192), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(0, 0, 128),     // highlight
    RGB(255, 255, 255), // highlight text
    RGB(192, 192, 192), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(192, 192, 192), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(0, 0, 0),       // 3D dark shadow
    RGB(192, 192, 192), // 3D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
    RGB(0, 0, 0),       // (unused index)
    RGB(0, 0, 255),     // hot-tracked item
    RGB(16, 132, 208),  // active caption gradient
    RGB(181, 181, 181), // inactive caption gradient
    RGB(0, 0, 128),     // menu highlight
    RGB(192, 192, 192), // menu bar
};

// Each colour with its identifier and, for the 16 basic and 24 system colours that have one,
// the short name lists and value texts show.
struct ColorName {
    TColor value;
    const char* ident;
    const char* name;
};

constexpr ColorName Idents[] = {
    {clBlack, "clBlack", "Black"},
    {clMaroon, "clMaroon", "Maroon"},
    {clGreen, "clGreen", "Green"},
    {clOlive, "clOlive", "Olive"},
    {clNavy, "clNavy", "Navy"},
    {clPurple, "clPurple", "Purple"},
    {clTeal, "clTeal", "Teal"},
    {clGray, "clGray", "Gray"},
    {clSilver, "clSilver", "Silver"},
    {clRed, "clRed", "Red"},
    {clLime, "clLime", "Lime"},
    {clYellow, "clYellow", "Yellow"},
    {clBlue, "clBlue", "Blue"},
    {clFuchsia, "clFuchsia", "Fuchsia"},
    {clAqua, "clAqua", "Aqua"},
    {clWhite, "clWhite", "White"},
    {clScrollBar, "clScrollBar", nullptr},
    {clBackground, "clBackground", "Background"},
    {clActiveCaption, "clActiveCaption", "ActiveCaption"},
    {clInactiveCaption, "clInactiveCaption", "InactiveCaption"},
    {clMenu, "clMenu", "Menu"},
    {clWindow, "clWindow", "Window"},
    {clWindowFrame, "clWindowFrame", "WindowFrame"},
    {clMenuText, "clMenuText", "MenuText"},
    {clWindowText, "clWindowText", "WindowText"},
    {clCaptionText, "clCaptionText", "CaptionText"},
    {clActiveBorder, "clActiveBorder", "ActiveBorder"},
    {clInactiveBorder, "clInactiveBorder", "InactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace", "AppWorkspace"},
    {clHighlight, "clHighlight", "Highlight"},
    {clHighlightText, "clHighlightText", "HighlightText"},
    {clBtnFace, "clBtnFace", "BtnFace"},
    {clBtnShadow, "clBtnShadow", "BtnShadow"},
    {clGrayText, "clGrayText", "GrayText"},
    {clBtnText, "clBtnText", "BtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText", "InactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight", "BtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow", "3ddkShadow"},
    {cl3DLight, "cl3DLight", "3dLight"},
    {clInfoText, "clInfoText", "InfoText"},
    {clInfoBk, "clInfoBk", "Infobk"},
    {clNone, "clNone", nullptr},
    {clDefault, "clDefault", nullptr},
};

} // namespace

uint32_t GetSysColor(int index) {
    if (index < 0 || index >= static_cast<int>(ClassicScheme.size())) {
        return 0;
    }
    return ClassicScheme[static_cast<size_t>(index)];
}

uint32_t ColorToRGB(TColor color) {
    if (color < 0) {
        return GetSysColor(color & 0xFF);
    }
    return static_cast<uint32_t>(color);
}

std::optional<std::string> ColorToIdent(TColor color) {
    for (const ColorName& entry : Idents) {
        if (entry.value == color) {
            return std::string(entry.ident);
        }
    }
    return std::nullopt;
}

std::optional<TColor> IdentToColor(std::string_view ident) {
    for (const ColorName& entry : Idents) {
        if (LowerCase(ident) == LowerCase(entry.ident)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ColorToName(TColor color) {
    for (const ColorName& entry : Idents) {
        if (entry.value == color && entry.name) {
            return std::string(entry.name);
        }
    }
    return std::nullopt;
}
