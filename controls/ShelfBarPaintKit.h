#pragma once

// What the side bar's caption and item drawing share: drawing limited to a part of a canvas
// for a while, and text alignment as drawing flags.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/DrawText.h"
#include "platform/widgets/Alignment.h"

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

inline unsigned AlignmentFlag(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return DT_LEFT;
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    }
    return DT_LEFT;
}
