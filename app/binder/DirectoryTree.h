#pragma once

#include <string>

// Deletes a folder with everything in it; true when the folder is gone. Refused (false, with
// nothing touched): a folder text shorter than four characters and a ProtectedFolder.
// Symbolic links met inside are removed, never followed, and a folder given as a link loses
// only the link. After the first entry that cannot be deleted nothing more is touched. A
// folder that cannot be listed counts as empty.
bool DeleteDirectoryTree(const std::string& folder);

// True for the folders DeleteDirectoryTree never deletes: a relative path, a root of the file
// system and the folders right below it, and the home folder or any folder that holds it, as
// written or once links are resolved.
bool ProtectedFolder(const std::string& folder);
