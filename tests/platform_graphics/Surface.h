#pragma once

// A picture of one colour with a Qt canvas drawing on it, for the tests that look at the
// pixels drawn.

#include "platform/graphics/QtCanvas.h"

#include <QImage>

#include <functional>

struct Surface {
    explicit Surface(int width, int height, QRgb fill = qRgb(255, 255, 255))
        : Image(width, height, QImage::Format_RGB32), Canvas(&Image) {
        Image.fill(fill);
    }
    QRgb Pixel(int x, int y) const { return Image.pixel(x, y); }
    QImage Image;
    TQtCanvas Canvas;
};

// How many pixels of `area` pass `test`.
inline int CountPixels(const QImage& image, const QRect& area,
                       const std::function<bool(QRgb)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

// How many pixels of two pictures of one size differ.
inline int Differences(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return n;
}

inline bool IsBlack(QRgb pixel) {
    return pixel == qRgb(0, 0, 0);
}

inline bool IsDark(QRgb pixel) {
    return qGray(pixel) < 128;
}
