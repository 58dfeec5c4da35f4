#include "app/binder/SummaryPages.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Scramble.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/WindowTexts.h"
#include "platform/base/CharacterReferences.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <array>

namespace {

// The group letters in the order the statistics keep the groups.
constexpr std::array<char, 5> GroupLetters = {'I', 'C', 'S', 'F', 'R'};

std::string FallbackPage(const char* file) {
    return std::string("<html><head><title>Summary</title></head><body><p>The summary cannot be "
                       "shown: the template \"") +
           file + "\" is missing from this installation.</p></body></html>";
}

// Markers every template shares.
void AddCommonMarkers(MarkerValues& markers, const std::string& workDir) {
    markers.emplace_back("/common/", HtmlEscape(SummaryCommonUrl(workDir)));
}

int32_t Share(int32_t count, int32_t total, int32_t scale) {
    return total == 0 ? 0 : static_cast<int32_t>(static_cast<int64_t>(count) * scale / total);
}

int32_t StatsState(const TPageInfo& page) {
    return page.Content.Stats.State;
}

bool CaptureFinished(const TPageInfo& page) {
    const auto state = static_cast<CaptureState>(StatsState(page));
    return state == CaptureState::Completed || state == CaptureState::Stopped;
}

// A row with the child's values and the folder's own markers, all in one pass.
std::string FillRow(std::string_view row, const TTreeNode& child, const MarkerValues& folder) {
    const TPageInfo* record = NodeRecord(&child);
    MarkerValues markers;
    if (record == nullptr) {
        markers = {{"TitleValue", HtmlEscape(child.Text())},
                   {"TypeValue", NodeKindText(static_cast<int32_t>(NodeKind::None))},
                   {"URLValue", ""},
                   {"StatusValue", "-"},
                   {"DateValue", ""},
                   {"SizeValue", "0"},
                   {"ResourceValue", "-"}};
    } else {
        const bool webPage = record->Kind == NodeKind::WebPage;
        const size_t size = record->Kind == NodeKind::Notes ? record->Notes.Bytes().size()
                                                            : record->Content.PageHtml.size();
        markers = {{"TitleValue", HtmlEscape(DecodeCharacterReferences(record->Title))},
                   {"TypeValue", NodeKindText(static_cast<int32_t>(record->Kind))},
                   {"URLValue", HtmlEscape(record->RequestedUrl)},
                   {"StatusValue", webPage ? CaptureResultText(StatsState(*record)) : "-"},
                   {"DateValue", HtmlEscape(record->CreateDate)},
                   {"SizeValue", IntToStr(static_cast<int64_t>(size))},
                   {"ResourceValue", webPage ? IntToStr(record->Content.Stats.Total) : "-"}};
    }
    markers.insert(markers.end(), folder.begin(), folder.end());
    return ReplaceMarkers(row, markers);
}

} // namespace

