#pragma once

// "&Generate CHM": the dialog, the project written into a private work folder, the compiler
// run as a job under the wait form, and the compiled file copied to the destination.

#include "app/binder/ChmExport.h"

#include <chrono>
#include <string>

class IExportUi;
class TTreeNode;
struct ExportContext;

inline constexpr const char* ChmCompilingText =
    "Compiling html files into CHM file, please wait...";
inline constexpr const char* ChmFailedText = "Sorry, operation failed";

// How long the compiler may take: a base plus a share per page.
struct ChmCompileCap {
    std::chrono::milliseconds Base = std::chrono::minutes(10);
    std::chrono::milliseconds PerPage = std::chrono::seconds(1);
};

// Writes the project of every top-level node from `firstTopNode` on into the work folder
// (WriteChmProject), shows the writes that failed, then runs the compiler there as a job
// under the wait form (Cancel or the cap kill it). True when the compiler ended by itself with
// exit code 0 and its file holds every file the contents entries name.
bool BuildChmProject(ExportContext& context, IExportUi& ui, const TTreeNode* firstTopNode,
                     const std::string& workFolder, const std::string& localeText,
                     bool fullTextSearch, const ChmCompileCap& cap = {});

// "&Generate CHM". The old destination is replaced only by a complete compiled file.
void FileExportCHMExecute(ExportContext& context, IExportUi& ui, const ChmCompileCap& cap = {});
