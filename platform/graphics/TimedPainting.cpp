#include "platform/graphics/TimedPainting.h"

#include "platform/graphics/MirroredDevice.h"

#include <QElapsedTimer>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

// Hands every call on to the painter it is meant for while there is time. The drawing's state
// is laid over the state that painter had at the start, which the engine keeps saved: a clip
// that is replaced or removed goes back to the start's clip, never past it.
class TTimedEngine : public QPaintEngine {
public:
    TTimedEngine(QPainter& target, qint64 millis)
        : QPaintEngine(QPaintEngine::AllFeatures), target_(target), millis_(millis) {
        clock_.start();
    }

    // Whether calls were dropped, or the drawing took longer than its time.
    bool Stopped() const { return stopped_ || clock_.hasExpired(millis_); }

    bool begin(QPaintDevice*) override {
        target_.save();
        base_ = target_.transform();
        opacity_ = target_.opacity();
        // The start's state once more, for a clip to be taken back to.
        target_.save();
        return true;
    }

    bool end() override {
        target_.restore();
        target_.restore();
        return true;
    }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        if (!Going()) {
            return;
        }
        constexpr DirtyFlags clipFlags = DirtyClipPath | DirtyClipRegion | DirtyClipEnabled;
        const DirtyFlags dirty = state.state();
        const bool clipBack =
            (dirty & clipFlags) && (!state.isClipEnabled() || state.clipOperation() == Qt::NoClip ||
                                    state.clipOperation() == Qt::ReplaceClip);
        if (clipBack) {
            // Back to the start's clip; it took the rest of the state back too.
            target_.restore();
            target_.save();
            Apply(state, AllDirty & ~clipFlags);
        } else {
            Apply(state, dirty & ~clipFlags);
        }
        if (!state.isClipEnabled() || state.clipOperation() == Qt::NoClip) {
            return;
        }
        if (dirty & DirtyClipRegion) {
            target_.setClipRegion(state.clipRegion(), Qt::IntersectClip);
        } else if (dirty & DirtyClipPath) {
            target_.setClipPath(state.clipPath(), Qt::IntersectClip);
        }
    }

    void drawRects(const QRect* rects, int count) override {
        if (Going()) {
            target_.drawRects(rects, count);
        }
    }
    void drawRects(const QRectF* rects, int count) override {
        if (Going()) {
            target_.drawRects(rects, count);
        }
    }
    void drawLines(const QLine* lines, int count) override {
        if (Going()) {
            target_.drawLines(lines, count);
        }
    }
    void drawLines(const QLineF* lines, int count) override {
        if (Going()) {
            target_.drawLines(lines, count);
        }
    }
    void drawEllipse(const QRectF& r) override {
        if (Going()) {
            target_.drawEllipse(r);
        }
    }
    void drawEllipse(const QRect& r) override {
        if (Going()) {
            target_.drawEllipse(r);
        }
    }
    void drawPath(const QPainterPath& path) override {
        if (Going()) {
            target_.drawPath(path);
        }
    }
    void drawPoints(const QPointF* points, int count) override {
        if (Going()) {
            target_.drawPoints(points, count);
        }
    }
    void drawPoints(const QPoint* points, int count) override {
        if (Going()) {
            target_.drawPoints(points, count);
        }
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (!Going()) {
            return;
        }
        switch (mode) {
        case PolylineMode:
            target_.drawPolyline(points, count);
            break;
        case ConvexMode:
            target_.drawConvexPolygon(points, count);
            break;
        default:
            target_.drawPolygon(points, count,
                                mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        }
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        if (!Going()) {
            return;
        }
        QPolygonF polygon;
        for (int i = 0; i < count; ++i) {
            polygon << points[i];
        }
        drawPolygon(polygon.constData(), count, mode);
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override {
        if (Going()) {
            target_.drawPixmap(r, pixmap, source);
        }
    }
    void drawTiledPixmap(const QRectF& r, const QPixmap& pixmap, const QPointF& offset) override {
        if (Going()) {
            target_.drawTiledPixmap(r, pixmap, offset);
        }
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        if (Going()) {
            target_.drawImage(r, image, source, flags);
        }
    }
    void drawTextItem(const QPointF& at, const QTextItem& text) override {
        if (Going()) {
            target_.drawTextItem(at, text);
        }
    }

private:
    bool Going() {
        if (!stopped_ && clock_.hasExpired(millis_)) {
            stopped_ = true;
        }
        return !stopped_;
    }

    // The parts of `state` that `flags` name, laid over the start's state.
    void Apply(const QPaintEngineState& state, DirtyFlags flags) {
        if (flags & DirtyTransform) {
            target_.setTransform(state.transform() * base_);
        }
        if (flags & DirtyPen) {
            target_.setPen(state.pen());
        }
        if (flags & DirtyBrush) {
            target_.setBrush(state.brush());
        }
        if (flags & DirtyBrushOrigin) {
            target_.setBrushOrigin(state.brushOrigin());
        }
        if (flags & DirtyBackground) {
            target_.setBackground(state.backgroundBrush());
        }
        if (flags & DirtyBackgroundMode) {
            target_.setBackgroundMode(state.backgroundMode());
        }
        if (flags & DirtyFont) {
            target_.setFont(state.font());
        }
        if (flags & DirtyHints) {
            target_.setRenderHints(target_.renderHints(), false);
            target_.setRenderHints(state.renderHints());
        }
        if (flags & DirtyCompositionMode) {
            target_.setCompositionMode(state.compositionMode());
        }
        if (flags & DirtyOpacity) {
            target_.setOpacity(state.opacity() * opacity_);
        }
    }

    QPainter& target_;
    const qint64 millis_;
    QElapsedTimer clock_;
    bool stopped_ = false;
    QTransform base_;
    qreal opacity_ = 1;
};

// A surface of the same size and resolution as the one the drawing is meant for.
class TTimedDevice : public TMirroredDevice {
public:
    TTimedDevice(QPainter& target, qint64 millis)
        : TMirroredDevice(*target.device()), engine_(target, millis) {}

    QPaintEngine* paintEngine() const override { return &engine_; }
    bool Stopped() const { return engine_.Stopped(); }

private:
    mutable TTimedEngine engine_;
};

} // namespace

bool PaintWithin(QPainter& painter, qint64 millis, const std::function<void(QPainter&)>& paint) {
    if (millis <= 0 || !painter.isActive() || !painter.device()) {
        return false;
    }
    TTimedDevice device(painter, millis);
    {
        QPainter timed(&device);
        if (!timed.isActive()) {
            return false;
        }
        paint(timed);
    }
    return !device.Stopped();
}
