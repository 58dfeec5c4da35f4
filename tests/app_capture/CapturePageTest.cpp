#include "app/capture/CapturePage.h"

#include "app/capture/MultiCapture.h"
#include "platform/net/UrlCache.h"

#include "tests/app_capture/CaptureTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A served body of any size whose every byte depends on its position alone, so pieces can be
// made on demand and the stored file checked without holding the whole.
char PatternByte(size_t position) {
    return static_cast<char>((position * 7 + position / 65536) % 251);
}

void ServePattern(LoopbackServer& server, const std::string& path, size_t size,
                  const std::string& type) {
    server.Http().Get(path, [size, type](const httplib::Request&, httplib::Response& response) {
        // One buffer for every piece, so the server's own memory stays small too.
        auto piece = std::make_shared<std::vector<char>>(65536);
        response.set_content_provider(
            size, type, [piece](size_t offset, size_t length, httplib::DataSink& sink) {
                const size_t count = std::min(length, piece->size());
                for (size_t i = 0; i < count; ++i) {
                    (*piece)[i] = PatternByte(offset + i);
                }
                sink.write(piece->data(), count);
                return true;
            });
    });
}

bool FileHoldsPattern(const fs::path& path, size_t size) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    size_t position = 0;
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i, ++position) {
            if (block[static_cast<size_t>(i)] != PatternByte(position)) {
                return false;
            }
        }
    }
    return position == size;
}

class MapCache : public IUrlCache {
public:
    std::map<std::string, std::string> Entries;
    std::optional<std::string> Lookup(const std::string& url) override {
        auto found = Entries.find(url);
        return found == Entries.end() ? std::nullopt : std::optional(found->second);
    }
};

std::string Html(const std::string& body) {
    return "<html><body>" + body + "</body></html>";
}

// Serves an HTML page of `body` at `page`, and the picture "a.gif" beside it.
void ServePageAndPicture(LoopbackServer& server, const std::string& page, const std::string& body) {
    server.Serve(page, Html(body), "text/html");
    server.Serve(page.substr(0, page.rfind('/') + 1) + "a.gif", "GIF89a", "image/gif");
}

} // namespace

TEST(CapturePage, FixtureSiteIsStoredWithItsExactFilesAndStatistics) {
    LoopbackServer server;
    RequestLog log(server);
    server.Http().set_mount_point("/", FixturePath("capture_site").string());
    server.Http().set_file_extension_and_mimetype_mapping("htm", "text/html");
    server.Start();
    TestStore store;
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/site/index.htm"));
    MultiCapture capture;

    ASSERT_TRUE(CapturePage(node, false, &capture, store.Context()));

    const std::string h = HostFolder(server);
    EXPECT_EQ(store.Files(), (std::vector<std::string>{
                                 h + "/pics/b.png",
                                 h + "/site/css/site.css",
                                 h + "/site/frames/c.gif",
                                 h + "/site/frames/f.htm",
                                 h + "/site/img/a.gif",
                                 h + "/site/js/site.js",
                             }));
    const fs::path site = FixturePath("capture_site");
    EXPECT_EQ(store.FileBytes(h + "/site/img/a.gif"), ReadFileBytes(site / "site/img/a.gif"));
    EXPECT_EQ(store.FileBytes(h + "/pics/b.png"), ReadFileBytes(site / "pics/b.png"));
    EXPECT_EQ(store.FileBytes(h + "/site/frames/c.gif"), ReadFileBytes(site / "site/frames/c.gif"));
    // The frame refers from the node folder like the page, and finds it through its base;
    // its frame of itself was met already and stays as it was written.
    EXPECT_EQ(store.FileBytes(h + "/site/frames/f.htm"),
              "<html><base href=\"../../../\"><body><img src=" + h +
                  "/site/frames/c.gif><frame src=" + h + "/site/frames/f.htm></body></html>\n");

    const CaptureStats& stats = node.Content.Stats;
    EXPECT_EQ(stats.State, static_cast<int32_t>(CaptureState::Unfinished));
    EXPECT_EQ(stats.Total, 7);
    EXPECT_EQ(Rows(stats), (std::vector<StatsRow>{{3, 0, 1}, // a, b, c; the missing picture
                                                  {1, 0, 0},
                                                  {1, 0, 0},
                                                  {0, 0, 0},
                                                  {1, 0, 0}}));
    EXPECT_EQ(log.Count("/site/frames/f.htm"), 1u);
    EXPECT_EQ(log.Count("/site/img/missing.gif"), 1u);
    EXPECT_EQ(node.FinalUrl, node.RequestedUrl);
    EXPECT_NE(node.Content.PageHtml.find("<img src=" + h + "/pics/b.png>"), std::string::npos);
    // Only the page's own site goes to the next level.
    EXPECT_EQ(capture.NextLevelLinks, std::vector<std::string>{server.Url("/site/other.htm")});
}

