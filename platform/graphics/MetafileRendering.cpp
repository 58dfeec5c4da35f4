#include "platform/graphics/MetafileRendering.h"

#include "platform/graphics/PictureTime.h"
#include "platform/graphics/SvgImages.h"
#include "platform/graphics/TimedPainting.h"
#include "platform/graphics/WmfPlayer.h"

#include <QPainter>
#include <QSvgRenderer>

TMetafileRendering::~TMetafileRendering() = default;

bool TMetafileRendering::Render(QPainter& painter, const QRectF& target, qint64 millis) {
    std::lock_guard lock(mutex_);
    return millis > 0 && PlayWithin(painter, target, millis);
}

QImage TMetafileRendering::Raster(int width, int height, qint64 millis) {
    std::lock_guard lock(mutex_);
    if (!raster_.isNull() && raster_.width() == width && raster_.height() == height) {
        return raster_;
    }
    if (millis <= 0) {
        return QImage();
    }
    QImage raster(width, height, QImage::Format_ARGB32_Premultiplied);
    if (raster.isNull()) {
        return QImage();
    }
    raster.fill(Qt::transparent);
    QPainter painter(&raster);
    const bool whole = PlayWithin(painter, QRectF(0, 0, width, height), millis);
    painter.end();
    if (!whole) {
        return QImage();
    }
    raster_ = std::move(raster);
    TPictureShowing::Kept();
    return raster_;
}

namespace {

// The renderer decodes the images as it reads the text: text whose images would take more
// than any picture may is not read, and the picture is drawn as a frame.
QByteArray SvgWithinBounds(const std::string& svg) {
    return SvgImagesFit(svg, MaxPicturePixelBytes)
               ? QByteArray(svg.data(), static_cast<qsizetype>(svg.size()))
               : QByteArray();
}

class TSvgRendering : public TMetafileRendering {
public:
    explicit TSvgRendering(const std::string& svg) : renderer_(SvgWithinBounds(svg)) {}

    bool Valid() const override { return renderer_.isValid(); }

protected:
    // The renderer draws the whole text in one call: its drawing stops through the painter.
    bool PlayWithin(QPainter& painter, const QRectF& target, qint64 millis) override {
        return PaintWithin(painter, millis,
                           [&](QPainter& timed) { renderer_.render(&timed, target); });
    }

private:
    QSvgRenderer renderer_;
};

class TWmfRendering : public TMetafileRendering {
public:
    TWmfRendering(std::string_view bytes, const TMetafileLayout& layout)
        : bytes_(bytes), layout_(layout) {}

    bool Valid() const override { return WmfHasBox(layout_); }

protected:
    bool PlayWithin(QPainter& painter, const QRectF& target, qint64 millis) override {
        return PlayWmf(bytes_, layout_, painter, target, millis);
    }

private:
    std::string bytes_;
    TMetafileLayout layout_;
};

} // namespace

std::shared_ptr<TMetafileRendering> SvgMetafileRendering(const std::string& svg) {
    return std::make_shared<TSvgRendering>(svg);
}

std::shared_ptr<TMetafileRendering> WmfMetafileRendering(std::string_view bytes,
                                                         const TMetafileLayout& layout) {
    return std::make_shared<TWmfRendering>(bytes, layout);
}
