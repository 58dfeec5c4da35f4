// A capture with linked pages, two levels deep, of a generated documentation site of 400
// pages, started the way the Add Item dialog starts it; in the same run wget mirrors the same
// site from the same server ("wget -r -l 2 -p -k"). The server runs in a child process, so
// neither side's memory holds it. Reported for both: wall time, peak memory (the capture's
// growth over what the process held before it started; the peak of each run's own wget),
// files and bytes written (each stored file counted once however many names it has; the
// capture's tree file on top).
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/capture/CaptureController.h"
#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/Files.h"
#include "platform/base/Invoker.h"
#include "platform/base/PostedMessage.h"

#include "bench/BenchSupport.h"
#include "tests/app_capture/FakeLevelForm.h"
#include "tests/support/FakeBinderUi.h"
#include "tests/support/FakeTaskQueue.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <csignal>
#include <map>
#include <set>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Pages = 400;
constexpr int LinksPerPage = 20;

struct SiteFile {
    std::string Body;
    std::string Type;
};

std::string PageName(int page) {
    char name[32];
    std::snprintf(name, sizeof name, "/docs/p%03d.html", page % Pages);
    return name;
}

// The bytes of a PNG file of `size` bytes: the signature, then filler that differs with
// `variant` so that no two files of the site are alike.
std::string PngFileBytes(size_t size, int variant) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    const size_t offset = static_cast<size_t>(variant) * 7;
    while (bytes.size() < size) {
        bytes += static_cast<char>((bytes.size() * 31 + offset) % 256);
    }
    return bytes;
}

// Page i: 20 to 60 KB of HTML with the shared style sheet and logo, its own figure, links
// next/prev/index, in-page contents links, and 20 links to pages 20i+1 ... 20i+20 (modulo the
// site), every second one with a fragment, so two levels from page 0 reach every page.
std::map<std::string, SiteFile> MakeSite(size_t& htmlBytes) {
    std::map<std::string, SiteFile> site;
    site["/static/site.css"] = {std::string(8 * 1024, ' ') + "body{font:1em serif}", "text/css"};
    site["/static/logo.png"] = {PngFileBytes(6 * 1024, 0), "image/png"};
    htmlBytes = 0;
    for (int i = 0; i < Pages; ++i) {
        const std::string figure = "/img/fig" + std::to_string(i) + ".png";
        site[figure] = {PngFileBytes(12 * 1024, i + 1), "image/png"};
        std::string html = "<!DOCTYPE html>\n<html><head><title>Page " + std::to_string(i) +
                           "</title>\n<link rel=\"stylesheet\" href=\"../static/site.css\">\n"
                           "<link rel=\"next\" href=\"" +
                           PageName(i + 1).substr(6) + "\">\n<link rel=\"prev\" href=\"" +
                           PageName(i + Pages - 1).substr(6) +
                           "\">\n<link rel=\"index\" href=\"p000.html\">\n</head>\n<body>\n"
                           "<img src=\"/static/logo.png\" alt=\"logo\">\n<ul class=\"toc\">\n";
        for (int s = 1; s <= 5; ++s) {
            html += "<li><a href=\"#sec-" + std::to_string(s) + "\">Section " + std::to_string(s) +
                    "</a></li>\n";
        }
        html += "</ul>\n<ul class=\"see\">\n";
        for (int k = 1; k <= LinksPerPage; ++k) {
            const int target = (i * LinksPerPage + k) % Pages;
            html += "<li><a href=\"" + PageName(target).substr(6) +
                    (k % 2 == 0 ? "#term-" + std::to_string(k) : std::string()) + "\">Page " +
                    std::to_string(target) + "</a></li>\n";
        }
        html += "</ul>\n<img src=\"../img/fig" + std::to_string(i) + ".png\" alt=\"figure\">\n";
        const size_t size = (20 + static_cast<size_t>(i * 97 % 41)) * 1024;
        for (int s = 1; html.size() < size; ++s) {
            html += "<h2 id=\"sec-" + std::to_string(s % 5 + 1) + "\">Section</h2>\n<p>";
            for (int w = 0; w < 60; ++w) {
                html += "word" + std::to_string((i + s + w) % 13) + " ";
            }
            html += "</p>\n";
        }
        html += "</body></html>\n";
        htmlBytes += html.size();
        site[PageName(i)] = {std::move(html), "text/html"};
    }
    return site;
}