TEST(CapturePage, ContentTypeGateAndErrorStatus) {
    LoopbackServer server;
    struct Case {
        const char* type;
        int status;
        bool captured;
    } cases[] = {
        {"text/html; charset=iso-8859-1", 200, true},
        {"TEXT/HTML", 200, true},
        {"text/html; charset=windows-1252; profile=\"a-long-parameter-past-32-bytes\"", 200, true},
        {"image/png", 200, false},
        {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", 200, false},
        {"text/html", 404, false},
        {"text/html", 500, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case c = cases[i];
        server.Http().Get("/" + std::to_string(i),
                          [c](const httplib::Request&, httplib::Response& response) {
                              response.status = c.status;
                              response.set_content("<html>page</html>", c.type);
                          });
    }
    server.Start();
    TestStore store;
    for (size_t i = 0; i < std::size(cases); ++i) {
        TPageInfo node;
        TestStore::Prepare(node, server.Url("/" + std::to_string(i)));
        EXPECT_EQ(CapturePage(node, false, nullptr, store.Context()), cases[i].captured)
            << cases[i].type << " " << cases[i].status;
        EXPECT_EQ(node.Content.FetchedText.empty(), !cases[i].captured) << cases[i].type;
    }

    // No Content-Type header at all lets the page through.
    RawServer untyped([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n"
                                "\r\n<html></html");
    });
    TPageInfo node;
    TestStore::Prepare(node, untyped.Url("/"));
    EXPECT_TRUE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_EQ(node.Content.FetchedText, "<html></html");
}

TEST(CapturePage, PagesAndFramePagesAboveTheLimitFailWhatIsReadIsBounded) {
    constexpr size_t MiB = size_t{1} << 20;
    // Each path answers an HTML page: "/endless" without end and without a length, "/65" and
    // "/10" of that many MiB with their length, "/framed" a frame of "/65". The bytes the
    // sockets took are counted, so a capture that reads on shows however fast it is.
    std::atomic<size_t> taken{0};
    RawServer server([&taken](int socket, const std::string& request) {
        const size_t begin = request.find(' ') + 1;
        const std::string path = request.substr(begin, request.find(' ', begin) - begin);
        if (path == "/framed") {
            RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                    "Content-Length: 16\r\n\r\n<frame src=\"65\">");
            return;
        }
        const bool endless = path == "/endless";
        const size_t size = endless ? 0 : std::stoul(path.substr(1)) * MiB;
        RawServer::Send(
            socket,
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n" +
                (endless ? std::string() : "Content-Length: " + std::to_string(size) + "\r\n") +
                "\r\n");
        const std::string piece(64 * 1024, 'p');
        for (size_t sent = 0; endless || sent < size; sent += piece.size()) {
            const ssize_t n = ::send(socket, piece.data(), piece.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            taken += static_cast<size_t>(n);
        }
    });
    TestStore store;
    struct Case {
        const char* path;
        bool captured;
    } cases[] = {{"/endless", false}, {"/65", false}, {"/10", true}};
    for (const Case& c : cases) {
        taken = 0;
        TPageInfo node;
        TestStore::Prepare(node, server.Url(c.path));
        EXPECT_EQ(CapturePage(node, false, nullptr, store.Context()), c.captured) << c.path;
        EXPECT_EQ(node.Content.FetchedText.size(), c.captured ? 10 * MiB : 0) << c.path;
        EXPECT_EQ(node.Progress.StatusText, c.captured ? "" : PageTooLargeStatus) << c.path;
        // The limit, and what the sockets of both ends buffer.
        EXPECT_LE(taken.load(), MaxPageSize + 16 * MiB) << c.path;
    }
    TPageInfo framed;
    TestStore::Prepare(framed, server.Url("/framed"));
    ASSERT_TRUE(CapturePage(framed, false, nullptr, store.Context()));
    EXPECT_EQ(framed.Content.Stats.Groups[GroupFrame].Failed, 1);
}

// The transfer itself is the client's; here the page's bytes reach the record whole.
// A resource past the bound is cut where the bound is, counts as failed and leaves no file; one
// of exactly the bound is stored whole. Unless a capture sets its own, the bound is 256 MiB.
TEST(CapturePage, AResourcePastTheBoundFailsAndLeavesNoFile) {
    constexpr size_t MiB = size_t{1} << 20;
    constexpr size_t Bound = MiB;
    SizedBodyServer bodies;
    const std::string exact = "/" + std::to_string(Bound) + "/exact.gif";
    const std::string over = "/" + std::to_string(Bound + 1) + "/over.gif";
    const std::string endless = "/endless/endless.gif";
    const std::string beyondDefault = "/" + std::to_string(MaxResourceSize + 1) + "/long.gif";
    const auto images = [&bodies](std::initializer_list<std::string> paths) {
        std::string html;
        for (const std::string& path : paths) {
            html += "<img src=\"" + bodies.Url(path) + "\">";
        }
        return Html(html);
    };
    LoopbackServer server;
    server.Serve("/bounded.htm", images({exact, over, endless}), "text/html");
    server.Serve("/default.htm", images({exact, over, beyondDefault}), "text/html");
    server.Start();
    // The names of the files stored, wherever the other host's files go.
    const auto names = [](const TestStore& store) {
        std::vector<std::string> names;
        for (const std::string& file : store.Files()) {
            names.push_back(fs::path(file).filename().string());
        }
        return names;
    };

    TestStore bounded;
    bounded.Context().Http.MaxBodySize = Bound;
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/bounded.htm"));
    ASSERT_TRUE(CapturePage(node, false, nullptr, bounded.Context()));
    EXPECT_EQ(Rows(node.Content.Stats)[GroupImg], (StatsRow{1, 0, 2}));
    ASSERT_EQ(names(bounded), std::vector<std::string>{"exact.gif"});
    EXPECT_EQ(bounded.FileBytes(bounded.Files()[0]), std::string(Bound, 'b'));
    // The bound, and what the sockets of both ends buffer.
    EXPECT_LE(bodies.Taken(endless), Bound + 32 * MiB);
    EXPECT_LE(bodies.Taken(over), Bound + 32 * MiB);

    TestStore unset;
    EXPECT_EQ(MaxResourceSize, 256 * MiB);
    EXPECT_EQ(unset.Context().Http.MaxBodySize, MaxResourceSize);
    TPageInfo page;
    TestStore::Prepare(page, server.Url("/default.htm"));
    ASSERT_TRUE(CapturePage(page, false, nullptr, unset.Context()));
    EXPECT_EQ(Rows(page.Content.Stats)[GroupImg], (StatsRow{2, 0, 1}));
    EXPECT_EQ(names(unset), (std::vector<std::string>{"exact.gif", "over.gif"}));
    // Announced longer than the bound, it is refused at its first bytes.
    EXPECT_LE(bodies.Taken(beyondDefault), 32 * MiB);
}

// A local page's files are read whole: one past the bound, and a device that never ends, count
// as failed without being read.
TEST(CapturePage, LocalFilesPastTheBoundAndDevicesFail) {
    constexpr size_t Bound = size_t{1} << 20;
    TestStore store;
    store.Context().Http.MaxBodySize = Bound;
    const fs::path site = store.Dir() / "site";
    WriteFileBytes(site / "ok.gif", std::string(Bound, 'o'));
    WriteFileBytes(site / "big.gif", std::string(Bound + 1, 'g'));
    WriteFileBytes(site / "p.htm",
                   Html("<img src=\"ok.gif\"><img src=\"big.gif\"><img src=\"file:///dev/zero\">"));
    TPageInfo node;
    TestStore::Prepare(node, "file://" + (site / "p.htm").string());
    ASSERT_TRUE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_EQ(Rows(node.Content.Stats)[GroupImg], (StatsRow{1, 0, 2}));
    const std::vector<std::string> files = store.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(store.FileBytes(files[0]), std::string(Bound, 'o'));

    // A local page has the bound of pages (the file is sparse: it takes no room on the disk).
    const fs::path large = site / "large.htm";
    WriteFileBytes(large, "<html>");
    fs::resize_file(large, MaxPageSize + 1);
    for (const std::string& path : {large.string(), std::string("/dev/zero")}) {
        TPageInfo local;
        TestStore::Prepare(local, "file://" + path);
        EXPECT_FALSE(CapturePage(local, false, nullptr, store.Context())) << path;
        EXPECT_TRUE(local.Content.FetchedText.empty()) << path;
    }
}

TEST(CapturePage, PageWithNulBytesArrivesExactlyAndRedirectSetsTheFinalUrl) {
    std::string body = "<html><body><img src=\"a.gif\">";
    while (body.size() < 300 * 1024 + 5) {
        body += std::string("text\0with\0nul ", 14) + std::to_string(body.size());
    }
    LoopbackServer server;
    server.Serve("/big.htm", body, "text/html");
    server.Http().Get("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/new/page.htm", 302);
    });
    server.Serve("/new/page.htm", Html("<img src=\"i.gif\">"), "text/html");
    server.Serve("/new/i.gif", "GIF", "image/gif");
    server.Serve("/a.gif", "A", "image/gif");
    server.Start();
    TestStore store;

    TPageInfo big;
    TestStore::Prepare(big, server.Url("/big.htm"));
    big.Content.FetchedText = "an old text that the download replaces";
    ASSERT_TRUE(CapturePage(big, false, nullptr, store.Context()));
    EXPECT_EQ(big.Content.FetchedText.size(), body.size());
    EXPECT_TRUE(big.Content.FetchedText == body);
    EXPECT_EQ(big.FinalUrl, server.Url("/big.htm"));

    TPageInfo moved;
    TestStore::Prepare(moved, server.Url("/old"));
    ASSERT_TRUE(CapturePage(moved, false, nullptr, store.Context()));
    EXPECT_EQ(moved.FinalUrl, server.Url("/new/page.htm"));
    // The page's references are resolved against where it really is.
    EXPECT_EQ(store.FileBytes(HostFolder(server) + "/new/i.gif"), "GIF");
}

