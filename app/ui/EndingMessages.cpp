#include "app/ui/EndingMessages.h"

#include <ostream>

void TEndingMessages::Tell(const std::string& text) {
    told_ = true;
    errors_ << "tarnwick: " << text << std::endl;
}

bool TEndingMessages::Quietly(const std::function<void()>& work) {
    struct Restore {
        TEndingMessages& messages;
        bool ending, told;
        ~Restore() {
            messages.ending_ = ending;
            messages.told_ = told;
        }
    } restore{*this, ending_, told_};
    ending_ = true;
    told_ = false;
    work();
    return !told_;
}

void TEndingMessages::ShowMessage(const std::string& text) {
    if (ending_) {
        Tell(text);
    } else {
        boxes_.ShowMessage(text);
    }
}

TModalResult TEndingMessages::MessageBox(const std::string& text, const std::string& caption,
                                         TMsgButtons buttons) {
    if (!ending_) {
        return boxes_.MessageBox(text, caption, buttons);
    }
    Tell(caption.empty() ? text : caption + ": " + text);
    // Going on would need someone to act first (Retry, Yes); what OK stands for has been told.
    if (buttons == TMsgButtons::YesNo) {
        return TModalResult::No;
    }
    return buttons == TMsgButtons::Ok ? TModalResult::Ok : TModalResult::Cancel;
}

bool TEndingMessages::Confirm(const std::string& text, bool& askSetting) {
    return !ending_ && boxes_.Confirm(text, askSetting);
}

void TEndingMessages::OpenStatusForm(const std::string& text) {
    if (!ending_) {
        boxes_.OpenStatusForm(text);
    }
}

void TEndingMessages::UpdateStatusForm() {
    if (!ending_) {
        boxes_.UpdateStatusForm();
    }
}

void TEndingMessages::CloseStatusForm() {
    if (!ending_) {
        boxes_.CloseStatusForm();
    }
}