// The site served on 127.0.0.1 by a child process, until this ends.
class SiteServer {
public:
    explicit SiteServer(const std::map<std::string, SiteFile>& site) {
        int channel[2];
        if (::pipe(channel) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(channel[0]);
            httplib::Server server;
            server.set_tcp_nodelay(true);
            // Served as a plain static file server serves it, uncompressed, to both clients:
            // this server would otherwise spend its time in its slowest compression. (The
            // request is the server's own object, made writable only for this.)
            server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
                const_cast<httplib::Request&>(request).headers.erase("Accept-Encoding");
                return httplib::Server::HandlerResponse::Unhandled;
            });
            for (const auto& entry : site) {
                const auto& file = entry.second; // not a binding: lambdas capture it by name
                server.Get(entry.first,
                           [&file](const httplib::Request&, httplib::Response& response) {
                               response.set_content(file.Body, file.Type);
                           });
            }
            int port = server.bind_to_any_port("127.0.0.1");
            (void)!::write(channel[1], &port, sizeof port);
            ::close(channel[1]);
            server.listen_after_bind();
            ::_exit(0);
        }
        ::close(channel[1]);
        if (pid_ > 0 && ::read(channel[0], &port_, sizeof port_) != sizeof port_) {
            port_ = 0;
        }
        ::close(channel[0]);
    }
    ~SiteServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

struct Written {
    size_t Files = 0;     // names of regular files
    uint64_t Bytes = 0;   // bytes of the distinct files behind them
    size_t HtmlFiles = 0; // names ending in ".html"
};

