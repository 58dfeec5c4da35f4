#include "app/ui/views/NodeViews.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/NodeIds.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreFiles.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/WindowTexts.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/PageParser.h"
#include "app/ui/views/NotesPort.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"
#include "platform/base/TreeNode.h"
#include "platform/browser/Browser.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int KindPanel = 1;
constexpr int StatusPanel = 2;
constexpr int ProgressPanel = 3;
constexpr int PositionPanel = 4;

// Which commands each kind enables: folder, web page, notes document, link. A node without a
// record enables only the commands that work on any node.
struct KindCommands {
    ViewCommand Command;
    bool Folder, WebPage, Notes, Link;
};
constexpr KindCommands KindTable[] = {
    {ViewCommand::FileNewNode, true, false, false, false},
    {ViewCommand::FileNewFolder, true, false, false, false},
    {ViewCommand::FileImportVelmor, true, false, false, false},
    {ViewCommand::FileImportHtml, true, false, false, false},
    {ViewCommand::FileAppendNode, true, true, true, true},
    {ViewCommand::FileAppendFolder, true, true, true, true},
    {ViewCommand::ToolChangeURL1, false, true, true, true},
    {ViewCommand::ToolRefresh, false, true, false, false},
    {ViewCommand::FilePrint, false, true, false, false},
    {ViewCommand::ToolChangeURL, false, true, false, false},
    {ViewCommand::ToolSyncContent, false, true, false, false},
    {ViewCommand::FileSaveHtml, true, true, false, false},
    {ViewCommand::FileExportContent, true, true, true, true},
    {ViewCommand::EditCut1, true, true, true, true},
    {ViewCommand::EditCopy1, true, true, true, true},
    {ViewCommand::EditDelete1, true, true, true, true},
    {ViewCommand::RichEdit1, true, true, true, true},
};

bool EnabledFor(const KindCommands& row, NodeKind kind) {
    switch (kind) {
    case NodeKind::Folder:
        return row.Folder;
    case NodeKind::WebPage:
        return row.WebPage;
    case NodeKind::Notes:
        return row.Notes;
    case NodeKind::Link:
        return row.Link;
    default:
        return row.Folder && row.WebPage && row.Notes && row.Link;
    }
}

} // namespace

std::string NodePositionStatus(int absoluteIndex, int count) {
    return "Node " + IntToStr(absoluteIndex + 1) + " / " + IntToStr(count);
}

bool IsLocalDocumentAddress(const std::string& url) {
    return url == "about:blank" || url.rfind("file://", 0) == 0 || url.rfind("data:", 0) == 0;
}

TNodeViews::TNodeViews(TTreeNodes& tree, const BinderPaths& paths, TSettings& settings,
                       IViewsWindow& window, IBrowser& browser, std::string startFolder,
                       std::string notAvailable, ICaptureReports* progress)
    : tree_(tree), paths_(paths), settings_(settings), window_(window), browser_(browser),
      startFolder_(std::move(startFolder)), notAvailable_(std::move(notAvailable)),
      progress_(progress) {}

TPageInfo* TNodeViews::SelectedRecord() const {
    return NodeRecord(tree_.Selected());
}

void TNodeViews::ForgetShownNode() {
    EndEditing();
    shownAny_ = false;
}

void TNodeViews::EndEditing() {
    editing_ = nullptr;
    editStartNote_.reset();
    Enable(ViewCommand::ApplyChange, false);
    Enable(ViewCommand::CancelChange, false);
}

// ---- the refresh ------------------------------------------------------------------------------

void TNodeViews::TreeView1Click() {
    if (editing_ != nullptr) {
        ApplyChangeExecute();
    }
    EndEditing();
    if (tree_.Selected() == nullptr) {
        if (tree_.Count() == 0) {
            ReflectNodeLabel(nullptr);
            return;
        }
        tree_.SetSelected(tree_.GetFirstNode());
    }
    TTreeNode* node = tree_.Selected();
    // A node may carry no record; it then enables only what works on any node.
    if (const TPageInfo* record = NodeRecord(node)) {
        settings_.LastNodeID = record->Id;
    }
    const NodeKind kind = GetNodeKind(node);
    for (const KindCommands& row : KindTable) {
        Enable(row.Command, EnabledFor(row, kind));
    }
    ReflectNodeLabel(node);
}

void TNodeViews::ReflectNodeLabel(TTreeNode* node) {
    if (const TPageInfo* record = NodeRecord(node)) {
        node->SetText(NodeLabel(*record, settings_.ListMode));
    }
    ClearStatusBar();
    if (node == nullptr) {
        ShowBlank();
        return;
    }
    if (const TTreeNode* selected = tree_.Selected()) {
        ShowNodePosition();
        window_.SetStatusPanel(KindPanel,
                               NodeKindText(static_cast<int32_t>(GetNodeKind(selected))));
    }
    if (NodeRecord(node) != nullptr) {
        ShowNodeInViews(*node);
        Enable(ViewCommand::PageControl1, true);
    }
}

