#pragma once

// The converter of enhanced metafile records loops on data it reads itself, which no check of
// the bytes can bound. So a conversion of a picture's bytes into SVG text runs in a child
// process with the bounds of one picture: it answers within about two seconds, grows by a few
// hundred MB at the most, and its text is no longer than any picture needs.

#include <functional>
#include <string>

// What `convert` answers, or "" when it failed, crashed, was stopped or answered too much:
// a picture then draws as one the converter refuses.
std::string ConvertWithinBounds(const std::function<std::string()>& convert);
