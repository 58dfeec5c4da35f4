#pragma once

// Message 3019 to the status forms. A worker never writes into a form: the texts it wants
// shown travel inside the message, the status text first and, when the URL text changes too,
// the URL after a NUL byte (our status texts never hold one; a URL may hold anything).

#include "app/capture/CaptureNotifier.h"
#include "platform/base/PostedMessage.h"

#include <array>
#include <atomic>
#include <optional>
#include <string>

PostedMessage SavingStatusMessage(int wParam, const std::string& status = {},
                                  const std::optional<std::string>& url = std::nullopt);

struct SavingStatusTexts {
    std::string Status;
    std::optional<std::string> Url; // none: the form keeps the URL text it has
};
SavingStatusTexts ReadSavingStatus(const PostedMessage& message);

// A notifier that sends the status texts of the capture to the forms as messages: the text
// set by SetStatusText on a thread goes with that thread's next PostSavingStatus to the form.
// The window derives from it for the wait-form calls of the main thread.
class PostingCaptureNotifier : public CaptureNotifier {
public:
    // Where the messages of a form go; set on the main thread before any capture runs.
    void SetFormTarget(StatusForm form, MessageTarget* target);

    void SetStatusText(StatusForm form, const std::string& text) override;
    void PostSavingStatus(StatusForm form, int wParam) override;

private:
    std::array<std::atomic<MessageTarget*>, 3> targets_{};
};
