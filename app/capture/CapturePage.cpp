#include "app/capture/CapturePage.h"

#include "app/binder/PageInfo.h"
#include "app/binder/WholeFiles.h"
#include "app/capture/CapturePort.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/PageHtml.h"
#include "app/capture/PageParser.h"
#include "app/capture/ResourcePool.h"
#include "app/capture/ResourceStore.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/UrlRules.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

// Frames inside frames are followed this deep, so pages that frame each other end.
constexpr int MaxFrameDepth = 8;
// The threads that fetch a page's resources beside the capture's own.
constexpr size_t ResourceThreads = 3;

ResourceGroup GroupOf(std::string_view type) {
    if (SameText(type, "css")) {
        return GroupCss;
    }
    if (SameText(type, "script") || SameText(type, "scriptlink")) {
        return GroupScript;
    }
    if (SameText(type, "flash")) {
        return GroupFlash;
    }
    if (SameText(type, "frame")) {
        return GroupFrame;
    }
    return GroupImg;
}

bool IsCancelled(const MultiCapture* capture) {
    return capture != nullptr && capture->Cancelled.load();
}

// The options of the capture's transfers: the context's timeouts, the download agent, and
// the capture's cancel flag looked at while data arrives.
HttpOptions TransferOptions(const CaptureContext& context, MultiCapture* capture) {
    HttpOptions options = context.Http;
    options.UserAgent = DownloadAgent;
    if (capture != nullptr) {
        options.Cancelled = [capture] { return capture->Cancelled.load(); };
    }
    return options;
}

// The options of one request of a page's capture that must end by `deadline`: its total time
// is what the page has left, when that is less than its own bound. Nothing when no time is left.
std::optional<HttpOptions> WithinDeadline(const HttpOptions& options,
                                          PageClock::time_point deadline) {
    const PageClock::duration left = deadline - PageClock::now();
    if (left <= PageClock::duration::zero()) {
        return std::nullopt;
    }
    // Rounded up: a total of 0 would set no bound at all.
    const auto bound = std::chrono::ceil<std::chrono::milliseconds>(left);
    HttpOptions bounded = options;
    if (bounded.TotalTimeout <= std::chrono::milliseconds::zero() || bounded.TotalTimeout > bound) {
        bounded.TotalTimeout = bound;
    }
    return bounded;
}

// A page stored at `relative` below the node folder finds the node folder again through
// this base: one "../" per folder on its path.
std::string FolderBase(std::string_view relative) {
    std::string base;
    for (char c : relative) {
        if (c == '/') {
            base += "../";
        }
    }
    return base;
}

// A local file is read whole, so it is taken only when it is a file of at most `limit` bytes
// (0 takes any size): a device such as /dev/zero never ends. Null when it is not taken.
std::unique_ptr<char[]> ReadBoundedFile(const std::string& path, size_t limit, size_t& size) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) {
        return nullptr;
    }
    const uintmax_t length = fs::file_size(path, error);
    if (error || (limit != 0 && length > limit)) {
        return nullptr;
    }
    std::unique_ptr<char[]> data = ReadWholeFile(path, &size);
    if (limit != 0 && size > limit) {
        return nullptr; // it grew while it was read
    }
    return data;
}

class ResourceFetcher {
public:
    // Counts every resource, of the page and of its frames, in `counted`.
    // The same-site host is the one of the capture's root page; `pageUrl` stands in for it in
    // a capture without a root.
    // Every request ends by `deadline`, the end of the page's time.
    ResourceFetcher(PageContent& counted, uint32_t nodeId, bool useCache, MultiCapture* capture,
                    const CaptureContext& context, std::string_view pageUrl,
                    PageClock::time_point deadline)
        : counted_(counted), nodeId_(nodeId), useCache_(useCache), capture_(capture),
          context_(context), store_(context.Root, context.Store, nodeId),
          options_(TransferOptions(context, capture)), deadline_(deadline) {
        if (capture_ != nullptr) {
            host_ = CrackUrl(
                capture_->Root != nullptr ? capture_->Root->RequestedUrl : std::string(pageUrl), 1);
        }
    }

    // A page already captured is not captured again as a frame.
    void MarkFrame(const std::string& url) { frames_.insert(url); }

    void Fetch(PageContent& content, std::span<const std::string_view> wanted,
               std::string_view pageUrl, int depth);

private:
    void QueueHyperlink(const Link& link, bool netPage);
    FetchKind FetchResource(const Link& link, bool netPage, bool frame, int depth);
    // Fetches the links of each local path on the capture's pool.
    void FetchSideBySide(PageContent& content, bool netPage,
                         const std::map<std::string, std::vector<size_t>>& paths);
    FetchKind FetchNetResource(const Link& link);
    FetchKind DownloadResource(const Link& link);
    std::string CaptureFrame(const std::string& url, std::string bytes, const std::string& relative,
                             int depth);

