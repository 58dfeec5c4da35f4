#pragma once

// The mark by which the program knows a folder as one it made: a small file written into the
// folder before anything else. The mark names the folder it was made for by its identity on
// the disk, so a mark copied or unpacked into another folder (a folder of the user's among
// them) does not count there: only what the program made is ever removed by it.

// The mark's name inside the folder it marks; every listing of a folder's files leaves it out.
inline constexpr const char* FolderMarkName = ".tarnwick-folder";

#include "platform/base/FileDescriptor.h"

#include <string>

// Writes the mark into the open folder and puts it on the disk; false when it could not.
bool WriteFolderMark(int folder);

// True when the open folder holds a mark written for it (the mark a plain file, never a link).
bool HoldsFolderMark(int folder);

// Makes the folder `name` in `parent`, marked: made under a passing name, marked, and given its
// name only then, so no folder of the program's is ever seen without its mark. Invalid, with
// errno EEXIST, when something has the name already.
FileDescriptor MakeMarkedFolder(int parent, const std::string& name);

// Opens the folder `name` of `parent` when it holds its mark; with `make`, a missing one is
// made (MakeMarkedFolder). Invalid otherwise, and then `why` says why and errno is ENOENT when
// nothing is there, EPERM when the folder is not marked.
FileDescriptor OpenMarkedFolder(int parent, const std::string& name, bool make, std::string& why);
