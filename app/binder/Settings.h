#pragma once

// The program's options, the main window's placement, the recent-binder list and the list of
// known binders, kept in the settings keys: the program's own key ("WorkDir", "Version"),
// "Config", "RecentFile" and "BinderList". Paths are compared exactly, as file names are.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ISettingsStore;

// Every setting with the value in force when the store holds none.
struct TSettings {
    std::string WorkDir; // installation folder; replaced only by a non-empty stored value
    std::string Version;
    std::string LastFile;

    // Main window bounds (the restored bounds when it is maximised); unset until stored.
    std::optional<int32_t> Left;
    std::optional<int32_t> Top;
    std::optional<int32_t> Width;
    std::optional<int32_t> Height;
    bool FormMax = false;
    int32_t LeftWide = -1; // side-bar width, -1 = not set
    bool LeftEnabled = true;
    int32_t ListMode = 1; // 1: web pages labelled by URL, other values: by title
    bool ShowPageViaFile = true;
    bool StripScript = true;
    bool RecursiveImport = true;
    bool AskBeforeDelete = true;
    bool AskBeforeClose = true;
    bool ShowTips = true;
    std::string ResSaveDir;
    uint32_t LastNodeID = 0; // written only
};

// The defaults, with the resource folder below the start folder.
TSettings DefaultSettings(const std::string& startFolder);

// Reads what the store holds over `settings`; every value not stored (or not readable as its
// type) keeps what it had. Makes the "RecentFile" key.
void LoadSettings(ISettingsStore& store, TSettings& settings);

// Writes the "Config" values. The caller puts the bounds to keep into Left, Top, Width and
// Height: the restored bounds when FormMax is set, otherwise the current ones.
void SaveSettings(ISettingsStore& store, const TSettings& settings);

// Records an opened binder: sets "LastFile" and adds the path to the list of at most five, and
// returns the recent-binder menu as the list stood before, newest first. Nothing is written
// when the path is already the last file; a path among the four newest entries is not added
// again; a sixth path drops the oldest two.
std::vector<std::string> UpdateRecentFiles(ISettingsStore& store, const std::string& path);

// Writes the path under the first free "Binder" number; duplicates are not checked.
void AddBinderToList(ISettingsStore& store, const std::string& path);
// Deletes every value of the binder list that holds the path.
void RemoveBinderFromList(ISettingsStore& store, const std::string& path);
// The known binders in the store's order, empty values left out.
std::vector<std::string> ReadBinderList(ISettingsStore& store);
