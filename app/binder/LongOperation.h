#pragma once

// Set while a capture of linked pages or a content sync runs. Such an operation reports its
// progress on its own status form, so the wait form is then left as it is: the single-page
// steps inside it must not flash it up and down.

#include <atomic>

inline std::atomic<bool> LevelCaptureRunning{false};
