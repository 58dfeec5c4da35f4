#include "controls/ShelfBar.h"

#include "controls/ShelfBarDropTarget.h"
#include "controls/ShelfBarEditors.h"
#include "controls/ShelfXPVS.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>

TPointerState CurrentPointerState() {
    QPoint pos = QCursor::pos();
    return {Point(pos.x(), pos.y()),
            (QGuiApplication::mouseButtons() & Qt::LeftButton) != Qt::NoButton};
}

TShelfBar::TShelfBar(QWidget* parent)
    : TCustomControl(parent), panels_(std::make_unique<TShelfPanels>(this)),
      scrollBar_(new TScrollBar(Qt::Vertical, this)) {
    scrollBar_->hide();
    scrollBar_->OnChange = [this] { Scroll(); };
    caption_.OnChange = [this] { Invalidate(); };
    caption_.OnShadeChange = [this] {
        ShadeHeader();
        Invalidate();
    };
    OnEnter = [this] { Invalidate(); };
    OnExit = [this] { Invalidate(); };
    resize(180, height());
    ShadeHeader();
}

TShelfBar::~TShelfBar() {
    // The editors go first: an edit ending now has no bar to report to.
    editing_ = false;
    editedItem_ = nullptr;
    editors_.reset();
    // Hosted controls may outlive the bar or go with it as its children: either way they no
    // longer report to it.
    for (const QMetaObject::Connection& watch : watches_) {
        QObject::disconnect(watch);
    }
    panels_.reset();
}

void TShelfBar::SetShelfPanels(const TShelfPanels& value) {
    panels_->Assign(value);
}

void TShelfBar::SetTopPanel(int index) {
    if (index < 0 || index >= panels_->Count()) {
        return;
    }
    topPanel_ = index;
    for (int i = 0; i < panels_->Count(); ++i) {
        (*panels_)[i].SetOpen(false);
    }
    (*panels_)[index].SetOpen(true);
    ArrangeOpenClose();
    Invalidate();
}

void TShelfBar::SetMode(TShelfBarMode mode) {
    if (mode == TShelfBarMode::imMultiPanelActive) {
        lastOpen_ = 0;
        firstOpen_ = 0;
        for (int i = 0; i < panels_->Count(); ++i) {
            (*panels_)[i].SetOpen(i == 0);
        }
    } else {
        scrollBar_->hide();
    }
    mode_ = mode;
    ArrangeOpenClose();
    Invalidate();
}

void TShelfBar::SetImages(const TImageList* images) {
    images_ = images;
    Invalidate();
}

void TShelfBar::SetFlat(bool value) {
    flat_ = value;
    Invalidate();
}

void TShelfBar::SetAcceptFiles(bool value) {
    acceptFiles_ = value;
    setAcceptDrops(acceptFiles_ || oleDropTarget_);
}

void TShelfBar::SetOleDropTarget(bool value) {
    oleDropTarget_ = value;
    if (!value) {
        dropTarget_.reset();
    } else if (!dropTarget_) {
        dropTarget_ = std::make_unique<TShelfBarDropTarget>(*this);
    }
    setAcceptDrops(acceptFiles_ || oleDropTarget_);
}

// ---- geometry

TRect TShelfBar::OpenAreaRect() const {
    const int ch = CaptionHeight();
    const int n = panels_->Count();
    return Rect(0, (topPanel_ + 1) * ch, width(), height() - (n - 1 - topPanel_) * ch);
}

int TShelfBar::MultiCaptionTop(int index) const {
    int y = -scrollBar_->Position();
    for (int i = 0; i < index && i < panels_->Count(); ++i) {
        const TShelfPanel& p = (*panels_)[i];
        y += CaptionHeight();
        if (p.Open()) {
            y += p.Items().Count() * p.ItemHeight();
        }
    }
    return y;
}

TRect TShelfBar::GetCaptionRect(const TShelfPanel* panel) const {
    if (!panel) {
        return {};
    }
    const int ch = CaptionHeight();
    const int i = panel->Index();
    int top;
    if (mode_ == TShelfBarMode::imMultiPanelActive) {
        top = MultiCaptionTop(i);
    } else if (i <= topPanel_) {
        top = i * ch;
    } else {
        top = height() - (panels_->Count() - i) * ch;
    }
    return Rect(0, top, width(), top + ch);
}

TRect TShelfBar::GetItemRect(const TShelfPanel* panel, const TShelfItem* item) const {
    if (!panel || !item) {
        return {};
    }
    const int ih = panel->ItemHeight();
    if (mode_ == TShelfBarMode::imSinglePanelActive) {
        int top = (topPanel_ + 1) * CaptionHeight() + (item->Index() - panel->TopItem()) * ih;
        return Rect(0, top, width(), top + ih);
    }
    if (!panel->Open() || panel->Items().Count() == 0) {
        return {};
    }
    int top = MultiCaptionTop(panel->Index()) + CaptionHeight() + item->Index() * ih;
    return Rect(0, top, ShelfWidth(), top + ih);
}

