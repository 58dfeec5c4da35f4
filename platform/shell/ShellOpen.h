#pragma once

// Opening files and addresses with the desktop's own handler, and running programs hidden.

#include "platform/base/RunningProgram.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Shows a message box (no owner, OK only) with the text and the caption.
using ShellErrorBox = std::function<void(const std::string& text, const std::string& caption)>;

// Opens a file (a path) or an address (a URL with its scheme) with the desktop's opener
// (xdg-open, looked up on PATH). 0 when the opener was started; -1 after "Could not run
// program '<file>'" in a box titled "Operation Error!", also for a file that does not exist.
// The window is not held up meanwhile: when the opener ends without success (it found no
// program for the file, or that program failed), the same box is shown from the event loop.
int ShellOpen(const std::string& file, const ShellErrorBox& box);

// Starts a program hidden (its output discarded) with the arguments, in `workingFolder` when
// one is given; a bare program name is looked up on PATH. Null after the same box as
// ShellOpen when it cannot be started. The handle kills a program still running when it goes.
std::unique_ptr<RunningProgram> ShellOpenProcess(const std::string& program,
                                                 const std::vector<std::string>& arguments,
                                                 const std::string& workingFolder,
                                                 const ShellErrorBox& box);
