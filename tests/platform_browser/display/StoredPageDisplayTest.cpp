// A stored page as a user sees it under a real X server: shown offline from its node folder,
// with its picture at its natural size and its style sheet applied, and nothing asked of the
// network. The screenshot is kept for a look.
#include "tests/platform_browser/BrowserTestSupport.h"

#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"

#include <QDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

TEST(StoredPageDisplay, ShownOfflineWithItsPicturesAndStyle) {
    TempDir dir;
    CountingServer remote;
    TWebBrowser browser;
    browser.resize(480, 320);
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));

    browser.SetOffline(true);
    const std::string html = WriteStoredPage(dir, remote);
    ASSERT_TRUE(LoadAndWait(browser, [&] { browser.LoadHtml(html, FolderUrl(dir)); }));
    ASSERT_TRUE(PicturesSettled(browser));

    const QVariantList size = RunScript(browser, "(() => { const i = "
                                                 "document.getElementById('local'); return "
                                                 "[i.naturalWidth, i.naturalHeight, i.width, "
                                                 "i.height, i.getBoundingClientRect().x, "
                                                 "i.getBoundingClientRect().y]; })()")
                                  .toList();
    ASSERT_EQ(size.size(), 6);
    EXPECT_EQ(size[0].toInt(), PictureWidth);
    EXPECT_EQ(size[1].toInt(), PictureHeight);
    EXPECT_EQ(size[2].toInt(), PictureWidth);
    EXPECT_EQ(size[3].toInt(), PictureHeight);
    EXPECT_EQ(remote.hits, 0);
    for (const QUrl& url : browser.PassedRequests()) {
        EXPECT_TRUE(url.isLocalFile() || url.scheme() == "data") << url.toString().toStdString();
    }

    // The screen shows the picture on the style sheet's background.
    QImage shot;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = browser.View()->grab().toImage();
            const QPoint inPicture(size[4].toInt() + PictureWidth / 2,
                                   size[5].toInt() + PictureHeight / 2);
            return shot.pixelColor(inPicture) == QColor(200, 40, 40) &&
                   shot.pixelColor(shot.width() - 5, shot.height() - 5) == QColor(10, 120, 30);
        },
        10000));
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(TARNWICK_SCREENSHOT_DIR "/browser-stored-page.png"));
}

// A page's summary from the installed template: its style sheet from the installation and its
// bars at their widths.
TEST(StoredPageDisplay, PageSummaryFromTheInstalledTemplate) {
    TWebBrowser browser(nullptr, TWebBrowser::MenuMode::None);
    browser.resize(760, 420);
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    TPageInfo page;
    page.Title = "A <b>Complete</b> guide";
    page.RequestedUrl = "http://example.test/guide.html";
    page.Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    page.Content.Stats.Groups[GroupImg] = {3, 1, 0};
    page.Content.Stats.Groups[GroupCss] = {1, 0, 1};
    TSummaryTemplates templates(TARNWICK_WORK_DIR);
    const std::string html =
        PageSummaryHtml(page, templates.WorkDir(), templates.Template(SummaryKind::Page));
    browser.SetOffline(true);
    ASSERT_TRUE(LoadAndWait(
        browser, [&] { browser.LoadHtml(html, SummaryCommonUrl(templates.WorkDir())); }));
    EXPECT_EQ(RunScript(browser, "document.querySelector('h1').textContent").toString(),
              "A <b>Complete</b> guide");
    EXPECT_EQ(
        RunScript(browser, "getComputedStyle(document.querySelector('.bar.net')).width").toString(),
        "202px");
    EXPECT_EQ(RunScript(browser, "getComputedStyle(document.querySelector('.bar.cache'))"
                                 ".backgroundColor")
                  .toString(),
              "rgb(59, 93, 157)"); // from the installed style sheet
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    EXPECT_TRUE(
        browser.View()->grab().toImage().save(TARNWICK_SCREENSHOT_DIR "/browser-page-summary.png"));
}
