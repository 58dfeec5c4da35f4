#pragma once

// The converter of enhanced metafile records loops on data it reads itself, which no check of
// the bytes can bound, and its font lookups end the process they run in when the font library
// holds fonts for text drawn before. So a picture's bytes are converted into SVG text in a
// process of their own with the bounds of one picture: it answers within about two seconds,
// grows by a few hundred MB at the most, and its text is no longer than any picture needs. The
// process is this program's own file started afresh in its converter mode, which every program
// that draws pictures has: the converter is wherever the program is.

#include <string>
#include <string_view>

// The SVG text of the enhanced metafile `bytes`, which passed ReadMetafileLayout, drawn
// `width` by `height` units large; "" when the conversion failed, crashed, was stopped or
// answered too much: the picture then draws as one the converter refuses.
std::string ConvertWithinBounds(std::string_view bytes, int width, int height);