void TNodeViews::ShowNodePosition() {
    if (const TTreeNode* selected = tree_.Selected()) {
        window_.SetStatusPanel(PositionPanel,
                               NodePositionStatus(selected->AbsoluteIndex(), tree_.Count()));
    }
}

void TNodeViews::ShowNodeInViews(TTreeNode& node) {
    TPageInfo& record = *NodeRecord(&node);
    if (notes_ != nullptr) {
        notes_->LoadNotes(record);
    }
    if (record.State == CaptureState::Unfinished) {
        Enable(ViewCommand::ToolSyncContent, false);
        Enable(ViewCommand::ToolChangeURL, false);
    } else if (record.Kind == NodeKind::WebPage) {
        Enable(ViewCommand::ToolSyncContent, true);
        Enable(ViewCommand::ToolChangeURL, true);
    }
    // Only a web page is ever captured: a new note, link or folder is "unfinished" too, but
    // there is nothing to stop.
    Enable(ViewCommand::Stop,
           record.Kind == NodeKind::WebPage && record.State == CaptureState::Unfinished);
    window_.SetPageVisible(ViewPage::Notes, true);
    switch (record.Kind) {
    case NodeKind::WebPage:
        window_.SetStatusPanel(StatusPanel, record.Progress.StatusText);
        for (ViewPage page : {ViewPage::Browse, ViewPage::Detail, ViewPage::Summary}) {
            window_.SetPageVisible(page, true);
        }
        for (ViewCommand command :
             {ViewCommand::ViewSummary, ViewCommand::ViewBrowser, ViewCommand::ViewDetail}) {
            Enable(command, true);
        }
        window_.ActivatePage(static_cast<ViewPage>(currentView_));
        if (currentView_ == static_cast<int>(ViewPage::Browse)) {
            ShowNodePage(record);
        }
        window_.ShowNodeSummary(node);
        if (window_.ActivePage() == ViewPage::Detail) {
            ShowHyperlinks(record);
        }
        break;
    case NodeKind::Folder:
    case NodeKind::Link:
        if (currentView_ < static_cast<int>(ViewPage::Browse)) {
            window_.ActivatePage(static_cast<ViewPage>(currentView_));
        }
        window_.SetPageVisible(ViewPage::Summary, true);
        window_.SetPageVisible(ViewPage::Browse, false);
        window_.SetPageVisible(ViewPage::Detail, false);
        Enable(ViewCommand::ViewSummary, true);
        Enable(ViewCommand::ViewBrowser, false);
        Enable(ViewCommand::ViewDetail, false);
        window_.ShowNodeSummary(node);
        break;
    default:
        for (ViewPage page : {ViewPage::Browse, ViewPage::Detail, ViewPage::Summary}) {
            window_.SetPageVisible(page, false);
        }
        for (ViewCommand command :
             {ViewCommand::ViewSummary, ViewCommand::ViewBrowser, ViewCommand::ViewDetail}) {
            Enable(command, false);
        }
        break;
    }
    ShowNodeStatus(record);
}

void TNodeViews::ShowNodeStatus(const TPageInfo& record) {
    window_.SetStatusPanel(StatusPanel, record.Progress.StatusText);
}

void TNodeViews::ShowNodePage(TPageInfo& record) {
    Enable(ViewCommand::NavigateBack, (record.ViewFlags & ViewFlagOnline) != 0);
    Enable(ViewCommand::NavigateForward, (record.ViewFlags & ViewFlagSteppedBack) != 0);
    Enable(ViewCommand::ToolRefresh, (record.ViewFlags & ViewFlagCaptured) != 0);
    window_.SetAddress("");
    Enable(ViewCommand::Print, true);
    Enable(ViewCommand::TextSize, true);
    switch (record.State) {
    case CaptureState::Unfinished:
        window_.SetDownloadAnimation(true);
        record.Progress.StatusText = DownloadingStatus;
        break;
    case CaptureState::Stopped:
        window_.SetDownloadAnimation(false);
        record.Progress.StatusText = DownloadStoppedStatus;
        break;
    default:
        record.Progress.StatusText = CaptureResultText(static_cast<int32_t>(record.State));
        window_.SetDownloadAnimation(false);
        Enable(ViewCommand::ToolSyncContent, true);
        Enable(ViewCommand::ToolChangeURL, true);
        if (record.Reload == 0 && shownAny_ && lastShownId_ == record.Id) {
            return; // the page shown already
        }
        break;
    }
    PageSourceSettings settings{settings_.ShowPageViaFile, settings_.StripScript, startFolder_,
                                notAvailable_};
    PageSource source = ChoosePageSource(record, paths_, settings);
    shownAny_ = true;
    lastShownId_ = record.Id;
    record.Reload = 0;
    if (!browser_.HasDocument()) {
        record.Reload = 1; // shown once the browser has a document
        return;
    }
    // What the binder shows comes from its own files, never from the net.
    browser_.SetOffline(true);
    if (source.ViaFile && ShowPageFile(source.Html, record.Id)) {
        return;
    }
    if (source.ViaFile) {
        // The page file could not be written (its folder is not one the program made, as in
        // a binder from before folders were marked): the page is shown from memory instead,
        // its files still found through its base.
        settings.ShowPageViaFile = false;
        source = ChoosePageSource(record, paths_, settings);
    }
    browser_.LoadHtml(source.Html, source.BaseUrl, source.Encoding);
}

