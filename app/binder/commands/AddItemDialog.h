#pragma once

// The "Add Item" dialog as the add-node command uses it: the window builds it
// (IUserDialogs::CreateAddItemDialog), the command fills in a URL and a title, shows it until the
// input is accepted and reads the choices back.

#include "app/binder/CaptureStarter.h"
#include "app/binder/commands/BinderUi.h"

#include <cstdint>
#include <optional>
#include <string>

enum class NodeKind : int32_t;

class IAddItemDialog {
public:
    virtual ~IAddItemDialog() = default;
    // Shows the dialog modally; it keeps what the user entered when shown again.
    virtual TModalResult ShowModal() = 0;
    virtual std::string Url() const = 0;
    virtual void SetUrl(const std::string& url) = 0;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The checked item type: NodeKind::WebPage, NodeKind::Notes or NodeKind::Link.
    virtual NodeKind ItemKind() const = 0;
    // The id of the folder chosen to receive the item; nothing when none was chosen.
    virtual std::optional<uint32_t> PickedFolderId() const = 0;
    // The capture options of a new web page.
    virtual CaptureOptions Options() const = 0;
};
