#include "app/binder/commands/BinderTreeCommands.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/HtmlFiles.h"
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreTakeOver.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/commands/AddItemDialog.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/MultiSelection.h"
#include "app/binder/commands/ShownWrites.h"
#include "app/binder/commands/WaitFormUp.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/TreeNode.h"

namespace {

bool Given(const std::string& argument) {
    return !argument.empty() && argument != "0";
}

bool LegalAddress(const std::string& url, const std::string& title) {
    return !title.empty() && url.size() >= 10 &&
           (url.starts_with("http://") || url.starts_with("https://") ||
            url.starts_with("file://"));
}

} // namespace

TBinderTreeCommands::TBinderTreeCommands(const TBinderUiRoles& ui, TBinderTree& tree,
                                         TSettings& settings, BinderPaths& paths)
    : ui_(ui), tree_(tree), settings_(settings), paths_(paths) {
    tree_.SetSaver(this);
    tree_.AddObserver(this);
}

TBinderTreeCommands::~TBinderTreeCommands() {
    tree_.RemoveObserver(this);
    tree_.SetSaver(nullptr);
}

void TBinderTreeCommands::NodeRefused() {
    ui_.Messages.MessageBox(NonFolderRefusal, "Sorry", TMsgButtons::Ok);
}

// ---- tree file ------------------------------------------------------------------------------

bool TBinderTreeCommands::FileSaveExecute() {
    if (!tree_.BinderDirty) {
        return true;
    }
    const WaitFormUp waiting(ui_.Messages, waitFormUp_);
    const TTreeSaveResult result = tree_.SaveTree([this] { ui_.Messages.UpdateStatusForm(); });
    for (const std::string& message : result.Messages) {
        ui_.Messages.ShowMessage(message);
    }
    return result.Saved;
}

bool AskToUseStore(IUserMessages& messages, const StoreSurvey& survey, bool replacing) {
    return messages.MessageBox(TakeOverQuestion(survey, replacing), ApplicationTitle,
                               TMsgButtons::YesNo) == TModalResult::Yes;
}

TreeLoadResult TBinderTreeCommands::LoadBinderTree() {
    const TTreeLoadReport report = tree_.LoadBinderTree(
        [this] { ui_.Messages.UpdateStatusForm(); },
        [this](const StoreSurvey& survey) { return AskToUseStore(ui_.Messages, survey, false); });
    // Told once the views show what could be read.
    if (report.Refused) {
        NodeRefused();
    }
    for (const std::string& message : report.Messages) {
        ui_.Messages.ShowMessage(message);
    }
    return report.Result;
}

// ---- creating and adding --------------------------------------------------------------------

