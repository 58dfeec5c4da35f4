#include "richtext/model/RNFuncs.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ScreenMetrics.h"
#include "richtext/model/RNClasses.h"

#include <cstdio>

std::string RN_ReplaceTabsA(std::string_view s, int spacesInTab) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\t') {
            out.append(static_cast<size_t>(std::max(spacesInTab, 0)), ' ');
        } else {
            out += c;
        }
    }
    return out;
}

std::string RN_ReplaceTabsW(std::string_view s, int spacesInTab) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        if (s[i] == '\t' && s[i + 1] == '\0') {
            for (int k = 0; k < spacesInTab; ++k) {
                out += ' ';
                out += '\0';
            }
        } else {
            out += s[i];
            out += s[i + 1];
        }
    }
    // An odd trailing byte is not a character: kept as it was.
    out.append(s.substr(i));
    return out;
}

std::string RN_GetHTMLRGBStr(TColor color) {
    if (color == clNone) {
        return {};
    }
    uint32_t rgb = ColorToRGB(color);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb),
                  GetBValue(rgb));
    return buffer;
}

bool RN_PointInRect(int x, int y, int left, int top, int width, int height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

void RN_InfoAboutSaD(TRNScreenAndDevice& sad, const TCanvas& canvas) {
    sad.ppixDevice = canvas.PixelsPerInchX();
    sad.ppiyDevice = canvas.PixelsPerInchY();
    sad.ppixScreen = ScreenPixelsPerInch();
    sad.ppiyScreen = ScreenPixelsPerInch();
}

void RN_PictureToDevice(TCanvas& canvas, int x, int y, const TRNScreenAndDevice& sad,
                        const TGraphic& graphic, bool stretch) {
    // A resolution of 0 would divide by zero: such a record means "no scaling".
    auto scale = [](int length, int device, int screen) {
        return device > 0 && screen > 0 ? MulDiv(length, device, screen) : length;
    };
    TRect r = Bounds(x, y, scale(graphic.Width(), sad.ppixDevice, sad.ppixScreen),
                     scale(graphic.Height(), sad.ppiyDevice, sad.ppiyScreen));
    if (stretch || dynamic_cast<const TBitmap*>(&graphic) != nullptr) {
        canvas.StretchDraw(r, graphic);
    }
}

namespace {

// Case and direction are all the document's search knows of the dialog's options.
template <class E> TSet<E> SearchOptionsFrom(TFindOptions findOptions, E matchCase, E down) {
    TSet<E> out;
    if (findOptions.Contains(TFindOption::frMatchCase)) {
        out.Include(matchCase);
    }
    if (findOptions.Contains(TFindOption::frDown)) {
        out.Include(down);
    }
    return out;
}

} // namespace

TRNSearchOptions GetRNSearchOptions(TFindOptions findOptions) {
    return SearchOptionsFrom(findOptions, TRNSearchOption::rnsroMatchCase,
                             TRNSearchOption::rnsroDown);
}

TRNESearchOptions GetRNESearchOptions(TFindOptions findOptions) {
    return SearchOptionsFrom(findOptions, TRNESearchOption::rnseoMatchCase,
                             TRNESearchOption::rnseoDown);
}

// What RNF cannot hold in an item text: line ends and NUL in 8-bit text, the paragraph
// separator in UTF-16 text. Line separators stay; the callers turn them into line breaks.
void RN_CleanItemText(std::string& text, bool unicode) {
    if (!unicode) {
        for (char& c : text) {
            if (c == '\r' || c == '\n' || c == '\0') {
                c = '?';
            }
        }
        return;
    }
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        if (text[i] == '\x29' && text[i + 1] == '\x20') {
            text[i] = '?';
            text[i + 1] = '\0';
        }
    }
}