int TShelfBar::ShelfWidth() const {
    int w = width();
    if (ScrollBarShown()) {
        w -= scrollBar_->width();
    }
    if (mode_ == TShelfBarMode::imSinglePanelActive && (scrollUp_ || scrollDown_)) {
        w -= 20;
    }
    return w;
}

// ---- hit tests

TShelfPanel* TShelfBar::GetCaption(int, int y) const {
    for (int i = 0; i < panels_->Count(); ++i) {
        TRect r = GetCaptionRect(&(*panels_)[i]);
        if (y >= r.Top && y <= r.Bottom) {
            return &(*panels_)[i];
        }
    }
    return nullptr;
}

TShelfPanel* TShelfBar::GetPanel(int x, int y) const {
    if (TShelfPanel* panel = GetCaption(x, y)) {
        return panel;
    }
    if (panels_->Count() == 0) {
        return nullptr;
    }
    if (mode_ == TShelfBarMode::imSinglePanelActive) {
        TRect area = OpenAreaRect();
        return y > area.Top && y < area.Bottom ? &(*panels_)[topPanel_] : nullptr;
    }
    for (int i = 0; i < panels_->Count(); ++i) {
        TShelfPanel& p = (*panels_)[i];
        int top = MultiCaptionTop(i) + CaptionHeight();
        if (p.Open() && y > top && y < top + p.Items().Count() * p.ItemHeight()) {
            return &p;
        }
    }
    return nullptr;
}

TShelfItem* TShelfBar::GetItem(int x, int y) const {
    if (panels_->Count() == 0) {
        return nullptr;
    }
    if (mode_ == TShelfBarMode::imSinglePanelActive) {
        TRect area = OpenAreaRect();
        if (y <= area.Top || y >= area.Bottom || x < 1 || x >= width()) {
            return nullptr;
        }
        TShelfPanel& panel = (*panels_)[topPanel_];
        int index = (y - area.Top) / panel.ItemHeight() + panel.TopItem();
        return index < panel.Items().Count() ? &panel.Items()[index] : nullptr;
    }
    int top = -scrollBar_->Position();
    for (int i = 0; i < panels_->Count(); ++i) {
        TShelfPanel& panel = (*panels_)[i];
        top += CaptionHeight();
        if (!panel.Open()) {
            continue;
        }
        for (int j = 0; j < panel.Items().Count(); ++j) {
            if (y > top && y < top + panel.ItemHeight()) {
                return &panel.Items()[j];
            }
            top += panel.ItemHeight();
        }
    }
    return nullptr;
}

bool TShelfBar::GetPanelItemAtXY(int x, int y, TShelfPanel*& panel, TShelfItem*& item) const {
    item = GetItem(x, y);
    panel = item ? item->GetShelfPanel() : nullptr;
    return item != nullptr;
}

bool TShelfBar::IsPanelItemAtXY(int x, int y) const {
    return GetItem(x, y) != nullptr;
}

bool TShelfBar::GetPanelAtXY(int x, int y, TShelfPanel*& panel) const {
    panel = GetPanel(x, y);
    return panel != nullptr;
}

// ---- open panels and hosted controls

void TShelfBar::ArrangeOpenClose() {
    lastOpen_ = -1;
    firstOpen_ = -1;
    for (int i = 0; i < panels_->Count(); ++i) {
        if ((*panels_)[i].Open()) {
            if (firstOpen_ < 0) {
                firstOpen_ = i;
            }
            lastOpen_ = i;
        }
    }
    if (mode_ == TShelfBarMode::imMultiPanelActive) {
        lastOpen_ = -1;
        int total = 0;
        for (int i = 0; i < panels_->Count(); ++i) {
            const TShelfPanel& p = (*panels_)[i];
            total += CaptionHeight() + (p.Open() ? p.Items().Count() * p.ItemHeight() : 0);
        }
        if (total > height()) {
            scrollBar_->SetMax(total - height());
            scrollBar_->SetLargeChange(100);
            PlaceScrollBar();
            scrollBar_->show();
        } else {
            // Nothing to scroll: the content starts at the top again.
            scrollBar_->hide();
            scrollBar_->SetPosition(0);
        }
    }
    ArrangeControls();
}

