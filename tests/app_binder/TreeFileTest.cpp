#include "app/binder/TreeFile.h"

#include "app/binder/StringMessage.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/commands/BinderLifecycleCommands.h"

#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/support/Permissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The tree file written field by field with one message per subtree, as the format is
// defined; the writer under test builds the same bytes without the nested messages.
std::string NaiveBlock(const TTreeNode* node, bool folderDump) {
    StringMessageI18N block;
    const TPageInfo* record = NodeRecord(node);
    if (folderDump) {
        block.AddString(record->ToRecordString());
    } else {
        std::unique_ptr<StringMessageI18N> recordBlock = record->ToMessage();
        block.AddData(recordBlock->GetBuffer(), static_cast<size_t>(recordBlock->GetLength()));
    }
    for (const TTreeNode* child = node->getFirstChild(); child; child = child->getNextSibling()) {
        if (folderDump && GetNodeKind(child) != NodeKind::Folder) {
            continue;
        }
        block.AddCString("Child");
        block.AddBytes(NaiveBlock(child, folderDump));
    }
    return block.Bytes();
}

std::string NaiveFile(const TTreeNodes& tree, bool folderDump) {
    StringMessageI18N file;
    file.AddCString("VelmorDump");
    file.AddCString("1.0");
    for (const TTreeNode* node = tree.GetFirstNode(); node; node = node->getNextSibling()) {
        if (!folderDump || GetNodeKind(node) == NodeKind::Folder) {
            file.AddBytes(NaiveBlock(node, folderDump));
        }
    }
    return file.Bytes();
}

// A record block whose kind is not that of a node.
std::string BadKindRecord(const std::string& kind) {
    StringMessageI18N record;
    record.AddString("http://bad.example/");
    record.AddString("");
    record.AddBytes(PageContent().ToString());
    record.AddBytes("");
    record.AddString("Bad");
    record.AddString(kind);
    record.AddString("5");
    record.AddString("date");
    return record.Bytes();
}

std::string RecordBytes(NodeKind kind, uint32_t id, const std::string& title, int state = 2) {
    auto record = MakeRecord(kind, id, title);
    record->Content.Stats.State = state;
    return record->ToMessage()->Bytes();
}

// Two records, then one of the kind, then one that is never reached.
std::string BadThirdRecord(const std::string& kind) {
    StringMessageI18N file;
    file.AddCString("VelmorDump");
    file.AddCString("1.0");
    file.AddBytes(Field(RecordBytes(NodeKind::Folder, 0x11, "Kept")));
    file.AddBytes(Field(RecordBytes(NodeKind::WebPage, 0x12, "Also")));
    file.AddBytes(Field(BadKindRecord(kind)));
    file.AddBytes(Field(RecordBytes(NodeKind::Folder, 0x13, "Never")));
    return file.Bytes();
}

// Two folders, the first holding a page with a note of awkward bytes.
void BuildSmallTree(TTreeNodes& tree) {
    TTreeNode* first = AddRecord(tree, nullptr, NodeKind::Folder, 0x11, "First");
    AddRecord(tree, nullptr, NodeKind::Folder, 0x12, "Second");
    TTreeNode* page = AddRecord(tree, first, NodeKind::WebPage, 0x8000ABCD, "Page");
    TPageInfo* record = NodeRecord(page);
    const std::string note("{\\rnf#1\0#\x01\xff end", 16);
    record->Notes.AppendRaw(note.data(), note.size());
    record->Content.PageHtml = "<html>local</html>";
    record->Content.Stats.State = 2;
    record->RequestedUrl = "http://example.com/";
}

void BuildRandomTree(TTreeNodes& tree, int count, unsigned start) {
    std::mt19937 random(start);
    std::vector<TTreeNode*> folders{nullptr};
    for (int i = 0; i < count; ++i) {
        const auto kind = static_cast<NodeKind>(1 + random() % 4);
        TTreeNode* parent = folders[random() % folders.size()];
        TTreeNode* node = AddRecord(tree, parent, kind, static_cast<uint32_t>(random()),
                                    "node " + std::to_string(i));
        TPageInfo* record = NodeRecord(node);
        record->Content.Stats.State = static_cast<int32_t>(1 + random() % 4);
        record->Content.FetchedText = std::string(random() % 40, 'f');
        // A UTF-16 page holds NUL bytes.
        record->Content.PageHtml = std::string(random() % 3000, 'h') + std::string("<\0p\0>", 4);
        std::string note(random() % 300, '\0');
        for (char& c : note) {
            c = static_cast<char>(random());
        }
        record->Notes.AppendRaw(note.data(), note.size());
        if (kind == NodeKind::Folder) {
            folders.push_back(node);
        }
    }
}

} // namespace

