#include "app/capture/SavingStatus.h"

#include "app/capture/CaptureFinished.h"

PostedMessage SavingStatusMessage(int wParam, const std::string& status,
                                  const std::optional<std::string>& url) {
    PostedMessage message;
    message.Msg = WM_SAVINGSTATUS;
    message.WParam = wParam;
    message.Text = status;
    if (url) {
        message.Text += '\0';
        message.Text += *url;
    }
    return message;
}

SavingStatusTexts ReadSavingStatus(const PostedMessage& message) {
    SavingStatusTexts texts;
    const size_t nul = message.Text.find('\0');
    texts.Status = message.Text.substr(0, nul);
    if (nul != std::string::npos) {
        texts.Url = message.Text.substr(nul + 1);
    }
    return texts;
}

namespace {

// Each thread's texts wait for its own next message, so workers never mix their texts.
thread_local std::array<std::string, 3> pendingTexts;

size_t FormIndex(StatusForm form) {
    return static_cast<size_t>(form);
}

} // namespace

void PostingCaptureNotifier::SetFormTarget(StatusForm form, MessageTarget* target) {
    targets_[FormIndex(form)] = target;
}

void PostingCaptureNotifier::SetStatusText(StatusForm form, const std::string& text) {
    pendingTexts[FormIndex(form)] = text;
}

void PostingCaptureNotifier::PostSavingStatus(StatusForm form, int wParam) {
    PostMessageTo(targets_[FormIndex(form)],
                  SavingStatusMessage(wParam, pendingTexts[FormIndex(form)]));
}
