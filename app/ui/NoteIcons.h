#pragma once

// The pictures of the notes editor's commands: the desktop icon theme's own when it has one of
// the name, else a small picture of the program's.

#include <QIcon>

enum class TNoteAction;

// The picture of a command; a null icon for the commands that have none.
QIcon NoteActionIcon(TNoteAction action);
// The icon theme name the picture is looked up by; null when the command has none.
const char* NoteActionIconName(TNoteAction action);
