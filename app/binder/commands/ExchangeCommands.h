#pragma once

// The exchange file commands: export of the whole binder or of the selected subtree, and
// import into the selected folder, with their dialogs, questions, wait form and messages
// around the document's writer and reader.

class IExportUi;
struct ExportContext;

inline constexpr const char* ExchangeFilter = "Tarnwick Export File(*.tqz)|*.tqz|All(*.*)|*.*";

// "Entire Binder" and "Export Content As Page" (the selected node's subtree; nothing without
// a selection). The file is replaced only once the new one is complete.
void FileExportAllExecute(ExportContext& context, IExportUi& ui);
void FileExportContentExecute(ExportContext& context, IExportUi& ui);

// "Import From Velmor format file" (ImportExchangeFile): the subtrees go under the selected
// folder, or to the top level when the selection is not a folder.
void FileImportVelmorExecute(ExportContext& context, IExportUi& ui);
