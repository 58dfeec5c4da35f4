#include "app/binder/TreeCommands.h"

#include "app/binder/FolderMark.h"
#include "app/binder/HtmlFiles.h"
#include "app/binder/NodeIds.h"
#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/ShownWrites.h"
#include "platform/base/FolderEntries.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/support/Permissions.h"

#include "tests/support/FakeBinderLifecycle.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct EditRecorder : ITreeNodesObserver {
    std::vector<std::string> Edits;
    void EditRequested(TTreeNode* node) override { Edits.push_back(node->Text()); }
};

// Saves for the tree as the commands do, and notes first what `Look` finds at that moment.
struct LookingSaver : ITreeSaver {
    LookingSaver(TBinderTree& tree, std::function<std::string()> look)
        : Tree(tree), Look(std::move(look)) {}
    bool SaveBinder() override {
        Seen.push_back(Look());
        return Tree.SaveTree().Saved;
    }
    TBinderTree& Tree;
    std::function<std::string()> Look;
    std::vector<std::string> Seen;
};

} // namespace

TEST(NodeNames, MakeUniqueNodeNameTable) {
    struct Case {
        std::vector<std::string> titles;
        std::string base;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "New Item", "New Item"},
        {{"New Item"}, "New Item", "New Item(1)"},
        {{"New Item", "New Item(1)"}, "New Item", "New Item(2)"},
        {{"New Item(7)", "New Item(1)"}, "New Item", "New Item(8)"},  // the base itself is gone
        {{"New Item", "New Item(12345)"}, "New Item", "New Item(1)"}, // five digits
        {{"New Items", "new item", "New Item (4)", "New Item(3)x"}, "New Item", "New Item"},
        {{"New Item(abc)"}, "New Item", "New Item"},
        {{"New Item()"}, "New Item", "New Item"},
        {{"Page(3)"}, "Page(3)", "Page(3)(4)"}, // a base ending in a number counts it
        {{"x", "Other(9)"}, "x", "x(1)"},
        {{"New Item(9999)"}, "New Item", "New Item(10000)"},
        {{"New Item(1)(2)"}, "New Item", "New Item(3)"}, // the last "(" counts
        {{"New Item(1 )"}, "New Item", "New Item"},
    };
    for (const Case& c : cases) {
        TTreeNodes tree;
        TTreeNode* parent = nullptr;
        uint32_t id = 1;
        for (const std::string& title : c.titles) {
            parent = AddRecord(tree, parent, NodeKind::Folder, id++, title); // every level counts
        }
        tree.AddChild(nullptr, c.base); // nodes without a record do not count
        EXPECT_EQ(MakeUniqueNodeName(tree, c.base), c.expected) << c.base;
    }
}

TEST(NodeNames, NewFoldersNumberOnAndRenamingCountsTheOldTitle) {
    BinderFixture b;
    b.commands.FileNewFolderExecute();
    b.commands.FileAppendFolderExecute();
    EXPECT_EQ(TreeShape(b.Tree()).substr(0, 12), "New Category");
    TTreeNode* first = b.Tree().Item(0);
    TTreeNode* second = b.Tree().Item(1);
    EXPECT_EQ(TitleOf(second), "New Category(1)");
    EXPECT_EQ(second->Parent(), nullptr);

    EXPECT_EQ(b.binder.TreeView1Edited(first, "New Category(7)"), "New Category(7)");
    b.commands.FileAppendFolderExecute();
    EXPECT_EQ(TitleOf(b.Tree().Selected()), "New Category(8)");

    // Renaming a node to the title it has: its own title counts.
    EXPECT_EQ(b.binder.TreeView1Edited(second, "New Category(1)"), "New Category(1)(2)");
    EXPECT_EQ(second->Text(), "New Category(1)(2)");
    b.binder.BinderDirty = false;
    EXPECT_EQ(b.binder.TreeView1Edited(second, ""), "New Category(1)(2)"); // nothing changes
    EXPECT_FALSE(b.binder.BinderDirty);

    // A web page shown by its URL keeps its title.
    b.settings.ListMode = 1;
    TTreeNode* page = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0x50, "Title");
    NodeRecord(page)->RequestedUrl = "http://u/";
    EXPECT_EQ(b.binder.TreeView1Edited(page, "Renamed"), "http://u/");
    EXPECT_EQ(TitleOf(page), "Title");
    EXPECT_TRUE(b.binder.BinderDirty);

    EditRecorder edits;
    b.Tree().AddObserver(&edits);
    b.Tree().SetSelected(first);
    b.commands.Rename1Click();
    EXPECT_EQ(edits.Edits, std::vector<std::string>{"New Category(7)"});
    b.Tree().RemoveObserver(&edits);
}

