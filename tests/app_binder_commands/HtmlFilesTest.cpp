#include "app/binder/commands/HtmlCommands.h"

#include "app/binder/NodePageFile.h"
#include "app/binder/TreeFile.h"

#include "tests/app_binder/ExportFixture.h"
#include "tests/support/Permissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::map<std::string, std::string>& listing) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : listing) {
        names.push_back(name);
    }
    return names;
}

TTreeNode* SavedPage(ExportFixture& b, TTreeNode* parent, uint32_t id, const std::string& title) {
    TTreeNode* node = b.Page(parent, id, title);
    NodeRecord(node)->Content.PageHtml = "<p>" + title + "</p>";
    return node;
}

} // namespace

TEST(HtmlFiles, FolderSaveNumbersPagesAndKeepsFolderBlanks) {
    ExportFixture binder;
    TTreeNode* docs = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "My Docs");
    for (uint32_t i = 0; i < 12; ++i) {
        SavedPage(binder, docs, 0x100 + i, "Title");
    }
    binder.StoreFile(0x100, "100.htm", "own copy");
    binder.StoreFile(0x100, "img/a.gif", "GIF");
    binder.Tree().SetSelected(docs);
    TempDir out;
    binder.exportUi.DialogAnswers.push_back(out.Str());
    FileSaveHtmlExecute(binder.context, binder.exportUi);

    std::vector<std::string> expected{"My Docs"};
    for (int i = 0; i < 12; ++i) {
        expected.push_back("My Docs/" + std::to_string(i) + "--Title.htm");
    }
    expected.push_back("My Docs/img");
    expected.push_back("My Docs/img/a.gif");
    std::sort(expected.begin(), expected.end());
    const auto listing = FolderListing(out.Path());
    EXPECT_EQ(Names(listing), expected);
    EXPECT_EQ(listing.at("My Docs/11--Title.htm"), "<p>Title</p>");
    EXPECT_EQ(binder.exportUi.CallsOf("SelectDirectory"),
              std::vector<std::string>{"SelectDirectory(Select Directory|" +
                                       std::string(std::getenv("HOME")) + "|create)"});

    // Saved again: asked per file until the box is ticked, then never.
    binder.exportUi.DialogAnswers.push_back(out.Str());
    binder.exportUi.ConfirmAnswers = {false, true};
    binder.exportUi.ConfirmDontAsk = {false, true};
    FileSaveHtmlExecute(binder.context, binder.exportUi);
    EXPECT_EQ(binder.exportUi.CallsOf("Confirm").size(), 2u);
    EXPECT_EQ(binder.exportUi.CallsOf("Confirm")[0],
              "Confirm(File 0--Title.htm exists, Overide it? )");
}

TEST(HtmlFiles, TitlesBecomeNamesThatStayInsideTheChosenFolder) {
    ExportFixture binder;
    SavedPage(binder, nullptr, 0x10, "News: today");
    for (const char* title : {"../x", "a/b", "..", ""}) {
        TTreeNode* folder = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 0, title);
        SavedPage(binder, folder, 0, title);
    }
    TempDir out;
    binder.exportUi.DialogAnswers.push_back((out / "tree").string());
    FileSaveHtmlAllExecute(binder.context, binder.exportUi);
    EXPECT_EQ(Names(FolderListing(out / "tree")),
              (std::vector<std::string>{"..x", "..x/0--..x.htm", "0--Newstoday.htm", "_",
                                        "_/0--...htm", "_/0--.htm", "ab", "ab/0--ab.htm"}));
    EXPECT_EQ(Names(FolderListing(out.Path())).size(), 9u);

    // Saved alone, the page proposes its cleaned title.
    binder.Tree().SetSelected(binder.Tree().GetFirstNode());
    binder.exportUi.DialogAnswers.push_back((out / "alone.htm").string());
    FileSaveHtmlExecute(binder.context, binder.exportUi);
    EXPECT_EQ(binder.exportUi.CallsOf("SaveFileDialog").back(),
              "SaveFileDialog(" + (out / "tree" / "_").string() + "|" + HtmlSaveFilter +
                  "|News today.htm)");
    EXPECT_EQ(ReadFileBytes(out / "alone.htm"), "<p>News: today</p>");
}

