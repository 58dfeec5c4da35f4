#pragma once

// A node's page as files: the rewritten page text and the resources stored in its node
// folder, written where they are asked to go; a folder of local HTML files added as captured
// pages; a page's content synchronised again. Writes answer with what happened.

#include "app/binder/WholeFiles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ICaptureStarter;
class TPageInfo;
class TTreeNode;
struct BinderPaths;
struct ExportContext;

// Gives the copy of a page, the node `copyId`, the files of the record: its rewritten page
// text as the copy's page file, then every file of the record's node folder (<root>/<store>/
// <HEX id>) in the copy's node folder, each under its path inside the node folder. A stored
// file that cannot be read is skipped. The copy's node folder is made and marked as the
// program's own (StoreAccess), never written when it is not. False, with the messages of the
// writes that failed, when any write failed.
FilesWritten CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                           const std::string& store);

// Turns a page text into the text written (the script stripping the caller brings); an empty
// filter writes the page as it is.
using PageTextFilter = std::function<std::string(std::string_view)>;

// The page text of a record written at `path`, through the filter when one is given.
WriteResult WritePageText(const TPageInfo& record, const std::string& path,
                          const PageTextFilter& filter);

// The record's stored files written into `folder`, each under its path inside the node folder,
// without the node folder's own page copy "<HEX>.htm". A file that cannot be read is skipped.
FilesWritten CopyPageResources(const TPageInfo& record, const BinderPaths& paths,
                               const std::string& folder);

// The name of a page in a folder save: "<index>--<title>.htm", the index right-aligned in as
// many digits as `siblings` needs, made a clean file name.
std::string FolderSaveEntryName(int siblings, int index, const std::string& title);

// The Cancel of an import of HTML files: once stopped, the import adds no further file, and the
// capture at work on the page being added is stopped as the user's Stop stops a capture.
class HtmlImportStop {
public:
    explicit HtmlImportStop(ICaptureStarter& capture) : capture_(capture) {}
    // Called from the event loop the import serves, during a capture or between pages.
    void Stop();
    bool Stopped() const { return stopped_; }
    // The page whose capture is at work, while it is; null after.
    void Capturing(TPageInfo* record) { capturing_ = record; }

private:
    ICaptureStarter& capture_;
    TPageInfo* capturing_ = nullptr;
    bool stopped_ = false;
};

// Every .htm, .html and .shtml file below `folder` (and its sub-folders when the setting asks
// for it) becomes a captured page, the first below the selection, each further one beside the
// one before, until `stop` is stopped: a page whose capture was stopped stays as that capture
// ended it. A file that cannot be read becomes a page whose capture failed. `step` runs after
// each page.
void AddHtmlFilePages(ExportContext& context, const std::string& folder,
                      const std::function<void()>& step, HtmlImportStop& stop);

// "Sync Content": the selected page's page file goes and its page is captured again, with the
// wait form kept hidden.
void ToolSyncContentExecute(ExportContext& context);
