#pragma once

// The busy animation of the tool bar: a globe that turns while a page is captured. It runs on a
// timer of its own only while it is started; stopped it shows its first picture and asks for
// nothing more, so an idle window is not redrawn.

#include <QTimer>
#include <QWidget>

class TBusyIndicator : public QWidget {
public:
    explicit TBusyIndicator(QWidget* parent = nullptr);

    void Start();
    // Back to the first picture, the timer stopped.
    void Stop();
    bool Running() const { return timer_.isActive(); }
    int Frame() const { return frame_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Step();

    QTimer timer_;
    int frame_ = 0;
};