TEST(TreeFile, WritesMarkerVersionAndOneBlockPerTopLevelNodeWithChildPairs) {
    TTreeNodes tree;
    BuildSmallTree(tree);
    const std::string bytes = TreeFileBytes(tree);

    StringMessageI18N file(bytes.data(), bytes.size());
    EXPECT_EQ(file.ReadBytes(), "VelmorDump");
    EXPECT_EQ(file.ReadBytes(), "1.0");
    const std::string firstBlock = file.ReadBytes();
    const std::string secondBlock = file.ReadBytes();
    EXPECT_FALSE(file.HasMore());

    StringMessageI18N first(firstBlock.data(), firstBlock.size());
    EXPECT_EQ(first.ReadBytes(), NodeRecord(tree.Item(0))->ToMessage()->Bytes());
    EXPECT_EQ(first.ReadBytes(), "Child");
    EXPECT_EQ(first.ReadBytes(), Field(NodeRecord(tree.Item(1))->ToMessage()->Bytes()));
    EXPECT_FALSE(first.HasMore());
    EXPECT_EQ(secondBlock, Field(NodeRecord(tree.Item(2))->ToMessage()->Bytes()));

    EXPECT_EQ(bytes, NaiveFile(tree, false));
    EXPECT_EQ(SerializeSubtree(*tree.Item(0))->Bytes(), firstBlock);
}

TEST(TreeFile, SameBytesAsNestedMessagesForARandomTree) {
    BinderFixture b;
    TTreeNodes& tree = b.Tree();
    BuildRandomTree(tree, 1500, 7); // a file of several pieces
    const std::string expected = NaiveFile(tree, false);
    ASSERT_GT(expected.size(), 2u << 20);
    EXPECT_EQ(TreeFileBytes(tree), expected);
    EXPECT_EQ(BinderFolderDump(tree), NaiveFile(tree, true));
    b.binder.BinderDirty = true;
    ASSERT_TRUE(b.commands.FileSaveExecute());
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), expected);

    // Read back: every record block comes back byte for byte, in the same shape.
    TTreeNodes loaded;
    TreeLoadContext context;
    EXPECT_EQ(LoadTreeDump(loaded, TreeFileBytes(tree), context), TreeLoadResult::Loaded);
    EXPECT_EQ(TreeShape(loaded), TreeShape(tree));
    const std::vector<TTreeNode*> before = tree.AllNodes();
    const std::vector<TTreeNode*> after = loaded.AllNodes();
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(NodeRecord(after[i])->ToMessage()->Bytes(),
                  NodeRecord(before[i])->ToMessage()->Bytes());
    }
}

TEST(TreeFile, BinderRoundTripKeepsShapeIdsTitlesAndNoteBytes) {
    BinderFixture saved;
    BuildSmallTree(saved.Tree());
    saved.binder.BinderDirty = true;
    ASSERT_TRUE(saved.commands.FileSaveExecute());
    EXPECT_FALSE(saved.binder.BinderDirty);

    BinderFixture opened;
    opened.paths = saved.paths;
    opened.binder.BinderDirty = true;
    EXPECT_EQ(opened.commands.LoadBinderTree(), TreeLoadResult::Loaded);
    EXPECT_EQ(TreeShape(opened.Tree()), "First#11(Page#8000ABCD),Second#12");
    const TPageInfo* page = NodeRecord(opened.Tree().Item(1));
    EXPECT_EQ(page->Notes.Bytes(), std::string("{\\rnf#1\0#\x01\xff end", 16));
    EXPECT_EQ(page->Content.PageHtml, "<html>local</html>");
    EXPECT_EQ(page->State, CaptureState::Completed);
    EXPECT_EQ(opened.Tree().Item(1)->Text(), "Page");
    EXPECT_EQ(opened.Tree().Selected(), nullptr);
    EXPECT_FALSE(opened.binder.BinderDirty);
    EXPECT_FALSE(opened.binder.TreeFileKept());
    EXPECT_EQ(opened.queue.PollingStarts, 1);
    EXPECT_EQ(opened.ui.CallsOf("SetCaption"),
              std::vector<std::string>{"SetCaption(Tarnwick - My Notes)"});
    EXPECT_TRUE(opened.ui.CallsOf("ShowMessage").empty());

    // In URL list mode the page is labelled by its address.
    BinderFixture listed;
    listed.paths = saved.paths;
    listed.settings.ListMode = 1;
    listed.commands.LoadBinderTree();
    EXPECT_EQ(listed.Tree().Item(1)->Text(), "http://example.com/");
    EXPECT_EQ(listed.Tree().Item(0)->Text(), "First");
}

