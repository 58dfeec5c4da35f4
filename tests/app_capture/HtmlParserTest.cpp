#include "app/capture/HtmlParser.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using TagPlace = std::tuple<std::string, size_t, size_t>; // name, start, end

std::vector<TagPlace> ScanAll(const std::string& page) {
    HtmlParser parser(page);
    std::vector<TagPlace> tags;
    while (std::unique_ptr<Tag> tag = parser.NextTag()) {
        EXPECT_EQ(tag->GetLength(), tag->GetEnd() - tag->GetStart() + 1);
        tags.emplace_back(tag->GetName(), tag->GetStart(), tag->GetEnd());
    }
    return tags;
}

// 1-based place of the first `what` at or after `from`.
size_t At(const std::string& page, const std::string& what, size_t from = 0) {
    size_t found = page.find(what, from);
    EXPECT_NE(found, std::string::npos) << what;
    return found + 1;
}

Tag MakeTag(const std::string& text) {
    return Tag(text, 1, text.size() + 2);
}

} // namespace

TEST(HtmlParser, CraftedPageGivesExactTagPlaces) {
    const std::string page = "intro<p class=x>"
                             "<SCRIPT>if (a<b && c>d) document.write('<b>x</b>');</Script >"
                             "<!-- a > b \" -->"
                             "<a href=\"x>y\">t</a>"
                             "<br>tail < never closed";
    size_t comment = At(page, "<!--");
    size_t anchor = At(page, "<a ");
    std::vector<TagPlace> expected = {
        {"p", At(page, "<p"), At(page, ">", At(page, "<p"))},
        {"SCRIPT", At(page, "<SCRIPT>"), At(page, "<SCRIPT>") + 7},
        {"/Script", At(page, "</Script"), At(page, " >") + 1},
        {"!--", comment, At(page, "-->") + 2},
        {"a", anchor, At(page, "\">t") + 1},
        {"/a", At(page, "</a>"), At(page, "</a>") + 3},
        {"br", At(page, "<br>"), At(page, "<br>") + 3},
    };
    EXPECT_EQ(ScanAll(page), expected);
}

TEST(HtmlParser, TextWithoutTagsOrUnclosedGivesNone) {
    EXPECT_TRUE(ScanAll("").empty());
    EXPECT_TRUE(ScanAll("plain text, a > b").empty());
    EXPECT_TRUE(ScanAll("a < b and nothing closes").empty());
    // An unclosed comment and a script without its end tag end the walk.
    EXPECT_EQ(ScanAll("<i><!-- never ends <b>").size(), 1u);
    EXPECT_EQ(ScanAll("<script>var a = '<b>';").size(), 1u);
}

TEST(HtmlParser, OddQuotesExtendATagToTheNextCloser) {
    const std::string page = "<a b=\"c>d<e>f\"g>h<i>";
    auto tags = ScanAll(page);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0], TagPlace("a", 1, At(page, "g>") + 1));
    EXPECT_EQ(tags[1], TagPlace("i", At(page, "<i>"), page.size()));

    // With no ">" to reach, the tag keeps the last one there is.
    const std::string open = "<a title=\"x>tail";
    EXPECT_EQ(ScanAll(open), std::vector<TagPlace>({{"a", 1, At(open, ">")}}));

    // Quotes inside a comment mean nothing: the next tag is not swallowed.
    const std::string commented = "<!-- 5\" screen -->x<img src=a.gif>";
    auto afterComment = ScanAll(commented);
    ASSERT_EQ(afterComment.size(), 2u);
    EXPECT_EQ(std::get<0>(afterComment[1]), "img");
}

TEST(HtmlParser, TagTextLosesLeadingBlanksAndNamesEndAtAnySeparator) {
    HtmlParser parser("< \timg\tsrc=a.gif>< br\n/><?xml version=1?>");
    auto img = parser.NextTag();
    EXPECT_EQ(img->GetText(), "img\tsrc=a.gif");
    EXPECT_EQ(img->GetName(), "img");
    EXPECT_EQ(img->GetStart(), 1u);
    EXPECT_EQ(parser.NextTag()->GetName(), "br");
    EXPECT_EQ(parser.NextTag()->GetName(), "");
    EXPECT_EQ(parser.NextTag(), nullptr);
}

TEST(HtmlParser, HasBalancedQuotes) {
    EXPECT_TRUE(HasBalancedQuotes(""));
    EXPECT_TRUE(HasBalancedQuotes("a=\"b\" c=\"d\""));
    EXPECT_FALSE(HasBalancedQuotes("a=\"b"));
    EXPECT_TRUE(HasBalancedQuotes("a='b"));
}

