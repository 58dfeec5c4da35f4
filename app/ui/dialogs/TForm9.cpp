#include "app/ui/dialogs/TForm9.h"

#include "platform/widgets/FormControls.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ProgressStepMs = 100;

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TForm9::TForm9(QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), ProgressBar1(new QProgressBar(this)),
      BitBtn1(new QPushButton(QStringLiteral("&OK"), this)),
      BitBtn2(new QPushButton(QStringLiteral("&Cancel"), this)), Timer1(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Saving Page"));
    setModal(true);
    Label1->setMinimumWidth(360);
    Label1->setTextFormat(Qt::PlainText);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Timer1->setInterval(ProgressStepMs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    NameControls({{Label1, "Label1"},
                  {ProgressBar1, "ProgressBar1"},
                  {BitBtn1, "BitBtn1"},
                  {BitBtn2, "BitBtn2"},
                  {Timer1, "Timer1"}});
}

void TForm9::ShowModal(const std::string& rootUrl, std::function<void()> start,
                       std::function<void()> cancel) {
    if (isVisible()) {
        return; // it serves the capture that showed it
    }
    Label1->setText(Text(rootUrl));
    setWindowTitle(QStringLiteral("Saving root page"));
    cancelFlag_ = false;
    finished_ = false;
    BitBtn2->setEnabled(true);
    ProgressBar1->setValue(0);
    start_ = std::move(start);
    cancel_ = std::move(cancel);
    exec();
    Timer1->stop();
    start_ = nullptr;
    cancel_ = nullptr;
}

void TForm9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TForm9::FormShow() {
    BitBtn1->setEnabled(false);
    Timer1->start();
    // The capture starts once, when the form is first up.
    if (std::function<void()> start = std::exchange(start_, nullptr)) {
        start();
    }
}

void TForm9::Finished() {
    finished_ = true;
    BitBtn1->setEnabled(true);
    BitBtn1->setDefault(true);
    BitBtn2->setEnabled(false);
    Timer1->stop();
    ProgressBar1->setValue(100);
    Label1->setText(QStringLiteral("Finished."));
}

void TForm9::BitBtn1Click() {
    done(QDialog::Accepted);
}

void TForm9::BitBtn2Click() {
    cancelFlag_ = true;
    if (cancel_) {
        cancel_();
    }
}

void TForm9::reject() {
    if (finished_) {
        QDialog::reject();
    } else if (BitBtn2->isEnabled()) {
        BitBtn2Click();
    }
}

void TForm9::Timer1Timer() {
    const int next = ProgressBar1->value() + 1;
    ProgressBar1->setValue(next > 100 ? 0 : next);
}

void TForm9::Dispatch(const PostedMessage& message) {
    if (message.Msg != WM_SAVINGSTATUS) {
        return;
    }
    switch (message.WParam) {
    case 0: {
        if (!isVisible()) {
            return;
        }
        const SavingStatusTexts texts = ReadSavingStatus(message);
        Timer1->stop();
        ProgressBar1->setValue(0);
        Timer1->start();
        if (texts.Url) {
            Label1->setText(Text(*texts.Url));
        }
        setWindowTitle(Text(texts.Status));
        break;
    }
    case 1:
        ProgressBar1->setValue(100);
        break;
    case 2:
        Timer1->stop();
        QDialog::done(QDialog::Rejected);
        break;
    default:
        break;
    }
}
