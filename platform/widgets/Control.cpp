#include "platform/widgets/Control.h"

#include <QInputMethodEvent>

#include "platform/graphics/Edges.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/widgets/ScrollBar.h"

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cstdio>
#include <utility>

namespace {

std::function<void(const std::exception&)>& ExceptionHandler() {
    static std::function<void(const std::exception&)> handler;
    return handler;
}

// How the event whose exception is being handled comes. The handler may be reached again from
// an event its box serves: each handling puts the outer one back when it ends.
TEventRecurrence handledRecurrence = TEventRecurrence::Once;

class TRecurrenceHandled {
public:
    explicit TRecurrenceHandled(TEventRecurrence recurrence)
        : outer_(std::exchange(handledRecurrence, recurrence)) {}
    ~TRecurrenceHandled() { handledRecurrence = outer_; }
    TRecurrenceHandled(const TRecurrenceHandled&) = delete;
    TRecurrenceHandled& operator=(const TRecurrenceHandled&) = delete;

private:
    TEventRecurrence outer_;
};

// How long the strips a scroll paints must rest before the whole view is painted again for the
// pictures they drew smaller than shown: longer than the gap between a wheel's notches.
constexpr int WholePaintAfterScrollMillis = 300;

int Index(TScrollBarKind kind) {
    return kind == TScrollBarKind::sbVertical ? 1 : 0;
}

} // namespace

void SetApplicationExceptionHandler(std::function<void(const std::exception&)> handler) {
    ExceptionHandler() = std::move(handler);
}

void HandleApplicationException(const std::exception& error, TEventRecurrence recurrence) {
    if (!ExceptionHandler()) {
        std::fprintf(stderr, "%s\n", error.what());
        return;
    }
    const TRecurrenceHandled handled(recurrence);
    ExceptionHandler()(error);
}

TEventRecurrence ApplicationExceptionRecurrence() {
    return handledRecurrence;
}

TCustomControl::TCustomControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    for (TScrollBarKind kind : {TScrollBarKind::sbHorizontal, TScrollBarKind::sbVertical}) {
        auto* bar = new QScrollBar(
            kind == TScrollBarKind::sbVertical ? Qt::Vertical : Qt::Horizontal, this);
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, kind](int action) { Guard([&] { ScrollAction(kind, action); }); });
        connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind] {
            Guard([&] {
                int pos = Bar(kind)->sliderPosition();
                uint32_t msg = kind == TScrollBarKind::sbVertical ? WM_VSCROLL : WM_HSCROLL;
                Perform(msg, SB_THUMBPOSITION | static_cast<uint32_t>(pos & 0xFFFF) << 16, pos);
                Perform(msg, SB_ENDSCROLL, pos);
            });
        });
        bars_[Index(kind)] = bar;
    }
}

TCustomControl::~TCustomControl() = default;

QScrollBar* TCustomControl::Bar(TScrollBarKind kind) const {
    return bars_[Index(kind)];
}

int TCustomControl::ClientWidth() const {
    int w = width() - 2 * edgeWidth_ -
            (barVisible_[1] ? Bar(TScrollBarKind::sbVertical)->sizeHint().width() : 0);
    return std::max(0, w);
}

int TCustomControl::ClientHeight() const {
    int h = height() - 2 * edgeWidth_ -
            (barVisible_[0] ? Bar(TScrollBarKind::sbHorizontal)->sizeHint().height() : 0);
    return std::max(0, h);
}

TPoint TCustomControl::ClientToScreen(TPoint p) const {
    QPoint g = mapToGlobal(QPoint(p.X, p.Y) + ClientOrigin());
    return {g.x(), g.y()};
}

TPoint TCustomControl::ScreenToClient(TPoint p) const {
    QPoint l = mapFromGlobal(QPoint(p.X, p.Y)) - ClientOrigin();
    return {l.x(), l.y()};
}

