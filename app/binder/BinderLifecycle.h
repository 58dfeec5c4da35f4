#pragma once

// What the node commands need of the binder lifecycle: the binder-list delete closes the open
// binder and deletes a binder's files.

#include <string>

class IBinderLifecycle {
public:
    virtual ~IBinderLifecycle() = default;
    // Saves and frees the open binder.
    virtual void CloseBinder() = 0;
    // Deletes the files of the binder named by its ".bdf" path and its binder-list entry.
    virtual void DeleteBinder(const std::string& binderFilePath) = 0;
};