bool TNodeViews::ShowPageFile(const std::string& html, uint32_t id) {
    // Written every time, so the file always holds the page as it is now.
    const std::string file = WriteNodePageFile(paths_.BinderRoot, paths_.BinderStore, id, html);
    if (file.empty()) {
        return false;
    }
    browser_.Navigate(FileUrl(file));
    return true;
}

void TNodeViews::ShowBlank() {
    Enable(ViewCommand::PageControl1, true);
    window_.SetPageVisible(ViewPage::Browse, true);
    for (ViewPage page : {ViewPage::Detail, ViewPage::Summary, ViewPage::Notes}) {
        window_.SetPageVisible(page, false);
    }
    window_.ActivatePage(ViewPage::Browse);
    window_.SetStatusPanel(KindPanel, "");
    window_.SetStatusPanel(PositionPanel, "");
    window_.SetAddress("");
    browser_.LoadHtml("", "", HtmlEncoding::Utf8);
}

void TNodeViews::ClearStatusBar() {
    window_.SetStatusPanel(StatusPanel, "");
    window_.SetStatusPanel(ProgressPanel, "");
}

void TNodeViews::ShowHyperlinks(TPageInfo& record) {
    if (record.Content.Links.empty()) {
        CollectHyperlinks(record, progress_);
    }
    std::vector<std::string> links;
    for (const Link& link : record.Content.Links) {
        if (link.Type == "hyperlink") {
            links.push_back(link.Url);
        }
    }
    window_.ShowDetail(links, record.Content.PageHtml);
}

void TNodeViews::SetViewCheck(int index) {
    window_.SetViewMark(index);
}

// ---- view pages -------------------------------------------------------------------------------

void TNodeViews::TabSheet2Show() {
    Enable(ViewCommand::Edit1, false);
    Enable(ViewCommand::Browse1, false);
    if (TTreeNode* node = tree_.Selected()) {
        if (NodeRecord(node) != nullptr) {
            currentView_ = static_cast<int>(ViewPage::Summary);
        }
        SetViewCheck(currentView_);
    }
}

void TNodeViews::TabSheet1Show() {
    Enable(ViewCommand::Edit1, false);
    Enable(ViewCommand::Browse1, true);
    currentView_ = static_cast<int>(ViewPage::Browse);
    SetViewCheck(currentView_);
    if (tree_.Selected() == nullptr) {
        if (tree_.GetFirstNode() == nullptr) {
            return;
        }
        tree_.SetSelected(tree_.GetFirstNode());
    }
    if (TPageInfo* record = SelectedRecord()) {
        ShowNodePage(*record);
        ShowNodeStatus(*record);
    }
}

void TNodeViews::TabSheet3Show() {
    Enable(ViewCommand::Edit1, true);
    Enable(ViewCommand::Browse1, false);
    if (noteRequested_) {
        currentView_ = static_cast<int>(ViewPage::Notes);
        noteRequested_ = false;
    }
    SetViewCheck(currentView_);
}

void TNodeViews::TabSheet4Show() {
    Enable(ViewCommand::Edit1, false);
    Enable(ViewCommand::Browse1, false);
    if (detailRequested_) {
        currentView_ = static_cast<int>(ViewPage::Detail);
        detailRequested_ = false;
    }
    SetViewCheck(currentView_);
    if (TTreeNode* node = tree_.Selected(); node != nullptr && NodeRecord(node) != nullptr) {
        window_.ShowNodeSummary(*node);
        ShowHyperlinks(*NodeRecord(node));
    }
}

void TNodeViews::ViewSummaryExecute() {
    window_.ActivatePage(ViewPage::Summary);
}

void TNodeViews::ViewNoteExecute() {
    noteRequested_ = true;
    window_.ActivatePage(ViewPage::Notes);
}

void TNodeViews::ViewBrowserExecute() {
    window_.ActivatePage(ViewPage::Browse);
}

void TNodeViews::ViewDetailExecute() {
    detailRequested_ = true;
    window_.ActivatePage(ViewPage::Detail);
}

// ---- notes editing ----------------------------------------------------------------------------