TEST(TreeFile, ChildMarkerInAnyCaseAndOtherFieldsSkipped) {
    StringMessageI18N top;
    top.AddBytes(RecordBytes(NodeKind::Folder, 1, "Top"));
    top.AddCString("CHILD");
    top.AddBytes(Field(RecordBytes(NodeKind::WebPage, 2, "A")));
    top.AddCString("noise");
    top.AddCString("child");
    top.AddBytes(Field(RecordBytes(NodeKind::Folder, 3, "B")));
    top.AddCString("Child\0ignored"); // read as a C string
    top.AddBytes(Field(RecordBytes(NodeKind::Notes, 4, "C")));
    StringMessageI18N file;
    file.AddCString("VelmorDump");
    file.AddCString("9.9"); // any version
    file.AddBytes(top.Bytes());

    TTreeNodes tree;
    TreeLoadContext context;
    EXPECT_EQ(LoadTreeDump(tree, file.Bytes(), context), TreeLoadResult::Loaded);
    EXPECT_EQ(TreeShape(tree), "Top#1(A#2,B#3,C#4)");
}

TEST(TreeFile, SavingAnUnchangedBinderWritesNothing) {
    BinderFixture b;
    BuildSmallTree(b.Tree());
    EXPECT_TRUE(b.commands.FileSaveExecute());
    EXPECT_FALSE(fs::exists(b.paths.TreeFilePath));
    EXPECT_TRUE(b.ui.Calls().empty());

    b.binder.BinderDirty = true;
    ASSERT_TRUE(b.commands.FileSaveExecute());
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    // Saved once, the binder is unchanged again: a second save leaves the file alone.
    WriteFileBytes(b.paths.TreeFilePath, "sentinel");
    EXPECT_TRUE(b.commands.FileSaveExecute());
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), "sentinel");
}

TEST(TreeFile, AFailedWriteKeepsTheOldFileAndTheMark) {
    BinderFixture b;
    BuildSmallTree(b.Tree());
    WriteFileBytes(b.paths.TreeFilePath, "old tree");
    b.binder.BinderDirty = true;
    ASSERT_EQ(::chmod(b.dir.Str().c_str(), 0555), 0);
    {
        PermissionsEnforced enforced;
        if (!PermissionsEnforced::Hold(b.dir.Str())) {
            ::chmod(b.dir.Str().c_str(), 0755);
            GTEST_SKIP() << "permissions are not enforced here";
        }
        EXPECT_FALSE(b.commands.FileSaveExecute());
    }
    ::chmod(b.dir.Str().c_str(), 0755);
    EXPECT_TRUE(b.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), "old tree");
    EXPECT_EQ(b.ui.CallsOf("ShowMessage").size(), 1u);
    EXPECT_EQ(b.ui.CallsOf("CloseStatusForm").size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(b.dir.Path()), fs::directory_iterator()), 1)
        << "a temporary file was left";
    // Once the folder is writable again the same tree is saved.
    EXPECT_TRUE(b.commands.FileSaveExecute());
    EXPECT_FALSE(b.binder.BinderDirty);
}

