#pragma once

// Capturing a node's web page: its text from the cache, the net or a local file, rewritten
// for offline viewing, and every resource it needs stored below the node folder.

#include "app/capture/TransferBounds.h"
#include "platform/net/HttpClient.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class IUrlCache;
class TPageInfo;
struct MultiCapture;
struct PageContent;

// Where a capture stores its files and what it reads besides the net. The node folder of a
// node is <Root>/<Store>/<node id in upper-case hexadecimal>.
struct CaptureContext {
    std::string Root;           // the open binder's root folder
    std::string Store;          // its store folder, below the root
    IUrlCache* Cache = nullptr; // the browser's URL cache; none reads nothing
    // Timeouts of every transfer and the largest resource; agent and cancel check are set here.
    HttpOptions Http = BoundedTransferOptions();
    // The whole time one page's capture may take, its resources included.
    std::chrono::milliseconds PageTime = MaxPageTime;
};

using PageClock = std::chrono::steady_clock;

// When the capture of a page that begins now has to have ended.
PageClock::time_point PageDeadline(const CaptureContext& context);

// The resource types a page capture fetches, in the order they are tested.
inline constexpr std::string_view PageResourceTypes[] = {"css",   "img",        "script",
                                                         "flash", "scriptlink", "frame"};

// A page, or a frame page, is held whole while it is rewritten; one larger than this is
// refused, so an endless page cannot take all the memory.
inline constexpr size_t MaxPageSize = size_t{64} << 20;
// The status text of a node whose page was refused for its size.
inline constexpr const char* PageTooLargeStatus = "Download Failed: the page is larger than 64 MB";
// The status text of a node whose capture failed for `reason`, as PageTooLargeStatus is made.
std::string FailedStatus(std::string_view reason);
// True for a status text that says why a capture failed (FailedStatus).
bool IsFailedStatus(std::string_view text);

// Where a resource came from, as counted in the capture statistics.
enum class FetchKind { Cache = 1, NetOrFile = 2, Failed = 3 };

// True when the text equals an entry of the array, ignoring case.
bool IsInStringArray(std::span<const std::string_view> array, std::string_view text);

// Adds one to the resources tried and to the counter of the type's group for the kind.
void CountFetch(PageContent& content, std::string_view type, FetchKind kind);

// Gets the node's page and processes it. With `useCache` a held page text is processed again
// without any download, and the cache is read before the net; so is a page handed over with
// the request. A page from the net must answer with an HTML type (or none) and a status below
// 400 and be at most MaxPageSize long (else the node's status text says so); its final URL
// becomes the node's. The page and its resources are fetched within the context's PageTime
// from the call on: a request still at work then is cut and fails, and no request starts
// after it. A "file:" URL or a plain path is read from the disk. True when a page
// text was obtained and processed, whatever its resources gave. A page asked for and not
// obtained (no answer, a refused answer, an unreadable file) leaves the node with no page
// text and no final URL, and false; the files it stored before stay. So does a page that
// cannot be stored (CaptureFetchedPage).
bool CapturePage(TPageInfo& node, bool useCache, MultiCapture* capture,
                 const CaptureContext& context);

// Downloads the page of the node's requested URL from the net into its page text and final
// URL, under the rules of CapturePage, ending by `deadline` at the latest. False, with no text
// and no final URL, when the URL could not be reached in time or the page cannot be used.
bool DownloadPageText(TPageInfo& node, MultiCapture* capture, const CaptureContext& context,
                      PageClock::time_point deadline);

// The part of CapturePage after the page text was obtained: the held text is rewritten and its
// resources stored, by `deadline` (none: the context's PageTime from now). False when no text
// is held, and when the node folder cannot take its page (not the program's, a read-only disk):
// then nothing is fetched or written, the node keeps the page it had, without text or final
// URL, its status text says why (FailedStatus), and the capture's StoreRefusal, when still
// empty, gets the message for the user, naming the folder.
bool CaptureFetchedPage(TPageInfo& node, bool useCache, MultiCapture* capture,
                        const CaptureContext& context,
                        std::optional<PageClock::time_point> deadline = std::nullopt);

// Fetches the resources of `content` whose type is wanted and writes each below the node
// folder under its local path; frames are captured into the same folder, with their own
// resources, to a depth of 8, each frame URL once. Every resource tried is counted in the
// statistics of `content`: fetched only when it was also written; one from the net longer
// than the context's largest body fails and leaves no file. A page from the net (`pageUrl`)
// takes no local files. Hyperlinks go to the capture's list for the next level.
// A cancelled capture stops before the next link. The resources share the context's PageTime
// from the call on; one that has none left fails without a request.
void FetchPageResources(PageContent& content, std::span<const std::string_view> wanted,
                        uint32_t nodeId, bool useCache, MultiCapture* capture,
                        const CaptureContext& context, std::string_view pageUrl);
