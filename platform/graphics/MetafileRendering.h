#pragma once

// The played drawing of one metafile, kept with the picture and shared by its copies, and the
// bitmap of it last drawn on the screen: a page that is painted again draws that bitmap, not
// the records. Windows metafiles are played by our own player; enhanced ones are drawn from
// the SVG their converter writes.

#include "platform/graphics/MetafileRecords.h"

#include <QImage>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class QPainter;
class QRectF;

class TMetafileRendering {
public:
    virtual ~TMetafileRendering();

    // False when there is nothing that can be drawn: the picture is shown as a frame.
    virtual bool Valid() const = 0;
    // The drawing scaled into `target` of `painter`, within `millis`; false when it was
    // stopped or took longer (what was drawn stays), or when there was no time at all.
    bool Render(QPainter& painter, const QRectF& target, qint64 millis);
    // The drawing at `width` by `height` pixels, kept until another size is asked for; a kept
    // one costs no time. A null image when it could not be drawn whole within `millis`: only a
    // whole drawing is kept.
    QImage Raster(int width, int height, qint64 millis);

protected:
    // Plays within `millis`, false when it was stopped or took longer.
    virtual bool PlayWithin(QPainter& painter, const QRectF& target, qint64 millis) = 0;

private:
    std::mutex mutex_;
    QImage raster_;
};

// An enhanced metafile, from the SVG text it was converted into ("" when it could not be).
std::shared_ptr<TMetafileRendering> SvgMetafileRendering(const std::string& svg);
// A Windows metafile whose bytes passed ReadMetafileLayout, giving `layout`.
std::shared_ptr<TMetafileRendering> WmfMetafileRendering(std::string_view bytes,
                                                         const TMetafileLayout& layout);
