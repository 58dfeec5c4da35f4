#pragma once

// The base of the program's own drawn controls, on a QWidget. The control keeps a surface of
// its client size: its canvas draws there at any time, so that figures drawn between paint
// cycles (XOR lines, focus rectangles, immediate refreshes) show and stay exactly as drawn.
// Invalidated parts are redrawn by Paint (with the canvas clipped to them) when Qt paints;
// every paint shows the surface. A paint draws only the pictures that are ready and the frames of
// the others, which are prepared beside the window (PictureShowing.h): as they become ready the
// control is painted again, from the event loop.
//
// Qt's events arrive as the framework's handlers (MouseDown, KeyDown, DoEnter ...) with
// shift states and virtual keys; posted and sent window messages arrive at Dispatch; window
// timers arrive as WM_TIMER. No exception leaves a handler: it goes to the application's
// exception handler.

#include "platform/graphics/QtCanvas.h"
#include "platform/widgets/Caret.h"
#include "platform/widgets/Cursors.h"
#include "platform/widgets/Input.h"
#include "platform/widgets/Messages.h"

#include <QBasicTimer>
#include <QWidget>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

class QScrollBar;
class TPictureViewer;

// How an event comes: once, for what the user or a command did, or again and again by itself
// (a paint, a timer). An error from the latter, shown from inside the event, would be raised
// again by the next one at once, and the next, while its box is up.
enum class TEventRecurrence { Once, Repeats };

// Where exceptions from event handlers go (the main window shows them in a message box);
// without one they are logged.
void SetApplicationExceptionHandler(std::function<void(const std::exception&)> handler);
void HandleApplicationException(const std::exception& error,
                                TEventRecurrence recurrence = TEventRecurrence::Once);
// While the handler above runs: how the event that raised the exception comes.
TEventRecurrence ApplicationExceptionRecurrence();
// Runs an event or command handler; what it throws goes to the handler above, never into the
// event loop.
void GuardEvent(const std::function<void()>& handler,
                TEventRecurrence recurrence = TEventRecurrence::Once);

enum class TScrollBarKind { sbHorizontal, sbVertical };

// A window scroll bar's range as the control sets it: positions Min .. Max - Page + 1.
struct TScrollInfo {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
};

class TCustomControl : public QWidget {
public:
    explicit TCustomControl(QWidget* parent = nullptr);
    ~TCustomControl() override;

    void SetBounds(int left, int top, int width, int height) {
        setGeometry(left, top, width, height);
    }
    // The area inside the control's own scroll bars.
    int ClientWidth() const;
    int ClientHeight() const;
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    // Draws on the surface; outside Paint the drawing shows at the next screen update.
    TCanvas& Canvas();
    // Given to the canvas before each Paint.
    TFont& Font() { return font_; }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // The cursor shown now. SetCursor also makes it the control's own cursor, the one it
    // goes back to; ShowCursor shows one for the moment (a hand over a link).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    void ShowCursor(TCursor cursor);
    TCursor NormalCursor() const { return normalCursor_; }
    bool TabStop() const;
    void SetTabStop(bool tabStop);
    bool CanFocus() const { return isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus; }
    bool Focused() const { return hasFocus(); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    void SetHint(const std::string& hint);
    // The text caret, drawn over the surface after each paint.
    TControlCaret& Caret();

    void Invalidate();
    // Marks a part for Paint; the surface keeps its other pixels.
    void InvalidateRect(const TRect& r);
    // Paints what is invalid now, without waiting for the event loop.
    void Update();
    void Refresh() {
        Invalidate();
        Update();
    }
    void Repaint() { Refresh(); }

    // Runs Dispatch now and returns the message's result.
    intptr_t Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void PostMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // WM_TIMER with `id` in wParam every `milliseconds`; setting an id again restarts it.
    void SetTimer(uint32_t id, int milliseconds);
    void KillTimer(uint32_t id);

    // The control's own scroll bars. Using one sends WM_VSCROLL or WM_HSCROLL with the code
    // in the low word of wParam and the position in lParam; the bar moves only when the
    // control sets it, as Windows scroll bars do.
    void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info, bool visible);
    TScrollInfo GetScrollInfo(TScrollBarKind kind) const;
    void SetScrollPos(TScrollBarKind kind, int position);
    bool ScrollBarVisible(TScrollBarKind kind) const;
    bool ScrollBarEnabled(TScrollBarKind kind) const;
    // With the flag, a bar that SetScrollInfo would hide stays shown, disabled.
    void SetScrollBarKeepDisabled(TScrollBarKind kind, bool keep);

