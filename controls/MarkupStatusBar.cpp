#include "controls/MarkupStatusBar.h"

#include "controls/MiniHtml.h"
#include "platform/base/CodePage.h"
#include "platform/base/Rounding.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Edges.h"

#include <QApplication>
#include <QHelpEvent>
#include <QSizeGrip>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Parts sit one pixel below the top of the bar and two pixels apart.
constexpr int PartTop = 1;
constexpr int PartGap = 2;
// Plain panel text keeps this far from the bevel.
constexpr int TextMargin = 2;
constexpr int BarHeight = 19;

int FloorHalf(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

// Links the desktop may open: web and mail addresses only, never local files or programs.
bool IsShellLink(const std::string& anchor) {
    return StartsText("http://", anchor) || StartsText("https://", anchor) ||
           StartsText("ftp://", anchor) || StartsText("mailto:", anchor);
}

bool IsOwnerDrawn(TMarkupStatusPanelStyle style) {
    return style == TMarkupStatusPanelStyle::psHTML ||
           style == TMarkupStatusPanelStyle::psOwnerDraw ||
           style == TMarkupStatusPanelStyle::psProgress;
}

} // namespace

// ---- TProgressStyle ----

void TProgressStyle::Assign(const TProgressStyle& source) {
    min_ = source.min_;
    position_ = source.position_;
    max_ = source.max_;
    color_ = source.color_;
    indication_ = source.indication_;
    background_ = source.background_;
    textColor_ = source.textColor_;
    Changed();
}

void TProgressStyle::Changed() {
    if (owner_) {
        owner_->Changed(true);
    }
}

void TProgressStyle::SetMin(int value) {
    min_ = value;
    Changed();
}

void TProgressStyle::SetPosition(int value) {
    position_ = value;
    Changed();
}

void TProgressStyle::SetMax(int value) {
    max_ = value;
    Changed();
}

void TProgressStyle::SetColor(TColor value) {
    color_ = value;
    Changed();
}

void TProgressStyle::SetIndication(TProgressIndication value) {
    indication_ = value;
    Changed();
}

void TProgressStyle::SetBackGround(TColor value) {
    background_ = value;
    Changed();
}

void TProgressStyle::SetTextColor(TColor value) {
    textColor_ = value;
    Changed();
}

// ---- TMarkupStatusPanel ----

TMarkupStatusPanel::TMarkupStatusPanel(TMarkupStatusPanels* collection, TBiDiMode barBiDiMode)
    : collection_(collection), biDiMode_(barBiDiMode) {}

int TMarkupStatusPanel::Index() const {
    return collection_ ? collection_->IndexOf(this) : -1;
}

std::string TMarkupStatusPanel::GetDisplayName() const {
    return text_.empty() ? "TMarkupStatusPanel" : text_;
}

void TMarkupStatusPanel::Assign(const TMarkupStatusPanel& source) {
    SetText(source.text_);
    SetWidth(source.width_);
    SetAlignment(source.alignment_);
    SetBevel(source.bevel_);
    SetStyle(source.style_);
    SetDateFormat(source.dateFormat_);
    SetTimeFormat(source.timeFormat_);
    progress_.Assign(source.progress_);
    SetHint(source.hint_);
}

void TMarkupStatusPanel::Changed(bool allItems) {
    if (collection_) {
        collection_->Update(allItems ? nullptr : this);
    }
}

void TMarkupStatusPanel::SetText(const std::string& value) {
    if (text_ != value) {
        text_ = value;
        Changed(false);
    }
}

void TMarkupStatusPanel::SetWidth(int value) {
    width_ = value;
    Changed(true);
}

void TMarkupStatusPanel::SetAlignment(TAlignment value) {
    if (alignment_ != value) {
        alignment_ = value;
        Changed(false);
    }
}

void TMarkupStatusPanel::SetBevel(TMarkupStatusPanelBevel value) {
    if (bevel_ != value) {
        bevel_ = value;
        Changed(false);
    }
}

void TMarkupStatusPanel::SetBiDiMode(TBiDiMode value) {
    if (biDiMode_ != value) {
        biDiMode_ = value;
        parentBiDiMode_ = false;
        Changed(false);
    }
}

