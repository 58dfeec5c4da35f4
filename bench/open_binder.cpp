// Opening a large binder into the main window, and reloading it, beside reading and parsing the
// same tree file alone, all in the same run. The binder holds one folder with the pages of a
// capture with linked pages (about 100 KB of rewritten page each, without notes), as a level
// capture leaves them. Targets: opening and reloading each take at most 1.5 times the
// parse of the tree file plus 0.3 s; twice the pages take at most 2.2 times as long.
//
// Also an exchange import of a folder of 430 pages into an empty binder shown in the window,
// with the times the views were refreshed for it ("refreshes", a handful when the views hear
// of the import once, not once or twice a page).
#include "app/binder/BinderHeader.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/binder/commands/ExchangeCommands.h"
#include "app/capture/taskqueue.h"
#include "app/ui/Collaborators.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/views/ViewsPane.h"
#include "platform/base/EventLoopInvoker.h"
#include "platform/base/Files.h"
#include "platform/base/Invoker.h"
#include "platform/base/MemorySettingsStore.h"
#include "richtext/tables/RNTable.h"

#include "BenchSupport.h"
#include "MainWindowBench.h"
#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeExportUi.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/PagesExchangeFile.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr size_t PageHtmlBytes = 100 * 1024;

// Records nothing per child, as the real wait form does nothing then.
class QuietUi : public FakeBinderUi {
public:
    void UpdateStatusForm() override {}
};

// Writes the ".bdf" file of a new binder `name` whose root is `root`, in that root; its path.
std::string WriteBinderFile(const std::string& root, const std::string& name) {
    const std::string file = JoinPath(root, name + ".bdf");
    const std::string text = NewBinderFileText(root, name, "", "1/1/2026");
    std::string error;
    WriteFileAtomic(file, text.data(), text.size(), error);
    return file;
}

// A binder on disk: its ".bdf" file, and its tree file with `pages` captured pages in one
// folder. Written once per size and shared by every benchmark of that size.
struct BinderOnDisk {
    bench::TempStore Folder;
    std::string BinderFile;
    std::string TreeFile;
    size_t TreeBytes = 0;

    explicit BinderOnDisk(int pages) {
        BinderFile = WriteBinderFile(Folder.Str(), "site");
        TreeFile = JoinPath(Folder.Str(), "site.sav");
        WriteTree(pages);
        TreeBytes = std::filesystem::file_size(TreeFile);
    }

    void WriteTree(int pages) {
        QuietUi ui;
        FakeTaskQueue queue;
        TSettings settings;
        BinderPaths paths;
        paths.BinderRoot = Folder.Str();
        paths.TreeFilePath = TreeFile;
        TBinderTree binder(queue, settings, paths);
        TBinderTreeCommands commands(ui.Roles(), binder, settings, paths);

        std::mt19937 random(static_cast<unsigned>(pages));
        std::string html;
        html.reserve(PageHtmlBytes);
        while (html.size() < PageHtmlBytes) {
            html += "<p>";
            for (int w = 0; w < 12; ++w) {
                const size_t length = 2 + random() % 9;
                for (size_t c = 0; c < length; ++c) {
                    html += static_cast<char>('a' + random() % 26);
                }
                html += ' ';
            }
            html += "<a href=\"../4A2B/page.htm\">next</a></p>\n";
        }
        auto site = std::make_unique<TPageInfo>();
        site->Kind = NodeKind::Folder;
        site->Title = "docs.example.org";
        const std::string siteTitle = site->Title;
        TTreeNode* folder = binder.Items().AddChildObject(nullptr, siteTitle, std::move(site));
        for (int p = 0; p < pages; ++p) {
            auto page = std::make_unique<TPageInfo>();
            page->Title = "Chapter " + std::to_string(p) + " - Reference";
            page->RequestedUrl = "http://docs.example.org/ref/" + std::to_string(p) + ".html";
            page->FinalUrl = page->RequestedUrl;
            page->Content.PageHtml = html;
            page->Content.PageHtml.replace(random() % 1000, 8, std::to_string(p) + "-xxxxxx");
            page->Content.PageFolder = "docs.example.org/ref";
            page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
            page->Content.Stats.Total = 14;
            page->State = CaptureState::Completed;
            const std::string title = page->Title;
            binder.Items().AddChildObject(folder, title, std::move(page));
        }
        binder.BinderDirty = true;
        if (!commands.FileSaveExecute()) {
            std::fprintf(stderr, "open_binder: the tree file could not be written\n");
        }
    }
};

