// Scanning and rewriting a page of 2 MB with 5,000 tags and 1,000 references, and one ten
// times as large (argument 10), so that the cost per byte of both sizes can be compared. A
// 2 MB page read again and again stays in the processor's cache where 20 MB cannot; ten
// different 2 MB pages in turn show the cost of the same 20 MB read from memory.
#include "app/binder/PageInfo.h"
#include "app/capture/HtmlParser.h"
#include "app/capture/PageParser.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int TagsPerUnit = 5000;
constexpr int ReferencesPerUnit = 1000;
constexpr size_t BytesPerUnit = 2 * 1024 * 1024;

// One reference of every fourth tag pair: images, links, style sheets, scripts whose body
// writes markup, frames and table backgrounds, a few of them repeated.
std::string Reference(int i) {
    std::string n = std::to_string(i % 900); // one in ten names comes back
    switch (i % 8) {
    case 0:
    case 1:
        return "<img src=\"img/pic" + n + ".gif\" alt=\"picture " + n + "\">";
    case 2:
        return "<a href=\"../section/page" + n + ".htm\">page " + n + "</a>";
    case 3:
        return "<img src=\"/shared/icon" + n + ".png\" lowsrc=\"low" + n + ".gif\">";
    case 4:
        return "<link rel=stylesheet href=\"http://cdn.example.com/css/s" + n + ".css\">";
    case 5:
        return "<script src=\"js/s" + n + ".js\">document.write('<img src=\"w" + n +
               ".jpg\">');</script>";
    case 6:
        return "<td background=\"bg" + n + ".gif\">";
    default:
        return "<a href=\"http://other.example.org/x/" + n + ".html?q=1&amp;r=2\">out</a>";
    }
}

std::string MakePage(int units) {
    const std::string filler = "Plain text of the page, long enough to be read as prose. ";
    const int tags = TagsPerUnit * units;
    const int references = ReferencesPerUnit * units;
    const size_t size = BytesPerUnit * static_cast<size_t>(units);
    std::string page = "<html><head><title>Bench</title></head><body>\r\n";
    page.reserve(size + 4096);
    int written = 0;
    for (int i = 0; written < tags; ++i) {
        std::string tag;
        if (i % 4 == 0 && i / 4 < references) {
            tag = Reference(i / 4);
        } else {
            tag = (i % 2 == 0) ? "<p class=\"text\">" : "<b>";
        }
        // A script reference brings its closing tag with it.
        written += tag.find("</") != std::string::npos ? 2 : 1;
        page += tag;
        size_t target = size * static_cast<size_t>(written) / static_cast<size_t>(tags);
        while (page.size() < target) {
            page.append(filler, 0, std::min(filler.size(), target - page.size()));
        }
    }
    page += "</body></html>\r\n";
    return page;
}

void BM_TagScan(benchmark::State& state) {
    const std::string page = MakePage(static_cast<int>(state.range(0)));
    int64_t tags = 0;
    for (auto _ : state) {
        HtmlParser parser(page);
        tags = 0;
        while (std::unique_ptr<Tag> tag = parser.NextTag()) {
            ++tags;
        }
        benchmark::DoNotOptimize(tags);
    }
    state.counters["tags"] = static_cast<double>(tags);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TagScan)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_ParsePage(benchmark::State& state) {
    TPageInfo node;
    node.Content.FetchedText = MakePage(static_cast<int>(state.range(0)));
    size_t links = 0;
    for (auto _ : state) {
        // A capture parses into a fresh record: nothing of the last round is held.
        node.FinalUrl = "http://www.example.com/dir/page.htm";
        node.Content.Links.clear();
        node.Content.PageHtml = std::string();
        ParsePage(node, nullptr);
        links = node.Content.Links.size();
        benchmark::DoNotOptimize(node.Content.PageHtml.data());
    }
    state.counters["links"] = static_cast<double>(links);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(node.Content.FetchedText.size()));
}
BENCHMARK(BM_ParsePage)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_ParseTenPages(benchmark::State& state) {
    std::vector<std::unique_ptr<TPageInfo>> nodes;
    int64_t bytes = 0;
    for (int i = 0; i < 10; ++i) {
        nodes.push_back(std::make_unique<TPageInfo>());
        nodes.back()->Content.FetchedText = MakePage(1);
        bytes += static_cast<int64_t>(nodes.back()->Content.FetchedText.size());
    }
    for (auto _ : state) {
        for (auto& node : nodes) {
            node->FinalUrl = "http://www.example.com/dir/page.htm";
            node->Content.Links.clear();
            node->Content.PageHtml = std::string();
            ParsePage(*node, nullptr);
            benchmark::DoNotOptimize(node->Content.PageHtml.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ParseTenPages)->Unit(benchmark::kMillisecond);

} // namespace
