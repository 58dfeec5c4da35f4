#include "app/capture/SavingStatus.h"

#include "app/capture/CapturePort.h"

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
