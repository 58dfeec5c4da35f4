#pragma once

// The next page of a level, downloaded on a thread of its own while the capture works on the
// current one, so the capture does not wait for the net between pages. The thread keeps its
// own connection from one page to the next.

#include "app/capture/CapturePage.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class TPageInfo;
struct MultiCapture;

// A page downloaded ahead, and how much of its page time the download took.
struct PrefetchedPage {
    std::unique_ptr<TPageInfo> Page;
    PageClock::duration Took{};
};

class PagePrefetch {
public:
    explicit PagePrefetch(MultiCapture& capture);
    // Waits for a download at work (the capture's cancel cuts it short) and ends the thread.
    ~PagePrefetch();
    PagePrefetch(const PagePrefetch&) = delete;
    PagePrefetch& operator=(const PagePrefetch&) = delete;

    // Starts downloading the page of the URL, within the capture's page time; any page fetched
    // before and not taken is dropped.
    void Ask(const std::string& url);
    // The record holding the download of the URL (its page text, final URL and status text;
    // the text is empty when the page cannot be used), once it has arrived; no record when that
    // URL was not asked for last.
    PrefetchedPage Take(const std::string& url);

private:
    void Work();

    MultiCapture& capture_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::optional<std::string> asked_; // waiting to be fetched
    bool busy_ = false;                // a download is at work
    std::string fetchedUrl_;
    PrefetchedPage fetched_;
    bool stopping_ = false;
    std::thread thread_;
};
