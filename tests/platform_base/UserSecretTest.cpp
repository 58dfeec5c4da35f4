#include "platform/base/UserSecret.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// The secret is kept in the user's settings folder, readable by the user alone, and then stays.
// Another settings folder, another user, signs otherwise.
TEST(UserSecret, TheSecretIsKeptForTheUserAlone) {
    TempDir config;
    const fs::path kept = config / "VelmorSoft" / "Tarnwick.key";
    std::string first;
    {
        const ScopedEnv home("XDG_CONFIG_HOME", config.Str());
        first = UserSecretDigest("a");
        EXPECT_EQ(first.size(), 64u);
        EXPECT_NE(first, UserSecretDigest("b"));
        EXPECT_EQ(UserSecretDigest("a"), first);
    }
    ASSERT_EQ(fs::file_size(kept), 32u);
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(config / "VelmorSoft"), {}), 1);

    TempDir other;
    const ScopedEnv home("XDG_CONFIG_HOME", other.Str());
    EXPECT_NE(UserSecretDigest("a"), first);
    EXPECT_EQ(UserSecretDigest("a").size(), 64u);
}

// Whatever is at the key's name is never replaced, which would disown every folder signed
// before: a file that is no key (cut short, empty, a link to a key on a disk not mounted), or a
// settings folder that cannot hold a key, leaves the user without a secret, and nothing signs.
TEST(UserSecret, WhatIsNoKeyIsNeverReplacedAndThenNothingSigns) {
    for (const std::string& bytes : {std::string("cut short"), std::string()}) {
        TempDir config;
        const fs::path kept = config / "VelmorSoft" / "Tarnwick.key";
        WriteFileBytes(kept, bytes);
        const ScopedEnv home("XDG_CONFIG_HOME", config.Str());
        EXPECT_EQ(UserSecretDigest("a"), "");
        EXPECT_EQ(ReadFileBytes(kept), bytes);
        EXPECT_EQ(std::distance(fs::directory_iterator(config / "VelmorSoft"), {}), 1);
    }
    TempDir dangling;
    fs::create_directory(dangling / "VelmorSoft");
    fs::create_symlink(dangling / "unmounted" / "Tarnwick.key",
                       dangling / "VelmorSoft" / "Tarnwick.key");
    {
        const ScopedEnv home("XDG_CONFIG_HOME", dangling.Str());
        EXPECT_EQ(UserSecretDigest("a"), "");
    }
    EXPECT_TRUE(fs::is_symlink(dangling / "VelmorSoft" / "Tarnwick.key"));
    EXPECT_FALSE(fs::exists(dangling / "unmounted"));

    TempDir noFolder;
    WriteFileBytes(noFolder / "VelmorSoft", "a file where the folder would be");
    const ScopedEnv home("XDG_CONFIG_HOME", noFolder.Str());
    EXPECT_EQ(UserSecretDigest("a"), "");
    EXPECT_EQ(ReadFileBytes(noFolder / "VelmorSoft"), "a file where the folder would be");
}

// A settings folder that is a link (as a dotfiles manager makes them) holds the secret as a
// folder would: what the program signed in one settings folder it signs alike through the link.
// So does a key file that is a link.
TEST(UserSecret, ASettingsFolderThatIsALinkKeepsTheSecret) {
    TempDir plain;
    TempDir linked;
    TempDir elsewhere;
    const std::string key(32, 'k');
    WriteFileBytes(plain / "VelmorSoft" / "Tarnwick.key", key);
    WriteFileBytes(elsewhere / "Tarnwick.key", key);
    fs::permissions(plain / "VelmorSoft" / "Tarnwick.key", fs::perms::owner_read);
    fs::permissions(elsewhere / "Tarnwick.key", fs::perms::owner_read);
    fs::create_directory_symlink(elsewhere.Path(), linked / "VelmorSoft");
    std::string signedPlainly;
    {
        const ScopedEnv home("XDG_CONFIG_HOME", plain.Str());
        signedPlainly = UserSecretDigest("a");
    }
    {
        const ScopedEnv home("XDG_CONFIG_HOME", linked.Str());
        EXPECT_EQ(UserSecretDigest("a"), signedPlainly);
        EXPECT_TRUE(fs::is_symlink(linked / "VelmorSoft"));
        EXPECT_EQ(ReadFileBytes(elsewhere / "Tarnwick.key"), key);
    }
    TempDir keyLinked;
    fs::create_directory(keyLinked / "VelmorSoft");
    fs::create_symlink(elsewhere / "Tarnwick.key", keyLinked / "VelmorSoft" / "Tarnwick.key");
    const ScopedEnv home("XDG_CONFIG_HOME", keyLinked.Str());
    EXPECT_EQ(signedPlainly.size(), 64u);
    EXPECT_EQ(UserSecretDigest("a"), signedPlainly);
    EXPECT_TRUE(fs::is_symlink(keyLinked / "VelmorSoft" / "Tarnwick.key"));
    EXPECT_EQ(ReadFileBytes(elsewhere / "Tarnwick.key"), key);
}
