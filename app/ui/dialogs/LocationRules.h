#pragma once

// The rules of the "Add Item" dialog that need no widget: the binder list's entries, the
// capture levels and where the folder drop-down opens.

#include <cstdint>
#include <optional>
#include <string>

// The binder's name as the binder list shows it: the text after the last "\", "/" or ":" and
// before the last "."; empty when that "." does not come after the separator.
std::string BinderNamePart(const std::string& path);
// The binder list's entry for a binder file: name part, " -- ", path.
std::string BinderListEntry(const std::string& path);

inline constexpr int32_t MaxCaptureLevels = 6;

// The levels text as a number of levels: a decimal number as it is, for a value typed by hand
// is not held to the up-down's 0..6 (none below 1 captures the page alone); anything else
// gives nothing and, when asked, the conversion message the user is shown.
std::optional<int32_t> ParseCaptureLevels(const std::string& text, std::string* message = nullptr);
// One step of the levels' up-down: text that is no number counts as 0; the result stays in
// 0..6.
int32_t StepCaptureLevels(const std::string& text, bool up);

// The top of the folder drop-down, in screen coordinates: below the folder field, or above
// it when it would reach past the bottom of the screen.
int PopupFrameTop(int fieldTop, int fieldBottom, int frameHeight, int screenHeight);
