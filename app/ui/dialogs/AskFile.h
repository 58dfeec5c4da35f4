#pragma once

// The file dialog the binder's commands and the window's dialogs ask through.

#include "app/binder/commands/BinderUi.h"

#include <optional>
#include <string>

class QWidget;

// The file chosen to open (`save` false) or to save; nothing when cancelled.
std::optional<std::string> AskFile(QWidget* owner, const TFileDialogOptions& options, bool save);
