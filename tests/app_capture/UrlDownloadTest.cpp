#include "app/capture/UrlDownload.h"

#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

HttpOptions Quick() {
    HttpOptions options;
    options.ConnectTimeout = std::chrono::milliseconds(2000);
    options.StallTimeout = std::chrono::seconds(1);
    return options;
}

} // namespace

TEST(UrlDownload, DownloadUrlKeepsEveryByteAndRefusesErrorPages) {
    LoopbackServer server;
    const std::string bytes("GIF\0\x01\xff\r\n", 8);
    std::string agent;
    server.Http().Get("/a.gif", [&](const httplib::Request& request, httplib::Response& response) {
        agent = request.get_header_value("User-Agent");
        response.set_content(bytes, "image/gif");
    });
    server.Http().Get("/moved", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/a.gif", 301);
    });
    server.Http().Get("/empty", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("", "text/plain");
    });
    server.Start();

    std::string finalUrl;
    std::optional<std::string> body = DownloadUrl(server.Url("/moved"), "", Quick(), &finalUrl);
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(*body, bytes);
    EXPECT_EQ(finalUrl, server.Url("/a.gif"));
    EXPECT_EQ(agent, "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)");
    EXPECT_EQ(DownloadUrl(server.Url("/empty"), "*.*", Quick()), std::optional<std::string>(""));
    EXPECT_FALSE(DownloadUrl(server.Url("/missing"), "", Quick()).has_value());
    EXPECT_FALSE(DownloadUrl("file:///etc/hostname", "", Quick()).has_value());
}

TEST(UrlDownload, ContentTypeIsReadWholeWithItsOwnAgent) {
    LoopbackServer server;
    const std::string longType =
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
    std::mutex mutex;
    std::vector<std::string> agents;
    auto serve = [&](const std::string& path, const std::string& type) {
        server.Http().Get(path,
                          [&, type](const httplib::Request& request, httplib::Response& response) {
                              std::lock_guard lock(mutex);
                              agents.push_back(request.get_header_value("User-Agent"));
                              response.set_content(std::string(100000, 'b'), type);
                          });
    };
    serve("/long", longType);
    serve("/word", "Application/MSWord");
    serve("/zip", "application/zip");
    server.Start();

    EXPECT_EQ(QueryUrlContentType(server.Url("/long"), Quick()), longType);
    EXPECT_EQ(QueryUrlContentType(server.Url("/missing"), Quick()), "");
    EXPECT_EQ(agents, std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows XP)"});

    // By the URL's letters or by the keyword of the type.
    EXPECT_TRUE(IsUrlOfFileTypes(server.Url("/word"), "pdf,DOC", Quick()));
    EXPECT_TRUE(IsUrlOfFileTypes(server.Url("/zip"), ",,zip", Quick()));
    EXPECT_TRUE(IsUrlOfFileTypes(server.Url("/long?name=a.pdf"), "pdf", Quick()));
    EXPECT_TRUE(IsUrlOfFileTypes(server.Url("/long"), "docx,openxml", Quick()));
    EXPECT_FALSE(IsUrlOfFileTypes(server.Url("/zip"), "doc,pdf", Quick()));
    EXPECT_FALSE(IsUrlOfFileTypes(server.Url("/word"), "", Quick()));
    EXPECT_FALSE(IsUrlOfFileTypes(server.Url("/missing"), "exe,avi", Quick()));
    // The type is asked for in every case, even when the URL already matches.
    std::lock_guard lock(mutex);
    EXPECT_EQ(agents.size(), 7u);
}

// The content types are checked through a whole capture; here the edge of the status codes.
TEST(UrlDownload, ErrorStatusBeginsAt400) {
    HttpResult headers;
    headers.Status = 399;
    EXPECT_TRUE(IsDownloadStatus(headers));
    headers.Status = 400;
    EXPECT_FALSE(IsDownloadStatus(headers));
}
