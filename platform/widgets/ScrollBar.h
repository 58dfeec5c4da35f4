#pragma once

// A scroll bar control that keeps its own position, as the framework's does: OnScroll sees
// each step with the position it is about to take and may change it.

#include <QScrollBar>

#include <functional>

enum class TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

// The code of a slider action (QAbstractSlider::SliderAction); false for actions without one.
// The codes count as the window messages' SB_LINEUP .. SB_ENDSCROLL do.
bool ScrollCodeOf(int action, TScrollCode& code);

class TScrollBar : public QScrollBar {
public:
    explicit TScrollBar(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int position) { setValue(position); }
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    void SetMax(int max) { setMaximum(max); }
    void SetMin(int min) { setMinimum(min); }
    int SmallChange() const { return singleStep(); }
    void SetSmallChange(int change) { setSingleStep(change); }
    int LargeChange() const { return pageStep(); }
    void SetLargeChange(int change) { setPageStep(change); }

    std::function<void(TScrollCode code, int& position)> OnScroll;
    // After every change of the position.
    std::function<void()> OnChange;

private:
    void Action(int action);
};
