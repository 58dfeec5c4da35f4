#pragma once

// An exchange file of one folder, "Imported", holding captured pages, each with a stored
// picture: what an export of such a folder from another binder writes.

#include "app/binder/BinderPaths.h"
#include "app/binder/ExchangeFile.h"
#include "app/binder/PageInfo.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"
#include "platform/base/TreeNode.h"

#include <cstdint>
#include <memory>
#include <string>

inline constexpr uint32_t ImportedFolderId = 0x100;
inline constexpr uint32_t FirstImportedPageId = 0x1000;

// Writes the file at `file`; the binder it comes from has its store in `sourceRoot`. False
// when it could not be written.
inline bool WritePagesExchangeFile(const std::string& sourceRoot, const std::string& file,
                                   int pages) {
    BinderPaths paths;
    paths.BinderRoot = sourceRoot;
    paths.BinderStore = "store";
    TTreeNodes tree;
    auto folder = std::make_unique<TPageInfo>();
    folder->Kind = NodeKind::Folder;
    folder->Id = ImportedFolderId;
    folder->Title = "Imported";
    TTreeNode* top = tree.AddChildObject(nullptr, "Imported", std::move(folder));
    for (int i = 0; i < pages; ++i) {
        auto page = std::make_unique<TPageInfo>();
        page->Kind = NodeKind::WebPage;
        page->Id = FirstImportedPageId + static_cast<uint32_t>(i);
        page->Title = "Page " + std::to_string(i);
        page->RequestedUrl = "http://example.test/" + std::to_string(i) + ".htm";
        page->FinalUrl = page->RequestedUrl;
        page->Content.PageHtml = "<p>Page " + std::to_string(i) + "<img src=\"a.gif\"></p>";
        page->State = CaptureState::Completed;
        page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
        const std::string picture = "GIF " + std::to_string(i);
        if (!SaveBufferToFile(
                JoinPath(JoinPath(JoinPath(sourceRoot, "store"), IntToHex(page->Id, 1)), "a.gif"),
                picture.data(), picture.size())) {
            return false;
        }
        const std::string title = page->Title;
        tree.AddChildObject(top, title, std::move(page));
    }
    return WriteExchangeFile(tree, nullptr, paths, file).Write.Written;
}
