#include "platform/graphics/MetafilePreparation.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/WmfPlayer.h"

#include <QPainter>

#include <algorithm>

namespace {

// A play that took nine tenths of a picture's CPU time before the clock on the wall stopped it
// had its time: the picture cannot be drawn within it. One stopped sooner was kept from the CPU.
constexpr qint64 SpentTenths = 9;
// Conversions longer than this are not kept: a picture drawn at another size is converted again.
constexpr size_t KeptConversionBytes = size_t{8} << 20;

TPrepared PlayIntoImage(const TPictureBytes& bytes, const TMetafileLayout& layout, int width,
                        int height, TPreparationContext& context) {
    if (!WmfHasBox(layout)) {
        return {TPreparedEnd::Refused, {}};
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {TPreparedEnd::Refused, {}};
    }
    image.fill(Qt::transparent);
    // The player stops by the clock on the wall: each time the machine kept it from spending its
    // CPU time, it is given twice as long the next time.
    const qint64 wall = PictureMillis << std::min(context.TimesPutOff(), 4);
    const int64_t cpuBefore = ThreadCpuMicros();
    bool whole = false;
    {
        QPainter painter(&image);
        whole = PlayWmf(bytes.Bytes(), layout, painter, QRectF(0, 0, width, height), wall);
    }
    if (whole) {
        return {TPreparedEnd::Ready, std::move(image)};
    }
    const int64_t cpu = (ThreadCpuMicros() - cpuBefore) / 1000;
    return {cpu * 10 >= PictureMillis * SpentTenths ? TPreparedEnd::Refused : TPreparedEnd::Later,
            {}};
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
        TEnhancedDrawing drawing =
            DrawEnhancedMetafile(request, [&context] { return context.Stopped(); });
        if (!kept && drawing.End != TPreparedEnd::Dropped) {
            context.KeepConversion(
                drawing.End == TPreparedEnd::Ready ? std::move(drawing.Conversion) : std::string());
        }
        return {drawing.End, std::move(drawing.Image)};
    };
}
