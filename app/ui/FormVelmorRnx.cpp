#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderLifecycle.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/Scramble.h"
#include "app/binder/NodeIds.h"
#include "app/binder/SummaryPages.h"
#include "app/binder/WholeFiles.h"
#include "app/capture/CaptureFinished.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/MainCaptureNotifier.h"
#include "app/ui/NodeImages.h"
#include "app/ui/Placeholders.h"
#include "platform/base/QtText.h"
#include "app/ui/StatusRules.h"
#include "app/ui/TreeNodesModel.h"
#include "app/ui/WaitForm.h"
#include "app/ui/views/NodeViews.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/Files.h"
#include "platform/browser/WebBrowser.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"
#include "platform/shell/SharedMemory.h"
#include "platform/widgets/Control.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

// The window's size as designed, used until bounds are stored.
constexpr int DesignWidth = 900;
constexpr int DesignHeight = 640;
constexpr int DesignLeftWidth = 240;
// Stored bounds smaller than this (a damaged settings file) would hide the window.
constexpr int MinimumWidth = 320;
constexpr int MinimumHeight = 240;
// Status panels 1 to 4; panel 0 takes what the window leaves.
constexpr int StatusPanelWidths[] = {110, 250, 100, 120};

constexpr char TrayTip[] = "Tarnwick - a page collection tool";

} // namespace

TFormVelmorRnx::TFormVelmorRnx(const TMainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent), store_(parts.Store), settings_(parts.Settings), paths_(parts.Paths),
      queue_(parts.Queue), capture_(parts.Capture) {
    setObjectName("FormVelmorRnx");
    setWindowTitle(ApplicationTitle);
    // The foreground lock time-out is a setting of the whole desktop: it is left alone.
    commandLine_ = ParseCommandLine(parts.Arguments);
    startFolder_ = parts.StartFolder;
    resourceFolder_ = JoinPath(startFolder_, "resource");
    settings_.ResSaveDir = resourceFolder_;
    settings_.ListMode = 1;
    LoadSettings(store_, settings_);
    if (settings_.WorkDir.empty()) {
        settings_.WorkDir = startFolder_;
    }
    // No trace log is kept, so no log path is formed.
    errorPagePath_ = JoinPath(startFolder_, "common/error.gif");
    // The error page is stored scrambled; without it the plain text stays.
    size_t size = 0;
    if (const std::unique_ptr<char[]> page = ReadWholeFile(errorPagePath_, &size); page && size) {
        pageNotAvailable_.assign(ScrambleBuffer(page.get(), ScrambleKey, size).get(), size);
    }

    binder_ = std::make_unique<TBinderTree>(*this, queue_, capture_, settings_, paths_);
    notifier_ = std::make_unique<TMainCaptureNotifier>(*this);
    FillMainImages(images_);
    setWindowIcon(QIcon(QPixmap::fromImage(images_.Image(ImageClosedFolder))));
    BuildForm();
    BuildActions();
    BuildMenus();
    BuildViews();
    ApplyStoredBounds();
    BuildStatusBar();
    SetApplicationExceptionHandler([this](const std::exception& error) { ShowException(error); });
    AddTrayIcon();
    UpdateCommands();
}

TFormVelmorRnx::~TFormVelmorRnx() {
    qApp->removeEventFilter(this);
    SetApplicationExceptionHandler(nullptr);
    if (channel_ != nullptr && !closed_) {
        channel_->SetMessageHandler(nullptr);
    }
    if (binder_) {
        binder_->SetLifecycle(nullptr);
    }
    // The browsers and the pages go quietly: nothing is shown while they are taken apart.
    pageControl_->tabBar()->disconnect(this);
    pageControl_->disconnect(this);
    webBrowser_->OnNavigateComplete = nullptr;
    webBrowser_->OnStatusText = nullptr;
    webBrowser_->OnProgress = nullptr;
    cppWebBrowser1_->OnStatusText = nullptr;
    // The view goes before the model it shows, the model before the nodes it observes.
    delete splitter_;
    treeModel_.reset();
}

// ---- building the form --------------------------------------------------------------------------