// A page saved alone writes the chosen file and the page's resources, nothing else: the node
// folder's own page copy stays behind.
TEST(HtmlFiles, SelectedPageWritesOnlyTheChosenFileAndItsResources) {
    ExportFixture binder;
    for (const uint32_t id : {0x1Au, 0xABCDEF01u}) {
        TTreeNode* page = SavedPage(binder, nullptr, id, "P");
        const std::string hex = IntToHex(id, 1);
        binder.StoreFile(id, hex + ".htm", "own copy");
        binder.StoreFile(id, "img/a.gif", "GIF" + hex);
        TempDir out;
        binder.Tree().SetSelected(page);
        binder.exportUi.DialogAnswers.push_back((out / "chosen.htm").string());
        FileSaveHtmlExecute(binder.context, binder.exportUi);
        const auto listing = FolderListing(out.Path());
        EXPECT_EQ(Names(listing), (std::vector<std::string>{"chosen.htm", "img", "img/a.gif"}))
            << hex;
        EXPECT_EQ(listing.at("chosen.htm"), "<p>P</p>");
        EXPECT_EQ(listing.at("img/a.gif"), "GIF" + hex);
    }

    // A pasted copy of a page is saved the same way: the copied page's own page file, named by
    // that page's id, is neither copied with it nor written out.
    binder.Tree().SetSelected(binder.Tree().GetFirstNode());
    binder.commands.EditCopy1Execute();
    binder.commands.EditPaste1Execute();
    TTreeNode* copy = binder.Tree().Selected();
    const uint32_t copyId = NodeRecord(copy)->Id;
    ASSERT_NE(copyId, 0x1Au);
    std::vector<std::string> stored;
    for (const auto& [name, bytes] : StoreListing(binder.StoreFolder(copyId))) {
        stored.push_back(name);
    }
    EXPECT_EQ(stored, (std::vector<std::string>{IntToHex(copyId, 1) + ".htm", "img", "img/a.gif"}));
    TempDir out;
    binder.exportUi.DialogAnswers.push_back((out / "copy.htm").string());
    FileSaveHtmlExecute(binder.context, binder.exportUi);
    EXPECT_EQ(Names(FolderListing(out.Path())),
              (std::vector<std::string>{"copy.htm", "img", "img/a.gif"}));
}

TEST(HtmlFiles, ImportAddsChainedPagesAndMarksUnreadableOnesFailed) {
    ExportFixture binder;
    TTreeNode* folder = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "In");
    binder.Tree().SetSelected(folder);
    TempDir source;
    WriteFileBytes(source / "a.HTM", "<html>a</html>");
    WriteFileBytes(source / "b.php", "<?php ?>");
    WriteFileBytes(source / "c.html", "<html>c</html>");
    WriteFileBytes(source / "sub" / "d.shtml", "<html>d</html>");
    fs::permissions(source / "c.html", fs::perms::none);
    binder.exportUi.DialogAnswers.push_back(source.Str());
    binder.settings.RecursiveImport = false;
    {
        PermissionsEnforced enforced;
        FileImportHtmlExecute(binder.context, binder.exportUi);
    }
    ASSERT_EQ(folder->Count(), 2);
    const TPageInfo* a = NodeRecord(folder->Item(0));
    const TPageInfo* c = NodeRecord(folder->Item(1));
    EXPECT_EQ(a->Title, "a.HTM");
    EXPECT_EQ(a->RequestedUrl, "file://" + (source / "a.HTM").string());
    EXPECT_EQ(a->State, CaptureState::Completed);
    EXPECT_EQ(a->Progress.StatusText, "Download Finished");
    EXPECT_EQ(c->State, CaptureState::Failed);
    EXPECT_EQ(c->Content.Stats.State, 3);
    EXPECT_EQ(binder.capture.Calls,
              std::vector<std::string>{"now " + IntToHex(a->Id, 1) + " <html>a</html>"});
    EXPECT_FALSE(binder.binder.BinderDirty) << "the tree file is written";
    EXPECT_EQ(binder.exportUi.CallsOf("OpenStatusForm"),
              std::vector<std::string>{"OpenStatusForm(Adding page, please wait ....|cancel)"});
}

// The import serves events while each page is captured: the command reached again meanwhile
// (from a key, a menu) starts nothing, and each file is captured once.
TEST(HtmlFiles, AnImportReachedAgainWhileItCapturesAddsEachFileOnce) {
    ExportFixture binder;
    TTreeNode* folder = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "In");
    binder.Tree().SetSelected(folder);
    TempDir source;
    WriteFileBytes(source / "a.htm", "<p>a</p>");
    WriteFileBytes(source / "b.htm", "<p>b</p>");
    binder.exportUi.DialogAnswers = {source.Str(), source.Str()};
    binder.capture.OnNow = [&](TPageInfo&) {
        FileImportHtmlExecute(binder.context, binder.exportUi);
    };
    FileImportHtmlExecute(binder.context, binder.exportUi);
    ASSERT_EQ(folder->Count(), 2);
    EXPECT_EQ(binder.capture.Calls.size(), 2u);
    EXPECT_EQ(binder.exportUi.CallsOf("OpenStatusForm").size(), 1u);
}

// Cancel of the import's wait form ends the import: pressed while a page is captured, that
// capture is stopped as the user's Stop stops one and the page is left as its capture ended it;
// pressed between pages, the page before keeps its capture. No later file is added, and the
// binder holds and has written what came in.
TEST(HtmlFiles, CancelEndsTheImportAndStopsThePageAtWork) {
    for (const bool duringCapture : {true, false}) {
        SCOPED_TRACE(duringCapture ? "during a capture" : "between pages");
        ExportFixture binder;
        TTreeNode* folder = AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "In");
        binder.Tree().SetSelected(folder);
        TempDir source;
        for (const char* name : {"a.htm", "b.htm", "c.htm"}) {
            WriteFileBytes(source / name, std::string("<p>") + name + "</p>");
        }
        binder.exportUi.DialogAnswers.push_back(source.Str());
        int captures = 0;
        binder.capture.OnNow = [&](TPageInfo&) {
            if (++captures == 2 && duringCapture) {
                binder.exportUi.PressWaitFormCancel();
            }
        };
        int steps = 0;
        binder.exportUi.PressCancel = [&] { return ++steps == 2 && !duringCapture; };
        FileImportHtmlExecute(binder.context, binder.exportUi);

        ASSERT_EQ(folder->Count(), 2);
        const TPageInfo* first = NodeRecord(folder->Item(0));
        const TPageInfo* second = NodeRecord(folder->Item(1));
        EXPECT_EQ(first->State, CaptureState::Completed);
        EXPECT_EQ(second->State, duringCapture ? CaptureState::Stopped : CaptureState::Completed);
        std::vector<std::string> calls{"now " + IntToHex(first->Id, 1) + " <p>a.htm</p>",
                                       "now " + IntToHex(second->Id, 1) + " <p>b.htm</p>"};
        if (duringCapture) {
            calls.push_back("stop " + IntToHex(second->Id, 1));
        }
        EXPECT_EQ(binder.capture.Calls, calls);
        EXPECT_EQ(binder.exportUi.CallsOf("CloseStatusForm").size(), 1u);
        EXPECT_FALSE(binder.binder.BinderDirty);
        EXPECT_EQ(ReadFileBytes(binder.paths.TreeFilePath), TreeFileBytes(binder.Tree()));
    }
}

TEST(HtmlFiles, SyncContentRemovesThePageFileAndCapturesAgain) {
    ExportFixture binder;
    binder.Tree().SetSelected(SavedPage(binder, nullptr, 0xAB, "P"));
    binder.StoreFile(0xAB, "AB.htm", "old page");
    binder.StoreFile(0xAB, "a.gif", "GIF");
    ToolSyncContentExecute(binder.context);
    EXPECT_FALSE(
        fs::exists(NodePageFilePath(binder.paths.BinderRoot, binder.paths.BinderStore, 0xAB)));
    EXPECT_TRUE(fs::exists(fs::path(binder.StoreFolder(0xAB)) / "a.gif"));
    EXPECT_EQ(binder.capture.Calls, std::vector<std::string>{"start AB 0 hidden"});
}

