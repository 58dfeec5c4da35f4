#include "app/capture/PathRules.h"
#include "app/capture/TextRules.h"

#include <gtest/gtest.h>

TEST(PathRules, NormaliseAbsoluteUrl) {
    for (std::string url : {"http://h/a", "HTTPS://h/a", "ftp://h/a", "File:///a"}) {
        std::string before = url;
        EXPECT_TRUE(NormaliseAbsoluteUrl(url)) << url;
        EXPECT_EQ(url, before);
    }
    std::string schemeless = "//cdn/x.js";
    EXPECT_TRUE(NormaliseAbsoluteUrl(schemeless));
    EXPECT_EQ(schemeless, "http://cdn/x.js");
    for (std::string url : {"/a", "a.gif", "mailto:x@y", "http:/h", ""}) {
        std::string before = url;
        EXPECT_FALSE(NormaliseAbsoluteUrl(url)) << url;
        EXPECT_EQ(url, before);
    }
    EXPECT_TRUE(StartsWithSlash("/a"));
    EXPECT_FALSE(StartsWithSlash("a/"));
    EXPECT_FALSE(StartsWithSlash(""));
}

TEST(PathRules, ResolveRelativePath) {
    struct Case {
        const char* base;
        const char* reference;
        const char* result;
    } cases[] = {
        {"h/d/", "img/a.gif", "h/d/img/a.gif"},
        {"h/d/", "../i/a.gif", "h/i/a.gif"},
        {"h/d/", "../../../x", "x"}, // never above the folder it starts from
        {"h/d/", "/x/y", "h/d/x/y"},
        {"h/d/", "", "h/d/"},
        {"h/d/", "img/", "h/d/img/"},
        {"h/d/", "img/../a.gif", "h/d/a.gif"}, // ".." is a segment, not a count
        {"h/d/", "a..b.gif", "h/d/a..b.gif"},
        {"h/d/", "./x/./y", "h/d/x/y"},
        {"h\\d\\", "i\\a.gif", "h\\d\\i\\a.gif"},
        {"", "a.gif", "/a.gif"},
        {"http://h/d/", "img/a.gif", "http://h/d/img/a.gif"},
        {"http://h/d/", "../i/a.gif", "http://h/i/a.gif"},
        {"http://h/d/", "../../../x", "http://h/x"}, // the host is never climbed over
        {"http://h/", "x.htm", "http://h/x.htm"},
        {"http://h", "x.htm", "http://h/x.htm"},
        {"http://h/d/p.htm", "q.htm", "http://h/d/q.htm"},
        {"http://h/d/p.php?u=a/b", "q.htm", "http://h/d/q.htm"},
        {"http://h/d/", "q.php?a=../b#c/../d", "http://h/d/q.php?a=../b#c/../d"},
        {"http://h/d/", "a//b", "http://h/d/a//b"},
        {"file:///home/u/d/", "../../../../x", "file:///x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveRelativePath(c.base, c.reference), c.result)
            << c.base << " + " << c.reference;
    }
}

TEST(PathRules, CleanPathName) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"img/a.gif", "img/a.gif"},      {"a:b*c?d\"e<f>g|h%i.gif", "abcdefghi.gif"},
        {"my%20pic.gif", "my20pic.gif"}, {"r.php?u=HTTP://X/Y.gif", "r.phpu=httpx/y.gif"},
        {"a//b///c", "a/b//c"},          {"C:\\dir\\a.gif", "C\\dir\\a.gif"},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        CleanPathName(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(PathRules, LocalPathOfUrl) {
    EXPECT_EQ(LocalPathOfUrl("http://h/i/a.gif", "h"), "i/a.gif");
    EXPECT_EQ(LocalPathOfUrl("http://H/i/a.gif", "h"), "i/a.gif"); // host names ignore case
    EXPECT_EQ(LocalPathOfUrl("http://x/a.gif", "h"), "x/a.gif");
    // Only the whole host is cut: "hx" is another host.
    EXPECT_EQ(LocalPathOfUrl("http://hx/a.gif", "h"), "hx/a.gif");
    EXPECT_EQ(LocalPathOfUrl("http://h:8080/a.gif", "h"), "h8080/a.gif");
    EXPECT_EQ(LocalPathOfUrl("http://h", "h"), "");
    // An empty host (a page from a file) cuts nothing.
    EXPECT_EQ(LocalPathOfUrl("file:///home/u/a.gif", ""), "/home/u/a.gif");
    EXPECT_EQ(LocalPathOfUrl("http://x/a.gif", ""), "x/a.gif");
}

TEST(PathRules, NormaliseLocalPathNeverLeavesItsFolder) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"h/d/a.gif", "h/d/a.gif"},
        {"/h/d/", "h/d/"},
        {"h/../../x", "x"},
        {"../../etc/passwd", "etc/passwd"},
        {"h\\..\\..\\x", "x"},
        {"h//./d/.//a.gif", "h/d/a.gif"},
        {"h/d/..", "h/"},
        {"..", ""},
        {"/", ""},
        {"", ""},
        {"h/..2f../x", "h/..2f../x"},
        {"h/...", "h/..."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseLocalPath(c.in), c.out) << c.in;
    }
    EXPECT_EQ(NormaliseLocalPath(std::string("h/a\0/../../b", 12)), "b");
}

TEST(PathRules, FileNamesAndExtensions) {
    EXPECT_EQ(CleanFileName("News: today\\/*?\"<>|\r\n.htm"), "News today.htm");
    EXPECT_EQ(CleanFileName(" 0--Title.htm"), " 0--Title.htm");
    EXPECT_EQ(GetFileExtension("a/b.tar.gz"), "gz");
    EXPECT_EQ(GetFileExtension("noext"), "");
    EXPECT_EQ(GetFileExtension("dir.d/file"), "d/file");
    EXPECT_EQ(UrlFileExtension("http://h/a.php?f=b.gif"), "php");
    EXPECT_EQ(UrlFileExtension("http://h/a.gif"), "gif");
    EXPECT_EQ(UrlFileExtension("http://h/a"), "");
}

TEST(TextRules, LineBreaksAndRemovedStrings) {
    // Only the first two characters are looked at, a break in second place too.
    const std::pair<std::string, std::string> leading[] = {
        {"\r\n<html>\r\n", "<html>\r\n"},
        {"\n\n\n<p>", "\n<p>"},
        {"x\n<p>\n", "x<p>\n"},
        {"\nx\n", "x\n"},
        {"x\r", "x"},
        {"<p>\n", "<p>\n"},
        {"", ""},
    };
    for (const auto& [text, stripped] : leading) {
        EXPECT_EQ(StripLeadingLineBreaks(text), stripped) << text;
    }
    EXPECT_EQ(StripLineBreaks("a\r\nb\nc\r"), "abc");
    EXPECT_EQ(RemoveStrings("a b\tc d", {" ", "\t"}), "abcd");
    EXPECT_EQ(RemoveStrings("aXYb", {"X", "Y", ""}), "ab");
    EXPECT_EQ(RemoveStrings("XXYY", {"XY"}), "XY"); // one pass per string
}
