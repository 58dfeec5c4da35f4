#pragma once

// The tree file of a binder of one node, 0x2024, as the tests of binders laid out by hand write
// it beside their binder files.

#include "app/binder/PageInfo.h"
#include "app/binder/TreeFile.h"

#include <cstdint>
#include <memory>
#include <string>

struct OneNode {
    NodeKind Kind = NodeKind::WebPage;
    std::string Title = "Photos";
    std::string Url{};
    bool FinalUrlToo = false; // the address it was fetched from, as after a capture
    CaptureState State = CaptureState::Completed;
    std::string PageHtml{};
};

inline std::string OneNodeTree(const OneNode& node) {
    TTreeNodes tree;
    auto record = std::make_unique<TPageInfo>();
    record->Kind = node.Kind;
    record->Id = 0x2024;
    record->Title = node.Title;
    record->RequestedUrl = node.Url;
    if (node.FinalUrlToo) {
        record->FinalUrl = node.Url;
    }
    record->State = node.State;
    record->Content.Stats.State = static_cast<int32_t>(node.State);
    record->Content.PageHtml = node.PageHtml;
    tree.AddChildObject(nullptr, node.Title, std::move(record));
    std::string bytes = TreeFileBytes(tree);
    ClearTree(tree);
    return bytes;
}
