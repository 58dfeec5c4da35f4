#include "app/binder/Settings.h"
#include "app/binder/commands/BinderLifecycleCommands.h"

#include "platform/base/MemorySettingsStore.h"
#include "platform/base/QtSettingsStore.h"
#include "platform/base/Registry.h"
#include "tests/support/FakeBinderUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

// A memory store that counts what is written to it.
class CountingStore : public MemorySettingsStore {
public:
    int Writes = 0;
    void CreateKey(const std::string& key) override {
        Writes += KeyExists(key) ? 0 : 1;
        MemorySettingsStore::CreateKey(key);
    }
    void WriteValue(const std::string& key, const std::string& name,
                    const std::string& value) override {
        ++Writes;
        MemorySettingsStore::WriteValue(key, name, value);
    }
    bool DeleteValue(const std::string& key, const std::string& name) override {
        ++Writes;
        return MemorySettingsStore::DeleteValue(key, name);
    }
};

// The values of a key as name=value lines.
std::map<std::string, std::string> Values(ISettingsStore& store, const std::string& key) {
    std::map<std::string, std::string> values;
    for (const std::string& name : store.ValueNames(key)) {
        values[name] = store.ReadValue(key, name).value_or("?");
    }
    return values;
}

// Every loaded setting; LastNodeID is written only.
auto LoadedFields(const TSettings& s) {
    return std::tie(s.WorkDir, s.Version, s.LastFile, s.Left, s.Top, s.Width, s.Height, s.FormMax,
                    s.LeftWide, s.LeftEnabled, s.ListMode, s.ShowPageViaFile, s.StripScript,
                    s.RecursiveImport, s.AskBeforeDelete, s.AskBeforeClose, s.ShowTips,
                    s.ResSaveDir);
}

// Every setting changed from its default.
TSettings ChangedSettings() {
    TSettings settings = DefaultSettings("/home/u/start");
    settings.Left = -8;
    settings.Top = 20;
    settings.Width = 1024;
    settings.Height = 700;
    settings.FormMax = true;
    settings.LeftWide = 233;
    settings.LeftEnabled = false;
    settings.ListMode = 2;
    settings.ShowPageViaFile = false;
    settings.StripScript = false;
    settings.RecursiveImport = false;
    settings.AskBeforeDelete = false;
    settings.AskBeforeClose = false;
    settings.ShowTips = false;
    settings.ResSaveDir = "/home/u/saved resources";
    settings.LastNodeID = 0x9ABCDEF0;
    return settings;
}

// The INI file's groups with the value names in each.
std::map<std::string, std::set<std::string>> IniGroups(const std::string& text) {
    std::map<std::string, std::set<std::string>> groups;
    std::istringstream lines(text);
    std::string line, group;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.front() == '[') {
            group = line.substr(1, line.size() - 2);
            groups[group];
        } else if (size_t equals = line.find('='); equals != std::string::npos) {
            groups[group].insert(line.substr(0, equals));
        }
    }
    return groups;
}

} // namespace

TEST(Settings, AnEmptyStoreGivesTheDefaultsAndMakesTheRecentKey) {
    MemorySettingsStore store;
    TSettings settings = DefaultSettings("/home/u/start");
    LoadSettings(store, settings);
    EXPECT_EQ(LoadedFields(settings), LoadedFields(DefaultSettings("/home/u/start")));
    EXPECT_EQ(settings.ResSaveDir, "/home/u/start/resource");
    EXPECT_TRUE(store.KeyExists("RecentFile"));
    EXPECT_FALSE(store.KeyExists("Config"));

    // Bounds that were never kept are not written either.
    settings.Width = 800;
    SaveSettings(store, settings);
    EXPECT_FALSE(store.ReadValue("Config", "Left").has_value());
    EXPECT_EQ(store.ReadValue("Config", "Width"), "800");
}

