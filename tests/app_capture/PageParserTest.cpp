#include "app/capture/PageParser.h"

#include "app/binder/PageInfo.h"
#include "app/capture/CapturePort.h"
#include "app/capture/MultiCapture.h"
#include "platform/base/Invoker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

struct LinkFields {
    std::string Url, Reference, LocalPath, Type, AnchorText, Extension;
    bool operator==(const LinkFields&) const = default;
};

std::ostream& operator<<(std::ostream& out, const LinkFields& l) {
    return out << "{" << l.Url << " | " << l.Reference << " | " << l.LocalPath << " | " << l.Type
               << " | " << l.AnchorText << " | " << l.Extension << "}";
}

std::vector<LinkFields> Fields(const std::vector<Link>& links) {
    std::vector<LinkFields> result;
    for (const Link& l : links) {
        result.push_back({l.Url, l.Reference, l.LocalPath, l.Type, l.AnchorText, l.Extension});
    }
    return result;
}

std::unique_ptr<TPageInfo> Parse(const std::string& url, const std::string& page,
                                 MultiCapture* capture = nullptr) {
    auto node = std::make_unique<TPageInfo>();
    node->RequestedUrl = node->FinalUrl = url;
    node->Content.FetchedText = page;
    ParsePage(*node, capture);
    return node;
}

// Each link's type with one more of its fields.
std::vector<std::pair<std::string, std::string>> TypesWith(const std::vector<Link>& links,
                                                           std::string Link::*field) {
    std::vector<std::pair<std::string, std::string>> result;
    for (const Link& link : links) {
        result.emplace_back(link.Type, link.*field);
    }
    return result;
}

// A path below the node folder that stays there when a file is written under it.
bool StaysInsideNodeFolder(const std::string& local) {
    namespace fs = std::filesystem;
    if (local.empty() || local.front() == '/' || local.find('\\') != std::string::npos) {
        return false;
    }
    fs::path folder = "/store/ABC";
    fs::path target = (folder / local).lexically_normal();
    auto [end, ignored] = std::mismatch(folder.begin(), folder.end(), target.begin(), target.end());
    return end == folder.end() && target != folder;
}

// Records what the capture reports to the window.
class RecordingReports : public ICaptureReports {
public:
    void CaptureDone(uint32_t nodeId) override {
        calls.push_back("done " + std::to_string(nodeId));
    }
    void SavingStatus(StatusForm form, int wParam, const std::string& status,
                      const std::optional<std::string>&) override {
        calls.push_back("status " + std::to_string(static_cast<int>(form)) + " " +
                        std::to_string(wParam) + " " + status);
    }
    void OpenStatusForm(const std::string& text) override { calls.push_back("open " + text); }
    void UpdateStatusForm() override { ++updates; }
    void CloseStatusForm() override { calls.push_back("close"); }
    void ProcessMessages() override { ++pumps; }

    std::vector<std::string> calls;
    int updates = 0;
    int pumps = 0;
};

} // namespace

TEST(ParsePage, RewritesReferencesOfAPageInAFolder) {
    const std::string page = "<html><head><meta charset=\"iso-8859-1\"><title>T</title></head>\r\n"
                             "<body><img src=\"img/a.gif\">\r\n"
                             "<img src=\"../i/a.gif\">\r\n"
                             "<img src=\"/i/c.gif\">\r\n"
                             "<img src=\"http://h/i/b.gif\">\r\n"
                             "<img src=\"http://x/a.gif\">\r\n"
                             "<a href=\"page2.htm\">Next</a>\r\n"
                             "<a href=\"javascript:go()\">Go</a>\r\n"
                             "<a href=\"http://o/abs.htm\">Abs</a>\r\n"
                             "</body></html>";
    auto node = Parse("http://h/d/p.htm", page);
    EXPECT_EQ(node->Content.PageHtml, "<html><head><meta><title>T</title></head>\r\n"
                                      "<body><img src=h/d/img/a.gif>\r\n"
                                      "<img src=h/i/a.gif>\r\n"
                                      "<img src=h/i/c.gif>\r\n"
                                      "<img src=h/d/i/b.gif>\r\n"
                                      "<img src=h/d/x/a.gif>\r\n"
                                      "<a href=http://h/d/page2.htm>Next</a>\r\n"
                                      "<a href=\"javascript:go()\">Go</a>\r\n"
                                      "<a href=\"http://o/abs.htm\">Abs</a>\r\n"
                                      "</body></html>");
    std::vector<LinkFields> expected = {
        {"http://h/d/img/a.gif", "img/a.gif", "h/d/img/a.gif", "img", "", ""},
        {"http://h/i/a.gif", "../i/a.gif", "h/i/a.gif", "img", "", ""},
        {"http://h/i/c.gif", "", "h/i/c.gif", "img", "", ""},
        {"http://h/i/b.gif", "", "h/d/i/b.gif", "img", "", ""},
        {"http://x/a.gif", "", "h/d/x/a.gif", "img", "", ""},
        {"http://h/d/page2.htm", "page2.htm", "page2.htm", "hyperlink", "Next", "htm"},
        {"javascript:go()", "", "", "hyperlink", "Go", ""},
        {"http://o/abs.htm", "", "", "hyperlink", "Abs", "htm"},
    };
    EXPECT_EQ(Fields(node->Content.Links), expected);
    EXPECT_EQ(node->Content.PageFolder, "h/d/");
    EXPECT_EQ(node->FinalUrl, "http://h/d/p.htm");
    EXPECT_EQ(node->Content.FetchedText, page);
}

