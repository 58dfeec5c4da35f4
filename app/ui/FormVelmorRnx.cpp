#include "app/ui/FormVelmorRnx.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/NodeIds.h"
#include "app/binder/Scramble.h"
#include "app/binder/Settings.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/capture/CaptureFinished.h"
#include "app/ui/ApplicationErrors.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/NodeImages.h"
#include "app/ui/NotesPart.h"
#include "app/ui/PendingChangesSaver.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/StatusBarWriter.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/TreePane.h"
#include "app/ui/TreeSelection.h"
#include "app/ui/UtilityCommands.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/Files.h"
#include "platform/base/QtText.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"
#include "platform/shell/SharedMemory.h"
#include "platform/widgets/Control.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <utility>

namespace {

// The window's size as designed, used until bounds are stored.
constexpr int DesignWidth = 900;
constexpr int DesignHeight = 640;
constexpr int DesignLeftWidth = 240;
// Stored bounds smaller than this (a damaged settings file) would hide the window.
constexpr int MinimumWidth = 320;
constexpr int MinimumHeight = 240;

} // namespace

TFormVelmorRnx::TFormVelmorRnx(const TMainWindowParts& parts, QWidget* parent)
    : QMainWindow(parent), store_(parts.Store), settings_(parts.Settings), paths_(parts.Paths),
      queue_(parts.Queue) {
    setObjectName("FormVelmorRnx");
    setWindowTitle(ApplicationTitle);
    // The foreground lock time-out is a setting of the whole desktop: it is left alone.
    commandLine_ = ParseCommandLine(parts.Arguments);
    startFolder_ = parts.StartFolder;
    settings_.ResSaveDir = JoinPath(startFolder_, "resource");
    settings_.ListMode = 1;
    LoadSettings(store_, settings_);
    if (settings_.WorkDir.empty()) {
        settings_.WorkDir = startFolder_;
    }
    // No trace log is kept, so no log path is formed. The error page is stored scrambled;
    // without it the plain text stays.
    size_t size = 0;
    const std::string errorPage = JoinPath(startFolder_, "common/error.gif");
    if (const std::unique_ptr<char[]> page = ReadWholeFile(errorPage, &size); page && size) {
        pageNotAvailable_.assign(ScrambleBuffer(page.get(), ScrambleKey, size).get(), size);
    }

    // The parts that play the window's roles come first; the binder commands take them with the
    // side bar, which is built over the tree, in BuildForm.
    roles_ = std::make_unique<TWindowRoleParts>(*this);
    FillMainImages(images_);
    setWindowIcon(QIcon(QPixmap::fromImage(images_.Image(ImageClosedFolder))));
    actions_ = new TMainActions(*this, images_);
    roles_->Window.OnShowPageView = [this] { viewsPane_->ActivatePage(ViewPage::Browse); };
    roles_->Window.OnRestoreAndBringToFront = [this] {
        Restore();
        BringToFront();
    };
    roles_->Window.OnStoreTypedNotes = [this] { viewsPane_->Views().ApplyChangeExecute(); };
    binder_ = std::make_unique<TBinderTree>(parts.Queue, settings_, paths_);
    actions_->FollowBinder(binder_.get());
    roles_->Captures.SetRecords(binder_.get());
    ApplyStoredBounds();
    BuildForm();
    BindCommands();
    utilities_ = new TUtilityCommands(TUtilityParts{*this, *actions_, *binder_, viewsPane_->Views(),
                                                    roles_->Dialogs, settings_, paths_, parts.Queue,
                                                    [this] { ViewLeftSideBarExecute(); }});
    errors_ = new TApplicationErrors(*this, std::cerr);
    SetApplicationExceptionHandler([this](const std::exception& error) {
        errors_->Handle(error.what(), ApplicationExceptionRecurrence());
    });
    OnApplicationHint = [this](const std::string& hint) { statusBar_->ApplicationHint(hint); };
    tray_ = new TTrayIcon(*this, *this, windowIcon());
    connect(tray_, &TTrayIcon::OpenChosen, this, [this] {
        Restore();
        BringToFront();
    });
    connect(tray_, &TTrayIcon::ExitChosen, this, [this] { FileExitExecute(); });
    UpdateCommands();
}

