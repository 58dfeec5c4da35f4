#pragma once

// Waiting for pictures prepared beside the window: until the preparer has nothing queued or
// running, the windows that asked have been told and have painted again, and those paints asked
// for nothing more. Whether a content's pictures are refused, by its bytes. A bound of ready
// images of a test's own.

#include "platform/graphics/PicturePreparation.h"

#include <QCoreApplication>

#include <chrono>
#include <string>

inline bool WaitForPictures(std::chrono::milliseconds limit = std::chrono::seconds(120)) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + limit;
    int quiet = 0;
    while (Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
        if (PicturePreparer().Busy()) {
            quiet = 0;
            PicturePreparer().WaitUntilIdle(std::chrono::milliseconds(20));
            continue;
        }
        // Quiet for a few rounds: the paints the notices brought asked for nothing more.
        if (++quiet >= 3) {
            return true;
        }
    }
    return false;
}

inline bool PicturesRefused(const std::string& bytes) {
    return PicturePreparer().Refused(TPictureBytes(bytes).Digest());
}

// The bound of ready images set for a test, nothing ready from before, and the shipped bound put
// back after it.
struct TReadyBound {
    explicit TReadyBound(uint64_t bytes) {
        PicturePreparer().Forget();
        PicturePreparer().SetReadyBytesBound(bytes);
    }
    ~TReadyBound() { PicturePreparer().SetReadyBytesBound(TPreparerOptions{}.ReadyBytes); }
    TReadyBound(const TReadyBound&) = delete;
    TReadyBound& operator=(const TReadyBound&) = delete;
};
