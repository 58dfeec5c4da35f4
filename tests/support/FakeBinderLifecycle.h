#pragma once

#include "app/binder/commands/BinderLifecycle.h"

#include <string>
#include <vector>

// Records the lifecycle calls made to it; opening succeeds unless told otherwise.
struct FakeBinderLifecycle : IBinderLifecycle {
    std::vector<std::string> Calls;
    bool OpenSucceeds = true;
    bool CreateSucceeds = true;
    bool EndSucceeds = true;
    bool Open = false;
    int TasksStored = 0; // not among the calls: the pending changes' save stores them too

    bool CreateBinder(const std::string& folder, const std::string& name, const std::string&,
                      bool) override {
        Calls.push_back("create " + folder + " " + name);
        return CreateSucceeds;
    }
    bool OpenBinder(const std::string& path) override {
        Calls.push_back("open " + path);
        Open = OpenSucceeds;
        return OpenSucceeds;
    }
    void CloseBinder() override {
        Calls.push_back("close");
        Open = false;
    }
    bool EndBinder() override {
        Calls.push_back("end");
        Open = false;
        return EndSucceeds;
    }
    bool StoreTasks() override {
        ++TasksStored;
        return true;
    }
    void ReloadBinder() override { Calls.push_back("reload"); }
    void DeleteBinder(const std::string& path) override { Calls.push_back("delete " + path); }
    bool BinderOpen() const override { return Open; }
    void FileNewBinderExecute() override { Calls.push_back("new"); }
    void FileOpenBinderExecute() override { Calls.push_back("open dialog"); }
    void FileOpenRecentExecute(const std::string& caption) override {
        Calls.push_back("recent " + caption);
    }
};
