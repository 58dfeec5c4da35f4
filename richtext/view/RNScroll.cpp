#include "richtext/view/RNScroll.h"

#include "platform/widgets/EmbeddedWidget.h"

#include <algorithm>

TRNScroller::TRNScroller(QWidget* parent) : TCustomControl(parent) {
    SetTabStop(true);
    VSmallStep = GetDefSmallStep();
    UpdateScrollBars(ClientWidth(), ClientHeight() / VSmallStep, true, true);
}

TRNScroller::~TRNScroller() = default;

void TRNScroller::UpdateScrollBars(int xSize, int ySize, bool redraw, bool updateH) {
    if (updatingBars_) {
        return;
    }
    updatingBars_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{updatingBars_};

    if (updateH) {
        hScrollDocWidth_ = xSize;
        hScrollPage_ = ClientWidth();
        hScrollMax_ = xSize - 1;
        if (hScrollVisible_) {
            hPos_ = std::max(0, std::min(hPos_, hScrollMax_ - (ClientWidth() - 1)));
            SetScrollInfo(TScrollBarKind::sbHorizontal, {0, hScrollMax_, hScrollPage_, hPos_},
                          hScrollMax_ + 1 > hScrollPage_);
        } else {
            SetScrollInfo(TScrollBarKind::sbHorizontal, {0, 1, 2, 0}, false);
        }
    }
    vScrollDocHeight_ = ySize;
    vScrollPage_ = ClientHeight() / std::max(1, VSmallStep);
    vScrollMax_ = ySize - 1;
    vPos_ = ClampV(vPos_);
    if (vScrollVisible_) {
        SetScrollBarKeepDisabled(TScrollBarKind::sbVertical, redraw && KeepVScrollDisabled);
        SetScrollInfo(TScrollBarKind::sbVertical, {0, vScrollMax_, vScrollPage_, vPos_},
                      vScrollMax_ + 1 > vScrollPage_);
    } else {
        SetScrollBarKeepDisabled(TScrollBarKind::sbVertical, false);
        SetScrollInfo(TScrollBarKind::sbVertical, {0, 1, 2, 0}, false);
    }
}

int TRNScroller::ClampV(int p) const {
    // The upper bound is negative for a document shorter than the window: the position
    // stays 0 then.
    return std::max(0, std::min(p, vScrollMax_ - (vScrollPage_ - 1)));
}

int TRNScroller::GetVScrollMax() const {
    return vScrollMax_ - (vScrollPage_ - 1);
}

void TRNScroller::SetVPos(int p, bool redraw) {
    const int old = vPos_;
    vPos_ = ClampV(p);
    if (ScrollBarVisible(TScrollBarKind::sbVertical)) {
        SetScrollPos(TScrollBarKind::sbVertical, vPos_);
    }
    const int delta = old - vPos_;
    if (delta == 0) {
        return;
    }
    const int dy = delta * VSmallStep;
    if (!redraw) {
        ScrollChildren(0, dy);
    } else if (FullRedraw) {
        ScrollChildren(0, dy);
        Refresh();
    } else {
        const TRect client = ClientRect();
        ScrollWindowEx(0, dy, &client);
        ScrollChildren(0, dy);
        Update();
    }
    AfterVScroll();
}

void TRNScroller::SetHPos(int p) {
    const int old = hPos_;
    hPos_ = std::max(0, std::min(p, hScrollMax_ - (hScrollPage_ - 1)));
    if (ScrollBarVisible(TScrollBarKind::sbHorizontal)) {
        SetScrollPos(TScrollBarKind::sbHorizontal, hPos_);
    }
    const int dx = old - hPos_;
    if (dx == 0) {
        return;
    }
    if (FullRedraw) {
        ScrollChildren(dx, 0);
        Refresh();
    } else {
        const TRect client = ClientRect();
        ScrollWindowEx(dx, 0, &client);
        ScrollChildren(dx, 0);
        Update();
    }
    AfterHScroll();
}

void TRNScroller::ScrollChildren(int dx, int dy) {
    if (dx == 0 && dy == 0) {
        return;
    }
    for (QWidget* child : ChildWidgets()) {
        const int tag = WidgetTag(*child) + dy;
        SetWidgetTag(*child, tag);
        const int left = child->x() - ClientOrigin().x() + dx;
        child->move(QPoint(std::clamp(left, -MaxChildCoordinate, MaxChildCoordinate),
                           std::clamp(tag, -MaxChildCoordinate, MaxChildCoordinate)) +
                    ClientOrigin());
    }
}

void TRNScroller::SetVScrollVisible(bool visible) {
    if (vScrollVisible_ != visible) {
        vScrollVisible_ = visible;
        UpdateScrollBars(hScrollDocWidth_, vScrollDocHeight_, true, false);
    }
}

void TRNScroller::SetHScrollVisible(bool visible) {
    if (hScrollVisible_ != visible) {
        hScrollVisible_ = visible;
        UpdateScrollBars(hScrollDocWidth_, vScrollDocHeight_, true, true);
    }
}

void TRNScroller::SetBorderStyle(TBorderStyle style) {
    if (borderStyle_ != style) {
        borderStyle_ = style;
        SetClientEdge(style == TBorderStyle::bsSingle);
        Invalidate();
    }
}

