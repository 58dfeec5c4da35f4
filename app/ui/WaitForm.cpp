#include "app/ui/WaitForm.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/QtText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

#include <chrono>
#include <thread>

namespace {
constexpr int FormWidth = 525;
constexpr int BarHeight = 14;
constexpr int ButtonRowHeight = 32;
constexpr std::chrono::milliseconds ExposeWait(2000);
constexpr std::chrono::milliseconds ExposePoll(1);

// While the form waits to be on the screen, the window system's events (the form shown, the
// windows drawn again where a dialog just closed) and the calls posted run; input, sockets
// (another instance's requests, the workers' calls) and timers wait: the work that asked for
// the form finds everything as it left it.
constexpr QEventLoop::ProcessEventsFlags WhileShowing = QEventLoop::ExcludeUserInputEvents |
                                                        QEventLoop::ExcludeSocketNotifiers |
                                                        QEventLoop::X11ExcludeTimers;
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
    connect(CancelButton, &QPushButton::clicked, this, [this] { Cancel(); });
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

void TForm4::Cancel() {
    cancelled_ = true;
    // The call may close the form: it runs from a copy.
    if (const std::function<void()> cancel = OnCancel) {
        cancel();
    }
}

void TForm4::closeEvent(QCloseEvent* event) {
    if (!holding_) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    if (!CancelButton->isHidden()) {
        Cancel();
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
    Hold(text, cancellable, Qt::ApplicationModal);
}

void TForm4::StartBusy(const std::string& text) {
    Hold(text, false, Qt::NonModal);
}

void TForm4::Hold(const std::string& text, bool cancellable, Qt::WindowModality modality) {
    if (isVisible()) {
        hide(); // the modality changes only while hidden
    }
    holding_ = true;
    cancelled_ = false;
    OnCancel = nullptr;
    setWindowModality(modality);
    CancelButton->setVisible(cancellable);
    setFixedSize(FormWidth, cancellable ? BarHeight + ButtonRowHeight : BarHeight);
    Start(text);
    ShowDrawn();
}

void TForm4::ShowDrawn() {
    // The window system shows the form in its own time; a window system that never does holds
    // the work up no longer than ExposeWait. Timers wait, so the time is told by the clock.
    const auto until = std::chrono::steady_clock::now() + ExposeWait;
    QWindow* window = windowHandle();
    while (isVisible() && window != nullptr && !window->isExposed() &&
           std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(WhileShowing);
        if (!window->isExposed()) {
            std::this_thread::sleep_for(ExposePoll);
        }
    }
    // What the window system brought meanwhile (the windows under a dialog just closed) is
    // drawn now, and so is the form, before the work keeps the event loop from them.
    QCoreApplication::processEvents(WhileShowing);
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
