#pragma once

// The images an SVG text holds, measured before the text is drawn: the SVG renderer decodes
// every image as it reads the text, and would read an image from any file the text names.

#include <cstdint>
#include <string_view>

// Whether `svg` is well-formed and every image in it is one of its own bytes (a data URL of a
// PNG or JPEG in base 64 whose size can be read), all of them together taking at most
// `maxBytes` once decoded. Any other reference than to a part of the text itself fails.
bool SvgImagesFit(std::string_view svg, uint64_t maxBytes);
