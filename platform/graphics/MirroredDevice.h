#pragma once

// A surface that stands in for another: the same resolution and a size in its pixels, so that a
// drawing made on it is laid out as it would be there, while its own engine decides what becomes
// of the drawing.

#include <QPaintDevice>
#include <QSize>

class TMirroredDevice : public QPaintDevice {
public:
    // `size` in `meant`'s pixels, as the surface drawn on counts them.
    TMirroredDevice(const QPaintDevice& meant, QSize size) : meant_(meant), size_(size) {}
    // As large as `meant` says it is.
    explicit TMirroredDevice(const QPaintDevice& meant);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    const QPaintDevice& meant_;
    const QSize size_;
};
