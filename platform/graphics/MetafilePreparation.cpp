#include "platform/graphics/MetafilePreparation.h"

#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/WmfPlayer.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace {

// How often a play on a worker asks whether it is still wanted.
constexpr qint64 LookMillis = 20;
// Conversions longer than this are not kept: a picture drawn at another size is converted again.
constexpr size_t KeptConversionBytes = size_t{8} << 20;

// The player's clock on a worker: the thread's CPU time, which a busy machine does not stretch. A
// machine that gives the worker little of a processor makes the play longer, never shorter: a play
// stopped on the wall would start again from nothing, and a starved machine would never see the
// picture's end. A play nobody wants any more stops where it is.
class TWorkerMeter : public TCpuPlayMeter {
public:
    explicit TWorkerMeter(const TPreparationContext& context) : context_(context) {
        looked_.start();
    }

    qint64 Elapsed() override {
        if (!unwanted_ && looked_.elapsed() >= LookMillis) {
            unwanted_ = context_.Stopped();
            looked_.start();
        }
        return unwanted_ ? std::numeric_limits<qint64>::max() / 2 : TCpuPlayMeter::Elapsed();
    }
    bool Unwanted() const { return unwanted_; }

private:
    const TPreparationContext& context_;
    QElapsedTimer looked_;
    bool unwanted_ = false;
};

TPrepared PlayIntoImage(const TPictureBytes& bytes, const TMetafileLayout& layout, int width,
                        int height, const TPreparationContext& context) {
    if (!WmfHasBox(layout)) {
        return {TPreparedEnd::Refused, {}};
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {TPreparedEnd::Refused, {}};
    }
    image.fill(Qt::transparent);
    TWorkerMeter meter(context);
    bool whole = false;
    {
        QPainter painter(&image);
        whole = PlayWmf(bytes.Bytes(), layout, painter, QRectF(0, 0, width, height), PictureMillis,
                        meter);
    }
    if (whole) {
        return {TPreparedEnd::Ready, std::move(image)};
    }
    // Stopped by its CPU time: it cannot be drawn within it.
    return {meter.Unwanted() ? TPreparedEnd::Later : TPreparedEnd::Refused, {}};
}

} // namespace

TPreparationWork WmfPreparation(std::shared_ptr<const TPictureBytes> bytes,
                                const TMetafileLayout& layout, int width, int height) {
    return [bytes = std::move(bytes), layout, width, height](TPreparationContext& context) {
        return PlayIntoImage(*bytes, layout, width, height, context);
    };
}

TPreparationWork EmfPreparation(std::shared_ptr<const TPictureBytes> bytes,
                                const TMetafileLayout& layout, int ownWidth, int ownHeight,
                                int width, int height) {
    return [bytes = std::move(bytes), layout, ownWidth, ownHeight, width,
            height](TPreparationContext& context) -> TPrepared {
        // One holding an image too large to draw is not converted at all.
        if (!layout.Enhanced || !layout.ImagesFit) {
            return {TPreparedEnd::Refused, {}};
        }
        const std::shared_ptr<const std::string> kept = context.Conversion();
        TEnhancedRequest request;
        request.Metafile = bytes->Bytes();
        request.Conversion = kept.get();
        request.OwnWidth = ownWidth;
        request.OwnHeight = ownHeight;
        request.Width = width;
        request.Height = height;
        request.KeepConversion = kept ? 0 : KeptConversionBytes;
        TEnhancedDrawing drawing = DrawEnhancedMetafile(
            request, [&context] { return context.Stopped(); },
            [&context](std::chrono::milliseconds used) { context.ProcessCpu(used); });
        if (!kept && drawing.End != TPreparedEnd::Dropped) {
            context.KeepConversion(
                drawing.End == TPreparedEnd::Ready ? std::move(drawing.Conversion) : std::string());
        }
        return {drawing.End, std::move(drawing.Image)};
    };
}
