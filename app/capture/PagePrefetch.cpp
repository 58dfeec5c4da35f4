#include "app/capture/PagePrefetch.h"

#include "app/binder/PageInfo.h"
#include "app/capture/MultiCapture.h"

PagePrefetch::PagePrefetch(MultiCapture& capture) : capture_(capture) {
    thread_ = std::thread([this] { Work(); });
}

PagePrefetch::~PagePrefetch() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        asked_.reset();
    }
    changed_.notify_all();
    thread_.join();
}

void PagePrefetch::Ask(const std::string& url) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        asked_ = url;
    }
    changed_.notify_all();
}

PrefetchedPage PagePrefetch::Take(const std::string& url) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return !busy_ && !asked_; });
    PrefetchedPage taken = std::move(fetched_);
    fetched_ = {};
    if (fetchedUrl_ != url) {
        taken = {};
    }
    return taken;
}

void PagePrefetch::Work() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        changed_.wait(guard, [this] { return stopping_ || asked_; });
        if (stopping_) {
            return;
        }
        auto page = std::make_unique<TPageInfo>();
        page->RequestedUrl = std::move(*asked_);
        asked_.reset();
        fetched_ = {};
        busy_ = true;
        guard.unlock();
        const PageClock::time_point began = PageClock::now();
        if (!DownloadPageText(*page, &capture_, capture_.Context,
                              began + capture_.Context.PageTime)) {
            page->Content.FetchedText.clear();
        }
        const PageClock::duration took = PageClock::now() - began;
        guard.lock();
        busy_ = false;
        fetchedUrl_ = page->RequestedUrl;
        fetched_ = {std::move(page), took};
        changed_.notify_all();
    }
}
