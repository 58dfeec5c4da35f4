#pragma once

// Routines of the main window that the binder and capture code use and that need no window.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TTreeNode;

inline constexpr const char* ApplicationTitle = "Tarnwick";

// The key the installation's page templates and error page are stored with (ScrambleBuffer).
inline constexpr std::string_view ScrambleKey = "TarnwickQz";

// The window caption: the application title, and with an open binder " - " and the binder's
// name with "%20" shown as blanks.
std::string BinderCaption(const std::string& binderName);

// The number in a trailing "(n)": 0 when the text does not end with ")"; -1 when there is no
// "(" before it, when the text between the last "(" and the final ")" has fewer than 1 or
// more than 4 characters or is not a decimal number, and for the empty text.
int32_t ParseTrailingCount(const std::string& text);

// Adds to `list`, each once, the nodes from the first of `a` and `b` met in `nodes` (all tree
// nodes in index order) to the second, both included. Nothing when either is missing or not
// among the nodes; a range from a node to itself is that node.
void SelectNodeRange(TTreeNode* a, TTreeNode* b, std::span<TTreeNode* const> nodes,
                     std::vector<TTreeNode*>& list);

// The text between the first "<title>" and the first "</title", found in any letter case and
// cut from the text as it is; "" without "<title>" or when "</title" is missing or comes
// before it.
std::string ExtractHtmlTitle(const std::string& html);

// "Folder", " WebPage", "Notes Document ", "Link", "Unknow" for any other kind.
std::string NodeKindText(int32_t kind);

// "Capture Incompleted", "Capture Completed", "Capture Failed", "Capture stopped"; "" for any
// other state.
std::string CaptureResultText(int32_t state);

// The bytes combined by exclusive or with the key as the installation's files were stored:
// bytes 0 to L-1 with the key's L characters, byte L with the key's terminating NUL (so it
// stays), every later byte with the key's first character. The same call restores the input.
// A block of size + 1 bytes, the last NUL; null for size 0.
std::unique_ptr<char[]> ScrambleBuffer(const char* data, std::string_view key, size_t size);
