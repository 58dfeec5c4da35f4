#include "app/binder/commands/ShownWrites.h"

#include "app/binder/HtmlFiles.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/commands/BinderUi.h"

bool ShowFailure(const WriteResult& write, IUserMessages& ui) {
    if (!write && !write.Error.empty()) {
        ui.ShowMessage(write.Error);
    }
    return write.Written;
}

bool ShowFailures(const FilesWritten& written, IUserMessages& ui) {
    for (const std::string& error : written.Errors) {
        ui.ShowMessage(error);
    }
    return written.Written;
}

bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      IUserMessages& ui) {
    return ShowFailure(SaveBufferToFile(path, buffer, length), ui);
}

bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    IUserMessages& ui) {
    return ShowFailure(SaveStreamToFile(path, produce), ui);
}

bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui) {
    return ShowFailures(CopyNodeFiles(record, copyId, root, store), ui);
}
