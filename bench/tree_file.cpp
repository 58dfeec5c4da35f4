// Saving and loading the tree file of a binder of 10,000 nodes: 100 folders of 99 web pages,
// each page holding 4 KB of rewritten HTML and a 1 KB note. Target: each under 100 ms.
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "platform/base/Files.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeTaskQueue.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

// Records nothing per child, as the real wait form does nothing then.
class QuietUi : public FakeBinderUi {
public:
    void UpdateStatusForm() override {}
};

struct BenchBinder {
    std::string folder;
    QuietUi ui;
    FakeTaskQueue queue;
    TSettings settings;
    BinderPaths paths;
    TBinderTree binder{queue, settings, paths};
    TBinderTreeCommands commands{ui.Roles(), binder, settings, paths};

    BenchBinder() {
        char name[] = "/tmp/tarnwick-bench-XXXXXX";
        folder = ::mkdtemp(name);
        paths.BinderRoot = folder;
        paths.TreeFilePath = JoinPath(folder, "bench.sav");
        settings.ListMode = 0;
    }
    ~BenchBinder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void Fill() {
        std::mt19937 random(1);
        std::string html(4096, ' ');
        std::string note(1024, ' ');
        for (char& c : html) {
            c = static_cast<char>('a' + random() % 26);
        }
        for (char& c : note) {
            c = static_cast<char>(random());
        }
        TTreeNodes& tree = binder.Items();
        for (int f = 0; f < 100; ++f) {
            auto folderRecord = std::make_unique<TPageInfo>();
            folderRecord->Kind = NodeKind::Folder;
            folderRecord->Title = "Folder " + std::to_string(f);
            const std::string folderTitle = folderRecord->Title;
            TTreeNode* parent = tree.AddChildObject(nullptr, folderTitle, std::move(folderRecord));
            for (int p = 0; p < 99; ++p) {
                auto page = std::make_unique<TPageInfo>();
                page->Title = "Page " + std::to_string(p);
                page->RequestedUrl =
                    "http://example.com/" + std::to_string(f) + "/" + std::to_string(p) + ".html";
                page->FinalUrl = page->RequestedUrl;
                page->Content.PageHtml = html;
                page->Content.PageFolder = "example.com/" + std::to_string(f);
                page->Content.Stats.State = 2;
                page->State = CaptureState::Completed;
                page->Notes.AppendRaw(note.data(), note.size());
                const std::string title = page->Title;
                tree.AddChildObject(parent, title, std::move(page));
            }
        }
    }
};

void BM_TreeFileSave(benchmark::State& state) {
    BenchBinder bench;
    bench.Fill();
    for (auto _ : state) {
        bench.binder.BinderDirty = true;
        if (!bench.commands.FileSaveExecute()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(
                                                     bench.paths.TreeFilePath)));
    state.counters["nodes"] = bench.binder.Items().Count();
}
BENCHMARK(BM_TreeFileSave)->Unit(benchmark::kMillisecond);

void BM_TreeFileLoad(benchmark::State& state) {
    BenchBinder bench;
    bench.Fill();
    bench.binder.BinderDirty = true;
    bench.commands.FileSaveExecute();
    bench.binder.Items().Clear();
    for (auto _ : state) {
        if (bench.commands.LoadBinderTree() != TreeLoadResult::Loaded ||
            bench.binder.Items().Count() != 10000) {
            state.SkipWithError("load failed");
            break;
        }
        state.PauseTiming();
        bench.binder.Items().Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(
                                                     bench.paths.TreeFilePath)));
}
BENCHMARK(BM_TreeFileLoad)->Unit(benchmark::kMillisecond);

} // namespace
