#include "app/binder/Search.h"

#include "app/binder/NodeIds.h"
#include "app/binder/commands/SearchPanel.h"

#include "tests/app_binder/ExportFixture.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* text;
    const char* query;
    bool whole, any, expected;
};

TEST(SearchMatchTest, PageTextModes) {
    const TextCase cases[] = {
        // every word, any one word, or the phrase
        {"bar and then foo", "foo bar", false, false, true},
        {"only foo here", "foo bar", false, false, false},
        {"bar and then foo", "foo bar", false, true, true},
        {"only foo here", "foo bar", false, true, true},
        {"bar and then foo", "foo bar", true, false, false},
        {"only foo here", "foo bar", true, false, false},
        {"a foo bar b", "foo bar", true, false, true},
        // separators only: no word, so "every word" holds and "any word" fails
        {"anything", ", ;", false, false, true},
        {"anything", ", ;", false, true, false},
        // line breaks of the query are dropped before matching
        {"foobar", "foo\r\nbar", true, false, true},
        {"anything", "\r\n", false, true, true},
        // case matters
        {"tea time", "Tea", false, false, false},
        {"tea time", "tea", false, false, true},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(MatchPageText(c.text, c.query, c.whole, c.any), c.expected)
            << c.text << " / " << c.query << " " << c.whole << c.any;
    }
    EXPECT_EQ(SplitWords(",a;;b c,"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(SearchMatchTest, MetaTags) {
    const struct {
        const char* page;
        const char* query;
        bool expected;
    } cases[] = {
        {"<HEAD><META NAME=\"k\" CONTENT=\"green tea\"></HEAD>", "tea", true},
        {"<META NAME=\"k\" CONTENT=\"coffee\"> tea outside", "tea", false},
        {"<meta content=\"a<b>c tea\">", "tea", true},
        {"<meta content=\"a<b>c\"> <meta name=\"tea\">", "tea", true},
        {"<meta content=\"tea\"", "tea", false},
        {"<p>tea</p>", "tea", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchMetaTags(c.page, c.query), c.expected) << c.page;
    }
}

TEST(SearchMatchTest, LinksAreHyperlinksOnly) {
    TPageInfo page;
    page.Content.Links = {{"http://x.test/pic.gif", "", "", "img", "", ""},
                          {"http://x.test/s.css", "", "", "css", "", ""},
                          {"http://y.test/next.html", "", "", "HyperLink", "", ""}};
    EXPECT_FALSE(MatchHyperlinks(page, "x.test", nullptr));
    EXPECT_TRUE(MatchHyperlinks(page, "y.test", nullptr));

    // Without a list of its own the record is searched through collected links and keeps none.
    TPageInfo stored;
    const THyperlinkSource source = [](const TPageInfo&) {
        return std::vector<Link>{{"http://z.test/", "", "", "hyperlink", "", ""}};
    };
    EXPECT_TRUE(MatchHyperlinks(stored, "z.test", source));
    EXPECT_TRUE(stored.Content.Links.empty());
}

TEST(SearchMatchTest, ListedIdsReadBack) {
    const struct {
        const char* text;
        std::optional<uint32_t> id;
    } cases[] = {{"9ABCDEF0", 0x9ABCDEF0u},  {"80000000", 0x80000000u}, {"ff", 0xFFu},
                 {"", std::nullopt},         {"G1", std::nullopt},      {" 1", std::nullopt},
                 {"123456789", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseNodeIdHex(c.text), c.id) << c.text;
    }
}

// A tree of pages among a folder, a note and a link.
struct SearchFixture : ExportFixture {
    SearchFixture() {
        TTreeNode* folder = AddRecord(Tree(), nullptr, NodeKind::Folder, 1, "Folder");
        Page(folder, 0x10, "beta", "http://b.test/", "<meta name=\"k\" content=\"tea\">green");
        Page(folder, 0x11, "Alpha", "http://a.test/", "black");
        AddRecord(Tree(), folder, NodeKind::Notes, 2, "Note");
        AddRecord(Tree(), nullptr, NodeKind::Link, 3, "Link");
        Page(nullptr, 0x80000012, "alpha", "http://c.test/", "green tea");
    }
    TSearchResult Advanced(const TSearchCriteria& criteria) {
        TSearchResult result;
        AdvancedSearch(Tree(), settings.ListMode, criteria, nullptr, result);
        return result;
    }
};

TEST(SearchWalkTest, EmptyTermsListEveryWebPageOnce) {
    SearchFixture f;
    TSearchResult byTitle;
    KeywordSearch(f.Tree(), 0, byTitle, "", "", "");
    // "Alpha" and "alpha" are one entry: the first page in tree order keeps it.
    EXPECT_EQ(byTitle.Listed(0), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(byTitle.Ids.at("Alpha"), 0x11u);
    EXPECT_EQ(byTitle.Listed(1),
              (std::vector<std::string>{"http://a.test/", "http://b.test/", "http://c.test/"}));

    f.settings.ListMode = 1;
    RunSearch(f.ui, f.Tree(), 1);
    const std::vector<std::pair<std::string, uint32_t>> expected = {
        {"http://a.test/", 0x11}, {"http://b.test/", 0x10}, {"http://c.test/", 0x80000012}};
    EXPECT_EQ(f.ui.ResultPanel, expected);
}

TEST(SearchWalkTest, AdvancedCriteriaAfterReopen) {
    SearchFixture f;
    f.binder.BinderDirty = true;
    ASSERT_TRUE(f.commands.FileSaveExecute());
    f.Tree().Clear();
    f.commands.LoadBinderTree();
    f.settings.ListMode = 1;

    TSearchCriteria criteria;
    criteria.FullText = "green";
    EXPECT_EQ(f.Advanced(criteria).Listed(1),
              (std::vector<std::string>{"http://b.test/", "http://c.test/"}));
    criteria.Meta = "tea";
    EXPECT_EQ(f.Advanced(criteria).Listed(1), (std::vector<std::string>{"http://b.test/"}));
    criteria = {};
    criteria.Title = "lpha";
    criteria.Url = "c.test";
    EXPECT_EQ(f.Advanced(criteria).Ids,
              (std::map<std::string, uint32_t>{{"http://c.test/", 0x80000012}}));
}

// A title stored with character references, as pages gave them before they were decoded when
// taken, is listed with its characters in the tree after a reload and in the search list.
TEST(SearchWalkTest, TitlesWithCharacterReferencesAreListedDecoded) {
    SearchFixture f;
    f.Page(nullptr, 0x20, "A &#8212; B", "http://d.test/", "dash");
    f.binder.BinderDirty = true;
    ASSERT_TRUE(f.commands.FileSaveExecute());
    f.Tree().Clear();
    f.commands.LoadBinderTree();
    const TTreeNode* last = f.Tree().TopLevelItem(f.Tree().TopLevelCount() - 1);
    EXPECT_EQ(last->Text(), "A \xE2\x80\x94 B");
    EXPECT_EQ(NodeRecord(last)->Title, "A &#8212; B"); // what is stored stays as it is

    TSearchResult result;
    KeywordSearch(f.Tree(), 0, result, "dash", "", "");
    EXPECT_EQ(result.Listed(0), (std::vector<std::string>{"A \xE2\x80\x94 B"}));
    EXPECT_EQ(result.Ids.at("A \xE2\x80\x94 B"), 0x20u);
}

} // namespace