    PageContent& counted_;
    uint32_t nodeId_;
    bool useCache_;
    MultiCapture* capture_;
    const CaptureContext& context_;
    ResourceStore store_;
    HttpOptions options_;
    PageClock::time_point deadline_;
    std::string host_; // of the capture's page, for the same-site test
    std::unordered_set<std::string> frames_;
};

void ResourceFetcher::Fetch(PageContent& content, std::span<const std::string_view> wanted,
                            std::string_view pageUrl, int depth) {
    const bool netPage = IsNetUrl(pageUrl);
    // Resources of the net are fetched side by side once the list has been walked; links of
    // one local path stay in their order, so the later one still wins.
    std::map<std::string, std::vector<size_t>> sideBySide;
    for (size_t i = 0; i < content.Links.size(); ++i) {
        if (capture_ != nullptr && capture_->Port != nullptr) {
            capture_->Port->ProcessMessages();
        }
        if (IsCancelled(capture_)) {
            return;
        }
        Link& link = content.Links[i];
        if (SameText(link.Type, "hyperlink")) {
            QueueHyperlink(link, netPage);
        }
        if (!IsInStringArray(wanted, link.Type)) {
            continue;
        }
        const bool frame = SameText(link.Type, "frame");
        if (frame && (depth >= MaxFrameDepth || !frames_.insert(link.Url).second)) {
            continue;
        }
        link.LocalPath = LinkFilePath(link.LocalPath);
        if (capture_ != nullptr && !frame && IsNetUrl(link.Url)) {
            sideBySide[link.LocalPath].push_back(i);
            continue;
        }
        CountFetch(counted_, link.Type, FetchResource(link, netPage, frame, depth));
    }
    FetchSideBySide(content, netPage, sideBySide);
}

void ResourceFetcher::FetchSideBySide(PageContent& content, bool netPage,
                                      const std::map<std::string, std::vector<size_t>>& paths) {
    if (paths.empty()) {
        return;
    }
    if (capture_->Pool == nullptr) {
        capture_->Pool = std::make_unique<ResourcePool>(ResourceThreads);
    }
    // A link left out by a cancel is not counted, as if the loop had stopped before it.
    std::vector<std::optional<FetchKind>> kinds(content.Links.size());
    std::vector<std::function<void()>> jobs;
    for (const auto& entry : paths) {
        // The links are named outside the lambda: a structured binding cannot be captured by
        // every compiler the program builds with.
        const auto& links = entry.second;
        jobs.emplace_back([this, &content, &kinds, &links, netPage] {
            for (size_t i : links) {
                if (IsCancelled(capture_)) {
                    return;
                }
                kinds[i] = FetchResource(content.Links[i], netPage, false, 0);
            }
        });
    }
    capture_->Pool->Run(std::move(jobs));
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i]) {
            CountFetch(counted_, content.Links[i].Type, *kinds[i]);
        }
    }
}

void ResourceFetcher::QueueHyperlink(const Link& link, bool netPage) {
    if (capture_ == nullptr) {
        return;
    }
    // A page from the net leads to no local file and no mail or script address.
    if (netPage && !IsNetUrl(link.Url)) {
        return;
    }
    if (capture_->Options.CurrentWebOnly && Pos(host_, link.Url) == 0) {
        return;
    }
    capture_->NextLevelLinks.push_back(link.Url);
}

FetchKind ResourceFetcher::FetchResource(const Link& link, bool netPage, bool frame, int depth) {
    const std::string& relative = link.LocalPath;
    if (relative.empty() || relative.back() == '/') {
        return FetchKind::Failed; // names a folder, not a file
    }
    const bool net = IsNetUrl(link.Url);
    // A page from the net could name any file of this computer.
    if (!net && netPage) {
        return FetchKind::Failed;
    }
    if (net && !frame) {
        return FetchNetResource(link);
    }
    FetchKind kind = FetchKind::NetOrFile;
    std::string finalUrl = link.Url;
    std::optional<std::string> bytes;
    if (net && useCache_) {
        bytes = ReadUrlFromCache(context_.Cache, link.Url);
        kind = bytes ? FetchKind::Cache : kind;
    }
    if (!bytes && net) {
        std::optional<HttpOptions> framePage = WithinDeadline(options_, deadline_);
        if (!framePage) {
            return FetchKind::Failed;
        }
        framePage->MaxBodySize = MaxPageSize;
        bytes = DownloadUrl(link.Url, std::string(), *framePage, &finalUrl);
    } else if (!bytes) {
        size_t size = 0;
        std::unique_ptr<char[]> data = ReadBoundedFile(
            FileUrlToPath(link.Url), frame ? MaxPageSize : options_.MaxBodySize, size);
        if (data == nullptr) {
            return FetchKind::Failed;
        }
        if (!frame) {
            return store_.Save(relative, std::string_view(data.get(), size)) ? kind
                                                                             : FetchKind::Failed;
        }
        bytes.emplace(data.get(), size);
    }
    if (!bytes) {
        return FetchKind::Failed;
    }
    if (frame) {
        *bytes = CaptureFrame(finalUrl, std::move(*bytes), relative, depth);
    }
    return store_.Save(relative, *bytes) ? kind : FetchKind::Failed;
}