void TFormVelmorRnx::BuildForm() {
    treeModel_ = std::make_unique<TTreeNodesModel>(binder_->Items(), &images_);
    treeModel_->OnEdited = [this](TTreeNode* node, const std::string& text) {
        std::string label = node->Text();
        Guarded([&] { label = binder_->TreeView1Edited(node, text); });
        return label;
    };
    treeModel_->Marked = [this](const TTreeNode* node) {
        const std::vector<TTreeNode*> list = binder_->MultiSelection();
        return std::find(list.begin(), list.end(), node) != list.end();
    };
    treeModel_->OnSelectionChanging = [this] { binder_->TreeView1Changing(); };

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(true);
    panel1_ = new QWidget(splitter_);
    panel1_->setObjectName("Panel1");
    // The side bar will host the tree in its first panel; until it exists a plain widget
    // holds the tree in its place.
    shelfBar1_ = MakePlaceholder("ShelfBar1", panel1_);
    treeView_ = new TBinderTreeView(*binder_, *treeModel_, shelfBar1_);
    treeView_->OnClick = [this] { Guarded([this] { TreeView1Click(); }); };
    auto* shelfLayout = new QVBoxLayout(shelfBar1_);
    shelfLayout->setContentsMargins(0, 0, 0, 0);
    shelfLayout->addWidget(treeView_);
    auto* panelLayout = new QVBoxLayout(panel1_);
    panelLayout->setContentsMargins(0, 0, 1, 0);
    panelLayout->addWidget(shelfBar1_);

    // The views by page index: 0 summary, 1 notes, 2 browse, 3 detail.
    pageControl_ = new QTabWidget(splitter_);
    pageControl_->setObjectName("PageControl1");
    cppWebBrowser1_ = new TWebBrowser(nullptr, TWebBrowser::MenuMode::None);
    cppWebBrowser1_->setObjectName("CppWebBrowser1");
    pageControl_->addTab(cppWebBrowser1_, "Summary Infomation");
    pageControl_->addTab(MakePlaceholder("RichNoteEdit1", nullptr), "Edit Notes");
    webBrowser_ = new TWebBrowser(nullptr, TWebBrowser::MenuMode::Trimmed);
    webBrowser_->setObjectName("WebBrowser");
    pageControl_->addTab(webBrowser_, "Browse Locally");
    auto* detail = new QWidget;
    detail->setObjectName("TabSheet4");
    auto* detailLayout = new QVBoxLayout(detail);
    auto* label1 = new QLabel("Page Source", detail);
    richEdit1_ = new QPlainTextEdit(detail);
    richEdit1_->setObjectName("RichEdit1");
    richEdit1_->setReadOnly(true);
    auto* label2 = new QLabel("Link Info", detail);
    listView1_ = new QTreeWidget(detail);
    listView1_->setObjectName("ListView1");
    listView1_->setHeaderHidden(true);
    detailLayout->addWidget(label1);
    detailLayout->addWidget(richEdit1_, 2);
    detailLayout->addWidget(label2);
    detailLayout->addWidget(listView1_, 1);
    pageControl_->addTab(detail, "Detail Infomation");
    pageControl_->setCurrentIndex(static_cast<int>(ViewPage::Summary));

    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({DesignLeftWidth, DesignWidth - DesignLeftWidth});

    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    statusBar_ = new TMarkupStatusBar(central);
    statusBar_->setObjectName("MarkupStatusBar1");
    centralLayout->addWidget(splitter_, 1);
    centralLayout->addWidget(statusBar_);
    setCentralWidget(central);
}

void TFormVelmorRnx::BuildStatusBar() {
    statusBar_->SetImages(&images_);
    statusBar_->ShellOpen = [](const std::string& target) {
        QDesktopServices::openUrl(QUrl(ToQ(target)));
    };
    int others = 0;
    for (int width : StatusPanelWidths) {
        others += width;
    }
    panel0Width_ = width() - others;
    TMarkupStatusPanel& hints = statusBar_->Panels().Add();
    hints.SetStyle(TMarkupStatusPanelStyle::psHTML);
    hints.SetWidth(std::max(0, panel0Width_));
    for (int width : StatusPanelWidths) {
        TMarkupStatusPanel& panel = statusBar_->Panels().Add();
        panel.SetStyle(TMarkupStatusPanelStyle::psHTML);
        panel.SetWidth(width);
    }
    statusBar_->Loaded();
}

void TFormVelmorRnx::ApplyStoredBounds() {
    int width = std::max(settings_.Width.value_or(DesignWidth), MinimumWidth);
    int height = std::max(settings_.Height.value_or(DesignHeight), MinimumHeight);
    resize(width, height);
    if (settings_.Left && settings_.Top) {
        move(*settings_.Left, *settings_.Top);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width) / 2, area.top() + (area.height() - height) / 2);
    }
    lastSeenWidth_ = width;
}

