#pragma once

// An open binder in a temporary folder with its commands, a recording window (whose commands
// follow the binder's notices), task queue and capture engine, and helpers that build and
// describe trees.

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/binder/commands/CommandEnabling.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"
#include "platform/base/TreeNode.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeCaptureStarter.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/StoredFiles.h"
#include "tests/support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// A field of the field stream: the length in lower-case hexadecimal, "#", the bytes.
inline std::string Field(const std::string& bytes) {
    char header[24];
    std::snprintf(header, sizeof header, "%zx#", bytes.size());
    return header + bytes;
}

inline std::unique_ptr<TPageInfo> MakeRecord(NodeKind kind, uint32_t id, const std::string& title) {
    auto record = std::make_unique<TPageInfo>();
    record->Kind = kind;
    record->Id = id;
    record->Title = title;
    record->CreateDate = "2024-05-06 07:08:09";
    return record;
}

inline TTreeNode* AddRecord(TTreeNodes& tree, TTreeNode* parent, NodeKind kind, uint32_t id,
                            const std::string& title) {
    return tree.AddChildObject(parent, title, MakeRecord(kind, id, title));
}

// "Title#HEX(Child#HEX,...),..." for the whole tree, in tree order.
inline std::string TreeShape(const TTreeNode* first) {
    std::string text;
    for (const TTreeNode* node = first; node != nullptr; node = node->getNextSibling()) {
        if (!text.empty()) {
            text += ',';
        }
        const TPageInfo* record = NodeRecord(node);
        text += record != nullptr ? record->Title + "#" + IntToHex(record->Id, 1) : "?";
        if (node->HasChildren()) {
            text += "(" + TreeShape(node->getFirstChild()) + ")";
        }
    }
    return text;
}

inline std::string TreeShape(const TTreeNodes& tree) {
    return TreeShape(tree.GetFirstNode());
}

// What the tree announced to the views: "selected T", "data T" ("data -" for the whole tree),
// "removing T", "cleared", "updating", "updated", T the node's label.
struct NoticeRecorder : ITreeNodesObserver {
    explicit NoticeRecorder(TTreeNodes& tree) : tree_(tree) { tree_.AddObserver(this); }
    ~NoticeRecorder() override { tree_.RemoveObserver(this); }
    static std::string Name(const TTreeNode* node) { return node ? node->Text() : "-"; }
    void SelectionChanged(TTreeNode* node) override { Seen.push_back("selected " + Name(node)); }
    void NodeDataChanged(TTreeNode* node) override { Seen.push_back("data " + Name(node)); }
    void NodeRemoving(TTreeNode* node) override { Seen.push_back("removing " + Name(node)); }
    void TreeCleared() override { Seen.push_back("cleared"); }
    void TreeUpdating() override { Seen.push_back("updating"); }
    void TreeUpdated() override { Seen.push_back("updated"); }
    std::vector<std::string> Seen;

private:
    TTreeNodes& tree_;
};

struct BinderFixture {
    TempDir dir;
    FakeBinderUi ui;
    FakeTaskQueue queue;
    FakeCaptureStarter capture;
    TSettings settings = DefaultSettings(dir.Str());
    BinderPaths paths;
    TBinderTree binder{queue, settings, paths};
    TBinderTreeCommands commands{ui.Roles(), binder, settings, paths};
    TCommandEnabling enabling{binder, ui};

    BinderFixture() {
        binder.SetCaptureStarter(&capture);
        paths.BinderRoot = dir.Str();
        paths.BinderStore = "Notesstore";
        paths.BinderSave = "Notes.sav";
        paths.BinderName = "My%20Notes";
        paths.TreeFilePath = JoinPath(paths.BinderRoot, paths.BinderSave);
        settings.ListMode = 0;
        settings.AskBeforeDelete = false;
    }

    TTreeNodes& Tree() { return binder.Items(); }
    std::string StoreFolder(uint32_t id) const {
        return JoinPath(JoinPath(paths.BinderRoot, paths.BinderStore), IntToHex(id, 1));
    }
};

inline std::string TitleOf(const TTreeNode* node) {
    return NodeRecord(node) ? NodeRecord(node)->Title : "?";
}

// Folder F(page P, folder G(page Q)), page R at the top, each page with a stored file in a
// node folder the program made.
struct PagesBinder : BinderFixture {
    TTreeNode* f = AddRecord(Tree(), nullptr, NodeKind::Folder, 0xF, "F");
    TTreeNode* p = AddRecord(Tree(), f, NodeKind::WebPage, 0xA1, "P");
    TTreeNode* g = AddRecord(Tree(), f, NodeKind::Folder, 0x6, "G");
    TTreeNode* q = AddRecord(Tree(), g, NodeKind::WebPage, 0xA2, "Q");
    TTreeNode* r = AddRecord(Tree(), nullptr, NodeKind::WebPage, 0xA3, "R");

    PagesBinder() {
        for (uint32_t id : {0xA1u, 0xA2u, 0xA3u}) {
            WriteStoredFile(paths.BinderRoot, paths.BinderStore, id, "a.gif",
                            "gif " + IntToHex(id, 1));
        }
    }
};
