#pragma once

#include "platform/shell/RegisteredMessages.h"
#include "platform/shell/SharedBlockCodec.h"

#include <deque>
#include <string>
#include <variant>

// What the hook asks of the main window (TFormVelmorRnx implements it; tests fake it).
class IMainWindowHookTarget {
public:
    virtual ~IMainWindowHookTarget() = default;
    // Shows the window again from minimised or the notification area.
    virtual void Restore() = 0;
    virtual void BringToFront() = 0;
    // treeMode 2: the new node goes under the selected one; dialogMode: the Add Item dialog's.
    virtual void AddNode(const std::string& url, const std::string& info, const std::string& html,
                         int treeMode, int dialogMode) = 0;
    virtual void OpenBinder(const std::string& path) = 0;
    // True while any modal dialog of the program is open.
    virtual bool ModalDialogOpen() const = 0;
};

// Routes the registered messages and the DDE stand-in's open command to the main window.
//
// A request that adds a node or opens a binder waits while a modal dialog is open, or while work
// serves events beside the event loop (WorkBesideEventLoop): acting at once would close a binder
// under an open Add Item dialog or a delete at work, or open a second Add Item dialog over the
// first. The block is read when the message arrives, as a window hook would, so a request
// waits with its own item. Waiting requests run in their order once the dialog has closed or the
// work ended: the ones a dialog opened by the hook held up run as soon as it returns; for other
// dialogs and for the work the main window calls ModalDialogClosed().
class MainWindowHook {
public:
    explicit MainWindowHook(IMainWindowHookTarget& window) : window_(window) {}

    // One message from the instance channel; returns whether it counts as handled.
    bool Receive(const RegisteredMessage& message);
    // The DDE stand-in's "Open(" command.
    void DdeOpen(const std::string& path);
    void ModalDialogClosed() { RunWaiting(); }

    std::size_t WaitingCount() const { return waiting_.size(); }

private:
    struct AddNodeRequest {
        InsertInfo item;
        int dialogMode;
    };
    struct OpenBinderRequest {
        std::string path;
    };
    using Request = std::variant<AddNodeRequest, OpenBinderRequest>;

    void Queue(Request request);
    void RunWaiting();

    IMainWindowHookTarget& window_;
    std::deque<Request> waiting_;
    bool running_ = false;
};
