#pragma once

// The entries of an open folder, reached by name without following a symbolic link: what a
// folder holds is opened, made and removed relative to its descriptor, so a link put in the
// way, before or during the work, leads nowhere.

#include "platform/base/FileDescriptor.h"

#include <string>
#include <string_view>
#include <vector>

// True for a name that stays inside its folder: not empty, "." or "..", without "/" or NUL.
bool IsEntryName(std::string_view name);

// The names of a "/"-separated path, in order, empty ones (of "//", a leading or a trailing "/")
// left out.
std::vector<std::string> PathNames(std::string_view path);

// Opens the folder at `path`, as the path is written (links on its way followed).
FileDescriptor OpenFolderPath(const std::string& path);

// Opens the folder `name` of `folder`. Invalid (errno set) when it is missing, a link (ELOOP)
// or no folder.
FileDescriptor OpenFolderAt(int folder, const std::string& name);

// OpenFolderAt, the folder made first when it is missing.
FileDescriptor MakeFolderAt(int folder, const std::string& name);

// The names `folder` holds, "." and ".." left out, in the order the system gives them; what
// was read before an error when it cannot be read to its end.
std::vector<std::string> FolderNames(int folder);

// The folder that holds the last name of `relative` ("/"-separated names) below `base`, each
// name opened as with OpenFolderAt (made first with `make`), and that last name in `name`.
// Invalid (errno set) when a name is no entry name, a link or no folder is in the way, or a
// folder is missing without `make`.
FileDescriptor OpenFolderOf(int base, std::string_view relative, bool make, std::string& name);

// Renames `from` in `fromFolder` to `to` in `toFolder` only where nothing has that name yet
// (EEXIST otherwise); never replaces what is there.
bool RenameWithoutReplacing(int fromFolder, const std::string& from, int toFolder,
                            const std::string& to);

// Removes everything the open `folder` holds, hidden entries too, as RemoveEntryAt removes an
// entry; the folder itself stays. True when it is empty afterwards.
bool RemoveFolderContents(int folder);

// Removes the entry `name` of `folder`: a file or a link itself, a folder with everything in
// it, hidden entries too. A link met anywhere is removed, never followed. True when the entry
// is gone; false when there was none or something could not be removed (nothing more is
// touched after the first failure).
bool RemoveEntryAt(int folder, const std::string& name);
