#include "platform/graphics/QtCanvas.h"

#include "platform/graphics/ClusterGlyphs.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

QColor ToQColor(TColor color) {
    uint32_t rgb = DrawnRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QPainter::CompositionMode Composition(TPenMode mode) {
    switch (mode) {
    case TPenMode::pmNot:
        return QPainter::RasterOp_NotDestination;
    case TPenMode::pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// The pixels of a one-pixel line from a to b, b left out.
void LinePixels(TPoint a, TPoint b, std::vector<QPoint>& out, const std::vector<int>& pattern,
                long long& step) {
    int dx = std::abs(b.X - a.X), sx = a.X < b.X ? 1 : -1;
    int dy = -std::abs(b.Y - a.Y), sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy;
    int x = a.X, y = a.Y;
    long long period = 0;
    for (int len : pattern) {
        period += len;
    }
    while (x != b.X || y != b.Y) {
        bool on = true;
        if (period > 0) {
            long long at = step % period;
            for (size_t k = 0; k < pattern.size(); ++k) {
                if (at < pattern[k]) {
                    on = k % 2 == 0;
                    break;
                }
                at -= pattern[k];
            }
        }
        if (on) {
            out.emplace_back(x, y);
        }
        ++step;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Below the combining marks: text of these units alone is one cluster a unit, and their
// advances are kept in a table.
constexpr char16_t SimpleUnits = 0x300;

bool AllSimple(std::u16string_view text) {
    for (char16_t c : text) {
        if (c >= SimpleUnits) {
            return false;
        }
    }
    return true;
}

} // namespace

QString SubstituteFontFamily(const std::string& name) {
    QString family = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QString key = family.toLower();
    if (key == "ms sans serif" || key == "microsoft sans serif" || key == "arial" ||
        key == "tahoma" || key == "ms shell dlg" || key == "ms shell dlg 2" || key == "helvetica") {
        return "Liberation Sans";
    }
    if (key == "times new roman" || key == "ms serif" || key == "times") {
        return "Liberation Serif";
    }
    if (key == "courier new" || key == "courier" || key == "fixedsys") {
        return "Liberation Mono";
    }
    return family;
}

namespace {

// What sets one Qt font apart from another. The colour is the pen's business and the charset
// only decodes 8-bit text, so neither is part of it; the height is in pixels, so the
// resolution is not either.
struct FontKey {
    std::string name;
    int height = 0;
    int width = 0;
    uint32_t style = 0;
    TFontPitch pitch = TFontPitch::fpDefault;

    explicit FontKey(const TFont& f)
        : name(f.Name()), height(f.Height()), width(f.Width()), style(f.Style().Bits()),
          pitch(f.Pitch()) {}
    bool Matches(const TFont& f) const {
        return height == f.Height() && width == f.Width() && style == f.Style().Bits() &&
               pitch == f.Pitch() && name == f.Name();
    }
};

// How many faces the canvas keeps: text switches between a handful of styles.
constexpr size_t FacesKept = 16;

} // namespace

struct TQtCanvas::FontFace {
    FontKey key;
    QFont font;
    QFontMetricsF metrics;
    TTextMetric textMetric;
    uint64_t lastUse = 0;
    std::array<int, SimpleUnits> simpleAdvances;
    std::unordered_map<std::u16string, int> clusterAdvances;
    TClusterGlyphs glyphs;

    FontFace(FontKey k, const QFont& f) : key(std::move(k)), font(f), metrics(f), glyphs(f) {
        simpleAdvances.fill(-1);
    }

    int Measure(std::u16string_view cluster) const {
        // Control characters take the room of a blank, as tabs do in a single text out.
        QString text = cluster.size() == 1 && cluster[0] < 0x20
                           ? QString(QLatin1Char(' '))
                           : QString(reinterpret_cast<const QChar*>(cluster.data()),
                                     static_cast<qsizetype>(cluster.size()));
        return static_cast<int>(std::lround(metrics.horizontalAdvance(text)));
    }

    int SimpleAdvance(char16_t unit) {
        int& advance = simpleAdvances[unit];
        if (advance < 0) {
            advance = Measure(std::u16string_view(&unit, 1));
        }
        return advance;
    }

    int Advance(std::u16string_view cluster) {
        if (cluster.size() == 1 && cluster[0] < SimpleUnits) {
            return SimpleAdvance(cluster[0]);
        }
        std::u16string key(cluster);
        auto it = clusterAdvances.find(key);
        if (it != clusterAdvances.end()) {
            return it->second;
        }
        int advance = Measure(cluster);
        clusterAdvances.emplace(std::move(key), advance);
        return advance;
    }
};

struct TQtCanvas::FontCache {
    uint64_t revision = ~uint64_t{0};
    FontFace* current = nullptr;
    uint64_t uses = 0;
    std::vector<std::unique_ptr<FontFace>> faces;
};

TQtCanvas::TQtCanvas(QImage* image, int pixelsPerInch)
    : image_(image), ppiX_(pixelsPerInch), ppiY_(pixelsPerInch),
      fonts_(std::make_unique<FontCache>()) {
    Font().SetPixelsPerInch(pixelsPerInch);
}

TQtCanvas::TQtCanvas(QPainter* painter, TSize size, int pixelsPerInchX, int pixelsPerInchY)
    : painter_(painter), painterSize_(size), ppiX_(pixelsPerInchX), ppiY_(pixelsPerInchY),
      fonts_(std::make_unique<FontCache>()) {
    Font().SetPixelsPerInch(pixelsPerInchY);
}

TQtCanvas::~TQtCanvas() = default;

TSize TQtCanvas::SurfaceSize() const {
    if (painter_) {
        return painterSize_;
    }
    return image_ ? TSize{image_->width(), image_->height()} : TSize{};
}

bool TQtCanvas::KeepsWholeImages() const {
    const QPaintEngine* engine = painter_ ? painter_->paintEngine() : nullptr;
    return engine && engine->type() != QPaintEngine::Raster;
}

bool TQtCanvas::GrabImage(const TRect& r, QImage& out) const {
    if (!image_ || image_->isNull()) {
        return false;
    }
    out = image_->copy(ToQRect(r));
    return true;
}

void TQtCanvas::ApplyMapping(QPainter& p) const {
    if (IsMapped()) {
        // Combined with what the painter maps already (a printer's own origin).
        QTransform t = QTransform::fromTranslate(ViewportOrg().X, ViewportOrg().Y);
        t.scale(double(ViewportExt().cx) / WindowExt().cx,
                double(ViewportExt().cy) / WindowExt().cy);
        p.setTransform(t, true);
    }
}

void TQtCanvas::Paint(const std::function<void(QPainter&)>& fn) {
    if (painter_) {
        painter_->save();
        if (ClipRegion()) {
            painter_->setClipRegion(*ClipRegion(), Qt::IntersectClip);
        }
        ApplyMapping(*painter_);
        fn(*painter_);
        painter_->restore();
        return;
    }
    if (!image_ || image_->isNull()) {
        return;
    }
    {
        QPainter painter(image_);
        if (ClipRegion()) {
            painter.setClipRegion(*ClipRegion());
        }
        ApplyMapping(painter);
        fn(painter);
    }
    if (OnDrawn) {
        OnDrawn();
    }
}

void TQtCanvas::PaintFigure(const std::function<void(QPainter&)>& fn) {
    Paint([&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        if (!painter_) {
            p.setCompositionMode(Composition(Pen().Mode()));
        }
        fn(p);
    });
}

void TQtCanvas::UsePenAndBrush(QPainter& p) {
    p.setPen(Pen().Style() == TPenStyle::psClear
                 ? QPen(Qt::NoPen)
                 : QPen(ToQColor(Pen().Color()), Pen().Width() <= 1 ? 0 : Pen().Width()));
    p.setBrush(Brush().Style() == TBrushStyle::bsSolid && Brush().Color() != clNone
                   ? QBrush(ToQColor(Brush().Color()))
                   : QBrush(Qt::NoBrush));
}

void TQtCanvas::PaintWith(std::string_view, const std::function<void(QPainter&)>& paint) {
    Paint(paint);
}

void TQtCanvas::DoPolyline(const std::vector<TPoint>& points) {
    if (Pen().Style() == TPenStyle::psClear) {
        return;
    }
    QColor color = ToQColor(Pen().Color());
    if (Pen().Width() > 1) {
        QPolygon polygon;
        for (TPoint p : points) {
            polygon << QPoint(p.X, p.Y);
        }
        PaintFigure([&](QPainter& p) {
            p.setPen(QPen(color, Pen().Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(polygon);
        });
        return;
    }
    std::vector<QPoint> pixels;
    std::vector<int> pattern = DashPattern(Pen().Style());
    long long step = 0;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        LinePixels(points[i], points[i + 1], pixels, pattern, step);
    }
    PaintFigure([&](QPainter& p) {
        p.setPen(QPen(color, 0));
        p.drawPoints(pixels.data(), static_cast<int>(pixels.size()));
    });
}

void TQtCanvas::DoRectangle(const TRect& r) {
    if (IsRectEmpty(r)) {
        return;
    }
    bool pen = Pen().Style() != TPenStyle::psClear;
    bool brush = Brush().Style() == TBrushStyle::bsSolid && Brush().Color() != clNone;
    int width = std::max(1, Pen().Width());
    PaintFigure([&](QPainter& p) {
        if (brush) {
            // The fill stays inside the outline so that no pixel is drawn twice; without a
            // pen the figure is one pixel smaller, as the Windows canvas draws it.
            QRect inner = pen ? QRect(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2)
                              : QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
            if (inner.isValid()) {
                p.fillRect(inner, ToQColor(Brush().Color()));
            }
        }
        if (pen) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(ToQColor(Pen().Color()), width == 1 ? 0 : width, Qt::SolidLine,
                          Qt::SquareCap, Qt::MiterJoin));
            p.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        }
    });
}

void TQtCanvas::DoRoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
    if (IsRectEmpty(r)) {
        return;
    }
    PaintFigure([&](QPainter& p) {
        UsePenAndBrush(p);
        p.drawRoundedRect(QRectF(r.Left, r.Top, r.Width() - 1, r.Height() - 1), cornerWidth / 2.0,
                          cornerHeight / 2.0);
    });
}

void TQtCanvas::DoEllipse(const TRect& r) {
    if (IsRectEmpty(r)) {
        return;
    }
    PaintFigure([&](QPainter& p) {
        UsePenAndBrush(p);
        p.drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    });
}

void TQtCanvas::DoPolygon(const std::vector<TPoint>& points) {
    QPolygon polygon;
    for (TPoint pt : points) {
        polygon << QPoint(pt.X, pt.Y);
    }
    PaintFigure([&](QPainter& p) {
        UsePenAndBrush(p);
        p.drawPolygon(polygon, Qt::OddEvenFill);
    });
}

void TQtCanvas::DoFillRect(const TRect& r) {
    if (IsRectEmpty(r) || Brush().Style() != TBrushStyle::bsSolid || Brush().Color() == clNone) {
        return;
    }
    Paint([&](QPainter& p) { p.fillRect(ToQRect(r), ToQColor(Brush().Color())); });
}

void TQtCanvas::DoFrameRect(const TRect& r) {
    if (IsRectEmpty(r) || Brush().Color() == clNone) {
        return;
    }
    QColor color = ToQColor(Brush().Color());
    Paint([&](QPainter& p) {
        p.fillRect(QRect(r.Left, r.Top, r.Width(), 1), color);
        p.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), color);
        p.fillRect(QRect(r.Left, r.Top, 1, r.Height()), color);
        p.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), color);
    });
}