void TNodeViews::OtherChangedExecut() {
    Enable(ViewCommand::ApplyChange, true);
    Enable(ViewCommand::CancelChange, true);
    editing_ = tree_.Selected();
}

void TNodeViews::ApplyChangeExecute() {
    // The notes go to the node they were typed for, even when the selection has moved on.
    if (TPageInfo* record = NodeRecord(editing_)) {
        if (notes_ != nullptr) {
            notes_->SaveNotes(*record);
        }
        window_.BinderChanged();
    }
    EndEditing();
}

void TNodeViews::CancelChangeExecute() {
    // The edit is thrown away: the note is shown again as it was when the edit began, and
    // nothing is stored when the selection moves on.
    if (TTreeNode* node = editing_) {
        if (TPageInfo* record = NodeRecord(node); record != nullptr && editStartNote_) {
            record->Notes.Clear();
            record->Notes.AppendRaw(editStartNote_->data(), editStartNote_->size());
            window_.BinderChanged();
        }
        EndEditing();
        ReflectNodeLabel(node);
    }
}

void TNodeViews::WriteNoteBeingEdited() {
    TPageInfo* record = NodeRecord(editing_);
    if (record == nullptr || notes_ == nullptr) {
        return;
    }
    std::string before = record->Notes.Bytes();
    if (!notes_->SaveChangedNotes(*record)) {
        return;
    }
    if (!editStartNote_) {
        editStartNote_ = std::move(before);
    }
    window_.BinderChanged();
}

void TNodeViews::NoteStored() {
    editStartNote_.reset();
}

// ---- browser commands -------------------------------------------------------------------------

void TNodeViews::NavigateBack() {
    TPageInfo* record = SelectedRecord();
    if (record == nullptr) {
        return;
    }
    if (record->NavCount < 2) {
        // Back to the stored page. The capture's state stays what it is: a failed or stopped
        // capture is not made "completed" by looking at it.
        record->NavCount = 0;
        record->Reload = 1;
        ShowNodePage(*record);
        ShowNodeStatus(*record);
        Enable(ViewCommand::NavigateForward, false);
        Enable(ViewCommand::NavigateBack, false);
        window_.SetStatusProgress(0);
        return;
    }
    browser_.GoBack();
    record->NavCount -= 2; // the navigation back counts itself once more
    window_.SetAddress(browser_.LocationURL());
    record->ViewFlags |= ViewFlagSteppedBack;
    Enable(ViewCommand::NavigateForward, true);
}

void TNodeViews::NavigateForward() {
    browser_.GoForward();
    window_.SetAddress(browser_.LocationURL());
}

void TNodeViews::Stop() {
    if (browser_.Busy()) {
        browser_.Stop();
        window_.SetDownloadAnimation(false);
        return;
    }
    if (TPageInfo* record = SelectedRecord()) {
        StopPageCapture(*record);
        window_.BinderChanged();
    }
    Enable(ViewCommand::ToolRefresh, true);
    window_.SetDownloadAnimation(false);
}

void TNodeViews::Refresh() {
    TPageInfo* record = SelectedRecord();
    if (record == nullptr) {
        return;
    }
    if (record->NavCount != 0) {
        browser_.Refresh();
        return;
    }
    Enable(ViewCommand::ToolRefresh, false);
    // The page file a page shown through a file was written to.
    RemoveNodePageFile(paths_.BinderRoot, paths_.BinderStore, record->Id);
    record->Reload = 1;
    ShowNodePage(*record);
    Enable(ViewCommand::NavigateForward, false);
    Enable(ViewCommand::NavigateBack, false);
}

void TNodeViews::Print() {
    browser_.Print();
}

void TNodeViews::TextSize(int step) {
    fontStep_ = std::clamp(step, 0, ZoomStepCount - 1);
    browser_.SetZoomStep(fontStep_);
}

void TNodeViews::Find() {
    browser_.ShowFind();
}

void TNodeViews::WebBrowserNavigateComplete2(const std::string& url) {
    TPageInfo* record = SelectedRecord();
    if (record == nullptr || IsLocalDocumentAddress(url)) {
        return;
    }
    record->ViewFlags |= ViewFlagOnline;
    ++record->NavCount;
    window_.SetAddress(url);
    Enable(ViewCommand::NavigateBack, true);
    window_.SetStatusProgress(0);
    if (!browser_.Offline()) {
        window_.SetStatusPanel(StatusPanel, OnlineModeStatus);
    }
}

void TNodeViews::ChangeUrlAccepted(const std::string& url) {
    TPageInfo* record = SelectedRecord();
    if (record == nullptr) {
        return;
    }
    if (!url.empty() && url != record->RequestedUrl) {
        record->RequestedUrl = url;
        window_.BinderChanged();
    }
    window_.CaptureSelectedNode();
}
