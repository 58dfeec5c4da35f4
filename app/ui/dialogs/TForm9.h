#pragma once

// "Saving Page": the modal status form of a capture with linked pages. It shows the page at
// work (Label1), the step as its caption and a running progress bar; Cancel asks the capture
// to stop, and the capture closes the form (3019 with wParam 2) or, having finished, lets OK
// close it. Made once at start-up and reused by every such capture.

#include "app/capture/LevelStatusForm.h"
#include "platform/base/PostedMessage.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TForm9 : public QDialog, public MessageTarget, public ILevelStatusForm {
public:
    explicit TForm9(QWidget* parent = nullptr);

    bool Showing() const override { return isVisible(); }
    void ShowModal(const std::string& rootUrl, std::function<void()> start,
                   std::function<void()> cancel) override;
    void Finished() override;

    // Message 3019 (WMSavingStatus).
    void Dispatch(const PostedMessage& message) override;

    bool CancelFlag() const { return cancelFlag_; }

    // Escape and the close box ask the capture to stop, like Cancel; the form goes when the
    // capture has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Label1;             // the page at work
    QProgressBar* ProgressBar1; // the running bar
    QPushButton* BitBtn1;       // "&OK"
    QPushButton* BitBtn2;       // "&Cancel"
    QTimer* Timer1;             // moves the bar
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void Timer1Timer();

    std::function<void()> start_;
    std::function<void()> cancel_;
    bool cancelFlag_ = false;
    bool finished_ = false;
};
