// The main window's views as the views controller sees them (IViewsWindow): the view pages,
// the commands it enables, the status panels, the summary and page browsers and the detail
// view. What the views show for the selected node is decided by the controller; the window
// only carries it out.
#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"
#include "platform/base/QtText.h"
#include "app/ui/StatusRules.h"
#include "app/ui/views/NodeViews.h"
#include "platform/browser/WebBrowser.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// The text sizes of the page browser, "Smallest" (step 0) to "Largest" (step 4).
constexpr const char* TextSizeCaptions[ZoomStepCount] = {"Smallest", "Smaller", "Medium", "Larger",
                                                         "Largest"};

} // namespace

void TFormVelmorRnx::BuildViews() {
    views_ = std::make_unique<TNodeViews>(binder_->Items(), paths_, settings_, *this, *webBrowser_,
                                          startFolder_, pageNotAvailable_);
    // The summary is our own template filled with escaped values: it never needs the net.
    cppWebBrowser1_->SetOffline(true);
    const auto statusText = [this](const std::string& text) { WebBrowserStatusTextChange(text); };
    cppWebBrowser1_->OnStatusText = statusText;
    webBrowser_->OnStatusText = statusText;
    webBrowser_->OnProgress = [this](int progress, int maximum) {
        WebBrowserProgressChange(progress, maximum);
    };
    webBrowser_->OnNavigateComplete = [this](const std::string& url) {
        Guarded([&] { views_->WebBrowserNavigateComplete2(url); });
    };

    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        Guarded([&] {
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
            default:
                break; // the notes editor comes later
            }
        });
    });
    // A press on a tab comes before the page it shows.
    connect(pageControl_->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == static_cast<int>(ViewPage::Notes)) {
            views_->TabSheet3MouseDown();
        } else if (index == static_cast<int>(ViewPage::Detail)) {
            views_->TabSheet4MouseDown();
        }
    });
}

void TFormVelmorRnx::BuildBrowseMenu() {
    for (TMainAction action : {TMainAction::ViewSummary, TMainAction::ViewNote,
                               TMainAction::ViewBrowser, TMainAction::ViewDetail}) {
        Action(action)->setCheckable(true);
    }
    browse1_ = menuBar()->addMenu("&Browse");
    browse1_->setObjectName("Browse1");
    for (TMainAction action : {TMainAction::ToolButton4, TMainAction::ToolButton5,
                               TMainAction::ToolButton13, TMainAction::ToolRefresh}) {
        browse1_->addAction(Action(action));
    }
    browse1_->addSeparator();
    browse1_->addAction(Action(TMainAction::FilePrint));
    QMenu* sizes = browse1_->addMenu("Text &Size");
    sizes->setObjectName("ToolButton16");
    for (int step = 0; step < ZoomStepCount; ++step) {
        QAction* entry = sizes->addAction(TextSizeCaptions[step]);
        connect(entry, &QAction::triggered, this,
                [this, step] { Guarded([&] { views_->FontChangeExecute(step); }); });
    }
    browse1_->addAction(Action(TMainAction::ToolButton17));
    browse1_->setEnabled(false);
    for (TMainAction action :
         {TMainAction::ToolButton4, TMainAction::ToolButton5, TMainAction::ToolRefresh}) {
        Action(action)->setEnabled(false);
    }
}

// ---- IViewsWindow
// ---------------------------------------------------------------------------------

void TFormVelmorRnx::SetCommandEnabled(ViewCommand command, bool enabled) {
    static const std::map<ViewCommand, TMainAction> actions = {
        {ViewCommand::FileNewNode, TMainAction::FileNewNode},
        {ViewCommand::FileNewFolder, TMainAction::FileNewFolder},
        {ViewCommand::FileAppendNode, TMainAction::FileAppendNode},
        {ViewCommand::FileAppendFolder, TMainAction::FileAppendFolder},
        {ViewCommand::EditCut1, TMainAction::EditCut1},
        {ViewCommand::EditCopy1, TMainAction::EditCopy1},
        {ViewCommand::EditDelete1, TMainAction::EditDelete1},
        {ViewCommand::ToolRefresh, TMainAction::ToolRefresh},
        {ViewCommand::FilePrint, TMainAction::FilePrint},
        {ViewCommand::ToolButton15, TMainAction::FilePrint},
        {ViewCommand::ViewSummary, TMainAction::ViewSummary},
        {ViewCommand::ViewNote, TMainAction::ViewNote},
        {ViewCommand::ViewBrowser, TMainAction::ViewBrowser},
        {ViewCommand::ViewDetail, TMainAction::ViewDetail},
        {ViewCommand::ToolButton4, TMainAction::ToolButton4},
        {ViewCommand::ToolButton5, TMainAction::ToolButton5},
        {ViewCommand::ToolButton13, TMainAction::ToolButton13},
    };
    if (const auto found = actions.find(command); found != actions.end()) {
        Action(found->second)->setEnabled(enabled);
        return;
    }
    switch (command) {
    case ViewCommand::Browse1:
        browse1_->setEnabled(enabled);
        break;
    case ViewCommand::PageControl1:
        pageControl_->setEnabled(enabled);
        break;
    case ViewCommand::RichEdit1:
        richEdit1_->setEnabled(enabled);
        break;
    default:
        break; // not built yet
    }
}

