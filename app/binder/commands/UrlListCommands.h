#pragma once

// The URL list commands: the list of the selection or of the whole binder written to a text
// file the user chooses.

#include "app/binder/UrlList.h"

class IExportUi;
struct ExportContext;

inline constexpr const char* UrlListFilter = "Text (*.txt)|*.txt|All (*.*)|*.*|";

// Asks for the target file and replaces it with the list; a file that cannot be written is
// shown and the old one stays.
void AskExportListFile(const StrVector& list, IExportUi& ui);

// "Selected Only" and "Entire Binder".
void FileExportListExecute(ExportContext& context, IExportUi& ui);
void FileExportListallExecute(ExportContext& context, IExportUi& ui);