// A new folder is in the tree file as soon as it is made, as every other new node is: a crash a
// moment later keeps it.
TEST(TreeCommands, NewFoldersReachTheTreeFileAtOnce) {
    BinderFixture b;
    const auto stored = [&b] {
        TTreeNodes tree;
        TreeLoadContext context;
        LoadTreeDump(tree, ReadFileBytes(b.paths.TreeFilePath), context);
        const std::string shape = TreeShape(tree);
        ClearTree(tree);
        return shape;
    };
    b.commands.FileNewFolderExecute();
    EXPECT_EQ(stored(), TreeShape(b.Tree()));
    b.commands.FileNewFolderExecute(); // inside the first
    b.commands.FileAppendFolderExecute();
    EXPECT_EQ(b.Tree().Count(), 3);
    EXPECT_EQ(stored(), TreeShape(b.Tree()));
    EXPECT_FALSE(b.binder.BinderDirty);
}

TEST(TreeCommands, CreateNodeInChildAndSiblingModeAndRefusedUnderAPage) {
    BinderFixture b;
    TTreeNode* top = b.binder.CreateNode(NodeKind::Folder, TInsertMode::Child, false);
    TTreeNode* inner = b.binder.CreateNode(NodeKind::Folder, TInsertMode::Child, false);
    TTreeNode* beside = b.binder.CreateNode(NodeKind::WebPage, TInsertMode::Sibling, false);
    EXPECT_EQ(inner->Parent(), top);
    EXPECT_EQ(beside->Parent(), top);
    EXPECT_EQ(b.Tree().Selected(), beside);
    EXPECT_EQ(TitleOf(beside), "New Item");
    EXPECT_EQ(NodeRecord(beside)->State, CaptureState::Unfinished);

    // Under a page: refused with the message, nothing inserted.
    EXPECT_EQ(b.binder.CreateNode(NodeKind::Notes, TInsertMode::Child, false), nullptr);
    EXPECT_EQ(
        b.ui.CallsOf("MessageBox"),
        std::vector<std::string>{"MessageBox(Can't create child under a non-folder node|Sorry|0)"});
    EXPECT_EQ(b.Tree().Count(), 3);
    // Sibling mode from a top-level page adds at the top level.
    b.Tree().SetSelected(nullptr);
    TTreeNode* page = b.binder.CreateNode(NodeKind::WebPage, TInsertMode::Child, false);
    TTreeNode* next = b.binder.CreateNode(NodeKind::Link, TInsertMode::Sibling, false);
    EXPECT_EQ(page->Parent(), nullptr);
    EXPECT_EQ(next->Parent(), nullptr);
    EXPECT_EQ(next->Index(), 2);
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_FALSE(fs::exists(b.paths.TreeFilePath));

    // With the save flag the tree file is written and the views are told.
    NoticeRecorder notices(b.Tree());
    b.settings.ListMode = 1;
    auto record = MakeRecord(NodeKind::WebPage, 0x77, "Shown by URL");
    record->RequestedUrl = "http://label/";
    TTreeNode* saved =
        b.binder.CreateNode(NodeKind::WebPage, TInsertMode::Sibling, true, std::move(record));
    EXPECT_EQ(saved->Text(), "http://label/");
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    EXPECT_EQ(notices.Seen.back(), "data http://label/");
}

