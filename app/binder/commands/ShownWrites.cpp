#include "app/binder/commands/ShownWrites.h"

#include "app/binder/HtmlFiles.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/commands/BinderUi.h"

namespace {

bool Shown(const WriteResult& write, IUserMessages& ui) {
    if (!write && !write.Error.empty()) {
        ui.ShowMessage(write.Error);
    }
    return write.Written;
}

} // namespace

bool SaveBufferToFile(const std::string& path, const void* buffer, size_t length,
                      IUserMessages& ui) {
    return Shown(SaveBufferToFile(path, buffer, length), ui);
}

bool SaveStreamToFile(
    const std::string& path,
    const std::function<bool(AtomicFileWriter& writer, std::string& error)>& produce,
    IUserMessages& ui) {
    return Shown(SaveStreamToFile(path, produce), ui);
}

bool CopyNodeFiles(const TPageInfo& record, uint32_t copyId, const std::string& root,
                   const std::string& store, IUserMessages& ui) {
    const FilesWritten written = CopyNodeFiles(record, copyId, root, store);
    for (const std::string& error : written.Errors) {
        ui.ShowMessage(error);
    }
    return written.Written;
}
