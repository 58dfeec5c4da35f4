#include "app/binder/StoreTakeOver.h"
#include "app/binder/FileTaskPlace.h"
#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/Task.h"
#include "platform/base/FolderEntries.h"

#include "tests/app_ui/HomeListing.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool Marked(const fs::path& folder) {
    const FileDescriptor open = OpenFolderPath(folder.string());
    return open.Valid() && HoldsProgramMark(open.Get());
}

// A store as a build before the marks left it: a page folder with a frame's files and the
// picture an earlier capture left, an empty page folder, a folder named as no page and a note.
struct LaidOutStore {
    TempDir root;
    fs::path store = root / "Lstore";
    StoreClaims claims{{0xCAFE, 0x2024, 0x7}, {}};

    LaidOutStore() {
        WriteFileBytes(store / "CAFE" / "frame" / "f.htm", "<img src=\"b.gif\">");
        WriteFileBytes(store / "CAFE" / "frame" / "b.gif", "GIF89a");
        WriteFileBytes(store / "CAFE" / "old.gif", "the picture before");
        fs::create_directories(store / "2024");
        WriteFileBytes(store / "ADD" / "ADD.htm", "no page of the tree");
        WriteFileBytes(store / "notes.txt", "the user's");
    }
    std::optional<StoreSurvey> Survey() const {
        return SurveyUnmarkedStore(root.Str(), "Lstore", claims);
    }
};

} // namespace

// The survey reads only and names every entry; Yes marks the store and its page folders with
// whatever they hold, so captures write there and deletes remove them; the rest stays the
// user's.
TEST(StoreTakeOver, AStoreWithoutMarksIsTakenOnlyWithItsPageFoldersOnYes) {
    LaidOutStore laid;
    const auto before = Listing(laid.root.Path());
    const std::optional<StoreSurvey> survey = laid.Survey();
    ASSERT_TRUE(survey);
    EXPECT_EQ(survey->StorePath, (laid.root / "Lstore").string());
    EXPECT_EQ(survey->PageFolders, (std::vector<std::string>{"2024", "CAFE"}));
    EXPECT_EQ(survey->OtherEntries, (std::vector<std::string>{"ADD", "notes.txt"}));
    EXPECT_EQ(Listing(laid.root.Path()), before);
    const StoreAccess access(laid.root.Str(), "Lstore");
    std::string error;
    EXPECT_FALSE(access.WriteNodeFile(0xCAFE, "n.htm", "x", error));
    EXPECT_NE(error.find("holds 2024, ADD, CAFE and 1 more"), std::string::npos) << error;
    EXPECT_NE(error.find("answer Yes when asked"), std::string::npos) << error;

    ASSERT_TRUE(TakeOverStore(laid.root.Str(), "Lstore", *survey));
    EXPECT_TRUE(Marked(laid.store));
    EXPECT_TRUE(Marked(laid.store / "CAFE"));
    EXPECT_TRUE(Marked(laid.store / "2024"));
    EXPECT_FALSE(Marked(laid.store / "ADD"));
    EXPECT_EQ(SortedNames(laid.store / "CAFE"),
              (std::vector<std::string>{FolderMarkName, "frame", "old.gif"}));
    EXPECT_TRUE(access.WriteNodeFile(0x2024, "2024.htm", "new", error)) << error;
    EXPECT_TRUE(access.RemoveNodeFolder(0xCAFE));
    EXPECT_FALSE(fs::exists(laid.store / "CAFE"));
    EXPECT_FALSE(access.WriteNodeFile(0xADD, "ADD.htm", "x", error));
    EXPECT_EQ(ReadFileBytes(laid.store / "ADD" / "ADD.htm"), "no page of the tree");
    EXPECT_FALSE(access.RemoveStoreIfEmpty());
    EXPECT_EQ(ReadFileBytes(laid.store / "notes.txt"), "the user's");
    // Marked, it is never asked about again.
    EXPECT_FALSE(laid.Survey());
}

