#pragma once

// The icon the desktop shows for a file or folder, for pictures that name one ("ssys:" and
// "lsys:" in status texts). A path that does not exist is matched by its name alone (its
// extension). Icon numbers of a system image list have no counterpart here.

#include <QImage>

#include <string_view>

// 16 by 16 pixels, or 32 by 32 when `large`; a null image when there is no icon to show
// (a number, an empty name, no application object, no icon theme).
QImage ShellIconImage(std::string_view nameOrPath, bool large);
