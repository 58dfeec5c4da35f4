#pragma once

#include <string>
#include <vector>

class ISettingsStore;
class ITaskQueue;
struct BinderPaths;
struct TSettings;

// What the window is built from; everything must outlive it.
struct TMainWindowParts {
    ISettingsStore& Store;
    TSettings& Settings;
    BinderPaths& Paths;
    ITaskQueue& Queue;
    std::vector<std::string> Arguments; // the command line, the program first
    std::string StartFolder;            // the current folder at start-up
};
