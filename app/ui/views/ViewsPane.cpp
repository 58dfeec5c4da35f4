#include "app/ui/views/ViewsPane.h"

#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/SummaryPages.h"
#include "app/binder/TreeCommands.h"
#include "app/ui/views/NodeViews.h"
#include "platform/base/QtText.h"
#include "platform/browser/WebBrowser.h"
#include "platform/widgets/Control.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Clears a flag however the scope is left.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace

TViewsPane::TViewsPane(TBinderTree& binder, const BinderPaths& paths, TSettings& settings,
                       IViewCommands& commands, IStatusPanels& status, ICaptureReports& progress,
                       const std::string& startFolder, const std::string& notAvailable,
                       QWidget* parent)
    : QTabWidget(parent), binder_(binder), settings_(settings), commands_(commands),
      status_(status) {
    setObjectName("PageControl1");
    BuildPages();
    views_ = std::make_unique<TNodeViews>(binder_.Items(), paths, settings_, *this, *webBrowser_,
                                          startFolder, notAvailable, &progress);
    ConnectPages();
    binder_.Items().AddObserver(this);
}

TViewsPane::~TViewsPane() {
    binder_.Items().RemoveObserver(this);
    // The pages go quietly: nothing is shown while they are taken apart.
    tabBar()->disconnect(this);
    disconnect(this);
    webBrowser_->OnNavigateComplete = nullptr;
    webBrowser_->OnStatusText = nullptr;
    webBrowser_->OnProgress = nullptr;
    cppWebBrowser1_->OnStatusText = nullptr;
}

// The views by page index: 0 summary, 1 notes, 2 browse, 3 detail.
void TViewsPane::BuildPages() {
    cppWebBrowser1_ = new TWebBrowser(nullptr, TWebBrowser::MenuMode::None);
    cppWebBrowser1_->setObjectName("CppWebBrowser1");
    // The summary is our own template filled with escaped values: it never needs the net.
    cppWebBrowser1_->SetOffline(true);
    addTab(cppWebBrowser1_, "Summary Infomation");

    tabSheet3_ = new QWidget;
    tabSheet3_->setObjectName("TabSheet3");
    addTab(tabSheet3_, "Edit Notes");

    auto* browse = new QWidget;
    browse->setObjectName("TabSheet1");
    auto* browseLayout = new QVBoxLayout(browse);
    browseLayout->setContentsMargins(0, 0, 0, 0);
    browseLayout->setSpacing(2);
    comboBox1_ = new QComboBox(browse);
    comboBox1_->setObjectName("ComboBox1");
    // The address of the page shown; the views set it, typing in it goes nowhere.
    comboBox1_->setEditable(true);
    comboBox1_->lineEdit()->setReadOnly(true);
    webBrowser_ = new TWebBrowser(browse, TWebBrowser::MenuMode::Trimmed);
    webBrowser_->setObjectName("WebBrowser");
    browseLayout->addWidget(comboBox1_);
    browseLayout->addWidget(webBrowser_, 1);
    addTab(browse, "Browse Locally");

    auto* detail = new QWidget;
    detail->setObjectName("TabSheet4");
    auto* detailLayout = new QVBoxLayout(detail);
    richEdit1_ = new QPlainTextEdit(detail);
    richEdit1_->setObjectName("RichEdit1");
    richEdit1_->setReadOnly(true);
    listView1_ = new QTreeWidget(detail);
    listView1_->setObjectName("ListView1");
    listView1_->setHeaderHidden(true);
    detailLayout->addWidget(new QLabel("Page Source", detail));
    detailLayout->addWidget(richEdit1_, 2);
    detailLayout->addWidget(new QLabel("Link Info", detail));
    detailLayout->addWidget(listView1_, 1);
    addTab(detail, "Detail Infomation");
    setCurrentIndex(static_cast<int>(ViewPage::Summary));
}

void TViewsPane::ConnectPages() {
    webBrowser_->OnNavigateComplete = [this](const std::string& url) {
        GuardEvent([&] { views_->WebBrowserNavigateComplete2(url); });
    };
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        GuardEvent([&] {
            switch (static_cast<ViewPage>(index)) {
            case ViewPage::Summary:
                views_->TabSheet2Show();
                break;
            case ViewPage::Browse:
                views_->TabSheet1Show();
                break;
            case ViewPage::Detail:
                views_->TabSheet4Show();
                break;
            case ViewPage::Notes:
                views_->TabSheet3Show();
                emit NotesShown();
                break;
            }
        });
    });
    // A press on a tab comes before the page it shows.
    connect(tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == static_cast<int>(ViewPage::Notes)) {
            views_->TabSheet3MouseDown();
        } else if (index == static_cast<int>(ViewPage::Detail)) {
            views_->TabSheet4MouseDown();
        }
    });
}

void TViewsPane::Refresh() {
    if (refreshing_) {
        return;
    }
    {
        TFlagScope scope(refreshing_);
        views_->TreeView1Click();
    }
    emit Refreshed();
}

// ---- following the tree -------------------------------------------------------------------------

