#pragma once

// What the "Add Item" dialog asks of the main window: the binders it lists, the folder of the
// window's file dialogs, its message box, and the binder switch.
//
// A binder switch ends the dialog with Cancel and asks for the same add request to be shown
// again over the binder that is open afterwards. The request sent again is the one the dialog
// was made for (its URL, information text, HTML) with the URL and title as the user left them,
// never whatever an outside program last put into the shared block: a dialog started from the
// menu would otherwise come back with another page's address and HTML.
//
// The window's add requests hold its side (TWindowAddItemHost); TAddRequestRunner carries out the
// switches and runs the requests sent again, each after the dialog that asked for it has closed.

#include "app/binder/TreeCommands.h"
#include "app/binder/commands/BinderUi.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class IBinderLifecycle;

// One add request: what the add-node command got, and the dialog mode to show it in (-1 from
// the menus, 4 for a page sent from the browser side, 10 for a request sent again after a
// switch from the binder list). A request sent again goes under the selected node, as one
// from outside does.
struct TAddItemRequest {
    std::string Url;
    std::string Info; // the title
    std::string Html;
    int DialogMode = -1;
    TInsertMode TreeMode = TInsertMode::Child;

    bool operator==(const TAddItemRequest&) const = default;
};

enum class TBinderSwitchKind {
    OpenListed, // an entry of the dialog's binder list: that binder is opened
    OpenOther,  // the open-binder button: the window's Open Binder command
    CreateNew,  // "New" of the destination chooser: the window's New Binder command
};

struct TBinderSwitch {
    TBinderSwitchKind Kind = TBinderSwitchKind::OpenListed;
    std::string Path; // the binder file of OpenListed
    TAddItemRequest Resend;

    bool operator==(const TBinderSwitch&) const = default;
};

class IAddItemHost {
public:
    virtual ~IAddItemHost() = default;

    // The open binder's file; empty when none is open.
    virtual std::string OpenBinderFilePath() const = 0;
    // The known binders (the binder list of the settings), in their stored order.
    virtual std::vector<std::string> KnownBinders() const = 0;
    // The label of the main tree's selected node when that node is a folder; otherwise empty.
    virtual std::string SelectedFolderLabel() const = 0;
    // The folder the window's file dialogs used last; the dialog does not change it.
    virtual std::string LastDialogDir() const = 0;
    virtual std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The user switched binders. Called while the dialog is still shown; it closes with Cancel
    // right afterwards. The window carries out the switch and runs `change.Resend` through the
    // add-node command once the add-node command that showed this dialog has returned
    // (TAddRequestRunner::Switch does both).
    virtual void SwitchBinder(const TBinderSwitch& change) = 0;
};

// Runs add requests for the main window. Every way into the add-node command goes through Run
// (the hook of "InsertVelmor" and the New Item and Append Item commands, which are the menu
// request {"", "", "", -1} in child and sibling mode): a switch made in a dialog that was not
// started through Run has no one to send its request again. The window's
// IAddItemHost::SwitchBinder calls Switch, and the window's dialogs give the dialog they make
// Current() as the request it is made for.
class TAddRequestRunner {
public:
    // Runs one request through the add-node command (TBinderTree::AddNode).
    using AddNodeCommand = std::function<void(const TAddItemRequest& request)>;

    TAddRequestRunner(IBinderLifecycle& lifecycle, AddNodeCommand addNode)
        : lifecycle_(lifecycle), addNode_(std::move(addNode)) {}

    // Runs the request, then every request a binder switch asked for, one after another. A
    // request that comes while another runs (a dialog serves the event loop) waits and runs
    // after it; the call then returns false at once.
    bool Run(TAddItemRequest request);
    // Carries out the switch at once (the binder opens while the dialog is still shown, and
    // its file dialog or wizard shows over it) and keeps the request to run next.
    void Switch(const TBinderSwitch& change);
    // The request being run; an empty menu request when none runs.
    const TAddItemRequest& Current() const { return current_; }

private:
    IBinderLifecycle& lifecycle_;
    AddNodeCommand addNode_;
    TAddItemRequest current_;
    std::optional<TAddItemRequest> next_;
    std::deque<TAddItemRequest> waiting_;
    bool running_ = false;
};