BinderOnDisk& Binder(int pages) {
    static std::map<int, std::unique_ptr<BinderOnDisk>> binders;
    std::unique_ptr<BinderOnDisk>& binder = binders[pages];
    if (!binder) {
        binder = std::make_unique<BinderOnDisk>(pages);
    }
    return *binder;
}

// The program's main window with its own collaborators (the real binder lifecycle, task queue
// and capture engine), shown on the offscreen platform.
struct BenchWindow : bench::MainWindow {
    std::unique_ptr<TForm4> WaitForm;
    TCollaborators Collaborators;

    BenchWindow() {
        WaitForm = std::make_unique<TForm4>();
        TWindowRoleParts& roles = Window->Roles();
        roles.Status.SetForm(WaitForm.get());
        TCollaboratorContext context{*roles.Binder,
                                     roles.Captures.Port(),
                                     Window->Binder(),
                                     Window->TreeCommands(),
                                     Queue,
                                     Store,
                                     Settings,
                                     Paths,
                                     Start.Str()};
        Collaborators = MakeCollaborators(context);
        Window->SetCaptureStarter(Collaborators.Capture.get());
        Window->SetLifecycle(Collaborators.Lifecycle.get());
        roles.Captures.SetLevelStatusForm(dynamic_cast<MessageTarget*>(Collaborators.Form9.get()));
        Show();
    }
    ~BenchWindow() {
        Lifecycle().CloseBinder();
        Queue.Stop();
        Window->SetLifecycle(nullptr);
        Window->SetCaptureStarter(nullptr);
        Window->Roles().Captures.SetLevelStatusForm(nullptr);
        Window->Roles().Status.SetForm(nullptr);
        Collaborators.Capture.reset();
        Collaborators.Lifecycle.reset();
        Collaborators.Form9.reset();
    }

    IBinderLifecycle& Lifecycle() { return *Collaborators.Lifecycle; }
    int Nodes() { return Window->Binder().Items().Count(); }
};

BenchWindow* window = nullptr;

// Hands the memory freed so far back to the system, so every run starts alike: a tree of
// 100 MB read into memory that an earlier, larger run left behind would skip the page faults
// that the same read pays on a fresh heap, and the runs would not compare.
void ReturnFreedMemory() {
    ::malloc_trim(0);
}

// Lets the window lay out and paint what the open left for the event loop.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

void BM_ParseTreeFile(benchmark::State& state) {
    BinderOnDisk& binder = Binder(static_cast<int>(state.range(0)));
    ReturnFreedMemory();
    for (auto _ : state) {
        TTreeNodes tree;
        TreeLoadContext context;
        context.ListMode = 1;
        size_t size = 0;
        std::unique_ptr<char[]> bytes = LoadFileToBuffer(binder.TreeFile, size);
        if (bytes == nullptr ||
            LoadTreeDump(tree, std::string_view(bytes.get(), size), context) !=
                TreeLoadResult::Loaded ||
            tree.Count() != state.range(0) + 1) {
            state.SkipWithError("the tree file could not be read");
            break;
        }
        state.PauseTiming();
        ClearTree(tree);
        ReturnFreedMemory();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(binder.TreeBytes) / 1e6;
}

void BM_OpenBinder(benchmark::State& state) {
    BinderOnDisk& binder = Binder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        window->Lifecycle().CloseBinder();
        Settle();
        ReturnFreedMemory();
        state.ResumeTiming();
        if (!window->Lifecycle().OpenBinder(binder.BinderFile) ||
            window->Nodes() != state.range(0) + 1) {
            state.SkipWithError("the binder did not open whole");
            break;
        }
        Settle();
    }
}

