#pragma once

// The working paths of the open binder, as the binder file names them. The binder lifecycle
// sets them when a binder is opened; the tree file and the node commands only read them.

#include <string>

struct BinderPaths {
    std::string BinderRoot;                // the binder's folder
    std::string BinderStore = "store";     // folder under the root holding the node folders
    std::string BinderSave = "velmor.sav"; // the tree file's name under the root
    std::string BinderName;                // blanks written as "%20"; empty when none is open
    std::string BinderFilePath;            // the open ".bdf" file; empty when none is open
    std::string TreeFilePath;              // root and save name; set when a binder is opened
};
