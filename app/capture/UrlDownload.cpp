#include "app/capture/UrlDownload.h"

#include "platform/base/StringUtils.h"
#include "platform/net/UrlCache.h"

#include <vector>

namespace {

// The content-type keyword of the file types whose type names differ from their extension.
std::string_view TypeKeyword(std::string_view extension) {
    static constexpr std::pair<std::string_view, std::string_view> keywords[] = {
        {"exe", "octet"},     {"doc", "msword"},  {"ppt", "powerpoint"}, {"hlp", "mshelp"},
        {"mp3", "mpeg3"},     {"ra", "real"},     {"rm", "real"},        {"ram", "real"},
        {"mov", "quicktime"}, {"avi", "msvideo"},
    };
    for (const auto& [name, keyword] : keywords) {
        if (SameText(name, extension)) {
            return keyword;
        }
    }
    return extension;
}

} // namespace

std::optional<std::string> ReadUrlFromCache(IUrlCache* cache, const std::string& url) {
    if (cache == nullptr) {
        return std::nullopt;
    }
    return cache->Lookup(url);
}

std::optional<std::string> DownloadUrl(const std::string& url, const std::string& filter,
                                       const HttpOptions& options, std::string* finalUrl) {
    (void)filter;
    HttpOptions download = options;
    download.UserAgent = DownloadAgent;
    HttpResult result = ThreadHttpClient().Get(url, download, IsDownloadStatus);
    if (!result.Ok()) {
        return std::nullopt;
    }
    if (finalUrl != nullptr) {
        *finalUrl = std::move(result.FinalUrl);
    }
    return std::move(result.Body);
}

bool IsDownloadStatus(const HttpResult& headers) {
    return headers.Status < 400;
}

std::string QueryUrlContentType(const std::string& url, const HttpOptions& options) {
    HttpOptions query = options;
    query.UserAgent = ContentTypeAgent;
    HttpResult result = ThreadHttpClient().QueryHeaders(url, query);
    return result.Ok() ? result.ContentType : std::string();
}

bool IsUrlOfFileTypes(const std::string& url, std::string_view extensions,
                      const HttpOptions& options) {
    std::vector<std::string> names;
    std::vector<std::string> keywords;
    const std::string list = LowerCase(extensions);
    for (size_t begin = 0; begin <= list.size();) {
        size_t end = list.find(',', begin);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string item = list.substr(begin, end - begin);
        if (!item.empty()) {
            keywords.emplace_back(TypeKeyword(item));
            names.push_back(std::move(item));
        }
        begin = end + 1;
    }
    // Type names are not case-sensitive, so the keywords are looked for in the lower-case type.
    const std::string type = LowerCase(QueryUrlContentType(url, options));
    for (size_t i = 0; i < names.size(); ++i) {
        if (Pos(names[i], url) > 0 || Pos(keywords[i], type) > 0) {
            return true;
        }
    }
    return false;
}

bool IsHtmlContentType(const HttpResult& headers) {
    return !headers.HasContentType || Pos("text/html", LowerCase(headers.ContentType)) > 0;
}
