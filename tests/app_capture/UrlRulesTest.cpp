#include "app/capture/UrlRules.h"

#include <gtest/gtest.h>

TEST(UrlRules, IsNetUrlTakesTheThreeNetSchemesInAnyCase) {
    EXPECT_TRUE(IsNetUrl("http://h/"));
    EXPECT_TRUE(IsNetUrl("HTTPS://h/"));
    EXPECT_TRUE(IsNetUrl("Ftp://h/a.zip"));
    EXPECT_FALSE(IsNetUrl("file:///home/u/a.htm"));
    EXPECT_FALSE(IsNetUrl("/home/u/a.htm"));
    EXPECT_FALSE(IsNetUrl("http:/h"));
    EXPECT_FALSE(IsNetUrl(""));
}

TEST(UrlRules, CrackUrlGivesHostAndPath) {
    struct Case {
        const char* url;
        const char* host;
        const char* path;
    } cases[] = {
        {"http://h/d/p.htm", "h", "/d/p.htm"},
        {"http://h", "h", ""},
        {"http://h?x=1", "h", ""},
        {"http://user:pw@Host.example:8080/a%20b/c?q=/x#f", "Host.example", "/a b/c"},
        {"https://[::1]:443/x", "[::1]", "/x"},
        {"file:///home/u/a.htm", "", "/home/u/a.htm"},
        {"file://C|/d/a.htm", "", "C|/d/a.htm"},
        {"file://C:\\d\\a.htm", "", "C:\\d\\a.htm"},
        {"h/d/p.htm", "", ""},
        {"/home/u/a.htm", "", ""},
        {"mailto:a@b", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CrackUrl(c.url, 1), c.host) << c.url;
        EXPECT_EQ(CrackUrl(c.url, 2), c.path) << c.url;
        EXPECT_EQ(CrackUrl(c.url, 3), "") << c.url;
    }
}

TEST(UrlRules, FileUrlToPathTable) {
    struct Case {
        const char* url;
        const char* path;
    } cases[] = {
        {"file:///home/u/a.htm", "/home/u/a.htm"},
        {"FILE:///home/u/a.htm", "/home/u/a.htm"},
        {"file://localhost/home/u/a.htm", "/localhost/home/u/a.htm"},
        {"/home/u/my%20pages/a.htm", "/home/u/my pages/a.htm"},
        {"///home//u/a.htm", "/home//u/a.htm"},
        {"file:///C|/d/a.htm", "C:/d/a.htm"},
        {"file://C:\\d\\a.htm", "C:/d/a.htm"},
        {"file:a.htm", "a.htm"},
        {"h/d/p?x=*1.htm", "h/d/px=1.htm"},
        {"h/d/<\"q\">|.gif", "h/d/q:.gif"},
        {"", ""},
        {"file:", ""},
        {"file:///", "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileUrlToPath(c.url), c.path) << c.url;
    }
}

TEST(UrlRules, LongUrlsAreReadWhole) {
    const std::string path = "/" + std::string(5000, 'p');
    EXPECT_EQ(CrackUrl("http://h" + path, 2), path);
    EXPECT_EQ(SplitUrl("http://h" + path).AuthorityEnd, 8u);
    std::string folder;
    for (int i = 0; i < 200; ++i) {
        folder += "/folder" + std::to_string(i);
    }
    EXPECT_EQ(FileUrlToPath("file://" + folder + "/a.htm"), folder + "/a.htm");
    EXPECT_EQ(CrackUrl("file://" + folder + "/a.htm", 2), folder + "/a.htm");
    const std::string host(300, 'h');
    EXPECT_EQ(CrackUrl("http://" + host + ".example/x", 1), host + ".example");
}