TFormVelmorRnx::~TFormVelmorRnx() {
    qApp->removeEventFilter(this);
    SetApplicationExceptionHandler(nullptr);
    if (channel_ != nullptr && !closed_) {
        channel_->SetMessageHandler(nullptr);
    }
    if (treeCommands_) {
        treeCommands_->SetLifecycle(nullptr);
        treeCommands_->SetSelection(nullptr);
    }
    // The roles stop reaching the panes and the tree before these go.
    roles_->Window.OnShowPageView = nullptr;
    roles_->Window.OnStoreTypedNotes = nullptr;
    roles_->Captures.SetRecords(nullptr);
    // The actions outlive the tree (the window's children go last).
    actions_->FollowBinder(nullptr);
    // The notes editor goes before the page it is on, the panes before the tree they show.
    notes_.reset();
    delete splitter_;
}

// ---- building the form --------------------------------------------------------------------------

void TFormVelmorRnx::BuildForm() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(true);
    treePane_ = new TTreePane(*binder_, images_, splitter_);
    auto* central = new QWidget(this);
    statusBar_ = std::make_unique<TStatusBarWriter>(central, images_, width());
    viewsPane_ = new TViewsPane(*binder_, paths_, settings_, *actions_, *statusBar_,
                                roles_->Captures, startFolder_, pageNotAvailable_, splitter_);
    sideBar_ = std::make_unique<TSideBarPane>(TSideBarParts{
        treePane_->ShelfBar1(), treePane_->TreeView1(), *binder_, *viewsPane_, *actions_, settings_,
        store_, paths_, [this](const std::string& path) { OpenBinder(path); },
        [this] { TreeView1Click(); }});
    roles_->Binder.emplace(
        TBinderUiRoles{roles_->Messages, roles_->Dialogs, *actions_, *sideBar_, roles_->Window});
    treeCommands_ =
        std::make_unique<TBinderTreeCommands>(*roles_->Binder, *binder_, settings_, paths_);
    treeCommands_->SetSelection(&treePane_->Selection());
    pendingSaver_ = std::make_unique<TPendingChangesSaver>(
        *binder_, [this] { return roles_->Status.Holding(); });
    pendingSaver_->SetAlsoStore(
        [this] { return lifecycle_ == nullptr || lifecycle_->StoreTasks(); });
    actions_->AddToolsCommands({&sideBar_->Search(), &sideBar_->ClearSearch()});
    notes_ = std::make_unique<TNotesPart>(*binder_, *viewsPane_, *statusBar_, images_);
    actions_->SetEditMenu(notes_->Commands().EditMenu());
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({DesignLeftWidth, DesignWidth - DesignLeftWidth});

    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    centralLayout->addWidget(splitter_, 1);
    centralLayout->addWidget(&statusBar_->Bar());
    setCentralWidget(central);
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
}

// ---- creation, showing, closing -----------------------------------------------------------------

bool TFormVelmorRnx::FormCreate(InstanceChannel* channel) {
    channel_ = channel;
    if (channel_ != nullptr) {
        channel_->SetMessageHandler([this](const RegisteredMessage& message) {
            GuardEvent([&] { hook_.Receive(message); });
        });
    }
    // Requests that waited for a modal dialog run once it has closed.
    qApp->installEventFilter(this);
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
        QTimer::singleShot(0, this,
                           [this] { GuardEvent([this] { utilities_->TipsofTheDay1Click(); }); });
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
    FinishClosing();
    return true;
}

