#pragma once

// The mark by which the program knows a folder as one it made: a small file written into the
// folder before anything else. The mark holds the folder's name signed with the user's own
// secret (UserSecret.h). Any mark of the program's counts for what the user asks (writing into
// the folder, deleting its node or binder), whoever's secret signed it, so a binder carried to
// another computer or user, or restored without its settings, keeps its folders; the store
// folder must hold one too, so a mark alone in a folder of the user's reaches nothing. Only what
// the program removes unasked (the leftovers of a crash) keeps to marks this installation's
// secret signed.

// The mark's name inside the folder it marks; every listing of a folder's files leaves it out.
inline constexpr const char* FolderMarkName = ".tarnwick-folder";

#include "platform/base/FileDescriptor.h"

#include <string>
#include <vector>

// The first few of `names` as the user is told them ("a, b, c and 2 more"), the mark left out;
// empty when none is left.
std::string FirstNames(std::vector<std::string> names);

// Why the open folder, which holds no mark of the program's, is left alone, as the user is
// told: naming what it holds, which may be the user's.
std::string UnmarkedFolderReason(int folder);

// Writes the mark of the open folder, whose name is `name`, into it; false when it could not.
// The mark is not flushed on its own: the sync of what is written into the folder after it
// carries it, and a mark a crash cut short counts as lost (DamagedFolderMark).
bool WriteFolderMark(int folder, const std::string& name);

// True when the open folder `name` holds a mark this installation's secret signed for it (the
// mark a plain file, never a link).
bool HoldsFolderMark(int folder, const std::string& name);

// True when the open folder holds a mark of the program's, whoever's secret signed it.
bool HoldsProgramMark(int folder);

// True when the open folder holds, under the mark's name, a plain file that a crash may have
// made of a mark: empty, cut short, or zeros.
bool DamagedFolderMark(int folder);

// Marks the open folder `name` anew when it holds a damaged mark (DamagedFolderMark) or none;
// true when it holds the program's mark afterwards.
bool RenewFolderMark(int folder, const std::string& name);

// Which marks make a folder the program's: any of its own (writing, the deletes the user
// asks), or only those this installation signed for the folder (what it removes unasked).
enum class MarkSigner { Anyone, ThisInstallation };

// Makes the folder `name` in `parent`, marked: made under a passing name, marked, and given its
// name only then, so no folder of the program's is ever seen without its mark. Invalid, with
// errno EEXIST, when something has the name already.
FileDescriptor MakeMarkedFolder(int parent, const std::string& name);

// Removes the folder `name` of `parent` when it is one MakeMarkedFolder left under its passing
// name, cut short before it named it: it holds nothing but its mark. False otherwise.
bool RemoveUnnamedFolder(int parent, const std::string& name);

// Opens the folder `name` of `parent` when it holds a mark `signer` accepts; with `make`, a missing
// one is made (MakeMarkedFolder). Invalid otherwise, and then `why` says why and errno is ENOENT
// when nothing is there, EPERM when the folder is not marked.
FileDescriptor OpenMarkedFolder(int parent, const std::string& name, bool make, std::string& why,
                                MarkSigner signer = MarkSigner::Anyone);
