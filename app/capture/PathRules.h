#pragma once

// The rules that turn the references of a page into absolute URLs and into paths below the
// node folder, and the file-name cleaning the binder commands share with them.

#include "app/binder/FileNames.h"

#include <string>
#include <string_view>

// True when the URL begins with "http://", "https://", "ftp://" or "file://" (any case). A
// URL that begins with "//" gets "http:" in front and counts as absolute too.
bool NormaliseAbsoluteUrl(std::string& url);

bool StartsWithSlash(std::string_view text);

// Resolves `reference` against the folder of `base` (the base up to its last separator, "\"
// when the base holds one, else "/"). "." and ".." are whole path segments; a ".." never
// climbs above the start of the base's path ("scheme://host" for a URL), and a URL
// reference's query and fragment are kept as written.
std::string ResolveRelativePath(std::string_view base, std::string_view reference);

// The path of an absolute URL below the node folder: the text after its "://", cleaned by
// CleanPathName, without a leading "host/" of the page's own host. An empty host cuts nothing.
std::string LocalPathOfUrl(std::string_view url, std::string_view host);

// Makes a piece of a URL fit for a file path: a text holding "://" is lower-cased and loses
// every "://"; then every ':', '*', '?', '"', '<', '>', '|' and '%' goes and "//" becomes "/".
void CleanPathName(std::string& text);
// Only the character removal of CleanPathName.
void RemovePathJunk(std::string& text);

// A path below the node folder as it is stored and referenced: "/" and "\" separate,
// empty and "." segments go, a ".." takes away the segment before it and is dropped where
// there is none, NUL bytes go. The result never leaves the folder it is relative to. A
// trailing separator stays.
std::string NormaliseLocalPath(std::string_view path);

// The text after the last "."; empty when there is none.
std::string GetFileExtension(std::string_view name);

// The extension of a URL's file: the URL is cut before its last "?" first.
std::string UrlFileExtension(std::string_view url);
