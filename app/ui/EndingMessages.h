#pragma once

// The binder commands' questions and messages as the window gives them: boxes over the window,
// except while the program ends by itself (a termination signal, the end of the desktop
// session). Nobody is there to answer then: a message goes to the error output, a question is
// answered no without being asked, the wait form stays hidden, and that something went wrong
// is kept for the program's exit status.

#include "app/binder/commands/BinderUi.h"

#include <functional>
#include <iosfwd>

class TEndingMessages : public IUserMessages {
public:
    // `boxes` shows them while the program runs; `errors` takes them while it ends. Both must
    // outlive the messages.
    TEndingMessages(IUserMessages& boxes, std::ostream& errors) : boxes_(boxes), errors_(errors) {}

    // From now on nothing is shown and nothing asked.
    void BeginEnding() { ending_ = true; }
    bool Ending() const { return ending_; }
    // A message was given since the ending began.
    bool Told() const { return told_; }
    // Runs `work` as if the program were ending (nothing shown, nothing asked), and goes back
    // to showing afterwards: the desktop session waits for the program while it keeps its data,
    // and a logout that is then cancelled leaves it running. True when nothing was told.
    bool Quietly(const std::function<void()>& work);

    void ShowMessage(const std::string& text) override;
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons buttons) override;
    bool Confirm(const std::string& text, bool& askSetting) override;
    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;

private:
    void Tell(const std::string& text);

    IUserMessages& boxes_;
    std::ostream& errors_;
    bool ending_ = false;
    bool told_ = false;
};
