#pragma once

// Preparing a stored page for showing: its base element and the removal of its scripts.

#include <string>
#include <string_view>

struct PageContent;

// The HTML with <base href="URL"> inserted behind the end of "</title", else "</head", else
// "<html" (found in any case), else at the start. An empty HTML stays empty.
std::string InsertBaseHref(std::string_view html, std::string_view url);
// InsertBaseHref on the rewritten page HTML.
std::string InsertPageBaseHref(const PageContent& content, std::string_view url);

// The HTML without its "<script" ... "</script>" blocks (any case) and without the onblur,
// onfocus, onload, onunload and onbeforeunload attributes of its tags.
std::string StripScripts(std::string_view html);
