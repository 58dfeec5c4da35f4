#include "app/binder/BinderHeader.h"

#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr std::string_view CountKey = "count=";

// One line of the file: its text with every CR dropped, and where it starts in the bytes.
struct FileLine {
    std::string Text;
    size_t Start = 0;
};

// The file's lines, ended by LF; a last line without LF counts too. Reading and rewriting
// both see the file through this, so a rewrite finds exactly the lines a reader finds.
std::vector<FileLine> SplitLines(std::string_view bytes) {
    std::vector<FileLine> lines;
    FileLine line;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            lines.push_back(std::move(line));
            line = FileLine{{}, i + 1};
        } else if (bytes[i] != '\r') {
            line.Text += bytes[i];
        }
    }
    if (!line.Text.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

// The index of the "count=" line, which ends the header; the number of lines when there is
// none.
size_t CountLine(const std::vector<FileLine>& lines) {
    size_t index = 0;
    while (index < lines.size() && !lines[index].Text.starts_with(CountKey)) {
        ++index;
    }
    return index;
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
    const std::vector<FileLine> lines = SplitLines(bytes);
    const size_t countLine = CountLine(lines);
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
            if (lines[i].Text.starts_with(key)) {
                *value = lines[i].Text.substr(key.size());
                break;
            }
        }
    }
    if (headerEnd < lines.size() && lines[headerEnd].Text.starts_with(TaskSectionHeader)) {
        for (size_t i = headerEnd + 1; i < lines.size(); ++i) {
            if (!lines[i].Text.empty()) {
                values.TaskLines.push_back(lines[i].Text);
            }
        }
    }
    return values;
}

std::string BinderFolderOf(const std::string& binderFilePath) {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(binderFilePath, error);
    return error ? std::string() : file.parent_path().string();
}

bool ReadBinderHeader(const std::string& path, TBinderHeader& header) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(path, &size);
    if (bytes == nullptr) {
        return false;
    }
    const TBinderFileValues values = ParseBinderFile(std::string_view(bytes.get(), size));
    header.Name = DecodeBinderValue(values.BinderName);
    header.Root = BinderFolderOf(path);
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
    const std::vector<FileLine> lines = SplitLines(text);
    const size_t count = CountLine(lines);
    if (count < lines.size()) {
        file.assign(text.substr(0, lines[count].Start));
    } else {
        file.assign(text);
        // Only a LF ends a line for the reader.
        if (!file.empty() && file.back() != '\n') {
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

std::string WithRoot(std::string_view text, const std::string& root) {
    constexpr std::string_view RootKey = "root=";
    const std::vector<FileLine> lines = SplitLines(text);
    const size_t count = CountLine(lines);
    size_t at = 0;
    while (at < count && !lines[at].Text.starts_with(RootKey)) {
        ++at;
    }
    const std::string line = std::string(RootKey) + EncodeBinderValue(root) + "\r\n";
    std::string file(text);
    if (at < count) {
        // The old line's bytes up to its LF go; a CR after the LF belongs to the next line,
        // which readers drop anyway.
        const size_t end = at + 1 < lines.size() ? lines[at + 1].Start : text.size();
        file.replace(lines[at].Start, end - lines[at].Start, line);
    } else if (count < lines.size()) {
        file.insert(lines[count].Start, line);
    } else {
        if (!file.empty() && file.back() != '\n') {
            file += "\r\n";
        }
        file += line;
    }
    return file;
}

bool WriteBinderTaskSection(const std::string& path, int nodeCount,
                            const std::vector<std::string>& taskLines,
                            const std::function<void(const std::string& text)>& show) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(path, &size);
    if (bytes == nullptr) {
        return false;
    }
    const std::string folder = BinderFolderOf(path);
    const std::string file = WithRoot(
        WithTaskSection(std::string_view(bytes.get(), size), nodeCount, taskLines), folder);
    // A binder file reached through a link is rewritten where it lies: the writer would replace
    // the link itself with a file beside it.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    const WriteResult written =
        SaveBufferToFile(error ? path : real.string(), file.data(), file.size());
    if (!written.Error.empty()) {
        show(written.Error);
    }
    return written.Written;
}

bool IsPlainEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}