void TMarkupStatusPanel::SetParentBiDiMode(bool value) {
    if (parentBiDiMode_ == value) {
        return;
    }
    parentBiDiMode_ = value;
    TMarkupStatusBar* bar = collection_ ? collection_->GetOwner() : nullptr;
    if (value && bar && biDiMode_ != bar->BiDiMode()) {
        biDiMode_ = bar->BiDiMode();
        Changed(false);
    }
}

void TMarkupStatusPanel::SetStyle(TMarkupStatusPanelStyle value) {
    if (style_ != value) {
        style_ = value;
        Changed(false);
    }
}

void TMarkupStatusPanel::SetTimeFormat(const std::string& value) {
    timeFormat_ = value;
    Changed(true);
}

void TMarkupStatusPanel::SetDateFormat(const std::string& value) {
    dateFormat_ = value;
    Changed(true);
}

void TMarkupStatusPanel::SetHint(const std::string& value) {
    hint_ = value;
    Changed(true);
}

void TMarkupStatusPanel::SetProgress(const TProgressStyle& value) {
    progress_.Assign(value);
}

// ---- TMarkupStatusPanels ----

TMarkupStatusPanel& TMarkupStatusPanels::Add() {
    TBiDiMode mode = bar_ ? bar_->BiDiMode() : TBiDiMode::bdLeftToRight;
    items_.push_back(std::make_unique<TMarkupStatusPanel>(this, mode));
    Update(nullptr);
    return *items_.back();
}

void TMarkupStatusPanels::Delete(int index) {
    if (index >= 0 && index < Count()) {
        items_.erase(items_.begin() + index);
        Update(nullptr);
    }
}

void TMarkupStatusPanels::Clear() {
    items_.clear();
    Update(nullptr);
}

int TMarkupStatusPanels::IndexOf(const TMarkupStatusPanel* panel) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == panel) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TMarkupStatusPanels::Assign(const TMarkupStatusPanels& source) {
    while (Count() > source.Count()) {
        Delete(Count() - 1);
    }
    while (Count() < source.Count()) {
        Add();
    }
    for (int i = 0; i < Count(); ++i) {
        GetItem(i).Assign(source.GetItem(i));
    }
}

void TMarkupStatusPanels::Update(TMarkupStatusPanel* item) {
    if (!bar_) {
        return;
    }
    if (item) {
        bar_->UpdatePanel(IndexOf(item), false);
    } else {
        bar_->UpdatePanels(true, false);
    }
}

