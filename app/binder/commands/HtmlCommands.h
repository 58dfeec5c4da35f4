#pragma once

// The commands that save pages as HTML files, one by one, as a folder tree or for the whole
// binder, and that import a folder of local HTML files: their dialogs, questions, wait form
// and messages around the page files of the document.

#include "app/binder/HtmlFiles.h"

#include <string>

class IExportUi;
class TTreeNode;
struct ExportContext;

inline constexpr const char* HtmlSaveFilter = "Html (*.htm;*.html)|*.htm;*.html|All (*.*)|*.*|";
inline constexpr const char* HtmlImportWait = "Adding page, please wait ....";

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
bool SavePageToFolder(ExportContext& context, IExportUi& ui, const TTreeNode* node,
                      const std::string& path, const PageTextFilter& filter, bool& askOverwrite);

// Writes a node and its subtree below `folder`: a page as "<n>--<title>.htm", its number
// right-aligned in as many digits as its siblings need; a node with children as a sub-folder
// named by its title, made safe to stay inside `folder`.
void SaveTreeToFolder(ExportContext& context, IExportUi& ui, HtmlSaveState& state,
                      const TTreeNode* node, const std::string& folder);

// "Selected Only": the selected page through a save dialog, the selected folder into a
// chosen folder. "Entire Binder": every top-level node into a chosen folder.
void SavePageAsHtml(ExportContext& context, IExportUi& ui);
void FileSaveHtmlExecute(ExportContext& context, IExportUi& ui);
void FileSaveHtmlAllExecute(ExportContext& context, IExportUi& ui);

// "Html File(s) From Directory": the HTML files of a chosen folder become captured pages
// (AddHtmlFilePages) under the wait form, whose Cancel ends the import; the pages added are
// kept and the binder is saved after.
void FileImportHtmlExecute(ExportContext& context, IExportUi& ui);