TEST(ParsePage, ReferencesAreRewrittenAndRecordedOncePerUrl) {
    using Links = std::vector<std::pair<std::string, std::string>>; // type, URL
    struct Case {
        const char* name;
        std::string url, page;
        std::optional<std::string> html; // none: the page as it came
        Links links;
        std::string folder = "h/d/";
    };
    const std::string plain = "<!DOCTYPE html>\r\n<html><head><title>x</title>"
                              "<style>p { color: red }</style></head>\n"
                              "<body bgcolor=white><p class=\"a\">Text &amp; more</p>\r\n"
                              "<table border=1><tr><td>cell</td></tr></table>"
                              "<script>var n = 1; if (n > 0) n = 2;</script>"
                              "<a name=top>anchor</a> <img alt=x> <input type=text src=t.gif>"
                              "<param name=movie value=m.swf> \x01\xff tail";
    const Case cases[] = {
        {"no references", "http://h/d/p.htm", plain, std::nullopt, {}},
        {"a URL without a path",
         "http://h",
         "<img src=\"/i/a.gif\"><img src=a.gif>",
         "<img src=h/i/a.gif><img src=h/a.gif>",
         {{"img", "http://h/i/a.gif"}, {"img", "http://h/a.gif"}},
         "h/"},
        {"the same image twice",
         "http://h/d/p.htm",
         "<img src=a.gif><p><IMG SRC=\"a.gif\">",
         "<img src=h/d/a.gif><p><IMG SRC=h/d/a.gif>",
         {{"img", "http://h/d/a.gif"}}},
        // Whatever form a later reference to the URL takes, it leads to the one stored file.
        {"one URL in two forms",
         "http://h/d/p.htm",
         "<img src=../i/a.gif><img src=HTTP://h/i/a.gif>",
         "<img src=h/i/a.gif><img src=h/i/a.gif>",
         {{"img", "http://h/i/a.gif"}}},
        {"src and lowsrc",
         "http://h/d/p.htm",
         "<img lowsrc=\"l.gif\" src=\"s.gif\" alt=\"x\">",
         "<img lowsrc=h/d/l.gif src=h/d/s.gif alt=\"x\">",
         {{"img", "http://h/d/s.gif"}, {"img", "http://h/d/l.gif"}}},
        {"lowsrc without src", "http://h/d/p.htm", "<img lowsrc=l.gif>", std::nullopt, {}},
        {"link tags: resources only for style sheets and icons",
         "http://h/d/p.htm",
         "<link rel=stylesheet href=s.css><link rel=\"Alternate StyleSheet\" href=alt.css>"
         "<link rel=\"shortcut icon\" href=/favicon.ico><link rel=icon href=#i>"
         "<link rel=next href=n.htm><link rel=copyright href=c.htm>"
         "<link href=bare.htm><link rel=icon-like href=x.htm>",
         "<link rel=stylesheet href=h/d/s.css><link rel=\"Alternate StyleSheet\" href=h/d/alt.css>"
         "<link rel=\"shortcut icon\" href=h/favicon.ico><link rel=icon href=#i>"
         "<link rel=next href=http://h/d/n.htm><link rel=copyright href=http://h/d/c.htm>"
         "<link href=http://h/d/bare.htm><link rel=icon-like href=http://h/d/x.htm>",
         {{"css", "http://h/d/s.css"},
          {"css", "http://h/d/alt.css"},
          {"img", "http://h/favicon.ico"},
          {"hyperlink", "http://h/d/n.htm"},
          {"hyperlink", "http://h/d/c.htm"},
          {"hyperlink", "http://h/d/bare.htm"},
          {"hyperlink", "http://h/d/x.htm"}}},
        // A base moves the references after it and leaves the output; the folder stays.
        {"base tags",
         "http://h/d/p.htm",
         "<img src=a.gif>\n<BASE HREF=\"http://o/x/y.htm\"><img src=b.gif><a href=c.htm>c</a>"
         "<a href=\"/r.htm\">r</a><base href=\"../z/\"><img src=d.gif>",
         "<img src=h/d/a.gif>\n<img src=h/d/b.gif><a href=http://o/x/c.htm>c</a>"
         "<a href=http://h/r.htm>r</a><img src=h/d/d.gif>",
         {{"img", "http://h/d/a.gif"},
          {"img", "http://o/x/b.gif"},
          {"hyperlink", "http://o/x/c.htm"},
          {"hyperlink", "http://h/r.htm"},
          {"img", "http://o/z/d.gif"}}},
        // Schemes that cannot be fetched stay; only hyperlinks are recorded, as written.
        {"unfetchable schemes",
         "http://h/d/p.htm",
         "<img src=\"data:image/gif;base64,R0lGODlh/x/../../y\">"
         "<frame src=\"about:blank\"><script src=\"JavaScript:void(0)\"></script>"
         "<a href=\"mailto:me@h\">mail</a><a href=\" javascript:x()\">js</a>"
         "<img src=\"#x\"><frame src=#f>",
         std::nullopt,
         {{"hyperlink", "mailto:me@h"}, {"hyperlink", "javascript:x()"}}},
        // An in-page jump stays as written; its link names the page it jumps in.
        {"hyperlink forms",
         "http://h/d/p.htm?x=1#f",
         "<a href=#top>t</a><a href=\"?q=2\">q</a><a href=//o/x.htm>o</a>"
         "<a href=\"../up.htm\">u</a><a href=\"javascript.htm\">j</a>",
         "<a href=#top>t</a><a href=\"http://h/d/p.htm?q=2\">q</a><a href=http://o/x.htm>o</a>"
         "<a href=http://h/up.htm>u</a><a href=http://h/d/javascript.htm>j</a>",
         {{"hyperlink", "http://h/d/p.htm?x=1#top"},
          {"hyperlink", "http://h/d/p.htm?q=2"},
          {"hyperlink", "http://o/x.htm"},
          {"hyperlink", "http://h/up.htm"},
          {"hyperlink", "http://h/d/javascript.htm"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto node = Parse(c.url, c.page);
        EXPECT_EQ(node->Content.PageHtml, c.html.value_or(c.page));
        EXPECT_EQ(TypesWith(node->Content.Links, &Link::Url), c.links);
        EXPECT_EQ(node->Content.PageFolder, c.folder);
        // A second parse of the same record adds nothing new.
        ParsePage(*node, nullptr);
        EXPECT_EQ(node->Content.Links.size(), c.links.size());
    }
    EXPECT_EQ(Parse("http://h", "")->FinalUrl, "http://h/");
    EXPECT_EQ(Parse("http://h?q=1", "")->FinalUrl, "http://h/?q=1");
    EXPECT_EQ(Parse("not a url", "")->FinalUrl, "not a url");
}

TEST(ParsePage, EveryResourceKindOfTheTagTable) {
    const std::string page = "<table background=t.gif><th background=th.gif><td background=td.gif>"
                             "<frame src=f.htm><link rel=stylesheet href=s.css>"
                             "<input type=IMAGE src=btn.gif><input type=text src=no.gif>"
                             "<param name=movie value=out.swf>"
                             "<object><param name=Movie value=in.swf></object>"
                             "<param name=movie value=after.swf>"
                             "<script src=js/a.js></script>"
                             "<form action=post.cgi method=post>";
    auto node = Parse("http://h/d/p.htm", page);
    EXPECT_EQ(node->Content.PageHtml,
              "<table background=h/d/t.gif><th background=h/d/th.gif><td background=h/d/td.gif>"
              "<frame src=h/d/f.htm><link rel=stylesheet href=h/d/s.css>"
              "<input type=IMAGE src=h/d/btn.gif><input type=text src=no.gif>"
              "<param name=movie value=out.swf>"
              "<object><param name=Movie value=h/d/in.swf></object>"
              "<param name=movie value=after.swf>"
              "<script src=h/d/js/a.js></script>"
              "<form action=http://h/d/post.cgi method=post>");
    const auto kinds = TypesWith(node->Content.Links, &Link::LocalPath);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"img", "h/d/t.gif"},    {"img", "h/d/th.gif"},     {"img", "h/d/td.gif"},
        {"frame", "h/d/f.htm"},  {"css", "h/d/s.css"},      {"img", "h/d/btn.gif"},
        {"flash", "h/d/in.swf"}, {"script", "h/d/js/a.js"}, {"hyperlink", "post.cgi"},
    };
    EXPECT_EQ(kinds, expected);
}

// The browser takes a stored file for a style sheet by its ending: a style sheet whose address
// ends otherwise is stored, and referred to, under a name that ends so; other files keep theirs.
TEST(ParsePage, AStyleSheetIsStoredUnderANameThatEndsAsOne) {
    const std::string page = "<link rel=stylesheet href=\"look.css?v=2\">"
                             "<link rel=stylesheet href=\"/fonts.php?family=a\">"
                             "<link rel=stylesheet href=\"http://cdn/k/site.css?r=1\">"
                             "<link rel=stylesheet href=plain.CSS>"
                             "<img src=\"pic.gif?x=1\">";
    auto node = Parse("http://h/d/p.htm", page);
    const auto paths = TypesWith(node->Content.Links, &Link::LocalPath);
    ASSERT_EQ(paths.size(), 5u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(paths[i].second);
        EXPECT_EQ(paths[i].first, "css");
        EXPECT_TRUE(paths[i].second.ends_with(".css") || paths[i].second.ends_with(".CSS"));
        // The page refers to the file under the name it is stored under.
        EXPECT_NE(node->Content.PageHtml.find(paths[i].second), std::string::npos);
    }
    EXPECT_EQ(paths[0].second, "h/d/look.cssv=2.css");
    EXPECT_EQ(paths[3].second, "h/d/plain.CSS");
    EXPECT_EQ(paths[4], (std::pair<std::string, std::string>{"img", "h/d/pic.gifx=1"}));
}

TEST(ParsePage, ScriptTextAndCommentsAreScannedForNames) {
    const std::string page =
        "<script src=\"lib.js\">document.write('<img src=\"s.gif\">');</script>"
        "<script>var img = 'quiet.gif';</script>"
        "<script><!-- document.write('<img src=hidden.gif>') --></script>"
        "<!-- banner.jpg -->"
        "<SCRIPT>x('<b>'); y=\"t.png\"; // unterminated";
    auto node = Parse("http://h/d/p.htm", page);
    std::vector<LinkFields> expected = {
        {"http://h/d/lib.js", "lib.js", "h/d/lib.js", "script", "", ""},
        {"http://h/d/s.gif", "s.gif", "h/d/s.gif", "scriptlink", "", ""},
        {"http://h/d/banner.jpg", "banner.jpg", "h/d/banner.jpg", "scriptlink", "", ""},
        {"http://h/d/t.png", "t.png", "h/d/t.png", "scriptlink", "", ""},
    };
    EXPECT_EQ(Fields(node->Content.Links), expected);
    // Script text is copied as it stands.
    EXPECT_EQ(node->Content.PageHtml, "<script src=h/d/lib.js>" + page.substr(page.find('>') + 1));
}

TEST(ParsePage, HostileReferencesStayInsideTheNodeFolder) {
    const std::string longName(5000, 'n');
    const std::vector<std::string> references = {
        "/../../x.gif",
        "..%2f..%2fy.gif",
        "../../../../etc/passwd",
        "http://h/../../z.gif",
        "http://x/../../z.gif",
        "..\\..\\w.gif",
        "/" + longName + ".gif",
        "./../" + longName,
        "//../../v.gif",
        "file:///etc/shadow",
        "/",
        "http://h:80/../q.gif",
        "./../.",
        "a/%2e%2e/%2e%2e/b",
        std::string("a\0/../../c", 10),
    };
    for (std::string url : {"http://h/d/p.htm", "http://h/", "file:///home/u/p.htm"}) {
        for (const std::string& reference : references) {
            auto node = Parse(url, "<img src=\"" + reference + "\">");
            ASSERT_EQ(node->Content.Links.size(), 1u) << reference;
            const std::string& local = node->Content.Links[0].LocalPath;
            EXPECT_TRUE(StaysInsideNodeFolder(local) || local.empty() || local.back() == '/')
                << url << " + " << reference << " -> " << local;
            EXPECT_EQ(local.find(".."), local.find("..2f")) << local; // no ".." segment
            EXPECT_NE(node->Content.PageHtml.find(local), std::string::npos);
        }
    }
}

TEST(ParsePage, APageFromAFileKeepsItsWholeReferences) {
    auto node = Parse("file:///home/u/site/p.htm",
                      "<img src=img/a.gif><img src=\"/i/a.gif\">"
                      "<img src=\"file:///home/u/site/x.gif\"><a href=q.htm>q</a>");
    EXPECT_EQ(node->Content.PageFolder, "home/u/site/");
    std::vector<LinkFields> expected = {
        {"file:///home/u/site/img/a.gif", "img/a.gif", "home/u/site/img/a.gif", "img", "", ""},
        {"file:///i/a.gif", "", "home/i/a.gif", "img", "", ""},
        {"file:///home/u/site/x.gif", "", "home/u/site/home/u/site/x.gif", "img", "", ""},
        {"file:///home/u/site/q.htm", "q.htm", "q.htm", "hyperlink", "q", "htm"},
    };
    EXPECT_EQ(Fields(node->Content.Links), expected);
}

TEST(ParsePage, ReportsThroughTheCapturesPortOnTheMainThread) {
    const std::string page = "\r\n<p><img src=a.gif><b>";
    MainThreadInvoker invoker;
    SetInvoker(&invoker);
    {
        // On a worker the status travels to the main thread; the wait form and the event loop
        // belong to the main thread and are left alone there.
        RecordingReports reports;
        TCapturePort port{reports};
        MultiCapture capture;
        capture.Port = &port;
        capture.Form = StatusForm::Level;
        std::unique_ptr<TPageInfo> node;
        std::thread worker([&] { node = Parse("http://h/d/p.htm", page, &capture); });
        worker.join();
        EXPECT_TRUE(reports.calls.empty());
        invoker.Drain();
        EXPECT_EQ(node->Content.PageHtml, "<p><img src=h/d/a.gif><b>");
        EXPECT_EQ(reports.calls, std::vector<std::string>(
                                     {"status 2 0 Parsing page, please wait ....", "status 1 1 "}));
        EXPECT_EQ(reports.pumps + reports.updates, 0);
    }
    {
        RecordingReports reports;
        TCapturePort port{reports};
        MultiCapture capture;
        capture.Port = &port;
        capture.Form = StatusForm::Wait;
        capture.Background = false;
        Parse("http://h/d/p.htm", page, &capture);
        invoker.Drain();
        EXPECT_EQ(reports.calls, std::vector<std::string>({"status 1 1 "}));
        EXPECT_EQ(reports.pumps, 3);
        EXPECT_EQ(reports.updates, 3);
    }
    SetInvoker(nullptr);
}

TEST(CollectHyperlinks, RebuildsTheHyperlinksOfAStoredPage) {
    RecordingReports notifier;
    auto node = std::make_unique<TPageInfo>();
    node->RequestedUrl = "http://h";
    node->Content.PageHtml = "<img src=h/a.gif><a href=rel.htm>R</a> <A HREF=\"/root.htm\">T</A>"
                             "<a href=http://o/x>X</a><a name=n>N</a><a href=http://o/x>again</a>";
    node->Content.Links.push_back({"http://o/x", "", "", "Hyperlink", "", ""});
    CollectHyperlinks(*node, &notifier);
    EXPECT_EQ(node->RequestedUrl, "http://h/");
    std::vector<LinkFields> expected = {
        {"http://o/x", "", "", "Hyperlink", "", ""},
        {"http://h/rel.htm", "rel.htm", "rel.htm", "hyperlink", "R", "htm"},
        {"http://h/root.htm", "", "h/root.htm", "hyperlink", "T", "htm"},
    };
    EXPECT_EQ(Fields(node->Content.Links), expected);
    EXPECT_EQ(notifier.calls,
              std::vector<std::string>({"open Loading page, please wait....", "close"}));
    EXPECT_EQ(notifier.updates, 4);
}