TEST(CapturePage, FaultsAreCountedAndTheCaptureGoesOn) {
    LoopbackServer server;
    RequestLog log(server);
    const size_t bigSize = 50u * 1024 * 1024;
    ServePattern(server, "/big.jpg", bigSize, "image/jpeg");
    server.Http().Get("/loop.gif", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/loop.gif", 302);
    });
    server.Serve("/last.gif", "LAST", "image/gif");

    RawServer reset([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                                    std::string(5000, 'x'));
        linger hard{1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    std::atomic<bool> stallCut{false};
    std::optional<RawServer> stall(std::in_place, [&stallCut](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nab");
        for (int i = 0; i < 100; ++i) { // 10 s at most, far past the 1 s bound
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            char probe;
            if (::recv(socket, &probe, 1, MSG_DONTWAIT) == 0) {
                stallCut = true;
                return;
            }
        }
    });
    RawServer liar([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\n"
                                "Content-Type: image/gif\r\n\r\nshort body");
    });
    const std::string page =
        Html("<img src=\"" + reset.Url("/reset.gif") + "\"><img src=\"" + stall->Url("/stall.gif") +
             "\"><img src=\"loop.gif\"><img src=\"missing.gif\"><img src=\"" +
             liar.Url("/liar.gif") + "\"><img src=\"big.jpg\"><img src=\"last.gif\">");
    server.Serve("/page.htm", page, "text/html");
    server.Start();
    TestStore store;
    store.Context().Http.StallTimeout = std::chrono::seconds(1);
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/page.htm"));

    ASSERT_TRUE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_EQ(node.Content.Stats.Total, 7);
    EXPECT_EQ(Rows(node.Content.Stats)[GroupImg], (StatsRow{2, 0, 5}));
    const std::string h = HostFolder(server);
    EXPECT_EQ(store.Files(), (std::vector<std::string>{h + "/big.jpg", h + "/last.gif"}));
    EXPECT_EQ(store.FileBytes(h + "/last.gif"), "LAST");
    EXPECT_TRUE(FileHoldsPattern(store.NodeFolder() / h / "big.jpg", bigSize));
    // The stall ends at its 1 s bound: the capture hung up before the server's 10 s were over.
    stall.reset(); // waits for the connection's end
    EXPECT_TRUE(stallCut.load());
    EXPECT_EQ(log.Count("/missing.gif"), 1u);
}

