// A stored page as a user sees it under a real X server: shown offline from its node folder,
// with its picture at its natural size and its style sheet applied, and nothing asked of the
// network. The screenshot is kept for a look.
#include "tests/platform_browser/BrowserTestSupport.h"

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
    ASSERT_TRUE(LoadAndWait(
        browser, [&] { browser.LoadHtml(html, FolderUrl(dir), HtmlEncoding::BrowserDefault); }));
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
