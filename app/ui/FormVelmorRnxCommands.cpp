// The main window's commands: what the menus, buttons, the tree and the views' signals run,
// the handlers the rest of the program calls, and which commands are enabled.
#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderTree.h"
#include "app/binder/CaptureOptions.h"
#include "app/binder/ExportContext.h"
#include "app/binder/PageInfo.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/binder/commands/ChmCommands.h"
#include "app/binder/commands/ExchangeCommands.h"
#include "app/binder/commands/HtmlCommands.h"
#include "app/binder/commands/UrlListCommands.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/NotesPart.h"
#include "app/ui/StatusBarWriter.h"
#include "app/ui/TreePane.h"
#include "app/ui/UtilityCommands.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"
#include "platform/browser/WebBrowser.h"
#include "platform/widgets/Control.h"

#include <QAction>
#include <QApplication>
#include <QShortcut>

#include <algorithm>

void TFormVelmorRnx::BindCommands() {
    const auto bind = [this](TMainAction action, auto command) {
        connect(actions_->Action(action), &QAction::triggered, this, [this, command] {
            GuardEvent([&] {
                command();
                UpdateCommands();
            });
        });
    };
    const auto lifecycle = [this](auto command) {
        return [this, command] {
            if (lifecycle_ != nullptr) {
                command(*lifecycle_);
            }
        };
    };
    TNodeViews& views = viewsPane_->Views();
    bind(TMainAction::FileNewBinder,
         lifecycle([](IBinderLifecycle& binder) { binder.FileNewBinderExecute(); }));
    bind(TMainAction::FileOpenBinder,
         lifecycle([](IBinderLifecycle& binder) { binder.FileOpenBinderExecute(); }));
    bind(TMainAction::FileCloseBinder,
         lifecycle([](IBinderLifecycle& binder) { binder.CloseBinder(); }));
    bind(TMainAction::FileExit, [this] { FileExitExecute(); });
    bind(TMainAction::FileNewFolder, [this] { treeCommands_->FileNewFolderExecute(); });
    bind(TMainAction::FileAppendFolder, [this] { treeCommands_->FileAppendFolderExecute(); });
    bind(TMainAction::FileNewNode, [this] {
        roles_->AddRequests.Run({"", "", "", -1, TInsertMode::Child});
    });
    bind(TMainAction::FileAppendNode, [this] {
        roles_->AddRequests.Run({"", "", "", -1, TInsertMode::Sibling});
    });
    bind(TMainAction::EditCut1, [this] { treeCommands_->EditCut1Execute(); });
    bind(TMainAction::EditCopy1, [this] { treeCommands_->EditCopy1Execute(); });
    bind(TMainAction::EditPaste1, [this] { treeCommands_->EditPaste1Execute(); });
    bind(TMainAction::ToolButton11, [this] { treeCommands_->EditPaste1Execute(); });
    bind(TMainAction::EditDelete1, [this] { treeCommands_->EditDelete1Execute(); });
    bind(TMainAction::Rename1, [this] { treeCommands_->Rename1Click(); });
    bind(TMainAction::ExpandTree, [this] { treeCommands_->ExpandTreeExecute(); });
    bind(TMainAction::CollapseTree, [this] { treeCommands_->CollapseTreeExecute(); });
    bind(TMainAction::ToolCapture, [this] {
        if (GetNodeKind(binder_->Selected()) == NodeKind::WebPage) {
            binder_->CaptureSelectedNode(false, CaptureOptions{});
            TreeView1Click();
        }
    });
    bind(TMainAction::ToolButton13, [this] { ToolButton13Click(); });
    bind(TMainAction::ViewLeftSideBar, [this] { ViewLeftSideBarExecute(); });
    bind(TMainAction::ViewSummary, [&views] { views.ViewSummaryExecute(); });
    bind(TMainAction::ViewNote, [&views] { views.ViewNoteExecute(); });
    bind(TMainAction::ViewBrowser, [&views] { views.ViewBrowserExecute(); });
    bind(TMainAction::ViewDetail, [&views] { views.ViewDetailExecute(); });
    bind(TMainAction::ToolButton4, [&views] { views.NavigateBack(); });
    bind(TMainAction::ToolButton5, [&views] { views.NavigateForward(); });
    bind(TMainAction::ToolRefresh, [&views] { views.Refresh(); });
    bind(TMainAction::FilePrint, [&views] { views.Print(); });
    bind(TMainAction::ToolButton17, [&views] { views.Find(); });
    bind(TMainAction::OtherChanged, [&views] { views.OtherChangedExecut(); });
    bind(TMainAction::ApplyChange, [&views] { views.ApplyChangeExecute(); });
    bind(TMainAction::CancelChange, [&views] { views.CancelChangeExecute(); });
    bind(TMainAction::SpeedButton4, [this] {
        if (const TTreeNode* node = binder_->Selected()) {
            SelectNodeByIndex(node->AbsoluteIndex() + 1);
        }
    });
    bind(TMainAction::SpeedButton5, [this] {
        if (const TTreeNode* node = binder_->Selected()) {
            SelectNodeByIndex(node->AbsoluteIndex() - 1);
        }
    });

    // The exports and imports see the open binder through one context; without a capture
    // engine (never in the program) they do not run.
    const auto exporting = [this](auto command) {
        return [this, command] {
            if (capture_ != nullptr) {
                ExportContext context{*binder_, paths_, settings_, queue_, *capture_};
                command(context, roles_->Exports);
            }
        };
    };
    bind(TMainAction::FileExportAll, exporting(FileExportAllExecute));
    bind(TMainAction::FileExportContent, exporting(FileExportContentExecute));
    bind(TMainAction::FileImportVelmor, exporting(FileImportVelmorExecute));
    bind(TMainAction::FileSaveHtml, exporting(FileSaveHtmlExecute));
    bind(TMainAction::FileSaveHtmlAll, exporting(FileSaveHtmlAllExecute));
    bind(TMainAction::FileImportHtml, exporting(FileImportHtmlExecute));
    bind(TMainAction::ToolSyncContent,
         exporting([](ExportContext& context, IExportUi&) { ToolSyncContentExecute(context); }));
    bind(TMainAction::FileExportList, exporting(FileExportListExecute));
    bind(TMainAction::FileExportListall, exporting(FileExportListallExecute));
    bind(TMainAction::FileExportCHM, exporting([](ExportContext& context, IExportUi& ui) {
             FileExportCHMExecute(context, ui);
         }));
    connect(actions_, &TMainActions::TextSizeChosen, this,
            [&views](int step) { GuardEvent([&] { views.TextSize(step); }); });
    connect(actions_, &TMainActions::RecentChosen, this, [this](const std::string& caption) {
        GuardEvent([&] {
            if (lifecycle_ != nullptr) {
                lifecycle_->FileOpenRecentExecute(caption);
            }
            UpdateCommands();
        });
    });

    // The tree: a click refreshes, the Delete key runs the delete command while the tree has
    // the focus (not while its label is edited in place: the editor has it then).
    TBinderTreeView& tree = treePane_->TreeView1();
    tree.OnClick = [this] { GuardEvent([this] { TreeView1Click(); }); };
    // The key alone: the standard Delete binding also holds Ctrl+D here, which opens the
    // download manager.
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), &tree);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (QAction* command = actions_->Action(TMainAction::EditDelete1); command->isEnabled()) {
            command->trigger();
        }
    });

    // The views report their state; the browsers feed the status bar.
    connect(viewsPane_, &TViewsPane::Refreshed, this, [this] { UpdateCommands(); });
    connect(viewsPane_, &TViewsPane::DownloadAnimation, actions_, &TMainActions::SetAnimation);
    const auto statusText = [this](const std::string& text) {
        statusBar_->WebBrowserStatusTextChange(text);
    };
    viewsPane_->CppWebBrowser1().OnStatusText = statusText;
    viewsPane_->WebBrowser().OnStatusText = statusText;
    viewsPane_->WebBrowser().OnProgress = [this](int progress, int maximum) {
        statusBar_->WebBrowserProgressChange(progress, maximum);
    };
}