// "Selected Only" on a page: an existing file is replaced only after "File Exist, Override?",
// and a name that cannot be written asks "File name invalid, retry? ": OK shows the dialog
// again, Cancel ends the command. Nothing is written until a name was written.
TEST(HtmlFiles, SaveAsHtmlAsksOverAnExistingFileAndRetriesANameThatCannotBeWritten) {
    ExportFixture binder;
    binder.Tree().SetSelected(SavedPage(binder, nullptr, 0x2B, "P"));
    binder.StoreFile(0x2B, "img/a.gif", "GIF");
    binder.StoreFile(0x2B, "2B.htm", "own copy");
    TempDir out;
    WriteFileBytes(out / "old.htm", "keep me");
    fs::create_directories(out / "taken.htm"); // a folder: no file can be written there
    // The dialog comes back as it was first shown.
    const std::string dialog = "SaveFileDialog(" + out.Str() + "|" + HtmlSaveFilter + "|P.htm)";
    const std::string exists = "MessageBox(File Exist, Override?|Confirm)";
    const std::string invalid = "MessageBox(File name invalid, retry? |Warning)";
    const struct {
        const char* name;
        std::vector<std::string> chosen;
        std::vector<TModalResult> answers;
        std::vector<std::string> calls;
        const char* written; // the file holding the page afterwards, if any
    } cases[] = {
        {"Cancel over an existing file", {"old.htm"}, {TModalResult::Cancel}, {dialog, exists}, ""},
        {"cancelled dialog", {}, {}, {dialog}, ""},
        {"a folder in the way, then Cancel",
         {"taken.htm"},
         {TModalResult::Ok, TModalResult::Cancel},
         {dialog, exists, invalid},
         ""},
        {"below a file, then another name",
         {"old.htm/x.htm", "new.htm"},
         {TModalResult::Ok},
         {dialog, invalid, dialog, "OpenStatusForm()", "CloseStatusForm"},
         "new.htm"},
        {"over an existing file",
         {"old.htm"},
         {TModalResult::Ok},
         {dialog, exists, "OpenStatusForm()", "CloseStatusForm"},
         "old.htm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        binder.exportUi.Calls.clear();
        binder.exportUi.DialogDir = out.Str();
        for (const std::string& name : c.chosen) {
            binder.exportUi.DialogAnswers.push_back((out / name).string());
        }
        binder.exportUi.BoxAnswers.assign(c.answers.begin(), c.answers.end());
        FileSaveHtmlExecute(binder.context, binder.exportUi);
        EXPECT_EQ(binder.exportUi.Calls, c.calls);
        EXPECT_TRUE(binder.exportUi.DialogAnswers.empty());
        EXPECT_TRUE(binder.exportUi.BoxAnswers.empty());
        EXPECT_EQ(ReadFileBytes(out / "old.htm"),
                  std::string(c.written) == "old.htm" ? "<p>P</p>" : "keep me");
        EXPECT_EQ(fs::exists(out / "img" / "a.gif"), *c.written != '\0');
        if (*c.written != '\0') {
            EXPECT_EQ(ReadFileBytes(out / c.written), "<p>P</p>");
            EXPECT_EQ(ReadFileBytes(out / "img" / "a.gif"), "GIF");
            EXPECT_FALSE(fs::exists(out / "2B.htm"));
        }
        EXPECT_TRUE(fs::is_directory(out / "taken.htm"));
    }
}

// With "RecursiveImport" on, the files of every sub-folder are imported at the sub-folder's
// place in the listing, all beside the first page; other files are left out. Without a
// selection the pages go to the top level, after the nodes there.
TEST(HtmlFiles, RecursiveImportTakesTheSubFoldersAtTheirPlace) {
    ExportFixture binder;
    AddRecord(binder.Tree(), nullptr, NodeKind::Folder, 1, "There");
    binder.Tree().SetSelected(nullptr);
    TempDir source;
    WriteFileBytes(source / "a.htm", "<html>a</html>");
    WriteFileBytes(source / "b" / "c.html", "<html>c</html>");
    WriteFileBytes(source / "b" / "d" / "e.SHTML", "<html>e</html>");
    WriteFileBytes(source / "b" / "notes.txt", "not a page");
    WriteFileBytes(source / "f.html", "<html>f</html>");
    fs::create_directories(source / "empty");
    binder.exportUi.DialogAnswers.push_back(source.Str());
    binder.settings.RecursiveImport = true;
    FileImportHtmlExecute(binder.context, binder.exportUi);

    const fs::path expected[] = {source / "a.htm", source / "b" / "c.html",
                                 source / "b" / "d" / "e.SHTML", source / "f.html"};
    ASSERT_EQ(binder.Tree().Count(), 5);
    ASSERT_EQ(binder.Tree().TopLevelCount(), 5);
    std::vector<std::string> captured;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const TPageInfo* page = NodeRecord(binder.Tree().TopLevelItem(i + 1));
        EXPECT_EQ(page->Kind, NodeKind::WebPage);
        EXPECT_EQ(page->Title, expected[i].filename().string());
        EXPECT_EQ(page->RequestedUrl, "file://" + expected[i].string());
        EXPECT_EQ(page->FinalUrl, page->RequestedUrl);
        EXPECT_EQ(page->State, CaptureState::Completed);
        captured.push_back("now " + IntToHex(page->Id, 1) + " " + ReadFileBytes(expected[i]));
    }
    EXPECT_EQ(binder.capture.Calls, captured);
    EXPECT_EQ(ReadFileBytes(binder.paths.TreeFilePath), TreeFileBytes(binder.Tree()));
}
