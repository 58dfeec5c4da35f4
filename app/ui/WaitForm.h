#pragma once

// The wait form TForm4: a small window with a running progress bar and a status text as its
// caption, shown around long operations. Made once at start-up; the main window shows and
// hides it directly, the capture engine through message 3019.

#include "platform/base/PostedMessage.h"
#include "platform/widgets/Timer.h"

#include <QWidget>

#include <functional>
#include <string>

class QProgressBar;
class QPushButton;

class TForm4 : public QWidget, public MessageTarget {
public:
    explicit TForm4(QWidget* parent = nullptr);

    // 3019: wParam 0 shows the form (or brings it to the front) with the message's text as
    // the status text and restarts the progress; 1 completes the progress and hides the form;
    // any other value does nothing.
    void Dispatch(const PostedMessage& message) override;
    // The timer's step: one more, back to 0 on reaching 100.
    void Timer1Timer();

    // Shown around work with `text` as the caption, the bar running from 0.
    void Start(const std::string& text);
    // Shown like Start around work the main thread does for the user, modal so that no
    // command of another window starts meanwhile; the captures' status messages leave it
    // alone until Finish. `cancellable` shows a Cancel button. Returns once the form is on the
    // screen and drawn, and the windows are drawn again where a dialog just closed.
    void StartHolding(const std::string& text, bool cancellable);
    // Shown like StartHolding around work during which the main thread serves no events (a
    // tree write), but not modal: nothing can start meanwhile anyway, and a modal form takes
    // the keyboard from the window, so that what the user types during the work, and until
    // the window manager gives the window its focus again, went to the form and was lost.
    // Here the keys wait for the work and then reach the note in their order.
    void StartBusy(const std::string& text);
    // Cancel was pressed since the form was last shown holding.
    bool Cancelled() const { return cancelled_; }
    // Runs when Cancel is pressed; cleared when the form is shown holding again or finishes.
    std::function<void()> OnCancel;
    // What pressing Cancel does.
    void Cancel();
    // A step of work on the main thread, which keeps the timer from running: drawn at once.
    void Step();
    // The bar complete, the form hidden.
    void Finish();
    int Position() const;
    bool Running() const { return Timer1.Enabled(); }

protected:
    // Held around work, the form goes when the work ends: closed from its title bar meanwhile,
    // the work would run on with every window free for commands. Its Cancel, when it has one,
    // is what closing it asks for.
    void closeEvent(QCloseEvent* event) override;

private:
    void Hold(const std::string& text, bool cancellable, Qt::WindowModality modality);
    // Waits (boundedly) until the form is on the screen, serving only the window system and the
    // calls posted, then draws it.
    void ShowDrawn();

    QProgressBar* ProgressBar1; // the running bar
    QPushButton* CancelButton;
    TTimer Timer1; // moves the bar
    std::string StatusText;
    bool holding_ = false;
    bool cancelled_ = false;
};
