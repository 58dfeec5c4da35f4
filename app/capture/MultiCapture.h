#pragma once

// One capture request: the root page, how it is captured, and what a capture of linked pages
// collects on its way.

#include "app/capture/CaptureNotifier.h"
#include "app/binder/CaptureOptions.h"

#include <atomic>
#include <string>
#include <vector>

class TPageInfo;

struct MultiCapture {
    CaptureNotifier* Window = nullptr; // the main window, told when a page capture ends
    TPageInfo* Root = nullptr;         // not owned
    bool UseCache = false;             // read pages and resources from the cache first
    std::atomic<bool> Cancelled{false};
    CaptureOptions Options;
    std::vector<std::string> NextLevelLinks; // absolute URLs found for the next level
    std::vector<std::string> VisitedUrls;    // URLs already captured
    // While set, the page parser reports to StatusForm.
    bool Background = true;
    StatusForm Form = StatusForm::None;
};
