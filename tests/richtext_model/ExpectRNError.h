#pragma once

#include "richtext/model/RNError.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The call raises ERichNoteError with exactly this message.
inline void ExpectRNError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const ERichNoteError& e) {
        EXPECT_EQ(e.Message(), message);
    }
}
