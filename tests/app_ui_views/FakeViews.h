#pragma once

// A browser and a window that remember what the views controller asked of them.

#include "app/ui/views/ViewsWindow.h"
#include "platform/browser/Browser.h"

#include <map>
#include <string>
#include <vector>

struct FakeBrowser : IBrowser {
    std::vector<std::string> Calls;      // "html:<base>", "nav:<url>", "back", "forward", ...
    std::vector<HtmlEncoding> Encodings; // of each "html:" call
    std::string Location = "about:blank";
    bool IsBusy = false, IsOffline = false, Document = true;
    int Zoom = DefaultZoomStep;

    void Navigate(const std::string& url) override { Calls.push_back("nav:" + url); }
    void GoBack() override { Calls.push_back("back"); }
    void GoForward() override { Calls.push_back("forward"); }
    void Stop() override { Calls.push_back("stop"); }
    void Refresh() override { Calls.push_back("refresh"); }
    bool Busy() const override { return IsBusy; }
    std::string LocationURL() const override { return Location; }
    bool HasDocument() const override { return Document; }
    void LoadHtml(const std::string&, const std::string& b, HtmlEncoding e) override {
        Calls.push_back("html:" + b);
        Encodings.push_back(e);
    }
    bool Offline() const override { return IsOffline; }
    void SetOffline(bool offline) override { IsOffline = offline; }
    void Print() override { Calls.push_back("print"); }
    void SetZoomStep(int step) override { Zoom = step; }
    int ZoomStep() const override { return Zoom; }
    void ShowFind() override { Calls.push_back("find"); }
};

struct FakeViewsWindow : IViewsWindow {
    std::map<ViewCommand, bool> Enabled;
    bool Visible[ViewPageCount] = {true, true, true, true};
    ViewPage Active = ViewPage::Summary;
    std::map<int, std::string> Panels;
    std::string Address;
    int Changed = 0, Captures = 0;

    void SetCommandEnabled(ViewCommand c, bool on) override { Enabled[c] = on; }
    void SetPageVisible(ViewPage p, bool on) override { Visible[static_cast<int>(p)] = on; }
    void ActivatePage(ViewPage p) override { Active = p; }
    ViewPage ActivePage() const override { return Active; }
    void SetViewMark(int) override {}
    void SetStatusPanel(int panel, const std::string& text) override { Panels[panel] = text; }
    void SetStatusProgress(int) override {}
    void SetAddress(const std::string& url) override { Address = url; }
    void SetDownloadAnimation(bool) override {}
    void ShowNodeSummary(const TTreeNode&) override {}
    void ShowDetail(const std::vector<std::string>&, const std::string&) override {}
    void BinderChanged() override { ++Changed; }
    void CaptureSelectedNode() override { ++Captures; }

    // "SNBD" for the visible pages (summary, notes, browse, detail), "-" for hidden ones.
    std::string Tabs() const {
        std::string tabs;
        for (int p = 0; p < ViewPageCount; ++p) {
            tabs += Visible[p] ? "SNBD"[p] : '-';
        }
        return tabs;
    }
};
