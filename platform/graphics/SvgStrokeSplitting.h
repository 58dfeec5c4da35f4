#pragma once

// The converter writes a polyline as one SVG path, which the SVG renderer strokes in one drawing
// call: with a wide pen, an 8 KB polyline printed at 300 dpi took a quarter of a minute, and a
// drawing that stops between calls could not stop it. A path stroked without a fill or dashes
// that has many segments is written instead as several paths of a few segments each
// (StrokeSplitting.h), which together draw what it drew.

#include <string>

std::string SvgWithStrokesSplit(const std::string& svg);