void TCustomControl::FitSurface() {
    QSize size(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    if (surface_.size() == size) {
        return;
    }
    QImage fresh(size, QImage::Format_RGB32);
    uint32_t rgb = DrawnRGB(color_);
    fresh.fill(qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    if (!surface_.isNull()) {
        QPainter p(&fresh);
        p.drawImage(0, 0, surface_);
    }
    surface_ = std::move(fresh);
    invalid_ = QRegion(0, 0, size.width(), size.height());
}

TCanvas& TCustomControl::Canvas() {
    if (!canvas_) {
        FitSurface();
        canvas_ = std::make_unique<TQtCanvas>(&surface_);
        canvas_->OnDrawn = [this] {
            if (!painting_) {
                update();
            }
        };
    }
    return *canvas_;
}

void TCustomControl::SetColor(TColor color) {
    if (color_ != color) {
        color_ = color;
        Invalidate();
    }
}

void TCustomControl::SetCursor(TCursor cursor) {
    normalCursor_ = cursor;
    ShowCursor(cursor);
}

void TCustomControl::ShowCursor(TCursor cursor) {
    cursor_ = cursor;
    if (cursor == crDefault) {
        unsetCursor();
    } else {
        setCursor(CursorFor(cursor));
    }
}

bool TCustomControl::TabStop() const {
    return focusPolicy() & Qt::TabFocus;
}

void TCustomControl::SetTabStop(bool tabStop) {
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TCustomControl::SetHint(const std::string& hint) {
    setToolTip(QString::fromUtf8(hint.c_str()));
}

void TCustomControl::Invalidate() {
    InvalidateRect(ClientRect());
}

void TCustomControl::InvalidateRect(const TRect& r) {
    QRect rect(r.Left, r.Top, r.Width(), r.Height());
    invalid_ += rect.intersected(QRect(0, 0, ClientWidth(), ClientHeight()));
    update(rect.translated(ClientOrigin()));
}

void TCustomControl::Update() {
    if (!invalid_.isEmpty()) {
        repaint(invalid_.boundingRect().translated(ClientOrigin()));
    }
}

intptr_t TCustomControl::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TMessage message{msg, wParam, lParam, 0};
    Dispatch(message);
    return message.Result;
}

void TCustomControl::PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    ::PostMessage(this, msg, wParam, lParam);
}

void TCustomControl::SetTimer(uint32_t id, int milliseconds) {
    KillTimer(id);
    int qtId = startTimer(std::max(1, milliseconds));
    if (qtId != 0) {
        timers_[qtId] = id;
    }
}

void TCustomControl::KillTimer(uint32_t id) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second == id) {
            killTimer(it->first);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void TCustomControl::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info, bool visible) {
    QScrollBar* bar = Bar(kind);
    QSignalBlocker block(bar);
    bar->setEnabled(visible);
    visible = visible || keepDisabled_[Index(kind)];
    int page = std::max(0, info.Page);
    bar->setRange(info.Min, std::max(info.Min, info.Max - std::max(0, page - 1)));
    bar->setPageStep(std::max(1, page));
    bar->setValue(info.Pos);
    if (barVisible_[Index(kind)] != visible) {
        barVisible_[Index(kind)] = visible;
        LayoutScrollBars();
        Guard([this] { Resize(); });
    }
}

TScrollInfo TCustomControl::GetScrollInfo(TScrollBarKind kind) const {
    QScrollBar* bar = Bar(kind);
    int page = bar->pageStep();
    return {bar->minimum(), bar->maximum() + page - 1, page, bar->value()};
}

void TCustomControl::SetScrollPos(TScrollBarKind kind, int position) {
    QSignalBlocker block(Bar(kind));
    Bar(kind)->setValue(position);
}

bool TCustomControl::ScrollBarVisible(TScrollBarKind kind) const {
    return barVisible_[Index(kind)];
}

bool TCustomControl::ScrollBarEnabled(TScrollBarKind kind) const {
    return barVisible_[Index(kind)] && Bar(kind)->isEnabled();
}

void TCustomControl::SetScrollBarKeepDisabled(TScrollBarKind kind, bool keep) {
    keepDisabled_[Index(kind)] = keep;
}

