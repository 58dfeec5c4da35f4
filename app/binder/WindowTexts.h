#pragma once

// The texts the window shows for the binder and its nodes: the caption, the kind of a node
// and the result of its capture.

#include <cstdint>
#include <string>

inline constexpr const char* ApplicationTitle = "Tarnwick";

// The window caption: the application title, and with an open binder " - " and the binder's
// name with "%20" shown as blanks.
std::string BinderCaption(const std::string& binderName);

// "Folder", " WebPage", "Notes Document ", "Link", "Unknow" for any other kind.
std::string NodeKindText(int32_t kind);

// "Capture Incompleted", "Capture Completed", "Capture Failed", "Capture stopped"; "" for any
// other state.
std::string CaptureResultText(int32_t state);
