#pragma once

// What the views controller asks of the views pane (IViewsWindow): its view pages, the commands
// it enables, the status panels, the summary browser and the detail view; and
// what the pane in turn asks of the window's other parts: the commands and their marks
// (IViewCommands) and the status panels (IStatusPanels).

#include <string>
#include <vector>

class TPageInfo;
class TTreeNode;

// The pages of the view control; the same numbers serve as the current view index.
enum class ViewPage : int { Summary = 0, Notes = 1, Browse = 2, Detail = 3 };
inline constexpr int ViewPageCount = 4;

// Commands, menus and controls the controller enables.
enum class ViewCommand {
    FileNewNode,
    FileNewFolder,
    FileImportVelmor,
    FileImportHtml,
    FileAppendNode,
    FileAppendFolder,
    ToolChangeURL1, // the menu entry
    ToolRefresh,
    FilePrint,
    ToolChangeURL,
    ToolSyncContent,
    FileSaveHtml,
    FileExportContent,
    EditCut1,
    EditCopy1,
    EditDelete1,
    RichEdit1,
    ViewSummary,
    ViewNote,
    ViewBrowser,
    ViewDetail,
    NavigateBack,    // the browse bar's back button
    NavigateForward, // its forward button
    Stop,            // its stop button
    Print,           // its print button
    TextSize,        // its text size button
    ApplyChange,
    CancelChange,
    Edit1,   // the Edit menu
    Browse1, // the Browse menu
    PageControl1,
    Count
};

// "<img "idx:1"> Downloading...", "Download stopped" and "<img "idx:1">  Online Mode".
inline constexpr const char* DownloadingStatus = "<img \"idx:1\"> Downloading...";
inline constexpr const char* DownloadStoppedStatus = "Download stopped";
inline constexpr const char* OnlineModeStatus = "<img \"idx:1\">  Online Mode";

class IViewsWindow {
public:
    virtual ~IViewsWindow() = default;

    virtual void SetCommandEnabled(ViewCommand command, bool enabled) = 0;
    virtual void SetPageVisible(ViewPage page, bool visible) = 0;
    // Makes the page the active one (its show handler then runs, as a click on its tab would).
    virtual void ActivatePage(ViewPage page) = 0;
    virtual ViewPage ActivePage() const = 0;
    // Marks the current view in the menus (the marker image), -1 for none.
    virtual void SetViewMark(int index) = 0;

    // Status panels 0 to 4; panel 3 also shows progress.
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetStatusProgress(int position) = 0;
    // The address box of the browse view.
    virtual void SetAddress(const std::string& url) = 0;
    // The download animation and the page browser's busy cursor.
    virtual void SetDownloadAnimation(bool running) = 0;

    // Builds and shows the node's summary in the summary browser.
    virtual void ShowNodeSummary(const TTreeNode& node) = 0;
    // The detail view: the page's hyperlinks and its source.
    virtual void ShowDetail(const std::vector<std::string>& links, const std::string& source) = 0;
    // Marks the binder as changed since it was saved.
    virtual void BinderChanged() = 0;
    // Captures the selected node's page again with default options.
    virtual void CaptureSelectedNode() = 0;
};

// The window's menus and buttons as the views see them.
class IViewCommands {
public:
    virtual ~IViewCommands() = default;
    virtual void SetCommandEnabled(ViewCommand command, bool enabled) = 0;
    // Marks the current view in the menus, -1 for none.
    virtual void SetViewMark(int index) = 0;
};

// The status bar as the views see it: a panel's text, or panel 3 as a progress bar.
class IStatusPanels {
public:
    virtual ~IStatusPanels() = default;
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetStatusProgress(int position) = 0;
};
