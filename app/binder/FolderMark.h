#pragma once

// The mark by which the program knows a folder as one it made: a small file written into the
// folder before anything else. The mark holds the folder's name signed with the user's own
// secret (UserSecret.h), so no one else can write one: a mark unpacked from an archive into a
// folder of the user's does not count there, and only what the program made is ever removed by
// it. The signature holds for a copy of the folder the user makes (a binder moved, copied or
// restored from a backup, on any kind of disk) as long as the folder keeps its name.

// The mark's name inside the folder it marks; every listing of a folder's files leaves it out.
inline constexpr const char* FolderMarkName = ".tarnwick-folder";

#include "platform/base/FileDescriptor.h"

#include <string>

// Writes the mark of the open folder, whose name is `name`, into it and puts it on the disk;
// false when it could not.
bool WriteFolderMark(int folder, const std::string& name);

// True when the open folder `name` holds a mark written for it (the mark a plain file, never a
// link).
bool HoldsFolderMark(int folder, const std::string& name);

// Makes the folder `name` in `parent`, marked: made under a passing name, marked, and given its
// name only then, so no folder of the program's is ever seen without its mark. Invalid, with
// errno EEXIST, when something has the name already.
FileDescriptor MakeMarkedFolder(int parent, const std::string& name);

// Removes the folder `name` of `parent` when it is one MakeMarkedFolder left under its passing
// name, cut short before it named it: it holds nothing but its mark. False otherwise.
bool RemoveUnnamedFolder(int parent, const std::string& name);

// Opens the folder `name` of `parent` when it holds its mark; with `make`, a missing one is
// made (MakeMarkedFolder). Invalid otherwise, and then `why` says why and errno is ENOENT when
// nothing is there, EPERM when the folder is not marked.
FileDescriptor OpenMarkedFolder(int parent, const std::string& name, bool make, std::string& why);
