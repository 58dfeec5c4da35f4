#pragma once

// How much one download of a resource or of a file task may bring.

#include "platform/net/HttpClient.h"

#include <cstddef>

// A resource of a page, or the file of a file task, longer than this is cut off there and
// counted as failed, its partial file removed: an endless one would fill the disk, also in a
// capture of the download queue, which runs unseen when a binder opens.
inline constexpr size_t MaxResourceSize = size_t{256} << 20;

// The transfer options captures and file tasks start from: the client's timeouts and
// MaxResourceSize as the largest body (pages set their own, smaller bound).
inline HttpOptions BoundedTransferOptions() {
    HttpOptions options;
    options.MaxBodySize = MaxResourceSize;
    return options;
}
