#pragma once

// What the main window's views show for the selected node, and the page browser's commands.
// Every change of selection ends in TreeView1Click, which enables the commands of the node's
// kind, fills the status panels and shows the node in the views its kind has: the summary,
// the notes, the stored page and the detail view. The page browser shows a stored page
// offline, with the base of its node folder; the back, forward, stop and refresh buttons
// follow the node's flags (bit 0: the browser left the stored page for the net; bit 4: a step
// back was taken; bit 8: a capture has finished) and its count of online navigations.
//
// The window (IViewsWindow) and the browser (IBrowser) are interfaces, so the rules here run
// without any widget.

#include "app/ui/views/PageSource.h"
#include "app/ui/views/ViewsWindow.h"
#include "platform/browser/Browser.h"

#include <cstdint>
#include <optional>
#include <string>

class IBrowser;
class ICaptureReports;
class INotesPort;
class TPageInfo;
class TTreeNode;
class TTreeNodes;
struct BinderPaths;
struct TSettings;

inline constexpr uint32_t ViewFlagOnline = 1u << 0;
inline constexpr uint32_t ViewFlagSteppedBack = 1u << 4;
inline constexpr uint32_t ViewFlagCaptured = 1u << 8;
// The marker image of the current view in the menus.
inline constexpr int ViewMarkImage = 43;

// "Node " + (index + 1) + " / " + count.
std::string NodePositionStatus(int absoluteIndex, int count);

// True for the addresses of documents the binder itself shows: "about:blank", file: and data:.
bool IsLocalDocumentAddress(const std::string& url);

class TNodeViews {
public:
    // Everything must outlive the controller. `notAvailable` is the page shown for a web page
    // without stored content; the installation's "common" folder lies below `startFolder`.
    // Long work shows its progress in the wait form of `progress` (none: nowhere).
    TNodeViews(TTreeNodes& tree, const BinderPaths& paths, TSettings& settings,
               IViewsWindow& window, IBrowser& browser, std::string startFolder,
               std::string notAvailable, ICaptureReports* progress = nullptr);

    // The notes editor the selected node's note is shown in (none: notes are not shown).
    void SetNotesPort(INotesPort* notes) { notes_ = notes; }

    // ---- the refresh after a change of selection ----
    void TreeView1Click();
    void ReflectNodeLabel(TTreeNode* node);
    void ShowNodeInViews(TTreeNode& node);
    void ShowNodePage(TPageInfo& record);
    void ShowBlank();
    void ClearStatusBar();
    // "Node <position> / <count>" of the selected node; nothing without a selection.
    void ShowNodePosition();
    void ShowHyperlinks(TPageInfo& record);
    void SetViewCheck(int index);

    // ---- the view pages and their commands ----
    void TabSheet1Show(); // browse
    void TabSheet2Show(); // summary
    void TabSheet4Show(); // detail
    // The notes page: the views' part (menus, current view, view mark); the editor's part
    // is the notes commands'.
    void TabSheet3Show();
    void TabSheet3MouseDown() { noteRequested_ = true; }
    void TabSheet4MouseDown() { detailRequested_ = true; }
    void ViewSummaryExecute();
    void ViewNoteExecute();
    void ViewBrowserExecute();
    void ViewDetailExecute();

    // ---- the notes editing state ----
    // The selected node's note is being changed: Apply Change and Cancel Change are on until
    // the note is stored (apply, or the next refresh) or thrown away (cancel).
    void OtherChangedExecut();
    void ApplyChangeExecute();
    // Brings back the note as it was when the edit began, also when part of the edit was
    // written into its record meanwhile (that note then goes into the record again).
    void CancelChangeExecute();
    // The note being edited goes into its record when it changed since it was last written,
    // and the binder is marked changed; the edit goes on (the editor, Apply Change and Cancel
    // Change stay as they were).
    void WriteNoteBeingEdited();
    // The note being edited was stored by the user (Save): Cancel Change brings back that
    // one from now on.
    void NoteStored();

    // ---- the page browser's commands ----
    void NavigateBack();
    void NavigateForward();
    // Stops the browser, or else the selected page's capture.
    void Stop();
    void Refresh();
    void Print();
    // The five text sizes "Smallest" (0) to "Largest" (4).
    void TextSize(int step);
    void Find();
    void WebBrowserNavigateComplete2(const std::string& url);
    // The Change URL dialog accepted with this address: a new address becomes the selected
    // page's requested URL (the binder is then changed), and the page is captured again.
    void ChangeUrlAccepted(const std::string& url);

    // ---- state the window reads ----
    int CurrentView() const { return currentView_; }
    TTreeNode* EditingNode() const { return editing_; }
    void SetEditingNode(TTreeNode* node) { editing_ = node; }
    int FontStep() const { return fontStep_; }
    // Forgets the node shown and the node being edited (after a delete or a new tree).
    void ForgetShownNode();

private:
    TPageInfo* SelectedRecord() const;
    // False when the page file could not be written.
    bool ShowPageFile(const std::string& html, uint32_t id);
    void ShowNodeStatus(const TPageInfo& record);
    void EndEditing();
    void Enable(ViewCommand command, bool enabled) { window_.SetCommandEnabled(command, enabled); }

    TTreeNodes& tree_;
    const BinderPaths& paths_;
    TSettings& settings_;
    IViewsWindow& window_;
    IBrowser& browser_;
    INotesPort* notes_ = nullptr;
    std::string startFolder_;
    std::string notAvailable_;
    ICaptureReports* progress_;

    int currentView_ = static_cast<int>(ViewPage::Summary);
    bool noteRequested_ = false;
    bool detailRequested_ = false;
    TTreeNode* editing_ = nullptr;
    // The note of the node being edited as its record held it before the edit was first
    // written into it; nothing until then.
    std::optional<std::string> editStartNote_;
    // The record last shown in the page browser, by id (never dereferenced).
    bool shownAny_ = false;
    uint32_t lastShownId_ = 0;
    int fontStep_ = DefaultZoomStep;
};
