#include "app/binder/BinderHeader.h"

#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <sys/stat.h>

namespace {

constexpr std::string_view CountKey = "count=";

// The file's lines with every CR dropped; a last line without LF counts too.
std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

// Where "count=" begins at the start of a line, so a value holding "count=" is never taken
// for it; npos when there is none.
size_t CountLineStart(std::string_view text) {
    for (size_t at = text.find(CountKey); at != std::string_view::npos;
         at = text.find(CountKey, at + 1)) {
        if (at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r') {
            return at;
        }
    }
    return std::string_view::npos;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string result;
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            result += c;
        }
    }
    return result;
}

} // namespace

std::string EncodeBinderValue(std::string_view value) {
    return ReplaceAll(value, " ", "%20");
}

std::string DecodeBinderValue(std::string_view value) {
    return ReplaceAll(value, "%20", " ");
}

std::string NewBinderFileText(const std::string& root, const std::string& name,
                              const std::string& description, const std::string& createDate) {
    std::string text = WithoutLineBreaks(description);
    if (text.empty()) {
        text = NoDescription;
    }
    const std::pair<const char*, std::string> lines[] = {
        {"bindername=", name},    {"root=", root},        {"store=", name + "store"},
        {"save=", name + ".sav"}, {"description=", text}, {"createdate=", createDate},
        {CountKey.data(), "0"},
    };
    std::string file;
    for (const auto& [key, value] : lines) {
        file += key + EncodeBinderValue(value) + "\r\n";
    }
    return file;
}

TBinderFileValues ParseBinderFile(std::string_view bytes) {
    const std::vector<std::string> lines = SplitLines(bytes);
    size_t countLine = 0;
    while (countLine < lines.size() && !lines[countLine].starts_with(CountKey)) {
        ++countLine;
    }
    const size_t headerEnd = countLine < lines.size() ? countLine + 1 : lines.size();

    TBinderFileValues values;
    const std::pair<std::string_view, std::string*> keys[] = {
        {"bindername=", &values.BinderName},
        {"root=", &values.Root},
        {"store=", &values.Store},
        {"save=", &values.Save},
        {"description=", &values.Description},
        {"createdate=", &values.CreateDate},
        {CountKey, &values.Count},
    };
    for (const auto& [key, value] : keys) {
        for (size_t i = 0; i < headerEnd; ++i) {
            if (lines[i].starts_with(key)) {
                *value = lines[i].substr(key.size());
                break;
            }
        }
    }
    if (headerEnd < lines.size() && lines[headerEnd].starts_with(TaskSectionHeader)) {
        for (size_t i = headerEnd + 1; i < lines.size(); ++i) {
            if (!lines[i].empty()) {
                values.TaskLines.push_back(lines[i]);
            }
        }
    }
    return values;
}

bool ReadBinderHeader(const std::string& path, TBinderHeader& header) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(path, &size);
    if (bytes == nullptr) {
        return false;
    }
    const TBinderFileValues values = ParseBinderFile(std::string_view(bytes.get(), size));
    header.Name = DecodeBinderValue(values.BinderName);
    header.Root = DecodeBinderValue(values.Root);
    header.Store = DecodeBinderValue(values.Store);
    header.Save = DecodeBinderValue(values.Save);
    header.Description = DecodeBinderValue(values.Description);
    header.CreateDate = DecodeBinderValue(values.CreateDate);
    header.Count = values.Count;
    header.TreeFileSize = 0;
    struct stat info;
    const std::string treeFile = JoinPath(header.Root, header.Save);
    if (!treeFile.empty() && ::stat(treeFile.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        header.TreeFileSize = static_cast<uint64_t>(info.st_size);
    }
    return true;
}

std::string WithTaskSection(std::string_view text, int nodeCount,
                            const std::vector<std::string>& taskLines) {
    std::string file;
    const size_t count = CountLineStart(text);
    if (count != std::string_view::npos) {
        file.assign(text.substr(0, count));
    } else {
        file.assign(text);
        if (!file.empty() && file.back() != '\n' && file.back() != '\r') {
            file += "\r\n";
        }
    }
    file += CountKey;
    file += IntToStr(nodeCount);
    file += "\n\r";
    file += TaskSectionHeader;
    file += "\n\r";
    for (const std::string& line : taskLines) {
        if (line.find_first_of("\r\n") == std::string::npos) {
            file += line;
            file += "\n\r";
        }
    }
    return file;
}

bool WriteBinderTaskSection(const std::string& path, int nodeCount,
                            const std::vector<std::string>& taskLines, IUserMessages& ui) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(path, &size);
    if (bytes == nullptr) {
        return false;
    }
    const std::string file =
        WithTaskSection(std::string_view(bytes.get(), size), nodeCount, taskLines);
    return SaveBufferToFile(path, file.data(), file.size(), ui);
}

bool IsPlainEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}