void TCustomControl::ScrollWindowEx(int dx, int dy, const TRect* rect) {
    Canvas();
    FitSurface();
    const QRect area = (rect ? QRect(rect->Left, rect->Top, rect->Width(), rect->Height())
                             : QRect(0, 0, ClientWidth(), ClientHeight()))
                           .intersected(surface_.rect());
    if (area.isEmpty() || (dx == 0 && dy == 0)) {
        return;
    }
    const QRect moved = area.translated(dx, dy).intersected(area);
    if (!moved.isEmpty()) {
        const QImage part = surface_.copy(moved.translated(-dx, -dy));
        QPainter p(&surface_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(moved.topLeft(), part);
    }
    // What was already waiting for Paint inside the area moves with its pixels.
    invalid_ = invalid_.subtracted(area) +
               invalid_.intersected(area).translated(dx, dy).intersected(area) +
               QRegion(area).subtracted(QRegion(moved));
    if (!rect) {
        for (QWidget* child : ChildWidgets()) {
            child->move(child->pos() + QPoint(dx, dy));
        }
    }
    update(area.translated(ClientOrigin()));
}

std::vector<QWidget*> TCustomControl::ChildWidgets() const {
    std::vector<QWidget*> children;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != bars_[0] && child != bars_[1]) {
            children.push_back(child);
        }
    }
    return children;
}

bool TCustomControl::FocusNextInTabOrder(bool backward) {
    QWidget* w = this;
    for (;;) {
        w = backward ? w->previousInFocusChain() : w->nextInFocusChain();
        if (!w || w == this) {
            return false;
        }
        if (isAncestorOf(w) || w->window() != window()) {
            continue;
        }
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible()) {
            w->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
    }
}

void TCustomControl::GenerateMouseMove() {
    const QPoint p = mapFromGlobal(QCursor::pos()) - ClientOrigin();
    Guard([&] { MouseMove(ShiftStateOf(QGuiApplication::keyboardModifiers()), p.x(), p.y()); });
}

void TCustomControl::LayoutScrollBars() {
    QScrollBar* v = Bar(TScrollBarKind::sbVertical);
    QScrollBar* h = Bar(TScrollBarKind::sbHorizontal);
    int vw = v->sizeHint().width();
    int hh = h->sizeHint().height();
    const int e = edgeWidth_;
    v->setVisible(barVisible_[1]);
    h->setVisible(barVisible_[0]);
    if (barVisible_[1]) {
        v->setGeometry(width() - e - vw, e, vw, height() - 2 * e - (barVisible_[0] ? hh : 0));
    }
    if (barVisible_[0]) {
        h->setGeometry(e, height() - e - hh, width() - 2 * e - (barVisible_[1] ? vw : 0), hh);
    }
    FitSurface();
    update();
}

void TCustomControl::SetClientEdge(bool edge) {
    const int width = edge ? 2 : 0;
    if (edgeWidth_ == width) {
        return;
    }
    const QPoint shift = QPoint(width, width) - ClientOrigin();
    edgeWidth_ = width;
    // Children keep their client positions.
    for (QWidget* child : ChildWidgets()) {
        child->move(child->pos() + shift);
    }
    LayoutScrollBars();
    invalid_ = QRegion(0, 0, ClientWidth(), ClientHeight());
    Guard([this] { Resize(); });
}

void TCustomControl::ScrollAction(TScrollBarKind kind, int action) {
    QScrollBar* bar = Bar(kind);
    TScrollCode scrollCode;
    if (!ScrollCodeOf(action, scrollCode)) {
        return;
    }
    uint32_t code = static_cast<uint32_t>(scrollCode);
    int pos = bar->sliderPosition();
    if (code != SB_THUMBTRACK) {
        // The control decides where the bar goes.
        bar->setSliderPosition(bar->value());
        pos = bar->value();
    }
    uint32_t msg = kind == TScrollBarKind::sbVertical ? WM_VSCROLL : WM_HSCROLL;
    Perform(msg, code | static_cast<uint32_t>(pos & 0xFFFF) << 16, pos);
}

void GuardEvent(const std::function<void()>& handler, TEventRecurrence recurrence) {
    try {
        handler();
    } catch (const std::exception& error) {
        HandleApplicationException(error, recurrence);
    }
}

void TCustomControl::Guard(const std::function<void()>& handler, TEventRecurrence recurrence) {
    GuardEvent(handler, painting_ ? TEventRecurrence::Repeats : recurrence);
}

void TCustomControl::Paint() {
    Canvas().Brush().SetColor(color_);
    Canvas().FillRect(ClientRect());
}

void TCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) {
        OnMouseDown(button, shift, x, y);
    }
}

void TCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) {
        OnMouseUp(button, shift, x, y);
    }
}

void TCustomControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) {
        OnMouseMove(shift, x, y);
    }
}

