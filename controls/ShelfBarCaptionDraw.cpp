// The side bar's caption bars: background (shade, themed button or picture), shape, the
// open/close mark, the panel's image and the text.

#include "controls/ShelfBar.h"
#include "controls/ShelfBarPaintKit.h"
#include "controls/ShelfXPVS.h"
#include "platform/base/CodePage.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/ImageList.h"

#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <optional>

namespace {

QRegion RoundedRegion(const TRect& r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), 16, 16);
    return QRegion(path.toFillPolygon().toPolygon());
}

bool IsBitmapShade(TShadeType type) {
    return type == TShadeType::stBitmap || type == TShadeType::stBitmapRStretch ||
           type == TShadeType::stBitmapLStretch;
}

void DrawCaptionPicture(TCanvas& canvas, TShadeType type, const TBitmap& picture, const TRect& r,
                        int barWidth) {
    const int w = picture.Width();
    const int h = picture.Height();
    if (type == TShadeType::stBitmap) {
        canvas.StretchDraw(r, picture);
    } else if (type == TShadeType::stBitmapLStretch) {
        // The picture's right end at the bar's right end, its left column stretched over
        // the rest.
        int x = std::max(0, barWidth - w);
        canvas.DrawImage(Rect(x, r.Top, x + w, r.Bottom), picture.Image(), Rect(0, 0, w, h));
        canvas.DrawImage(Rect(r.Left, r.Top, x, r.Bottom), picture.Image(), Rect(0, 0, 1, h));
    } else {
        canvas.DrawImage(Rect(r.Left, r.Top, r.Left + w, r.Bottom), picture.Image(),
                         Rect(0, 0, w, h));
        canvas.DrawImage(Rect(r.Left + w, r.Top, r.Right, r.Bottom), picture.Image(),
                         Rect(w - 1, 0, w, h));
    }
}

} // namespace

void TShelfBar::DrawCaptionOptions(TShelfPanel&, TCanvas&, const TRect&) {}