TEST(TreeFile, BrokenFilesAreReportedAndNeverOverwritten) {
    TTreeNodes good;
    BuildSmallTree(good);
    const std::string valid = TreeFileBytes(good);
    // Where the damage lies, found apart from the reader: the last top-level block (cut
    // short), the end of the valid bytes, the record of the unknown kind.
    const size_t lastBlock = valid.rfind(Field(NaiveBlock(good.TopLevelItem(1), false)));
    const std::string badKind = BadThirdRecord("zz");
    const size_t badRecord = badKind.find(BadKindRecord("zz"));
    const std::string wrongMarker = "it does not begin with \"VelmorDump\"";
    struct Case {
        const char* name;
        std::string bytes;
        TreeLoadResult result;
        std::string shape;
        bool loadEnds; // the caption and the polling are left alone
        std::string reason;
    };
    const Case cases[] = {
        {"wrong marker", "a#velmordump3#1.0", TreeLoadResult::WrongMarker, "", true, wrongMarker},
        {"no field", "VelmorDump", TreeLoadResult::WrongMarker, "", true, wrongMarker},
        {"truncated", valid.substr(0, valid.size() - 20), TreeLoadResult::Truncated, "", false,
         "a field at byte " + std::to_string(lastBlock) + " runs past the end of its block"},
        {"garbage after", valid + "12", TreeLoadResult::Truncated,
         "First#11(Page#8000ABCD),Second#12", false,
         "the bytes at byte " + std::to_string(valid.size()) + " on are no field"},
        {"bad kind", badKind, TreeLoadResult::BadRecord, "Kept#11,Also#12", true,
         "the record at byte " + std::to_string(badRecord) +
             " cannot be read ('zz' is not a valid integer value)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BinderFixture b;
        WriteFileBytes(b.paths.TreeFilePath, c.bytes);
        EXPECT_EQ(b.commands.LoadBinderTree(), c.result);
        // The message of the format first, then the file, what is wrong with it, what is
        // shown, and where the damaged file will be kept.
        const bool nodesRead = c.result == TreeLoadResult::Truncated || !c.shape.empty();
        EXPECT_EQ(
            b.ui.CallsOf("ShowMessage"),
            std::vector<std::string>{
                "ShowMessage(File Format Error\nThe tree file " + b.paths.TreeFilePath +
                " is damaged: " + c.reason + ". " +
                (nodesRead ? "The nodes before the damage are shown." : "No node could be read.") +
                "\nWhen the binder is next saved, the damaged file is kept as " +
                b.paths.TreeFilePath + ".bad.)"});
        if (c.result == TreeLoadResult::Truncated && c.shape.empty()) {
            EXPECT_EQ(TreeShape(b.Tree()), "First#11(Page#8000ABCD)"); // the nodes read so far
        } else {
            EXPECT_EQ(TreeShape(b.Tree()), c.shape);
        }
        EXPECT_EQ(b.queue.PollingStarts, c.loadEnds ? 0 : 1);
        EXPECT_EQ(b.ui.CallsOf("SetCaption").size(), c.loadEnds ? 0u : 1u);
        EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), c.bytes);
        EXPECT_TRUE(b.binder.TreeFileKept());

        // The next save moves the unreadable file aside instead of replacing it.
        AddRecord(b.Tree(), nullptr, NodeKind::Folder, 0x99, "New");
        b.binder.BinderDirty = true;
        EXPECT_TRUE(b.commands.FileSaveExecute());
        EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath + ".bad"), c.bytes);
        EXPECT_FALSE(b.binder.TreeFileKept());
        // Later saves replace the new file as usual; the kept copy stays.
        b.binder.BinderDirty = true;
        EXPECT_TRUE(b.commands.FileSaveExecute());
        EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath + ".bad"), c.bytes);
        EXPECT_FALSE(fs::exists(b.paths.TreeFilePath + ".bad1"));
        // Broken once more, the file is kept beside the earlier copy, as the user is told.
        WriteFileBytes(b.paths.TreeFilePath, "broken again");
        b.ui.ClearCalls();
        b.commands.LoadBinderTree();
        ASSERT_EQ(b.ui.CallsOf("ShowMessage").size(), 1u);
        EXPECT_TRUE(b.ui.CallsOf("ShowMessage")[0].ends_with("the damaged file is kept as " +
                                                             b.paths.TreeFilePath + ".bad1.)"));
        b.binder.BinderDirty = true;
        EXPECT_TRUE(b.commands.FileSaveExecute());
        EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath + ".bad"), c.bytes);
        EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath + ".bad1"), "broken again");
    }
}

