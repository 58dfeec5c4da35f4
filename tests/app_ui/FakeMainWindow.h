#pragma once

#include "app/ui/MainWindowHook.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Records what the hook asks of the main window, as one line per call.
class FakeMainWindow : public IMainWindowHookTarget {
public:
    void Restore() override { calls.push_back("Restore"); }
    void BringToFront() override { calls.push_back("BringToFront"); }
    void AddNode(const std::string& url, const std::string& info, const std::string& html,
                 int treeMode, int dialogMode) override {
        calls.push_back("AddNode " + std::to_string(treeMode) + " " + std::to_string(dialogMode));
        added.push_back({url, info, html, 0});
        if (failAdding) {
            failAdding = false;
            throw std::runtime_error("AddNode failed");
        }
        if (whileAdding) {
            // The Add Item dialog is modal: anything delivered now arrives under it.
            modal = true;
            auto action = std::move(whileAdding);
            action();
            modal = false;
        }
    }
    void OpenBinder(const std::string& path) override { calls.push_back("OpenBinder " + path); }
    bool ModalDialogOpen() const override { return modal; }

    std::vector<std::string> calls;
    std::vector<InsertInfo> added;
    bool modal = false;
    bool failAdding = false;
    std::function<void()> whileAdding;
};