// A page or a resource that trickles in a byte a second never stalls, so only the total bound of
// a transfer ends it: failed like any other request that fails, and long before the server is
// through.
TEST(CapturePage, ATransferSlowerThanItsTotalBoundEndsFailed) {
    constexpr int Seconds = 30; // one byte a second
    std::atomic<int> hungUp{0};
    std::optional<RawServer> trickle(std::in_place, [&hungUp](int socket,
                                                              const std::string& request) {
        const std::string type = request.starts_with("GET /page.htm") ? "text/html" : "image/gif";
        if (!TrickleBody(socket, type, "x", Seconds)) {
            ++hungUp;
        }
    });
    LoopbackServer server;
    server.Serve("/host.htm", Html("<img src=\"" + trickle->Url("/slow.gif") + "\">"), "text/html");
    server.Start();
    TestStore store;
    store.Context().Http.StallTimeout = std::chrono::seconds(120); // never reached here
    store.Context().Http.TotalTimeout = std::chrono::seconds(2);

    TPageInfo page;
    TestStore::Prepare(page, trickle->Url("/page.htm"));
    EXPECT_FALSE(CapturePage(page, false, nullptr, store.Context()));
    EXPECT_TRUE(page.Content.FetchedText.empty());
    EXPECT_TRUE(page.FinalUrl.empty());

    TPageInfo host;
    TestStore::Prepare(host, server.Url("/host.htm"));
    ASSERT_TRUE(CapturePage(host, false, nullptr, store.Context()));
    EXPECT_EQ(Rows(host.Content.Stats)[GroupImg], (StatsRow{0, 0, 1}));
    EXPECT_TRUE(store.Files().empty());

    // Both ended at the bound, while the server still had bytes to send.
    trickle.reset(); // waits for the connections' ends
    EXPECT_EQ(hungUp.load(), 2);
}