// ---- notification area --------------------------------------------------------------------------

void TFormVelmorRnx::AddTrayIcon() {
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName("PopupMenu1");
    QAction* open3 = popupMenu1_->addAction("&Open");
    open3->setObjectName("Open3");
    connect(open3, &QAction::triggered, this, [this] {
        Restore();
        BringToFront();
    });
    QAction* exit2 = popupMenu1_->addAction("&Exit");
    exit2->setObjectName("Exit2");
    connect(exit2, &QAction::triggered, this, [this] { FileExitExecute(); });
    // Without a notification area the icon could not be reached, and a window hidden to it
    // could never come back.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    tray_ = std::make_unique<QSystemTrayIcon>(windowIcon());
    tray_->setToolTip(TrayTip);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    PostMessageTo(this, {WM_TRAYICON, 9, WM_LBUTTONDBLCLK, {}});
                } else if (reason == QSystemTrayIcon::Context) {
                    PostMessageTo(this, {WM_TRAYICON, 9, WM_RBUTTONDOWN, {}});
                }
            });
    tray_->show();
}

void TFormVelmorRnx::RemoveTrayIcon() {
    tray_.reset();
}

void TFormVelmorRnx::OnTrayIconMessage(intptr_t mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        Restore();
        BringToFront();
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        popupMenu1_->popup(QCursor::pos());
    }
}

// ---- creation, showing, closing -----------------------------------------------------------------

bool TFormVelmorRnx::FormCreate(InstanceChannel* channel) {
    channel_ = channel;
    if (channel_ != nullptr) {
        channel_->SetMessageHandler(
            [this](const RegisteredMessage& message) { Guarded([&] { hook_.Receive(message); }); });
    }
    // Requests that waited for a modal dialog run once it has closed.
    qApp->installEventFilter(this);
    // The notes editor's fonts and styles are set up by the editor itself.
    if (commandLine_.CmdNODDE && lifecycle_ != nullptr) {
        if (settings_.LastFile.empty()) {
            if (!OpenDefaultBinder()) {
                return false;
            }
        } else if (!lifecycle_->OpenBinder(settings_.LastFile)) {
            OpenDefaultBinder();
        }
    }
    if (settings_.LeftWide != -1) {
        SetLeftPanelWidth(settings_.LeftWide);
        // The toggle below shows the side bar when it was shown last time, else hides it.
        sideBarShown_ = !settings_.LeftEnabled;
        ViewLeftSideBarExecute();
    }
    SelectNodeById(binder_->Items(), settings_.LastNodeID);
    TreeView1Click();
    return true;
}

bool TFormVelmorRnx::OpenDefaultBinder() {
    // Creating a binder over an existing one empties it, so one that is there (the settings
    // were lost, or its last binder moved away) is only opened.
    const std::string file = JoinPath(startFolder_, "default.bdf");
    std::error_code error;
    if (!std::filesystem::exists(file, error) &&
        !lifecycle_->CreateBinder(startFolder_, "default", "My Default Binder", false)) {
        return false;
    }
    lifecycle_->OpenBinder(file);
    return true;
}

void TFormVelmorRnx::FormShow() {
    if (settings_.FormMax) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (commandLine_.CmdTIP && settings_.ShowTips) {
        // The tip form is modal: it runs once the window is on the screen.
        QTimer::singleShot(0, this, [this] {
            Guarded([this] {
                TForm1 tip(this);
                tip.CheckBox1->setChecked(settings_.ShowTips);
                tip.exec();
                settings_.ShowTips = tip.CheckBox1->isChecked();
            });
        });
    }
}

bool TFormVelmorRnx::FormClose() {
    if (settings_.AskBeforeClose) {
        closing_ = true;
        TForm5 confirm(this, "Are you sure to exit? ", &settings_.AskBeforeClose);
        const TModalResult answer = confirm.ShowModal();
        closing_ = false;
        if (answer != TModalResult::Ok) {
            return false;
        }
    }
    if (lifecycle_ != nullptr) {
        lifecycle_->CloseBinder();
        // A binder whose tree could not be written stays open (the user has been told why):
        // closing the window now would lose its changes.
        if (lifecycle_->BinderOpen()) {
            return false;
        }
    }
    RemoveTrayIcon();
    // No trace log is kept, so there is none to close.
    if (channel_ != nullptr) {
        channel_->SetMessageHandler(nullptr);
    }
    CloseSharedMemory();
    SaveSettings();
    DdeServerDone();
    closed_ = true;
    return true;
}