bool TFormVelmorRnx::EndQuietly() {
    if (closed_) {
        return true;
    }
    TEndingMessages& messages = roles_->Messages;
    messages.BeginEnding();
    bool written = true;
    try {
        if (lifecycle_ != nullptr) {
            written = lifecycle_->EndBinder();
        }
    } catch (const std::exception& error) {
        // Nobody could read a box now; the rest of the ending still has to happen.
        messages.ShowMessage(error.what());
        written = false;
    }
    FinishClosing();
    hide();
    return written && !messages.Told();
}

bool TFormVelmorRnx::KeepData() {
    if (closed_) {
        return true;
    }
    TEndingMessages& messages = roles_->Messages;
    bool written = false;
    const bool quiet = messages.Quietly([&] {
        try {
            written = pendingSaver_->SaveNow();
        } catch (const std::exception& error) {
            // Nobody is asked now: the error output says it.
            messages.ShowMessage(error.what());
        }
    });
    return written && quiet;
}

void TFormVelmorRnx::FinishClosing() {
    tray_->Remove();
    // No trace log is kept, so there is none to close.
    if (channel_ != nullptr) {
        channel_->SetMessageHandler(nullptr);
    }
    CloseSharedMemory();
    SaveSettings();
    DdeServerDone();
    closed_ = true;
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
    if (WorkBesideEventLoop()) {
        // A delete at work stands in the binder the close would take away.
        closeAfterWork_ = true;
        event->ignore();
        return;
    }
    bool closed = false;
    GuardEvent([&] { closed = FormClose(); });
    if (!closed) {
        event->ignore();
        return;
    }
    event->accept();
    emit FormClosed();
}

void TFormVelmorRnx::AfterWork() {
    GuardEvent([this] { hook_.ModalDialogClosed(); });
    if (std::exchange(closeAfterWork_, false)) {
        close();
    }
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
        GuardEvent([this] { FormShow(); });
    }
}

// ---- size, position and the notification area --------------------------------------------------

void TFormVelmorRnx::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    WMSize();
    if (statusBar_ != nullptr) {
        statusBar_->FormResize(width());
    }
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

void TFormVelmorRnx::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && HasTrayIcon()) {
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
    if (!sideBarShown_) {
        SetLeftPanelWidth(settings_.LeftWide > 1 ? settings_.LeftWide : DesignLeftWidth);
        treePane_->ShelfBar1().show();
        sideBarShown_ = true;
    } else {
        sideBarShown_ = false;
        treePane_->ShelfBar1().hide();
        settings_.LeftWide = LeftPanelWidth();
        SetLeftPanelWidth(1);
    }
    actions_->MarkSideBar(sideBarShown_);
}

// ---- messages -----------------------------------------------------------------------------------

void TFormVelmorRnx::Dispatch(const PostedMessage& message) {
    GuardEvent([&] {
        if (message.Msg == WM_TRAYICON) {
            OnTrayIconMessage(message.LParam);
        }
    });
}

void TFormVelmorRnx::OnTrayIconMessage(intptr_t mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        Restore();
        BringToFront();
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        tray_->Popup();
    }
}

bool TFormVelmorRnx::HasTrayIcon() const {
    return tray_ != nullptr && tray_->Present();
}

bool TFormVelmorRnx::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // A command's hint goes to the application's hint handler when there is one, else to
        // the controls that show hints themselves: the status bar with AutoHint on.
        GuardEvent([&] {
            const std::string hint = FromQ(static_cast<QStatusTipEvent*>(event)->tip());
            if (OnApplicationHint) {
                OnApplicationHint(hint);
            } else {
                statusBar_->Bar().ExecuteHintAction(hint);
            }
        });
        return true;
    }
    return QMainWindow::event(event);
}

bool TFormVelmorRnx::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->isModal()) {
            QTimer::singleShot(0, this,
                               [this] { GuardEvent([this] { hook_.ModalDialogClosed(); }); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