void TQtCanvas::DoFocusRect(const TRect& r) {
    if (IsRectEmpty(r)) {
        return;
    }
    // Every other pixel of the outline, each once, inverted.
    std::vector<QPoint> pixels;
    auto add = [&](int x, int y) {
        if ((x + y) % 2 == 0) {
            pixels.emplace_back(x, y);
        }
    };
    for (int x = r.Left; x < r.Right; ++x) {
        add(x, r.Top);
        if (r.Bottom - 1 > r.Top) {
            add(x, r.Bottom - 1);
        }
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        add(r.Left, y);
        if (r.Right - 1 > r.Left) {
            add(r.Right - 1, y);
        }
    }
    Paint([&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        if (!painter_) {
            p.setCompositionMode(QPainter::RasterOp_NotDestination);
        }
        p.setPen(QPen(Qt::black, 0));
        p.drawPoints(pixels.data(), static_cast<int>(pixels.size()));
    });
}

TColor TQtCanvas::DoGetPixel(int x, int y) const {
    if (!image_ || !image_->valid(x, y)) {
        return clNone;
    }
    QRgb pixel = image_->pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void TQtCanvas::DoSetPixel(int x, int y, TColor color) {
    if (painter_) {
        Paint([&](QPainter& p) {
            p.setPen(QPen(ToQColor(color), 0));
            p.drawPoint(x, y);
        });
        return;
    }
    if (!image_ || !image_->valid(x, y)) {
        return;
    }
    if (ClipRegion() && !ClipRegion()->contains(QPoint(x, y))) {
        return;
    }
    uint32_t rgb = DrawnRGB(color);
    image_->setPixel(x, y, qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    if (OnDrawn) {
        OnDrawn();
    }
}

std::vector<int> DashPattern(TPenStyle style) {
    switch (style) {
    case TPenStyle::psDash:
        return {18, 6};
    case TPenStyle::psDot:
        return {3, 3};
    case TPenStyle::psDashDot:
        return {9, 6, 3, 6};
    case TPenStyle::psDashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

int FontCharacterHeight(const QFont& font, int height) {
    if (height <= 0) {
        return -height;
    }
    // A positive height is the cell: scale the character height to fit it.
    QFont probe = font;
    probe.setPixelSize(height);
    QFontMetricsF probeMetrics(probe);
    const double cell = probeMetrics.ascent() + probeMetrics.descent();
    return cell > 0 ? static_cast<int>(std::lround(double(height) * height / cell)) : height;
}

void StretchFontToWidth(QFont& font, double width) {
    // Measured against the natural width of "x".
    const double natural = QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
    if (natural > 0) {
        font.setStretch(
            std::clamp(static_cast<int>(std::lround(100.0 * width / natural)), 1, 4000));
    }
}

namespace {

QFont BuildFont(const TFont& f, int& em) {
    QFont font(SubstituteFontFamily(f.Name()));
    em = FontCharacterHeight(font, f.Height());
    font.setPixelSize(std::max(1, em));
    font.setBold(f.Style().Contains(TFontStyle::fsBold));
    font.setItalic(f.Style().Contains(TFontStyle::fsItalic));
    font.setUnderline(f.Style().Contains(TFontStyle::fsUnderline));
    font.setStrikeOut(f.Style().Contains(TFontStyle::fsStrikeOut));
    font.setKerning(false);
    if (f.Width() > 0) {
        StretchFontToWidth(font, f.Width());
    }
    if (f.Pitch() == TFontPitch::fpFixed) {
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    return font;
}

} // namespace

TQtCanvas::FontFace& TQtCanvas::Face() {
    FontCache& cache = *fonts_;
    if (cache.current && cache.revision == Font().Revision()) {
        return *cache.current;
    }
    auto found = std::find_if(cache.faces.begin(), cache.faces.end(),
                              [&](const auto& face) { return face->key.Matches(Font()); });
    if (found != cache.faces.end()) {
        cache.current = found->get();
    } else {
        if (cache.faces.size() >= FacesKept) {
            cache.faces.erase(std::min_element(
                cache.faces.begin(), cache.faces.end(),
                [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; }));
        }
        int em = 0;
        QFont font = BuildFont(Font(), em);
        auto face = std::make_unique<FontFace>(FontKey(Font()), font);
        const QFontMetricsF& m = face->metrics;
        TTextMetric& tm = face->textMetric;
        tm.Ascent = static_cast<int>(std::ceil(m.ascent()));
        tm.Descent = static_cast<int>(std::ceil(m.descent()));
        tm.Height = tm.Ascent + tm.Descent;
        tm.InternalLeading = std::max(0, tm.Height - std::max(1, em));
        tm.ExternalLeading = std::max(0, static_cast<int>(std::lround(m.leading())));
        tm.AveCharWidth = static_cast<int>(std::lround(m.averageCharWidth()));
        tm.MaxCharWidth = static_cast<int>(std::lround(m.maxWidth()));
        cache.current = face.get();
        cache.faces.push_back(std::move(face));
    }
    cache.current->lastUse = ++cache.uses;
    cache.revision = Font().Revision();
    return *cache.current;
}

QFont TQtCanvas::QtFont() {
    return Face().font;
}

void TQtCanvas::Clusters(std::u16string_view text, std::vector<std::u16string_view>& clusters) {
    clusters.clear();
    if (AllSimple(text)) {
        for (size_t i = 0; i < text.size(); ++i) {
            clusters.push_back(text.substr(i, 1));
        }
        return;
    }
    QString string(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, string);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        qsizetype end = finder.position();
        clusters.push_back(
            text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
        start = end;
    }
}

std::vector<int> TQtCanvas::DoCharExtents(std::u16string_view text) {
    FontFace& face = Face();
    std::vector<int> extents;
    int x = 0;
    if (AllSimple(text)) {
        extents.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            x += face.SimpleAdvance(text[i]);
            extents[i] = x;
        }
        return extents;
    }
    extents.reserve(text.size());
    std::vector<std::u16string_view> clusters;
    Clusters(text, clusters);
    for (std::u16string_view cluster : clusters) {
        x += face.Advance(cluster);
        extents.insert(extents.end(), cluster.size(), x);
    }
    return extents;
}

int TQtCanvas::DoTextWidth(std::u16string_view text) {
    if (!AllSimple(text)) {
        return TCanvas::DoTextWidth(text);
    }
    FontFace& face = Face();
    int width = 0;
    for (char16_t unit : text) {
        width += face.SimpleAdvance(unit);
    }
    return width;
}

TTextMetric TQtCanvas::DoTextMetrics() {
    return Face().textMetric;
}

void TQtCanvas::DoTextOut(int x, int y, std::u16string_view text, const TRect* clip,
                          const TRect* opaque) {
    FontFace& face = Face();
    std::vector<std::u16string_view> clusters;
    Clusters(text, clusters);
    std::vector<int> positions;
    positions.reserve(clusters.size() + 1);
    int pos = x;
    for (std::u16string_view cluster : clusters) {
        positions.push_back(pos);
        pos += face.Advance(cluster) + TextCharacterExtra();
    }
    bool fillCells = !opaque && BkMode() == TBkMode::bkOpaque;
    QColor back = ToQColor(Brush().Color());
    bool hasBack = Brush().Color() != clNone;
    Paint([&](QPainter& p) {
        if (clip) {
            p.setClipRect(ToQRect(*clip), Qt::IntersectClip);
        }
        if (opaque && hasBack) {
            p.fillRect(ToQRect(*opaque), back);
        } else if (fillCells && hasBack) {
            p.fillRect(QRect(x, y, pos - x, face.textMetric.Height), back);
        }
        p.setFont(face.font);
        p.setPen(ToQColor(Font().Color()));
        int baseline = y + face.textMetric.Ascent;
        if (!face.font.underline() && !face.font.strikeOut()) {
            face.glyphs.Draw(p, clusters, positions, baseline);
            return;
        }
        // Lines under or through the text go with each cluster, as wide as its own glyphs.
        for (size_t i = 0; i < clusters.size(); ++i) {
            if (clusters[i].size() == 1 && clusters[i][0] < 0x20) {
                continue;
            }
            p.drawText(QPoint(positions[i], baseline),
                       QString(reinterpret_cast<const QChar*>(clusters[i].data()),
                               static_cast<qsizetype>(clusters[i].size())));
        }
    });
}

void TQtCanvas::DoDrawImage(const TRect& dest, const QImage& image, const TRect& source) {
    Paint([&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(ToQRect(dest), image, ToQRect(source));
    });
}

void TQtCanvas::DoCopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) {
    QImage part;
    if (source.GrabImage(sourceRect, part)) {
        Paint([&](QPainter& p) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(ToQRect(dest), part);
        });
    }
}
