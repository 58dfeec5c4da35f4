#pragma once

// The flat buttons of the editors: a speed button that lights up under the mouse and follows
// the visual style, and the arrow button of a spin control that repeats while it is held.

#include "platform/graphics/Color.h"
#include "platform/widgets/Timer.h"

#include <QAbstractButton>

#include <functional>
#include <memory>

QColor QColorOf(TColor color);

class TShelfSpeedButton : public QAbstractButton {
public:
    explicit TShelfSpeedButton(QWidget* parent = nullptr);

    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool value);
    bool Hot() const { return hot_; }
    // IsWinXP on and visual styles active.
    bool DoVisualStyles() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    // The face under the caption; the arrow buttons draw their own.
    virtual void PaintFace(QPainter& painter);

private:
    bool flat_ = false;
    bool isWinXP_ = false;
    bool hot_ = false;
};

enum class TButtonDirection { bdLeft, bdRight, bdUp, bdDown };

// A spin arrow. With AllowTimer, a press clicks at once, again after 400 ms and then every
// 100 ms while the button stays down; a release stops the repeat.
class TShelfTimerSpeedButton : public TShelfSpeedButton {
public:
    static constexpr int FirstDelay = 400;
    static constexpr int RepeatDelay = 100;

    explicit TShelfTimerSpeedButton(QWidget* parent = nullptr);
    ~TShelfTimerSpeedButton() override;

    TButtonDirection Direction() const { return direction_; }
    void SetDirection(TButtonDirection value);
    bool AllowTimer() const { return allowTimer_; }
    void SetAllowTimer(bool value) { allowTimer_ = value; }
    bool FocusRect() const { return focusRect_; }
    void SetFocusRect(bool value);
    // Null until the first press.
    TTimer* RepeatTimer() const { return timer_.get(); }

    // Raised at the press and at each repeat.
    std::function<void()> OnStep;
    // Raised by a left press, before the step.
    std::function<void()> OnPress;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void PaintFace(QPainter& painter) override;

private:
    void Repeat();
    void Step();

    std::unique_ptr<TTimer> timer_;
    TButtonDirection direction_ = TButtonDirection::bdUp;
    bool allowTimer_ = false;
    bool focusRect_ = false;
};
