#include "app/ui/WaitForm.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/QtText.h"

#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int FormWidth = 525;
constexpr int BarHeight = 14;
constexpr int ButtonRowHeight = 32;
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
