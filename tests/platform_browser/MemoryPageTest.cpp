// A captured page reads the same whether the browser is given its bytes or its page file: the
// capture takes the page's own charset out, so both must leave the reading to the same guess.
#include "BrowserTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The page's text as the browser shows it.
std::string ShownText(TWebBrowser& browser) {
    return RunScript(browser, "document.body.innerText").toString().toStdString();
}

} // namespace

TEST(MemoryPage, APageFromMemoryReadsAsThroughItsFile) {
    const std::string utf8 = "there\xE2\x80\x99s \xC2\xB6 more\xE2\x80\xA6"; // there’s ¶ more…
    const std::string cp1252 = "there\x92s \xB6 more\x85";
    TempDir dir;
    TWebBrowser browser;
    browser.SetOffline(true);
    for (const std::string& words : {utf8, cp1252}) {
        // As the capture leaves it: a meta element without its charset.
        const std::string html = "<html><head><meta http-equiv=\"X-UA-Compatible\"><title>t"
                                 "</title></head><body><p>" +
                                 words + "</p><p>" + words + " again</p></body></html>";
        WriteFileBytes(dir / "1A.htm", html);
        ASSERT_TRUE(LoadAndWait(browser, [&] { browser.Navigate(FolderUrl(dir) + "1A.htm"); }));
        const std::string throughFile = ShownText(browser);
        ASSERT_TRUE(LoadAndWait(browser, [&] {
            browser.LoadHtml(html, FolderUrl(dir), HtmlEncoding::BrowserDefault);
        }));
        EXPECT_EQ(ShownText(browser), throughFile);
        if (words == utf8) {
            EXPECT_EQ(throughFile.substr(0, utf8.size()), utf8);
        }
    }
}
