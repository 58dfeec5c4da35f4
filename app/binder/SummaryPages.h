#pragma once

// The summary pages of the summary view: a web page's capture statistics, a folder's children,
// a link and a binder, each made from one of the installation's templates in "common" by
// putting the node's values in place of the template's sample texts and markers.
//
// Every marker is replaced in one pass over the template, so a value is never searched again
// (a title holding "Complete" stays as written), and every value from a page or a binder is
// HTML-escaped, because the page is shown with access to local files.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TPageInfo;
class TTreeNode;

enum class SummaryKind { Page = 0, Folder = 1, Link = 2, Binder = 3 };

// The template files below "<WorkDir>/common/", stored scrambled (ScrambleBuffer, ScrambleKey).
inline constexpr const char* SummaryTemplateFiles[] = {"PageSummary.gif", "FolderSummary.gif",
                                                       "LinkSummary.gif", "BinderSummary.gif"};

// Sample texts our templates carry where the title and the page address go.
inline constexpr const char* SummarySampleTitle = "TQZSampleTitle";
inline constexpr const char* SummarySampleUrl = "http://tqz.sample.invalid/page.html";
inline constexpr const char* SummarySampleDate = "06/25/02 19:55:53";
inline constexpr const char* SummaryRowBegin = "<!--begin of a row-->";
inline constexpr const char* SummaryRowEnd = "<!--end of a row-->";
// Width of a full bar in pixels.
inline constexpr int SummaryBarWidth = 270;

using MarkerValues = std::vector<std::pair<std::string, std::string>>;

// The text with every marker replaced by its value in one left-to-right pass; where several
// markers start at one place the longest wins. Values are inserted as given.
std::string ReplaceMarkers(std::string_view text, const MarkerValues& markers);

// The four templates of one installation, read and unscrambled once per run. A template that
// is missing or empty is replaced by a short page saying so.
class TSummaryTemplates {
public:
    explicit TSummaryTemplates(std::string workDir) : workDir_(std::move(workDir)) {}

    const std::string& WorkDir() const { return workDir_; }
    const std::string& Template(SummaryKind kind);
    // True when the template was read from the installation.
    bool Found(SummaryKind kind);

private:
    std::string workDir_;
    bool loaded_[4] = {};
    bool found_[4] = {};
    std::string texts_[4];
};

// "file://" + WorkDir + "/common/", the address every "/common/" of a template becomes.
std::string SummaryCommonUrl(const std::string& workDir);

// One resource group's numbers as the page summary shows them.
struct SummaryGroupFigures {
    int32_t Fetched = 0, Cached = 0, Failed = 0, Total = 0;
    int32_t FetchedPercent = 0, CachedPercent = 0, FailedPercent = 0;
    int32_t FetchedBar = 0, CachedBar = 0, FailedBar = 0;
};
// Counts only for a finished (completed or stopped) capture; zeros otherwise.
SummaryGroupFigures GroupFigures(const TPageInfo& page, int group);

std::string PageSummaryHtml(const TPageInfo& page, const std::string& workDir,
                            const std::string& tmpl);
std::string LinkSummaryHtml(const TPageInfo& page, const std::string& workDir,
                            const std::string& tmpl);
// One row per child of the folder, in child order.
std::string FolderSummaryHtml(const TTreeNode& folder, const std::string& workDir,
                              const std::string& tmpl);

// The summary of a node by its kind; "" for a notes document or a node without a record.
std::string NodeSummaryHtml(const TTreeNode& node, TSummaryTemplates& templates);

// What the binder summary shows of a binder file.
struct BinderSummary {
    std::string Name;
    std::string Description;
    int64_t NodeCount = 0;
    std::string Root;
    uint64_t TreeFileSize = 0;
    std::string CreateDate;
    bool Open = false;
};

// Reads the binder file's header. The open binder (its file compared case-insensitively with
// `openBinderFile`) shows the node count of its tree, `openNodeCount`; another binder the
// count its file holds. False when the file cannot be read.
bool ReadBinderSummary(const std::string& binderFile, const std::string& openBinderFile,
                       int64_t openNodeCount, BinderSummary& summary);
std::string BinderSummaryHtml(const BinderSummary& binder, const std::string& workDir,
                              const std::string& tmpl);
