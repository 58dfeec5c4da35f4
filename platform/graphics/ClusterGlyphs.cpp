#include "platform/graphics/ClusterGlyphs.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>

namespace {

// Qt's raster engine keeps glyphs up to about this pixel size as images in its glyph cache.
constexpr int LargestCachedGlyphs = 64;

// Clusters whose glyphs do not stand alone: marks shape against the glyph they sit on, a
// soft hyphen shows only at the end of what is laid out, and a lone surrogate is no character.
bool DrawnAlone(std::u16string_view cluster) {
    if (cluster.size() == 2) {
        return !QChar::isHighSurrogate(cluster[0]) || !QChar::isLowSurrogate(cluster[1]);
    }
    return cluster.size() > 2 || cluster[0] == 0xAD || QChar::isSurrogate(cluster[0]);
}

} // namespace

TClusterGlyphs::TClusterGlyphs(const QFont& font)
    : font_(font), allAlone_(font.pixelSize() > LargestCachedGlyphs) {}

int TClusterGlyphs::FontIndex(const QRawFont& font) {
    for (size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i] == font) {
            return static_cast<int>(i);
        }
    }
    fonts_.push_back(font);
    return static_cast<int>(fonts_.size() - 1);
}

TClusterGlyphs::Span TClusterGlyphs::Shaped(std::u16string_view cluster) {
    Span span{static_cast<uint32_t>(glyphs_.size()), 0};
    if (cluster.size() == 1 && cluster[0] < 0x20) {
        return span;
    }
    if (DrawnAlone(cluster)) {
        span.alone = true;
        return span;
    }
    // Laid out as painting a string by itself lays it out: left to right, on one line.
    QTextLayout layout(QString(reinterpret_cast<const QChar*>(cluster.data()),
                               static_cast<qsizetype>(cluster.size())),
                       font_);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return span;
    }
    const QPointF origin(line.x(), line.y() + line.ascent());
    for (const QGlyphRun& run : layout.glyphRuns()) {
        int font = FontIndex(run.rawFont());
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            glyphs_.push_back({font, indexes[i], positions[i] - origin});
        }
    }
    span.count = static_cast<int32_t>(glyphs_.size() - span.first);
    return span;
}

TClusterGlyphs::Span TClusterGlyphs::Shape(std::u16string_view cluster) {
    if (cluster.size() == 1 && cluster[0] < simple_.size()) {
        Span& span = simple_[cluster[0]];
        if (span.count < 0) {
            span = Shaped(cluster);
        }
        return span;
    }
    std::u16string key(cluster);
    auto it = others_.find(key);
    if (it != others_.end()) {
        return it->second;
    }
    Span span = Shaped(cluster);
    others_.emplace(std::move(key), span);
    return span;
}

void TClusterGlyphs::Draw(QPainter& p, const std::vector<std::u16string_view>& clusters,
                          const std::vector<int>& x, int baseline) {
    // Outlines differ from cached glyphs only where pixels are drawn: a printer or a PDF file
    // takes the runs at any size.
    const bool everyAlone =
        allAlone_ && p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
    QList<quint32> indexes;
    QList<QPointF> positions;
    int font = -1;
    auto flush = [&] {
        if (indexes.isEmpty()) {
            return;
        }
        QGlyphRun run;
        run.setRawFont(fonts_[static_cast<size_t>(font)]);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(), run);
        indexes.clear();
        positions.clear();
    };
    for (size_t i = 0; i < clusters.size(); ++i) {
        Span span = Shape(clusters[i]);
        const QPointF origin(x[i], baseline);
        if (span.alone || (everyAlone && span.count > 0)) {
            flush();
            p.drawText(origin, QString(reinterpret_cast<const QChar*>(clusters[i].data()),
                                       static_cast<qsizetype>(clusters[i].size())));
            continue;
        }
        for (int32_t g = 0; g < span.count; ++g) {
            const Glyph& glyph = glyphs_[span.first + static_cast<uint32_t>(g)];
            if (glyph.font != font) {
                flush();
                font = glyph.font;
            }
            indexes.push_back(glyph.index);
            positions.push_back(origin + glyph.offset);
        }
    }
    flush();
}
