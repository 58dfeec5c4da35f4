#include "app/binder/StoreTakeOver.h"

#include "app/binder/FileTaskPlace.h"
#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreLeftovers.h"
#include "app/binder/Task.h"
#include "platform/base/FileDescriptor.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// How deep a page's resources may lie; deeper folders are nothing a capture makes.
constexpr int MaxDepth = 32;

// True when nothing below the open folder is a link or anything but a file or a folder.
bool HoldsNoLink(int folder, int depth) {
    if (depth > MaxDepth) {
        return false;
    }
    for (const std::string& name : FolderNames(folder)) {
        struct stat info;
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            const FileDescriptor inner = OpenFolderAt(folder, name);
            if (!inner.Valid() || !HoldsNoLink(inner.Get(), depth + 1)) {
                return false;
            }
        } else if (!S_ISREG(info.st_mode)) {
            return false;
        }
    }
    return true;
}

// True when the mark's name in the open folder holds nothing but a mark of the program's, whole
// or cut short, or nothing is there: a mark can be written.
bool MarkPlaceClean(int folder) {
    struct stat info;
    if (::fstatat(folder, FolderMarkName, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    return HoldsProgramMark(folder) || DamagedFolderMark(folder);
}

// True when the entry `name` of the store is a folder named as a page node of the tree that
// holds no link anywhere and can be marked.
bool IsPageFolder(int store, const std::string& name, const std::set<uint32_t>& pageIds) {
    uint32_t id = 0;
    if (!IsNodeFolderName(name, id) || pageIds.count(id) == 0) {
        return false;
    }
    const FileDescriptor folder = OpenFolderAt(store, name);
    return folder.Valid() && MarkPlaceClean(folder.Get()) && HoldsNoLink(folder.Get(), 0);
}

// "1 folder", "2 folders".
std::string Counted(size_t count, const char* one, const char* more) {
    return std::to_string(count) + " " + (count == 1 ? one : more);
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return text;
}

} // namespace

StoreClaims ClaimsOf(std::set<uint32_t> pageIds, const std::vector<std::string>& taskLines,
                     const std::string& binderFolder, const std::string& storeName) {
    StoreClaims claims;
    claims.PageIds = std::move(pageIds);
    for (const std::string& line : taskLines) {
        const Task task = DeserializeTask(line);
        if (SameText(task.Kind, UnfinishedPageKind)) {
            continue;
        }
        if (std::string name = FileTaskFolderName(binderFolder, storeName, task.LocalPath);
            !name.empty()) {
            claims.TaskFolders.insert(std::move(name));
        }
    }
    return claims;
}

std::optional<StoreSurvey> SurveyUnmarkedStore(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const StoreClaims& claims) {
    const FileDescriptor store = StoreAccess(binderFolder, storeName).OpenStoreAsItIs();
    struct stat mark;
    // A mark, whole or cut short by a crash, says the program made the store; anything else
    // at the mark's name is the user's, and no mark can go there.
    if (!store.Valid() || ::fstatat(store.Get(), FolderMarkName, &mark, AT_SYMLINK_NOFOLLOW) == 0 ||
        errno != ENOENT) {
        return std::nullopt;
    }
    StoreSurvey survey;
    survey.StorePath = JoinPath(binderFolder, storeName);
    std::vector<std::string> names = FolderNames(store.Get());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (claims.TaskFolders.count(name) != 0) {
            return std::nullopt;
        }
        (IsPageFolder(store.Get(), name, claims.PageIds) ? survey.PageFolders : survey.OtherEntries)
            .push_back(name);
    }
    if (survey.PageFolders.empty()) {
        return std::nullopt;
    }
    return survey;
}

bool TakeOverStore(const std::string& binderFolder, const std::string& storeName,
                   const StoreSurvey& survey) {
    const FileDescriptor store = StoreAccess(binderFolder, storeName).OpenStoreAsItIs();
    if (!store.Valid() || !MarkPlaceClean(store.Get())) {
        return false;
    }
    for (const std::string& name : survey.PageFolders) {
        // Looked at again: the person took a while to answer.
        const FileDescriptor folder = OpenFolderAt(store.Get(), name);
        if (folder.Valid() && MarkPlaceClean(folder.Get()) && HoldsNoLink(folder.Get(), 0)) {
            RenewFolderMark(folder.Get(), name);
        }
    }
    // The store last: one cut short before it is marked is asked about again at the next open.
    return RenewFolderMark(store.Get(), storeName);
}

void RenewCutShortMarks(const std::string& binderFolder, const std::string& storeName) {
    const FileDescriptor store = StoreAccess(binderFolder, storeName).OpenStoreAsItIs();
    if (!store.Valid() || !(HoldsProgramMark(store.Get()) || DamagedFolderMark(store.Get()))) {
        return;
    }
    for (const std::string& name : FolderNames(store.Get())) {
        // A folder whose mark a crash cut short is the program's whatever it holds, as a
        // capture's files the tree had not recorded yet; a marked one is left at one look.
        const FileDescriptor folder = OpenFolderAt(store.Get(), name);
        if (folder.Valid() && DamagedFolderMark(folder.Get())) {
            RenewFolderMark(folder.Get(), name);
        }
    }
    RenewFolderMark(store.Get(), storeName);
}

std::string TakeOverQuestion(const StoreSurvey& survey, bool replacing) {
    std::string text = "The store folder " + survey.StorePath +
                       " has no mark of this program, so the program has only read it. It holds " +
                       Counted(survey.PageFolders.size(), "folder", "folders") +
                       " named as pages of this binder";
    text += survey.OtherEntries.empty()
                ? " and nothing else.\n\n"
                : ", and " + Counted(survey.OtherEntries.size(), "other entry", "other entries") +
                      ": " + Listed(survey.OtherEntries) + ".\n\n";
    text += replacing
                ? "Yes lets the new binder replace the old one: those folders are removed with "
                  "all they hold."
                : "Yes lets the program use those folders as its own: captures write into them, "
                  "and deleting a node or the binder removes its folder with all it holds.";
    if (!survey.OtherEntries.empty()) {
        text += " The other entries stay as they are, never written or removed.";
    }
    return text + "\n\nAnswer Yes only if this program (or an earlier version of it) made "
                  "this folder for this binder. Let the program use these folders?";
}
