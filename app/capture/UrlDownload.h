#pragma once

// Single downloads of the capture engine: a URL's whole body, its content type, whether it is
// of a wanted file type, and the browser cache's copy of it.

#include "app/capture/TransferBounds.h"
#include "platform/net/HttpClient.h"

#include <optional>
#include <string>
#include <string_view>

class IUrlCache;

// The agent of page and resource downloads, and the one of the content-type query.
inline constexpr const char* DownloadAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
inline constexpr const char* ContentTypeAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows XP)";

// The cached bytes of a URL, or nothing; a null cache holds nothing.
std::optional<std::string> ReadUrlFromCache(IUrlCache* cache, const std::string& url);

// The whole body of a URL, byte for byte, or nothing when the transfer failed or the server
// answered with an error status (400 and above). The filter does not change the result.
// `options` gives the timeouts and the cancel check; the agent is always DownloadAgent. The
// address after redirects goes to `finalUrl` when one is given.
std::optional<std::string> DownloadUrl(const std::string& url, const std::string& filter,
                                       const HttpOptions& options = BoundedTransferOptions(),
                                       std::string* finalUrl = nullptr);

// The header check of downloads: an error status (400 and above) is refused before its body
// is read, as an error page is not the thing asked for.
bool IsDownloadStatus(const HttpResult& headers);

// The whole Content-Type header of the URL's answer; empty when there is none or the URL
// cannot be fetched. The body is never read.
std::string QueryUrlContentType(const std::string& url,
                                const HttpOptions& options = BoundedTransferOptions());

// True when one of the comma-separated extensions occurs in the URL (case-sensitive), or the
// URL's content type holds the keyword of one of them ("doc" is "msword", "exe" "octet" ...).
// The content type is asked for in every case.
bool IsUrlOfFileTypes(const std::string& url, std::string_view extensions,
                      const HttpOptions& options = BoundedTransferOptions());

// The content-type test of pages: a type that says HTML, or none at all.
bool IsHtmlContentType(const HttpResult& headers);
