#include "app/capture/PageHtml.h"

#include "app/binder/PageInfo.h"

#include <gtest/gtest.h>

TEST(InsertBaseHref, GoesBehindTitleHeadOrHtmlElseFirst) {
    const std::string base = "<base href=\"file:///b/s/1F/\">";
    EXPECT_EQ(InsertBaseHref("<html><head><TITLE>t</Title ></head>x", "file:///b/s/1F/"),
              "<html><head><TITLE>t</Title >" + base + "</head>x");
    EXPECT_EQ(InsertBaseHref("<HTML lang=en><head></HEAD>x", "file:///b/s/1F/"),
              "<HTML lang=en><head></HEAD>" + base + "x");
    EXPECT_EQ(InsertBaseHref("<html lang=en><body>", "file:///b/s/1F/"),
              "<html lang=en>" + base + "<body>");
    EXPECT_EQ(InsertBaseHref("<p>bare", "file:///b/s/1F/"), base + "<p>bare");
    EXPECT_EQ(InsertBaseHref("text </title without end", "file:///b/s/1F/"),
              base + "text </title without end");
    EXPECT_EQ(InsertBaseHref("", "file:///b/s/1F/"), "");
    EXPECT_EQ(InsertBaseHref("<p>", "file:///my \"odd\"/"),
              "<base href=\"file:///my &quot;odd&quot;/\"><p>");
    // "&lt;" in a folder name is four characters of the name, not an entity.
    EXPECT_EQ(InsertBaseHref("<p>", "file:///a&lt;b/"), "<base href=\"file:///a&amp;lt;b/\"><p>");

    PageContent content;
    content.PageHtml = "<html>x";
    EXPECT_EQ(InsertPageBaseHref(content, "u"), "<html><base href=\"u\">x");
}

TEST(StripScripts, RemovesScriptBlocks) {
    EXPECT_EQ(StripScripts("a<script>x()</script>b<SCRIPT src=y.js></Script>c"), "abc");
    EXPECT_EQ(StripScripts("a<script>if (x<y) w('<b>')</script>b"), "ab");
    // An opener without an end stays, and so does all after it.
    EXPECT_EQ(StripScripts("a<script>x()</script>b<script>never closed"), "ab<script>never closed");
    EXPECT_EQ(StripScripts("a</script>b"), "a</script>b");
    EXPECT_EQ(StripScripts(""), "");
    // Removing a block cannot leave a new one behind.
    EXPECT_EQ(StripScripts("<scr<script></script>ipt>evil()</script>tail"), "tail");
    EXPECT_EQ(StripScripts("<<script>x</script>script>y</script>z"), "z");
    EXPECT_EQ(StripScripts("<<script>x</script>p>z"), "<p>z");
    EXPECT_EQ(StripScripts("<SC<script></script>RIPT>y</SCRIPT>z"), "z");
}

TEST(StripScripts, RemovesEventAttributesOfTagsOnly) {
    EXPECT_EQ(StripScripts("<body onload=\"init(); go()\" onunload=bye() class=x>"
                           "the onload event<img onload=a() src=i.gif onfocus='f()'>"
                           "<a onblur=b onBeforeUnload=c onclick=d>x</a>"),
              "<body class=x>the onload event<img src=i.gif>"
              "<a onclick=d>x</a>");
    const std::string plain = "<p class=\"onload\">onblur onfocus</p>";
    EXPECT_EQ(StripScripts(plain), plain);
}