TEST(Settings, SavedSettingsLoadBackAndDamagedValuesKeepTheirDefaults) {
    MemorySettingsStore store;
    const TSettings saved = ChangedSettings();
    SaveSettings(store, saved);
    EXPECT_EQ(store.ReadValue("Config", "LastNodeID"), "-1698898192"); // 0x9ABCDEF0 as signed
    EXPECT_EQ(store.ReadValue("Config", "FormMax"), "1");

    TSettings loaded = DefaultSettings("/home/u/start");
    LoadSettings(store, loaded);
    EXPECT_EQ(LoadedFields(loaded), LoadedFields(saved));

    // Hand-damaged values: a number that is not one, a boolean written as a word.
    store.WriteValue("Config", "ListMode", "two");
    store.WriteValue("Config", "ShowTips", "yes");
    store.WriteValue("Config", "AskBeforeClose", "7");
    TSettings damaged = DefaultSettings("/s");
    LoadSettings(store, damaged);
    EXPECT_EQ(damaged.ListMode, 1);
    EXPECT_TRUE(damaged.ShowTips);
    EXPECT_TRUE(damaged.AskBeforeClose); // any non-zero value is true
    EXPECT_EQ(damaged.LeftWide, 233);
}

TEST(Settings, WorkFolderLosesItsTrailingSeparatorAndOnlyANonEmptyOneCounts) {
    const std::pair<std::string, std::string> cases[] = {
        {"/opt/tarnwick/", "/opt/tarnwick"},
        {"/opt/tarnwick", "/opt/tarnwick"},
        {"/", "/"},
        {"", "/installed"},
    };
    for (const auto& [stored, expected] : cases) {
        MemorySettingsStore store;
        store.WriteValue("", "WorkDir", stored);
        store.WriteValue("", "Version", "1.0.2");
        store.WriteValue("RecentFile", "LastFile", "/b/last.bdf");
        TSettings settings;
        settings.WorkDir = "/installed";
        LoadSettings(store, settings);
        EXPECT_EQ(settings.WorkDir, expected) << stored;
        EXPECT_EQ(settings.Version, "1.0.2");
        EXPECT_EQ(settings.LastFile, "/b/last.bdf");
    }
}

TEST(RecentFiles, FiveBindersFillTheListAndASixthRotatesIt) {
    MemorySettingsStore store;
    FakeBinderWindow ui;
    for (int i = 1; i <= 5; ++i) {
        UpdateRecentFiles(store, ui, "/b/" + std::to_string(i) + ".bdf");
    }
    EXPECT_EQ(Values(store, "RecentFile"),
              (std::map<std::string, std::string>{{"LastFile", "/b/5.bdf"},
                                                  {"Latest", "5"},
                                                  {"Recent1", "/b/1.bdf"},
                                                  {"Recent2", "/b/2.bdf"},
                                                  {"Recent3", "/b/3.bdf"},
                                                  {"Recent4", "/b/4.bdf"},
                                                  {"Recent5", "/b/5.bdf"}}));

    UpdateRecentFiles(store, ui, "/b/6.bdf");
    // The menu shows the list as it was before the call, newest first, four entries.
    EXPECT_EQ(ui.RecentMenu,
              (std::vector<std::string>{"/b/5.bdf", "/b/4.bdf", "/b/3.bdf", "/b/2.bdf"}));
    EXPECT_EQ(Values(store, "RecentFile"),
              (std::map<std::string, std::string>{{"LastFile", "/b/6.bdf"},
                                                  {"Latest", "4"},
                                                  {"Recent1", "/b/3.bdf"},
                                                  {"Recent2", "/b/4.bdf"},
                                                  {"Recent3", "/b/5.bdf"},
                                                  {"Recent4", "/b/6.bdf"}}));

    UpdateRecentFiles(store, ui, "/b/7.bdf");
    EXPECT_EQ(store.ReadValue("RecentFile", "Recent5"), "/b/7.bdf");
    EXPECT_EQ(store.ReadValue("RecentFile", "Latest"), "5");
}

