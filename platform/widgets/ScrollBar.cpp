#include "platform/widgets/ScrollBar.h"

TScrollBar::TScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 100);
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { Action(action); });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        int position = sliderPosition();
        if (OnScroll) {
            OnScroll(TScrollCode::scPosition, position);
            OnScroll(TScrollCode::scEndScroll, position);
        }
        setValue(position);
    });
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        if (OnChange) {
            OnChange();
        }
    });
}

bool ScrollCodeOf(int action, TScrollCode& code) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = TScrollCode::scLineDown;
        return true;
    case QAbstractSlider::SliderSingleStepSub:
        code = TScrollCode::scLineUp;
        return true;
    case QAbstractSlider::SliderPageStepAdd:
        code = TScrollCode::scPageDown;
        return true;
    case QAbstractSlider::SliderPageStepSub:
        code = TScrollCode::scPageUp;
        return true;
    case QAbstractSlider::SliderToMinimum:
        code = TScrollCode::scTop;
        return true;
    case QAbstractSlider::SliderToMaximum:
        code = TScrollCode::scBottom;
        return true;
    case QAbstractSlider::SliderMove:
        code = TScrollCode::scTrack;
        return true;
    default:
        return false;
    }
}

void TScrollBar::Action(int action) {
    TScrollCode code;
    if (!ScrollCodeOf(action, code)) {
        return;
    }
    int position = sliderPosition();
    if (OnScroll) {
        OnScroll(code, position);
    }
    setSliderPosition(position);
}
