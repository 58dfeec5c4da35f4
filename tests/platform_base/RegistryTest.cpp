#include "platform/base/Registry.h"
#include "platform/base/MemorySettingsStore.h"
#include "platform/base/QtSettingsStore.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Runs the same checks against both stores.
class RegistryOnStore : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            store_ = std::make_unique<QtSettingsStore>((dir_ / "settings.conf").string());
        } else {
            store_ = std::make_unique<MemorySettingsStore>();
        }
    }
    TempDir dir_;
    std::unique_ptr<ISettingsStore> store_;
};

} // namespace

TEST_P(RegistryOnStore, KeysOpenOnlyWhenTheyExistOrMayBeCreated) {
    TRegistry registry(*store_);
    EXPECT_THROW(registry.ReadString("x"), ERegistryException);
    EXPECT_FALSE(registry.OpenKey("Config", false));
    EXPECT_FALSE(registry.KeyExists("Config"));
    EXPECT_TRUE(registry.OpenKey("Config", true));
    EXPECT_TRUE(registry.KeyExists("Config"));
    EXPECT_TRUE(registry.OpenKey("Config", false));
    registry.CloseKey();
    EXPECT_THROW(registry.WriteInteger("x", 1), ERegistryException);
}

TEST_P(RegistryOnStore, TypedValuesAndTheirFailures) {
    TRegistry registry(*store_);
    registry.OpenKey("Config", true);
    EXPECT_FALSE(registry.ValueExists("Left"));
    EXPECT_EQ(registry.ReadString("Left"), "");
    EXPECT_THROW(registry.ReadInteger("Left"), ERegistryException);

    registry.WriteInteger("Left", -2147483647 - 1);
    registry.WriteBool("FormMax", true);
    registry.WriteString("Name", "12x");
    EXPECT_EQ(registry.ReadInteger("Left"), -2147483647 - 1);
    EXPECT_TRUE(registry.ReadBool("FormMax"));
    EXPECT_THROW(registry.ReadInteger("Name"), ERegistryException);
    registry.WriteString("Seven", "7");
    EXPECT_TRUE(registry.ReadBool("Seven"));
    registry.WriteBool("FormMax", false);
    EXPECT_FALSE(registry.ReadBool("FormMax"));

    EXPECT_EQ(registry.GetValueNames(),
              (std::vector<std::string>{"FormMax", "Left", "Name", "Seven"}));
    EXPECT_TRUE(registry.DeleteValue("Name"));
    EXPECT_FALSE(registry.DeleteValue("Name"));
    EXPECT_FALSE(registry.ValueExists("Name"));

    // Keys keep their values apart; the program's own key is "".
    registry.OpenKey("", true);
    EXPECT_FALSE(registry.ValueExists("Left"));
    registry.WriteString("WorkDir", "/opt/t");
    EXPECT_EQ(registry.GetValueNames(), std::vector<std::string>{"WorkDir"});
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryOnStore, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "QtFile" : "Memory"; });

TEST(QtSettingsStore, EveryByteOfAStringSurvivesTheFile) {
    TempDir dir;
    const std::string file = (dir / "settings.conf").string();
    const std::vector<std::string> values = {
        "",
        "  blanks at both ends  ",
        "a,b",
        "a, b, c",
        "x=y;z#w",
        "\"quoted\"",
        "C:\\Work\\",
        "@ByteArray(not really)",
        "line\nbreak\r\ttab",
        std::string("nul\0inside", 10),
        "\xff\xfe not UTF-8 \x80",
        "\xEF\xBB\xBF"
        "starts with a byte-order mark",
        "Gr\xC3\xBC\xC3\x9F"
        "e /home/user/M\xC3\xBC"
        "ll.bdf",
    };
    {
        QtSettingsStore store(file);
        for (size_t i = 0; i < values.size(); ++i) {
            store.WriteValue("RecentFile", "Recent" + std::to_string(i), values[i]);
        }
        EXPECT_TRUE(store.Sync());
    }
    QtSettingsStore reopened(file);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(reopened.ReadValue("RecentFile", "Recent" + std::to_string(i)), values[i])
            << "value " << i;
    }
    // Readable text stays readable in the file.
    EXPECT_NE(ReadFileBytes(file).find("/home/user/M\xC3\xBC"
                                       "ll.bdf"),
              std::string::npos);
}

TEST(QtSettingsStore, ValuesOfTheProgramKeyLiveInTheGeneralGroup) {
    TempDir dir;
    const std::string file = (dir / "settings.conf").string();
    {
        QtSettingsStore store(file);
        EXPECT_FALSE(store.KeyExists(""));
        store.WriteValue("", "WorkDir", "/opt/tarnwick");
        store.CreateKey("BinderList"); // empty: an INI file has no place for it
        EXPECT_TRUE(store.KeyExists("BinderList"));
    }
    EXPECT_EQ(ReadFileBytes(file), "[General]\nWorkDir=/opt/tarnwick\n");
    QtSettingsStore reopened(file);
    EXPECT_TRUE(reopened.KeyExists(""));
    EXPECT_FALSE(reopened.KeyExists("BinderList"));
    EXPECT_EQ(reopened.ReadValue("", "WorkDir"), "/opt/tarnwick");
}

TEST(QtSettingsStore, FileLocationFollowsTheEnvironment) {
    const std::string underHome = "/home/someone/.config/VelmorSoft/Tarnwick.conf";
    // A relative value is not a valid base folder and is ignored.
    const std::pair<const char*, std::string> cases[] = {
        {"/tmp/cfg", "/tmp/cfg/VelmorSoft/Tarnwick.conf"},
        {nullptr, underHome},
        {"relative", underHome},
    };
    ScopedEnv home("HOME", "/home/someone");
    for (const auto& [config, file] : cases) {
        ScopedEnv set("XDG_CONFIG_HOME", config);
        EXPECT_EQ(QtSettingsStore::DefaultFileName(), file) << (config ? config : "unset");
    }
}

TEST(QtSettingsStore, AnUnwritableFileIsReportedBySync) {
    TempDir dir;
    std::filesystem::create_directory(dir / "settings.conf"); // a folder where the file should be
    QtSettingsStore store((dir / "settings.conf").string());
    store.WriteValue("Config", "Left", "1");
    EXPECT_FALSE(store.Sync());
}
