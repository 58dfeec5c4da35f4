#include "BrowserTestSupport.h"

#include "platform/browser/PageMenu.h"

#include "tests/support/RunText.h"

#include <QMenu>
#include <QPrinter>
#include <QStringDecoder>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {

// Prints the page shown into the PDF file (at `dpi` when one is given) and waits for the end:
// whether it was printed; nothing when no end came within `timeout` milliseconds.
std::optional<bool> PrintToPdfFile(TWebBrowser& browser, const std::string& file, int dpi = 0,
                                   int timeout = 30000) {
    QPrinter printer(QPrinter::HighResolution);
    if (dpi > 0) {
        printer.setResolution(dpi);
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file));
    // Held by the answer too: an end that comes after the wait gave up finds it still there.
    auto result = std::make_shared<int>(-1);
    browser.PrintTo(printer, [result](bool ok) { *result = ok ? 1 : 0; });
    if (!QTest::qWaitFor([&] { return *result >= 0; }, timeout)) {
        return std::nullopt;
    }
    return *result == 1;
}

} // namespace

TEST(WebBrowser, OfflineBlocksEveryRequestForTheNetwork) {
    TempDir dir;
    CountingServer remote;
    TWebBrowser browser;
    // A page whose own address is on the net: only the offline switch keeps its picture there.
    // Given by address (the program's own pages are), the document is no file, which the engine
    // itself would keep from the net.
    const std::string html = WriteStoredPage(dir, remote);
    browser.SetOffline(true);
    ASSERT_TRUE(LoadAndWait(
        browser, [&] { browser.LoadHtml(html, remote.server.Url("/"), HtmlEncoding::Utf8); }));
    ASSERT_TRUE(PicturesSettled(browser));
    EXPECT_EQ(remote.hits, 0);
    const std::vector<QUrl> blocked = browser.BlockedRequests();
    ASSERT_FALSE(blocked.empty());
    for (const QUrl& url : blocked) {
        EXPECT_EQ(url.host(), "127.0.0.1");
    }

    browser.SetOffline(false);
    ASSERT_TRUE(LoadAndWait(
        browser, [&] { browser.LoadHtml(html, remote.server.Url("/"), HtmlEncoding::Utf8); }));
    ASSERT_TRUE(PicturesSettled(browser));
    EXPECT_GE(remote.hits, 1);
    EXPECT_EQ(RunScript(browser, "document.getElementById('remote').naturalWidth").toInt(), 1);
}

TEST(WebBrowser, LargePageGoesThroughAFileWithItsBase) {
    TempDir dir;
    CountingServer remote;
    TWebBrowser browser;
    browser.SetOffline(true);
    std::string html = WriteStoredPage(dir, remote);
    const std::string filler = "<p>" + std::string(3 * 1024 * 1024, 'x') + "</p>";
    html.insert(html.find("<p>stored text"), filler + "<p id=\"last\">end</p>");

    ASSERT_TRUE(LoadAndWait(
        browser, [&] { browser.LoadHtml(html, FolderUrl(dir), HtmlEncoding::BrowserDefault); }));
    ASSERT_TRUE(PicturesSettled(browser));
    EXPECT_EQ(RunScript(browser, "document.getElementById('last').textContent").toString(), "end");
    EXPECT_EQ(RunScript(browser, "document.getElementById('local').naturalWidth").toInt(),
              PictureWidth);
    EXPECT_EQ(browser.LocationURL().rfind("file://", 0), 0u);
    EXPECT_EQ(remote.hits, 0);
}

// The program's own pages are read as UTF-8 under an 8-bit default, small or large (through a
// file); a captured page that names no encoding is read in the default one.
TEST(WebBrowser, OwnPagesAreUtf8WhateverTheDefaultEncoding) {
    const std::string words = "A \xE2\x80\x94 \xC3\xA9"; // "A — é"
    const std::string read1252 = "A \xC3\xA2\xE2\x82\xAC\xE2\x80\x9D \xC3\x83\xC2\xA9";
    TWebBrowser browser;
    browser.SetTextEncoding("windows-1252");
    const struct {
        size_t filler;
        HtmlEncoding encoding;
        std::string shown;
    } cases[] = {
        {0, HtmlEncoding::Utf8, words},
        {TWebBrowser::MaxInlineHtml, HtmlEncoding::Utf8, words},
        {0, HtmlEncoding::BrowserDefault, read1252},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filler);
        const std::string html = "<html><body><p id=\"t\">" + words + "</p><p>" +
                                 std::string(c.filler, 'x') + "</p></body></html>";
        ASSERT_TRUE(LoadAndWait(browser, [&] { browser.LoadHtml(html, "", c.encoding); }));
        EXPECT_EQ(
            RunScript(browser, "document.getElementById('t').textContent").toString().toStdString(),
            c.shown);
    }
}