TEST(TreeCommands, AddNodeValidatesRetriesAndStartsTheCapture) {
    PagesBinder b;
    b.Tree().SetSelected(b.p); // a page inside F: child mode offers F
    FakeAddItemScript script;
    script.Rounds = {{TModalResult::Ok, "http://a", "Short"}, // 8 characters: illegal
                     {TModalResult::Ok, "ftp://example.com/", std::nullopt},
                     {TModalResult::Ok, "http://example.com/", std::nullopt}};
    script.PickedFolder = 0x6;
    script.Options.Levels = 2;
    b.ui.AddItemDialogs.push_back(script);
    b.ui.BoxAnswers = {TModalResult::Retry, TModalResult::Retry};

    ASSERT_TRUE(b.commands.AddNode("http://given.example/", "0", "<html>sent</html>",
                                   TInsertMode::Child, 4));
    EXPECT_EQ(b.ui.CallsOf("CreateAddItemDialog"),
              std::vector<std::string>{"CreateAddItemDialog(4|15)"});
    EXPECT_EQ(b.ui.LastFolderDump, BinderFolderDump(b.Tree())); // a page leaves it as it was
    EXPECT_EQ(b.ui.CallsOf("MessageBox").size(), 2u);
    EXPECT_EQ(b.ui.CallsOf("MessageBox")[0],
              "MessageBox(Illegal address or title, retry?    |Input Error|2)");

    TTreeNode* added = b.Tree().Selected();
    ASSERT_EQ(added->Parent(), b.g);
    const TPageInfo* record = NodeRecord(added);
    EXPECT_EQ(record->Kind, NodeKind::WebPage);
    EXPECT_EQ(record->RequestedUrl, "http://example.com/");
    EXPECT_EQ(record->FinalUrl, "http://given.example/");
    EXPECT_EQ(record->Title, "Short");
    EXPECT_EQ(record->Content.FetchedText, "<html>sent</html>");
    EXPECT_EQ(b.capture.Calls, std::vector<std::string>{"start " + IntToHex(record->Id, 1) + " 2"});
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    const std::vector<std::string> calls = b.ui.Calls();
    EXPECT_EQ(calls.front(), "RestoreAndBringToFront");
    EXPECT_EQ(calls[calls.size() - 2], "ShowPageView");
    EXPECT_EQ(calls.back(), "OpenPanel(0)");
}

TEST(TreeCommands, AddNodeCancelNotesAndTheOfferedFolder) {
    PagesBinder b;
    // Cancel at the retry question: nothing is added.
    FakeAddItemScript illegal;
    illegal.Rounds = {{TModalResult::Ok, "", ""}};
    b.ui.AddItemDialogs.push_back(illegal);
    b.ui.BoxAnswers = {TModalResult::Cancel};
    EXPECT_FALSE(b.commands.AddNode("", "", "", TInsertMode::Child, -1));
    // A cancelled dialog adds nothing either.
    b.ui.AddItemDialogs.push_back(FakeAddItemScript{});
    EXPECT_FALSE(b.commands.AddNode("", "", "", TInsertMode::Child, -1));
    EXPECT_EQ(b.Tree().Count(), 5);

    // A note needs neither a title nor a URL; without a picked folder it goes beside the
    // selection, and nothing is captured.
    b.Tree().SetSelected(b.q);
    FakeAddItemScript note;
    note.Rounds = {{TModalResult::Ok, std::nullopt, std::nullopt}};
    note.Kind = NodeKind::Notes;
    b.ui.AddItemDialogs.push_back(note);
    ASSERT_TRUE(b.commands.AddNode("", "", "", TInsertMode::Child, -1));
    EXPECT_EQ(b.Tree().Selected()->Parent(), b.g);
    EXPECT_EQ(GetNodeKind(b.Tree().Selected()), NodeKind::Notes);
    EXPECT_TRUE(b.capture.Calls.empty());
    EXPECT_TRUE(b.ui.CallsOf("ShowPageView").empty());

    // A link needs a title as much as a web page does.
    FakeAddItemScript link;
    link.Rounds = {{TModalResult::Ok, std::nullopt, ""}};
    link.Kind = NodeKind::Link;
    link.PickedFolder = 0xF;
    b.ui.AddItemDialogs.push_back(link);
    b.Tree().SetSelected(b.r);
    EXPECT_FALSE(b.commands.AddNode("http://link.example/", "", "", TInsertMode::Child, -1));
    EXPECT_EQ(b.ui.CallsOf("MessageBox").back(),
              "MessageBox(Illegal address or title, retry?    |Input Error|2)");

    // The folder offered first: the selection's parent folder in sibling mode, none at the top
    // level; the first top-level folder for a top-level page in child mode and without a
    // selection.
    b.ui.ClearCalls();
    b.Tree().SetSelected(b.r);
    b.commands.AddNode("", "", "", TInsertMode::Sibling, -1);
    b.commands.AddNode("", "", "", TInsertMode::Child, -1);
    b.Tree().SetSelected(nullptr);
    b.commands.AddNode("", "", "", TInsertMode::Child, 10);
    b.Tree().SetSelected(b.g);
    b.commands.AddNode("", "", "", TInsertMode::Child, -1);
    EXPECT_EQ(
        b.ui.CallsOf("CreateAddItemDialog"),
        (std::vector<std::string>{"CreateAddItemDialog(-1|-1)", "CreateAddItemDialog(-1|15)",
                                  "CreateAddItemDialog(10|15)", "CreateAddItemDialog(-1|6)"}));
}