void TShelfBar::ArrangeControls() {
    const int ch = CaptionHeight();
    const int n = panels_->Count();
    for (int i = 0; i < n; ++i) {
        TShelfPanel& panel = (*panels_)[i];
        QWidget* control = panel.Control();
        if (!control) {
            continue;
        }
        QRect place;
        if (mode_ == TShelfBarMode::imMultiPanelActive) {
            if (panel.Open()) {
                int w = width() - (ScrollBarShown() ? scrollBar_->width() : 0);
                place = QRect(0, GetCaptionRect(&panel).Bottom, w,
                              panel.Items().Count() * panel.ItemHeight());
            }
        } else if (i == topPanel_) {
            place = QRect(0, (topPanel_ + 1) * ch, width(), std::max(0, height() - n * ch));
        }
        control->setGeometry(place.x(), place.y(), std::max(0, place.width()),
                             std::max(0, place.height()));
        control->setVisible(place.width() > 0 && place.height() > 0);
    }
}

void TShelfBar::WatchControl(QWidget* control) {
    watches_.push_back(QObject::connect(control, &QObject::destroyed, this, [this](QObject* gone) {
        for (int i = 0; i < panels_->Count(); ++i) {
            TShelfPanel& panel = (*panels_)[i];
            if (panel.HostsControl() &&
                (!panel.Control() || static_cast<QObject*>(panel.Control()) == gone)) {
                panel.SetControl(nullptr);
            }
        }
    }));
}

void TShelfBar::PlaceScrollBar() {
    scrollBar_->setGeometry(width() - ScrollBarWidth, 0, ScrollBarWidth, height());
}

// ---- events

void TShelfBar::ItemClicked(TMouseButton button, TShelfPanel* panel, TShelfItem* item) {
    if (button == TMouseButton::mbLeft) {
        if (OnItemClick) {
            OnItemClick(*this, panel, item);
        }
        if (item && !item->URL().empty()) {
            bool defaultHandler = true;
            if (OnURLClick) {
                OnURLClick(*this, item->URL(), defaultHandler);
            }
            if (defaultHandler && ShellOpen) {
                ShellOpen(item->URL());
            }
        }
    } else if (button == TMouseButton::mbRight) {
        if (OnItemRightClick) {
            OnItemRightClick(*this, panel, item);
        }
    }
}

void TShelfBar::PanelOpened(TShelfPanel* panel) {
    if (OnPanelOpen) {
        OnPanelOpen(*this, panel);
    }
}

void TShelfBar::PanelClosed(TShelfPanel* panel) {
    if (OnPanelClose) {
        OnPanelClose(*this, panel);
    }
}

void TShelfBar::InvalidateItem(TShelfPanel* panel, TShelfItem* item) {
    if (!panel) {
        return;
    }
    bool shown =
        mode_ == TShelfBarMode::imMultiPanelActive ? panel->Open() : panel->Index() == topPanel_;
    if (shown) {
        InvalidateRect(GetItemRect(panel, item));
    }
}

void TShelfBar::HidePopup() {
    QMetaObject::invokeMethod(
        this, [this] { setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

bool TShelfBar::DoVisualStyles() const {
    return IsThemeActive();
}

void TShelfBar::Scroll() {
    Invalidate();
    ArrangeControls();
}

void TShelfBar::Resize() {
    TCustomControl::Resize();
    if (width() != lastWidth_) {
        ShadeHeader();
    }
    lastWidth_ = width();
    PlaceScrollBar();
    ArrangeControls();
}

// ---- changes reported by the panels

void TShelfBar::PanelDeleting(int index) {
    hoverItem_ = nullptr;
    hoverCaption_ = -1;
    // The open panel stays the same panel when one before it goes; when the open one goes,
    // the one before it opens.
    if (index < topPanel_ || (index == topPanel_ && index > 0)) {
        --topPanel_;
    }
}

void TShelfBar::PanelsRemoved() {
    topPanel_ = std::clamp(topPanel_, 0, std::max(0, panels_->Count() - 1));
    ArrangeOpenClose();
    Invalidate();
}

void TShelfBar::ItemDestroying(TShelfItem* item) {
    hoverItem_ = nullptr;
    hoverCaption_ = -1;
    if (item == editedItem_) {
        editing_ = false;
        editedItem_ = nullptr;
        if (editors_) {
            editors_->HideAll();
        }
    }
}

void TShelfBar::ShadeHeader() {
    static std::mt19937 random(
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const int w = width();
    const int h = caption_.Height();
    std::vector<uint32_t> pixels;
    ::ShadeHeader(pixels, w, h, ColorToRGB(caption_.Color()), caption_.ShadeType(),
                  caption_.ShadeLight(), caption_.ShadeGrain(), random);
    if (pixels.empty()) {
        shade_ = QImage();
        return;
    }
    shade_ = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * w, w,
                    reinterpret_cast<uint32_t*>(shade_.scanLine(y)));
    }
}
