#include "app/capture/PathRules.h"

#include "platform/base/StringUtils.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Splits `path` at both separators and resolves "." and ".." segments; a ".." with nothing
// before it is dropped. With `dropEmpty` the empty segments of doubled and leading separators
// go too, else a leading separator stays in front. The segments are joined with `separator`;
// a path that ended in a folder ("/", "." or "..") keeps a trailing separator.
std::string ResolveSegments(std::string_view path, char separator, bool dropEmpty) {
    bool rooted = !dropEmpty && !path.empty() && IsSeparator(path.front());
    std::vector<std::string_view> segments;
    bool trailing = false;
    for (size_t begin = rooted ? 1 : 0; begin <= path.size();) {
        size_t end = begin;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        std::string_view segment = path.substr(begin, end - begin);
        trailing = true;
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (segment != "." && !(segment.empty() && (dropEmpty || end == path.size()))) {
            segments.push_back(segment);
            trailing = false;
        }
        begin = end + 1;
    }
    std::string result;
    result.reserve(path.size() + 1);
    if (rooted) {
        result += separator;
    }
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) {
            result += separator;
        }
        result += segments[i];
    }
    if (trailing && !segments.empty()) {
        result += separator;
    }
    return result;
}

bool IsPathNameJunk(char c) {
    return c != '\0' && std::string_view(":*?\"<>|%").find(c) != npos;
}

} // namespace

bool NormaliseAbsoluteUrl(std::string& url) {
    if (StartsText("http://", url) || StartsText("https://", url) || StartsText("ftp://", url) ||
        StartsText("file://", url)) {
        return true;
    }
    if (url.starts_with("//")) {
        url.insert(0, "http:");
        return true;
    }
    return false;
}

bool StartsWithSlash(std::string_view text) {
    return !text.empty() && text.front() == '/';
}

std::string ResolveRelativePath(std::string_view base, std::string_view reference) {
    size_t scheme = base.find("://");
    bool url = scheme != npos;
    if (url) {
        base = base.substr(0, base.find_first_of("?#")); // separators in a query do not count
    }
    char separator = base.find('\\') != npos ? '\\' : '/';
    size_t cut = base.rfind(separator);
    std::string_view folder;
    if (cut != npos) {
        folder = url && cut < scheme + 3 ? base : base.substr(0, cut);
    }
    // A URL's "scheme://host" is never climbed over.
    std::string_view prefix;
    std::string_view tail;
    if (url) {
        size_t pathStart = std::min(folder.find(separator, scheme + 3), folder.size());
        prefix = folder.substr(0, pathStart);
        folder.remove_prefix(pathStart);
        size_t query = reference.find_first_of("?#");
        if (query != npos) {
            tail = reference.substr(query);
            reference = reference.substr(0, query);
        }
    }
    std::string joined(folder);
    if (reference.empty() || !IsSeparator(reference.front())) {
        joined += separator;
    }
    joined += reference;
    std::string result(prefix);
    result += ResolveSegments(joined, separator, false);
    result += tail;
    return result;
}

std::string LocalPathOfUrl(std::string_view url, std::string_view host) {
    size_t at = url.find("://");
    std::string path(at == npos ? url : url.substr(at + 3));
    CleanPathName(path);
    // Only the whole host counts: "hx/a.gif" is not on host "h".
    if (!host.empty() && StartsText(host, path) &&
        (path.size() == host.size() || IsSeparator(path[host.size()]))) {
        path.erase(0, std::min(path.size(), host.size() + 1));
    }
    return path;
}

void CleanPathName(std::string& text) {
    if (text.find("://") != npos) {
        text = LowerCase(text);
        text = ReplaceAll(text, "://", "");
        text = ReplaceAll(text, "://", "");
    }
    RemovePathJunk(text);
    text = ReplaceAll(text, "//", "/");
}

void RemovePathJunk(std::string& text) {
    std::erase_if(text, IsPathNameJunk);
}

std::string NormaliseLocalPath(std::string_view path) {
    std::string text(path);
    std::erase(text, '\0');
    return ResolveSegments(text, '/', true);
}

std::string GetFileExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string UrlFileExtension(std::string_view url) {
    return GetFileExtension(url.substr(0, url.rfind('?')));
}
