#pragma once

// One capture request: the root page, how it is captured, and what a capture of linked pages
// collects on its way. The records a capture works on are its own (a copy of the tree's
// record, or a new page); only the main thread hands results to the tree.

#include "app/binder/CaptureOptions.h"
#include "app/capture/CapturePage.h"
#include "app/capture/CapturePort.h"
#include "app/capture/ResourcePool.h"
#include "app/capture/ResourceStore.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class PagePrefetch;
class TPageInfo;

// What a capture with linked pages needs of the main thread.
class ILevelCaptureHost {
public:
    virtual ~ILevelCaptureHost() = default;
    // The root page's capture has ended (well or not): its results go to the tree's record
    // and the window is told (3022).
    virtual void RootCaptured() = 0;
    // Adds a captured page as the last sibling of the root's node. False when it was not
    // added (the root's node is gone, or the capture was stopped); the page is then dropped.
    virtual bool AddNodeSync(std::unique_ptr<TPageInfo> page) = 0;
};

// A resource a capture has stored, and where it came from.
struct CapturedResource {
    FetchKind Kind = FetchKind::NetOrFile;
    StoredFile File;
};

struct MultiCapture {
    bool UseCache = false; // read pages and resources from the cache first
    std::atomic<bool> Cancelled{false};
    TPageInfo* Root = nullptr; // the capture's own copy of the root record; not owned
    CaptureOptions Options;
    CaptureContext Context;
    std::vector<std::string> NextLevelLinks; // absolute URLs found for the next level
    // The resources of the net stored so far, by URL, under their lock.
    std::mutex ResourcesLock;
    std::unordered_map<std::string, CapturedResource> Resources;
    // Fetches resources beside the capture's thread; made when first needed.
    std::unique_ptr<ResourcePool> Pool;
    // While set, the page parser reports to Form.
    bool Background = true;
    StatusForm Form = StatusForm::None;
    TCapturePort* Port = nullptr;                  // where the capture reports; none: nowhere
    std::function<void(int64_t level)> LevelBegun; // told as each level begins, if set
    // What the user is told when a page of this capture could not be stored (the first such
    // page); empty while every page could. Written by the capture's own thread, read once the
    // capture has ended.
    std::string StoreRefusal;

    void Cancel() { Cancelled = true; }
    bool IsCancelled() const { return Cancelled.load(); }

    // Runs on a worker: the root page, then its linked pages level by level, breadth-first,
    // each new page added beside the root's node, until the levels asked for are done or a
    // level finds no page to ask for. A cancel is heard before each page and each level.
    // False when the root failed or the capture was cancelled; the form is then told to close.
    bool CaptureLevels(ILevelCaptureHost& host);

private:
    // Asks for the first page of the snapshot from `from` on that is still to be captured.
    void AskNextPage(PagePrefetch& prefetch, const std::vector<std::string>& snapshot,
                     size_t from) const;

    std::unordered_set<std::string> visited_; // pages captured: lower case, no fragment
};

// The user's Stop of a page: the record is stopped, and the capture at work on it, if any, is
// cancelled; that capture ends as any does, and its end (3022) shows the record stopped, with
// what it stored kept. Main thread only.
void StopPageCapture(TPageInfo& record);
