// Painting of the side bar: the panels in both modes, their backgrounds, the scroll arrows and
// the items in their four styles.

#include "controls/ShelfBar.h"
#include "controls/ShelfBarPaintKit.h"
#include "controls/ShelfXPVS.h"
#include "controls/ShellIcon.h"
#include "platform/base/CodePage.h"
#include "platform/base/Rounding.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/ProgramIcons.h"

#include <QImageReader>

#include <algorithm>
#include <tuple>

namespace {

void Text(TCanvas& canvas, const std::string& text, TRect r, unsigned flags) {
    canvas.SetBkMode(TBkMode::bkTransparent);
    DrawTextW(canvas, Utf8ToUtf16(text), r, flags);
}

// A themed part, or the classic frame control when themes are off or the part is not drawn.
void ThemedOrClassic(QWidget* window, TCanvas& canvas, const char* themeClass, int part, int state,
                     const TRect& r, unsigned classicType, unsigned classicState) {
    HTHEME theme = OpenThemeData(window, themeClass);
    bool drawn = DrawThemeBackground(theme, canvas, part, state, r);
    CloseThemeData(theme);
    if (!drawn) {
        DrawFrameControl(canvas, r, classicType, classicState);
    }
}

QImage AutoIconImage(const TShelfItem& item, bool large) {
    TAutoIconSource source = AutoIconSource(item.URL(), large);
    switch (source.Source) {
    case TAutoIconSource::Kind::IconFile: {
        QImageReader reader(QString::fromStdString(source.Name));
        reader.jumpToImage(item.AutoIconIndex());
        QImage image = reader.read();
        return image.isNull() ? ShellIconImage(source.Name, large) : image;
    }
    case TAutoIconSource::Kind::Program: {
        // The icon resource of the program or icon library; a file without one there, or a
        // damaged one, shows the generic program icon.
        const std::string iconFile = ReadProgramIcon(source.Name, item.AutoIconIndex());
        if (!iconFile.empty()) {
            TIcon icon;
            try {
                icon.LoadFromBytes(iconFile);
                return icon.Image();
            } catch (const EInvalidGraphic&) {
            }
        }
        return ShellIconImage("program.exe", large);
    }
    case TAutoIconSource::Kind::Shell:
        break;
    }
    return ShellIconImage(source.Name, large);
}

void DrawAutoIcon(TCanvas& canvas, const TShelfItem& item, int x, int y, bool large) {
    QImage image = AutoIconImage(item, large);
    if (!image.isNull()) {
        int size = large ? 32 : 16;
        canvas.DrawImage(Bounds(x, y, size, size), image,
                         Rect(0, 0, image.width(), image.height()));
    }
}

} // namespace

TAutoIconSource AutoIconSource(const std::string& url, bool large) {
    size_t slash = url.find_last_of("/\\");
    size_t dot = url.rfind('.');
    std::string ext = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                          ? UpperCase(url.substr(dot))
                          : "";
    if (ext == ".ICO") {
        return {TAutoIconSource::Kind::IconFile, url};
    }
    if (ext == ".EXE" || ext == ".DLL" || (large && ext == ".ICL")) {
        return {TAutoIconSource::Kind::Program, url};
    }
    if (url.find("://") != std::string::npos) {
        return {TAutoIconSource::Kind::Shell, large ? "a.html" : "a.htm"};
    }
    return {TAutoIconSource::Kind::Shell, url};
}

void DrawGradient(TCanvas& canvas, TColor from, TColor to, int steps, const TRect& r,
                  bool horizontal) {
    const int s = steps > 0 ? steps : 1;
    const uint32_t a = ColorToRGB(from);
    const uint32_t b = ColorToRGB(to);
    const double dr = (GetRValue(b) - GetRValue(a)) / static_cast<double>(s);
    const double dg = (GetGValue(b) - GetGValue(a)) / static_cast<double>(s);
    const double db = (GetBValue(b) - GetBValue(a)) / static_cast<double>(s);
    const double band = (horizontal ? r.Width() : r.Height()) / static_cast<double>(s);
    for (int i = 0; i < s; ++i) {
        TColor color = RGB(GetRValue(a) + static_cast<int>(DelphiRound(i * dr)),
                           GetGValue(a) + static_cast<int>(DelphiRound(i * dg)),
                           GetBValue(a) + static_cast<int>(DelphiRound(i * db)));
        canvas.Pen().SetColor(color);
        canvas.Brush().SetColor(color);
        int start = static_cast<int>(DelphiRound(i * band));
        int extent = static_cast<int>(DelphiRound(band)) + 1;
        if (horizontal) {
            canvas.Rectangle(r.Left + start, r.Top, r.Left + start + extent, r.Bottom);
        } else {
            canvas.Rectangle(r.Left, r.Top + start, r.Right, r.Top + start + extent);
        }
    }
}