std::vector<int> PartEdges(const std::vector<int>& widths) {
    size_t parts = std::min(widths.size(), static_cast<size_t>(TMarkupStatusBar::MaxParts));
    if (parts == 0) {
        return {-1};
    }
    std::vector<int> edges(parts);
    int64_t right = 0;
    for (size_t i = 0; i < parts; ++i) {
        right += widths[i];
        edges[i] = static_cast<int>(std::clamp<int64_t>(right, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    }
    edges.back() = -1;
    return edges;
}

// ---- TMarkupStatusBar ----

TMarkupStatusBar::TMarkupStatusBar(QWidget* parent) : TCustomControl(parent) {
    SetColor(clBtnFace);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    resize(std::max(width(), 100), BarHeight);
    grip_ = new QSizeGrip(this);
    grip_->hide();
    SyncToSystemFont();
    SetTimer(TimerId, TimerInterval);
}

TMarkupStatusBar::~TMarkupStatusBar() {
    KillTimer(TimerId);
}

QSize TMarkupStatusBar::sizeHint() const {
    return QSize(std::max(width(), 100), BarHeight);
}

void TMarkupStatusBar::SetSimpleText(const std::string& value) {
    if (simpleText_ != value) {
        simpleText_ = value;
        if (simplePanel_) {
            Invalidate();
        }
    }
}

void TMarkupStatusBar::SetSimplePanel(bool value) {
    if (simplePanel_ != value) {
        simplePanel_ = value;
        UpdatePanels(true, false);
    }
}

void TMarkupStatusBar::SetSizeGrip(bool value) {
    if (sizeGrip_ != value) {
        sizeGrip_ = value;
        PlaceSizeGrip();
        UpdatePanels(true, false);
    }
}

void TMarkupStatusBar::SetUseSystemFont(bool value) {
    if (useSystemFont_ != value) {
        useSystemFont_ = value;
        SyncToSystemFont();
    }
}

void TMarkupStatusBar::SyncToSystemFont() {
    if (!useSystemFont_) {
        return;
    }
    QFont system = QApplication::font("QStatusBar");
    TFont& font = Font();
    font.SetName(system.family().toStdString());
    if (system.pixelSize() > 0) {
        font.SetHeight(-system.pixelSize());
    } else {
        font.SetSize(std::max(1, static_cast<int>(std::lround(system.pointSizeF()))));
    }
    TFontStyles style;
    if (system.bold()) {
        style.Include(TFontStyle::fsBold);
    }
    if (system.italic()) {
        style.Include(TFontStyle::fsItalic);
    }
    font.SetStyle(style);
    Invalidate();
}

void TMarkupStatusBar::SetURLColor(TColor value) {
    if (urlColor_ != value) {
        urlColor_ = value;
        Invalidate();
    }
}

void TMarkupStatusBar::SetImages(const TImageList* images) {
    images_ = images;
    Invalidate();
}

void TMarkupStatusBar::SetBiDiMode(TBiDiMode value) {
    if (biDiMode_ == value) {
        return;
    }
    biDiMode_ = value;
    for (int i = 0; i < panels_.Count(); ++i) {
        TMarkupStatusPanel& panel = panels_[i];
        if (panel.ParentBiDiMode()) {
            panel.SetBiDiMode(value);
            panel.SetParentBiDiMode(true);
        }
    }
    UpdatePanels(true, true);
}

int TMarkupStatusBar::VisibleParts() const {
    return std::min(panels_.Count(), MaxParts);
}

bool TMarkupStatusBar::GripShown() const {
    const QWidget* top = window();
    return sizeGrip_ && top != this && top->minimumSize() != top->maximumSize();
}

int TMarkupStatusBar::RightEnd() const {
    int grip = GripShown() ? grip_->sizeHint().width() : 0;
    return std::max(0, ClientWidth() - grip);
}

TRect TMarkupStatusBar::PanelRect(int index) const {
    if (simplePanel_ || index < 0 || index >= VisibleParts()) {
        return TRect{};
    }
    std::vector<int> widths;
    for (int i = 0; i < VisibleParts(); ++i) {
        widths.push_back(panels_.GetItem(i).Width());
    }
    std::vector<int> edges = PartEdges(widths);
    auto edge = [&](int i) {
        int e = edges[static_cast<size_t>(i)];
        return e == -1 ? RightEnd() : std::min(e, RightEnd());
    };
    int left = index == 0 ? 0 : edge(index - 1) + PartGap;
    int right = edge(index);
    if (right <= left) {
        return TRect{};
    }
    return Rect(left, PartTop, right, ClientHeight());
}

TRect TMarkupStatusBar::PanelContentRect(int index) const {
    TRect r = PanelRect(index);
    if (IsRectEmpty(r)) {
        return r;
    }
    InflateRect(r, -1, -1);
    return r;
}

int TMarkupStatusBar::GetPanel(int x) const {
    for (int i = 0; i < VisibleParts(); ++i) {
        TRect r = PanelRect(i);
        if (!IsRectEmpty(r) && x >= r.Left && x <= r.Right) {
            return i;
        }
    }
    return -1;
}

std::string TMarkupStatusBar::IsAnchor(int x, int y) {
    int index = GetPanel(x);
    // Only HTML panels show links; the same text in a plain panel is just text.
    if (index < 0 || panels_[index].Style() != TMarkupStatusPanelStyle::psHTML) {
        return std::string();
    }
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    std::string anchor;
    if (!HTMLDrawText(canvas, panels_[index].Text(), PanelContentRect(index), images_, x, y, true,
                      blinkCounter_ > 5, urlColor_, anchor)) {
        return std::string();
    }
    return anchor;
}

bool TMarkupStatusBar::HintAt(int x, int y, std::string& hint, TPoint& screenPos) {
    hint = toolTip().toStdString();
    screenPos = ClientToScreen(Point(x, y));
    int index = GetPanel(x);
    if (index >= 0) {
        const TMarkupStatusPanel& panel = panels_[index];
        if (panel.Style() != TMarkupStatusPanelStyle::psHTML) {
            if (!panel.Hint().empty()) {
                hint = panel.Hint();
            }
        } else if (anchorHint_) {
            std::string anchor = IsAnchor(x, y);
            if (!anchor.empty()) {
                hint = anchor;
                screenPos = ClientToScreen(Point(x + 10, y - 10));
            } else if (!panel.Hint().empty()) {
                hint = panel.Hint();
            }
        }
    }
    return !hint.empty();
}

void TMarkupStatusBar::UpdatePanel(int index, bool repaint) {
    if (simplePanel_ || index < 0 || index >= VisibleParts()) {
        return;
    }
    TMarkupStatusPanel& panel = panels_[index];
    if (!repaint) {
        panel.SetUpdateNeeded(true);
        InvalidateRect(PanelRect(index));
    } else if (panel.UpdateNeeded()) {
        // Drawn by the paint that asks for it.
        panel.SetUpdateNeeded(false);
    }
}

void TMarkupStatusBar::UpdatePanels(bool updateRects, bool updateText) {
    if (updateRects) {
        Invalidate();
    }
    for (int i = 0; i < VisibleParts(); ++i) {
        UpdatePanel(i, updateText);
    }
}

void TMarkupStatusBar::UpdateStatusBar() {
    for (int i = 0; i < panels_.Count(); ++i) {
        TMarkupStatusPanel& panel = panels_[i];
        switch (panel.Style()) {
        case TMarkupStatusPanelStyle::psHTML:
            if ((blinkCounter_ == 5 || blinkCounter_ == 10) &&
                UpperCase(panel.Text()).find("<BLINK") != std::string::npos) {
                std::string text = panel.Text();
                panel.SetText("");
                panel.SetText(text);
            }
            break;
        case TMarkupStatusPanelStyle::psTime:
            panel.SetText(FormatDateTime(panel.TimeFormat(), Clock()));
            break;
        case TMarkupStatusPanelStyle::psDate:
            panel.SetText(FormatDateTime(panel.DateFormat(), Clock()));
            break;
        case TMarkupStatusPanelStyle::psNumLock:
            panel.SetText(LockOn(VK_NUMLOCK) ? "NUM" : "");
            break;
        case TMarkupStatusPanelStyle::psCapsLock:
            panel.SetText(LockOn(VK_CAPITAL) ? "CAP" : "");
            break;
        case TMarkupStatusPanelStyle::psScrollLock:
            panel.SetText(LockOn(VK_SCROLL) ? "SCRL" : "");
            break;
        default:
            break;
        }
    }
}

bool TMarkupStatusBar::LockOn(uint16_t virtualKey) const {
    return KeyToggled && KeyToggled(virtualKey);
}

bool TMarkupStatusBar::DoHint() {
    if (!OnHint) {
        return false;
    }
    OnHint();
    return true;
}

bool TMarkupStatusBar::ExecuteHintAction(const std::string& hint) {
    if (!autoHint_ || DoHint()) {
        return false;
    }
    if (simplePanel_ || panels_.Count() == 0) {
        SetSimpleText(hint);
    } else {
        panels_[0].SetText(hint);
    }
    return true;
}

void TMarkupStatusBar::FlipChildren() {
    int count = panels_.Count();
    if (simplePanel_ || count == 0) {
        return;
    }
    int others = 0;
    for (int i = 0; i + 1 < count; ++i) {
        others += panels_[i].Width();
    }
    int lastShown = ClientWidth() - others;
    TMarkupStatusPanels copy(nullptr);
    copy.Assign(panels_);
    for (int i = 0; i < count; ++i) {
        panels_[i].Assign(copy[count - 1 - i]);
    }
    if (count > 1) {
        panels_[count - 1].SetWidth(copy[0].Width());
        panels_[0].SetWidth(lastShown);
    }
    UpdatePanels(true, true);
}

void TMarkupStatusBar::DrawBevel(TMarkupStatusPanelBevel bevel, const TRect& r) {
    TRect edge = r;
    if (bevel == TMarkupStatusPanelBevel::pbLowered) {
        DrawEdge(Canvas(), edge, BDR_SUNKENOUTER, BF_RECT);
    } else if (bevel == TMarkupStatusPanelBevel::pbRaised) {
        DrawEdge(Canvas(), edge, BDR_RAISEDINNER, BF_RECT);
    }
}

void TMarkupStatusBar::DrawPanelText(const TMarkupStatusPanel* panel, const std::string& text,
                                     const TRect& r) {
    TAlignment alignment = panel ? panel->Alignment() : TAlignment::taLeftJustify;
    if (panel && panel->BiDiMode() == TBiDiMode::bdRightToLeft) {
        if (alignment == TAlignment::taLeftJustify) {
            alignment = TAlignment::taRightJustify;
        } else if (alignment == TAlignment::taRightJustify) {
            alignment = TAlignment::taLeftJustify;
        }
    }
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (alignment == TAlignment::taCenter) {
        flags |= DT_CENTER;
    } else if (alignment == TAlignment::taRightJustify) {
        flags |= DT_RIGHT;
    }
    TRect inner = r;
    InflateRect(inner, -TextMargin, 0);
    Canvas().SetBkMode(TBkMode::bkTransparent);
    DrawTextW(Canvas(), Utf8ToUtf16(text), inner, flags);
}

void TMarkupStatusBar::DrawProgress(const TProgressStyle& progress, const TRect& rect) {
    TCanvas& canvas = Canvas();
    TColor kept = canvas.Brush().Color();
    canvas.Brush().SetColor(progress.Color());
    canvas.Pen().SetColor(progress.Color());
    canvas.Font().SetColor(progress.TextColor());
    TRect r = rect;
    InflateRect(r, -2, -2);

    std::string text;
    if (progress.Indication() == TProgressIndication::piPercentage) {
        text = IntToStr(progress.Position()) + "%";
    } else if (progress.Indication() == TProgressIndication::piAbsolute) {
        text = IntToStr(progress.Position());
    }
    // The fill counts from Min and stays inside the bar whatever the position.
    int64_t range = static_cast<int64_t>(progress.Max()) - progress.Min();
    int filled = 0;
    if (range > 0 && r.Width() > 0) {
        int64_t done = std::clamp<int64_t>(
            static_cast<int64_t>(progress.Position()) - progress.Min(), 0, range);
        filled =
            static_cast<int>(DelphiRound(static_cast<double>(r.Width()) *
                                         static_cast<double>(done) / static_cast<double>(range)));
    }
    std::u16string wide = Utf8ToUtf16(text);
    TSize extent = canvas.TextExtentW(wide);
    int x = r.Left + FloorHalf(r.Width() - extent.cx);
    int y = r.Top + FloorHalf(r.Height() - extent.cy);

    TRect done = Rect(r.Left, r.Top, r.Left + filled, r.Bottom);
    if (!IsRectEmpty(done)) {
        canvas.TextRectW(done, x, y, wide);
    }
    canvas.Brush().SetColor(progress.BackGround());
    canvas.Pen().SetColor(progress.BackGround());
    // The inverse of the colour as drawn, so that system colours invert too.
    canvas.Font().SetColor(static_cast<TColor>(~ColorToRGB(progress.BackGround()) & 0xFFFFFF));
    TRect rest = Rect(r.Left + filled, r.Top, r.Right, r.Bottom);
    if (!IsRectEmpty(rest)) {
        canvas.TextRectW(rest, x, y, wide);
    }
    canvas.Brush().SetColor(kept);
    canvas.Pen().SetColor(kept);
    TRect frame = r;
    InflateRect(frame, 1, 1);
    canvas.FrameRect(frame);
    InflateRect(frame, 1, 1);
    canvas.FrameRect(frame);
}

void TMarkupStatusBar::DrawPanel(TMarkupStatusPanel& panel, const TRect& rect) {
    switch (panel.Style()) {
    case TMarkupStatusPanelStyle::psHTML: {
        std::string anchor;
        HTMLDrawText(Canvas(), panel.Text(), rect, images_, 0, 0, false, blinkCounter_ > 5,
                     urlColor_, anchor);
        break;
    }
    case TMarkupStatusPanelStyle::psProgress:
        DrawProgress(panel.Progress(), rect);
        break;
    default:
        if (OnDrawPanel) {
            OnDrawPanel(*this, panel, rect);
        } else {
            Canvas().FillRect(rect);
        }
        break;
    }
}

void TMarkupStatusBar::Paint() {
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    // Every panel that was marked is drawn now.
    UpdatePanels(false, true);

    if (simplePanel_ || panels_.Count() == 0) {
        TRect r = Rect(0, PartTop, RightEnd(), ClientHeight());
        DrawBevel(TMarkupStatusPanelBevel::pbLowered, r);
        InflateRect(r, -1, -1);
        canvas.Font().Assign(Font());
        DrawPanelText(nullptr, simplePanel_ ? simpleText_ : std::string(), r);
        return;
    }
    TRect clip = canvas.ClipRect();
    for (int i = 0; i < VisibleParts(); ++i) {
        TRect part = PanelRect(i);
        TRect common;
        if (IsRectEmpty(part) || !IntersectRect(common, part, clip)) {
            continue;
        }
        TMarkupStatusPanel& panel = panels_[i];
        DrawBevel(panel.Bevel(), part);
        TRect content = PanelContentRect(i);
        TClipKeeper keep(canvas);
        canvas.IntersectClipRect(content);
        canvas.Font().Assign(Font());
        if (IsOwnerDrawn(panel.Style())) {
            canvas.Brush().SetColor(clBtnFace);
            canvas.Brush().SetStyle(TBrushStyle::bsSolid);
            DrawPanel(panel, content);
        } else {
            DrawPanelText(&panel, panel.Text(), content);
        }
    }
}

void TMarkupStatusBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    std::string anchor = IsAnchor(x, y);
    if (anchor.empty()) {
        return;
    }
    if (IsShellLink(anchor)) {
        if (ShellOpen) {
            ShellOpen(anchor);
        }
    } else if (OnAnchorClick) {
        OnAnchorClick(anchor);
    }
}

void TMarkupStatusBar::MouseMove(TShiftState shift, int x, int y) {
    std::string anchor = IsAnchor(x, y);
    int panel = GetPanel(x);
    if (panel != lastPanel_) {
        QToolTip::hideText();
        lastPanel_ = panel;
    }
    if (!anchor.empty()) {
        if (Cursor() == crDefault || anchor != lastAnchor_) {
            lastAnchor_ = anchor;
            SetCursor(crHandPoint);
            if (anchorHint_) {
                QToolTip::hideText();
            }
            if (OnAnchorEnter) {
                OnAnchorEnter(anchor);
            }
        }
    } else if (Cursor() == crHandPoint) {
        SetCursor(crDefault);
        if (OnAnchorExit) {
            OnAnchorExit(anchor);
        }
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TMarkupStatusBar::Resize() {
    PlaceSizeGrip();
    TCustomControl::Resize();
    Invalidate();
}

void TMarkupStatusBar::PlaceSizeGrip() {
    bool show = GripShown();
    if (show) {
        QSize hint = grip_->sizeHint();
        int h = std::min(hint.height(), height());
        grip_->setGeometry(width() - hint.width(), height() - h, hint.width(), h);
    }
    grip_->setVisible(show);
}

void TMarkupStatusBar::Dispatch(TMessage& message) {
    if (message.Msg == WM_TIMER) {
        UpdateStatusBar();
        if (++blinkCounter_ > 10) {
            blinkCounter_ = 0;
        }
        return;
    }
    TCustomControl::Dispatch(message);
}

bool TMarkupStatusBar::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        std::string hint;
        TPoint at;
        bool show = false;
        try {
            show = HintAt(help->pos().x(), help->pos().y(), hint, at);
        } catch (const std::exception& error) {
            HandleApplicationException(error);
        }
        if (show) {
            QToolTip::showText(QPoint(at.X, at.Y), QString::fromStdString(hint), this);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    if (e->type() == QEvent::ApplicationFontChange) {
        SyncToSystemFont();
    }
    if (e->type() == QEvent::ParentChange || e->type() == QEvent::Show) {
        PlaceSizeGrip();
    }
    return TCustomControl::event(e);
}