// A kind no node has would load, be written back as hexadecimal and be refused next time with
// every node after it.
TEST(TreeFile, AKindOfNoNodeEndsTheLoadAndClosingLeavesTheFile) {
    for (const char* kind : {"0", "5", "10"}) {
        SCOPED_TRACE(kind);
        BinderFixture b;
        MemorySettingsStore store;
        TBinderLifecycle lifecycle{b.ui.Roles(), b.queue, b.capture, b.settings,
                                   store,        b.paths, b.commands};
        ASSERT_TRUE(lifecycle.CreateBinder(b.dir.Str(), "Notes", "", false));
        const std::string file = BadThirdRecord(kind);
        WriteFileBytes(b.dir / "Notes.sav", file);
        ASSERT_TRUE(lifecycle.OpenBinder(JoinPath(b.dir.Str(), "Notes.bdf")));
        EXPECT_EQ(TreeShape(b.Tree()), "Kept#11,Also#12");
        const std::vector<std::string> shown = b.ui.CallsOf("ShowMessage");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].starts_with("ShowMessage(File Format Error\nThe tree file " +
                                         JoinPath(b.dir.Str(), "Notes.sav") + " is damaged"))
            << shown[0];
        EXPECT_NE(shown[0].find(std::string("'") + kind + "' is not a valid node kind"),
                  std::string::npos);
        lifecycle.CloseBinder();
        EXPECT_EQ(ReadFileBytes(b.dir / "Notes.sav"), file);
    }
}

// The views hear of a tree read from its file once, when it is whole: not node by node.
TEST(TreeFile, ReadingTellsTheViewsOnceWhenTheTreeIsWhole) {
    TTreeNodes good;
    BuildSmallTree(good);
    BinderFixture b;
    WriteFileBytes(b.paths.TreeFilePath, TreeFileBytes(good));
    struct AtEnd : ITreeNodesObserver {
        TTreeNodes& Tree;
        std::string Shape;
        explicit AtEnd(TTreeNodes& tree) : Tree(tree) {}
        void TreeUpdated() override { Shape = TreeShape(Tree); }
    } atEnd(b.Tree());
    b.Tree().AddObserver(&atEnd);
    NoticeRecorder notices(b.Tree());
    EXPECT_EQ(b.commands.LoadBinderTree(), TreeLoadResult::Loaded);
    EXPECT_EQ(notices.Seen, (std::vector<std::string>{"updating", "updated"}));
    EXPECT_EQ(atEnd.Shape, TreeShape(good));
    b.Tree().RemoveObserver(&atEnd);

    // A file that is no file at all: named, with why, and kept from being replaced.
    BinderFixture folder;
    fs::create_directory(folder.paths.TreeFilePath);
    EXPECT_EQ(folder.commands.LoadBinderTree(), TreeLoadResult::Unreadable);
    EXPECT_EQ(folder.ui.CallsOf("ShowMessage"),
              std::vector<std::string>{"ShowMessage(can not read file " +
                                       folder.paths.TreeFilePath +
                                       "\nIt is not a file that can be read.\nWhen the binder is "
                                       "next saved, the damaged file is kept as " +
                                       folder.paths.TreeFilePath + ".bad.)"});
    EXPECT_TRUE(folder.binder.TreeFileKept());
}

TEST(TreeFile, AnEmptyOrMissingFileOpensAnEmptyBinder) {
    for (bool present : {false, true}) {
        BinderFixture b;
        if (present) {
            WriteFileBytes(b.paths.TreeFilePath, "");
        }
        b.binder.BinderDirty = true;
        EXPECT_EQ(b.commands.LoadBinderTree(), TreeLoadResult::Empty);
        EXPECT_EQ(b.Tree().Count(), 0);
        EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
        EXPECT_FALSE(b.binder.TreeFileKept());
        EXPECT_FALSE(b.binder.BinderDirty);
        EXPECT_EQ(b.queue.PollingStarts, 1);
    }
}

