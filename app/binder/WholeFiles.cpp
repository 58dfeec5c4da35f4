#include "app/binder/WholeFiles.h"

#include "platform/base/Files.h"

#include <filesystem>

std::unique_ptr<char[]> ReadWholeFile(const std::string& path, size_t* size) {
    size_t count = 0;
    std::unique_ptr<char[]> buffer = ReadFileWhole(path, count);
    if (buffer && size != nullptr) {
        *size = count;
    }
    return buffer;
}

std::unique_ptr<char[]> LoadFileToBuffer(const std::string& path, size_t& size) {
    size = 0;
    return ReadFileWhole(path, size);
}

void FilesWritten::Add(const WriteResult& write) {
    if (!write) {
        Written = false;
        if (!write.Error.empty()) {
            Errors.push_back(write.Error);
        }
    }
}

WriteResult
SaveStreamToFile(const std::string& path,
                 const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce) {
    if (path.empty()) {
        return {};
    }
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        // A bare file name lies in the current folder, which needs no making.
        size_t slash = path.rfind('/');
        std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
        if (!folder.empty() && !ForceDirectories(folder)) {
            return {false, "can not create directory" + folder};
        }
    }
    std::string error;
    AtomicFileWriter writer(path);
    if (!writer.Good() || !produce(writer, error) || !writer.Commit()) {
        return {false, "can not write file " + path + " (" +
                           (writer.Error().empty() ? error : writer.Error()) + ")"};
    }
    return {true, {}};
}

WriteResult SaveBufferToFile(const std::string& path, const void* buffer, size_t length) {
    return SaveStreamToFile(
        path, [&](AtomicFileWriter& writer, std::string&) { return writer.Write(buffer, length); });
}
