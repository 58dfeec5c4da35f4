#pragma once

// Drawing limited to a part of a canvas for a while, with the canvas's own clip put back
// afterwards.

#include "platform/graphics/Canvas.h"

#include <optional>

// Keeps the canvas's clip and puts it back.
class ClipGuard {
public:
    explicit ClipGuard(TCanvas& canvas) : canvas_(canvas), saved_(canvas.ClipRegion()) {}
    ~ClipGuard() { Restore(); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

    // Limits drawing to `region` within the clip kept.
    void Limit(const QRegion& region) {
        canvas_.SetClipRegion(saved_ ? region.intersected(*saved_) : region);
    }

    void Restore() {
        if (saved_) {
            canvas_.SetClipRegion(*saved_);
        } else {
            canvas_.RemoveClip();
        }
    }

private:
    TCanvas& canvas_;
    std::optional<QRegion> saved_;
};