TEST(TreeFile, OnlyUnfinishedWebPagesAreQueuedOnceWithTheirIds) {
    TTreeNodes tree;
    TTreeNode* folder = AddRecord(tree, nullptr, NodeKind::Folder, 0x10, "F"); // state 1 too
    uint32_t id = 0x20;
    for (int state = 1; state <= 4; ++state) {
        TTreeNode* node = AddRecord(tree, folder, NodeKind::WebPage, id++, "P");
        NodeRecord(node)->Content.Stats.State = state;
        NodeRecord(node)->RequestedUrl = "http://p/" + std::to_string(state);
    }
    AddRecord(tree, folder, NodeKind::Notes, 0x30, "N");
    AddRecord(tree, nullptr, NodeKind::Link, 0x31, "L");
    TTreeNode* queued = AddRecord(tree, nullptr, NodeKind::WebPage, 0x80000001, "Q");
    NodeRecord(queued)->RequestedUrl = "http://q/";

    BinderFixture b;
    WriteFileBytes(b.paths.TreeFilePath, TreeFileBytes(tree));
    Task already("http://q/", "elsewhere", UnfinishedPageKind);
    already.NodeId = 0x80000001;
    already.State = TaskDone;
    b.queue.Tasks.push_back(already);
    EXPECT_EQ(b.commands.LoadBinderTree(), TreeLoadResult::Loaded);

    Task expected("http://p/1", JoinPath(b.dir.Str(), "Notesstore"), UnfinishedPageKind);
    expected.NodeId = 0x20;
    EXPECT_EQ(b.queue.Tasks, (std::vector<Task>{already, expected}));
}

TEST(TreeFile, RecordsUnderANonFolderAreDroppedWithOneMessageAndNotQueued) {
    StringMessageI18N page;
    page.AddBytes(RecordBytes(NodeKind::WebPage, 1, "Page", 2));
    for (uint32_t id = 2; id <= 4; ++id) {
        page.AddCString("Child");
        page.AddBytes(Field(RecordBytes(NodeKind::WebPage, id, "Under", 1)));
    }
    StringMessageI18N file;
    file.AddCString("VelmorDump");
    file.AddCString("1.0");
    file.AddBytes(page.Bytes());
    file.AddBytes(Field(RecordBytes(NodeKind::Folder, 5, "After")));

    BinderFixture b;
    WriteFileBytes(b.paths.TreeFilePath, file.Bytes());
    EXPECT_EQ(b.commands.LoadBinderTree(), TreeLoadResult::Refused);
    EXPECT_EQ(TreeShape(b.Tree()), "Page#1,After#5");
    EXPECT_EQ(
        b.ui.CallsOf("MessageBox"),
        std::vector<std::string>{"MessageBox(Can't create child under a non-folder node|Sorry|0)"});
    EXPECT_TRUE(b.queue.Tasks.empty());
    EXPECT_TRUE(b.binder.TreeFileKept());
    EXPECT_EQ(b.queue.PollingStarts, 1);
}

TEST(TreeFile, FolderDumpHoldsFoldersOnlyAndRebuildsTheFolderTree) {
    TTreeNodes tree;
    TTreeNode* a = AddRecord(tree, nullptr, NodeKind::Folder, 0xA, "A");
    TTreeNode* page = AddRecord(tree, a, NodeKind::WebPage, 0xB, "page");
    AddRecord(tree, page, NodeKind::Folder, 0xC, "below a page");
    AddRecord(tree, a, NodeKind::Folder, 0xD, "D");
    AddRecord(tree, nullptr, NodeKind::Notes, 0xE, "note");
    AddRecord(tree, nullptr, NodeKind::Folder, 0xF, "F");

    const std::string dump = BinderFolderDump(tree);
    EXPECT_EQ(dump, NaiveFile(tree, true));
    StringMessageI18N message(dump.data(), dump.size());
    message.ReadBytes();
    message.ReadBytes();
    EXPECT_EQ(message.ReadBytes(), BinderFolderDumpNode(*a));
    StringMessageI18N block(BinderFolderDumpNode(*a));
    EXPECT_EQ(block.ReadBytes(), "0#0#a#contentStr5#notes1#A1#11#A13#2024-05-06 07:08:09");

    // The dialog's own tree is built from it; nothing is queued there.
    TTreeNodes folders;
    TreeLoadContext context;
    EXPECT_EQ(LoadTreeDump(folders, dump, context), TreeLoadResult::Loaded);
    EXPECT_EQ(TreeShape(folders), "A#A(D#D),F#F");
    // The short record holds no statistics and no note: they read as a fresh record's.
    const TPageInfo* read = NodeRecord(folders.GetFirstNode());
    EXPECT_EQ(read->Content.Stats.State, 1);
    EXPECT_EQ(read->Content.Stats.Total, 0);
    EXPECT_EQ(read->Notes.Bytes(), "notes");
    ClearTree(folders);
    EXPECT_EQ(folders.Count(), 0);

    TTreeNodes noFolders;
    AddRecord(noFolders, nullptr, NodeKind::WebPage, 1, "p");
    EXPECT_EQ(BinderFolderDump(noFolders), "a#VelmorDump3#1.0");
}

