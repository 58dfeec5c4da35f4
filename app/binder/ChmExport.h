#pragma once

// The compiled help export's files: every web page of the binder written with its resources
// into a private work folder, with the project file "tqz.hhp" and the contents file "tqz.hhc";
// once compiled, the help file copied to the destination. The command that asks, compiles and
// shows lives with the binder's commands (ChmCommands).

#include "app/binder/WholeFiles.h"

#include <cstdint>
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

// n tab characters; none for n <= 0.
std::string RepeatTab(int n);

// The destination with ".chm": a name without ".chm" loses its last extension and gets it.
// Nothing for a path whose name (after its last ":", "\" or "/") is empty.
std::optional<std::string> ChmDestination(const std::string& path);

// What one build collects: the page files written, "<HEX>/<name>" in the order the pages were
// written, the depth of the node being written, and the messages of the writes that failed.
struct ChmBuild {
    std::string WorkFolder;
    std::vector<std::string> Files;
    int Depth = 0;
    std::vector<std::string> Errors;
};

// The page file name of a web page: "title.htm", or for a longer name the first 10
// characters of the title (whole UTF-8 characters), the hex id and ".htm"; without the
// characters CleanFileName takes, without blanks and without "#" (which would begin an anchor
// in the contents entry that names the file); made unique by the hex id against the names
// already given out.
std::string ChmPageFileName(const ChmBuild& build, const std::string& title, uint32_t id);

// The contents entry of one node (recursively for a folder); writes the pages and lists
// their file names. Every write that failed adds its message to the build; a page whose file
// failed is listed all the same and goes without its resources.
std::string WriteChmSitemapNode(ExportContext& context, ChmBuild& build, const TTreeNode* node);

// What writing a project gives back: the pages listed, the files their contents entries name
// (as a viewer reads an entry: up to an anchor), and the messages of the writes that failed,
// in order; `Written` once "tqz.hhc" and "tqz.hhp" are on the disk.
struct ChmProject {
    bool Written = false;
    std::string ProjectFile;
    size_t Pages = 0;
    std::vector<std::string> Entries;
    std::vector<std::string> Errors;
};

// Writes the pages, "tqz.hhp" and "tqz.hhc" of every top-level node from `firstTopNode` on into
// the work folder, and removes an old "tqz.chm" there.
ChmProject WriteChmProject(ExportContext& context, const TTreeNode* firstTopNode,
                           const std::string& workFolder, const std::string& localeText,
                           bool fullTextSearch);

// Whether the compiled file of the work folder holds every file the project's contents entries
// name. The compiler's exit code and messages say nothing of it: it ends with 0 whatever it
// left out, and calls an ordinary anchor inside a page an error.
bool ChmHoldsEntries(const std::string& workFolder, const ChmProject& project);

// The compiled file of the work folder over the destination: written beside it and renamed
// over it, so the old file stays until the new one is complete. Fails without a message when
// the compiler left no file or an empty one.
WriteResult CopyChmResult(const std::string& workFolder, const std::string& destination);
