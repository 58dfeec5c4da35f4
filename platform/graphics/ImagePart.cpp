#include "platform/graphics/ImagePart.h"

QImage ImagePart(const QImage& image, const QRect& part) {
    if (part == image.rect()) {
        return image;
    }
    if (image.depth() != 32 || !image.rect().contains(part)) {
        return image.copy(part);
    }
    return QImage(image.constScanLine(part.top()) + qsizetype(part.left()) * 4, part.width(),
                  part.height(), image.bytesPerLine(), image.format());
}