void TRNScroller::SetDoInPaletteMode(TRNPaletteAction mode) {
    if (doInPaletteMode_ != mode) {
        doInPaletteMode_ = mode;
        UpdatePaletteInfo();
    }
}

void TRNScroller::AssignInplace(TRNScroller* editor) {
    if (inplaceEditor_ && inplaceEditor_ != editor) {
        DestroyInplace();
    }
    inplaceEditor_ = editor;
    if (editor) {
        SetWidgetTag(*editor, editor->y() - ClientOrigin().y());
    }
}

void TRNScroller::UnassignInplace(TRNScroller* editor) {
    if (inplaceEditor_ == editor) {
        inplaceEditor_ = nullptr;
    }
}

void TRNScroller::DestroyInplace() {
    TRNScroller* editor = inplaceEditor_;
    inplaceEditor_ = nullptr;
    delete editor;
}

std::vector<TRNPaletteEntry> TRNScroller::GenerateLogPalette() {
    static constexpr std::array<uint8_t, 6> Levels = {0, 51, 102, 153, 204, 255};
    std::vector<TRNPaletteEntry> entries;
    entries.reserve(216);
    for (uint8_t blue : Levels) {
        for (uint8_t green : Levels) {
            for (uint8_t red : Levels) {
                entries.push_back({red, green, blue, 0});
            }
        }
    }
    return entries;
}

void TRNScroller::AfterVScroll() {
    if (OnVScrolled) {
        OnVScrolled();
    }
}

void TRNScroller::Dispatch(TMessage& message) {
    const uint32_t code = static_cast<uint32_t>(message.WParam & 0xFFFF);
    // The position travels whole in lParam: a 16-bit thumb position would cut long
    // documents short.
    if (message.Msg == WM_VSCROLL) {
        VScroll(code, message.LParam);
    } else if (message.Msg == WM_HSCROLL) {
        HScroll(code, message.LParam);
    }
}

void TRNScroller::VScroll(uint32_t code, intptr_t position) {
    const int page = ClientHeight() / std::max(1, VSmallStep);
    switch (code) {
    case SB_LINEUP:
        SetVPos(vPos_ - 1, true);
        break;
    case SB_LINEDOWN:
        SetVPos(vPos_ + 1, true);
        break;
    case SB_PAGEUP:
        SetVPos(vPos_ - page, true);
        break;
    case SB_PAGEDOWN:
        SetVPos(vPos_ + page, true);
        break;
    case SB_THUMBPOSITION:
        SetVPos(static_cast<int>(position), true);
        break;
    case SB_THUMBTRACK:
        if (Tracking) {
            SetVPos(static_cast<int>(position), true);
        }
        break;
    case SB_TOP:
        SetVPos(0, true);
        break;
    case SB_BOTTOM:
        SetVPos(vScrollDocHeight_, true);
        break;
    default:
        break;
    }
}

void TRNScroller::HScroll(uint32_t code, intptr_t position) {
    switch (code) {
    case SB_LINEUP:
        SetHPos(hPos_ - VSmallStep);
        break;
    case SB_LINEDOWN:
        SetHPos(hPos_ + VSmallStep);
        break;
    case SB_PAGEUP:
        SetHPos(hPos_ - 10 * VSmallStep);
        break;
    case SB_PAGEDOWN:
        SetHPos(hPos_ + 10 * VSmallStep);
        break;
    case SB_THUMBPOSITION:
        SetHPos(static_cast<int>(position));
        break;
    case SB_THUMBTRACK:
        if (Tracking) {
            SetHPos(static_cast<int>(position));
        }
        break;
    case SB_TOP:
        SetHPos(0);
        break;
    case SB_BOTTOM:
        SetHPos(hScrollDocWidth_);
        break;
    default:
        break;
    }
}

void TRNScroller::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (!KeyboardScroll) {
        return;
    }
    struct Map {
        uint16_t Key;
        uint32_t Msg;
        uint32_t Code;
    };
    static constexpr Map Keys[] = {
        {VK_PRIOR, WM_VSCROLL, SB_PAGEUP}, {VK_NEXT, WM_VSCROLL, SB_PAGEDOWN},
        {VK_END, WM_VSCROLL, SB_BOTTOM},   {VK_HOME, WM_VSCROLL, SB_TOP},
        {VK_UP, WM_VSCROLL, SB_LINEUP},    {VK_DOWN, WM_VSCROLL, SB_LINEDOWN},
        {VK_LEFT, WM_HSCROLL, SB_LINEUP},  {VK_RIGHT, WM_HSCROLL, SB_LINEDOWN},
    };
    for (const Map& m : Keys) {
        if (key == m.Key) {
            Perform(m.Msg, m.Code, 0);
            return;
        }
    }
}

bool TRNScroller::DoMouseWheel(TShiftState shift, int delta, TPoint position) {
    const bool handled = TCustomControl::DoMouseWheel(shift, delta, position);
    if (WheelStep == 0) {
        return handled;
    }
    // Fine-grained wheels send parts of a notch: they add up to whole notches.
    wheelDelta_ += delta;
    const int notches = wheelDelta_ / 120;
    wheelDelta_ -= notches * 120;
    if (notches != 0) {
        SetVPos(vPos_ - notches * WheelStep, true);
    }
    return true;
}

void TRNScroller::DoEnter() {
    TCustomControl::DoEnter();
    if (inplaceEditor_) {
        inplaceEditor_->SetFocus();
    }
}
