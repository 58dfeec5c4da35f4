#pragma once

// The add requests of the main window: the menus' New Item and Append Item, pages sent from
// outside, and a request sent again after a binder switch in the "Add Item" dialog all run
// through one runner, made for the binder lifecycle, with the dialog's side of the window (its
// host) beside it.

#include "app/ui/dialogs/AddItemHost.h"

#include <functional>
#include <memory>
#include <string>

class IBinderLifecycle;
class ISettingsStore;
class TBinderTreeCommands;
class TWindowAddItemHost;
struct BinderPaths;

// What the "Add Item" dialog's host is made of; everything must outlive the add requests.
struct TAddItemHostParts {
    TBinderTreeCommands& Commands; // runs the request on the tree
    const BinderPaths& Paths;
    ISettingsStore& Store;
    IUserMessages& Messages;
    IUserDialogs& Dialogs;
    std::function<std::string()> LastDialogDir; // the folder the file dialogs used last
};

class TAddRequests {
public:
    TAddRequests();
    ~TAddRequests();
    TAddRequests(const TAddRequests&) = delete;
    TAddRequests& operator=(const TAddRequests&) = delete;

    // Makes the runner for the lifecycle (null: none; the tree commands' add-node runs).
    // `added` follows every request.
    void SetLifecycle(IBinderLifecycle* lifecycle, const TAddItemHostParts& parts,
                      std::function<void()> added);
    void Run(const TAddItemRequest& request);

    // The dialog's host and the request it is made for; null while there is no lifecycle.
    IAddItemHost* Host() const;
    const TAddItemRequest& Current() const;

private:
    void AddNode(const TAddItemRequest& request);

    TBinderTreeCommands* commands_ = nullptr;
    std::function<void()> added_;
    std::unique_ptr<TAddRequestRunner> runner_;
    std::unique_ptr<TWindowAddItemHost> host_;
};