TEST(TreeCommands, AppendOffersTheSelectionsFolderAndPutsTheNodeWhereItSaid) {
    PagesBinder b;
    // F holds P, G and then a page S: Append on P offers F and the node follows P.
    TTreeNode* s = AddRecord(b.Tree(), b.f, NodeKind::WebPage, 0xA4, "S");
    const auto appendNote = [&](TTreeNode* selected, std::optional<uint32_t> picked) {
        b.Tree().SetSelected(selected);
        FakeAddItemScript note;
        note.Rounds = {{TModalResult::Ok, std::nullopt, "Added"}};
        note.Kind = NodeKind::Notes;
        note.PickedFolder = picked;
        b.ui.AddItemDialogs.push_back(note);
        EXPECT_TRUE(b.commands.AddNode("", "", "", TInsertMode::Sibling, -1));
        return b.Tree().Selected();
    };

    TTreeNode* afterP = appendNote(b.p, 0xF);
    ASSERT_EQ(afterP->Parent(), b.f);
    EXPECT_EQ(afterP->getPrevSibling(), b.p);
    EXPECT_EQ(afterP->getNextSibling(), b.g);
    EXPECT_EQ(TitleOf(afterP), "Added");

    // Another folder picked: it receives the node as its last child, whatever was selected.
    TTreeNode* intoG = appendNote(b.p, 0x6);
    EXPECT_EQ(intoG->Parent(), b.g);
    EXPECT_EQ(intoG->getPrevSibling(), b.q);
    EXPECT_EQ(intoG, b.g->GetLastChild());
    TTreeNode* intoF = appendNote(b.r, 0xF);
    EXPECT_EQ(intoF->Parent(), b.f);
    EXPECT_EQ(intoF->getPrevSibling(), s);

    // A top-level selection offers no folder; keeping that puts the node right after it.
    TTreeNode* afterF = appendNote(b.f, std::nullopt);
    EXPECT_EQ(afterF->Parent(), nullptr);
    EXPECT_EQ(afterF->getPrevSibling(), b.f);
    EXPECT_EQ(afterF->getNextSibling(), b.r);

    // An id that is not a folder never becomes a parent: the top level takes the node.
    TTreeNode* notUnderPage = appendNote(b.q, 0xA1);
    EXPECT_EQ(notUnderPage->Parent(), nullptr);
    EXPECT_EQ(notUnderPage, b.Tree().TopLevelItem(b.Tree().TopLevelCount() - 1));
    EXPECT_TRUE(b.ui.CallsOf("MessageBox").empty());

    EXPECT_EQ(b.ui.CallsOf("CreateAddItemDialog"),
              (std::vector<std::string>{"CreateAddItemDialog(-1|15)", "CreateAddItemDialog(-1|15)",
                                        "CreateAddItemDialog(-1|-1)", "CreateAddItemDialog(-1|-1)",
                                        "CreateAddItemDialog(-1|6)"}));
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
}

TEST(TreeCommands, DeleteStopsCapturesThenDeletesFilesAndNodes) {
    PagesBinder b;
    std::vector<bool> folderThereAtCancel;
    b.capture.OnCancel = [&](TPageInfo& record) {
        folderThereAtCancel.push_back(fs::exists(b.StoreFolder(record.Id)) ||
                                      record.Kind != NodeKind::WebPage);
    };
    b.Tree().SetSelected(b.f);
    NoticeRecorder notices(b.Tree());
    b.commands.EditDelete1Execute();
    EXPECT_EQ(b.capture.Calls,
              (std::vector<std::string>{"cancel F", "cancel A1", "cancel 6", "cancel A2"}));
    EXPECT_EQ(folderThereAtCancel, std::vector<bool>(4, true));
    EXPECT_FALSE(fs::exists(b.StoreFolder(0xA1)));
    EXPECT_FALSE(fs::exists(b.StoreFolder(0xA2))); // however deep
    EXPECT_TRUE(fs::exists(b.StoreFolder(0xA3)));
    EXPECT_EQ(TreeShape(b.Tree()), "R#A3");
    EXPECT_EQ(b.Tree().Selected(), b.r);
    // Written at once, with the wait form of a save.
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    // The note being typed is kept before anything goes; the views hear of the removal before
    // the node is freed, and show the node selected afterwards.
    EXPECT_EQ(b.ui.Calls(),
              (std::vector<std::string>{"StoreTypedNotes", "OpenStatusForm()", "CloseStatusForm"}));
    EXPECT_EQ(notices.Seen, (std::vector<std::string>{"selected R", "removing F", "data R"}));
}

