#include "platform/graphics/MirroredDevice.h"

TMirroredDevice::TMirroredDevice(const QPaintDevice& meant)
    : TMirroredDevice(meant, QSize(qRound(meant.width() / meant.devicePixelRatio()),
                                   qRound(meant.height() / meant.devicePixelRatio()))) {}

int TMirroredDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return meant_.widthMM();
    case PdmHeightMM:
        return meant_.heightMM();
    case PdmNumColors:
        return meant_.colorCount();
    case PdmDepth:
        return meant_.depth();
    case PdmDpiX:
        return meant_.logicalDpiX();
    case PdmDpiY:
        return meant_.logicalDpiY();
    case PdmPhysicalDpiX:
        return meant_.physicalDpiX();
    case PdmPhysicalDpiY:
        return meant_.physicalDpiY();
    // The painter of the surface stood in for scales to its pixels itself.
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}
