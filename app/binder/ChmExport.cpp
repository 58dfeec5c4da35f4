#include "app/binder/ChmExport.h"

#include "app/binder/BinderTree.h"
#include "app/binder/ChmListing.h"
#include "app/binder/ExportContext.h"
#include "app/binder/FileNames.h"
#include "app/binder/HtmlFiles.h"
#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/CharacterReferences.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* Crlf = "\r\n";

std::string ProjectHead(const std::string& localeText, bool fullTextSearch) {
    return std::string("[OPTIONS]\r\n"
                       "Compatibility=1.1 or later\r\n"
                       "Compiled file=tqz.chm\r\n"
                       "Contents file=tqz.hhc\r\n"
                       "Display compile progress=No\r\n"
                       "Full-text search=") +
           (fullTextSearch ? "Yes" : "No") + Crlf + "Language=" + localeText + " " + Crlf +
           "[FILES]" + Crlf;
}

constexpr const char* ContentsHead =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n"
    "<HTML>\r\n"
    "<HEAD>\r\n"
    "<meta name=\"GENERATOR\" content=\"Microsoft&reg; HTML Help Workshop 4.1\">\r\n"
    "<!-- Sitemap 1.0 -->\r\n"
    "</HEAD><BODY>\r\n"
    "<UL>\r\n";
constexpr const char* ContentsTail = "</UL>\r\n</BODY></HTML>";

std::string EntryHead(int depth, const std::string& title) {
    const std::string tabs = RepeatTab(depth);
    return tabs + "<LI> <OBJECT type=\"text/sitemap\">" + Crlf + tabs +
           "<param name=\"Name\" value=\"" + HtmlEscape(title) + "\">" + Crlf;
}

bool SameName(std::string_view a, std::string_view b) {
    return LowerCase(a) == LowerCase(b);
}

// The first `count` characters of UTF-8 text: a character is never cut in two.
std::string_view LeadingCharacters(std::string_view text, size_t count) {
    size_t end = 0;
    for (size_t seen = 0; end < text.size(); ++end) {
        const bool continuation = (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
        if (!continuation && seen++ == count) {
            break;
        }
    }
    return text.substr(0, end);
}

} // namespace

WriteResult CopyChmResult(const std::string& workFolder, const std::string& destination) {
    size_t size = 0;
    const std::unique_ptr<char[]> bytes = ReadWholeFile(JoinPath(workFolder, "tqz.chm"), &size);
    if (bytes == nullptr || size == 0) {
        return {};
    }
    return SaveBufferToFile(destination, bytes.get(), size);
}

bool ChmHoldsEntries(const std::string& workFolder, const ChmProject& project) {
    const std::optional<std::set<std::string>> names =
        ChmFileNames(JoinPath(workFolder, "tqz.chm"));
    return names &&
           std::all_of(project.Entries.begin(), project.Entries.end(),
                       [&](const std::string& entry) { return names->count("/" + entry); });
}

std::string RepeatTab(int n) {
    return std::string(static_cast<size_t>(std::max(n, 0)), '\t');
}

std::optional<std::string> ChmDestination(const std::string& path) {
    const size_t split = path.find_last_of(":\\/");
    const size_t start = split == std::string::npos ? 0 : split + 1;
    std::string name = path.substr(start);
    if (name.empty()) {
        return std::nullopt;
    }
    if (name.find(".chm") == std::string::npos) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos) {
            name.erase(dot);
        }
        name += ".chm";
    }
    return path.substr(0, start) + name;
}

std::string ChmPageFileName(const ChmBuild& build, const std::string& title, uint32_t id) {
    const std::string hex = IntToHex(id, 1);
    std::string name = title + ".htm";
    if (name.size() > 24) {
        name = std::string(LeadingCharacters(title, 10)) + hex + ".htm";
    }
    name = CleanFileName(name);
    // In the contents entry's address "#" would start an anchor and "%" an escape.
    std::erase_if(name, [](char c) { return c == ' ' || c == '#' || c == '%' || c == '\0'; });
    if (name == ".htm") {
        name = hex + name; // a title of nothing but such characters
    }
    auto taken = [&](const std::string& candidate) {
        return std::any_of(build.Files.begin(), build.Files.end(), [&](const std::string& file) {
            return SameName(NameOfPath(file), candidate);
        });
    };
    const std::string stem = name.substr(0, name.size() - 4);
    for (int n = 1; taken(name); ++n) {
        name = stem + hex + (n == 1 ? "" : "-" + std::to_string(n)) + ".htm";
    }
    return name;
}

std::string WriteChmSitemapNode(ExportContext& context, ChmBuild& build, const TTreeNode* node) {
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return {};
    }
    ++build.Depth;
    const std::string tabs = RepeatTab(build.Depth);
    std::string entry;
    const std::string title = DecodeCharacterReferences(record->Title);
    if (record->Kind == NodeKind::WebPage) {
        // Each page with its resources in a folder of its own: pages with the same resource
        // paths or the same name would otherwise overwrite each other's files.
        const std::string file =
            IntToHex(record->Id, 1) + "/" + ChmPageFileName(build, title, record->Id);
        const std::string target = JoinPath(build.WorkFolder, file);
        const WriteResult page = WritePageText(*record, target, nullptr);
        if (page) {
            FilesWritten resources =
                CopyPageResources(*record, context.Paths, std::string(FolderOfPath(target)));
            build.Errors.insert(build.Errors.end(), resources.Errors.begin(),
                                resources.Errors.end());
        } else if (!page.Error.empty()) {
            build.Errors.push_back(page.Error);
        }
        build.Files.push_back(file);
        entry = EntryHead(build.Depth, title) + tabs + "<param name=\"Local\" value=\"" +
                HtmlEscape(file) + "\">" + Crlf + tabs + "</OBJECT>" + Crlf;
    } else if (node->HasChildren()) {
        entry = EntryHead(build.Depth, title) + tabs + "</OBJECT>" + Crlf + tabs + "<UL>" + Crlf;
        for (int i = 0; i < node->Count(); ++i) {
            entry += WriteChmSitemapNode(context, build, node->Item(i));
        }
        entry += tabs + "</UL>" + Crlf;
    }
    --build.Depth;
    return entry;
}

ChmProject WriteChmProject(ExportContext& context, const TTreeNode* firstTopNode,
                           const std::string& workFolder, const std::string& localeText,
                           bool fullTextSearch) {
    ChmBuild build;
    build.WorkFolder = workFolder;
    std::string contents = ContentsHead;
    for (const TTreeNode* node = firstTopNode; node != nullptr; node = node->getNextSibling()) {
        contents += WriteChmSitemapNode(context, build, node);
    }
    contents += ContentsTail;
    std::string project = ProjectHead(localeText, fullTextSearch);
    for (const std::string& file : build.Files) {
        project += file + Crlf;
    }
    ChmProject result;
    result.ProjectFile = JoinPath(workFolder, "tqz.hhp");
    result.Pages = build.Files.size();
    for (const std::string& file : build.Files) {
        result.Entries.push_back(file.substr(0, file.find('#')));
    }
    result.Errors = std::move(build.Errors);
    WriteResult write =
        SaveBufferToFile(JoinPath(workFolder, "tqz.hhc"), contents.data(), contents.size());
    if (write) {
        write = SaveBufferToFile(result.ProjectFile, project.data(), project.size());
    }
    if (!write) {
        if (!write.Error.empty()) {
            result.Errors.push_back(write.Error);
        }
        return result;
    }
    std::remove(JoinPath(workFolder, "tqz.chm").c_str());
    result.Written = true;
    return result;
}
