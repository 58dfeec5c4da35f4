#pragma once

// The glyphs each cluster of text (a character with its combining marks, a surrogate pair) is
// drawn with in one font, shaped once and kept. A line placed cluster by cluster at its own
// whole-pixel advances is then drawn with one glyph run per stretch of one font, with the very
// glyphs and offsets that drawing each cluster by itself gives, instead of shaping every
// cluster again at every paint.

#include <QFont>
#include <QPointF>
#include <QRawFont>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;

class TClusterGlyphs {
public:
    explicit TClusterGlyphs(const QFont& font);

    // Draws each of `clusters` with its origin at (`x[i]`, `baseline`), one after another, as
    // drawing each with its own drawText call would. Lone control characters draw nothing.
    void Draw(QPainter& p, const std::vector<std::u16string_view>& clusters,
              const std::vector<int>& x, int baseline);

private:
    struct Glyph {
        int font = 0;
        quint32 index = 0;
        // From the cluster's origin on the baseline.
        QPointF offset;
    };
    struct Span {
        uint32_t first = 0;
        int32_t count = -1;
        // Drawn by itself: its glyphs come out differently when drawn among others.
        bool alone = false;
    };

    Span Shape(std::u16string_view cluster);
    Span Shaped(std::u16string_view cluster);
    int FontIndex(const QRawFont& font);

    QFont font_;
    // Glyphs too large for the glyph cache are filled as outlines, and those come out
    // differently in a glyph run.
    bool allAlone_ = false;
    std::vector<QRawFont> fonts_;
    std::vector<Glyph> glyphs_;
    // Clusters of one unit below the combining marks, by unit; the others by their text.
    std::array<Span, 0x300> simple_{};
    std::unordered_map<std::u16string, Span> others_;
};
