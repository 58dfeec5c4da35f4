#pragma once

#include <string>

// Deletes a folder with everything in it; true when the folder is gone. A folder text shorter
// than four characters is refused. Symbolic links met inside are removed, never followed, and
// a folder given as a link loses only the link. After the first entry that cannot be deleted
// nothing more is touched. A folder that cannot be listed counts as empty.
bool DeleteDirectoryTree(const std::string& folder);
