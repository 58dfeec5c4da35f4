#include "richtext/view/CtrlImg.h"

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Edges.h"

namespace {

TRect ControlRect(const IEmbeddedControl& control, int x, int y) {
    return Bounds(x, y, control.Width(), control.Height());
}

void ButtonAt(TCanvas& canvas, const IEmbeddedControl& control, int x, int y) {
    const TControlLook look = control.Look();
    TRect r = ControlRect(control, x, y);
    DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH);
    canvas.Font().Assign(look.Font);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    DrawTextW(canvas, look.Text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void EditAt(TCanvas& canvas, const IEmbeddedControl& control, int x, int y, bool multiLine) {
    const TControlLook look = control.Look();
    TRect r = ControlRect(control, x, y);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(look.Color);
    canvas.FillRect(r);
    if (look.SingleBorder) {
        if (look.Ctl3D) {
            DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        } else {
            canvas.Rectangle(r);
            InflateRect(r, -1, -1);
        }
    }
    InflateRect(r, -1, -1);
    canvas.Font().Assign(look.Font);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const unsigned lines = multiLine ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextW(canvas, look.Text, r, lines | DT_EDITCONTROL | DT_NOPREFIX);
}

void ControlAt(TCanvas& canvas, const IEmbeddedControl& control, int x, int y);

void PanelAt(TCanvas& canvas, const IEmbeddedControl& control, int x, int y) {
    control.PaintOwnTo(canvas, x, y);
    for (int i = 0; i < control.ChildCount(); ++i) {
        if (const IEmbeddedControl* child = control.Child(i)) {
            ControlAt(canvas, *child, x + child->Left(), y + child->Top());
        }
    }
}

void ControlAt(TCanvas& canvas, const IEmbeddedControl& control, int x, int y) {
    switch (control.Look().Kind) {
    case TControlKind::ckButton:
        ButtonAt(canvas, control, x, y);
        break;
    case TControlKind::ckEdit:
        EditAt(canvas, control, x, y, false);
        break;
    case TControlKind::ckMemo:
        EditAt(canvas, control, x, y, true);
        break;
    case TControlKind::ckPanel:
        PanelAt(canvas, control, x, y);
        break;
    case TControlKind::ckOtherWindowed:
        control.PaintTo(canvas, x, y);
        break;
    case TControlKind::ckNotWindowed:
        break;
    }
}

template <class Draw> std::unique_ptr<TBitmap> Picture(const IEmbeddedControl& control, Draw draw) {
    auto bitmap = std::make_unique<TBitmap>(control.Width(), control.Height());
    draw(bitmap->Canvas(), control);
    return bitmap;
}

} // namespace

std::unique_ptr<TBitmap> DrawControl(const IEmbeddedControl& control) {
    return Picture(control,
                   [](TCanvas& canvas, const IEmbeddedControl& c) { ControlAt(canvas, c, 0, 0); });
}

std::unique_ptr<TBitmap> DrawButton(const IEmbeddedControl& button) {
    return Picture(button,
                   [](TCanvas& canvas, const IEmbeddedControl& c) { ButtonAt(canvas, c, 0, 0); });
}

std::unique_ptr<TBitmap> DrawEdit(const IEmbeddedControl& edit) {
    return Picture(
        edit, [](TCanvas& canvas, const IEmbeddedControl& c) { EditAt(canvas, c, 0, 0, false); });
}

std::unique_ptr<TBitmap> DrawMemo(const IEmbeddedControl& memo) {
    return Picture(
        memo, [](TCanvas& canvas, const IEmbeddedControl& c) { EditAt(canvas, c, 0, 0, true); });
}

std::unique_ptr<TBitmap> DrawPanel(const IEmbeddedControl& panel) {
    return Picture(panel,
                   [](TCanvas& canvas, const IEmbeddedControl& c) { PanelAt(canvas, c, 0, 0); });
}