void TFormVelmorRnx::UpdateCommands() {
    actions_->UpdateCommands(lifecycle_ != nullptr && lifecycle_->BinderOpen(),
                             binder_->Selected());
}

void TFormVelmorRnx::SetLifecycle(IBinderLifecycle* lifecycle) {
    lifecycle_ = lifecycle;
    treeCommands_->SetLifecycle(lifecycle);
    roles_->AddRequests.SetLifecycle(
        lifecycle,
        TAddItemHostParts{*treeCommands_, paths_, store_, roles_->Dialogs, roles_->Dialogs,
                          [this] { return roles_->Exports.LastDialogDir(); }},
        [this] { UpdateCommands(); });
    utilities_->SetLifecycle(lifecycle);
    UpdateCommands();
}

void TFormVelmorRnx::SetCaptureStarter(ICaptureStarter* capture) {
    capture_ = capture;
    binder_->SetCaptureStarter(capture);
    roles_->Status.SetCaptureStarter(capture);
}

// ---- handlers -----------------------------------------------------------------------------------

void TFormVelmorRnx::TreeView1Click() {
    viewsPane_->Refresh();
}

void TFormVelmorRnx::ToolButton13Click() {
    viewsPane_->Views().Stop();
}

void TFormVelmorRnx::SelectNodeByIndex(int index) {
    TTreeNodes& nodes = binder_->Items();
    if (nodes.Count() == 0) {
        return;
    }
    nodes.SetSelected(nodes.Item(std::clamp(index, 0, nodes.Count() - 1)));
    TreeView1Click();
}

void TFormVelmorRnx::modifysb(int panel, const std::string& text, int progress) {
    statusBar_->modifysb(panel, text, progress);
}

// ---- the notes editor ---------------------------------------------------------------------------

void TFormVelmorRnx::RSaveExecute() {
    notes_->Commands().RSaveExecute();
}

void TFormVelmorRnx::RPirntPreviewExecute() {
    notes_->Commands().RPirntPreviewExecute();
}

void TFormVelmorRnx::TabSheet3Show() {
    viewsPane_->Views().TabSheet3Show();
    notes_->Commands().TabSheet3Show();
}

// ---- requests of other programs -----------------------------------------------------------------

void TFormVelmorRnx::AddNode(const std::string& url, const std::string& info,
                             const std::string& html, int treeMode, int dialogMode) {
    const TInsertMode mode = treeMode == 1 ? TInsertMode::Sibling : TInsertMode::Child;
    roles_->AddRequests.Run({url, info, html, dialogMode, mode});
}

void TFormVelmorRnx::OpenBinder(const std::string& path) {
    if (lifecycle_ != nullptr) {
        lifecycle_->OpenBinder(path);
    }
    UpdateCommands();
}

bool TFormVelmorRnx::ModalDialogOpen() const {
    return QApplication::activeModalWidget() != nullptr;
}
