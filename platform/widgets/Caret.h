#pragma once

// The blinking text caret of a control. It is drawn over the control's surface when the
// control paints, never into it, so figures inverted on the surface and buffered paints keep
// their exact pixels. It blinks at the platform's cursor flash time and shows only while the
// control has the focus.

#include "platform/graphics/Types.h"
#include "platform/widgets/Timer.h"

#include <functional>

class QPainter;
class QWidget;

class TControlCaret {
public:
    // `origin` answers where the control's client area starts inside its widget.
    TControlCaret(QWidget& owner, std::function<TPoint()> origin);

    // A caret of this size replaces any caret the control had; it starts hidden.
    void Create(int width, int height);
    void Destroy();
    void SetPos(int x, int y);
    // Show and Hide nest, as the system caret's calls do.
    void Show();
    void Hide();

    bool Exists() const { return exists_; }
    bool Shown() const { return exists_ && hideCount_ == 0; }
    // Whether a paint now draws it: shown, in the "on" half of a blink, the control focused.
    bool Visible() const;
    TRect Bounds() const { return Rect(x_, y_, x_ + width_, y_ + height_); }
    TTimer& BlinkTimer() { return timer_; }

    // Called by the control after it has drawn its surface.
    void PaintOver(QPainter& painter) const;
    // Asks the control to paint the caret's place again (the focus came or went).
    void Invalidate();

private:
    void Blink();
    void Restart();

    QWidget& owner_;
    std::function<TPoint()> origin_;
    TTimer timer_;
    bool exists_ = false;
    bool on_ = true;
    int hideCount_ = 1;
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
};
