#include "platform/graphics/StraightPlay.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/MirroredDevice.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/WmfPlayer.h"

#include <QElapsedTimer>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <limits>

namespace {

// How long a play runs at the most before the window's event loop is served again, inside a job
// on the application's thread.
constexpr qint64 PlayStretchMillis = 20;

// The edges a page takes from one picture: about 20 ms of the call that compresses the page.
constexpr qint64 StraightEdges = 150000;

// The play's time: the thread's CPU time, the event loop served between its records
// (ServeStraightDrawing) every stretch and the time that takes left out. What the window does
// meanwhile is not the picture's. Counting edges, the play's time is spent past the page's edges.
class TStraightMeter : public TCpuPlayMeter {
public:
    explicit TStraightMeter(bool countEdges) : countEdges_(countEdges) { served_.start(); }

    void Drawing(qsizetype edges, int) override { edges_ += edges; }
    qint64 Elapsed() override {
        if (countEdges_ && edges_ > StraightEdges) {
            return std::numeric_limits<qint64>::max() / 2;
        }
        if (serving_ && served_.elapsed() >= PlayStretchMillis) {
            const int64_t start = ThreadCpuMicros();
            serving_ = ServeStraightDrawing();
            LeaveOut(ThreadCpuMicros() - start);
            served_.start();
        }
        return TCpuPlayMeter::Elapsed();
    }
    // The play's own time so far.
    qint64 Played() { return TCpuPlayMeter::Elapsed(); }

private:
    const bool countEdges_;
    qsizetype edges_ = 0;
    QElapsedTimer served_;
    bool serving_ = true;
};

// Takes every drawing call and draws nothing: a play onto it costs the play's own work (its
// figures made and weighed, its text laid out), never a page's.
class TWeighingEngine : public QPaintEngine {
public:
    TWeighingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState&) override {}
    void drawRects(const QRect*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawTextItem(const QPointF&, const QTextItem&) override {}
};

class TWeighingDevice : public TMirroredDevice {
public:
    using TMirroredDevice::TMirroredDevice;
    QPaintEngine* paintEngine() const override { return &engine_; }

private:
    mutable TWeighingEngine engine_;
};

// Whether the play of `bytes` onto `page` (`size` device pixels) over `target` keeps to the
// page's edges and to `millis`: played onto a surface like the page's, under the same transform
// and clip.
bool KeepsToThePage(QPainter& page, QSize size, std::string_view bytes,
                    const TMetafileLayout& layout, const QRectF& target, qint64 millis,
                    TStraightMeter& meter) {
    TWeighingDevice device(*page.device(), size);
    QPainter weighing(&device);
    if (page.hasClipping()) {
        weighing.setClipPath(page.deviceTransform().map(page.clipPath()));
    }
    weighing.setWorldTransform(page.deviceTransform());
    return PlayWmf(bytes, layout, weighing, target, millis, meter);
}

} // namespace

TStraightPlay PlayStraightOnto(TCanvas& canvas, const TRect& r, std::string_view bytes,
                               const TMetafileLayout& layout) {
    const qint64 millis = StraightDrawingMillis();
    if (millis <= 0) {
        return TStraightPlay::Unplayed;
    }
    TStraightPlay play = TStraightPlay::Drawn;
    qint64 took = 0;
    const TSize page = canvas.SurfaceSize();
    {
        // Whatever the records draw beyond the picture's own window stays inside its rectangle.
        TClipKeeper clip(canvas);
        canvas.IntersectClipRect(r);
        canvas.PaintWith("Metafile", [&](QPainter& painter) {
            const QRectF target(r.Left, r.Top, r.Width(), r.Height());
            TStraightMeter weighed(true);
            const bool keeps = KeepsToThePage(painter, QSize(page.cx, page.cy), bytes, layout,
                                              target, millis, weighed);
            took += weighed.Played();
            if (!keeps) {
                play = TStraightPlay::TooCostly;
                return;
            }
            TStraightMeter played(false);
            if (!PlayWmf(bytes, layout, painter, target, millis, played)) {
                play = TStraightPlay::Cut;
            }
            took += played.Played();
        });
    }
    StraightDrawingTook(took);
    return play;
}