TEST(RecentFiles, KnownPathsWriteLittleOrNothing) {
    CountingStore store;
    FakeBinderWindow ui;
    for (int i = 1; i <= 5; ++i) {
        UpdateRecentFiles(store, ui, "/b/" + std::to_string(i) + ".bdf");
    }

    // The same binder again: nothing at all is written.
    store.Writes = 0;
    UpdateRecentFiles(store, ui, "/b/5.bdf");
    EXPECT_EQ(store.Writes, 0);

    // One of the four newest, not the last file: only "LastFile" changes.
    UpdateRecentFiles(store, ui, "/b/3.bdf");
    EXPECT_EQ(store.Writes, 1);
    EXPECT_EQ(store.ReadValue("RecentFile", "LastFile"), "/b/3.bdf");
    EXPECT_EQ(store.ReadValue("RecentFile", "Latest"), "5");

    // The fifth-newest counts as new and is added once more (the list rotates).
    UpdateRecentFiles(store, ui, "/b/1.bdf");
    EXPECT_EQ(store.ReadValue("RecentFile", "Recent4"), "/b/1.bdf");
    EXPECT_EQ(store.ReadValue("RecentFile", "Latest"), "4");

    // Paths differing only in letter case are different files.
    UpdateRecentFiles(store, ui, "/b/1.BDF");
    EXPECT_EQ(store.ReadValue("RecentFile", "Recent5"), "/b/1.BDF");
}

TEST(RecentFiles, ADamagedLatestNumberIsClampedIntoTheList) {
    using Key = std::map<std::string, std::string>;
    // Beyond the list: read as 5, so the list rotates and nothing lands past Recent5.
    const Key rotated = {{"LastFile", "/new.bdf"}, {"Latest", "4"},   {"Recent1", "/3"},
                         {"Recent2", "/4"},        {"Recent3", "/5"}, {"Recent4", "/new.bdf"}};
    // Below the list or not a number: read as 0.
    const Key restarted = {{"LastFile", "/new.bdf"}, {"Latest", "1"},   {"Recent1", "/new.bdf"},
                           {"Recent2", "/2"},        {"Recent3", "/3"}, {"Recent4", "/4"},
                           {"Recent5", "/5"}};
    const std::pair<std::string, const Key*> cases[] = {
        {"9", &rotated}, {"-3", &restarted}, {"many", &restarted}};
    for (const auto& [latest, expected] : cases) {
        MemorySettingsStore store;
        FakeBinderWindow ui;
        for (int i = 1; i <= 5; ++i) {
            store.WriteValue("RecentFile", "Recent" + std::to_string(i), "/" + std::to_string(i));
        }
        store.WriteValue("RecentFile", "Latest", latest);
        UpdateRecentFiles(store, ui, "/new.bdf");
        EXPECT_EQ(Values(store, "RecentFile"), *expected) << latest;
    }
}

TEST(BinderList, DuplicatesRemovalAndHexadecimalNumbersReusingTheLowestFree) {
    MemorySettingsStore store;
    EXPECT_TRUE(ReadBinderList(store).empty());
    RemoveBinderFromList(store, "/b/a.bdf"); // no key: nothing happens
    EXPECT_FALSE(store.KeyExists("BinderList"));

    AddBinderToList(store, "/b/a.bdf");
    AddBinderToList(store, "/b/b.bdf");
    AddBinderToList(store, "/b/a.bdf"); // no duplicate check
    AddBinderToList(store, "/b/c.bdf");
    EXPECT_EQ(Values(store, "BinderList"),
              (std::map<std::string, std::string>{{"Binder1", "/b/a.bdf"},
                                                  {"Binder2", "/b/b.bdf"},
                                                  {"Binder3", "/b/a.bdf"},
                                                  {"Binder4", "/b/c.bdf"}}));

    RemoveBinderFromList(store, "/b/A.bdf"); // another file: letter case counts
    EXPECT_EQ(store.ValueNames("BinderList").size(), 4u);
    RemoveBinderFromList(store, "/b/a.bdf");
    EXPECT_EQ(ReadBinderList(store), (std::vector<std::string>{"/b/b.bdf", "/b/c.bdf"}));

    AddBinderToList(store, "/b/d.bdf");
    AddBinderToList(store, "/b/e.bdf");
    AddBinderToList(store, "/b/f.bdf");
    EXPECT_EQ(store.ReadValue("BinderList", "Binder1"), "/b/d.bdf");
    EXPECT_EQ(store.ReadValue("BinderList", "Binder3"), "/b/e.bdf");
    EXPECT_EQ(store.ReadValue("BinderList", "Binder5"), "/b/f.bdf");

    // Numbers go on in hexadecimal; an empty value is not listed.
    for (int i = 6; i <= 11; ++i) {
        AddBinderToList(store, "/b/" + std::to_string(i));
    }
    EXPECT_EQ(store.ReadValue("BinderList", "BinderA"), "/b/10");
    EXPECT_EQ(store.ReadValue("BinderList", "BinderB"), "/b/11");
    store.WriteValue("BinderList", "Binder1", "");
    EXPECT_EQ(ReadBinderList(store).size(), 10u);
}

