#include "app/binder/SummaryPages.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/Scramble.h"

#include "BinderTreeFixture.h"

#include <gtest/gtest.h>

#include <QUrl>

#include <tuple>

namespace {

const std::string GroupTemplate = "I_N_P3|I_C_P97|I_E_P0|8 i_n|261 i_c|0 i_e|I_T_T195|I_N_T5|"
                                  "C_N_P3|8 c_n|I_C_T190|TQZResourceFile|Complete";

} // namespace

TEST(SummaryPages, PageGroupsGivePercentagesBarsAndTotals) {
    const struct {
        CaptureState state;
        int fetched, cached, failed;
        std::string expected;
    } cases[] = {
        {CaptureState::Completed, 3, 1, 0, "75|25|0|202|67|0|4|3|0|0|1|4|Capture Completed"},
        {CaptureState::Stopped, 0, 0, 2, "0|0|100|0|0|270|2|0|0|0|0|2|Capture stopped"},
        // An unfinished or failed capture shows no counts at all.
        {CaptureState::Unfinished, 3, 1, 0, "0|0|0|0|0|0|0|0|0|0|0|0|Capture Incompleted"},
        {CaptureState::Failed, 3, 1, 0, "0|0|0|0|0|0|0|0|0|0|0|0|Capture Failed"},
    };
    for (const auto& c : cases) {
        TPageInfo page;
        page.Content.Stats.State = static_cast<int32_t>(c.state);
        page.Content.Stats.Groups[GroupImg] = {c.fetched, c.cached, c.failed};
        EXPECT_EQ(PageSummaryHtml(page, "/w", GroupTemplate), c.expected);
    }
}

TEST(SummaryPages, ValuesAreInsertedOnceAndEscaped) {
    TPageInfo page;
    page.Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    page.Content.Stats.Groups[GroupImg] = {3, 1, 0};
    page.Title = "Complete I_N_P3 <b>\"x\" & y";
    page.RequestedUrl = "http://a.test/?q=<i>";
    const std::string tmpl = std::string("<h1>") + SummarySampleTitle + "</h1><a href=\"" +
                             SummarySampleUrl +
                             "\">Complete</a> I_N_P3 <img src=\"/common/x.gif\">";
    EXPECT_EQ(PageSummaryHtml(page, "/opt/tw/", tmpl),
              "<h1>Complete I_N_P3 &lt;b&gt;&quot;x&quot; &amp; y</h1>"
              "<a href=\"http://a.test/?q=&lt;i&gt;\">Capture Completed</a> 75 "
              "<img src=\"file:///opt/tw/common/x.gif\">");

    BinderSummary binder{"My <Binder>", "has 9999 and BINDERSTATUS", 12, "/b", 345, "d", true};
    EXPECT_EQ(BinderSummaryHtml(binder, "/w",
                                "TQZSampleTitle|BINDERDESC|9999|SAVEPATHBINDER|bsize|BINDERSTATUS"),
              "My &lt;Binder&gt;|has 9999 and BINDERSTATUS|12|/b|345|Open");
}

TEST(SummaryPages, FolderHasOneRowPerChild) {
    TTreeNodes tree;
    TTreeNode* folder = AddRecord(tree, nullptr, NodeKind::Folder, 1, "F");
    const std::string tmpl = "[ChildNumberValue FolderCreatedDateValue]<!--begin of a row-->"
                             "(TitleValue;TypeValue;StatusValue;SizeValue;ResourceValue)"
                             "<!--end of a row-->[end]";
    EXPECT_EQ(FolderSummaryHtml(*folder, "/w", tmpl), "[0 2024-05-06 07:08:09][end]");

    TPageInfo* page = NodeRecord(AddRecord(tree, folder, NodeKind::WebPage, 2, "P<1>"));
    page->Content.PageHtml = "12345";
    page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    page->Content.Stats.Total = 7;
    NodeRecord(AddRecord(tree, folder, NodeKind::Notes, 3, "N"))->Notes.AddBytes("abc");
    AddRecord(tree, folder, NodeKind::Link, 4, "L");
    EXPECT_EQ(FolderSummaryHtml(*folder, "/w", tmpl),
              "[3 2024-05-06 07:08:09](P&lt;1&gt;; WebPage;Capture Completed;5;7)"
              "(N;Notes Document ;-;5;-)(L;Link;-;0;-)[end]");
}