TEST(WebBrowser, NavigationZoomFindAndStatus) {
    TempDir dir;
    CountingServer remote;
    TWebBrowser browser;
    WriteFileBytes(dir / "p.htm", WriteStoredPage(dir, remote));
    browser.SetOffline(true);
    std::string navigated;
    ASSERT_TRUE(LoadAndWait(browser, [&] {
        browser.OnNavigateComplete = [&](const std::string& url) { navigated = url; };
        browser.Navigate(FolderUrl(dir) + "p.htm");
    }));
    EXPECT_FALSE(browser.Busy());
    EXPECT_EQ(navigated, FolderUrl(dir) + "p.htm");
    EXPECT_EQ(browser.LocationURL(), navigated);
    EXPECT_EQ(browser.Progress(), 100);
    EXPECT_TRUE(browser.Offline()); // a local address keeps the browser offline

    browser.SetZoomStep(9);
    EXPECT_DOUBLE_EQ(browser.View()->zoomFactor(), 1.4); // "Largest"

    int matches = -1;
    browser.Find("stored", false, [&](int n) { matches = n; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return matches >= 0; }, 10000));
    EXPECT_EQ(matches, 1); // the text, not the title
}

TEST(WebBrowser, PrintsToAPdfFile) {
    TempDir dir;
    TWebBrowser browser;
    ASSERT_TRUE(LoadAndWait(browser, [&] {
        browser.LoadHtml("<html><body><h1>Printed page</h1></body></html>", FolderUrl(dir),
                         HtmlEncoding::BrowserDefault);
    }));
    const std::optional<bool> printed = PrintToPdfFile(browser, (dir / "out.pdf").string());
    ASSERT_TRUE(printed.has_value());
    EXPECT_TRUE(*printed);
    EXPECT_EQ(ReadFileBytes(dir / "out.pdf").substr(0, 5), "%PDF-");
}

// A printed PDF file is one of the program's files: its permissions follow the umask, and a
// file that cannot be written is a failed print.
TEST(WebBrowser, APdfFileFollowsTheUmask) {
    TempDir dir;
    TWebBrowser browser;
    ASSERT_TRUE(LoadAndWait(browser, [&] {
        browser.LoadHtml("<html><body><h1>Printed page</h1></body></html>", FolderUrl(dir),
                         HtmlEncoding::BrowserDefault);
    }));
    const struct {
        mode_t umask;
        std::filesystem::perms mode;
    } cases[] = {
        {022, std::filesystem::perms(0644)},
        {027, std::filesystem::perms(0640)},
    };
    for (const auto& c : cases) {
        const mode_t before = ::umask(c.umask);
        const std::filesystem::path file = dir / ("mask" + std::to_string(c.umask) + ".pdf");
        EXPECT_EQ(PrintToPdfFile(browser, file.string()), true);
        ::umask(before);
        EXPECT_EQ(ReadFileBytes(file).substr(0, 5), "%PDF-");
        const auto mode = std::filesystem::status(file).permissions() & std::filesystem::perms::all;
        EXPECT_EQ(static_cast<unsigned>(mode), static_cast<unsigned>(c.mode))
            << "umask " << std::oct << c.umask;
    }
    EXPECT_EQ(PrintToPdfFile(browser, (dir / "no such folder" / "out.pdf").string()), false);
    EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
}