void TFormVelmorRnx::SetPageVisible(ViewPage page, bool visible) {
    pageControl_->setTabVisible(static_cast<int>(page), visible);
}

void TFormVelmorRnx::ActivatePage(ViewPage page) {
    pageControl_->setCurrentIndex(static_cast<int>(page));
}

ViewPage TFormVelmorRnx::ActivePage() const {
    return static_cast<ViewPage>(pageControl_->currentIndex());
}

void TFormVelmorRnx::SetViewMark(int index) {
    const TMainAction views[ViewPageCount] = {TMainAction::ViewSummary, TMainAction::ViewNote,
                                              TMainAction::ViewBrowser, TMainAction::ViewDetail};
    for (int view = 0; view < ViewPageCount; ++view) {
        Action(views[view])->setChecked(view == index);
    }
}

void TFormVelmorRnx::SetStatusPanel(int panel, const std::string& text) {
    modifysb(panel, text, -1);
}

void TFormVelmorRnx::SetStatusProgress(int position) {
    modifysb(ProgressPanel, "", position);
}

void TFormVelmorRnx::SetAddress(const std::string&) {
    // The browse view has no address box yet.
}

void TFormVelmorRnx::SetDownloadAnimation(bool running) {
    if (running) {
        webBrowser_->setCursor(Qt::BusyCursor);
    } else {
        webBrowser_->unsetCursor();
    }
}

void TFormVelmorRnx::LoadNotes(const TPageInfo&) {
    // The notes editor is not built yet; the record's notes stay as they are.
}

void TFormVelmorRnx::SaveNotes(TPageInfo&) {
    // Nothing can have been typed, so the record's note bytes are left untouched.
}

void TFormVelmorRnx::ShowNodeSummary(const TTreeNode& node) {
    // The templates are read once per work folder.
    if (summaries_ == nullptr || summaries_->WorkDir() != settings_.WorkDir) {
        summaries_ = std::make_unique<TSummaryTemplates>(settings_.WorkDir);
    }
    cppWebBrowser1_->LoadHtml(NodeSummaryHtml(node, *summaries_),
                              SummaryCommonUrl(settings_.WorkDir));
}

void TFormVelmorRnx::ShowDetail(const std::vector<std::string>& links, const std::string& source) {
    richEdit1_->setPlainText(ToQ(source));
    listView1_->clear();
    for (const std::string& link : links) {
        new QTreeWidgetItem(listView1_, {ToQ(link)});
    }
}

void TFormVelmorRnx::BinderChanged() {
    binder_->BinderDirty = true;
}

void TFormVelmorRnx::CaptureSelectedNode() {
    binder_->CaptureSelectedNode(false, CaptureOptions{});
    UpdateCommands();
}

// ---- the selection and the views, handed to the controller
// ---------------------------------------

void TFormVelmorRnx::TreeView1Click() {
    views_->TreeView1Click();
    // What an open or closed binder allows comes last.
    UpdateCommands();
}

void TFormVelmorRnx::ApplyChangeExecute() {
    views_->ApplyChangeExecute();
}

void TFormVelmorRnx::ReflectNodeLabel(TTreeNode* node) {
    views_->ReflectNodeLabel(node);
}

void TFormVelmorRnx::ForgetShownNode() {
    views_->ForgetShownNode();
}

void TFormVelmorRnx::ShowPageView() {
    ActivatePage(ViewPage::Browse);
}

void TFormVelmorRnx::ToolButton13Click() {
    views_->ToolButton13Click();
}
