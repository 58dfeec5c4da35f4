// Export and import of an exchange file for a binder of 10,000 nodes: 1,000 folders holding
// 9,000 web pages, each page with 4 KB of rewritten HTML and three stored files of 4, 8 and
// 2 KB. Targets, against tar on the same disk in the same run: the export at most 2 x
// `tar -cf` of the store folder followed by an fsync of the archive ("vs_tar" <= 2), the
// import at most 3 x `tar -xf` of that archive into an empty folder followed by `sync -f`
// ("vs_tar" <= 3).
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/binder/commands/ExchangeCommands.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeCaptureStarter.h"
#include "tests/support/FakeExportUi.h"
#include "tests/support/FakeTaskQueue.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct BenchBinder {
    std::string folder;
    FakeBinderUi ui;
    FakeTaskQueue queue;
    FakeCaptureStarter capture;
    TSettings settings;
    BinderPaths paths;
    TBinderTree binder{queue, settings, paths};
    TBinderTreeCommands commands{ui.Roles(), binder, settings, paths};
    FakeExportUi exportUi;
    ExportContext context{binder, paths, settings, queue, capture};

    explicit BenchBinder(const std::string& parent) {
        folder = JoinPath(parent, "binder-XXXXXX");
        ::mkdtemp(folder.data());
        paths.BinderRoot = folder;
        paths.TreeFilePath = JoinPath(folder, "bench.sav");
        settings.ListMode = 0;
    }

    std::string Store() const { return JoinPath(paths.BinderRoot, paths.BinderStore); }

    void Fill() {
        const std::string html(4096, 'h');
        uint32_t id = 1;
        for (int f = 0; f < 1000; ++f) {
            auto folderRecord = std::make_unique<TPageInfo>();
            folderRecord->Kind = NodeKind::Folder;
            folderRecord->Id = id++;
            folderRecord->Title = "Folder " + std::to_string(f);
            const std::string folderTitle = folderRecord->Title;
            TTreeNode* parent =
                binder.Items().AddChildObject(nullptr, folderTitle, std::move(folderRecord));
            for (int p = 0; p < 9; ++p) {
                auto page = std::make_unique<TPageInfo>();
                page->Kind = NodeKind::WebPage;
                page->Id = id++;
                page->Title = "Page " + std::to_string(p);
                page->RequestedUrl = "http://example.test/" + std::to_string(page->Id);
                page->Content.PageHtml = html;
                page->Content.Stats.State = 2;
                const std::string node = JoinPath(Store(), IntToHex(page->Id, 1));
                fs::create_directories(node + "/img");
                for (auto [name, size] :
                     {std::pair{"a.gif", 4096}, {"img/b.css", 8192}, {"img/c.js", 2048}}) {
                    const std::string bytes(static_cast<size_t>(size), 'x');
                    std::string error;
                    WriteFileAtomic(JoinPath(node, name), bytes.data(), bytes.size(), error);
                }
                const std::string title = page->Title;
                binder.Items().AddChildObject(parent, title, std::move(page));
            }
        }
    }
};

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::abort();
    }
}

void SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ::fsync(fd);
    ::close(fd);
}

// One binder and one exchange file for all benchmarks.
struct Setup {
    std::string work;
    std::unique_ptr<BenchBinder> source;
    std::string exchange;
    std::string archive;

    Setup() {
        work = JoinPath(fs::temp_directory_path().string(), "tarnwick-bench-XXXXXX");
        ::mkdtemp(work.data());
        source = std::make_unique<BenchBinder>(work);
        source->Fill();
        exchange = JoinPath(work, "binder.tqz");
        archive = JoinPath(work, "store.tar");
        Shell("sync");
    }
    ~Setup() {
        std::error_code ignored;
        fs::remove_all(work, ignored);
    }
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

double TarCreate(Setup& setup) {
    const auto start = Clock::now();
    Shell("tar -cf '" + setup.archive + "' -C '" + setup.source->Store() + "' .");
    SyncFile(setup.archive);
    return Seconds(start);
}

double TarExtract(Setup& setup) {
    const std::string target = JoinPath(setup.work, "untar");
    fs::remove_all(target);
    fs::create_directories(target);
    Shell("sync");
    const auto start = Clock::now();
    Shell("tar -xf '" + setup.archive + "' -C '" + target + "' && sync -f '" + target + "'");
    const double seconds = Seconds(start);
    fs::remove_all(target);
    return seconds;
}

void BM_ExportWholeBinder(benchmark::State& state) {
    Setup& setup = Shared();
    double total = 0;
    double tar = 0;
    for (auto _ : state) {
        tar += TarCreate(setup);
        const auto start = Clock::now();
        setup.source->exportUi.DialogAnswers.push_back(setup.exchange);
        FileExportAllExecute(setup.source->context, setup.source->exportUi);
        const double seconds = Seconds(start);
        total += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["vs_tar"] = total / tar;
}
BENCHMARK(BM_ExportWholeBinder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportIntoEmptyBinder(benchmark::State& state) {
    Setup& setup = Shared();
    if (!fs::exists(setup.exchange)) {
        setup.source->exportUi.DialogAnswers.push_back(setup.exchange);
        FileExportAllExecute(setup.source->context, setup.source->exportUi);
        TarCreate(setup);
    }
    double total = 0;
    double tar = 0;
    for (auto _ : state) {
        tar += TarExtract(setup);
        auto target = std::make_unique<BenchBinder>(setup.work);
        Shell("sync");
        const auto start = Clock::now();
        target->exportUi.DialogAnswers.push_back(setup.exchange);
        FileImportVelmorExecute(target->context, target->exportUi);
        const double seconds = Seconds(start);
        total += seconds;
        state.SetIterationTime(seconds);
        if (target->binder.Items().Count() != 10000) {
            state.SkipWithError("the import lost nodes");
        }
        ClearTree(target->binder.Items());
        fs::remove_all(target->folder);
    }
    state.counters["vs_tar"] = total / tar;
}
BENCHMARK(BM_ImportIntoEmptyBinder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
