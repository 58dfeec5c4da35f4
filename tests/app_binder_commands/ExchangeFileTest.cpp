#include "app/binder/commands/ExchangeCommands.h"

#include "app/binder/ExchangeFile.h"
#include "app/binder/NodeIds.h"

#include "app/binder/StoreAccess.h"
#include "app/binder/StringMessage.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "platform/base/FolderEntries.h"

#include "tests/app_binder/ExportFixture.h"
#include "tests/support/Permissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Every node in tree order from the top-level node `from` on: depth, kind, id, title, URL,
// state and note bytes.
std::string Dump(const TTreeNodes& tree, int from = 0) {
    std::string text;
    for (const TTreeNode* node = tree.TopLevelItem(from); node != nullptr; node = node->GetNext()) {
        const TPageInfo* record = NodeRecord(node);
        text +=
            std::to_string(node->Level()) + " " + std::to_string(static_cast<int>(record->Kind)) +
            " " + IntToHex(record->Id, 1) + " " + record->Title + " " + record->RequestedUrl + " " +
            std::to_string(static_cast<int>(record->State)) + " [" + record->Notes.Bytes() + "]\n";
    }
    return text;
}

std::string ExportAll(ExportFixture& binder, const fs::path& file) {
    binder.exportUi.DialogAnswers.push_back(file.string());
    FileExportAllExecute(binder.context, binder.exportUi);
    return ReadFileBytes(file);
}

void Import(ExportFixture& binder, const fs::path& file) {
    binder.exportUi.DialogAnswers.push_back(file.string());
    FileImportVelmorExecute(binder.context, binder.exportUi);
}

// Binder A: folders two deep, pages with files (a 0-byte one and a binary one), a note with
// bytes, a link and an unfinished page.
struct SourceBinder : ExportFixture {
    SourceBinder() {
        TTreeNode* docs = AddRecord(Tree(), nullptr, NodeKind::Folder, 0x10, "Docs");
        Page(docs, 0x11, "Home", "http://example.test/");
        StoreFile(0x11, "0011.htm", "<html>home</html>");
        StoreFile(0x11, "empty.gif", "");
        StoreFile(0x11, "img/deep/bin.dat", std::string("\0\xff\0\x01", 4));
        TTreeNode* inner = AddRecord(Tree(), docs, NodeKind::Folder, 0x12, "Inner");
        TTreeNode* sub = AddRecord(Tree(), inner, NodeKind::Folder, 0x13, "Sub");
        Page(sub, 0x14, "Deep", "http://example.test/deep");
        StoreFile(0x14, "d.css", "body{}");
        TTreeNode* note = AddRecord(Tree(), docs, NodeKind::Notes, 0x15, "Note");
        NodeRecord(note)->Notes.AppendRaw("rnf\0bytes", 9);
        AddRecord(Tree(), nullptr, NodeKind::Link, 0x16, "Link");
        NodeRecord(Tree().Item(6))->RequestedUrl = "http://example.test/link";
        TTreeNode* later = Page(nullptr, 0x17, "Later", "http://example.test/later");
        NodeRecord(later)->State = CaptureState::Unfinished;
        NodeRecord(later)->Content.Stats.State = static_cast<int32_t>(CaptureState::Unfinished);
    }
};

} // namespace

