#include "richtext/model/RNSimilarity.h"

#include "platform/base/Rounding.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

int32_t RNSMW_FONTNAME = 10000;
int32_t RNSMW_FONTSIZE = 10000;
int32_t RNSMW_FONTCHARSET = 50000;
int32_t RNSMW_EACHRGBCOLOR = 3333;
int32_t RNSMW_COLORSET = 3000;
int32_t RNSMW_EACHRGBBCOLOR = 10000;
int32_t RNSMW_BCOLORSET = 50000;
int32_t RNSMW_FONTEACHSTYLE = 50000;
int32_t RNSMW_FONTSTYLESET = 50000;
int32_t RNSMW_OVERLINE = 50000;
int32_t RNSMW_ALLCAPS = 50000;
int32_t RNSMW_VSHIFT = 50000;
int32_t RNSMW_CHARSCALE = 300;
int32_t RNSMW_VSHIFTRATIO = 1000;
int32_t RNSMW_CURSOR = 5000;
int32_t RNSMW_PROTECTION = 100000;
int32_t RNSMW_ALIGNMENT = 50000;
int32_t RNSMW_LINESPACING = 5000;
int32_t RNSMW_INDENT = 1000;
int32_t RNSMW_BORDERSIDE = 5000;
int32_t RNSMW_BORDERNOSIDE = 20000;
int32_t RNSMW_WIDTH = 1000;
int32_t RNSMW_BORDERSTYLE = 1000;
int32_t RNSMW_PADDING = 100;

int32_t RN_ClampScore(int64_t score) {
    return static_cast<int32_t>(std::clamp<int64_t>(score, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t RN_CompareInts64(int32_t Value1, int32_t Value2, int32_t Weight) {
    const int64_t v1 = Value1;
    const int64_t v2 = Value2;
    if (v1 == 0) {
        // At most 2^31 times 2^31.
        return (1 - std::llabs(v2)) * static_cast<int64_t>(Weight);
    }
    // 1 - ratio lies between 1 - (2^32 - 1) and 1, so the product stays below 2^63 - 2^32
    // however the doubles round.
    const double ratio =
        static_cast<double>(std::llabs(v1 - v2)) / static_cast<double>(std::llabs(v1));
    return DelphiRound((1.0 - ratio) * static_cast<double>(Weight));
}

int32_t RN_CompareInts(int32_t Value1, int32_t Value2, int32_t Weight) {
    return RN_ClampScore(RN_CompareInts64(Value1, Value2, Weight));
}

int64_t RN_CompareColors64(TColor Color1, TColor Color2, int32_t ChannelWeight,
                           int32_t BonusWeight) {
    if (Color1 == clNone || Color2 == clNone) {
        return Color1 == Color2 ? 3LL * ChannelWeight + BonusWeight : 0;
    }
    const uint32_t rgb1 = ColorToRGB(Color1);
    const uint32_t rgb2 = ColorToRGB(Color2);
    int64_t score = 0;
    bool light1 = false;
    bool light2 = false;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c1 = static_cast<int>(rgb1 >> shift & 0xFF);
        const int c2 = static_cast<int>(rgb2 >> shift & 0xFF);
        // Closeness: 255 for equal channels, 0 for black against white.
        score += static_cast<int64_t>(ChannelWeight) * (255 - std::abs(c1 - c2)) / 255;
        light1 = light1 || c1 > 64;
        light2 = light2 || c2 > 64;
    }
    if (light1 == light2) {
        score += BonusWeight;
    }
    return score;
}

int32_t RN_CompareColors(TColor Color1, TColor Color2, int32_t ChannelWeight, int32_t BonusWeight) {
    return RN_ClampScore(RN_CompareColors64(Color1, Color2, ChannelWeight, BonusWeight));
}