Written CountWritten(const fs::path& folder) {
    Written written;
    std::set<std::pair<dev_t, ino_t>> seen;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        struct stat status;
        if (::lstat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        ++written.Files;
        written.HtmlFiles += it->path().extension() == ".html" ? 1 : 0;
        if (seen.insert({status.st_dev, status.st_ino}).second) {
            written.Bytes += static_cast<uint64_t>(status.st_size);
        }
    }
    return written;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Runs wget against the root URL into `folder`; its wall time and its own peak memory in
// kilobytes. wget runs traced, so that it stops as it exits and its peak is read from its own
// status then. What the kernel keeps for a child (wait4, RUSAGE_CHILDREN) also counts the
// copy of this process that the fork made before wget was loaded, which grows from one
// repetition to the next; RUSAGE_CHILDREN also counts every child reaped before, such as the
// site server of an earlier repetition.
bool RunWget(const std::string& url, const fs::path& folder, double& seconds, long& peakKb) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execlp("wget", "wget", "-r", "-l", "2", "-p", "-k", "-q", "--no-proxy", "-e",
                 "robots=off", "-P", folder.c_str(), url.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    // A traced child stops once wget has been loaded; one that could not load it just ends.
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        return false;
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
    peakKb = -1;
    long pass = 0; // the stop after loading is ours; any later signal is wget's own
    for (;;) {
        ::ptrace(PTRACE_CONT, pid, nullptr, pass);
        if (::waitpid(pid, &status, 0) != pid) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return false;
        }
        if (!WIFSTOPPED(status)) {
            break;
        }
        pass = WSTOPSIG(status);
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            peakKb = bench::StatusKb("VmHWM:", std::to_string(pid));
            pass = 0;
        }
    }
    seconds = Seconds(start);
    // wget answers 8 when some file could not be fetched (none here is missing).
    return peakKb > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_LevelCaptureBesideWget(benchmark::State& state) {
    size_t siteHtml = 0;
    const std::map<std::string, SiteFile> site = MakeSite(siteHtml);
    SiteServer server(site); // before any thread of this process starts
    if (server.Port() <= 0) {
        state.SkipWithError("the site server did not start");
        return;
    }
    const std::string rootUrl = server.Url(PageName(0));
    for (auto _ : state) {
        bench::TempStore wgetDir;
        double wgetSeconds = 0;
        long wgetPeakKb = 0;
        if (!RunWget(rootUrl, wgetDir.Path(), wgetSeconds, wgetPeakKb)) {
            state.SkipWithError("wget failed (is it installed?)");
            return;
        }
        const Written wget = CountWritten(wgetDir.Path());

        bench::TempStore binderDir;
        MainThreadInvoker invoker;
        SetInvoker(&invoker);
        FakeLevelForm form;
        FakeBinderUi ui;
        FakeTaskQueue queue;
        TSettings settings = DefaultSettings(binderDir.Str());
        BinderPaths paths;
        paths.BinderRoot = binderDir.Str();
        paths.BinderStore = "Notesstore";
        paths.BinderSave = "Notes.sav";
        paths.TreeFilePath = JoinPath(paths.BinderRoot, paths.BinderSave);
        FakeCaptureReports window;
        window.Form = &form;
        TCapturePort port{window};
        CaptureSetup setup;
        setup.Paths = &paths;
        setup.Port = &port;
        setup.LevelForm = &form;
        double seconds = 0;
        long growthKb = 0;
        size_t nodes = 0;
        size_t htmlBytes = 0;
        Written ours;
        uint64_t treeBytes = 0;
        {
            // The engine is built over the tree, then handed to it.
            TBinderTree binder(queue, settings, paths);
            TBinderTreeCommands commands(ui.Roles(), binder, settings, paths);
            setup.Records = &binder;
            CaptureController controller(setup);
            binder.SetCaptureStarter(&controller);
            window.OnDone = [&binder](uint32_t id) { OnCaptureFinished(binder, id); };
            FakeAddItemScript dialog;
            dialog.Rounds.push_back({TModalResult::Ok, rootUrl, std::string("Site")});
            dialog.Options.Levels = 2;
            ui.AddItemDialogs.push_back(std::move(dialog));

            bench::ResetPeak();
            const long baselineKb = bench::StatusKb("VmRSS:");
            const auto start = std::chrono::steady_clock::now();
            commands.FileNewNodeExecute(); // returns when the status form has closed
            invoker.Drain();
            seconds = Seconds(start);
            growthKb = bench::PeakKb() - baselineKb;

            for (TTreeNode* node = binder.Items().GetFirstNode(); node; node = node->GetNext()) {
                ++nodes;
                htmlBytes += NodeRecord(node)->Content.FetchedText.size();
            }
            binder.BinderDirty = true;
            commands.FileSaveExecute();
            ours = CountWritten(binderDir.Path() / paths.BinderStore);
            treeBytes = fs::file_size(paths.TreeFilePath);
            binder.Items().Clear();
        }
        SetInvoker(nullptr);

        const double htmlMb = static_cast<double>(htmlBytes) / 1e6;
        state.counters["nodes"] = static_cast<double>(nodes);
        state.counters["pages"] = Pages;
        state.counters["wget_pages"] = static_cast<double>(wget.HtmlFiles);
        state.counters["wall_s"] = seconds;
        state.counters["wget_wall_s"] = wgetSeconds;
        state.counters["peak_growth_MB"] = static_cast<double>(growthKb) / 1024.0;
        state.counters["peak_limit_MB"] = 2 * htmlMb + 60;
        state.counters["wget_peak_MB"] = static_cast<double>(wgetPeakKb) / 1024.0;
        state.counters["files"] = static_cast<double>(ours.Files);
        state.counters["wget_files"] = static_cast<double>(wget.Files);
        state.counters["disk_MB"] = static_cast<double>(ours.Bytes + treeBytes) / 1e6;
        state.counters["tree_MB"] = static_cast<double>(treeBytes) / 1e6;
        state.counters["wget_disk_MB"] = static_cast<double>(wget.Bytes) / 1e6;
        state.counters["html_MB"] = htmlMb;
        state.counters["site_html_MB"] = static_cast<double>(siteHtml) / 1e6;
        if (nodes != Pages) {
            state.SkipWithError("the nodes are not the distinct pages");
        }
    }
}
BENCHMARK(BM_LevelCaptureBesideWget)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