bool TBinderTreeCommands::AddNode(const std::string& url, const std::string& title,
                                  const std::string& html, TInsertMode mode, int dialogMode) {
    ui_.Window.RestoreAndBringToFront();

    // The folder the dialog offers first: in sibling mode the folder the node would join,
    // so "Add to Folder" names where it goes.
    std::optional<uint32_t> folderId;
    const TPageInfo* firstTop = NodeRecord(tree_.Items().GetFirstNode());
    const bool firstIsFolder = firstTop != nullptr && firstTop->Kind == NodeKind::Folder;
    const TTreeNode* const selectedAtStart = tree_.Selected();
    const uint64_t selectedItem = selectedAtStart != nullptr ? selectedAtStart->ItemId() : 0;
    const TPageInfo* const parentAtStart =
        selectedAtStart != nullptr ? NodeRecord(selectedAtStart->Parent()) : nullptr;
    const std::optional<uint32_t> parentId =
        parentAtStart != nullptr ? std::optional<uint32_t>(parentAtStart->Id) : std::nullopt;
    if (mode == TInsertMode::Sibling) {
        folderId = parentId;
    } else if (const TTreeNode* selected = selectedAtStart) {
        const TPageInfo* record = NodeRecord(selected);
        if (record == nullptr || record->Kind != NodeKind::Folder) {
            if (parentId) {
                folderId = parentId;
            } else if (selected->Parent() == nullptr && firstIsFolder) {
                folderId = firstTop->Id;
            }
        } else {
            folderId = record->Id;
        }
    } else if (firstIsFolder) {
        folderId = firstTop->Id;
    }

    std::unique_ptr<IAddItemDialog> dialog =
        ui_.Dialogs.CreateAddItemDialog(dialogMode, folderId, tree_.BinderFolderDump());
    if (Given(url)) {
        dialog->SetUrl(url);
    }
    if (Given(title)) {
        dialog->SetTitle(title);
    }
    for (;;) {
        if (dialog->ShowModal() != TModalResult::Ok) {
            return false;
        }
        if (dialog->ItemKind() == NodeKind::Notes || LegalAddress(dialog->Url(), dialog->Title())) {
            break;
        }
        if (ui_.Messages.MessageBox("Illegal address or title, retry?    ", "Input Error",
                                    TMsgButtons::RetryCancel) != TModalResult::Retry) {
            return false;
        }
    }

    auto record = std::make_unique<TPageInfo>();
    record->Kind = dialog->ItemKind();
    record->RequestedUrl = dialog->Url();
    record->FinalUrl = Given(url) ? url : std::string();
    record->Title =
        tree_.MakeUniqueNodeName(!dialog->Title().empty() ? dialog->Title() : dialog->Url());
    record->State = CaptureState::Unfinished;
    if (Given(html)) {
        record->Content.FetchedText = html;
    }
    // Only a folder receives the node; an id that names anything else counts as none.
    std::optional<uint32_t> picked = dialog->PickedFolderId();
    if (picked) {
        const TPageInfo* folder = FindRecordById(tree_.Items(), *picked);
        if (folder == nullptr || folder->Kind != NodeKind::Folder) {
            picked.reset();
        }
    }
    if (mode == TInsertMode::Sibling && picked == parentId) {
        // The folder the selection is in: the node follows the selection.
        tree_.Items().SetSelected(selectedItem != 0 ? tree_.Items().FindByItemId(selectedItem)
                                                    : nullptr);
        mode = TInsertMode::After;
    } else if (picked) {
        SelectNodeById(tree_.Items(), *picked);
        mode = TInsertMode::Child;
    } else if (mode == TInsertMode::Sibling) {
        // The top level was chosen for a node inside a folder: last at the top level.
        tree_.Items().SetSelected(nullptr);
    } else {
        mode = TInsertMode::Sibling;
    }
    const NodeKind kind = record->Kind;
    if (tree_.CreateNode(kind, mode, true, std::move(record)) == nullptr) {
        return false;
    }
    if (kind == NodeKind::WebPage) {
        CaptureOptions options = dialog->Options();
        options.PageGiven = Given(html);
        tree_.CaptureSelectedNode(false, options);
        ui_.Window.ShowPageView();
    }
    ui_.SideBar.OpenPanel(TreePanel);
    return true;
}

// A new folder reaches the disk at once, as every new node does: a crash a moment later keeps it.
void TBinderTreeCommands::FileNewFolderExecute() {
    tree_.CreateNode(NodeKind::Folder, TInsertMode::Child, true);
}

void TBinderTreeCommands::FileAppendFolderExecute() {
    tree_.CreateNode(NodeKind::Folder, TInsertMode::Sibling, true);
}

void TBinderTreeCommands::FileNewNodeExecute() {
    AddNode("", "", "", TInsertMode::Child, -1);
}

void TBinderTreeCommands::FileAppendNodeExecute() {
    AddNode("", "", "", TInsertMode::Sibling, -1);
}

// ---- deleting -------------------------------------------------------------------------------

