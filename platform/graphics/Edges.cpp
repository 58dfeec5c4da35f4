#include "platform/graphics/Edges.h"

#include <algorithm>

namespace {

// Fills with a colour without disturbing the caller's brush.
class BrushKeeper {
public:
    explicit BrushKeeper(TCanvas& canvas) : canvas_(canvas) { saved_.Assign(canvas.Brush()); }
    ~BrushKeeper() { canvas_.Brush().Assign(saved_); }
    BrushKeeper(const BrushKeeper&) = delete;
    BrushKeeper& operator=(const BrushKeeper&) = delete;

    void Fill(const TRect& r, TColor color) {
        if (IsRectEmpty(r)) {
            return;
        }
        canvas_.Brush().SetColor(color);
        canvas_.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas_.FillRect(r);
    }

private:
    TCanvas& canvas_;
    TBrush saved_;
};

struct EdgeColors {
    TColor topLeft;
    TColor bottomRight;
};

// One ring of the edge: top and left first, then bottom and right over the corners.
void Ring(BrushKeeper& fill, const TRect& r, unsigned sides, EdgeColors colors) {
    if (sides & BF_TOP) {
        fill.Fill(Rect(r.Left, r.Top, r.Right, r.Top + 1), colors.topLeft);
    }
    if (sides & BF_LEFT) {
        fill.Fill(Rect(r.Left, r.Top, r.Left + 1, r.Bottom), colors.topLeft);
    }
    if (sides & BF_BOTTOM) {
        fill.Fill(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), colors.bottomRight);
    }
    if (sides & BF_RIGHT) {
        fill.Fill(Rect(r.Right - 1, r.Top, r.Right, r.Bottom), colors.bottomRight);
    }
}

void Shrink(TRect& r, unsigned sides) {
    r.Left += sides & BF_LEFT ? 1 : 0;
    r.Top += sides & BF_TOP ? 1 : 0;
    r.Right -= sides & BF_RIGHT ? 1 : 0;
    r.Bottom -= sides & BF_BOTTOM ? 1 : 0;
}

// An arrow of k rows (1, 3, 5 ... pixels) centred in `r`.
void Arrow(TCanvas& canvas, const TRect& r, unsigned direction, TColor color, int k) {
    int cx = r.Left + (r.Width() - 1) / 2;
    int cy = r.Top + (r.Height() - 1) / 2;
    BrushKeeper fill(canvas);
    for (int i = 0; i < k; ++i) {
        switch (direction) {
        case DFCS_SCROLLUP:
            fill.Fill(Rect(cx - i, cy - k / 2 + i, cx + i + 1, cy - k / 2 + i + 1), color);
            break;
        case DFCS_SCROLLLEFT:
            fill.Fill(Rect(cx - k / 2 + i, cy - i, cx - k / 2 + i + 1, cy + i + 1), color);
            break;
        case DFCS_SCROLLRIGHT:
            fill.Fill(Rect(cx + k / 2 - i, cy - i, cx + k / 2 - i + 1, cy + i + 1), color);
            break;
        default:
            fill.Fill(Rect(cx - i, cy + k / 2 - i, cx + i + 1, cy + k / 2 - i + 1), color);
            break;
        }
    }
}

void CheckMark(TCanvas& canvas, const TRect& box, TColor color) {
    // The classic tick: 7 x 7, three pixels thick, left stroke down, right stroke up.
    int x = box.Left + (box.Width() - 7) / 2;
    int y = box.Top + (box.Height() - 7) / 2;
    BrushKeeper fill(canvas);
    static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) {
        fill.Fill(Rect(x + i, y + rise[i], x + i + 1, y + rise[i] + 3), color);
    }
}

} // namespace

void DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags) {
    BrushKeeper fill(canvas);
    unsigned sides = flags & BF_RECT;
    TRect inner = r;
    bool outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    bool innerEdge = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (flags & BF_MONO) {
        if (outer) {
            Ring(fill, inner, sides, {clWindowFrame, clWindowFrame});
            Shrink(inner, sides);
        }
        if (innerEdge) {
            Ring(fill, inner, sides, {clWindow, clWindow});
            Shrink(inner, sides);
        }
    } else if (flags & BF_FLAT) {
        if (outer) {
            Ring(fill, inner, sides, {clBtnShadow, clBtnShadow});
            Shrink(inner, sides);
        }
        if (innerEdge) {
            Ring(fill, inner, sides, {clBtnFace, clBtnFace});
            Shrink(inner, sides);
        }
    } else {
        if (edge & BDR_RAISEDOUTER) {
            Ring(fill, inner, sides, {cl3DLight, cl3DDkShadow});
        } else if (edge & BDR_SUNKENOUTER) {
            Ring(fill, inner, sides, {clBtnShadow, clBtnHighlight});
        }
        if (outer) {
            Shrink(inner, sides);
        }
        if (edge & BDR_RAISEDINNER) {
            Ring(fill, inner, sides, {clBtnHighlight, clBtnShadow});
        } else if (edge & BDR_SUNKENINNER) {
            Ring(fill, inner, sides, {cl3DDkShadow, cl3DLight});
        }
        if (innerEdge) {
            Shrink(inner, sides);
        }
    }
    if (flags & BF_MIDDLE) {
        fill.Fill(inner, flags & BF_MONO ? clWindow : clBtnFace);
    }
    if (flags & BF_ADJUST) {
        r = inner;
    }
}

void DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned type, unsigned state) {
    unsigned kind = state & 0xFF;
    TRect box = r;
    unsigned look = (state & DFCS_MONO ? BF_MONO : 0) | (state & DFCS_FLAT ? BF_FLAT : 0);
    TColor mark = state & DFCS_INACTIVE ? clGrayText : clBtnText;
    if (type == DFC_BUTTON && kind == DFCS_BUTTONCHECK) {
        int side = std::min(r.Width(), r.Height());
        box = Bounds(r.Left + (r.Width() - side) / 2, r.Top + (r.Height() - side) / 2, side, side);
        DrawEdge(canvas, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST | look);
        BrushKeeper fill(canvas);
        bool grey = state & (DFCS_PUSHED | DFCS_INACTIVE);
        fill.Fill(box, grey ? clBtnFace : clWindow);
        if (state & DFCS_CHECKED) {
            CheckMark(canvas, box, state & DFCS_INACTIVE ? clGrayText : clWindowText);
        }
        return;
    }
    if (type == DFC_BUTTON) {
        unsigned edge = state & (DFCS_PUSHED | DFCS_CHECKED) ? EDGE_SUNKEN : EDGE_RAISED;
        DrawEdge(canvas, box, edge, BF_RECT | BF_MIDDLE | BF_ADJUST | look);
        return;
    }
    if (type == DFC_SCROLL) {
        // The arrow's size follows the button's (seven by four in a 16-pixel button); a
        // pressed button is drawn flat with the arrow moved by a pixel.
        int k = std::max(1, (std::min(r.Width(), r.Height()) + 1) / 4);
        unsigned flat = state & DFCS_PUSHED ? BF_FLAT : look;
        DrawEdge(canvas, box, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST | flat);
        if (state & DFCS_PUSHED) {
            OffsetRect(box, 1, 1);
        }
        unsigned direction = kind == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : kind;
        Arrow(canvas, box, direction, mark, k);
    }
}

void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen().SetWidth(1);
    --r.Bottom;
    --r.Right;
    while (width > 0) {
        --width;
        TPoint topRight{r.Right, r.Top};
        TPoint bottomLeft{r.Left, r.Bottom};
        canvas.Pen().SetColor(topColor);
        canvas.Polyline({bottomLeft, r.TopLeft(), topRight});
        canvas.Pen().SetColor(bottomColor);
        --bottomLeft.X;
        canvas.Polyline({topRight, r.BottomRight(), bottomLeft});
        InflateRect(r, -1, -1);
    }
    ++r.Bottom;
    ++r.Right;
}