TPoint TShelfBar::PointerPos() const {
    return ScreenToClient(Pointer().ScreenPos);
}

void TShelfBar::Paint() {
    PaintTo(Canvas());
}

void TShelfBar::PaintTo(TCanvas& canvas) {
    if (panels_->Count() == 0) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(ClientRect());
        return;
    }
    if (mode_ == TShelfBarMode::imMultiPanelActive) {
        PaintMultiPanel(canvas);
    } else {
        PaintSinglePanel(canvas);
    }
}

void TShelfBar::FillArea(TCanvas& canvas, const TShelfPanel& panel, const TRect& area) {
    switch (panel.Background()) {
    case TPanelBackground::pbSolid:
        canvas.Brush().SetColor(panel.Color());
        canvas.FillRect(area);
        break;
    case TPanelBackground::pbGradient:
        DrawGradient(canvas, panel.GradientStart(), panel.GradientEnd(), panel.GradientSteps(),
                     area, panel.GradientDirection() == TGradientDirection::gdHorizontal);
        break;
    case TPanelBackground::pbTexture: {
        const TBitmap& texture = panel.Texture();
        if (texture.Empty() || IsRectEmpty(area)) {
            break;
        }
        ClipGuard clip(canvas);
        clip.Limit(QRegion(area.Left, area.Top, area.Width(), area.Height()));
        for (int y = area.Top; y < area.Bottom; y += texture.Height()) {
            for (int x = area.Left; x < area.Right; x += texture.Width()) {
                canvas.Draw(x, y, texture);
            }
        }
        break;
    }
    }
}

void TShelfBar::PaintSinglePanel(TCanvas& canvas) {
    const int ch = CaptionHeight();
    const int n = panels_->Count();
    const int w = width();
    const int h = height();
    for (int i = 0; i <= topPanel_; ++i) {
        DrawCaption(canvas, (*panels_)[i], Rect(0, i * ch, w, i * ch + ch));
    }
    if (hasFocus() && showFocus_) {
        canvas.DrawFocusRect(Rect(2, 2, w - 2, (topPanel_ + 1) * ch - 3));
    }
    for (int i = n - 1; i > topPanel_; --i) {
        int top = h - (n - i) * ch;
        DrawCaption(canvas, (*panels_)[i], Rect(0, top, w, top + ch));
    }
    TShelfPanel& panel = (*panels_)[topPanel_];
    const TRect area = OpenAreaRect();
    FillArea(canvas, panel, area);
    if (!flat_) {
        canvas.Pen().SetColor(clGray);
        for (int x : {area.Left, area.Right - 2}) {
            canvas.MoveTo(x, area.Top);
            canvas.LineTo(x, area.Bottom);
        }
    }
    canvas.Font().Assign(panel.Font());
    const int ih = panel.ItemHeight();
    const int count = panel.Items().Count();
    const int visible = std::clamp(area.Height() / ih, 0, count);
    const int first = panel.TopItem();
    // The arrows are settled before the items are drawn: the width of the rows depends on
    // them.
    scrollUp_ = first > 0;
    scrollDown_ = first < count - visible;
    for (int k = first; k < first + visible && k < count; ++k) {
        int top = area.Top + (k - first) * ih;
        DrawItem(canvas, panel, panel.Items()[k], Rect(0, top, w, top + ih));
    }
    if (scrollUp_) {
        DrawButtonUp(canvas);
    }
    if (scrollDown_) {
        DrawButtonDown(canvas);
    }
}

void TShelfBar::DrawButtonUp(TCanvas& canvas) {
    TRect r = Bounds(width() - ArrowSize, (topPanel_ + 1) * CaptionHeight(), ArrowSize, ArrowSize);
    bool hot = PointerIn(r);
    int state = hot && mouseDown_ ? ABS_UPPRESSED : hot ? ABS_UPHOT : ABS_UPNORMAL;
    ThemedOrClassic(this, canvas, "scrollbar", SBP_ARROWBTN, state, r, DFC_SCROLL, DFCS_SCROLLUP);
}

