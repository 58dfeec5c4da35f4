#include "app/capture/ScriptParser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> FindAll(const std::string& text) {
    ScriptParser parser(text);
    std::vector<std::string> names;
    for (std::string name = parser.FindNext(); !name.empty(); name = parser.FindNext()) {
        names.push_back(name);
    }
    return names;
}

} // namespace

TEST(ScriptParser, FindsNamesByExtensionInTextOrder) {
    EXPECT_EQ(FindAll("document.write('<img src=\"a.gif\">'); x = url(b.jpeg); y='/p/c.css'"),
              std::vector<std::string>({"a.gif", "b.jpeg", "c.css"}));
    // At one place the earlier extension wins: ".htm" before ".html", ".tif" before ".tiff".
    EXPECT_EQ(FindAll("go(p.html) show(q.tiff)"), std::vector<std::string>({"p.htm", "q.tif"}));
    // Case matters, and a name starts behind white space of any kind.
    EXPECT_EQ(FindAll("A.GIF\n\tb.png"), std::vector<std::string>({"b.png"}));
    EXPECT_EQ(FindAll("x=.gif"), std::vector<std::string>({".gif"}));
    EXPECT_TRUE(FindAll("var a = 1; // nothing here").empty());
    EXPECT_TRUE(FindAll("").empty());
}

TEST(ScriptParser, ManyNamesAreFoundInOnePass) {
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += "s('i" + std::to_string(i) + ".gif'); ";
    }
    auto names = FindAll(text);
    ASSERT_EQ(names.size(), 2000u);
    EXPECT_EQ(names[1999], "i1999.gif");
}

TEST(ScriptParser, ReplaceBuildsTheOutput) {
    ScriptParser parser("a('x.gif'); b('y.png'); end");
    EXPECT_EQ(parser.FindNext(), "x.gif");
    parser.Replace("h/x.gif");
    EXPECT_EQ(parser.FindNext(), "y.png");
    parser.Replace("h/y.png");
    EXPECT_EQ(parser.FindNext(), "");
    parser.Finish();
    EXPECT_EQ(parser.GetOutput(), "a('h/x.gif'); b('h/y.png'); end");

    ScriptParser untouched("nothing.gif to replace");
    untouched.FindNext();
    untouched.Finish();
    EXPECT_EQ(untouched.GetOutput(), "nothing.gif to replace");
}
