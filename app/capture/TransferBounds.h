#pragma once

// How much one download of a page, a resource or a file task may bring, and for how long.

#include "platform/net/HttpClient.h"

#include <chrono>
#include <cstddef>

// A resource of a page, or the file of a file task, longer than this is cut off there and
// counted as failed, its partial file removed: an endless one would fill the disk, also in a
// capture of the download queue, which runs unseen when a binder opens.
inline constexpr size_t MaxResourceSize = size_t{256} << 20;

// Every request ends failed when it has not ended this long after it began: a server that
// sends a byte now and then is never idle long enough for the stall timeout, and would hold the
// page, or a worker of the download queue, for as long as it likes.
inline constexpr std::chrono::minutes MaxTransferTime{5};

// A page's capture, its own download and every resource of it (frames too) taken together, ends
// when it has not ended this long after it began: the resources share what the page left of it,
// and those not fetched by then count as failed. A user waits minutes at most for one page;
// without a bound of the whole, a page of slow pictures, fetched a few at a time each under
// its own bound, would hold its capture, or the download queue, for the pictures' sum.
inline constexpr std::chrono::milliseconds MaxPageTime = std::chrono::minutes(3);

// The transfer options captures and file tasks start from: the client's timeouts,
// MaxTransferTime as the total bound and MaxResourceSize as the largest body (pages set their
// own, smaller bound).
inline HttpOptions BoundedTransferOptions() {
    HttpOptions options;
    options.MaxBodySize = MaxResourceSize;
    options.TotalTimeout = MaxTransferTime;
    return options;
}