void TShelfBar::DrawButtonDown(TCanvas& canvas) {
    int bottom = OpenAreaRect().Bottom;
    TRect r = Bounds(width() - ArrowSize, bottom - ArrowSize, ArrowSize, ArrowSize);
    bool hot = PointerIn(r);
    int state = hot && mouseDown_ ? ABS_DOWNPRESSED : hot ? ABS_DOWNHOT : ABS_DOWNNORMAL;
    ThemedOrClassic(this, canvas, "scrollbar", SBP_ARROWBTN, state, r, DFC_SCROLL, DFCS_SCROLLDOWN);
}

void TShelfBar::PaintMultiPanel(TCanvas& canvas) {
    const bool scrolled = ScrollBarShown();
    const int w = width() - (scrolled ? scrollBar_->width() : 0);
    int y = scrolled ? -scrollBar_->Position() : 0;
    const int ch = CaptionHeight();
    for (int i = 0; i < panels_->Count(); ++i) {
        TShelfPanel& panel = (*panels_)[i];
        DrawCaption(canvas, panel, Rect(0, y, w, y + ch));
        y += ch;
        if (!panel.Open()) {
            continue;
        }
        const int ih = panel.ItemHeight();
        FillArea(canvas, panel, Rect(0, y, w, y + panel.Items().Count() * ih));
        canvas.Font().Assign(panel.Font());
        for (int k = 0; k < panel.Items().Count(); ++k) {
            DrawItem(canvas, panel, panel.Items()[k], Rect(0, y, w, y + ih));
            y += ih;
        }
    }
}

void TShelfBar::DrawItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, const TRect& rect) {
    bool defaultDraw = true;
    if (OnItemDraw) {
        OnItemDraw(*this, item, canvas, rect, defaultDraw);
        if (!defaultDraw) {
            return;
        }
    }
    const unsigned flags =
        panel.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    const TShelfImage& background = item.Background();
    if (!background.Empty()) {
        const int bw = background.Width();
        const int bh = background.Height();
        const TShelfBackgroundPos pos = item.BackgroundPosition();
        bool left =
            pos == TShelfBackgroundPos::bpTopLeft || pos == TShelfBackgroundPos::bpBottomLeft;
        bool top = pos == TShelfBackgroundPos::bpTopLeft || pos == TShelfBackgroundPos::bpTopRight;
        canvas.Draw(left ? rect.Left : rect.Right - bw, top ? rect.Top : rect.Bottom - bh,
                    background);
    }
    canvas.Font().Assign(panel.Font());
    switch (panel.Style()) {
    case TPanelStyle::psLargeIcon:
    case TPanelStyle::psSmallIcon:
        DrawIconItem(canvas, panel, item, rect, flags);
        break;
    case TPanelStyle::psButtons:
        DrawButtonItem(canvas, panel, item, rect);
        break;
    case TPanelStyle::psProperties:
        DrawPropertyItem(canvas, panel, item, rect, flags);
        break;
    }
    const TShelfImage& splitter = panel.Splitter();
    if (!splitter.Empty()) {
        canvas.Draw(rect.Left + std::max(0, width() - splitter.Width()),
                    rect.Bottom - splitter.Height(), splitter);
    }
}

void TShelfBar::DrawHoverFrame(TCanvas& canvas, TRect box, bool pressed) {
    Frame3D(canvas, box, pressed ? clGray : clWhite, pressed ? clWhite : clGray, 1);
}