std::string ReplaceMarkers(std::string_view text, const MarkerValues& markers) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const std::pair<std::string, std::string>* best = nullptr;
        for (const auto& marker : markers) {
            if (!marker.first.empty() && text.substr(i, marker.first.size()) == marker.first &&
                (best == nullptr || marker.first.size() > best->first.size())) {
                best = &marker;
            }
        }
        if (best != nullptr) {
            out += best->second;
            i += best->first.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string SummaryCommonUrl(const std::string& workDir) {
    std::string folder = workDir;
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return FileUrl(folder + "/common/");
}

const std::string& TSummaryTemplates::Template(SummaryKind kind) {
    const auto index = static_cast<size_t>(kind);
    if (!loaded_[index]) {
        loaded_[index] = true;
        const char* file = SummaryTemplateFiles[index];
        size_t size = 0;
        std::unique_ptr<char[]> bytes =
            ReadWholeFile(JoinPath(JoinPath(workDir_, "common"), file), &size);
        std::unique_ptr<char[]> plain;
        if (bytes != nullptr && size > 0) {
            plain = ScrambleBuffer(bytes.get(), ScrambleKey, size);
        }
        found_[index] = plain != nullptr;
        texts_[index] = found_[index] ? std::string(plain.get(), size) : FallbackPage(file);
    }
    return texts_[index];
}

bool TSummaryTemplates::Found(SummaryKind kind) {
    Template(kind);
    return found_[static_cast<size_t>(kind)];
}

SummaryGroupFigures GroupFigures(const TPageInfo& page, int group) {
    SummaryGroupFigures f;
    if (CaptureFinished(page)) {
        const CaptureGroupCounts& counts = page.Content.Stats.Groups[static_cast<size_t>(group)];
        f.Fetched = counts.Fetched;
        f.Cached = counts.Cached;
        f.Failed = counts.Failed;
    }
    f.Total = f.Fetched + f.Cached + f.Failed;
    f.FetchedPercent = Share(f.Fetched, f.Total, 100);
    f.CachedPercent = Share(f.Cached, f.Total, 100);
    f.FailedPercent = Share(f.Failed, f.Total, 100);
    f.FetchedBar = Share(f.Fetched, f.Total, SummaryBarWidth);
    f.CachedBar = Share(f.Cached, f.Total, SummaryBarWidth);
    f.FailedBar = Share(f.Failed, f.Total, SummaryBarWidth);
    return f;
}

std::string PageSummaryHtml(const TPageInfo& page, const std::string& workDir,
                            const std::string& tmpl) {
    MarkerValues markers;
    int64_t resources = 0;
    for (size_t g = 0; g < GroupLetters.size(); ++g) {
        const SummaryGroupFigures f = GroupFigures(page, static_cast<int>(g));
        const std::string X(1, GroupLetters[g]);
        const std::string x(1, static_cast<char>(GroupLetters[g] - 'A' + 'a'));
        const std::pair<const char*, int32_t> keys[] = {
            {"_N_P3", f.FetchedPercent}, {"_N_T5", f.Fetched},       {"_C_P97", f.CachedPercent},
            {"_C_T190", f.Cached},       {"_E_P0", f.FailedPercent}, {"_E_T0", f.Failed},
            {"_T_T195", f.Total}};
        for (const auto& [key, value] : keys) {
            markers.emplace_back(X + key, IntToStr(value));
        }
        markers.emplace_back("8 " + x + "_n", IntToStr(f.FetchedBar));
        markers.emplace_back("261 " + x + "_c", IntToStr(f.CachedBar));
        markers.emplace_back("0 " + x + "_e", IntToStr(f.FailedBar));
        resources += f.Total;
    }
    markers.emplace_back(SummarySampleTitle, HtmlEscape(DecodeCharacterReferences(page.Title)));
    markers.emplace_back(SummarySampleUrl, HtmlEscape(page.RequestedUrl));
    markers.emplace_back("TQZLocalSize",
                         IntToStr(static_cast<int64_t>(page.Content.PageHtml.size())));
    markers.emplace_back("TQZResourceFile", IntToStr(resources));
    markers.emplace_back("Complete", CaptureResultText(StatsState(page)));
    markers.emplace_back(SummarySampleDate, HtmlEscape(page.CreateDate));
    AddCommonMarkers(markers, workDir);
    return ReplaceMarkers(tmpl, markers);
}

std::string LinkSummaryHtml(const TPageInfo& page, const std::string& workDir,
                            const std::string& tmpl) {
    MarkerValues markers = {{SummarySampleTitle, HtmlEscape(DecodeCharacterReferences(page.Title))},
                            {SummarySampleUrl, HtmlEscape(page.RequestedUrl)},
                            {SummarySampleDate, HtmlEscape(page.CreateDate)}};
    AddCommonMarkers(markers, workDir);
    return ReplaceMarkers(tmpl, markers);
}

std::string FolderSummaryHtml(const TTreeNode& folder, const std::string& workDir,
                              const std::string& tmpl) {
    const TPageInfo* record = NodeRecord(&folder);
    MarkerValues markers = {
        {"FolderCreatedDateValue", HtmlEscape(record ? record->CreateDate : "")},
        {"ChildNumberValue", IntToStr(folder.Count())}};
    AddCommonMarkers(markers, workDir);

    const size_t begin = tmpl.find(SummaryRowBegin);
    const size_t end =
        begin == std::string::npos ? std::string::npos : tmpl.find(SummaryRowEnd, begin);
    if (end == std::string::npos) {
        // A template without rows still shows the folder's own values.
        return ReplaceMarkers(tmpl, markers);
    }
    const size_t rowStart = begin + std::string_view(SummaryRowBegin).size();
    const std::string_view row = std::string_view(tmpl).substr(rowStart, end - rowStart);
    std::string html = ReplaceMarkers(std::string_view(tmpl).substr(0, begin), markers);
    for (int i = 0; i < folder.Count(); ++i) {
        html += FillRow(row, *folder.Item(i), markers);
    }
    html += ReplaceMarkers(
        std::string_view(tmpl).substr(end + std::string_view(SummaryRowEnd).size()), markers);
    return html;
}

std::string NodeSummaryHtml(const TTreeNode& node, TSummaryTemplates& templates) {
    const TPageInfo* record = NodeRecord(&node);
    if (record == nullptr) {
        return "";
    }
    switch (record->Kind) {
    case NodeKind::WebPage:
        return PageSummaryHtml(*record, templates.WorkDir(), templates.Template(SummaryKind::Page));
    case NodeKind::Folder:
        return FolderSummaryHtml(node, templates.WorkDir(),
                                 templates.Template(SummaryKind::Folder));
    case NodeKind::Link:
        return LinkSummaryHtml(*record, templates.WorkDir(), templates.Template(SummaryKind::Link));
    default:
        return "";
    }
}

bool ReadBinderSummary(const std::string& binderFile, const std::string& openBinderFile,
                       int64_t openNodeCount, BinderSummary& summary) {
    TBinderHeader header;
    if (!ReadBinderHeader(binderFile, header)) {
        return false;
    }
    summary.Name = header.Name;
    summary.Description = header.Description;
    summary.Root = header.Root;
    summary.TreeFileSize = header.TreeFileSize;
    summary.CreateDate = header.CreateDate;
    // Letter case included: another binder's file may differ from it in case alone.
    summary.Open = !openBinderFile.empty() && binderFile == openBinderFile;
    if (summary.Open) {
        summary.NodeCount = openNodeCount;
    } else {
        try {
            summary.NodeCount = StrToInt(header.Count);
        } catch (const EConvertError&) {
            summary.NodeCount = 0;
        }
    }
    return true;
}

std::string BinderSummaryHtml(const BinderSummary& binder, const std::string& workDir,
                              const std::string& tmpl) {
    MarkerValues markers = {{SummarySampleTitle, HtmlEscape(binder.Name)},
                            {"BINDERDESC", HtmlEscape(binder.Description)},
                            {"9999", IntToStr(binder.NodeCount)},
                            {"SAVEPATHBINDER", HtmlEscape(binder.Root)},
                            {"bsize", IntToStr(static_cast<int64_t>(binder.TreeFileSize))},
                            {SummarySampleDate, HtmlEscape(binder.CreateDate)},
                            {"BINDERSTATUS", binder.Open ? "Open" : "Close"}};
    AddCommonMarkers(markers, workDir);
    return ReplaceMarkers(tmpl, markers);
}
