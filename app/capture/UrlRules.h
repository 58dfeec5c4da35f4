#pragma once

// Reading URLs: which ones come from the net, and their host and path.

#include <string>
#include <string_view>

// The pieces of a URL written "scheme://authority/path?query".
struct UrlParts {
    bool Valid = false;      // false when the text has no "scheme://"
    std::string Host;        // without user, password and port; percent escapes decoded
    std::string Path;        // from the first separator after the authority up to the query
    size_t AuthorityEnd = 0; // index just behind the authority, where an empty path belongs
};

UrlParts SplitUrl(std::string_view url);

// Part 1 gives the host name, part 2 the URL path; any other part, an empty path or a text that
// is no URL gives an empty text.
std::string CrackUrl(std::string_view url, int part);

// True for URLs that begin with "http://", "https://" or "ftp://", in any case.
bool IsNetUrl(std::string_view url);

// The local path of a "file:" URL or of a plain path: the leading "/"s and "file:" go, "\"
// becomes "/" and "|" ":" (a drive written "C|"), '*', '?', '"', '<' and '>' go and "%20"
// becomes a blank. A path that was written from the root keeps one leading "/"
// ("file:///home/u/a.htm" is "/home/u/a.htm"); a drive path keeps none ("C:/d/a.htm").
std::string FileUrlToPath(std::string_view url);