void TShelfBar::DrawIconItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r,
                             unsigned flags) {
    const bool large = panel.Style() == TPanelStyle::psLargeIcon;
    const bool autoIcon = item.AutoIcon() && !item.URL().empty();
    const bool hasIcon = item.AutoIcon() ? autoIcon : item.HasIcon() && !item.Icon().Empty();
    const bool leftDown = Pointer().LeftDown;
    if (!large) {
        r.Left += panel.Indent();
    }
    TRect box = large ? Bounds(r.Left + (r.Width() - 32) / 2, r.Top + 2, 32, 32)
                      : Bounds(r.Left + 4, r.Top + 2, 16, 16);
    TRect hoverBox = box;
    InflateRect(hoverBox, 2, large ? 1 : 2);
    const bool hover = hasIcon && PointerIn(hoverBox);
    const bool bothColors =
        panel.HoverIconColor() != clNone && panel.HoverIconDownColor() != clNone;
    if (hover && bothColors) {
        canvas.Brush().SetColor(leftDown ? panel.HoverIconDownColor() : panel.HoverIconColor());
        canvas.FillRect(hoverBox);
    }
    if (large) {
        if (autoIcon) {
            DrawAutoIcon(canvas, item, box.Left, box.Top, true);
        } else if (hasIcon) {
            canvas.Draw(box.Left, box.Top, item.Icon());
        }
        if (hasIcon) {
            r.Top += 36;
        }
    } else if (autoIcon) {
        DrawAutoIcon(canvas, item, box.Left, box.Top, false);
        r.Left = box.Left + 20;
    } else if (images_ && item.ImageIndex() >= 0) {
        images_->Draw(canvas, box.Left, box.Top, item.ImageIndex());
        r.Left += images_->Width() + 2;
    } else if (hasIcon) {
        const TIcon& icon = item.Icon();
        canvas.StretchDraw(Bounds(box.Left, box.Top, icon.Width() / 2, icon.Height() / 2), icon);
        r.Left += icon.Width() / 2 + 8;
    }
    if (hover && !bothColors) {
        DrawHoverFrame(canvas, hoverBox, leftDown);
    }
    if (large) {
        r.Left += panel.Indent();
    }
    unsigned textFlags = flags | (large ? AlignmentFlag(panel.Alignment()) : DT_LEFT);
    if (panel.HoverCaption()) {
        TRect measured = r;
        DrawTextW(canvas, Utf8ToUtf16(item.Caption()), measured,
                  textFlags | DT_CALCRECT | DT_CENTER);
        if (PointerIn(measured)) {
            TFontStyles style = canvas.Font().Style();
            style.Include(TFontStyle::fsUnderline);
            canvas.Font().SetStyle(style);
        }
    }
    Text(canvas, item.Caption(), r, textFlags);
}

void TShelfBar::DrawButtonItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r) {
    InflateRect(r, -1, -1);
    const bool hover = PointerIn(r);
    const bool leftDown = Pointer().LeftDown;
    if (item.Down() && (!hover || leftDown)) {
        canvas.Brush().SetColor(panel.ButtonDownColor());
        canvas.FillRect(r);
    }
    if (hover || item.Down()) {
        DrawHoverFrame(canvas, r, leftDown || item.Down());
    }
    r.Left += 2;
    r.Top += 2;
    if (images_ && item.ImageIndex() >= 0) {
        images_->Draw(canvas, r.Left, r.Top, item.ImageIndex());
        r.Left += images_->Width() + 2;
    }
    Text(canvas, item.Caption(), r,
         (panel.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER) | DT_END_ELLIPSIS);
}