void TShelfBar::DrawCaption(TCanvas& canvas, TShelfPanel& panel, TRect rect) {
    bool defaultDraw = true;
    if (OnPanelDraw) {
        OnPanelDraw(*this, panel, canvas, rect, defaultDraw);
        if (!defaultDraw) {
            return;
        }
    }
    const TShelfCaption& look = caption_;
    const int index = panel.Index();
    const bool isTop = index == topPanel_;
    const bool open = mode_ == TShelfBarMode::imSinglePanelActive ? isTop : panel.Open();
    canvas.Brush().SetColor(look.Color());
    canvas.Font().Assign(look.Font());
    const bool sunken = PointerIn(rect) && mouseDown_ && look.Button();
    const TColor light = sunken ? clGray : clWhite;
    const TColor dark = sunken ? clWhite : clGray;
    const TShadeType type = look.ShadeType();

    ClipGuard clip(canvas);
    bool backgroundDone = false;
    if (type == TShadeType::stXPButton && DoVisualStyles()) {
        HTHEME theme = OpenThemeData(this, "button");
        TRect button = rect;
        InflateRect(button, 1, 1);
        int state = hoverCaption_ == index ? (mouseDown_ ? PBS_PRESSED : PBS_HOT) : PBS_NORMAL;
        backgroundDone = DrawThemeBackground(theme, canvas, BP_PUSHBUTTON, state, button);
        CloseThemeData(theme);
    } else if (IsBitmapShade(type)) {
        const TBitmap& picture = isTop ? look.ActiveBackground() : look.Background();
        if (!picture.Empty()) {
            clip.Limit(QRegion(rect.Left, rect.Top, rect.Width(), rect.Height()));
            DrawCaptionPicture(canvas, type, picture, rect, width());
        }
        backgroundDone = true;
    }
    std::optional<TRect> roundFrame;
    if (!backgroundDone) {
        QRegion region;
        if (look.Shape() == TCaptionShape::csRectangle) {
            if (!look.Flat()) {
                TRect frame = rect;
                Frame3D(canvas, frame, light, dark, 1);
                rect = frame;
            }
            region = QRegion(rect.Left, rect.Top, rect.Width(), rect.Height());
        } else {
            region = RoundedRegion(rect);
            if (look.Shape() == TCaptionShape::csSemiRounded) {
                region =
                    region.united(QRegion(rect.Left, rect.Top, rect.Width() / 2, rect.Height()));
            }
            roundFrame = rect;
        }
        clip.Limit(region);
        if (!shade_.isNull()) {
            canvas.DrawImage(
                Rect(rect.Left, rect.Top, rect.Left + shade_.width(), rect.Top + shade_.height()),
                shade_, Rect(0, 0, shade_.width(), shade_.height()));
        }
    }
    if (roundFrame && !look.Flat()) {
        canvas.Pen().SetColor(dark);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.RoundRect(*roundFrame, 32, 32);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    }

    if (look.OpenCloseGraphic() != TOpenCloseGraphic::ocgNone) {
        TRect box = rect;
        if (look.OpenClosePosition() == TOpenClosePosition::ocpLeft) {
            box.Right = box.Left + 16;
            rect.Left += 16;
        } else {
            box.Left = box.Right - 16;
        }
        DrawMark(canvas, open, box);
    }
    if (images_ && panel.ImageIndex() != -1) {
        int y = rect.Top + std::max(0, (rect.Height() - images_->Height()) / 2);
        images_->Draw(canvas, rect.Left, y, panel.ImageIndex());
        rect.Left += images_->Width();
    }
    rect.Left += 4;
    clip.Restore();
    DrawCaptionOptions(panel, canvas, rect);

    unsigned flags = DT_SINGLELINE | DT_END_ELLIPSIS;
    flags |= AlignmentFlag(look.Alignment());
    switch (look.VAlignment()) {
    case TVAlignment::vaCenter:
        flags |= DT_VCENTER;
        break;
    case TVAlignment::vaTop:
        flags |= DT_TOP;
        break;
    case TVAlignment::vaBottom:
        flags |= DT_BOTTOM;
        break;
    }
    canvas.Font().Assign(isTop ? look.ActiveFont() : look.Font());
    canvas.SetBkMode(TBkMode::bkTransparent);
    rect.Left += look.Indent();
    DrawTextW(canvas, Utf8ToUtf16(panel.Caption()), rect, flags);
}

void TShelfBar::DrawMark(TCanvas& canvas, bool open, const TRect& box) {
    const int cx = box.Left + box.Width() / 2;
    const int cy = box.Top + box.Height() / 2;
    canvas.Pen().SetColor(clBlack);
    switch (caption_.OpenCloseGraphic()) {
    case TOpenCloseGraphic::ocgNone:
        break;
    case TOpenCloseGraphic::ocgCross:
        canvas.Brush().SetColor(clWhite);
        canvas.Rectangle(cx - 4, cy - 4, cx + 5, cy + 5);
        canvas.MoveTo(cx - 2, cy);
        canvas.LineTo(cx + 3, cy);
        if (!open) {
            canvas.MoveTo(cx, cy - 2);
            canvas.LineTo(cx, cy + 3);
        }
        break;
    case TOpenCloseGraphic::ocgTriangle:
        canvas.Brush().SetColor(clBlack);
        if (open) {
            canvas.Polygon({Point(cx - 4, cy - 2), Point(cx + 4, cy - 2), Point(cx, cy + 2)});
        } else {
            canvas.Polygon({Point(cx - 2, cy - 4), Point(cx - 2, cy + 4), Point(cx + 2, cy)});
        }
        break;
    case TOpenCloseGraphic::ocgGlyph: {
        const TBitmap& glyph = open ? caption_.GlyphOpen() : caption_.GlyphClose();
        if (!glyph.Empty()) {
            TBitmap mark(glyph);
            mark.SetTransparent(true);
            canvas.Draw(cx - mark.Width() / 2, cy - mark.Height() / 2, mark);
        }
        break;
    }
    }
}
