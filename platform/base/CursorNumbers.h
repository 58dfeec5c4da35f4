#pragma once

// The framework's cursor numbers, free of any window system so the document layer can name
// them; platform/widgets maps them to shapes.

#include <cstdint>

using TCursor = int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The print preview's zoom cursors.
constexpr TCursor crZoomIn = 102;
constexpr TCursor crZoomOut = 103;
// Selecting a whole table row (an arrow pointing right) or column (an arrow pointing down).
constexpr TCursor crSelectRow = 104;
constexpr TCursor crSelectCol = 105;
