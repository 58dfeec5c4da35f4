#pragma once

// Message 3019 to the status forms. A worker never writes into a form: the texts it wants
// shown travel inside the message, the status text first and, when the URL text changes too,
// the URL after a NUL byte (our status texts never hold one; a URL may hold anything).

#include "platform/base/PostedMessage.h"

#include <optional>
#include <string>

PostedMessage SavingStatusMessage(int wParam, const std::string& status = {},
                                  const std::optional<std::string>& url = std::nullopt);

struct SavingStatusTexts {
    std::string Status;
    std::optional<std::string> Url; // none: the form keeps the URL text it has
};
SavingStatusTexts ReadSavingStatus(const PostedMessage& message);
