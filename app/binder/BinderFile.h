#pragma once

// The open binder's files: creating a binder (its folder, store folder and ".bdf" file),
// reading a binder file and taking its paths, closing the binder (captures and task polling
// stopped, the task section written, the records freed) and deleting a binder's files. It
// shows and asks nothing: what the user is to be told comes back as values. The lifecycle
// commands (app/binder/commands) ask and tell around it; everything runs on the main thread.

#include "app/binder/BinderHeader.h"
#include "app/binder/StoreTakeOver.h"
#include "platform/base/DateTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class ICaptureStarter;
class ISettingsStore;
class ITaskQueue;
class TBinderTree;
struct BinderPaths;
struct TSettings;

// A folder typed as a relative path, taken from the current folder.
std::string AbsoluteFolder(const std::string& folder);
// True when something (even a dangling link) is at the path.
bool PathIsTaken(const std::string& path);
// True when both paths name the same file.
bool SameFile(const std::string& a, const std::string& b);
// True for a binder name that can become the names of its files: not empty, "." or "..",
// without a separator or a line break.
bool UsableBinderName(const std::string& name);
// True for a folder that can be written into a line of the binder file.
bool UsableBinderFolder(const std::string& folder);
// The store a new binder named `name` gets: "<name>store".
std::string NewStoreName(const std::string& name);
// Why a binder named `name` made in `root` would be refused when opened (its store or tree file
// name begins with ".", or one of them is there already as a link or as the wrong kind of
// entry); empty when it can be made.
std::string RefusedNewBinder(const std::string& root, const std::string& name);

// A binder file as it is opened: its values, and its folder (BinderFolderOf the file), which is
// the binder's folder whatever the "root=" value says.
struct TBinderToOpen {
    TBinderFileValues Values;
    std::string Folder;
};

// What creating a binder's files went through: a store folder of an overridden binder that
// could not be deleted (`StoreNotDeleted`), and the failure that stopped it (empty when the
// binder was made).
struct TNewBinderResult {
    bool StoreNotDeleted = false;
    std::string Failure;
};

class TBinderFiles {
public:
    // The collaborators must outlive the files.
    TBinderFiles(ITaskQueue& queue, ICaptureStarter& capture, TSettings& settings,
                 ISettingsStore& store, BinderPaths& paths, TBinderTree& tree);
    TBinderFiles(const TBinderFiles&) = delete;
    TBinderFiles& operator=(const TBinderFiles&) = delete;

    // True while a binder is open.
    bool BinderOpen() const;

    // The store "<name>store" in `root` when the binder file there names it as its store and it
    // is one to ask about before it is replaced (SurveyUnmarkedStore, with the old binder's
    // tree and tasks); nothing otherwise.
    std::optional<StoreSurvey> SurveyOldStore(const std::string& root,
                                              const std::string& name) const;
    // Writes a new binder's files into `root` (an absolute folder that exists): the store
    // folder made, or found the program's (or empty), first; then an existing tree file
    // emptied, the folders the program made in the store removed, the ".bdf" file written and
    // listed once. A store that cannot be used changes nothing, and the failure says why.
    TNewBinderResult WriteNewBinder(const std::string& root, const std::string& name,
                                    const std::string& description, TDateTime created);

    // The binder file with its folder, or nothing (with the reason) when it cannot be read, its
    // store or save value is no plain name inside the folder (IsPlainEntryName) or begins with
    // ".", its store's name does not end in "store", or its store or tree file is a link or not
    // a folder or file. The "root=" value is not looked at.
    std::optional<TBinderToOpen> ReadBinderValues(const std::string& binderFilePath,
                                                  std::string& reason) const;
    // Takes the binder file's folder and values as the open binder's paths and loads its saved
    // tasks, and records it as the last and a recent binder. Returns the recent-binder menu as
    // it stood before, newest first. The tree is read afterwards (TBinderTree::LoadBinderTree).
    std::vector<std::string> Open(const std::string& binderFilePath, const TBinderToOpen& binder);

    // Stops every capture of the tree's records and the task polling, and waits for them.
    void StopBinderWork();
    // Starts the task polling again (a close that could not save).
    void ResumeBinderWork();
    // The end of a close once the tree file is written: the task section written into the
    // binder file, the tree emptied and no binder open. Returns what the user is to be told.
    std::vector<std::string> FinishClose();
    // Writes the task section into the binder file as the close does, the binder left open.
    // Returns what the user is to be told.
    std::vector<std::string> WriteTaskSection();

    // Deletes a binder: its binder-list entry, and in the folder that holds the binder file the
    // binder file, its tree file and, in its store, the folders the program made there (only
    // those of the tree file's nodes when another binder file names the same store), then the
    // store itself when the program made it and nothing else is left in it. A folder of the
    // user's, whatever its name, stays with everything in it. Deletes no file when the binder
    // file would be refused at opening; returns the message to show then, or the one that says
    // which folder stays (FoldersLeftMessage), and empty when everything went.
    // `aside` runs the deleting of the store's folders, which touches nothing but files, and
    // returns when it has ended; empty, it runs in place.
    std::string
    DeleteBinderFiles(const std::string& binderFilePath,
                      const std::function<void(const std::function<void()>&)>& aside = {});

private:
    ITaskQueue& queue_;
    ICaptureStarter& capture_;
    TSettings& settings_;
    ISettingsStore& store_;
    BinderPaths& paths_;
    TBinderTree& tree_;
};