void TShelfBar::DrawPropertyItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r,
                                 unsigned flags) {
    const int cw = panel.CaptionWidth();
    if (panel.GridLines()) {
        canvas.Pen().SetColor(panel.GridLineColor());
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Right, r.Bottom - 1);
        canvas.MoveTo(r.Left + cw, r.Top);
        canvas.LineTo(r.Left + cw, r.Bottom);
        canvas.Pen().SetColor(clWhite);
        canvas.MoveTo(r.Left + cw + 1, r.Top);
        canvas.LineTo(r.Left + cw + 1, r.Bottom);
    }
    TRect name = Rect(r.Left + 4, r.Top + (panel.EditBox() ? 4 : 2), r.Left + cw, r.Bottom);
    if (images_ && item.ImageIndex() >= 0) {
        images_->Draw(canvas, name.Left, name.Top, item.ImageIndex());
        name.Left += images_->Width() + 2;
    }
    Text(canvas, item.Caption(), name, flags | DT_END_ELLIPSIS);

    const bool arrows = mode_ == TShelfBarMode::imSinglePanelActive && (scrollUp_ || scrollDown_);
    TRect value = Rect(r.Left + cw + 4, r.Top, r.Right - (arrows ? 24 : 4), r.Bottom);
    int textLeft = value.Left;
    if (panel.EditBox()) {
        InflateRect(value, -2, -2);
        canvas.Brush().SetColor(panel.EditColor());
        canvas.FillRect(value);
        textLeft = value.Left + 3;
    }
    int textRight = value.Right;

    TShelfEditButtonKind kind = TShelfEditButtonKind::ebNone;
    switch (item.PropertyType()) {
    case TPropertyType::ptColor:
    case TPropertyType::ptValues:
    case TPropertyType::ptDate:
        kind = TShelfEditButtonKind::ebDropDown;
        break;
    case TPropertyType::ptFont:
    case TPropertyType::ptTextButton:
    case TPropertyType::ptPropButton:
        kind = TShelfEditButtonKind::ebMore;
        break;
    case TPropertyType::ptIntSpin:
    case TPropertyType::ptTime:
        kind = TShelfEditButtonKind::ebSpin;
        break;
    case TPropertyType::ptCustom:
        if (OnCustomEditButton) {
            OnCustomEditButton(*this, item, kind);
        }
        break;
    default:
        break;
    }
    const bool leftDown = Pointer().LeftDown;
    if (kind != TShelfEditButtonKind::ebNone) {
        TRect button = Rect(value.Right - 16, value.Top, value.Right, value.Bottom);
        textRight = button.Left - (panel.EditBox() ? 3 : 0);
        const bool hot = PointerIn(button);
        if (kind == TShelfEditButtonKind::ebDropDown) {
            ThemedOrClassic(this, canvas, "combobox", CP_DROPDOWNBUTTON,
                            hot ? CBXS_HOT : CBXS_NORMAL, button, DFC_SCROLL,
                            DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
        } else if (kind == TShelfEditButtonKind::ebMore) {
            ThemedOrClassic(this, canvas, "button", BP_PUSHBUTTON, hot ? PBS_HOT : PBS_NORMAL,
                            button, DFC_BUTTON, DFCS_BUTTONPUSH);
            Text(canvas, "..", button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        } else {
            TRect up = button;
            up.Bottom = button.Top + button.Height() / 2;
            TRect down = button;
            down.Top = up.Bottom;
            for (auto [half, part, classic] : {std::tuple{up, SPNP_UP, DFCS_SCROLLUP},
                                               std::tuple{down, SPNP_DOWN, DFCS_SCROLLDOWN}}) {
                const bool halfHot = PointerIn(half);
                int state = halfHot && leftDown ? UPS_PRESSED : halfHot ? UPS_HOT : UPS_NORMAL;
                ThemedOrClassic(this, canvas, "spin", part, state, half, DFC_SCROLL,
                                classic | DFCS_FLAT);
            }
        }
    }
    if (item.PropertyType() == TPropertyType::ptColor) {
        canvas.Pen().SetColor(clBlack);
        canvas.Brush().SetColor(item.ColorValue());
        canvas.Rectangle(value.Left + 2, value.Top + 2, value.Left + 20, value.Top + 16);
        textLeft += 24;
    } else if (item.PropertyType() == TPropertyType::ptBoolean) {
        TRect box = Bounds(value.Left, value.Top + (value.Height() - 14) / 2, 14, 14);
        const bool checked = item.BoolValue();
        const bool hot = PointerIn(box);
        // Pressing shows the value the click is about to give.
        int state = hot && leftDown ? (checked ? CBS_UNCHECKEDPRESSED : CBS_CHECKEDPRESSED)
                    : checked       ? (hot ? CBS_CHECKEDHOT : CBS_CHECKEDNORMAL)
                                    : (hot ? CBS_UNCHECKEDHOT : CBS_UNCHECKEDNORMAL);
        ThemedOrClassic(this, canvas, "button", BP_CHECKBOX, state, box, DFC_BUTTON,
                        DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_MONO | (checked ? DFCS_CHECKED : 0));
        textLeft += 16;
    }
    bool defaultDraw = true;
    if (item.PropertyType() == TPropertyType::ptCustom && OnCustomEditDraw) {
        defaultDraw = false;
        OnCustomEditDraw(*this, item, canvas, value, defaultDraw);
    }
    if (defaultDraw) {
        TRect text = Rect(textLeft, value.Top + (panel.EditBox() ? 0 : 2), textRight, value.Bottom);
        unsigned textFlags = flags & ~DT_VCENTER;
        if (item.PropertyType() == TPropertyType::ptFont) {
            canvas.Font().Assign(item.FontValue());
            textFlags |= DT_END_ELLIPSIS;
        }
        Text(canvas, item.TextValue(), text, textFlags);
    }
}
