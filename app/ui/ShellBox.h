#pragma once

// The box in which the window says that the desktop could not open a file or an address.

#include "platform/shell/ShellOpen.h"

// Shows the text with its caption and an OK button, over whichever window is active when it
// comes: the opener may fail after the window or dialog that asked is gone.
ShellErrorBox ShellMessageBox();
