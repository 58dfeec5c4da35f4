// The parts that play what the binder code, the exports and the captures ask of the main window,
// wired as the window wires them but around a plain main window, with no TFormVelmorRnx: the
// binder's questions stand over their owner, a capture's end reaches the binder's records from
// a worker, the wait form answers the status calls, and an add request shows its dialog with the
// exports' last folder.
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/ConfirmDlg.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/MainActions.h"
#include "app/ui/NodeImages.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/dialogs/UnitLocation.h"
#include "platform/base/MemorySettingsStore.h"
#include "platform/base/QtText.h"
#include "platform/graphics/ImageList.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeBinderLifecycle.h"
#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

// The role parts and the binder tree over them, as the window builds them.
struct RoleRig {
    RoleRig() {
        FillMainImages(images);
        actions = std::make_unique<TMainActions>(owner, images);
        roles.Window.OnShowPageView = [this] { acts.push_back("ShowPageView"); };
        roles.Window.OnStoreTypedNotes = [this] { acts.push_back("StoreTypedNotes"); };
        roles.Binder.emplace(
            TBinderUiRoles{roles.Dialogs, roles.Dialogs, *actions, sideBar, roles.Window});
        binder = std::make_unique<TBinderTree>(queue, settings, paths);
        commands = std::make_unique<TBinderTreeCommands>(*roles.Binder, *binder, settings, paths);
        roles.Captures.SetRecords(binder.get());
        roles.Status.SetForm(&form4);
        paths.BinderRoot = folder.Str();
    }
    ~RoleRig() {
        roles.Captures.SetRecords(nullptr);
        roles.Status.SetForm(nullptr);
    }

    TTreeNode* Add(NodeKind kind, const std::string& title) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = kind;
        record->Title = title;
        return binder->Items().AddChildObject(nullptr, title, std::move(record));
    }

    ScopedEventLoopInvoker invoker;
    TempDir folder;
    QMainWindow owner;
    TImageList images;
    std::unique_ptr<TMainActions> actions;
    TWindowRoleParts roles{owner};
    FakeBinderWindow sideBar; // shows the tree panel
    std::vector<std::string> acts;
    FakeTaskQueue queue;
    TSettings settings;
    BinderPaths paths;
    MemorySettingsStore store;
    std::unique_ptr<TBinderTree> binder;
    std::unique_ptr<TBinderTreeCommands> commands;
    TForm4 form4;
};

bool AnyMainWindow() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<TFormVelmorRnx*>(top) != nullptr) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(WindowRoles, TheBinderCommandsAskThroughThePartsWithoutAWindow) {
    RoleRig rig;
    ASSERT_FALSE(AnyMainWindow());
    TTreeNode* node = rig.Add(NodeKind::Folder, "a");
    rig.binder->Items().SetSelected(node);
    rig.settings.AskBeforeDelete = true;

    // With the tree panel open the delete command asks, over the owner, and Cancel keeps the
    // node.
    QWidget* parent = nullptr;
    std::string question;
    WhenModalIs<TForm5>([&](TForm5* dialog) {
        parent = dialog->parentWidget();
        if (const auto* label = dialog->findChild<QLabel*>()) {
            question = FromQ(label->text());
        }
        dialog->reject();
    });
    rig.commands->EditDelete1Execute();
    EXPECT_EQ(parent, &rig.owner);
    EXPECT_EQ(question, "Are you sure to delete node ? ");
    EXPECT_EQ(rig.binder->Items().Count(), 1);
    EXPECT_TRUE(rig.acts.empty());

    // OK deletes it, after the typed notes were stored through the window's acts.
    WhenModalIs<TForm5>([](TForm5* dialog) { dialog->accept(); });
    rig.commands->EditDelete1Execute();
    EXPECT_EQ(rig.binder->Items().Count(), 0);
    EXPECT_EQ(rig.acts, std::vector<std::string>{"StoreTypedNotes"});

    // The commands role is the commands part: the caption is the owner's.
    rig.roles.Binder->Commands.SetCaption("Tarnwick - roles");
    EXPECT_EQ(rig.owner.windowTitle(), "Tarnwick - roles");
}

TEST(WindowRoles, CapturesAndTheWaitFormReportWithoutAWindow) {
    RoleRig rig;
    ASSERT_FALSE(AnyMainWindow());
    TPageInfo* record = NodeRecord(rig.Add(NodeKind::WebPage, "p"));
    record->Content.FetchedText = "<html></html>";

    // A capture's end from a worker is entered into the binder's records on the main thread.
    TCapturePort& port = rig.roles.Captures.Port();
    std::thread([&] { port.CaptureDone(record->Id); }).join();
    EXPECT_EQ(record->State, CaptureState::Unfinished);
    ASSERT_TRUE(WaitUntil([&] { return record->State == CaptureState::Completed; }));
    EXPECT_TRUE(rig.binder->BinderDirty);

    // The binder's status calls, from a worker too, reach the wait form.
    std::thread([&] { rig.roles.Binder->Messages.OpenStatusForm("Saving"); }).join();
    ASSERT_TRUE(WaitUntil([&] { return rig.form4.isVisible(); }));
    EXPECT_EQ(rig.form4.windowTitle(), "Saving");
    rig.roles.Binder->Messages.CloseStatusForm();
    EXPECT_FALSE(rig.form4.isVisible());

    // The exports' port holds the same form, with Cancel.
    TExportPort& exports = rig.roles.Exports;
    exports.OpenWaitForm("Compiling", true);
    EXPECT_TRUE(rig.form4.isVisible());
    EXPECT_EQ(rig.form4.windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(exports.StatusCancelled());
    exports.CloseStatusForm();
    EXPECT_FALSE(rig.form4.isVisible());
}

TEST(WindowRoles, AnAddRequestShowsItsDialogOverTheOwnerWithTheExportsFolder) {
    RoleRig rig;
    ASSERT_FALSE(AnyMainWindow());
    FakeBinderLifecycle lifecycle;
    int added = 0;
    TWindowRoleParts& roles = rig.roles;
    roles.AddRequests.SetLifecycle(
        &lifecycle,
        TAddItemHostParts{*rig.commands, rig.paths, rig.store, roles.Dialogs, roles.Dialogs,
                          [&roles] { return roles.Exports.LastDialogDir(); }},
        [&] { ++added; });
    roles.Exports.SetLastDialogDir("/exports/last");

    const TAddItemRequest request{"http://a.example/", "A", "", 4, TInsertMode::Child};
    QWidget* parent = nullptr;
    std::string lastDir;
    TAddItemRequest current;
    WhenModalIs<TFormLoc>([&](TFormLoc* dialog) {
        parent = dialog->parentWidget();
        lastDir = roles.AddRequests.Host()->LastDialogDir();
        current = roles.AddRequests.Current();
        dialog->reject();
    });
    roles.AddRequests.Run(request);
    EXPECT_EQ(parent, &rig.owner);
    EXPECT_EQ(lastDir, "/exports/last");
    EXPECT_EQ(current, request);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(rig.binder->Items().Count(), 0); // cancelled

    // Without a lifecycle there is no host, and the dialogs part makes no Add Item dialog.
    roles.AddRequests.SetLifecycle(
        nullptr,
        TAddItemHostParts{*rig.commands, rig.paths, rig.store, roles.Dialogs, roles.Dialogs, {}},
        {});
    EXPECT_EQ(roles.AddRequests.Host(), nullptr);
    EXPECT_EQ(roles.Dialogs.CreateAddItemDialog(-1, std::nullopt, ""), nullptr);
}