TEST(Tag, AttributeLookup) {
    Tag tag = MakeTag("IMG SRC=\"a.gif\" ALT='x y' Width=10 "
                      "href=\"./d/p.htm?x=1&amp;y=2\" src=second.gif");
    EXPECT_EQ(tag.GetAttribute("src"), "a.gif"); // capitals, and the first of two wins
    EXPECT_EQ(tag.GetAttribute("alt"), "x y");
    EXPECT_EQ(tag.GetAttribute("width"), "10");
    EXPECT_EQ(tag.GetAttribute("href"), "d/p.htm?x=1&y=2");
    EXPECT_EQ(tag.GetAttribute("title"), "");
    EXPECT_TRUE(tag.HasAttribute("WIDTH"));
    EXPECT_FALSE(tag.HasAttribute("title"));

    // An unquoted value stops at "?"; the query reads as the next attribute.
    Tag query = MakeTag("a href=p.php?id=3");
    EXPECT_EQ(query.GetAttribute("href"), "p.php");
    EXPECT_EQ(query.GetAttribute("id"), "3");
    EXPECT_EQ(MakeTag("a href=\"p.php?id=3\"").GetAttribute("href"), "p.php?id=3");

    // Separators: TAB, FF, CR and LF work like blanks; blanks may stand around "=".
    Tag spaced = MakeTag("img\tsrc=a.gif\r\nalt = \"b\"\fwidth =3");
    EXPECT_EQ(spaced.GetAttribute("src"), "a.gif");
    EXPECT_EQ(spaced.GetAttribute("alt"), "b");
    EXPECT_EQ(spaced.GetAttribute("width"), "3");

    // Leading blanks inside quotes go; an unterminated quote runs to the end.
    EXPECT_EQ(MakeTag("img src=\"  a.gif\"").GetAttribute("src"), "a.gif");
    EXPECT_EQ(MakeTag("img src=\"a.gif").GetAttribute("src"), "a.gif");
    // A quoted text standing alone is no attribute.
    EXPECT_EQ(MakeTag("img \"idx:1\" src=x.gif").GetAttribute("src"), "x.gif");
    // An empty value or a nameless "=" ends the attributes.
    EXPECT_EQ(MakeTag("img a=?b=c").GetAttribute("b"), "");
    EXPECT_EQ(MakeTag("img =x src=a.gif").GetAttribute("src"), "");
    EXPECT_EQ(MakeTag("input checked src=b.gif").GetAttribute("checked"), "");
    EXPECT_EQ(MakeTag("input checked src=b.gif").GetAttribute("src"), "b.gif");
}

TEST(Tag, LookalikeNamesAndValuesNeverStandForTheAttribute) {
    Tag tag = MakeTag("img lowsrc=l.gif srcset=\"s.gif 2x\" data-src=d.gif alt=\"src=no\" "
                      "src=real.gif");
    EXPECT_EQ(tag.GetAttribute("src"), "real.gif");
    EXPECT_EQ(tag.ReplaceAttribute("src", "h/d/real.gif"),
              "img lowsrc=l.gif srcset=\"s.gif 2x\" data-src=d.gif alt=\"src=no\" "
              "src=h/d/real.gif");
    EXPECT_EQ(tag.RemoveAttribute("src"),
              "img lowsrc=l.gif srcset=\"s.gif 2x\" data-src=d.gif alt=\"src=no\"");
    EXPECT_EQ(MakeTag("img alt=\"x\"").ReplaceAttribute("src", "y"), "img alt=\"x\"");
}

TEST(Tag, ReplaceWritesExactlyTheNewValue) {
    // The whole old value goes, quotes and blanks in it included; what follows stays.
    EXPECT_EQ(MakeTag("img src=\"a b.gif\" alt=x").ReplaceAttribute("src", "n.gif"),
              "img src=n.gif alt=x");
    EXPECT_EQ(MakeTag("img src='a b.gif'").ReplaceAttribute("src", "n.gif"), "img src=n.gif");
    EXPECT_EQ(MakeTag("img src=\"a.gif\"").ReplaceAttribute("src", "h/d/a.gif"),
              "img src=h/d/a.gif");
    EXPECT_EQ(MakeTag("a href=p.php?id=3").ReplaceAttribute("href", "http://h/p.php"),
              "a href=http://h/p.php?id=3");
    EXPECT_EQ(MakeTag("img src = a.gif /").ReplaceAttribute("src", "b.gif"), "img src =b.gif /");
    EXPECT_EQ(MakeTag("input src").ReplaceAttribute("src", "b.gif"), "input src=b.gif");

    // Quoted only where a bare value would not survive.
    Tag tag = MakeTag("img src=a.gif");
    EXPECT_EQ(tag.ReplaceAttribute("src", "h/my dir/a.gif"), "img src=\"h/my dir/a.gif\"");
    EXPECT_EQ(tag.ReplaceAttribute("src", "a.php?x=1"), "img src=\"a.php?x=1\"");
    EXPECT_EQ(tag.ReplaceAttribute("src", "say \"hi\".gif"), "img src='say \"hi\".gif'");
    EXPECT_EQ(tag.ReplaceAttribute("src", "it's \"x\""), "img src=\"it's &quot;x&quot;\"");
    EXPECT_EQ(tag.ReplaceAttribute("src", "a>b"), "img src=\"a>b\"");
    EXPECT_EQ(tag.ReplaceAttribute("src", ""), "img src=\"\"");
}

TEST(Tag, RemoveTakesTheWholeAttribute) {
    EXPECT_EQ(MakeTag("meta charset=\"utf-8\" name=x").RemoveAttribute("charset"), "meta name=x");
    EXPECT_EQ(MakeTag("meta charset=utf-8").RemoveAttribute("charset"), "meta");
    EXPECT_EQ(MakeTag("body onload='go(); run()' class=a").RemoveAttribute("onload"),
              "body class=a");
    EXPECT_EQ(MakeTag("input checked name=x").RemoveAttribute("checked"), "input name=x");
    EXPECT_EQ(MakeTag("meta name=x").RemoveAttribute("charset"), "meta name=x");
}