TEST(TreeFile, HostileBlocksEndCleanly) {
    const std::string marker = "a#VelmorDump3#1.0";
    const std::string inputs[] = {
        marker + "ffffffff#x",     // a block longer than the file
        marker + "3#abc",          // a block that is no record
        marker + "0#",             // an empty block
        marker + Field("5#Child"), // a block that is only a child marker
        marker + Field(Field(RecordBytes(NodeKind::Folder, 1, "F")) + "5#Child"),
        marker + Field(Field(RecordBytes(NodeKind::Folder, 1, "F")) + "5#Child9999#"),
        marker + std::string("\0\0\0", 3),
    };
    for (const std::string& input : inputs) {
        TTreeNodes tree;
        TreeLoadContext context;
        EXPECT_TRUE(TreeLoadLostData(LoadTreeDump(tree, input, context))) << input;
        EXPECT_LE(tree.Count(), 1);
    }
}

TEST(TreeFile, AVeryDeepTreeIsWrittenAndReadWithoutRecursion) {
    TTreeNodes tree;
    TTreeNode* node = nullptr;
    for (uint32_t level = 0; level < 20000; ++level) {
        node = AddRecord(tree, node, NodeKind::Folder, level + 1, "deep");
    }
    const std::string bytes = TreeFileBytes(tree);
    TTreeNodes loaded;
    TreeLoadContext context;
    EXPECT_EQ(LoadTreeDump(loaded, bytes, context), TreeLoadResult::Loaded);
    ASSERT_EQ(loaded.Count(), 20000);
    TTreeNode* last = loaded.Item(19999);
    EXPECT_EQ(last->Level(), 19999);
    EXPECT_EQ(NodeRecord(last)->Id, 20000u);
    EXPECT_EQ(BinderFolderDump(loaded), BinderFolderDump(tree));
}

// Storing a note is one call: the record holds exactly the note's bytes and the tree file on
// disk holds the tree with it. A node without a record stores nothing; a tree file that cannot
// be written leaves the binder marked changed, with the note kept in the record.
TEST(TreeFile, StoringANoteWritesItIntoTheRecordAndTheTreeFile) {
    BinderFixture b;
    BuildSmallTree(b.Tree());
    TTreeNode* node = b.Tree().Item(1);
    const std::string note("\x01RNF\0body\r\n\xff tail", 15);

    ASSERT_TRUE(b.binder.StoreNote(node, note));
    EXPECT_EQ(NodeRecord(node)->Notes.Bytes(), note);
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));

    // A shorter note replaces the longer one whole.
    ASSERT_TRUE(b.binder.StoreNote(node, "x"));
    EXPECT_EQ(NodeRecord(node)->Notes.Bytes(), "x");
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));

    TTreeNode* bare = b.Tree().AddChild(nullptr, "no record");
    const std::string written = ReadFileBytes(b.paths.TreeFilePath);
    EXPECT_FALSE(b.binder.StoreNote(bare, note));
    EXPECT_FALSE(b.binder.StoreNote(nullptr, note));
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), written);
    bare->Delete();

    // A file stands where the folder of the tree file would be.
    b.paths.TreeFilePath = JoinPath(b.paths.TreeFilePath, "Notes.sav");
    EXPECT_FALSE(b.binder.StoreNote(node, note));
    EXPECT_TRUE(b.binder.BinderDirty);
    EXPECT_EQ(NodeRecord(node)->Notes.Bytes(), note);
}
