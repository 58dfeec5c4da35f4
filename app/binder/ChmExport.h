#pragma once

// The compiled help export: every web page of the binder written with its resources into a
// private work folder, with the project file "tqz.hhp" and the contents file "tqz.hhc", then
// compiled and copied to the destination.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class TTreeNode;
struct ExportContext;

// The languages of the dialog in its order, each with its locale text.
struct ChmLanguage {
    const char* Name;
    const char* LocaleText;
};
inline constexpr ChmLanguage ChmLanguages[] = {
    {"Chinese", "0x804"}, {"English", "0x409"}, {"French", "0x40c"},
    {"Italian", "0x410"}, {"Germany", "0x407"}, {"Spanish", "0x40a"},
};

inline constexpr const char* ChmCompilingText =
    "Compiling html files into CHM file, please wait...";
inline constexpr const char* ChmFailedText = "Sorry, operation failed";

// How long the compiler may take: a base plus a share per page.
struct ChmCompileCap {
    std::chrono::milliseconds Base = std::chrono::minutes(10);
    std::chrono::milliseconds PerPage = std::chrono::seconds(1);
};

// n tab characters; none for n <= 0.
std::string RepeatTab(int n);

// The destination with ".chm": a name without ".chm" loses its last extension and gets it.
// Nothing for a path whose name (after its last ":", "\" or "/") is empty.
std::optional<std::string> ChmDestination(const std::string& path);

// What one build collects: the page files written, "<HEX>/<name>" in the order the pages were
// written, and the depth of the node being written.
struct ChmBuild {
    std::string WorkFolder;
    std::vector<std::string> Files;
    int Depth = 0;
};

// The page file name of a web page: "title.htm", or for a longer name the first 10
// characters of the title (whole UTF-8 characters), the hex id and ".htm"; without the
// characters CleanFileName takes and without blanks; made unique by the hex id against the
// names already given out.
std::string ChmPageFileName(const ChmBuild& build, const std::string& title, uint32_t id);

// The contents entry of one node (recursively for a folder); writes the pages and lists
// their file names.
std::string WriteChmSitemapNode(ExportContext& context, ChmBuild& build, const TTreeNode* node);

// Writes the pages, "tqz.hhp" and "tqz.hhc" of every top-level node from `firstTopNode` on into
// the work folder, runs the compiler there and waits for it under the wait form (Cancel or the
// cap kill it). True when the compiler ended by itself with exit code 0.
bool BuildChmProject(ExportContext& context, const TTreeNode* firstTopNode,
                     const std::string& workFolder, const std::string& localeText,
                     bool fullTextSearch, const ChmCompileCap& cap = {});

// "&Generate CHM". The old destination is replaced only by a complete compiled file.
void FileExportCHMExecute(ExportContext& context, const ChmCompileCap& cap = {});