TEST(CapturePage, UseCacheWithHeldTextMakesNoRequest) {
    LoopbackServer server;
    RequestLog log(server);
    server.Start();
    TestStore store;
    MapCache cache;
    cache.Entries[server.Url("/d/a.gif")] = std::string("cached\0gif", 10);
    store.Context().Cache = &cache;
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/d/p.htm"));
    node.FinalUrl = node.RequestedUrl;
    node.Content.FetchedText = Html("<img src=\"a.gif\"><a href=\"next.htm\">next</a>");

    ASSERT_TRUE(CapturePage(node, true, nullptr, store.Context()));
    EXPECT_TRUE(log.Paths().empty());
    const std::string h = HostFolder(server);
    EXPECT_EQ(node.Content.PageHtml, Html("<img src=" + h + "/d/a.gif><a href=" +
                                          server.Url("/d/next.htm") + ">next</a>"));
    EXPECT_EQ(store.FileBytes(h + "/d/a.gif"), std::string("cached\0gif", 10));
    EXPECT_EQ(Rows(node.Content.Stats)[GroupImg], (StatsRow{0, 1, 0}));

    // Without the cache flag the page is fetched again, and an empty answer fails.
    server.Serve("/d/p.htm", "", "text/html");
    EXPECT_FALSE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_EQ(log.Paths(), std::vector<std::string>{"/d/p.htm"});

    // A server that cannot be reached at all gives no page: the held text is not processed
    // again as if it had come.
    server.Stop();
    node.Content.FetchedText = Html("<a href=\"held.htm\">held</a>");
    EXPECT_FALSE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_TRUE(node.Content.FetchedText.empty());
    EXPECT_EQ(node.Content.PageHtml.find("held.htm"), std::string::npos);
}

