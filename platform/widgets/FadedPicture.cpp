#include "platform/widgets/FadedPicture.h"

#include <QPixmap>

#include <algorithm>

QImage Faded(const QImage& image) {
    QImage faded = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < faded.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(faded.scanLine(y));
        for (int x = 0; x < faded.width(); ++x) {
            const int gray = 255 - (255 - qGray(line[x])) / 3;
            line[x] = qRgba(gray, gray, gray, qAlpha(line[x]));
        }
    }
    return faded;
}

QIcon WithFadedDisabled(const QIcon& icon) {
    if (icon.isNull()) {
        return icon;
    }
    QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 22, 24, 32}) {
        sizes.append(QSize(side, side));
    }
    QIcon result;
    QList<QSize> added;
    for (const QSize& size : sizes) {
        const QPixmap normal = icon.pixmap(size);
        // A size the icon lacks gives its nearest picture, which is there once already.
        if (normal.isNull() || added.contains(normal.size())) {
            continue;
        }
        added.append(normal.size());
        result.addPixmap(normal, QIcon::Normal);
        result.addPixmap(QPixmap::fromImage(Faded(normal.toImage())), QIcon::Disabled);
    }
    return result;
}