// More binders than one hexadecimal digit numbers come back in the order they were added,
// not in the text order of their value names (Binder1, Binder10, Binder11, Binder2...).
TEST(BinderList, MoreThanFifteenBindersKeepTheirOrder) {
    MemorySettingsStore store;
    std::vector<std::string> added;
    for (int i = 1; i <= 40; ++i) {
        added.push_back("/b/" + std::to_string(i) + ".bdf");
        AddBinderToList(store, added.back());
    }
    EXPECT_EQ(store.ReadValue("BinderList", "Binder28"), "/b/40.bdf");
    EXPECT_EQ(ReadBinderList(store), added);
    // Names of another form, put there by hand, come last.
    store.WriteValue("BinderList", "Binderx", "/b/hand.bdf");
    store.WriteValue("BinderList", "Binder", "/b/bare.bdf");
    store.WriteValue("BinderList", "Binder100000000", "/b/huge.bdf");
    const std::vector<std::string> listed = ReadBinderList(store);
    ASSERT_EQ(listed.size(), 43u);
    EXPECT_TRUE(std::equal(added.begin(), added.end(), listed.begin()));

    // Through the settings file as well.
    TempDir home;
    ScopedEnv config("XDG_CONFIG_HOME", home.Str().c_str());
    {
        QtSettingsStore file;
        for (const std::string& path : added) {
            AddBinderToList(file, path);
        }
    }
    QtSettingsStore file;
    EXPECT_EQ(ReadBinderList(file), added);
}

TEST(Settings, RoundTripThroughTheUsersSettingsFile) {
    TempDir config;
    ScopedEnv env("XDG_CONFIG_HOME", config.Str().c_str());
    FakeBinderWindow ui;
    const TSettings saved = ChangedSettings();
    {
        QtSettingsStore store;
        SaveSettings(store, saved);
        UpdateRecentFiles(store, ui, "/home/u/My Notes.bdf");
        AddBinderToList(store, "/home/u/My Notes.bdf");
    }
    const std::string file = (config / "VelmorSoft" / "Tarnwick.conf").string();
    const auto groups = IniGroups(ReadFileBytes(file));
    EXPECT_EQ(groups,
              (std::map<std::string, std::set<std::string>>{
                  {"Config",
                   {"AskBeforeClose", "AskBeforeDelete", "FormMax", "Height", "LastNodeID", "Left",
                    "LeftEnabled", "LeftWide", "ListMode", "RecursiveImport", "ResSaveDir",
                    "ShowPageViaFile", "ShowTips", "StripScript", "Top", "Width"}},
                  {"RecentFile", {"LastFile", "Latest", "Recent1"}},
                  {"BinderList", {"Binder1"}}}));

    QtSettingsStore reopened;
    TSettings loaded = DefaultSettings("/elsewhere");
    LoadSettings(reopened, loaded);
    TSettings expected = saved;
    expected.LastFile = "/home/u/My Notes.bdf";
    EXPECT_EQ(LoadedFields(loaded), LoadedFields(expected));
    EXPECT_EQ(ReadBinderList(reopened), std::vector<std::string>{"/home/u/My Notes.bdf"});
}