// A page captured, then asked for again where nothing answers (its address changed to a dead
// one, its server gone, a local file removed): the capture fails and the page it held is not
// rewritten, its pictures are not fetched again and its final URL is not kept as this
// capture's. What the earlier capture stored stays.
TEST(CapturePage, APageAskedForAndNotObtainedIsNotTakenFromTheHeldText) {
    LoopbackServer server;
    RequestLog log(server);
    ServePageAndPicture(server, "/old.htm", "<img src=\"a.gif\">");
    server.Start();
    const std::string deadUrl = UnansweredUrl("/new.htm");
    TestStore store;
    const std::string missingFile = "file://" + store.Dir().Str() + "/missing.htm";
    const std::string h = HostFolder(server);
    size_t captures = 0;
    for (const std::string& address : {deadUrl, missingFile, server.Url("/old.htm")}) {
        TPageInfo node;
        TestStore::Prepare(node, server.Url("/old.htm"));
        ASSERT_TRUE(CapturePage(node, false, nullptr, store.Context()));
        ++captures;
        ASSERT_EQ(node.FinalUrl, server.Url("/old.htm"));
        const std::string storedHtml = node.Content.PageHtml;
        const CaptureStats storedStats = node.Content.Stats;
        node.RequestedUrl = address;
        if (address == server.Url("/old.htm")) {
            server.Stop(); // the same address, its server gone
        }

        EXPECT_FALSE(CapturePage(node, false, nullptr, store.Context())) << address;
        EXPECT_TRUE(node.Content.FetchedText.empty()) << address;
        EXPECT_EQ(node.FinalUrl, "") << address;
        EXPECT_EQ(node.Content.PageHtml, storedHtml) << address;
        EXPECT_EQ(node.Content.Stats.Total, storedStats.Total) << address;
        EXPECT_EQ(store.FileBytes(h + "/a.gif"), "GIF89a") << address;
        EXPECT_EQ(log.Count("/a.gif"), captures) << address;
    }
}

// Where no request is made, the text a node holds is its page: the use-cache capture of held
// text, a page handed over with the request, a page imported from a file. Its server answers
// something else by now, or nothing.
TEST(CapturePage, HeldTextIsThePageWhereNoRequestIsMade) {
    LoopbackServer server;
    RequestLog log(server);
    ServePageAndPicture(server, "/p/p.htm", "<p>the live page</p>");
    server.Start();
    TestStore store;
    const std::string h = HostFolder(server);
    const std::string held = Html("<img src=\"a.gif\"><p>held</p>");
    for (const bool serverUp : {true, false}) {
        if (!serverUp) {
            server.Stop();
        }
        struct Way {
            const char* name;
            std::function<bool(TPageInfo&)> capture;
        };
        MultiCapture given;
        given.Options.PageGiven = true;
        const Way ways[] = {
            {"use cache",
             [&](TPageInfo& node) { return CapturePage(node, true, nullptr, store.Context()); }},
            {"handed over",
             [&](TPageInfo& node) { return CapturePage(node, false, &given, store.Context()); }},
            {"imported",
             [&](TPageInfo& node) {
                 return CaptureFetchedPage(node, false, nullptr, store.Context());
             }},
        };
        for (const Way& way : ways) {
            TPageInfo node;
            TestStore::Prepare(node, server.Url("/p/p.htm"));
            node.Content.FetchedText = held;
            EXPECT_TRUE(way.capture(node)) << way.name << " up " << serverUp;
            EXPECT_EQ(node.Content.PageHtml, Html("<img src=" + h + "/p/a.gif><p>held</p>"))
                << way.name << " up " << serverUp;
            EXPECT_EQ(node.Content.FetchedText, held) << way.name;
            EXPECT_EQ(node.FinalUrl, node.RequestedUrl) << way.name;
        }
    }
    EXPECT_EQ(log.Count("/p/p.htm"), 0u);
}

