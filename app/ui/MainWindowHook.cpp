#include "app/ui/MainWindowHook.h"

#include "platform/base/EventLoopWait.h"
#include "platform/shell/SharedMemory.h"

namespace {

// The tree position of a node sent from outside: under the selected node, as with the menu.
constexpr int ChildOfSelection = 2;

} // namespace

bool MainWindowHook::Receive(const RegisteredMessage& message) {
    if (message.Name == OnlyOneVelmorMessage) {
        // Showing the window never re-enters a command, so it need not wait for a dialog.
        window_.Restore();
        window_.BringToFront();
        return true;
    }
    if (message.Name == InsertVelmorMessage) {
        AddNodeRequest request{{}, message.WParam == 10 ? 10 : 4};
        ReadSharedMemoryItem(request.item);
        Queue(std::move(request));
        return false;
    }
    if (message.Name == TarnwickOpenMessage) {
        DdeOpen(ReadSharedMemoryString());
        return true;
    }
    return false;
}

void MainWindowHook::DdeOpen(const std::string& path) {
    // Opening closes the current binder first; an empty path could only fail after that.
    if (!path.empty()) {
        Queue(OpenBinderRequest{path});
    }
}

void MainWindowHook::Queue(Request request) {
    waiting_.push_back(std::move(request));
    RunWaiting();
}

void MainWindowHook::RunWaiting() {
    // A request that arrives while one of ours runs (its dialog serves the event loop) waits
    // for it here instead of running inside it.
    if (running_) {
        return;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } guard(running_);
    // Work that serves events beside the event loop (a delete removing its folders) stands in
    // the binder an open would close: the requests wait for its end, as for a dialog.
    while (!waiting_.empty() && !window_.ModalDialogOpen() && !WorkBesideEventLoop()) {
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        if (auto* add = std::get_if<AddNodeRequest>(&request)) {
            window_.AddNode(add->item.URL, add->item.Info, add->item.Html, ChildOfSelection,
                            add->dialogMode);
        } else {
            window_.OpenBinder(std::get<OpenBinderRequest>(request).path);
        }
    }
}
