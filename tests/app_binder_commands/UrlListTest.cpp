#include "app/binder/commands/UrlListCommands.h"

#include "tests/app_binder/ExportFixture.h"
#include "tests/support/Permissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

// A selected page alone is written as the window's export command shows.
TEST(UrlList, WritesTheUrlsOfPagesAndLinksOneALine) {
    struct Case {
        const char* name;
        std::function<void(ExportFixture&)> build;
        bool wholeBinder;
        std::string expected;
    };
    auto folderWithPageNoteAndLink = [](ExportFixture& b) {
        TTreeNode* folder = AddRecord(b.Tree(), nullptr, NodeKind::Folder, 1, "F");
        TTreeNode* page = b.Page(folder, 2, "P", "http://a.test/p");
        AddRecord(b.Tree(), page, NodeKind::Link, 3, "under a page");
        NodeRecord(page->Item(0))->RequestedUrl = "http://never.test/";
        AddRecord(b.Tree(), folder, NodeKind::Notes, 4, "N");
        TTreeNode* sub = AddRecord(b.Tree(), folder, NodeKind::Folder, 5, "S");
        NodeRecord(AddRecord(b.Tree(), sub, NodeKind::Link, 6, "L"))->RequestedUrl =
            "http://b.test/l";
        b.Tree().SetSelected(folder);
    };
    const std::vector<Case> cases = {
        {"selected folder", folderWithPageNoteAndLink, false,
         "http://a.test/p\r\nhttp://b.test/l\r\n"},
        {"entire binder",
         [&](ExportFixture& b) {
             folderWithPageNoteAndLink(b);
             b.Page(nullptr, 7, "Top", "http://c.test/");
         },
         true, "http://a.test/p\r\nhttp://b.test/l\r\nhttp://c.test/\r\n"},
        {"empty binder", [](ExportFixture&) {}, true, ""},
        {"nothing selected", [](ExportFixture&) {}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture binder;
        c.build(binder);
        TempDir out;
        WriteFileBytes(out / "list.txt", "old contents that are longer");
        binder.exportUi.DialogAnswers.push_back((out / "list.txt").string());
        c.wholeBinder ? FileExportListallExecute(binder.context, binder.exportUi)
                      : FileExportListExecute(binder.context, binder.exportUi);
        EXPECT_EQ(ReadFileBytes(out / "list.txt"), c.expected);
        EXPECT_TRUE(binder.exportUi.CallsOf("ShowMessage").empty());
    }
}

TEST(UrlList, UnwritableTargetIsShownAndKeepsTheOldFile) {
    ExportFixture binder;
    binder.Tree().SetSelected(binder.Page(nullptr, 1, "P", "http://a.test/"));
    TempDir out;
    WriteFileBytes(out / "list.txt", "old");
    fs::permissions(out.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    binder.exportUi.DialogAnswers.push_back((out / "list.txt").string());
    {
        PermissionsEnforced enforced;
        FileExportListExecute(binder.context, binder.exportUi);
    }
    fs::permissions(out.Path(), fs::perms::owner_all);
    ASSERT_EQ(binder.exportUi.CallsOf("ShowMessage").size(), 1u);
    EXPECT_NE(binder.exportUi.CallsOf("ShowMessage")[0].find("can not write file " +
                                                             (out / "list.txt").string()),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(out / "list.txt"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1)
        << "a temporary file was left";
}
