#pragma once

// Creating, opening, closing, reloading and deleting binders, and the New, Open and Recent
// commands. The binder lifecycle implements it; the node commands and the main window call
// it. Every operation runs on the main thread.

#include <string>

class IBinderLifecycle {
public:
    virtual ~IBinderLifecycle() = default;

    // Creates the binder folder, its store folder and its ".bdf" file. With `interactive` off
    // it asks nothing and reports only a binder folder that cannot be created.
    virtual bool CreateBinder(const std::string& folder, const std::string& name,
                              const std::string& description, bool interactive) = 0;
    // Closes the open binder, then opens the one the ".bdf" file names and loads its tree.
    // False (after the window was told why) when it cannot be opened.
    virtual bool OpenBinder(const std::string& binderFilePath) = 0;
    // Saves and frees the open binder; stops and waits for its captures and its task
    // polling first. Does nothing when no binder is open.
    virtual void CloseBinder() = 0;
    // Closes the open binder as the program ends: as CloseBinder, but it is closed also when
    // its tree file could not be written, and the task section is written all the same. False
    // when anything could not be written (the messages said what); true when no binder is open.
    virtual bool EndBinder() = 0;
    // Writes the open binder's task section into its binder file now, as its close does, and
    // leaves it open. False when it could not be written (the messages said why); true when no
    // binder is open.
    virtual bool StoreTasks() = 0;
    // Closes and loads the same binder again.
    virtual void ReloadBinder() = 0;
    // Deletes the files of the binder named by its ".bdf" path and its binder-list entry.
    virtual void DeleteBinder(const std::string& binderFilePath) = 0;
    // True while a binder is open.
    virtual bool BinderOpen() const = 0;

    // The File menu's New, Open and Recent commands.
    virtual void FileNewBinderExecute() = 0;
    virtual void FileOpenBinderExecute() = 0;
    virtual void FileOpenRecentExecute(const std::string& menuCaption) = 0;
};