// A resource of the net is fetched once in a capture: every other page that uses it gets
// the file stored then, in its own node folder.
FetchKind ResourceFetcher::FetchNetResource(const Link& link) {
    if (capture_ == nullptr) {
        return DownloadResource(link);
    }
    std::optional<CapturedResource> known;
    {
        std::lock_guard<std::mutex> guard(capture_->ResourcesLock);
        auto found = capture_->Resources.find(link.Url);
        if (found != capture_->Resources.end()) {
            known = found->second;
        }
    }
    if (known && store_.Share(known->File, link.LocalPath)) {
        return known->Kind;
    }
    // Never fetched, or the file stored then has gone or been replaced since.
    const FetchKind kind = DownloadResource(link);
    if (kind != FetchKind::Failed) {
        if (std::optional<StoredFile> file = store_.Stored(link.LocalPath)) {
            std::lock_guard<std::mutex> guard(capture_->ResourcesLock);
            capture_->Resources[link.Url] = {kind, std::move(*file)};
        }
    }
    return kind;
}

FetchKind ResourceFetcher::DownloadResource(const Link& link) {
    if (useCache_) {
        if (std::optional<std::string> bytes = ReadUrlFromCache(context_.Cache, link.Url)) {
            return store_.Save(link.LocalPath, *bytes) ? FetchKind::Cache : FetchKind::Failed;
        }
    }
    const std::optional<HttpOptions> options = WithinDeadline(options_, deadline_);
    // Straight to the file, so a large resource is never held in memory.
    return options && store_.Download(link.Url, link.LocalPath, *options) ? FetchKind::NetOrFile
                                                                          : FetchKind::Failed;
}

// The frame's page is rewritten like the node's own page, and its resources go into the same
// node folder. Its references lead from the node folder, as the page's do, so the stored
// frame gets a base back to the node folder.
std::string ResourceFetcher::CaptureFrame(const std::string& url, std::string bytes,
                                          const std::string& relative, int depth) {
    TPageInfo frame;
    frame.Id = nodeId_;
    frame.RequestedUrl = url;
    frame.FinalUrl = url;
    frame.Content.FetchedText = std::move(bytes);
    ParsePage(frame, capture_);
    MarkFrame(frame.FinalUrl);
    Fetch(frame.Content, PageResourceTypes, frame.FinalUrl, depth + 1);
    const std::string base = FolderBase(relative);
    if (base.empty()) {
        return std::move(frame.Content.PageHtml);
    }
    return InsertBaseHref(frame.Content.PageHtml, base);
}

// A capture that asked for the page and got none leaves the node without a page of its own:
// the text held from an earlier capture, perhaps of another address, would otherwise be
// stored again and reported as this capture's page, under that capture's final URL.
bool PageNotObtained(TPageInfo& node) {
    node.Content.FetchedText.clear();
    node.FinalUrl.clear();
    return false;
}

// A page the node folder cannot take is not captured: the node keeps the page it showed.
bool PageNotStored(TPageInfo& node, MultiCapture* capture, const std::string& why) {
    node.Progress.StatusText = FailedStatus(why);
    if (capture != nullptr && capture->StoreRefusal.empty()) {
        capture->StoreRefusal =
            "Capture Failed: " + node.RequestedUrl + " could not be stored: " + why + ".";
    }
    return PageNotObtained(node);
}

// Downloads the node's page by the deadline. False when the server could not be reached, or
// answered with nothing the page can be made of.
bool DownloadPage(TPageInfo& node, MultiCapture* capture, const CaptureContext& context,
                  PageClock::time_point deadline) {
    std::optional<HttpOptions> options =
        WithinDeadline(TransferOptions(context, capture), deadline);
    if (!options) {
        return PageNotObtained(node);
    }
    options->MaxBodySize = MaxPageSize;
    HttpResult result =
        ThreadHttpClient().Get(node.RequestedUrl, *options, [](const HttpResult& headers) {
            return IsDownloadStatus(headers) && IsHtmlContentType(headers);
        });
    if (result.TooLarge) {
        node.Progress.StatusText = PageTooLargeStatus;
    }
    if (!result.Ok()) {
        return PageNotObtained(node);
    }
    node.Content.FetchedText = std::move(result.Body);
    node.FinalUrl = result.FinalUrl.empty() ? node.RequestedUrl : result.FinalUrl;
    return true;
}

