#include "platform/graphics/EmbeddedControl.h"

#include "platform/graphics/Canvas.h"

void TOpaqueControl::PaintTo(TCanvas& canvas, int x, int y) const {
    TColor brush = canvas.Brush().Color();
    TBrushStyle style = canvas.Brush().Style();
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FrameRect(Bounds(x, y, bounds_.Width(), bounds_.Height()));
    canvas.Brush().SetColor(brush);
    canvas.Brush().SetStyle(style);
}

TControlLook IEmbeddedControl::Look() const {
    TControlLook look;
    look.Kind = IsWindowed() ? TControlKind::ckOtherWindowed : TControlKind::ckNotWindowed;
    return look;
}
