#pragma once

// A node's page as files: the rewritten page text and the resources stored in its node
// folder. Pages are saved one by one, as a folder tree or for the whole binder; a folder of
// local HTML files is imported as captured pages; a page's content is synchronised again.

#include <functional>
#include <string>
#include <string_view>

class IUserMessages;
class TPageInfo;
class TTreeNode;
struct ExportContext;

inline constexpr const char* HtmlSaveFilter = "Html (*.htm;*.html)|*.htm;*.html|All (*.*)|*.*|";
inline constexpr const char* HtmlImportWait = "Adding page, please wait ....";

// Gives the copy of a page, the node `copyId`, the files of the record: its rewritten page
// text as the copy's page file, then every file of the record's node folder (<root>/<store>/
// <HEX id>) in the copy's node folder, each under its path inside the node folder. A stored
// file that cannot be read is skipped. Folders are made as needed; a file that cannot be
// written is reported by the window. False when any write failed.
bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui);

// Turns a page text into the text written (the script stripping the caller brings); an empty
// filter writes the page as it is.
using PageTextFilter = std::function<std::string(std::string_view)>;

// What one folder save keeps while it walks the tree.
struct HtmlSaveState {
    bool AskOverwrite = true; // cleared by "Don't show this message again"
    int SaveIndex = 0;        // the position of the node saved among its siblings
};

// Writes a web page at `path` with its resources beside it (not the node folder's own copy
// "<HEX>.htm"). Blanks leave the file name (never the folders); the last dialog folder becomes
// the folder. An existing file is replaced only after the confirmation, asked while
// `askOverwrite` is set (its box clears it). Other kinds write nothing. False when a page
// that should have been written was not.
bool SavePageToFolder(ExportContext& context, const TTreeNode* node, const std::string& path,
                      const PageTextFilter& filter, bool& askOverwrite);

// Writes a node and its subtree below `folder`: a page as "<n>--<title>.htm", its number
// right-aligned in as many digits as its siblings need; a node with children as a sub-folder
// named by its title, made safe to stay inside `folder`.
void SaveTreeToFolder(ExportContext& context, HtmlSaveState& state, const TTreeNode* node,
                      const std::string& folder);

// "Selected Only": the selected page through a save dialog, the selected folder into a
// chosen folder. "Entire Binder": every top-level node into a chosen folder.
void SavePageAsHtml(ExportContext& context);
void FileSaveHtmlExecute(ExportContext& context);
void FileSaveHtmlAllExecute(ExportContext& context);

// "Html File(s) From Directory": every .htm, .html and .shtml file of a chosen folder (and its
// sub-folders when the setting asks for it) becomes a captured page, the first below the
// selection, each further one beside the one before. A file that cannot be read becomes a
// page whose capture failed.
void FileImportHtmlExecute(ExportContext& context);

// "Sync Content": the selected page's page file goes and its page is captured again, with the
// wait form kept hidden.
void ToolSyncContentExecute(ExportContext& context);