void TFormVelmorRnx::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    if (closing_) {
        event->ignore(); // the confirmation is open already
        return;
    }
    bool closed = false;
    Guarded([&] { closed = FormClose(); });
    if (!closed) {
        event->ignore();
        return;
    }
    event->accept();
    emit FormClosed();
}

void TFormVelmorRnx::SaveSettings() {
    settings_.FormMax = isMaximized();
    WMSize();
    settings_.LeftEnabled = sideBarShown_;
    if (sideBarShown_ && isVisible() && LeftPanelWidth() > 1) {
        settings_.LeftWide = LeftPanelWidth();
    }
    ::SaveSettings(store_, settings_);
}

void TFormVelmorRnx::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        Guarded([this] { FormShow(); });
    }
}

// ---- size, position and the notification area --------------------------------------------------

void TFormVelmorRnx::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    WMSize();
    FormResize();
}

void TFormVelmorRnx::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    WMSize();
}

void TFormVelmorRnx::WMSize() {
    // The bounds to restore: never those of a maximised or minimised window.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        return;
    }
    settings_.Left = x();
    settings_.Top = y();
    settings_.Width = width();
    settings_.Height = height();
}

void TFormVelmorRnx::FormResize() {
    if (lastSeenWidth_ != -1 && statusBar_ != nullptr && statusBar_->Panels().Count() > 0) {
        panel0Width_ -= lastSeenWidth_ - width();
        statusBar_->Panels()[HintPanel].SetWidth(std::max(0, panel0Width_));
    }
    lastSeenWidth_ = width();
}

void TFormVelmorRnx::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_ != nullptr) {
        // Minimised, the window leaves the task bar and is reached through its icon.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
            }
        });
    }
}

void TFormVelmorRnx::Restore() {
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    show();
}

void TFormVelmorRnx::BringToFront() {
    raise();
    activateWindow();
}

// ---- the side bar -------------------------------------------------------------------------------

int TFormVelmorRnx::LeftPanelWidth() const {
    return splitter_->sizes().value(0);
}

void TFormVelmorRnx::SetLeftPanelWidth(int width) {
    QList<int> sizes = splitter_->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), width + 1);
    splitter_->setSizes({width, total - width});
}

void TFormVelmorRnx::ViewLeftSideBarExecute() {
    QAction* viewBar = Action(TMainAction::ViewLeftSideBar);
    if (!sideBarShown_) {
        SetLeftPanelWidth(settings_.LeftWide > 1 ? settings_.LeftWide : DesignLeftWidth);
        shelfBar1_->show();
        sideBarShown_ = true;
    } else {
        sideBarShown_ = false;
        shelfBar1_->hide();
        settings_.LeftWide = LeftPanelWidth();
        SetLeftPanelWidth(1);
    }
    viewBar->setIcon(sideBarShown_ ? QIcon(QPixmap::fromImage(images_.Image(ImageViewMark)))
                                   : QIcon());
}

// ---- messages -----------------------------------------------------------------------------------

void TFormVelmorRnx::Dispatch(const PostedMessage& message) {
    Guarded([&] {
        switch (message.Msg) {
        case WM_TRAYICON:
            OnTrayIconMessage(message.LParam);
            break;
        case WM_CAPTUREDONE:
            OnCaptureFinished(*binder_, *this, static_cast<uint32_t>(message.LParam));
            break;
        case WM_OPENSTATUSFORM:
            OpenStatusForm(message.Text);
            break;
        case WM_CLOSESTATUSFORM:
            CloseStatusForm();
            break;
        case WM_MODIFYSB:
            modifysb(static_cast<int>(message.WParam), message.Text,
                     static_cast<int>(message.LParam));
            break;
        default:
            break;
        }
    });
}

bool TFormVelmorRnx::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        Guarded([&] { ApplicationHint(FromQ(static_cast<QStatusTipEvent*>(event)->tip())); });
        return true;
    }
    return QMainWindow::event(event);
}

bool TFormVelmorRnx::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->isModal()) {
            QTimer::singleShot(0, this, [this] { Guarded([this] { hook_.ModalDialogClosed(); }); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormVelmorRnx::ShowException(const std::exception& error) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, ToQ(error.what()), QMessageBox::Ok,
                    this);
    box.exec();
}
