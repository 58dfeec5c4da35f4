// The cost of the marks by which the program knows its folders, in the work an exchange import
// does in the store: 430 pages, each a 4 KB page file and three resources of 4, 8 and 2 KB,
// staged, put on the disk once and moved into their node folders. Against the same work done
// in the same run without any mark (each folder made plainly), the import with its marks
// ("vs_unmarked") stays within 1.1 x: a mark has no sync of its own.
#include "app/binder/ExchangeUnpack.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/FileDescriptor.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t Pages = 430;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Section {
    std::string page = std::string(4096, 'h');
    std::string gif = std::string(4096, 'g');
    std::string css = std::string(8192, 'c');
    std::string js = std::string(2048, 'j');
    std::vector<SectionFile> files;
    IdTargets targets;

    Section() {
        for (uint32_t id = 1; id <= Pages; ++id) {
            files.push_back({id, IntToHex(id, 1) + ".htm", page});
            files.push_back({id, "a.gif", gif});
            files.push_back({id, "img/b.css", css});
            files.push_back({id, "img/c.js", js});
            targets[id] = {id};
        }
    }
};

std::string FreshFolder(const std::string& parent) {
    std::string folder = JoinPath(parent, "binder-XXXXXX");
    if (::mkdtemp(folder.data()) == nullptr) {
        std::abort();
    }
    return folder;
}

// The import's writing as it would be without marks: the same folders, files, single sync and
// renames.
bool UnpackUnmarked(const Section& section, const std::string& binder) {
    const FileDescriptor root = OpenFolderPath(binder);
    if (::mkdirat(root.Get(), "Bstore", 0777) != 0) {
        return false;
    }
    const FileDescriptor store = OpenFolderAt(root.Get(), "Bstore");
    const FileDescriptor staging = MakeFolderAt(store.Get(), ".import-00000000");
    std::set<uint32_t> ids;
    std::map<uint32_t, FileDescriptor> nodes;
    for (const SectionFile& file : section.files) {
        FileDescriptor& folder = nodes[file.Id];
        if (!folder.Valid()) {
            folder = MakeFolderAt(staging.Get(), IntToHex(file.Id, 1));
        }
        std::string name;
        const FileDescriptor target = OpenFolderOf(folder.Get(), file.Relative, true, name);
        FileDescriptor out(::openat(target.Get(), name.c_str(),
                                    O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!out.Valid() || !WriteAllBytes(out.Get(), file.Bytes.data(), file.Bytes.size()) ||
            !out.Close()) {
            return false;
        }
        ids.insert(file.Id);
    }
    if (::syncfs(staging.Get()) != 0) {
        return false;
    }
    for (uint32_t id : ids) {
        const std::string name = IntToHex(id, 1);
        if (!RenameWithoutReplacing(staging.Get(), name, store.Get(), name)) {
            return false;
        }
    }
    return ::unlinkat(store.Get(), ".import-00000000", AT_REMOVEDIR) == 0;
}

void BM_ImportWithMarksBesideWithout(benchmark::State& state) {
    const Section section;
    const std::string work = FreshFolder(fs::temp_directory_path().string());
    double marked = 0;
    double unmarked = 0;
    bool plainFirst = true;
    for (auto _ : state) {
        // Each goes first in turn, so neither gains from what the other leaves in the caches.
        const auto runPlain = [&] {
            const std::string plain = FreshFolder(work);
            ::sync();
            const auto start = Clock::now();
            const bool done = UnpackUnmarked(section, plain);
            unmarked += Seconds(start);
            fs::remove_all(plain);
            return done;
        };
        double seconds = 0;
        const auto runMarked = [&](std::string& error) {
            const std::string binder = FreshFolder(work);
            ::sync();
            const auto start = Clock::now();
            const bool done =
                UnpackFiles(section.files, section.targets, StoreAccess(binder, "Bstore"), error);
            seconds = Seconds(start);
            marked += seconds;
            fs::remove_all(binder);
            return done;
        };
        std::string error;
        const bool done =
            plainFirst ? runPlain() && runMarked(error) : runMarked(error) && runPlain();
        plainFirst = !plainFirst;
        if (!done) {
            state.SkipWithError(error.empty() ? "the unmarked writing failed" : error.c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["vs_unmarked"] = unmarked > 0 ? marked / unmarked : 0;
    fs::remove_all(work);
}
BENCHMARK(BM_ImportWithMarksBesideWithout)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace
