#include "platform/net/HttpClient.h"
#include "platform/net/UrlCache.h"

#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

HttpOptions Quick() {
    HttpOptions options;
    options.UserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)";
    options.ConnectTimeout = std::chrono::milliseconds(2000);
    options.StallTimeout = std::chrono::seconds(1);
    return options;
}

std::string BinaryBody(size_t size) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>((i * 7) % 251); // NUL bytes at every 251st position
    }
    return body;
}

} // namespace

TEST(HttpClient, ChunkedBinaryBodyArrivesExactlyWithHeaders) {
    LoopbackServer server;
    const std::string body = BinaryBody(300 * 1024 + 17);
    std::string agent;
    server.Http().Get("/big", [&](const httplib::Request& request, httplib::Response& response) {
        agent = request.get_header_value("User-Agent");
        response.set_chunked_content_provider(
            "text/html; charset=iso-8859-1", [&body](size_t offset, httplib::DataSink& sink) {
                size_t piece = std::min<size_t>(7000, body.size() - offset);
                sink.write(body.data() + offset, piece);
                if (offset + piece == body.size()) {
                    sink.done();
                }
                return true;
            });
    });
    server.Start();
    HttpResult result = ThreadHttpClient().Get(server.Url("/big"), Quick());
    ASSERT_TRUE(result.Ok()) << result.Error;
    EXPECT_EQ(result.Status, 200);
    EXPECT_EQ(result.Body.size(), body.size());
    EXPECT_TRUE(result.Body == body);
    EXPECT_EQ(result.ContentType, "text/html; charset=iso-8859-1");
    EXPECT_EQ(result.FinalUrl, server.Url("/big"));
    EXPECT_EQ(agent, "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)");
}

TEST(HttpClient, RedirectsReportTheFinalUrlAndLoopsFail) {
    LoopbackServer server;
    server.Http().Get("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/new/page.htm", 302);
    });
    server.Serve("/new/page.htm", "<html>moved</html>", "text/html");
    server.Http().Get("/loop", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/loop", 302);
    });
    server.Start();
    HttpResult moved = ThreadHttpClient().Get(server.Url("/old"), Quick());
    ASSERT_TRUE(moved.Ok());
    EXPECT_EQ(moved.FinalUrl, server.Url("/new/page.htm"));
    EXPECT_EQ(moved.Body, "<html>moved</html>");

    HttpResult loop = ThreadHttpClient().Get(server.Url("/loop"), Quick());
    EXPECT_FALSE(loop.Ok());
    EXPECT_FALSE(loop.Completed);
    EXPECT_FALSE(loop.Error.empty());
}

TEST(HttpClient, ErrorStatusIsCompleteButNotOk) {
    LoopbackServer server;
    server.Start();
    HttpResult missing = ThreadHttpClient().Get(server.Url("/nothing"), Quick());
    EXPECT_TRUE(missing.Completed);
    EXPECT_EQ(missing.Status, 404);
    EXPECT_FALSE(missing.Ok());
}

TEST(HttpClient, HeaderCheckRefusesBeforeTheBodyIsRead) {
    LoopbackServer server;
    server.Serve("/pic.png", std::string(200000, 'p'), "image/png");
    server.Start();
    std::string seenType;
    HttpResult result =
        ThreadHttpClient().Get(server.Url("/pic.png"), Quick(), [&](const HttpResult& headers) {
            seenType = headers.ContentType;
            return false;
        });
    EXPECT_EQ(seenType, "image/png");
    EXPECT_TRUE(result.Refused);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.Body.empty());

    HttpResult headers = ThreadHttpClient().QueryHeaders(server.Url("/pic.png"), Quick());
    EXPECT_TRUE(headers.Ok());
    EXPECT_EQ(headers.ContentType, "image/png");
    EXPECT_TRUE(headers.Body.empty());
}

TEST(HttpClient, MissingContentTypeAndEmptyBody) {
    RawServer server([](int socket, const std::string&) {
        RawServer::Send(socket,
                        "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    bool checked = false;
    HttpResult result = ThreadHttpClient().Get(server.Url("/"), Quick(), [&](const HttpResult& h) {
        checked = true;
        EXPECT_FALSE(h.HasContentType);
        return true;
    });
    EXPECT_TRUE(checked); // judged even though no body byte arrived
    EXPECT_TRUE(result.Ok());
    EXPECT_TRUE(result.Body.empty());
}

TEST(HttpClient, TransportFaultsEndAsFailures) {
    // A length far larger than the body, then the connection closes.
    RawServer liar([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\n"
                                "Content-Type: text/html\r\n\r\nshort body");
    });
    HttpResult lied = ThreadHttpClient().Get(liar.Url("/"), Quick());
    EXPECT_FALSE(lied.Ok());
    EXPECT_LT(lied.Body.size(), 100u); // the announced size never sized anything

    // A reset in the middle of a body.
    RawServer reset([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                                    std::string(5000, 'x'));
        linger hard{1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    HttpResult cut = ThreadHttpClient().Get(reset.Url("/"), Quick());
    EXPECT_FALSE(cut.Ok());

    // A server that sends headers and then nothing: the stall timeout ends it.
    RawServer staller([](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nab");
        for (int i = 0; i < 100; ++i) { // at most 10 s, far past the 1 s stall bound
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            char probe;
            if (::recv(socket, &probe, 1, MSG_DONTWAIT) == 0) {
                return; // the client gave up and closed
            }
        }
    });
    HttpResult stalled = ThreadHttpClient().Get(staller.Url("/"), Quick());
    EXPECT_FALSE(stalled.Ok());
    EXPECT_FALSE(stalled.WasCancelled);
}

TEST(HttpClient, CancelStopsARunningTransfer) {
    std::atomic<bool> cancel{false};
    RawServer slow([&](int socket, const std::string&) {
        RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n");
        for (int i = 0; i < 200; ++i) {
            RawServer::Send(socket, std::string(10, 'z'));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            char probe;
            if (::recv(socket, &probe, 1, MSG_DONTWAIT) == 0) {
                return;
            }
        }
    });
    HttpOptions options = Quick();
    options.StallTimeout = std::chrono::seconds(60);
    options.Cancelled = [&] { return cancel.load(); };
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    HttpResult result = ThreadHttpClient().Get(slow.Url("/"), options);
    canceller.join();
    EXPECT_TRUE(result.WasCancelled);
    EXPECT_FALSE(result.Ok());
}

TEST(HttpClient, LargeBodyStreamsToTheSink) {
    LoopbackServer server;
    constexpr size_t size = 50u * 1024 * 1024;
    server.Http().Get("/big.jpg", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            size, "image/jpeg", [](size_t offset, size_t length, httplib::DataSink& sink) {
                std::string piece(std::min<size_t>(length, 65536), static_cast<char>(offset % 256));
                sink.write(piece.data(), piece.size());
                return true;
            });
    });
    server.Start();
    size_t received = 0;
    size_t largestPiece = 0;
    HttpResult result =
        ThreadHttpClient().GetTo(server.Url("/big.jpg"), Quick(), [&](const char*, size_t length) {
            received += length;
            largestPiece = std::max(largestPiece, length);
            return true;
        });
    ASSERT_TRUE(result.Ok()) << result.Error;
    EXPECT_EQ(received, size);
    EXPECT_TRUE(result.Body.empty());
    EXPECT_LT(largestPiece, size / 10); // handed over piece by piece, never whole
}

TEST(HttpClient, ABodyAboveTheLimitEndsTheTransferAndKeepsNothing) {
    constexpr size_t Limit = 1 << 20;
    // "/endless" never ends; "/announced" says it is longer than the limit; "/exact" is not.
    RawServer server([](int socket, const std::string& request) {
        const bool endless = request.starts_with("GET /endless");
        const size_t length = request.starts_with("GET /exact") ? Limit : 2 * Limit;
        RawServer::Send(socket, endless ? "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"
                                        : "HTTP/1.1 200 OK\r\nContent-Length: " +
                                              std::to_string(length) + "\r\n\r\n");
        const std::string piece(64 * 1024, 'x');
        for (size_t sent = 0; endless || sent < length; sent += piece.size()) {
            const size_t count = endless ? piece.size() : std::min(piece.size(), length - sent);
            if (::send(socket, piece.data(), count, MSG_NOSIGNAL) <= 0) {
                return;
            }
        }
    });
    HttpOptions options = Quick();
    options.MaxBodySize = Limit;
    for (const char* path : {"/endless", "/announced"}) {
        HttpResult result = ThreadHttpClient().Get(server.Url(path), options);
        EXPECT_TRUE(result.TooLarge) << path;
        EXPECT_FALSE(result.Ok()) << path;
        EXPECT_TRUE(result.Body.empty()) << path;
        EXPECT_LE(result.BytesReceived, Limit + 64 * 1024) << path;
    }
    HttpResult exact = ThreadHttpClient().Get(server.Url("/exact"), options);
    EXPECT_TRUE(exact.Ok()) << exact.Error;
    EXPECT_EQ(exact.Body.size(), Limit);
    EXPECT_FALSE(exact.TooLarge);
    // A body streamed to a sink (a file) is bounded the same way: the sink never gets a byte
    // past the limit.
    for (const char* path : {"/endless", "/announced", "/exact"}) {
        size_t sunk = 0;
        HttpResult streamed =
            ThreadHttpClient().GetTo(server.Url(path), options, [&sunk](const char*, size_t n) {
                sunk += n;
                return sunk <= 4 * Limit; // ends "/endless" even if the limit did not
            });
        const bool whole = std::string_view(path) == "/exact";
        EXPECT_EQ(streamed.TooLarge, !whole) << path;
        EXPECT_EQ(streamed.Ok(), whole) << path;
        EXPECT_LE(sunk, Limit) << path;
        if (whole) {
            EXPECT_EQ(sunk, Limit);
        }
        EXPECT_LE(streamed.BytesReceived, Limit + 64 * 1024) << path;
    }
}

TEST(HttpClient, OtherSchemesAreRefused) {
    HttpResult file = ThreadHttpClient().Get("file:///etc/passwd", Quick());
    EXPECT_FALSE(file.Ok());
    EXPECT_TRUE(file.Body.empty());
}

TEST(UrlCache, EveryLookupMisses) {
    NoUrlCache cache;
    EXPECT_FALSE(cache.Lookup("http://example.invalid/").has_value());
}