    // Moves the surface pixels inside `rect` (the client area when null) by (dx, dy) and
    // marks the strip they uncover for Paint. Without a rectangle the child widgets move
    // with the pixels; with one they stay where they are.
    void ScrollWindowEx(int dx, int dy, const TRect* rect);
    // The widgets placed on the control, its own scroll bars left out.
    std::vector<QWidget*> ChildWidgets() const;
    // A mouse move at the cursor's position with no buttons, so that what follows the mouse
    // catches up with a scroll.
    void GenerateMouseMove();
    // Gives the focus to the next (previous) widget of the window in tab order, wrapping
    // around, that takes it by Tab, is enabled and visible and lies outside this control;
    // false when there is none.
    bool FocusNextInTabOrder(bool backward);

    // A sunken two-pixel edge around the control, outside its client area, as a window's
    // client edge: the client size, the surface, mouse positions, the placement of child
    // widgets and the scroll bars all lie inside it.
    void SetClientEdge(bool edge);
    // Where the client point (0, 0) lies in the widget.
    QPoint ClientOrigin() const { return {edgeWidth_, edgeWidth_}; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    std::function<void()> OnResize;
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseDown;
    std::function<void(TMouseButton, TShiftState, int x, int y)> OnMouseUp;
    std::function<void(TShiftState, int x, int y)> OnMouseMove;
    std::function<void(TShiftState, int delta, TPoint position, bool& handled)> OnMouseWheel;
    std::function<void(uint16_t& key, TShiftState)> OnKeyDown;
    std::function<void(uint16_t& key, TShiftState)> OnKeyUp;
    std::function<void(char16_t& key)> OnKeyPress;

protected:
    // The framework's handlers; the defaults raise the matching events.
    virtual void Paint();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    // `delta` is 120 per notch, positive away from the user; true when handled.
    virtual bool DoMouseWheel(TShiftState shift, int delta, TPoint position);
    // Setting `key` to 0 stops it (no KeyPress follows).
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char16_t& key);
    // The text of one key event; the default passes each UTF-16 unit to KeyPress.
    virtual void KeyText(std::u16string_view text);
    // Whether the control takes this key combination while it has the focus, before any
    // window action bound to it.
    virtual bool ClaimsShortcut(uint16_t key, TShiftState shift);
    // The input method, where the control enables it: text committed and the text being
    // composed, which the control shows but does not keep; the cursor rectangle it asks for
    // is in client pixels.
    virtual void ImeInput(std::u16string_view commit, std::u16string_view preedit);
    virtual TRect ImeCursorRect() const;
    virtual void DoEnter();
    virtual void DoExit();
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void Resize();
    // Messages; the default does nothing.
    virtual void Dispatch(TMessage& message);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    // A paint's errors are those of an event that repeats; so are a timer's.
    void Guard(const std::function<void()>& handler,
               TEventRecurrence recurrence = TEventRecurrence::Once);
    TPictureViewer& PictureViewer();
    void LayoutScrollBars();
    void FitSurface();
    void ScrollAction(TScrollBarKind kind, int action);
    QScrollBar* Bar(TScrollBarKind kind) const;

    std::unique_ptr<TControlCaret> caret_;
    QImage surface_;
    std::unique_ptr<TQtCanvas> canvas_;
    QRegion invalid_;
    bool painting_ = false;
    // What the control's paints ask pictures for: told when they are ready, it paints the control
    // again. It goes with the control, and is never told afterwards.
    std::unique_ptr<TPictureViewer> pictureViewer_;
    // Runs while partial paints (the strips a scroll uncovers) draw pictures kept smaller than
    // shown, and paints the whole view once they have rested: only a whole paint tells what the
    // view shows now, and so whether those pictures may be made larger.
    QBasicTimer wholePaintDue_;
    bool clicked_ = false;
    TFont font_;
    TColor color_ = clBtnFace;
    TCursor cursor_ = crDefault;
    TCursor normalCursor_ = crDefault;
    std::map<int, uint32_t> timers_; // Qt's timer id -> the control's
    QScrollBar* bars_[2] = {nullptr, nullptr};
    bool barVisible_[2] = {false, false};
    bool keepDisabled_[2] = {false, false};
    int edgeWidth_ = 0;
};
