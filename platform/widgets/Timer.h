#pragma once

// The framework's timer: OnTimer every Interval milliseconds while Enabled, on the thread
// that owns it. Changing Interval or Enabled restarts the count.

#include <QObject>
#include <QTimer>

#include <functional>

class TTimer : public QObject {
public:
    explicit TTimer(QObject* owner = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Milliseconds; 0 stops the timer.
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    std::function<void()> OnTimer;
    // Called by the timer; also lets tests fire a tick without waiting.
    void Tick();

private:
    void Restart();

    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};