void TViewsPane::SelectionChanged(TTreeNode* node) {
    // No selection: a node or the whole tree is going, and the refresh, which selects the
    // first node, waits until it has gone.
    if (node != nullptr) {
        GuardEvent([this] { Refresh(); });
    }
}

void TViewsPane::NodeDataChanged(TTreeNode* node) {
    if (refreshing_) {
        return;
    }
    if (node == nullptr || node == binder_.Selected()) {
        GuardEvent([this] { Refresh(); });
    } else if (const TPageInfo* record = NodeRecord(node)) {
        node->SetText(NodeLabel(*record, settings_.ListMode));
    }
}

void TViewsPane::NodeInserted(TTreeNode*) {
    // Pages a capture adds beside the shown node change the count, and a node put before it
    // its position.
    if (!refreshing_) {
        views_->ShowNodePosition();
    }
}

void TViewsPane::NodeRemoving(TTreeNode*) {
    // The node being edited or shown may be the one that goes, or lie below it.
    views_->ForgetShownNode();
}

void TViewsPane::NodeRemoved() {
    if (binder_.Selected() == nullptr) {
        GuardEvent([this] { Refresh(); });
    } else if (!refreshing_) {
        views_->ShowNodePosition();
    }
}

void TViewsPane::NodeMoved(TTreeNode*) {
    if (!refreshing_) {
        views_->ShowNodePosition();
    }
}

void TViewsPane::TreeClearing() {
    views_->ForgetShownNode();
}

void TViewsPane::TreeCleared() {
    GuardEvent([this] { Refresh(); });
}

void TViewsPane::TreeUpdating() {
    // A note being typed goes to its node first: the node is still there now, and an import
    // that adds nodes in a batch must not throw the typing away.
    views_->ApplyChangeExecute();
    views_->ForgetShownNode(); // any node may go meanwhile
}

void TViewsPane::TreeUpdated() {
    GuardEvent([this] { Refresh(); });
}

// ---- IViewsWindow -------------------------------------------------------------------------------

void TViewsPane::SetCommandEnabled(ViewCommand command, bool enabled) {
    switch (command) {
    case ViewCommand::PageControl1:
        setEnabled(enabled);
        break;
    case ViewCommand::RichEdit1:
        richEdit1_->setEnabled(enabled);
        break;
    default:
        commands_.SetCommandEnabled(command, enabled);
        break;
    }
}

void TViewsPane::SetPageVisible(ViewPage page, bool visible) {
    setTabVisible(static_cast<int>(page), visible);
}

void TViewsPane::ActivatePage(ViewPage page) {
    setCurrentIndex(static_cast<int>(page));
}

ViewPage TViewsPane::ActivePage() const {
    return static_cast<ViewPage>(currentIndex());
}

void TViewsPane::SetViewMark(int index) {
    commands_.SetViewMark(index);
}

void TViewsPane::SetStatusPanel(int panel, const std::string& text) {
    status_.SetStatusPanel(panel, text);
}

void TViewsPane::SetStatusProgress(int position) {
    status_.SetStatusProgress(position);
}

void TViewsPane::SetAddress(const std::string& url) {
    comboBox1_->setEditText(ToQ(url));
}

void TViewsPane::SetDownloadAnimation(bool running) {
    if (running) {
        webBrowser_->setCursor(Qt::BusyCursor);
    } else {
        webBrowser_->unsetCursor();
    }
    emit DownloadAnimation(running);
}

TSummaryTemplates& TViewsPane::Summaries() {
    // The templates are read once per work folder.
    if (summaries_ == nullptr || summaries_->WorkDir() != settings_.WorkDir) {
        summaries_ = std::make_unique<TSummaryTemplates>(settings_.WorkDir);
    }
    return *summaries_;
}

void TViewsPane::ShowNodeSummary(const TTreeNode& node) {
    cppWebBrowser1_->LoadHtml(NodeSummaryHtml(node, Summaries()),
                              SummaryCommonUrl(settings_.WorkDir));
}

void TViewsPane::ShowBinderSummary(const std::string& binderFile, const std::string& openBinderFile,
                                   int64_t openNodeCount) {
    BinderSummary summary;
    if (!ReadBinderSummary(binderFile, openBinderFile, openNodeCount, summary)) {
        // A binder that can no longer be read shows nothing rather than stale figures.
        ClearSummary();
        return;
    }
    cppWebBrowser1_->LoadHtml(
        BinderSummaryHtml(summary, settings_.WorkDir, Summaries().Template(SummaryKind::Binder)),
        SummaryCommonUrl(settings_.WorkDir));
}

void TViewsPane::ClearSummary() {
    cppWebBrowser1_->LoadHtml("", "");
}

void TViewsPane::ShowDetail(const std::vector<std::string>& links, const std::string& source) {
    richEdit1_->setPlainText(ToQ(source));
    listView1_->clear();
    for (const std::string& link : links) {
        new QTreeWidgetItem(listView1_, {ToQ(link)});
    }
}

void TViewsPane::BinderChanged() {
    binder_.BinderDirty = true;
}

void TViewsPane::CaptureSelectedNode() {
    binder_.CaptureSelectedNode(false, CaptureOptions{});
    emit Refreshed();
}
