#include "platform/base/UserSecret.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// The secret is kept in the user's settings folder, readable by the user alone; what is there
// and is no secret (cut short, empty) is made anew, and the secret then stays. Another settings
// folder, another user, signs otherwise.
TEST(UserSecret, TheSecretIsKeptForTheUserAloneAndADamagedOneIsMadeAnew) {
    TempDir config;
    const fs::path kept = config / "VelmorSoft" / "Tarnwick.key";
    WriteFileBytes(kept, "cut short");
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
    EXPECT_NE(ReadFileBytes(kept), "cut short");
    EXPECT_EQ(fs::directory_iterator(config / "VelmorSoft")->path().filename(), "Tarnwick.key");
    EXPECT_EQ(std::distance(fs::directory_iterator(config / "VelmorSoft"), {}), 1);

    TempDir other;
    const ScopedEnv home("XDG_CONFIG_HOME", other.Str());
    EXPECT_NE(UserSecretDigest("a"), first);
}

// A settings folder that is a link (as a dotfiles manager makes them) holds the secret as a
// folder would: what the program signed in one settings folder it signs alike through the link.
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
    const ScopedEnv home("XDG_CONFIG_HOME", linked.Str());
    EXPECT_EQ(UserSecretDigest("a"), signedPlainly);
    EXPECT_TRUE(fs::is_symlink(linked / "VelmorSoft"));
    EXPECT_EQ(ReadFileBytes(elsewhere / "Tarnwick.key"), key);
}
