#pragma once

// The URL list: the requested URLs of the web pages and links of a subtree or of the whole
// binder, one a line (CR LF), in a text file.

#include "app/binder/StoreFiles.h"

class IExportUi;
class TTreeNode;
struct ExportContext;

inline constexpr const char* UrlListFilter = "Text (*.txt)|*.txt|All (*.*)|*.*|";

// The URLs of the subtree depth first in child order: a web page or a link gives its own URL
// and its children are not visited. Empty for a null node.
StrVector DoFileExportList(const TTreeNode* node);

// Asks for the target file and replaces it with the list; a file that cannot be written is
// shown and the old one stays.
void AskExportListFile(const StrVector& list, IExportUi& ui);

// "Selected Only" and "Entire Binder".
void FileExportListExecute(ExportContext& context);
void FileExportListallExecute(ExportContext& context);