void TCustomControl::Click() {
    if (OnClick) {
        OnClick();
    }
}

void TCustomControl::DblClick() {
    if (OnDblClick) {
        OnDblClick();
    }
}

bool TCustomControl::DoMouseWheel(TShiftState shift, int delta, TPoint position) {
    bool handled = false;
    if (OnMouseWheel) {
        OnMouseWheel(shift, delta, position, handled);
    }
    return handled;
}

void TCustomControl::KeyDown(uint16_t& key, TShiftState shift) {
    if (OnKeyDown) {
        OnKeyDown(key, shift);
    }
}

void TCustomControl::KeyUp(uint16_t& key, TShiftState shift) {
    if (OnKeyUp) {
        OnKeyUp(key, shift);
    }
}

void TCustomControl::KeyPress(char16_t& key) {
    if (OnKeyPress) {
        OnKeyPress(key);
    }
}

void TCustomControl::DoEnter() {
    if (OnEnter) {
        OnEnter();
    }
}

void TCustomControl::DoExit() {
    if (OnExit) {
        OnExit();
    }
}

void TCustomControl::Resize() {
    if (OnResize) {
        OnResize();
    }
}

void TCustomControl::Dispatch(TMessage&) {}

bool TCustomControl::event(QEvent* e) {
    if (e->type() == TMessageEvent::EventType()) {
        TMessage message = static_cast<TMessageEvent*>(e)->Message();
        Guard([&] { Dispatch(message); });
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        const uint16_t vk = VirtualKeyOf(key->key());
        if (vk != 0 && ClaimsShortcut(vk, ShiftStateOf(key->modifiers()))) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

void TCustomControl::paintEvent(QPaintEvent* e) {
    TCanvas& canvas = Canvas();
    FitSurface();
    if (!invalid_.isEmpty()) {
        QRegion region = invalid_;
        invalid_ = QRegion();
        painting_ = true;
        canvas.Font().Assign(font_);
        canvas.Brush().SetColor(color_);
        canvas.SetClipRegion(region);
        {
            // The pictures not ready are drawn as their frames; the viewer hears when they are.
            const bool wholeView =
                QRegion(0, 0, ClientWidth(), ClientHeight()).subtracted(region).isEmpty();
            const TPictureShowing showing(PictureViewer(), wholeView);
            Guard([this] { Paint(); });
            if (wholeView) {
                wholePaintDue_.stop();
            } else if (showing.PicturesSmaller() > 0) {
                wholePaintDue_.start(WholePaintAfterScrollMillis, this);
            }
        }
        canvas.RemoveClip();
        painting_ = false;
    }
    QPainter painter(this);
    QRect r = e->rect().translated(-ClientOrigin()).intersected(surface_.rect());
    painter.drawImage(r.topLeft() + ClientOrigin(), surface_, r);
    if (caret_) {
        painter.save();
        painter.translate(ClientOrigin());
        caret_->PaintOver(painter);
        painter.restore();
    }
    if (edgeWidth_ > 0) {
        TQtCanvas frame(&painter, {width(), height()}, 96, 96);
        TRect bounds = Rect(0, 0, width(), height());
        DrawEdge(frame, bounds, EDGE_SUNKEN, BF_RECT);
    }
}

TPictureViewer& TCustomControl::PictureViewer() {
    if (!pictureViewer_) {
        // Told on this thread, from the event loop, and never once the control is gone: the
        // whole view is painted again, and asks for what it still shows.
        pictureViewer_ = std::make_unique<TPictureViewer>([this] { Invalidate(); });
    }
    return *pictureViewer_;
}

TControlCaret& TCustomControl::Caret() {
    if (!caret_) {
        caret_ = std::make_unique<TControlCaret>(*this, [this] {
            const QPoint origin = ClientOrigin();
            return TPoint{origin.x(), origin.y()};
        });
    }
    return *caret_;
}

void TCustomControl::resizeEvent(QResizeEvent*) {
    LayoutScrollBars();
    invalid_ = QRegion(0, 0, ClientWidth(), ClientHeight());
    Guard([this] { Resize(); });
}

void TCustomControl::mousePressEvent(QMouseEvent* e) {
    QPoint p = e->position().toPoint() - ClientOrigin();
    if (e->button() == Qt::LeftButton) {
        clicked_ = true;
    }
    Guard([&] {
        MouseDown(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()), p.x(),
                  p.y());
    });
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* e) {
    QPoint p = e->position().toPoint() - ClientOrigin();
    Guard([&] {
        if (e->button() == Qt::LeftButton && clicked_) {
            clicked_ = false;
            if (PtInRect(ClientRect(), {p.x(), p.y()})) {
                Click();
            }
        }
        MouseUp(MouseButtonOf(e->button()), ShiftStateOf(e->modifiers(), e->buttons()), p.x(),
                p.y());
    });
}

void TCustomControl::mouseDoubleClickEvent(QMouseEvent* e) {
    QPoint p = e->position().toPoint() - ClientOrigin();
    clicked_ = false;
    Guard([&] {
        if (e->button() == Qt::LeftButton) {
            DblClick();
        }
        TShiftState shift = ShiftStateOf(e->modifiers(), e->buttons());
        shift.Include(TShiftStateItem::ssDouble);
        MouseDown(MouseButtonOf(e->button()), shift, p.x(), p.y());
    });
}

void TCustomControl::mouseMoveEvent(QMouseEvent* e) {
    QPoint p = e->position().toPoint() - ClientOrigin();
    Guard([&] { MouseMove(ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
}

void TCustomControl::wheelEvent(QWheelEvent* e) {
    QPoint p = e->position().toPoint() - ClientOrigin();
    bool handled = false;
    Guard([&] {
        handled = DoMouseWheel(ShiftStateOf(e->modifiers(), e->buttons()), e->angleDelta().y(),
                               {p.x(), p.y()});
    });
    e->setAccepted(handled);
}

void TCustomControl::keyPressEvent(QKeyEvent* e) {
    uint16_t key = VirtualKeyOf(e->key());
    TShiftState shift = ShiftStateOf(e->modifiers());
    Guard([&] {
        if (key != 0) {
            KeyDown(key, shift);
            if (key == 0) {
                return;
            }
        }
        const QString text = e->text();
        if (!text.isEmpty()) {
            KeyText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                        static_cast<size_t>(text.size())));
        }
    });
}

void TCustomControl::KeyText(std::u16string_view text) {
    for (char16_t c : text) {
        KeyPress(c);
    }
}

bool TCustomControl::ClaimsShortcut(uint16_t, TShiftState) {
    return false;
}

void TCustomControl::ImeInput(std::u16string_view, std::u16string_view) {}

TRect TCustomControl::ImeCursorRect() const {
    return Rect(0, 0, 0, 0);
}

namespace {

std::u16string_view Utf16View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

} // namespace

void TCustomControl::inputMethodEvent(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    const QString preedit = e->preeditString();
    Guard([&] { ImeInput(Utf16View(commit), Utf16View(preedit)); });
    e->accept();
}

QVariant TCustomControl::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle: {
        const TRect r = ImeCursorRect();
        return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top).translated(ClientOrigin());
    }
    case Qt::ImFont:
        return font();
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void TCustomControl::keyReleaseEvent(QKeyEvent* e) {
    uint16_t key = VirtualKeyOf(e->key());
    if (key != 0) {
        Guard([&] { KeyUp(key, ShiftStateOf(e->modifiers())); });
    }
}

void TCustomControl::focusInEvent(QFocusEvent*) {
    if (caret_) {
        caret_->Invalidate();
    }
    Guard([this] { DoEnter(); });
}

void TCustomControl::focusOutEvent(QFocusEvent*) {
    if (caret_) {
        caret_->Invalidate();
    }
    Guard([this] { DoExit(); });
}

void TCustomControl::enterEvent(QEnterEvent*) {
    Guard([this] { MouseEnter(); });
}

void TCustomControl::leaveEvent(QEvent*) {
    Guard([this] { MouseLeave(); });
}

void TCustomControl::timerEvent(QTimerEvent* e) {
    if (e->timerId() == wholePaintDue_.timerId()) {
        wholePaintDue_.stop();
        Invalidate();
        return;
    }
    auto it = timers_.find(e->timerId());
    if (it == timers_.end()) {
        QWidget::timerEvent(e);
        return;
    }
    uint32_t id = it->second;
    Guard([&] { Perform(WM_TIMER, id, 0); }, TEventRecurrence::Repeats);
}
