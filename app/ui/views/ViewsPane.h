#pragma once

// The right side of the main window: the view pages (PageControl1) with the summary browser,
// the notes editor's place, the page browser under its address box, and the detail view. The
// pane owns the views controller (TNodeViews) and carries out what it decides (IViewsWindow).
// It follows the binder tree: a new selection, a node whose record changed and a tree read
// anew or emptied are shown at once, and a node that goes is let go of before it is freed.

#include "app/ui/views/ViewsWindow.h"
#include "platform/base/TreeNode.h"

#include <QTabWidget>

#include <cstdint>
#include <memory>
#include <string>

class ICaptureReports;
class QComboBox;
class QPlainTextEdit;
class QTreeWidget;
class TBinderTree;
class TNodeViews;
class TSummaryTemplates;
class TWebBrowser;
struct BinderPaths;
struct TSettings;

class TViewsPane : public QTabWidget, public IViewsWindow, private ITreeNodesObserver {
    Q_OBJECT
public:
    // Everything must outlive the pane. `notAvailable` is the page shown for a web page
    // without stored content; long work shows its progress in the wait form of `progress`.
    TViewsPane(TBinderTree& binder, const BinderPaths& paths, TSettings& settings,
               IViewCommands& commands, IStatusPanels& status, ICaptureReports& progress,
               const std::string& startFolder, const std::string& notAvailable,
               QWidget* parent = nullptr);
    ~TViewsPane() override;

    // The common refresh: the selected node in every view, then Refreshed.
    void Refresh();

    TNodeViews& Views() { return *views_; }
    TWebBrowser& WebBrowser() { return *webBrowser_; }
    TWebBrowser& CppWebBrowser1() { return *cppWebBrowser1_; }
    // The notes page, which the notes editor fills.
    QWidget& TabSheet3() { return *tabSheet3_; }
    const QComboBox& ComboBox1() const { return *comboBox1_; }

    // The summary of a binder file of the binder list; `openNodeCount` is the open binder's.
    void ShowBinderSummary(const std::string& binderFile, const std::string& openBinderFile,
                           int64_t openNodeCount);
    // The summary browser shows an empty page.
    void ClearSummary();

    // ---- IViewsWindow ----
    void SetCommandEnabled(ViewCommand command, bool enabled) override;
    void SetPageVisible(ViewPage page, bool visible) override;
    void ActivatePage(ViewPage page) override;
    ViewPage ActivePage() const override;
    void SetViewMark(int index) override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetStatusProgress(int position) override;
    void SetAddress(const std::string& url) override;
    void SetDownloadAnimation(bool running) override;
    void ShowNodeSummary(const TTreeNode& node) override;
    void ShowDetail(const std::vector<std::string>& links, const std::string& source) override;
    void BinderChanged() override;
    void CaptureSelectedNode() override;

signals:
    // After every refresh and every capture started here: the window's commands follow.
    void Refreshed();
    // The notes page was shown, after the views' part of it.
    void NotesShown();
    // The page browser's busy animation starts (true) or stops.
    void DownloadAnimation(bool running);

private:
    void BuildPages();
    void ConnectPages();
    TSummaryTemplates& Summaries();
    // ---- ITreeNodesObserver ----
    void SelectionChanged(TTreeNode* node) override;
    void NodeDataChanged(TTreeNode* node) override;
    void NodeInserted(TTreeNode* node) override;
    void NodeRemoving(TTreeNode* node) override;
    void NodeRemoved() override;
    void NodeMoved(TTreeNode* node) override;
    void TreeClearing() override;
    void TreeCleared() override;
    void TreeUpdating() override;
    void TreeUpdated() override;

    TBinderTree& binder_;
    TSettings& settings_;
    IViewCommands& commands_;
    IStatusPanels& status_;
    QWidget* tabSheet3_ = nullptr;          // the notes
    TWebBrowser* cppWebBrowser1_ = nullptr; // the summary
    TWebBrowser* webBrowser_ = nullptr;     // the stored page
    QComboBox* comboBox1_ = nullptr;        // the page browser's address
    QPlainTextEdit* richEdit1_ = nullptr;   // the detail view's page source
    QTreeWidget* listView1_ = nullptr;      // and its hyperlinks
    std::unique_ptr<TSummaryTemplates> summaries_;
    std::unique_ptr<TNodeViews> views_;
    // A refresh selects a node itself at times: that selection is part of it.
    bool refreshing_ = false;
};
