#include "app/ui/WaitForm.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/QtText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <chrono>

namespace {
constexpr int FormWidth = 525;
constexpr int BarHeight = 14;
constexpr int ButtonRowHeight = 32;
constexpr std::chrono::milliseconds ExposeWait(2000);

// Ends a wait once the window is on the screen.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow& window, QEventLoop& wait) : window_(window), wait_(wait) {
        window_.installEventFilter(this);
    }
    ~ExposeWatch() override { window_.removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_.isExposed()) {
            wait_.quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWindow& window_;
    QEventLoop& wait_;
};
} // namespace

TForm4::TForm4(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ProgressBar1(new QProgressBar(this)), CancelButton(new QPushButton("Cancel", this)),
      Timer1(this) {
    setObjectName("Form4");
    // It tells of work while the user goes on (a capture, the changes written every half
    // minute): shown, it must not take the keyboard from the note being typed.
    setAttribute(Qt::WA_ShowWithoutActivating);
    ProgressBar1->setObjectName("ProgressBar1");
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(FormWidth - 85, BarHeight + 4, 80, ButtonRowHeight - 8);
    CancelButton->hide();
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        // The call may close the form: it runs from a copy.
        if (const std::function<void()> cancel = OnCancel) {
            cancel();
        }
    });
    setFixedSize(FormWidth, BarHeight);
    // Wider than the form, as it was designed: the bar runs out past the right edge.
    ProgressBar1->setGeometry(0, 0, 689, 14);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Timer1.SetInterval(200);
    Timer1.SetEnabled(false);
    Timer1.OnTimer = [this] { Timer1Timer(); };
}

void TForm4::Dispatch(const PostedMessage& message) {
    if (message.Msg != WM_SAVINGSTATUS || holding_) {
        return;
    }
    if (message.WParam == 0) {
        StatusText = ReadSavingStatus(message).Status;
        if (isVisible()) {
            raise();
        } else {
            show();
        }
        Timer1.SetEnabled(false);
        if (ProgressBar1->value() != 0) {
            ProgressBar1->setValue(100);
        }
        ProgressBar1->setValue(0);
        setWindowTitle(ToQ(StatusText));
        Timer1.SetEnabled(true);
    } else if (message.WParam == 1) {
        Timer1.SetEnabled(false);
        ProgressBar1->setValue(100);
        hide();
    }
}

void TForm4::Start(const std::string& text) {
    if (!isVisible()) {
        show();
    }
    setWindowTitle(ToQ(text));
    ProgressBar1->setValue(0);
    Timer1.SetEnabled(true);
}

void TForm4::StartHolding(const std::string& text, bool cancellable) {
    if (isVisible()) {
        hide(); // the modality changes only while hidden
    }
    holding_ = true;
    cancelled_ = false;
    OnCancel = nullptr;
    setWindowModality(Qt::ApplicationModal);
    CancelButton->setVisible(cancellable);
    setFixedSize(FormWidth, cancellable ? BarHeight + ButtonRowHeight : BarHeight);
    Start(text);
    ShowDrawn();
}

void TForm4::ShowDrawn() {
    QWindow* window = windowHandle();
    if (window != nullptr && !window->isExposed()) {
        // The window system shows the form in its own time; a window system that never does
        // holds the work up no longer than this.
        QEventLoop shown;
        ExposeWatch watch(*window, shown);
        QTimer::singleShot(ExposeWait, &shown, &QEventLoop::quit);
        shown.exec();
    }
    // What waits to be drawn (the windows under a dialog just closed) is drawn now, and so is
    // the form, before the work keeps the event loop from them.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    repaint();
}

void TForm4::Step() {
    Timer1Timer();
    ProgressBar1->repaint();
}

void TForm4::Finish() {
    OnCancel = nullptr;
    ProgressBar1->setValue(100);
    hide();
    Timer1.SetEnabled(false);
    if (holding_) {
        holding_ = false;
        setWindowModality(Qt::NonModal);
        CancelButton->hide();
        setFixedSize(FormWidth, BarHeight);
    }
}

int TForm4::Position() const {
    return ProgressBar1->value();
}

void TForm4::Timer1Timer() {
    const int next = ProgressBar1->value() + 1;
    ProgressBar1->setValue(next >= 100 ? 0 : next);
}
