#pragma once

// Loading pages and waiting for them, reading them through script, and a stored page folder.

#include "platform/browser/WebBrowser.h"

#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <QImage>
#include <QTest>
#include <QWebEnginePage>

#include <atomic>
#include <functional>

inline constexpr int PictureWidth = 37;
inline constexpr int PictureHeight = 23;

// Runs `start` and waits for the document it loads; false on a timeout.
inline bool LoadAndWait(TWebBrowser& browser, const std::function<void()>& start) {
    bool done = false;
    browser.OnDocumentComplete = [&](const std::string&, bool) { done = true; };
    start();
    const bool finished = QTest::qWaitFor([&] { return done; }, 30000);
    browser.OnDocumentComplete = nullptr;
    return finished;
}

inline QVariant RunScript(TWebBrowser& browser, const QString& script) {
    QVariant result;
    bool done = false;
    browser.Page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    (void)QTest::qWaitFor([&] { return done; }, 10000);
    return result;
}

// True once every picture of the page has finished loading, as the page tells.
inline bool PicturesSettled(TWebBrowser& browser) {
    return QTest::qWaitFor(
        [&] {
            return RunScript(browser, "Array.from(document.images).every(i => i.complete)")
                .toBool();
        },
        10000);
}

// A loopback server that counts the requests reaching it.
struct CountingServer {
    LoopbackServer server;
    std::atomic<int> hits{0};
    CountingServer() {
        const std::string body("\x47\x49\x46\x38\x39\x61\x01\x00\x01\x00\x80\x00\x00\x00\xff\xff"
                               "\xff\x00\x00\x00\x21\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00"
                               "\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
                               44);
        server.Http().Get("/.*", [this, body](const httplib::Request&, httplib::Response& r) {
            ++hits;
            r.set_content(body, "image/gif");
        });
        server.Start();
    }
};

// The node folder of a stored page: "a.png" (PictureWidth x PictureHeight), "s.css", and the
// page's HTML, which also asks the server for a picture.
inline std::string WriteStoredPage(const TempDir& dir, const CountingServer& remote) {
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    picture.save(QString::fromStdString((dir / "a.png").string()), "PNG");
    WriteFileBytes(dir / "s.css", "body { background: rgb(10, 120, 30); }\n"
                                  "#probe { width: 123px; height: 7px; }\n");
    return "<html><head><title>Stored</title><link rel=\"stylesheet\" href=\"s.css\"></head>"
           "<body><div id=\"probe\"></div><img id=\"local\" src=\"a.png\">"
           "<img id=\"remote\" src=\"" +
           remote.server.Url("/r.png") + "\"><p>stored text</p></body></html>";
}

inline std::string FolderUrl(const TempDir& dir) {
    return "file://" + dir.Str() + "/";
}
