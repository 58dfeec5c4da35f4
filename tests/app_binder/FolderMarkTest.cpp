#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreLeftovers.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/UserSecret.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* Line =
    "Tarnwick made this folder and may remove it with all it holds.\nmark ";

struct MarkState {
    bool Program;
    bool Signed;
    bool Damaged;
};

MarkState StateOf(const fs::path& folder, const std::string& name) {
    const FileDescriptor open = OpenFolderPath(folder.string());
    return {HoldsProgramMark(open.Get()), HoldsFolderMark(open.Get(), name),
            DamagedFolderMark(open.Get())};
}

} // namespace

// The mark is a plain file of one exact form: written by this build it counts both for what
// the user asks and for what the program removes unasked; signed elsewhere only for the first.
TEST(FolderMark, AMarkCountsByItsFormAndAsSignedOnlyUnderThisSecret) {
    TempDir dir;
    const fs::path folder = dir / "CAFE";
    fs::create_directory(folder);
    const std::string exact = std::string(Line) + UserSecretDigest("Tarnwick folder CAFE") + "\n";
    ASSERT_TRUE(WriteFolderMark(OpenFolderPath(folder.string()).Get(), "CAFE"));
    EXPECT_EQ(ReadFileBytes(folder / FolderMarkName), exact);

    const auto check = [&](const std::string& bytes, MarkState want, const char* what) {
        fs::remove(folder / FolderMarkName);
        WriteFileBytes(folder / FolderMarkName, bytes);
        const MarkState got = StateOf(folder, "CAFE");
        EXPECT_EQ(got.Program, want.Program) << what;
        EXPECT_EQ(got.Signed, want.Signed) << what;
        EXPECT_EQ(got.Damaged, want.Damaged) << what;
    };
    std::string other = exact;
    other[other.size() - 2] = other[other.size() - 2] == '0' ? '1' : '0';
    std::string upper = exact;
    upper[std::string(Line).size()] = 'A';
    check(exact, {true, true, false}, "this build's bytes");
    check(other, {true, false, false}, "signed under another secret");
    check(upper, {false, false, false}, "upper-case digits");
    check(exact + "\n", {false, false, false}, "one byte more");
    check(exact.substr(0, exact.size() - 1), {false, false, true}, "cut short");
    check("", {false, false, true}, "empty");
    check(std::string(exact.size(), '\0'), {false, false, true}, "zeros");
    check("Tarnwick made this folder and may keep it", {false, false, false}, "other words");
    EXPECT_FALSE(StateOf(folder, "BEEF").Signed) << "signed for another folder";

    // A link to a mark, or a folder at the mark's name, is no mark.
    fs::remove(folder / FolderMarkName);
    WriteFileBytes(dir / "elsewhere", exact);
    fs::create_symlink(dir / "elsewhere", folder / FolderMarkName);
    EXPECT_FALSE(StateOf(folder, "CAFE").Program);
    EXPECT_FALSE(StateOf(folder, "CAFE").Damaged);
    EXPECT_FALSE(RenewFolderMark(OpenFolderPath(folder.string()).Get(), "CAFE"));
    fs::remove(folder / FolderMarkName);
    fs::create_directory(folder / FolderMarkName);
    EXPECT_FALSE(StateOf(folder, "CAFE").Program);
    EXPECT_FALSE(RenewFolderMark(OpenFolderPath(folder.string()).Get(), "CAFE"));

    // Renewed, a damaged mark becomes this build's; a whole one is left as it is.
    fs::remove(folder / FolderMarkName);
    WriteFileBytes(folder / FolderMarkName, "Tarnwick made");
    EXPECT_TRUE(RenewFolderMark(OpenFolderPath(folder.string()).Get(), "CAFE"));
    EXPECT_EQ(ReadFileBytes(folder / FolderMarkName), exact);
    fs::remove(folder / FolderMarkName);
    WriteFileBytes(folder / FolderMarkName, other);
    EXPECT_TRUE(RenewFolderMark(OpenFolderPath(folder.string()).Get(), "CAFE"));
    EXPECT_EQ(ReadFileBytes(folder / FolderMarkName), other);
}

// Without a secret (a key file that is no key) marks are still written and count for what the
// user asks, but none is taken as signed: the removal of leftovers at open removes nothing, and
// the key file is left as it was.
TEST(FolderMark, WithoutASecretTheLeftoversAreKeptAndEverythingElseWorks) {
    TempDir config;
    const fs::path key = config / "VelmorSoft" / "Tarnwick.key";
    WriteFileBytes(key, "not a key");
    const ScopedEnv home("XDG_CONFIG_HOME", config.Str());
    TempDir dir;
    const StoreAccess store(dir.Str(), "Xstore");
    std::string error;
    ASSERT_TRUE(store.WriteNodeFile(0xCAFE, "CAFE.htm", "page", error)) << error;
    ASSERT_TRUE(store.WriteNodeFile(0xBEEF, "BEEF.htm", "left over", error)) << error;
    EXPECT_FALSE(StateOf(dir / "Xstore" / "BEEF", "BEEF").Signed);
    EXPECT_TRUE(RemoveLeftoverFolders(store, [](uint32_t id) { return id == 0xCAFE; }, {}).empty());
    EXPECT_TRUE(fs::exists(dir / "Xstore" / "BEEF" / "BEEF.htm"));
    EXPECT_TRUE(store.RemoveNodeFolder(0xBEEF));
    EXPECT_FALSE(fs::exists(dir / "Xstore" / "BEEF"));
    EXPECT_EQ(ReadFileBytes(key), "not a key");
    EXPECT_EQ(SortedNames(config / "VelmorSoft"), std::vector<std::string>{"Tarnwick.key"});
}

// Unasked, the leftovers go only where this installation signed them, and never a folder a
// file task downloads into.
TEST(FolderMark, TheRemovalAtOpenKeepsFoldersSignedElsewhereAndTaskFolders) {
    TempDir dir;
    const StoreAccess store(dir.Str(), "Xstore");
    std::string error;
    ASSERT_TRUE(store.WriteNodeFile(0xBEEF, "BEEF.htm", "left over", error)) << error;
    ASSERT_TRUE(store.WriteNodeFile(0xD1, "menu.txt", "a download", error)) << error;
    {
        TempDir otherUser;
        const ScopedEnv config("XDG_CONFIG_HOME", otherUser.Str());
        ASSERT_TRUE(store.WriteNodeFile(0xCAFE, "CAFE.htm", "carried", error)) << error;
    }
    EXPECT_EQ(RemoveLeftoverFolders(store, [](uint32_t) { return false; }, {"D1"}),
              std::vector<std::string>{"BEEF"});
    EXPECT_EQ(SortedNames(dir / "Xstore"),
              (std::vector<std::string>{FolderMarkName, "CAFE", "D1"}));
}
