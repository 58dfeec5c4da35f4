#include "app/capture/UrlRules.h"

#include "platform/base/StringUtils.h"

namespace {

bool IsSchemeChar(char c, bool first) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

std::string DecodePercent(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            result +=
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

// The host of an authority: the user and password before "@" and the port go.
std::string_view HostOfAuthority(std::string_view authority) {
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (!authority.empty() && authority.front() == '[') {
        size_t close = authority.find(']');
        return close == std::string_view::npos ? authority : authority.substr(0, close + 1);
    }
    return authority.substr(0, authority.find(':'));
}

} // namespace

UrlParts SplitUrl(std::string_view url) {
    UrlParts parts;
    size_t colon = 0;
    while (colon < url.size() && IsSchemeChar(url[colon], colon == 0)) {
        ++colon;
    }
    if (colon == 0 || url.substr(colon, 3) != "://") {
        return parts;
    }
    bool file = SameText(url.substr(0, colon), "file");
    size_t authorityBegin = colon + 3;
    size_t authorityEnd = url.find_first_of("/\\?#", authorityBegin);
    if (authorityEnd == std::string_view::npos) {
        authorityEnd = url.size();
    }
    std::string_view authority = url.substr(authorityBegin, authorityEnd - authorityBegin);
    // "file://C:\dir\a.htm" and "file://C|/dir/a.htm" name a drive, not a host.
    if (file && authority.find_first_of(":|") != std::string_view::npos) {
        authorityEnd = authorityBegin;
        authority = {};
    }
    size_t pathEnd = url.find_first_of("?#", authorityEnd);
    if (pathEnd == std::string_view::npos) {
        pathEnd = url.size();
    }
    parts.Valid = true;
    parts.Host = DecodePercent(HostOfAuthority(authority));
    parts.Path = DecodePercent(url.substr(authorityEnd, pathEnd - authorityEnd));
    parts.AuthorityEnd = authorityEnd;
    return parts;
}

std::string CrackUrl(std::string_view url, int part) {
    UrlParts parts = SplitUrl(url);
    if (part == 1) {
        return parts.Host;
    }
    if (part == 2) {
        return parts.Path;
    }
    return {};
}

bool IsNetUrl(std::string_view url) {
    return StartsText("http://", url) || StartsText("https://", url) || StartsText("ftp://", url);
}

std::string FileUrlToPath(std::string_view url) {
    auto dropSlashes = [](std::string_view& text) {
        bool dropped = false;
        while (!text.empty() && (text.front() == '/' || text.front() == '\\')) {
            text.remove_prefix(1);
            dropped = true;
        }
        return dropped;
    };
    bool rooted = dropSlashes(url);
    if (StartsText("file:", url)) {
        url.remove_prefix(5);
        rooted = false;
    }
    rooted = dropSlashes(url) || rooted;
    std::string path;
    path.reserve(url.size() + 1);
    for (char c : url) {
        if (c == '\\') {
            path += '/';
        } else if (c == '|') {
            path += ':';
        } else if (std::string_view("*?\"<>").find(c) == std::string_view::npos) {
            path += c;
        }
    }
    path = ReplaceAll(path, "%20", " ");
    const bool drive = path.size() >= 2 && path[1] == ':' && IsSchemeChar(path[0], true);
    if (rooted && !drive) {
        path.insert(path.begin(), '/');
    }
    return path;
}