TEST(WebBrowser, APdfFileKeepsThePagesTextAndTakesNoPagePictures) {
    TempDir dir;
    TWebBrowser browser;
    std::string body;
    for (int i = 0; i < 300; ++i) {
        body += "<p>Line " + std::to_string(i) + " of a long page</p>";
    }
    ASSERT_TRUE(LoadAndWait(browser, [&] {
        browser.LoadHtml("<html><body><h1>Kept words</h1>" + body + "</body></html>",
                         FolderUrl(dir), HtmlEncoding::BrowserDefault);
    }));
    const std::string file = (dir / "long.pdf").string();
    const std::optional<bool> printed = PrintToPdfFile(browser, file, 1200, 60000);
    ASSERT_TRUE(printed.has_value());
    ASSERT_TRUE(*printed);
    const std::string text = RunText("pdftotext '" + file + "' -");
    EXPECT_NE(text.find("Kept words"), std::string::npos);
    EXPECT_NE(text.find("Line 299 of a long page"), std::string::npos);
    // Text, not pictures of the pages: no image in the file, and far smaller than one.
    EXPECT_EQ(RunText("pdfimages -list '" + file + "' | tail -n +3 | wc -l"), "0\n");
    EXPECT_LT(ReadFileBytes(dir / "long.pdf").size(), 400000u);
}

TEST(WebBrowser, PrinterResolutionIsLimited) {
    QPrinter fine(QPrinter::HighResolution);
    fine.setResolution(1200);
    LimitPrintResolution(fine);
    EXPECT_EQ(fine.resolution(), MaxPrintDpi);
    QPrinter exact(QPrinter::HighResolution);
    exact.setResolution(MaxPrintDpi + 1);
    LimitPrintResolution(exact);
    EXPECT_EQ(exact.resolution(), MaxPrintDpi);
    QPrinter coarse(QPrinter::HighResolution);
    coarse.setResolution(150);
    LimitPrintResolution(coarse);
    EXPECT_EQ(coarse.resolution(), 150);
}

TEST(WebBrowser, PageMenuDropsTheEntriesThatLeaveTheBinder) {
    TWebBrowser browser;
    QWebEnginePage& page = *browser.Page();
    QMenu menu;
    // No action stands for a separator.
    for (auto action : {QWebEnginePage::Back, QWebEnginePage::NoWebAction, QWebEnginePage::Copy,
                        QWebEnginePage::NoWebAction, QWebEnginePage::ViewSource,
                        QWebEnginePage::NoWebAction, QWebEnginePage::SelectAll,
                        QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::NoWebAction}) {
        if (action == QWebEnginePage::NoWebAction) {
            menu.addSeparator();
        } else {
            menu.addAction(page.action(action));
        }
    }
    TrimPageMenu(menu, page);
    QStringList left;
    for (QAction* action : menu.actions()) {
        left << (action->isSeparator() ? QString("-") : action->text());
    }
    EXPECT_EQ(left, (QStringList{page.action(QWebEnginePage::Copy)->text(), "-",
                                 page.action(QWebEnginePage::SelectAll)->text()}));
}

TEST(WebBrowser, EncodingMenuReadsThePageAgainInTheChosenEncoding) {
    TWebBrowser browser;
    // A page that says nothing of its encoding: its bytes are read in the default one.
    browser.LoadHtml("<html><body>\xE4</body></html>", "", HtmlEncoding::BrowserDefault);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser.Busy() && browser.Progress() == 100; }));
    QMenu menu;
    QString chosen;
    AddEncodingMenu(menu, "UTF-8", [&](const QString& name) { chosen = name; });
    QMenu* encodings = menu.findChild<QMenu*>("Encoding");
    ASSERT_NE(encodings, nullptr);
    for (QAction* entry : encodings->actions()) {
        EXPECT_EQ(entry->isChecked(), entry->text() == "Unicode (UTF-8)")
            << entry->text().toStdString();
        if (entry->text() == "Cyrillic (Windows)") {
            entry->trigger();
        }
    }
    ASSERT_EQ(chosen, "windows-1251");
    // Before any choice each page is read in its own: "Default", which chooses none.
    QMenu fresh;
    AddEncodingMenu(fresh, "", [&](const QString& name) { chosen = name; });
    QAction* first = fresh.findChild<QMenu*>("Encoding")->actions().value(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), "Default");
    EXPECT_TRUE(first->isChecked());
    first->trigger();
    EXPECT_EQ(chosen, "");
    chosen = "windows-1251";

    bool reloaded = false;
    browser.OnDocumentComplete = [&](const std::string&, bool) { reloaded = true; };
    browser.SetTextEncoding(chosen.toStdString());
    EXPECT_EQ(browser.TextEncoding(), "windows-1251");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reloaded; }, 30000));
    QString text;
    browser.Page()->toPlainText([&](const QString& shown) { text = shown; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 30000));
    EXPECT_EQ(text.trimmed(), QString::fromUtf8("\xD0\xB4")); // 0xE4 in windows-1251
}