void BM_ReloadBinder(benchmark::State& state) {
    BinderOnDisk& binder = Binder(static_cast<int>(state.range(0)));
    if (!window->Lifecycle().OpenBinder(binder.BinderFile)) {
        state.SkipWithError("the binder did not open");
        return;
    }
    Settle();
    for (auto _ : state) {
        state.PauseTiming();
        ReturnFreedMemory();
        state.ResumeTiming();
        window->Lifecycle().ReloadBinder();
        if (window->Nodes() != state.range(0) + 1) {
            state.SkipWithError("the binder did not reload whole");
            break;
        }
        Settle();
    }
}

// An exchange file of one folder of pages, written once per size, and an empty binder beside it
// that each run opens afresh.
struct ImportOnDisk {
    bench::TempStore Folder;
    std::string File;
    std::string BinderFile;

    explicit ImportOnDisk(int pages) {
        File = JoinPath(Folder.Str(), "pages.tqz");
        if (!WritePagesExchangeFile(JoinPath(Folder.Str(), "source"), File, pages)) {
            std::fprintf(stderr, "open_binder: the exchange file could not be written\n");
        }
    }

    // A new empty binder "target" in its own folder.
    std::string FreshBinder() {
        const std::string root = JoinPath(Folder.Str(), "target");
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
        std::filesystem::create_directories(root);
        return WriteBinderFile(root, "target");
    }
};

void BM_ImportExchangeFile(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    ImportOnDisk import(pages);
    TFormVelmorRnx& shown = *window->Window;
    int refreshes = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&shown.ViewsPane(), &TViewsPane::Refreshed, [&refreshes] { ++refreshes; });
    for (auto _ : state) {
        state.PauseTiming();
        if (!window->Lifecycle().OpenBinder(import.FreshBinder())) {
            state.SkipWithError("the empty binder did not open");
            break;
        }
        Settle();
        ReturnFreedMemory();
        FakeExportUi ui;
        ui.DialogAnswers.push_back(import.File);
        ExportContext context{shown.Binder(), window->Paths, window->Settings, window->Queue,
                              *window->Collaborators.Capture};
        refreshes = 0;
        state.ResumeTiming();
        FileImportVelmorExecute(context, ui);
        Settle();
        state.PauseTiming();
        if (window->Nodes() != pages + 1) {
            state.SkipWithError("the import lost nodes");
            break;
        }
        state.counters["refreshes"] = refreshes;
        window->Lifecycle().CloseBinder();
        state.ResumeTiming();
    }
    QObject::disconnect(counting);
    state.counters["pages"] = pages;
}

BENCHMARK(BM_ImportExchangeFile)
    ->Arg(430)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK(BM_ParseTreeFile)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_OpenBinder)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ReloadBinder)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// Keeps the real time of each run by name, and afterwards sets the targets against them.
class TargetReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred) {
                seconds_[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e3;
            }
        }
    }

    // The targets whose runs all took place.
    void PrintTargets() const {
        for (const int pages : {1000, 2000}) {
            const std::string size = "/" + std::to_string(pages) + "/iterations:3/real_time";
            const double parse = Seconds("BM_ParseTreeFile" + size);
            for (const char* name : {"BM_OpenBinder", "BM_ReloadBinder"}) {
                const double taken = Seconds(name + size);
                if (parse < 0 || taken < 0) {
                    continue;
                }
                const double limit = 1.5 * parse + 0.3;
                std::printf("%-16s %4d pages: %.3f s, limit 1.5 x %.3f s + 0.3 s = %.3f s: %s\n",
                            name, pages, taken, parse, limit, Verdict(taken <= limit));
            }
        }
        const std::string small = "/1000/iterations:3/real_time";
        const std::string large = "/2000/iterations:3/real_time";
        for (const char* name : {"BM_OpenBinder", "BM_ReloadBinder"}) {
            const double once = Seconds(name + small);
            const double twice = Seconds(name + large);
            if (once <= 0 || twice < 0) {
                continue;
            }
            std::printf("%-16s 2000 / 1000 pages: %.2f, limit 2.2: %s\n", name, twice / once,
                        Verdict(twice / once <= 2.2));
        }
    }

private:
    // Seconds of real time per iteration; -1 for a run that did not take place.
    double Seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found != seconds_.end() ? found->second : -1.0;
    }
    static const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
    return bench::RunWithMainWindow(argc, argv, [] {
        BenchWindow shown;
        window = &shown;
        TargetReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        reporter.PrintTargets();
        window = nullptr;
    });
}
