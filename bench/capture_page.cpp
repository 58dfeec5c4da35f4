// Capturing a page of a loopback site: the page and its 50 resources of 20 KB each, fetched
// over one kept-alive connection and written below a node folder in a temporary store. Counts
// pages per second and the process's peak memory (the in-process server included). A second
// case captures a page with one 50 MB picture, which goes to its file as it arrives: the
// process's memory grows by far less than the picture.
#include "app/binder/PageInfo.h"
#include "app/capture/CapturePage.h"

#include "bench/BenchSupport.h"
#include "tests/support/LoopbackServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr int Resources = 50;
constexpr size_t ResourceSize = 20 * 1024;

using bench::PeakKb;
using bench::ResetPeak;
using bench::TempStore;

void BM_CapturePage(benchmark::State& state) {
    LoopbackServer server;
    std::string page = "<html><head><title>Bench</title>"
                       "<link rel=stylesheet href=\"css/site.css\"></head><body>\r\n";
    for (int i = 0; i < Resources; ++i) {
        const std::string name = std::to_string(i);
        std::string body(ResourceSize, static_cast<char>('a' + i % 26));
        body[0] = '\0';
        if (i == 0) {
            server.Serve("/site/css/site.css", body, "text/css");
            continue;
        }
        const std::string path =
            i % 10 == 0 ? "/site/js/s" + name + ".js" : "/site/img/p" + name + ".gif";
        server.Serve(path, body, i % 10 == 0 ? "application/javascript" : "image/gif");
        page += i % 10 == 0 ? "<script src=\"js/s" + name + ".js\"></script>\r\n"
                            : "<p>Picture " + name + " <img src=\"img/p" + name + ".gif\">\r\n";
    }
    page += "<a href=\"next.htm\">next</a></body></html>\r\n";
    server.Serve("/site/index.htm", page, "text/html; charset=iso-8859-1");
    server.Start();

    TempStore store;
    CaptureContext context;
    context.Root = store.Str();
    context.Store = "store";
    ResetPeak();
    int32_t fetched = 0;
    for (auto _ : state) {
        // A fresh record each round, as every capture of a new node has.
        TPageInfo node;
        node.Id = 0xBE7C;
        node.RequestedUrl = server.Url("/site/index.htm");
        if (!CapturePage(node, false, nullptr, context)) {
            state.SkipWithError("the capture failed");
            break;
        }
        fetched = node.Content.Stats.Groups[GroupImg].Fetched +
                  node.Content.Stats.Groups[GroupCss].Fetched +
                  node.Content.Stats.Groups[GroupScript].Fetched;
    }
    if (fetched != Resources) {
        state.SkipWithError("not every resource was stored");
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(Resources * ResourceSize + page.size()));
    state.counters["peak_MB"] = static_cast<double>(PeakKb()) / 1024.0;
}
BENCHMARK(BM_CapturePage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaptureLargePicture(benchmark::State& state) {
    constexpr size_t PictureSize = 50u * 1024 * 1024;
    LoopbackServer server;
    server.Http().Get("/site/big.jpg", [](const httplib::Request&, httplib::Response& response) {
        // One piece served over and over, so the server itself holds little.
        auto piece = std::make_shared<std::string>(65536, 'p');
        response.set_content_provider(
            PictureSize, "image/jpeg", [piece](size_t, size_t length, httplib::DataSink& sink) {
                sink.write(piece->data(), std::min(length, piece->size()));
                return true;
            });
    });
    server.Serve("/site/index.htm", "<html><body><img src=\"big.jpg\"></body></html>", "text/html");
    server.Start();

    TempStore store;
    CaptureContext context;
    context.Root = store.Str();
    context.Store = "store";
    long growthKb = 0;
    for (auto _ : state) {
        TPageInfo node;
        node.Id = 0xB16;
        node.RequestedUrl = server.Url("/site/index.htm");
        ResetPeak();
        const long before = bench::StatusKb("VmRSS:");
        if (!CapturePage(node, false, nullptr, context) ||
            node.Content.Stats.Groups[GroupImg].Fetched != 1) {
            state.SkipWithError("the picture was not stored");
            break;
        }
        growthKb = std::max(growthKb, PeakKb() - before);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(PictureSize));
    state.counters["peak_growth_MB"] = static_cast<double>(growthKb) / 1024.0;
}
BENCHMARK(BM_CaptureLargePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