// A stored page shown through its page file, which names no encoding: the one chosen reads
// it, of any size, its picture and frame still found beside it, its address still the file's
// and a link to a place in it keeping the reading; "Default" gives the engine's own back.
TEST(WebBrowser, AChosenEncodingReadsAPageFile) {
    const QByteArray words = "\x93"
                             "Caf\xE9\x94 \xE0 \xFC";
    const struct {
        size_t filler;
        std::vector<const char*> encodings;
    } cases[] = {
        {0, {"ISO-8859-5", "windows-1252", "windows-1251"}},
        {TWebBrowser::MaxInlineHtml + 4096, {"ISO-8859-5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filler);
        TempDir dir;
        CountingServer remote;
        std::string html = WriteStoredPage(dir, remote);
        html.insert(html.find("<p>stored text"),
                    "<a id=\"down\" href=\"#end\">down</a><p id=\"t\">" + words.toStdString() +
                        "</p><script>addEventListener('message', e => window.framed = e.data)"
                        "</script><iframe src=\"f.htm\"></iframe><p>" +
                        std::string(c.filler, 'x') + "</p><p id=\"end\">end</p>");
        // The frame tells what it shows: its page may stand apart from the one around it.
        WriteFileBytes(dir / "f.htm", "<p>framed</p><script>parent.postMessage("
                                      "document.querySelector('p').textContent, '*')</script>");
        WriteFileBytes(dir / "1A.htm", html);
        const std::string url = FolderUrl(dir) + "1A.htm";
        TWebBrowser browser;
        browser.SetOffline(true);
        const auto text = [&] {
            return RunScript(browser, "document.getElementById('t').textContent").toString();
        };
        ASSERT_TRUE(LoadAndWait(browser, [&] { browser.Navigate(url); }));
        const QString own = text();
        QString read;
        for (const char* encoding : c.encodings) {
            SCOPED_TRACE(encoding);
            ASSERT_TRUE(LoadAndWait(browser, [&] { browser.SetTextEncoding(encoding); }));
            read = QStringDecoder(encoding).decode(words);
            EXPECT_EQ(text(), read);
            EXPECT_EQ(browser.LocationURL(), url);
            ASSERT_TRUE(PicturesSettled(browser));
            EXPECT_EQ(RunScript(browser, "document.getElementById('local').naturalWidth").toInt(),
                      PictureWidth);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return RunScript(browser, "window.framed").toString() == "framed"; }));
        }
        RunScript(browser, "document.getElementById('down').click()");
        EXPECT_TRUE(QTest::qWaitFor([&] { return browser.LocationURL() == url + "#end"; }));
        EXPECT_EQ(text(), read);

        ASSERT_TRUE(LoadAndWait(browser, [&] { browser.SetTextEncoding(""); }));
        EXPECT_EQ(text(), own);
        EXPECT_EQ(browser.TextEncoding(), "");
        EXPECT_EQ(browser.LocationURL(), url + "#end");
        EXPECT_EQ(remote.hits, 0);
    }
}

// The folder a page read in a chosen encoding resolves against is named before the page's
// first reference, and after its doctype, whatever tags the page leaves out.
TEST(WebBrowser, APageReadInAChosenEncodingKeepsItsPicturesAndLayout) {
    TempDir dir;
    CountingServer remote;
    WriteStoredPage(dir, remote);
    TWebBrowser browser;
    browser.SetOffline(true);
    browser.SetTextEncoding("windows-1252");
    for (const char* html : {"<!DOCTYPE html><p>no head</p><img id=\"local\" src=\"a.png\">",
                             "<!DOCTYPE html><html><body><img id=\"local\" src=\"a.png\">"
                             "<header>a header, no head</header></body></html>"}) {
        SCOPED_TRACE(html);
        WriteFileBytes(dir / "1A.htm", html);
        ASSERT_TRUE(LoadAndWait(browser, [&] { browser.Navigate(FolderUrl(dir) + "1A.htm"); }));
        ASSERT_TRUE(PicturesSettled(browser));
        EXPECT_EQ(RunScript(browser, "document.getElementById('local').naturalWidth").toInt(),
                  PictureWidth);
        EXPECT_EQ(RunScript(browser, "document.compatMode").toString(), "CSS1Compat");
    }
}