TEST(SummaryPages, TemplatesAreReadUnscrambledOrFallBack) {
    TempDir dir;
    const std::string plain = "<p>TQZSampleTitle</p>";
    std::unique_ptr<char[]> stored = ScrambleBuffer(plain.data(), ScrambleKey, plain.size());
    ASSERT_TRUE(ForceDirectories((dir / "common").string()));
    WriteFileBytes(dir / "common" / "LinkSummary.gif", std::string(stored.get(), plain.size()));

    TSummaryTemplates templates(dir.Str());
    EXPECT_TRUE(templates.Found(SummaryKind::Link));
    EXPECT_EQ(templates.Template(SummaryKind::Link), plain);
    EXPECT_NE(templates.Template(SummaryKind::Page).find("PageSummary.gif"), std::string::npos);

    // The installed templates of the build carry every marker the pages fill in.
    TSummaryTemplates installed(TARNWICK_WORK_DIR);
    const std::vector<std::string> markers[] = {
        {"I_N_P3", "R_T_T195", "8 f_n", "261 s_c", "0 c_e", "TQZLocalSize", "TQZResourceFile",
         "Complete", SummarySampleTitle, SummarySampleUrl, SummarySampleDate, "/common/"},
        {"FolderCreatedDateValue", "ChildNumberValue", SummaryRowBegin, SummaryRowEnd, "TitleValue",
         "TypeValue", "URLValue", "StatusValue", "DateValue", "SizeValue", "ResourceValue"},
        {SummarySampleTitle, SummarySampleUrl, SummarySampleDate},
        {SummarySampleTitle, "BINDERDESC", "9999", "SAVEPATHBINDER", "bsize", "BINDERSTATUS"}};
    for (int kind = 0; kind < 4; ++kind) {
        const std::string& text = installed.Template(static_cast<SummaryKind>(kind));
        ASSERT_TRUE(installed.Found(static_cast<SummaryKind>(kind))) << kind;
        for (const std::string& marker : markers[kind]) {
            EXPECT_NE(text.find(marker), std::string::npos) << kind << " " << marker;
        }
    }
}

TEST(SummaryPages, BinderSummaryTellsOpenFromClosed) {
    TempDir dir;
    const std::string file = (dir / "b.bdf").string();
    WriteFileBytes(file,
                   WithTaskSection(NewBinderFileText(dir.Str(), "My Binder", "D", "d"), 41, {}));
    WriteFileBytes(dir / "My Binder.sav", "12345");

    BinderSummary summary;
    ASSERT_TRUE(ReadBinderSummary(file, "/elsewhere/x.bdf", 3, summary));
    EXPECT_EQ(std::tie(summary.Open, summary.NodeCount, summary.TreeFileSize, summary.Name),
              std::make_tuple(false, int64_t{41}, uint64_t{5}, std::string("My Binder")));
    // Another binder's file, differing in letter case alone, is not this one.
    ASSERT_TRUE(ReadBinderSummary(file, UpperCase(file), 3, summary));
    EXPECT_FALSE(summary.Open);
    EXPECT_EQ(summary.NodeCount, 41);
    ASSERT_TRUE(ReadBinderSummary(file, file, 3, summary));
    EXPECT_TRUE(summary.Open);
    EXPECT_EQ(summary.NodeCount, 3);
    EXPECT_FALSE(ReadBinderSummary((dir / "none.bdf").string(), "", 0, summary));
}

TEST(SummaryPages, TitlesWithCharacterReferencesShowTheirCharacters) {
    TPageInfo page;
    page.Title = "A &#8212; B &amp; C";
    const std::string tmpl = std::string("<h1>") + SummarySampleTitle + "</h1>";
    // The decoded "&" is escaped again for the page the summary is.
    EXPECT_EQ(PageSummaryHtml(page, "/w", tmpl), "<h1>A \xE2\x80\x94 B &amp; C</h1>");
    EXPECT_EQ(LinkSummaryHtml(page, "/w", tmpl), "<h1>A \xE2\x80\x94 B &amp; C</h1>");

    TTreeNodes tree;
    TTreeNode* folder = AddRecord(tree, nullptr, NodeKind::Folder, 1, "F");
    AddRecord(tree, folder, NodeKind::WebPage, 2, "A &#8212; B");
    EXPECT_EQ(FolderSummaryHtml(*folder, "/w",
                                std::string(SummaryRowBegin) + "TitleValue" + SummaryRowEnd),
              "A \xE2\x80\x94 B");
}

// A work folder with a blank, "#", "%" or a non-ASCII letter in its path still gives the
// address of its own "common" folder: nothing of the path is read as a fragment or a query.
TEST(SummaryPages, CommonAddressIsPercentEncoded) {
    const std::string tmpl = "<img src=\"/common/x.gif\">";
    const struct {
        const char* workDir;
        const char* url;
    } cases[] = {
        {"/opt/my tw#1/", "file:///opt/my%20tw%231/common/"},
        {"/w/100%?a&b", "file:///w/100%25%3Fa%26b/common/"},
        {"/h/caf\xC3\xA9", "file:///h/caf%C3%A9/common/"},
        {"/plain/A-b_c.d~e", "file:///plain/A-b_c.d~e/common/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SummaryCommonUrl(c.workDir), c.url);
        EXPECT_EQ(LinkSummaryHtml(TPageInfo(), c.workDir, tmpl),
                  std::string("<img src=\"") + c.url + "x.gif\">");
        std::string folder = c.workDir;
        if (folder.back() == '/') {
            folder.pop_back();
        }
        EXPECT_EQ(QUrl(QString::fromStdString(c.url)).resolved(QUrl("x.gif")).toLocalFile(),
                  QString::fromStdString(folder + "/common/x.gif"));
    }
}