void TBinderTreeCommands::EditDelete1Execute() {
    if (ui_.SideBar.TopPanel() == TreePanel) {
        const std::vector<TTreeNode*> listed =
            selection_ != nullptr ? selection_->MultiSelection() : std::vector<TTreeNode*>();
        if (listed.empty() && tree_.Selected() == nullptr) {
            return;
        }
        if (settings_.AskBeforeDelete &&
            !ui_.Messages.Confirm("Are you sure to delete node ? ", settings_.AskBeforeDelete)) {
            return;
        }
        // The note open in the editor may belong to a node that stays: keep its edits.
        ui_.Window.StoreTypedNotes();
        std::string left;
        {
            // The form of the tree write is up, drawn where the question stood, before the
            // first node goes, and stays while the folders of the pages are deleted: that
            // runs beside the event loop, so the bar runs and the window is drawn meanwhile.
            const WaitFormUp waiting(ui_.Messages, waitFormUp_);
            const auto aside = [](const std::function<void()>& work) { RunBesideEventLoop(work); };
            // One delete for all of them: the tree file is written once, before any files go.
            if (!listed.empty()) {
                left = tree_.DeleteNodes(listed, aside);
                selection_->ClearSelectionState();
            } else {
                left = tree_.DeleteNodes({tree_.Selected()}, aside);
            }
        }
        if (tree_.Selected() != nullptr) {
            tree_.Items().DataChanged(tree_.Selected());
        }
        // Told once the wait form is down and the tree shows the nodes gone.
        if (!left.empty()) {
            ui_.Messages.ShowMessage(left);
        }
    } else if (ui_.SideBar.TopPanel() == BinderListPanel) {
        const std::string chosen = ui_.SideBar.ChosenBinderPath();
        if (chosen.empty() || lifecycle_ == nullptr) {
            return;
        }
        if (settings_.AskBeforeDelete &&
            !ui_.Messages.Confirm("Are you sure to delete this binder ? ",
                                  settings_.AskBeforeDelete)) {
            return;
        }
        // Letter case included: another binder's path may differ from it in case alone.
        if (!paths_.BinderFilePath.empty() && chosen == paths_.BinderFilePath) {
            lifecycle_->CloseBinder();
        }
        lifecycle_->DeleteBinder(chosen);
        ui_.SideBar.RefillPanel(BinderListPanel);
    }
}

// ---- cut, copy, paste -----------------------------------------------------------------------

void TBinderTreeCommands::EditCut1Execute() {
    tree_.SetCutSlot(tree_.Selected());
}

void TBinderTreeCommands::EditCopy1Execute() {
    tree_.SetCopySlot(tree_.Selected());
}

void TBinderTreeCommands::EditPaste1Execute() {
    TTreeNode* target =
        tree_.Selected() != nullptr ? tree_.Selected() : tree_.Items().GetFirstNode();
    if (target == nullptr) {
        return;
    }
    const bool intoFolder = GetNodeKind(target) == NodeKind::Folder;
    if (TTreeNode* cut = tree_.CutNode()) {
        if (target == cut || target->HasAsParent(cut)) {
            return; // a node cannot go into itself
        }
        cut->MoveTo(target, intoFolder ? TNodeAttachMode::naAddChild : TNodeAttachMode::naInsert);
        tree_.BinderDirty = true;
        tree_.Save();
    } else if (const TPageInfo* source = NodeRecord(tree_.CopiedNode())) {
        auto record = std::make_unique<TPageInfo>();
        source->Assign(*record);
        // A completed page must stay completed once the binder is read again, and its state
        // is stored only with the statistics.
        record->Content.Stats = source->Content.Stats;
        TPageInfo* copy = record.get();
        const NodeKind kind = record->Kind;
        // The copy's files are written before the tree file that names it, so a crash between
        // the two leaves at most a folder nobody uses, never a page without its pictures.
        TTreeNode* node = tree_.CreateNode(
            kind, intoFolder ? TInsertMode::Child : TInsertMode::Sibling, false, std::move(record));
        if (node != nullptr) {
            if (kind == NodeKind::WebPage) {
                CopyNodeFiles(*source, copy->Id, paths_.BinderRoot, paths_.BinderStore,
                              ui_.Messages);
            }
            tree_.BinderDirty = true;
            tree_.Save();
            tree_.Items().DataChanged(node);
        }
    }
    tree_.EmptySlots();
}

// ---- rename, expand, collapse ---------------------------------------------------------------

void TBinderTreeCommands::Rename1Click() {
    if (tree_.Selected() != nullptr) {
        tree_.Selected()->EditText();
    }
}

void TBinderTreeCommands::ExpandTreeExecute() {
    tree_.Items().FullExpand();
}

void TBinderTreeCommands::CollapseTreeExecute() {
    tree_.Items().FullCollapse();
}