TEST(CapturePage, CancellingStopsTheResourcesNotBegun) {
    constexpr int Pictures = 12;
    LoopbackServer server;
    RequestLog log(server);
    MultiCapture capture;
    std::string links;
    for (int i = 1; i <= Pictures; ++i) {
        const std::string name = "/" + std::to_string(i) + ".gif";
        links += "<img src=\"" + name.substr(1) + "\">";
        // Cancel is pressed during the first download the server answers: with resources
        // fetched side by side, which picture that is depends on the scheduler.
        server.Http().Get(name, [&capture](const httplib::Request&, httplib::Response& response) {
            capture.Cancel();
            response.set_content("gif", "image/gif");
        });
    }
    server.Serve("/p.htm", Html(links), "text/html");
    server.Start();
    TestStore store;
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/p.htm"));

    EXPECT_TRUE(CapturePage(node, false, &capture, store.Context()));
    const size_t asked = log.Paths().size() - 1;
    const CaptureStats& stats = node.Content.Stats;
    EXPECT_LT(asked, size_t{Pictures});
    // Everything begun is counted, and only that; what was stored stays.
    EXPECT_GE(static_cast<size_t>(stats.Total), asked);
    EXPECT_LT(stats.Total, Pictures);
    EXPECT_EQ(stats.Groups[GroupImg].Fetched + stats.Groups[GroupImg].Failed, stats.Total);
    EXPECT_EQ(store.Files().size(), static_cast<size_t>(stats.Groups[GroupImg].Fetched));
}

TEST(CapturePage, FrameNestingStopsAtDepthEight) {
    LoopbackServer server;
    RequestLog log(server);
    server.Http().Get(
        R"(/f(\d+)\.htm)", [](const httplib::Request& request, httplib::Response& response) {
            int n = std::stoi(request.matches[1]);
            response.set_content(Html("<frame src=\"f" + std::to_string(n + 1) + ".htm\">"),
                                 "text/html");
        });
    server.Start();
    TestStore store;
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/f0.htm"));

    ASSERT_TRUE(CapturePage(node, false, nullptr, store.Context()));
    EXPECT_EQ(node.Content.Stats.Groups[GroupFrame].Fetched, 8);
    EXPECT_EQ(node.Content.Stats.Total, 8);
    EXPECT_EQ(log.Count("/f8.htm"), 1u);
    EXPECT_EQ(log.Count("/f9.htm"), 0u);
    EXPECT_EQ(store.Files().size(), 8u);
}

TEST(CapturePage, LocalPagesTakeLocalFilesAndNetPagesNever) {
    TestStore store;
    const fs::path local = store.Dir() / "local";
    WriteFileBytes(local / "a b.htm", Html("<img src=\"img/x.gif\"><img src=\"gone.gif\">"));
    WriteFileBytes(local / "img" / "x.gif", std::string("X\0GIF", 5));
    WriteFileBytes(store.Dir() / "secret.txt", "private");

    TPageInfo page;
    TestStore::Prepare(page, "file://" + (local / "a%20b.htm").string());
    ASSERT_TRUE(CapturePage(page, false, nullptr, store.Context()));
    EXPECT_EQ(page.FinalUrl, page.RequestedUrl);
    std::string folder = (local / "img" / "x.gif").string().substr(1); // below the node folder
    EXPECT_EQ(store.Files(), std::vector<std::string>{folder});
    EXPECT_EQ(store.FileBytes(folder), std::string("X\0GIF", 5));
    EXPECT_EQ(Rows(page.Content.Stats)[GroupImg], (StatsRow{1, 0, 1}));

    LoopbackServer server;
    const std::string secret = "file://" + (store.Dir() / "secret.txt").string();
    server.Serve("/p.htm", Html("<img src=\"" + secret + "\"><frame src=\"" + secret + "\">"),
                 "text/html");
    server.Start();
    fs::remove_all(store.NodeFolder());
    TPageInfo net;
    TestStore::Prepare(net, server.Url("/p.htm"));
    MultiCapture capture;
    capture.Options.CurrentWebOnly = false;
    net.Content.FetchedText.clear();
    ASSERT_TRUE(CapturePage(net, false, &capture, store.Context()));
    EXPECT_EQ(Rows(net.Content.Stats)[GroupImg], (StatsRow{0, 0, 1}));
    EXPECT_EQ(Rows(net.Content.Stats)[GroupFrame], (StatsRow{0, 0, 1}));
    EXPECT_TRUE(store.Files().empty());
}