// A page handed over with the request is what the user saw; the server may answer anything
// else by now.
bool HoldsGivenPage(const TPageInfo& node, const MultiCapture* capture) {
    return capture != nullptr && capture->Options.PageGiven && !node.Content.FetchedText.empty();
}

void ReadLocalPage(TPageInfo& node) {
    size_t size = 0;
    std::unique_ptr<char[]> data =
        ReadBoundedFile(FileUrlToPath(node.RequestedUrl), MaxPageSize, size);
    if (data == nullptr) {
        PageNotObtained(node);
        return;
    }
    node.Content.FetchedText.assign(data.get(), size);
    node.FinalUrl = node.RequestedUrl;
}

} // namespace

bool IsInStringArray(std::span<const std::string_view> array, std::string_view text) {
    return std::any_of(array.begin(), array.end(),
                       [text](std::string_view entry) { return SameText(entry, text); });
}

void CountFetch(PageContent& content, std::string_view type, FetchKind kind) {
    CaptureGroupCounts& group = content.Stats.Groups[GroupOf(type)];
    ++content.Stats.Total;
    switch (kind) {
    case FetchKind::Cache:
        ++group.Cached;
        break;
    case FetchKind::NetOrFile:
        ++group.Fetched;
        break;
    case FetchKind::Failed:
        ++group.Failed;
        break;
    }
}

std::string FailedStatus(std::string_view reason) {
    return "Download Failed: " + std::string(reason);
}

bool IsFailedStatus(std::string_view text) {
    return text.starts_with(FailedStatus(""));
}

PageClock::time_point PageDeadline(const CaptureContext& context) {
    return PageClock::now() + context.PageTime;
}

bool DownloadPageText(TPageInfo& node, MultiCapture* capture, const CaptureContext& context,
                      PageClock::time_point deadline) {
    return DownloadPage(node, capture, context, deadline);
}

bool CapturePage(TPageInfo& node, bool useCache, MultiCapture* capture,
                 const CaptureContext& context) {
    const PageClock::time_point deadline = PageDeadline(context);
    node.CurrentCapture = capture;
    PageContent& content = node.Content;
    if (!HoldsGivenPage(node, capture) && (!useCache || content.FetchedText.empty())) {
        std::optional<std::string> cached;
        if (useCache) {
            cached = ReadUrlFromCache(context.Cache, node.RequestedUrl);
        }
        if (cached) {
            content.FetchedText = std::move(*cached);
        } else if (!IsNetUrl(node.RequestedUrl)) {
            ReadLocalPage(node);
        } else if (!DownloadPage(node, capture, context, deadline)) {
            return false;
        }
    }
    return CaptureFetchedPage(node, useCache, capture, context, deadline);
}

bool CaptureFetchedPage(TPageInfo& node, bool useCache, MultiCapture* capture,
                        const CaptureContext& context,
                        std::optional<PageClock::time_point> deadline) {
    node.CurrentCapture = capture;
    PageContent& content = node.Content;
    if (content.FetchedText.empty()) {
        return false;
    }
    // Checked before anything is rewritten or fetched: a capture that could store nothing
    // would otherwise end as if it had stored the page.
    std::string refusal;
    if (!ResourceStore(context.Root, context.Store, node.Id).CanStorePage(refusal)) {
        return PageNotStored(node, capture, refusal);
    }
    if (node.FinalUrl.empty()) {
        node.FinalUrl = node.RequestedUrl;
    }
    ParsePage(node, capture);
    ResourceFetcher fetcher(content, node.Id, useCache, capture, context, node.RequestedUrl,
                            deadline.value_or(PageDeadline(context)));
    fetcher.MarkFrame(node.RequestedUrl);
    fetcher.MarkFrame(node.FinalUrl);
    fetcher.Fetch(content, PageResourceTypes, node.FinalUrl, 0);
    return true;
}

void FetchPageResources(PageContent& content, std::span<const std::string_view> wanted,
                        uint32_t nodeId, bool useCache, MultiCapture* capture,
                        const CaptureContext& context, std::string_view pageUrl) {
    ResourceFetcher fetcher(content, nodeId, useCache, capture, context, pageUrl,
                            PageDeadline(context));
    fetcher.MarkFrame(std::string(pageUrl));
    fetcher.Fetch(content, wanted, pageUrl, 0);
}
