#pragma once

// An open binder with the window its export commands talk to, and helpers that describe folders and
// exchange files byte for byte.

#include "app/binder/ExportContext.h"
#include "app/binder/FolderMark.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/support/FakeExportUi.h"
#include "tests/support/StoredFiles.h"

#include <filesystem>
#include <map>
#include <string>

struct ExportFixture : BinderFixture {
    FakeExportUi exportUi;
    ExportContext context{binder, paths, settings, queue, capture};

    std::string Store() const { return JoinPath(paths.BinderRoot, paths.BinderStore); }
    void StoreFile(uint32_t id, const std::string& relative, const std::string& bytes) {
        WriteStoredFile(paths.BinderRoot, paths.BinderStore, id, relative, bytes);
    }
    // A completed web page; its HTML, when given, both as fetched and as stored.
    TTreeNode* Page(TTreeNode* parent, uint32_t id, const std::string& title,
                    const std::string& url = "", const std::string& html = "") {
        TTreeNode* node = AddRecord(Tree(), parent, NodeKind::WebPage, id, title);
        NodeRecord(node)->RequestedUrl = url;
        NodeRecord(node)->Content.FetchedText = html;
        NodeRecord(node)->Content.PageHtml = html;
        NodeRecord(node)->State = CaptureState::Completed;
        NodeRecord(node)->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
        return node;
    }
};

// Every entry below `folder` by relative path: a file's bytes, "<dir>" or "-> target" for a
// link, which is not followed.
inline std::map<std::string, std::string> FolderListing(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink()) {
            entries[name] = "-> " + fs::read_symlink(it->path()).string();
        } else if (it->is_directory()) {
            entries[name] = "<dir>";
        } else {
            entries[name] = ReadFileBytes(it->path());
        }
    }
    return entries;
}

// FolderListing of a store or a node folder, without the program's folder marks: each names its
// own folder's identity on the disk, so two stores with the same pages differ only there.
inline std::map<std::string, std::string> StoreListing(const std::filesystem::path& folder) {
    std::map<std::string, std::string> entries = FolderListing(folder);
    std::erase_if(entries, [](const auto& entry) {
        return std::filesystem::path(entry.first).filename() == FolderMarkName;
    });
    return entries;
}