// The stored files of a delete go while the event loop runs (the window is drawn and the bar
// runs), once the tree file no longer names their nodes, with the wait form of the write still up.
TEST(TreeCommands, ADeletesFilesGoBesideTheEventLoopWithItsWaitFormUp) {
    PagesBinder b;
    b.Tree().SetSelected(b.f);
    std::vector<std::string> callsMeanwhile;
    std::string treeFileMeanwhile;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            callsMeanwhile = b.ui.Calls();
            treeFileMeanwhile = ReadFileBytes(b.paths.TreeFilePath);
        },
        Qt::QueuedConnection);
    b.commands.EditDelete1Execute();
    EXPECT_EQ(callsMeanwhile, (std::vector<std::string>{"StoreTypedNotes", "OpenStatusForm()"}));
    EXPECT_EQ(treeFileMeanwhile, TreeFileBytes(b.Tree()));
    EXPECT_EQ(b.ui.Calls().back(), "CloseStatusForm");
}

TEST(TreeCommands, DeleteAsksFirstWhenTheSettingSaysSo) {
    PagesBinder b;
    b.settings.AskBeforeDelete = true;
    b.Tree().SetSelected(b.r);
    b.ui.ConfirmAnswers = {false};
    b.commands.EditDelete1Execute();
    EXPECT_EQ(b.Tree().Count(), 5);
    EXPECT_EQ(b.ui.CallsOf("Confirm"),
              std::vector<std::string>{"Confirm(Are you sure to delete node ? )"});
    b.ui.ConfirmAnswers = {true};
    b.ui.ConfirmDontAsk = {true};
    b.commands.EditDelete1Execute();
    EXPECT_EQ(b.Tree().Count(), 4);
    EXPECT_FALSE(b.settings.AskBeforeDelete);
}

TEST(TreeCommands, BinderListDeleteClosesTheOpenBinderFirst) {
    PagesBinder b;
    FakeBinderLifecycle lifecycle;
    b.commands.SetLifecycle(&lifecycle);
    b.paths.BinderFilePath = "/data/My Notes.bdf";
    b.ui.Panel = BinderListPanel;
    // Another binder, whose path differs in letter case alone: the open one stays open.
    b.ui.ChosenBinder = "/data/my notes.BDF";
    b.commands.EditDelete1Execute();
    b.ui.ChosenBinder = "/data/My Notes.bdf";
    b.commands.EditDelete1Execute();
    EXPECT_EQ(lifecycle.Calls, (std::vector<std::string>{"delete /data/my notes.BDF", "close",
                                                         "delete /data/My Notes.bdf"}));
    EXPECT_EQ(b.ui.CallsOf("RefillPanel"),
              (std::vector<std::string>{"RefillPanel(2)", "RefillPanel(2)"}));
    EXPECT_EQ(b.Tree().Count(), 5);

    b.settings.AskBeforeDelete = true;
    b.ui.ConfirmAnswers = {false};
    b.commands.EditDelete1Execute();
    EXPECT_EQ(lifecycle.Calls.size(), 3u);
    EXPECT_EQ(b.ui.CallsOf("Confirm").back(), "Confirm(Are you sure to delete this binder ? )");
}

// The window's commands follow the document's notices: a paste turns the paste commands off,
// one refused (a node into itself) changes nothing, a close puts the title back.
TEST(TreeCommands, PasteAndCloseTellTheCommandsWhatChanged) {
    PagesBinder b;
    b.Tree().SetSelected(b.f);
    b.commands.EditCut1Execute();
    b.Tree().SetSelected(b.q);
    b.ui.ClearCalls();
    b.commands.EditPaste1Execute(); // into its own subtree: refused
    EXPECT_TRUE(b.ui.CallsOf("EnableCommand").empty());
    EXPECT_EQ(b.binder.CutNode(), b.f);
    b.Tree().SetSelected(b.r);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(b.ui.CallsOf("EnableCommand"),
              (std::vector<std::string>{"EnableCommand(2,off)", "EnableCommand(4,off)"}));
    b.ui.ClearCalls();
    b.binder.CloseTree();
    EXPECT_EQ(b.ui.Calls(), std::vector<std::string>{"SetCaption(Tarnwick)"});
    EXPECT_EQ(b.Tree().Count(), 0);
}