TEST(CapturePage, FilesAreWrittenOnlyInsideTheNodeFolder) {
    LoopbackServer server;
    server.Serve("/d/a.gif", "A", "image/gif");
    server.Serve("/b.gif", "B", "image/gif");
    server.Serve("/escape/b.gif", "E", "image/gif");
    server.Serve("/p.htm",
                 Html("<img src=\"/../../../escape/b.gif\"><img src=\"d/a.gif\">"
                      "<img src=\"b.gif\">"),
                 "text/html");
    server.Start();
    TestStore store;
    const std::string h = HostFolder(server);
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/p.htm"));
    ASSERT_TRUE(CapturePage(node, false, nullptr, store.Context()));
    // The climbing reference stops at the top of the node folder.
    EXPECT_EQ(store.Files(),
              (std::vector<std::string>{h + "/b.gif", h + "/d/a.gif", "escape/b.gif"}));
    EXPECT_EQ(store.FileBytes("escape/b.gif"), "E");

    // A link in the node folder that leads out, and a file where a folder must go: both
    // resources count as failed and nothing is written outside.
    const fs::path outside = store.Dir() / "outside";
    fs::create_directories(outside);
    fs::remove_all(store.NodeFolder());
    store.MakeNodeFolder();
    fs::create_directories(store.NodeFolder() / h);
    fs::create_symlink(outside, store.NodeFolder() / h / "d");
    WriteFileBytes(store.NodeFolder() / "escape", "a file, not a folder");
    TPageInfo again;
    TestStore::Prepare(again, server.Url("/p.htm"));
    ASSERT_TRUE(CapturePage(again, false, nullptr, store.Context()));
    EXPECT_EQ(Rows(again.Content.Stats)[GroupImg], (StatsRow{1, 0, 2}));
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(store.FileBytes("escape"), "a file, not a folder");
    EXPECT_EQ(store.FileBytes(h + "/b.gif"), "B");
}

TEST(CapturePage, SameSiteRuleForTheNextLevel) {
    TestStore store;
    TPageInfo node;
    TestStore::Prepare(node, "http://h.example/d/p.htm");
    node.FinalUrl = node.RequestedUrl;
    node.Content.FetchedText =
        Html("<a href=\"q.htm\">q</a><a href=\"http://other.example/x.htm\">x</a>"
             "<a href=\"mailto:a@h.example\">mail</a><a href=\"file:///h.example/etc\">f</a>");
    const std::vector<std::string> all = {"http://h.example/d/q.htm", "http://other.example/x.htm"};

    MultiCapture sameSite;
    ASSERT_TRUE(CapturePage(node, true, &sameSite, store.Context()));
    EXPECT_EQ(sameSite.NextLevelLinks, std::vector<std::string>{"http://h.example/d/q.htm"});

    MultiCapture anySite;
    anySite.Options.CurrentWebOnly = false;
    ASSERT_TRUE(CapturePage(node, true, &anySite, store.Context()));
    EXPECT_EQ(anySite.NextLevelLinks, all);

    MultiCapture noHost; // the root page's URL names no host: no link is the same site
    TPageInfo hostless;
    noHost.Root = &hostless;
    ASSERT_TRUE(CapturePage(node, true, &noHost, store.Context()));
    EXPECT_TRUE(noHost.NextLevelLinks.empty());
}

TEST(CapturePage, CountFetchGroupsByTypeName) {
    PageContent content;
    CountFetch(content, "IMG", FetchKind::NetOrFile);
    CountFetch(content, "css", FetchKind::Cache);
    CountFetch(content, "scriptlink", FetchKind::Failed);
    CountFetch(content, "Script", FetchKind::NetOrFile);
    CountFetch(content, "flash", FetchKind::Cache);
    CountFetch(content, "frame", FetchKind::Failed);
    CountFetch(content, "hyperlink", FetchKind::Failed);
    EXPECT_EQ(content.Stats.Total, 7);
    EXPECT_EQ(Rows(content.Stats),
              (std::vector<StatsRow>{{1, 0, 1}, {0, 1, 0}, {1, 0, 1}, {0, 1, 0}, {0, 0, 1}}));
}