// Nothing to ask about: a store of the program's, an empty or missing one, one that is a link,
// one with no page folder, one a file task downloads into. A page folder holding a link is
// the user's, counted among the other entries.
TEST(StoreTakeOver, OnlyAStoreWithPageFoldersAndNoMarkIsAskedAbout) {
    const auto none = [](const std::function<void(LaidOutStore&)>& change, const char* what) {
        LaidOutStore laid;
        change(laid);
        EXPECT_FALSE(laid.Survey()) << what;
    };
    none([](LaidOutStore& l) { WriteFileBytes(l.store / FolderMarkName, ""); }, "a cut mark");
    none([](LaidOutStore& l) { WriteFileBytes(l.store / FolderMarkName, "mine"); },
         "the user's file at the mark's name");
    none([](LaidOutStore& l) { l.claims.PageIds = {0x1}; }, "no page folder");
    none([](LaidOutStore& l) { l.claims.TaskFolders = {"ADD"}; }, "a file task's folder");
    none([](LaidOutStore& l) { fs::remove_all(l.store); }, "missing");
    none(
        [](LaidOutStore& l) {
            fs::remove_all(l.store);
            fs::create_directory(l.store);
        },
        "empty");
    none(
        [](LaidOutStore& l) {
            fs::rename(l.store, l.root / "elsewhere");
            fs::create_directory_symlink(l.root / "elsewhere", l.store);
        },
        "a link");

    LaidOutStore laid;
    fs::create_symlink(laid.root / "elsewhere", laid.store / "CAFE" / "frame" / "link");
    const std::optional<StoreSurvey> survey = laid.Survey();
    ASSERT_TRUE(survey);
    EXPECT_EQ(survey->PageFolders, std::vector<std::string>{"2024"});
    ASSERT_TRUE(TakeOverStore(laid.root.Str(), "Lstore", *survey));
    EXPECT_FALSE(Marked(laid.store / "CAFE"));
}

// In a store of the program's a folder whose mark a crash cut short is marked anew; a folder
// without a mark stays the user's, whatever it holds.
TEST(StoreTakeOver, InAStoreOfTheProgramsOnlyMarksCutShortAreRenewed) {
    LaidOutStore laid;
    WriteFileBytes(laid.store / FolderMarkName, "Tarnwick made");
    WriteFileBytes(laid.store / "7" / FolderMarkName, std::string(20, '\0'));
    WriteFileBytes(laid.store / "7" / "anything.bin", "a capture's file");
    RenewCutShortMarks(laid.root.Str(), "Lstore");
    EXPECT_TRUE(Marked(laid.store));
    EXPECT_TRUE(Marked(laid.store / "7"));
    EXPECT_FALSE(Marked(laid.store / "CAFE"));
    EXPECT_FALSE(Marked(laid.store / "2024"));
    EXPECT_EQ(ReadFileBytes(laid.store / "7" / "anything.bin"), "a capture's file");
}

// A task's folder is the one its download lands in, also for a binder below a folder named
// like its store.
TEST(StoreTakeOver, ATasksFolderIsTheOneItDownloadsInto) {
    TempDir home;
    const fs::path binder = home / "Bstore" / "b";
    fs::create_directories(binder);
    const std::string folder = binder.string();
    EXPECT_EQ(FileTaskFolderName(folder, "Bstore", (binder / "Bstore" / "docs").string()), "docs");
    EXPECT_EQ(FileTaskFolderName(folder, "Bstore", "dl\\files"), "dl");
    EXPECT_EQ(FileTaskFolderName(folder, "Bstore", (home / "Bstore" / "x").string()), "");
    EXPECT_EQ(FileTaskFolderName(folder, "Bstore", ""), "");
    const StoreClaims claims =
        ClaimsOf({0x1}, {SerializeTask(Task("u", (binder / "Bstore" / "docs").string(), "txt"))},
                 folder, "Bstore");
    EXPECT_EQ(claims.TaskFolders, std::set<std::string>{"docs"});
}

TEST(StoreTakeOver, TheQuestionNamesTheStoreItsPageFoldersAndEveryOtherEntry) {
    const StoreSurvey survey{"/h/Restore", {"2024", "CAFE"}, {"a.txt", "b", "c"}};
    const std::string asked = TakeOverQuestion(survey, false);
    EXPECT_NE(asked.find("/h/Restore has no mark"), std::string::npos) << asked;
    EXPECT_NE(asked.find("2 folders named as pages"), std::string::npos) << asked;
    EXPECT_NE(asked.find("3 other entries: a.txt, b and c."), std::string::npos) << asked;
    EXPECT_NE(asked.find("captures write into them"), std::string::npos) << asked;
    EXPECT_NE(TakeOverQuestion(survey, true).find("removed"), std::string::npos);
}
