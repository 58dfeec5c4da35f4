#include "app/ui/AddRequests.h"

#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/dialogs/WindowAddItemHost.h"

TAddRequests::TAddRequests() = default;

TAddRequests::~TAddRequests() = default;

void TAddRequests::SetLifecycle(IBinderLifecycle* lifecycle, const TAddItemHostParts& parts,
                                std::function<void()> added) {
    commands_ = &parts.Commands;
    added_ = std::move(added);
    host_.reset();
    runner_.reset();
    if (lifecycle == nullptr) {
        return;
    }
    runner_ = std::make_unique<TAddRequestRunner>(
        *lifecycle, [this](const TAddItemRequest& request) { AddNode(request); });
    host_ = std::make_unique<TWindowAddItemHost>(parts.Messages, parts.Dialogs, parts.Paths,
                                                 parts.Store, parts.Commands.Tree().Items(),
                                                 *runner_, parts.LastDialogDir);
}

void TAddRequests::Run(const TAddItemRequest& request) {
    if (runner_ != nullptr) {
        runner_->Run(request);
    } else if (commands_ != nullptr) {
        AddNode(request);
    }
}

void TAddRequests::AddNode(const TAddItemRequest& request) {
    commands_->AddNode(request.Url, request.Info, request.Html, request.TreeMode,
                       request.DialogMode);
    if (added_) {
        added_();
    }
}

IAddItemHost* TAddRequests::Host() const {
    return host_.get();
}

const TAddItemRequest& TAddRequests::Current() const {
    static const TAddItemRequest none;
    return runner_ != nullptr ? runner_->Current() : none;
}