TEST(TreeCommands, CutAndPasteMovesTheNodeWithItsIdAndFiles) {
    PagesBinder b;
    b.Tree().SetSelected(b.r);
    b.commands.EditCut1Execute();
    EXPECT_EQ(b.ui.CallsOf("EnableCommand"),
              (std::vector<std::string>{"EnableCommand(2,on)", "EnableCommand(4,on)",
                                        "EnableCommand(0,off)", "EnableCommand(1,off)",
                                        "EnableCommand(3,off)"}));
    b.Tree().SetSelected(b.g);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(P#A1,G#6(Q#A2,R#A3))");
    EXPECT_EQ(ReadFileBytes(fs::path(b.StoreFolder(0xA3)) / "a.gif"), "gif A3");
    EXPECT_FALSE(b.binder.BinderDirty); // the move is written at once
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    EXPECT_EQ(b.binder.CutNode(), nullptr);

    // Onto a page: just before it.
    b.Tree().SetSelected(b.g);
    b.commands.EditCut1Execute();
    b.Tree().SetSelected(b.p);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(G#6(Q#A2,R#A3),P#A1)");

    // Into itself or its own subtree: nothing happens and the cut stays.
    b.Tree().SetSelected(b.f);
    b.commands.EditCut1Execute();
    b.Tree().SetSelected(b.q);
    b.commands.EditPaste1Execute();
    b.Tree().SetSelected(b.f);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(G#6(Q#A2,R#A3),P#A1)");
    EXPECT_EQ(b.binder.CutNode(), b.f);

    // A cut node deleted before the paste is not used.
    b.Tree().SetSelected(b.q);
    b.commands.EditCut1Execute();
    b.binder.DeleteNode(b.q);
    b.Tree().SetSelected(b.p);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(G#6(R#A3),P#A1)");
}

TEST(TreeCommands, CopyAndPasteGivesANewIdAndCopiesTheFiles) {
    PagesBinder b;
    TPageInfo* source = NodeRecord(b.q);
    source->RequestedUrl = "http://q.example/";
    source->Content.PageHtml = "<html><img src=\"a.gif\"></html>";
    source->Content.Stats.State = 2;
    source->Content.Stats.Total = 3;
    source->State = CaptureState::Completed;
    source->Notes.AppendRaw("note\0bytes", 10);
    WriteFileBytes(fs::path(b.StoreFolder(0xA2)) / "img" / "b.gif", "deep gif");
    WriteFileBytes(fs::path(b.StoreFolder(0xA2)) / "A2.htm", "old page copy");

    b.Tree().SetSelected(b.q);
    b.commands.EditCopy1Execute();
    b.Tree().SetSelected(b.p); // a page: the copy goes to the end of its level
    b.commands.EditPaste1Execute();

    TTreeNode* copy = b.Tree().Selected();
    ASSERT_NE(copy, b.q);
    EXPECT_EQ(copy->Parent(), b.f);
    EXPECT_EQ(copy->Index(), 2);
    const TPageInfo* record = NodeRecord(copy);
    EXPECT_NE(record->Id, 0xA2u);
    EXPECT_EQ(record->Title, "Q");
    EXPECT_EQ(record->Notes.Bytes(), std::string("note\0bytes", 10));
    EXPECT_EQ(record->Content.PageHtml, source->Content.PageHtml);
    EXPECT_EQ(record->Content.Stats.Total, 3);
    const fs::path folder = b.StoreFolder(record->Id);
    const std::string hex = IntToHex(record->Id, 1);
    EXPECT_EQ(ReadFileBytes(folder / (hex + ".htm")), source->Content.PageHtml);
    EXPECT_EQ(ReadFileBytes(folder / "a.gif"), "gif A2");
    EXPECT_EQ(ReadFileBytes(folder / "img" / "b.gif"), "deep gif");
    EXPECT_TRUE(fs::exists(b.StoreFolder(0xA2)));
    EXPECT_EQ(b.binder.CopiedNode(), nullptr);
    // The copy's folder is marked as its own, as every folder the program makes; the copied
    // folder's mark is no file of the page and is not copied.
    EXPECT_TRUE(HoldsFolderMark(OpenFolderPath(folder.string()).Get(), hex));
    EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());

    // Saved with the paste; read again, the copy is still a completed page, not queued.
    EXPECT_FALSE(b.binder.BinderDirty);
    BinderFixture opened;
    opened.paths = b.paths;
    opened.commands.LoadBinderTree();
    TTreeNode* reread = nullptr;
    FindTreeNodeById(opened.Tree(), record->Id, reread);
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(NodeRecord(reread)->State, CaptureState::Completed);
    for (const Task& task : opened.queue.Tasks) {
        EXPECT_NE(task.NodeId, record->Id);
    }

    // Into a folder, a copy goes in as the last child; into an empty tree, nothing happens.
    b.Tree().SetSelected(b.r);
    b.commands.EditCopy1Execute();
    b.Tree().SetSelected(b.g);
    b.commands.EditPaste1Execute();
    EXPECT_EQ(b.Tree().Selected()->Parent(), b.g);
    BinderFixture empty;
    empty.commands.EditPaste1Execute();
    EXPECT_EQ(empty.Tree().Count(), 0);
}

// However many nodes go, the tree file is written once, without them, while their pages'
// files are all still there; only then do the files go.
TEST(TreeCommands, ADeleteWritesTheTreeFileBeforeTheFilesGo) {
    PagesBinder b;
    const auto folders = [&b] {
        std::string there;
        for (const uint32_t id : {0xA1u, 0xA2u, 0xA3u}) {
            there += fs::exists(fs::path(b.StoreFolder(id)) / "a.gif") ? '1' : '0';
        }
        return there;
    };
    LookingSaver saver(b.binder, [&] { return folders() + " [" + TreeShape(b.Tree()) + "]"; });
    b.binder.SetSaver(&saver);
    // Q lies in F: listed first it goes alone and F takes the rest; listed again it is gone.
    b.binder.DeleteNodes({b.q, b.f, b.q, b.r});
    b.binder.SetSaver(&b.commands);
    EXPECT_EQ(saver.Seen, std::vector<std::string>{"111 []"});
    EXPECT_EQ(folders(), "000");
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
    EXPECT_EQ(b.capture.Calls, (std::vector<std::string>{"cancel A2", "cancel F", "cancel A1",
                                                         "cancel 6", "cancel A3"}));
}

// A tree file that cannot be written would still name the pages after a crash: their files
// stay, and the changed mark with them, until a save succeeds.
TEST(TreeCommands, ADeleteThatCannotBeWrittenKeepsThePagesFiles) {
    PagesBinder b;
    fs::create_directories(b.paths.TreeFilePath); // nothing replaces a folder
    b.Tree().SetSelected(b.f);
    b.commands.EditDelete1Execute();
    EXPECT_EQ(TreeShape(b.Tree()), "R#A3");
    EXPECT_EQ(ReadFileBytes(fs::path(b.StoreFolder(0xA1)) / "a.gif"), "gif A1");
    EXPECT_EQ(ReadFileBytes(fs::path(b.StoreFolder(0xA2)) / "a.gif"), "gif A2");
    EXPECT_TRUE(b.binder.BinderDirty);
    EXPECT_EQ(b.ui.CallsOf("ShowMessage").size(), 1u);
}

// The copy's files are written before the tree file that names the copy.
TEST(TreeCommands, APastedCopyIsWrittenAfterItsFiles) {
    PagesBinder b;
    LookingSaver saver(b.binder, [&b] {
        const TPageInfo* copy = NodeRecord(b.Tree().Selected());
        return copy != nullptr ? ReadFileBytes(fs::path(b.StoreFolder(copy->Id)) / "a.gif")
                               : std::string("no copy");
    });
    b.binder.SetSaver(&saver);
    b.Tree().SetSelected(b.q);
    b.commands.EditCopy1Execute();
    b.Tree().SetSelected(b.p);
    b.commands.EditPaste1Execute();
    b.binder.SetSaver(&b.commands);
    EXPECT_EQ(saver.Seen, std::vector<std::string>{"gif A2"});
    EXPECT_NE(NodeRecord(b.Tree().Selected())->Id, 0xA2u);
    EXPECT_EQ(ReadFileBytes(b.paths.TreeFilePath), TreeFileBytes(b.Tree()));
}

// The first change after a save (or a read) is told, the ones after it are not, until the
// tree file is written again.
TEST(TreeCommands, TheFirstChangeNotWrittenIsToldOnce) {
    PagesBinder b;
    struct Counter : IBinderTreeObserver {
        int Told = 0;
        void BinderMarkedChanged() override { ++Told; }
    } counter;
    b.binder.AddObserver(&counter);
    b.binder.TreeView1Edited(b.f, "Renamed");
    b.Tree().SetSelected(b.p);
    EXPECT_TRUE(b.binder.TreeView1DragDrop(THitZone::BelowNodes, nullptr, true));
    b.binder.BinderDirty = true;
    EXPECT_EQ(counter.Told, 1);
    EXPECT_TRUE(b.commands.FileSaveExecute());
    EXPECT_EQ(counter.Told, 1);
    b.binder.TreeView1Edited(b.g, "Again");
    EXPECT_EQ(counter.Told, 2);
    ClearTree(b.Tree());
    b.commands.LoadBinderTree(); // a read clears the mark without telling
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(counter.Told, 2);
    b.binder.BinderDirty = true;
    EXPECT_EQ(counter.Told, 3);
    b.binder.RemoveObserver(&counter);
}

TEST(TreeCommands, CopyNodeFilesSkipsWhatCannotBeRead) {
    PagesBinder b;
    const fs::path secret = fs::path(b.StoreFolder(0xA1)) / "secret.gif";
    WriteFileBytes(secret, "secret");
    WriteFileBytes(fs::path(b.StoreFolder(0xA1)) / "sub" / "c.css", "css");
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    NodeRecord(b.p)->Content.PageHtml = "page";
    const fs::path copy = b.StoreFolder(0xC0);
    {
        PermissionsEnforced enforced;
        size_t size = 0;
        if (ReadFileWhole(secret.string(), size) != nullptr) {
            GTEST_SKIP() << "permissions are not enforced here";
        }
        EXPECT_TRUE(
            CopyNodeFiles(*NodeRecord(b.p), 0xC0, b.paths.BinderRoot, b.paths.BinderStore, b.ui));
    }
    EXPECT_EQ(ReadFileBytes(copy / "C0.htm"), "page");
    EXPECT_EQ(ReadFileBytes(copy / "a.gif"), "gif A1");
    EXPECT_EQ(ReadFileBytes(copy / "sub" / "c.css"), "css");
    EXPECT_FALSE(fs::exists(copy / "secret.gif"));
    EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
}

// Every hit zone, on a folder and on a page.
TEST(TreeCommands, DropMovesTheSelectedNode) {
    PagesBinder b;
    b.Tree().SetSelected(b.r);
    EXPECT_TRUE(b.binder.TreeView1DragDrop(THitZone::Label, b.g, true));
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(P#A1,G#6(Q#A2,R#A3))");
    EXPECT_TRUE(b.binder.TreeView1DragDrop(THitZone::Icon, b.p, true));
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(R#A3,P#A1,G#6(Q#A2))");
    EXPECT_TRUE(b.binder.TreeView1DragDrop(THitZone::BelowNodes, nullptr, true));
    EXPECT_EQ(TreeShape(b.Tree()), "F#F(P#A1,G#6(Q#A2)),R#A3");
    EXPECT_TRUE(b.binder.TreeView1DragDrop(THitZone::Indent, b.f, true));
    EXPECT_EQ(TreeShape(b.Tree()), "R#A3,F#F(P#A1,G#6(Q#A2))");

    b.binder.BinderDirty = false;
    b.Tree().SetSelected(b.f);
    EXPECT_FALSE(b.binder.TreeView1DragDrop(THitZone::Label, b.g, true)); // its own subtree
    EXPECT_FALSE(b.binder.TreeView1DragDrop(THitZone::Label, b.f, true)); // itself
    EXPECT_FALSE(b.binder.TreeView1DragDrop(THitZone::Elsewhere, b.r, true));
    EXPECT_FALSE(b.binder.TreeView1DragDrop(THitZone::Label, b.r, false)); // another tree
    EXPECT_FALSE(b.binder.BinderDirty);
    EXPECT_EQ(TreeShape(b.Tree()), "R#A3,F#F(P#A1,G#6(Q#A2))");
}

TEST(TreeCommands, LookupsById) {
    PagesBinder b;
    TTreeNode* twin = AddRecord(b.Tree(), b.g, NodeKind::Notes, 0xA1, "twin of P");
    EXPECT_EQ(FindRecordById(b.Tree(), 0xA1), NodeRecord(b.p)); // the first
    EXPECT_EQ(FindRecordById(b.Tree(), 0x12345), nullptr);
    TTreeNode* found = b.r;
    FindTreeNodeById(b.Tree(), 0xA1, found);
    EXPECT_EQ(found, twin); // the last
    FindTreeNodeById(b.Tree(), 0x12345, found);
    EXPECT_EQ(found, twin);              // unchanged
    b.Tree().AddChild(b.g, "no record"); // skipped by every lookup
    b.Tree().SetSelected(b.q);
    SelectNodeById(b.Tree(), 0x12345);
    EXPECT_EQ(b.Tree().Selected(), b.q);
    SelectNodeById(b.Tree(), 0xA1);
    EXPECT_EQ(b.Tree().Selected(), b.p);
}