TEST(ExchangeFile, ExportWritesTheFieldsByteForByte) {
    struct Case {
        const char* name;
        std::function<void(ExportFixture&)> build;
        std::function<std::string(ExportFixture&)> expected;
    };
    const std::vector<Case> cases = {
        {"empty binder", [](ExportFixture&) {},
         [](ExportFixture&) { return std::string("c#VelmorExport3#1.08#treedata0#"); }},
        {"page with a 0-byte file",
         [](ExportFixture& b) {
             b.Page(nullptr, 0xA1, "P");
             b.StoreFile(0xA1, "z.gif", "");
         },
         [](ExportFixture& b) {
             return Field("VelmorExport") + Field("1.0") +
                    Field(SerializeSubtree(*b.Tree().GetFirstNode())->Bytes()) + Field("treedata") +
                    Field(Field("A1\\z.gif") + "0#");
         }},
        {"folder with pages two levels down, depth first in child order",
         [](ExportFixture& b) {
             TTreeNode* folder = AddRecord(b.Tree(), nullptr, NodeKind::Folder, 1, "F");
             TTreeNode* sub = AddRecord(b.Tree(), folder, NodeKind::Folder, 2, "S");
             b.Page(sub, 0xB2, "Deep");
             b.Page(folder, 0xB1, "Near");
             b.StoreFile(0xB2, "b.css", "BB");
             b.StoreFile(0xB1, "a.gif", "A");
             b.StoreFile(0xB1, "img/c.gif", "CCC");
         },
         [](ExportFixture& b) {
             return Field("VelmorExport") + Field("1.0") +
                    Field(SerializeSubtree(*b.Tree().GetFirstNode())->Bytes()) + Field("treedata") +
                    Field(Field("B2\\b.css") + Field("BB") + Field("B1\\a.gif") + Field("A") +
                          Field("B1\\img\\c.gif") + Field("CCC"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture binder;
        c.build(binder);
        TempDir out;
        EXPECT_EQ(ExportAll(binder, out / "x.tqz"), c.expected(binder));
        EXPECT_EQ(binder.exportUi.DialogDir, out.Str());
    }
}

TEST(ExchangeFile, RoundTripRebuildsTreeAndFilesWhereverTheImportLands) {
    SourceBinder source;
    TempDir out;
    const std::string bytes = ExportAll(source, out / "a.tqz");
    const std::string sourceDump = Dump(source.Tree());
    const auto sourceFiles = StoreListing(source.Store());

    struct Case {
        const char* name;
        std::function<TTreeNode*(ExportFixture&)> prepare; // the node to select
        std::string file;
        int topLevelBefore;
    };
    std::string version2 = bytes;
    version2.replace(version2.find("3#1.0"), 5, "3#2.0");
    const std::vector<Case> cases = {
        {"fresh binder, nothing selected", [](ExportFixture&) { return nullptr; }, bytes, 0},
        {"version 2.0", [](ExportFixture&) { return nullptr; }, version2, 0},
        {"page selected: top level", [](ExportFixture& b) { return b.Page(nullptr, 0xE1, "Mine"); },
         bytes, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture target;
        target.Tree().SetSelected(c.prepare(target));
        WriteFileBytes(out / "in.tqz", c.file);
        Import(target, out / "in.tqz");

        ASSERT_EQ(target.Tree().TopLevelCount(), c.topLevelBefore + 3);
        EXPECT_EQ(Dump(target.Tree(), c.topLevelBefore), sourceDump);
        auto files = StoreListing(target.Store());
        if (c.topLevelBefore == 0) {
            EXPECT_EQ(files, sourceFiles);
        }
        // The files are in the store, and the tree file names their nodes at once.
        EXPECT_FALSE(target.binder.BinderDirty);
        EXPECT_EQ(ReadFileBytes(target.paths.TreeFilePath), TreeFileBytes(target.Tree()));
        ASSERT_EQ(target.queue.Tasks.size(), 1u);
        EXPECT_EQ(target.queue.Tasks[0].NodeId, 0x17u);
        EXPECT_EQ(target.queue.Tasks[0].Kind, UnfinishedPageKind);
    }

    // With a folder selected every subtree goes under it.
    ExportFixture target;
    TTreeNode* folder = AddRecord(target.Tree(), nullptr, NodeKind::Folder, 0xF0, "Here");
    target.Tree().SetSelected(folder);
    Import(target, out / "a.tqz");
    EXPECT_EQ(TreeShape(target.Tree()),
              "Here#F0(Docs#10(Home#11,Inner#12(Sub#13(Deep#14)),Note#15),"
              "Link#16,Later#17)");
    EXPECT_EQ(target.Tree().Selected(), folder);
}

TEST(ExchangeFile, HostileFilesAreRefusedWithoutChangingAnything) {
    // A valid file with one page 0xABC and one file, from which the hostile ones are made.
    ExportFixture maker;
    maker.Page(nullptr, 0xABC, "Page");
    const std::string block = SerializeSubtree(*maker.Tree().GetFirstNode())->Bytes();
    auto withFiles = [&](const std::string& section) {
        return Field("VelmorExport") + Field("1.0") + Field(block) + Field("treedata") +
               Field(section);
    };
    auto named = [&](const std::string& name) { return withFiles(Field(name) + Field("x")); };
    const std::string valid = named("ABC\\ok.gif");

    struct Case {
        std::string name;
        std::string bytes;
        bool plantLink = false;
    };
    std::vector<Case> cases = {
        {"climbing name", named("..\\..\\x")},
        {"absolute name", named("/abs")},
        {"drive name", named("C:\\x")},
        {"climbing below the id", named("ABC\\..\\..\\x")},
        {"climbing inside the id", named("ABC\\a\\..\\..\\b")},
        {"id not in the file", named("DEF\\x")},
        {"empty name", named("")},
        {"NUL inside", named(std::string("ABC\\a\0b", 7))},
        {"drive inside the id folder", named("ABC\\C:\\x")},
        {"name without bytes", withFiles(Field("ABC\\x"))},
        {"wrong marker", Field("VelmorExporT") + valid.substr(Field("VelmorExport").size())},
        {"treedata without a section",
         Field("VelmorExport") + Field("1.0") + Field(block) + Field("treedata")},
        {"no treedata", Field("VelmorExport") + Field("1.0") + Field(block)},
        {"length past the end", Field("VelmorExport") + Field("1.0") + Field(block) +
                                    Field("treedata") + "ff#" + Field("ABC\\ok.gif") + Field("x")},
        {"symbolic link as the node folder", valid, true},
    };
    for (size_t cut = 97; cut < valid.size(); cut += 97) {
        cases.push_back({"cut after " + std::to_string(cut), valid.substr(0, cut)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture target;
        TempDir outside;
        TTreeNode* folder = AddRecord(target.Tree(), nullptr, NodeKind::Folder, 1, "F");
        target.Tree().SetSelected(folder);
        if (c.plantLink) {
            fs::create_directories(target.Store());
            fs::create_directory_symlink(outside.Path(), target.StoreFolder(0xABC));
        }
        WriteFileBytes(outside / "in.tqz", c.bytes);
        const auto before = FolderListing(target.dir.Path());
        const auto outsideBefore = FolderListing(outside.Path());
        const std::string shape = TreeShape(target.Tree());

        Import(target, outside / "in.tqz");

        EXPECT_EQ(target.exportUi.CallsOf("ShowMessage"),
                  std::vector<std::string>{"ShowMessage(File Format Error)"});
        EXPECT_EQ(FolderListing(target.dir.Path()), before);
        EXPECT_EQ(FolderListing(outside.Path()), outsideBefore);
        EXPECT_EQ(TreeShape(target.Tree()), shape);
        EXPECT_FALSE(target.binder.BinderDirty);
    }

    // The valid file itself imports.
    ExportFixture target;
    TempDir outside;
    WriteFileBytes(outside / "in.tqz", valid);
    Import(target, outside / "in.tqz");
    EXPECT_EQ(ReadFileBytes(fs::path(target.StoreFolder(0xABC)) / "ok.gif"), "x");

    // A file named as the folder's mark is left out: the folder stays the program's.
    ExportFixture marked;
    WriteFileBytes(outside / "mark.tqz",
                   withFiles(Field("ABC\\" + std::string(FolderMarkName)) + Field("forged") +
                             Field("ABC\\ok.gif") + Field("x")));
    Import(marked, outside / "mark.tqz");
    const std::string node = marked.StoreFolder(0xABC);
    EXPECT_EQ(ReadFileBytes(fs::path(node) / "ok.gif"), "x");
    EXPECT_TRUE(HoldsFolderMark(OpenFolderPath(node).Get(), "ABC"));
}

// A file that holds no field is no exchange file: the import stops without a word.
TEST(ExchangeFile, EmptyFileStopsSilently) {
    ExportFixture target;
    TempDir outside;
    AddRecord(target.Tree(), nullptr, NodeKind::Folder, 1, "F");
    WriteFileBytes(outside / "in.tqz", "");
    const auto before = FolderListing(target.dir.Path());
    Import(target, outside / "in.tqz");
    EXPECT_TRUE(target.exportUi.CallsOf("ShowMessage").empty());
    EXPECT_TRUE(target.exportUi.CallsOf("OpenWaitForm").empty());
    EXPECT_EQ(FolderListing(target.dir.Path()), before);
    EXPECT_EQ(target.Tree().Count(), 1);
    EXPECT_FALSE(target.binder.BinderDirty);
    // One byte short of a field's length is a damaged file, not an empty one.
    WriteFileBytes(outside / "in.tqz", std::string(1, '1'));
    Import(target, outside / "in.tqz");
    EXPECT_EQ(target.exportUi.CallsOf("ShowMessage"),
              std::vector<std::string>{"ShowMessage(File Format Error)"});
}

TEST(ExchangeFile, ReadOnlyStoreRefusesTheImportWithTheWritersMessage) {
    SourceBinder source;
    TempDir out;
    ExportAll(source, out / "a.tqz");
    ExportFixture target;
    fs::create_directories(target.Store());
    fs::permissions(target.Store(), fs::perms::owner_read | fs::perms::owner_exec);
    PermissionsEnforced enforced;
    if (!PermissionsEnforced::Hold(target.Store())) {
        GTEST_SKIP() << "permissions do not bind here";
    }
    Import(target, out / "a.tqz");
    ASSERT_EQ(target.exportUi.CallsOf("ShowMessage").size(), 1u);
    EXPECT_NE(target.exportUi.CallsOf("ShowMessage")[0].find("Permission denied"),
              std::string::npos);
    EXPECT_EQ(target.Tree().Count(), 0);
    EXPECT_TRUE(fs::is_empty(target.Store()));
    fs::permissions(target.Store(), fs::perms::owner_all);
}

TEST(ExchangeFile, SecondImportOfOneFileGetsItsOwnIdsAndFiles) {
    SourceBinder source;
    TempDir out;
    ExportAll(source, out / "a.tqz");
    ExportFixture target;
    Import(target, out / "a.tqz");
    Import(target, out / "a.tqz");
    ASSERT_EQ(target.Tree().TopLevelCount(), 6);

    TTreeNode* firstDocs = target.Tree().TopLevelItem(0);
    TTreeNode* secondDocs = target.Tree().TopLevelItem(3);
    const TPageInfo* firstHome = NodeRecord(firstDocs->Item(0));
    const TPageInfo* secondHome = NodeRecord(secondDocs->Item(0));
    EXPECT_EQ(firstHome->Id, 0x11u);
    EXPECT_NE(secondHome->Id, 0x11u);
    std::set<uint32_t> ids;
    for (TTreeNode* node : target.Tree().AllNodes()) {
        EXPECT_TRUE(ids.insert(NodeRecord(node)->Id).second) << "id met twice";
    }
    EXPECT_EQ(StoreListing(target.StoreFolder(secondHome->Id)),
              StoreListing(target.StoreFolder(0x11)));

    // A file exported from that binder holds twins; they are parted again on the way in.
    ExportAll(target, out / "twins.tqz");
    ExportFixture third;
    Import(third, out / "twins.tqz");
    std::set<uint32_t> thirdIds;
    for (TTreeNode* node : third.Tree().AllNodes()) {
        thirdIds.insert(NodeRecord(node)->Id);
    }
    EXPECT_EQ(thirdIds.size(), 16u);

    target.binder.DeleteNode(firstDocs);
    EXPECT_FALSE(fs::exists(target.StoreFolder(0x11)));
    EXPECT_EQ(ReadFileBytes(fs::path(target.StoreFolder(secondHome->Id)) / "0011.htm"),
              "<html>home</html>");
    EXPECT_EQ(target.Tree().TopLevelCount(), 5);
    EXPECT_EQ(NodeRecord(secondDocs->Item(0)), secondHome);
}

TEST(ExchangeFile, ExportKeepsTheOldFileUnlessTheNewOneIsComplete) {
    struct Case {
        const char* name;
        TModalResult answer;
        fs::perms folder;
        fs::perms storedFile;
        bool replaced;
        std::string message;
    };
    const fs::perms all = fs::perms::owner_all;
    const std::vector<Case> cases = {
        {"Cancel on the question", TModalResult::Cancel, all, all, false, ""},
        {"unwritable folder", TModalResult::Ok, fs::perms::owner_read | fs::perms::owner_exec, all,
         false, "can not write file"},
        {"unreadable stored file left out", TModalResult::Ok, all, fs::perms::none, true,
         "1 stored file(s) could not be read and were left out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture binder;
        binder.Page(nullptr, 0xA1, "P");
        binder.StoreFile(0xA1, "a.gif", "A");
        binder.StoreFile(0xA1, "b.gif", "B");
        fs::permissions(fs::path(binder.StoreFolder(0xA1)) / "b.gif", c.storedFile);
        TempDir out;
        WriteFileBytes(out / "x.tqz", "old");
        fs::permissions(out.Path(), c.folder);
        binder.exportUi.BoxAnswers.push_back(c.answer);
        {
            PermissionsEnforced enforced;
            ExportAll(binder, out / "x.tqz");
        }
        fs::permissions(out.Path(), all);
        EXPECT_EQ(binder.exportUi.CallsOf("MessageBox"),
                  std::vector<std::string>{"MessageBox(File Exist, Override?|Confirm)"});
        const std::string bytes = ReadFileBytes(out / "x.tqz");
        EXPECT_EQ(bytes != "old", c.replaced);
        EXPECT_EQ(bytes.find("A1\\b.gif"), std::string::npos);
        const auto shown = binder.exportUi.CallsOf("ShowMessage");
        EXPECT_EQ(shown.empty() ? "" : shown[0].substr(12, c.message.size()), c.message);
        EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 1);
    }
}

// A page imported under a fresh id has its page copy under that id: the old "<HEX>.htm" would
// be a stray resource in every later save and export.
TEST(ExchangeFile, PageCopyFollowsAReplacedId) {
    ExportFixture source;
    source.Page(nullptr, 0x5A, "Page", "http://p.test/");
    source.StoreFile(0x5A, "5A.htm", "<p>copy</p>");
    source.StoreFile(0x5A, "img/5a.htm", "deep, not the copy");
    source.StoreFile(0x5A, "a.gif", "GIF");
    TempDir out;
    ExportAll(source, out / "p.tqz");

    ExportFixture target;
    Import(target, out / "p.tqz");
    Import(target, out / "p.tqz");
    ASSERT_EQ(target.Tree().TopLevelCount(), 2);
    const uint32_t fresh = NodeRecord(target.Tree().TopLevelItem(1))->Id;
    ASSERT_NE(fresh, 0x5Au);
    const std::string hex = IntToHex(fresh, 1);
    std::vector<std::string> expected = {hex + ".htm", "a.gif", "img", "img/5a.htm"};
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> names;
    for (const auto& [name, bytes] : StoreListing(target.StoreFolder(fresh))) {
        names.push_back(name);
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(ReadFileBytes(fs::path(target.StoreFolder(fresh)) / (hex + ".htm")), "<p>copy</p>");
    // The page that kept its id keeps its copy as it was.
    EXPECT_EQ(ReadFileBytes(fs::path(target.StoreFolder(0x5A)) / "5A.htm"), "<p>copy</p>");
}

// "Export Content As Page": the selected node's subtree as the one block, and the files of the
// pages in it only, depth first; a page's own children bring no files. Without a selection
// nothing is asked and nothing written.
TEST(ExchangeFile, SubtreeExportHoldsOneBlockAndOnlyItsPagesFiles) {
    SourceBinder source;
    TTreeNode* later = source.Tree().Item(7);
    ASSERT_EQ(NodeRecord(later)->Id, 0x17u);
    source.Page(later, 0x18, "Below a page");
    source.StoreFile(0x18, "below.gif", "not exported");

    TempDir out;
    source.Tree().SetSelected(nullptr);
    source.exportUi.DialogAnswers.push_back((out / "none.tqz").string());
    FileExportContentExecute(source.context, source.exportUi);
    EXPECT_TRUE(source.exportUi.Calls.empty());
    EXPECT_FALSE(fs::exists(out / "none.tqz"));
    source.exportUi.DialogAnswers.clear();

    const std::string homeFiles =
        Field("11\\0011.htm") + Field("<html>home</html>") + Field("11\\empty.gif") + Field("") +
        Field("11\\img\\deep\\bin.dat") + Field(std::string("\0\xff\0\x01", 4));
    const std::string deepFiles = Field("14\\d.css") + Field("body{}");
    const struct {
        uint32_t selected;
        std::string files;
    } cases[] = {
        {0x10, homeFiles + deepFiles}, // a folder: every page below it
        {0x12, deepFiles},             // a folder two levels above its page
        {0x11, homeFiles},             // a page alone
        {0x15, ""},                    // a note: its record and no file
        {0x17, ""},                    // a page without files, with a child page that has some
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(IntToHex(c.selected, 1));
        SelectNodeById(source.Tree(), c.selected);
        const TTreeNode* selected = source.Tree().Selected();
        ASSERT_EQ(NodeRecord(selected)->Id, c.selected);
        const fs::path file = out / (IntToHex(c.selected, 1) + ".tqz");
        source.exportUi.DialogAnswers.push_back(file.string());
        FileExportContentExecute(source.context, source.exportUi);
        EXPECT_EQ(ReadFileBytes(file), Field("VelmorExport") + Field("1.0") +
                                           Field(SerializeSubtree(*selected)->Bytes()) +
                                           Field("treedata") + Field(c.files));
        EXPECT_EQ(source.exportUi.DialogDir, out.Str());
    }
    // The block of the page with a child holds the child's record all the same.
    EXPECT_NE(ReadFileBytes(out / "17.tqz").find("Below a page"), std::string::npos);
}

// A page whose id names a folder already in the store (a folder of the user's, when the binder
// file names such a folder as its store) gets a fresh id: the files go only into folders the
// import makes, and those are the program's own, which go with their nodes.
TEST(ExchangeFile, AnImportWritesOnlyIntoFoldersItMakes) {
    SourceBinder source;
    TempDir out;
    ExportAll(source, out / "a.tqz");
    ExportFixture target;
    // The store is the program's; a folder the user put into it is not.
    ASSERT_TRUE(
        StoreAccess(target.paths.BinderRoot, target.paths.BinderStore).OpenStore(true).Valid());
    const fs::path users = target.StoreFolder(0x11);
    WriteFileBytes(users / "0011.htm", "the user's");
    Import(target, out / "a.tqz");
    ASSERT_EQ(target.Tree().TopLevelCount(), 3);
    TTreeNode* docs = target.Tree().TopLevelItem(0);
    const uint32_t home = NodeRecord(docs->Item(0))->Id;
    EXPECT_NE(home, 0x11u);
    EXPECT_EQ(StoreListing(target.StoreFolder(home)), StoreListing(source.StoreFolder(0x11)));
    EXPECT_EQ(FolderListing(users),
              (std::map<std::string, std::string>{{"0011.htm", "the user's"}}));

    target.Tree().SetSelected(docs);
    target.commands.EditDelete1Execute();
    EXPECT_FALSE(fs::exists(target.StoreFolder(home)));
    EXPECT_FALSE(fs::exists(target.StoreFolder(0x14)));
    EXPECT_EQ(FolderListing(users),
              (std::map<std::string, std::string>{{"0011.htm", "the user's"}}));
}
